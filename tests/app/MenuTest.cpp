#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "Falsos.h"
#include "FormatSettingsTemporario.h"
#include "RelogioFixo.h"
#include "app/Menu.h"
#include "data/Dialogos.h"
#include "data/FormatSettings.h"
#include "data/Relogio.h"
#include "tests/ImpressaoQt.h"
#include "ui/IconeBandeja.h"

namespace {

const QString kTituloNovo = QStringLiteral("Varmeno for Windows - Comunicador CompanyTec v15.02ad");

class TLancadorFalso final : public TLancadorTelas {
  public:
    void AbreTirarEncerrantes(TMenuPrin&) override { Abre(QStringLiteral("encerrantes")); }
    void AbreAlteraPreco(TMenuPrin&) override { Abre(QStringLiteral("preco")); }
    void AbreBloqueiaBico(TMenuPrin&) override { Abre(QStringLiteral("bloqueio")); }
    void Abre(const QString& tela) {
        Abertas.append(tela);
        if (Falha)
            throw EErro(*Falha);
    }
    QStringList Abertas;
    std::optional<QString> Falha;
};

class Janela : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char nome[] = "app_janela_test";
            static char* argv[] = {nome, nullptr};
            auto* app = new QApplication(argc, argv);
            app->setQuitOnLastWindowClosed(false);
        }
        s_pasta = new QTemporaryDir();
        s_banco = new QString(CriaBancoTeste(s_pasta->filePath(QStringLiteral("db"))));
    }
    static void TearDownTestSuite() {
        delete s_banco;
        delete s_pasta;
    }

    Janela() : m_formato(TFormatSettings{}) {
        QDir(m_dir.path()).mkpath(QStringLiteral("prog"));
        QDir(m_dir.path()).mkpath(QStringLiteral("trab"));
        DefineParaPosto(QStringLiteral("S"), QStringLiteral("COM1"));
        GravaTexto(
            Trabalho() + QStringLiteral("Caminho.ini"),
            QStringLiteral("[DATABASEESTOQUE]\r\nCAMINHO=%1\r\nUSUARIO=SYSDBA\r\n").arg(*s_banco));
    }

    void DefineParaPosto(const QString& usa, const QString& porta) {
        ExecutaSql(*s_banco,
                   QStringLiteral("DELETE FROM ParaPosto; INSERT INTO ParaPosto (SequenciaAbast, "
                                  "AcertaDataConc, PortaConc, ImpreDescBico, UsaConcentrador, "
                                  "CorrigeLitragem, visualizastatusbomba) VALUES (1, 'N', '%1', "
                                  "'N', '%2', 'N', 'N'); COMMIT;")
                       .arg(porta, usa));
    }

    QString Programa() const { return m_dir.filePath(QStringLiteral("prog")) + u'/'; }
    QString Trabalho() const { return m_dir.filePath(QStringLiteral("trab")) + u'/'; }

    TMenuPrin& Cria(std::optional<bool> bandeja = std::nullopt) {
        TConfiguracaoMenu cfg;
        cfg.Dialogos = &dialogos;
        cfg.Relogio = &relogio;
        cfg.DiretorioPrograma = Programa();
        cfg.DiretorioTrabalho = Trabalho();
        cfg.EsperaLigaBancoMs = 0;
        cfg.FabricaConcentrador = [this]() -> std::unique_ptr<TConcentrador> {
            auto c = std::make_unique<TConcentradorFalso>();
            concentrador = c.get();
            return c;
        };
        cfg.LigaCaptura = [this](TComunicador& c) {
            if (captura)
                c.DefineCaptura(std::move(captura));
        };
        cfg.Telas = telas;
        cfg.UsaBandeja = bandeja;
        menu = std::make_unique<TMenuPrin>(std::move(cfg));
        menu->DefineVersao(QStringLiteral("v15.02ad"));
        return *menu;
    }

    // Runs the event loop as the program does; a loop that never ends fails.
    int Executa() {
        bool estourou = false;
        QTimer guarda;
        guarda.setSingleShot(true);
        QObject::connect(&guarda, &QTimer::timeout, [&] {
            estourou = true;
            QCoreApplication::exit(99);
        });
        guarda.start(5000);
        const int r = menu->Executa();
        EXPECT_FALSE(estourou);
        return r;
    }

    static QStringList Linhas(const QPlainTextEdit* e) {
        QStringList r;
        for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next())
            r.append(b.text());
        return r;
    }

    static QTemporaryDir* s_pasta;
    static QString* s_banco;

    TDialogosRoteiro dialogos;
    TRelogioFixo relogio;
    TConcentradorFalso* concentrador = nullptr;
    std::unique_ptr<TCaptura> captura;
    std::shared_ptr<TLancadorFalso> telas = std::make_shared<TLancadorFalso>();
    std::unique_ptr<TMenuPrin> menu;

  private:
    TFormatSettingsTemporario m_formato;
    QTemporaryDir m_dir;
};

QTemporaryDir* Janela::s_pasta = nullptr;
QString* Janela::s_banco = nullptr;

TEST_F(Janela, LayoutDaJanela) {
    TMenuPrin& m = Cria();
    ASSERT_TRUE(dialogos.Caixas.empty()) << dialogos.Caixas[0].Texto.toStdString();
    EXPECT_EQ(m.windowTitle(),
              QStringLiteral("Comunicação com o Concentrador CompanyTec v15.01ea"));
    EXPECT_EQ(m.minimumSize(), QSize(751, 447));
    EXPECT_EQ(m.maximumSize(), QSize(751, 447));
    EXPECT_FALSE(m.windowFlags() & Qt::WindowMaximizeButtonHint);

    struct {
        QToolButton* Botao;
        const char* Texto;
        QRect Geometria;
    } botoes[] = {
        {m.SpEncerrantes, "&Tirar Encerrantes", QRect(0, 1, 126, 22)},
        {m.SpAlteraPreco, "&Alterar Preços", QRect(126, 1, 126, 22)},
        {m.SpeedButton2, "Alterar &Data/Hora", QRect(252, 1, 126, 22)},
        {m.SpeedButton1, "&Bloquear/Desbloquear Bico", QRect(378, 1, 175, 22)},
    };
    for (const auto& b : botoes) {
        EXPECT_EQ(b.Botao->text(), QString::fromUtf8(b.Texto));
        EXPECT_EQ(b.Botao->parentWidget(), m.Panel1);
        EXPECT_EQ(b.Botao->geometry(), b.Geometria) << b.Texto;
        EXPECT_TRUE(b.Botao->autoRaise()) << b.Texto;
        EXPECT_FALSE(b.Botao->icon().isNull()) << b.Texto;
    }

    m.RestoreMainWindow();
    QCoreApplication::processEvents();
    const auto topo = [&](QWidget* w) { return w->mapTo(&m, QPoint(0, 0)).y(); };
    EXPECT_EQ(topo(m.Panel1), 0);
    EXPECT_EQ(m.Panel1->height(), 25);
    EXPECT_EQ(topo(m.CabecalhoLog), 25);
    EXPECT_EQ(m.CabecalhoLog->height(), 52);
    EXPECT_EQ(topo(m.VisualizaLog), 77);
    EXPECT_EQ(m.VisualizaLog->width(), 751);
    EXPECT_EQ(topo(m.StatusBar1), 447 - 19);
    EXPECT_EQ(m.StatusBar1->height(), 19);
    EXPECT_EQ(m.VisualizaLog->height(), 447 - 19 - 77);

    const auto fonte = [](QWidget* w, bool negrito) {
        EXPECT_EQ(w->font().family(), QStringLiteral("Liberation Mono"));
        EXPECT_EQ(w->font().pointSize(), 8);
        EXPECT_EQ(w->font().bold(), negrito);
    };
    fonte(m.CabecalhoLog, true);
    fonte(m.VisualizaLog, false);
    for (auto grupo : {QPalette::Active, QPalette::Disabled}) {
        EXPECT_EQ(m.CabecalhoLog->palette().color(grupo, QPalette::Base), QColor(Qt::black));
        EXPECT_EQ(m.CabecalhoLog->palette().color(grupo, QPalette::Text), QColor(Qt::blue));
        EXPECT_EQ(m.VisualizaLog->palette().color(grupo, QPalette::Base), QColor(Qt::black));
        EXPECT_EQ(m.VisualizaLog->palette().color(grupo, QPalette::Text), QColor(0, 255, 0));
    }
    EXPECT_FALSE(m.CabecalhoLog->isEnabled());
    EXPECT_TRUE(m.CabecalhoLog->isReadOnly());
    EXPECT_TRUE(m.VisualizaLog->isReadOnly());
    EXPECT_EQ(m.VisualizaLog->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(m.VisualizaLog->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(m.VisualizaLog->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(Linhas(m.CabecalhoLog), m.Comunicador().Arquivos().LinhasCabecalho());

    EXPECT_EQ(m.Painel0->width(), 250);
    EXPECT_EQ(m.Painel0->text(), QStringLiteral(" Procurando Abastecimentos"));
    EXPECT_EQ(m.Painel1->width(), 50);
    EXPECT_EQ(m.Painel1->text(), QStringLiteral("Total de Abastecimentos: 0"));
}

TEST_F(Janela, MenuDaBandejaAbreESai) {
    TMenuPrin& m = Cria();
    QMenu* menuBandeja = m.CoolTrayIcon1().PopupMenu1();
    ASSERT_EQ(menuBandeja->actions().size(), 2);
    EXPECT_EQ(menuBandeja->actions()[0]->text(), QStringLiteral("&Abrir"));
    EXPECT_EQ(menuBandeja->actions()[1]->text(), QStringLiteral("&Sair"));
    EXPECT_EQ(menuBandeja->defaultAction(), nullptr);

    m.CoolTrayIcon1().Abrir1()->trigger();
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(m.isMinimized());
    EXPECT_EQ(m.windowTitle(), kTituloNovo);

    m.CoolTrayIcon1().Sair1()->trigger();
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(concentrador->Finalizacoes, 1);
    EXPECT_TRUE(m.FimPedido());
    // A second request (a signal after "&Sair") closes nothing twice.
    m.Sair1Click();
    EXPECT_EQ(concentrador->Finalizacoes, 1);
    EXPECT_EQ(Executa(), 0);
    menu.reset();
}

TEST_F(Janela, FormShowPoeOHintEOTitulo) {
    TMenuPrin& m = Cria(true);
    m.MostraInicial();
    // Starts in the tray: not shown, no hint.
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(m.CoolTrayIcon1().Hint().isEmpty());

    emit m.CoolTrayIcon1().DuploClique();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.CoolTrayIcon1().Hint(),
              QStringLiteral("Comunicação com o Concentrador CompanyTec v15.01ea"));
    EXPECT_EQ(m.windowTitle(), kTituloNovo);

    m.HideMainWindow();
    m.RestoreMainWindow();
    EXPECT_EQ(m.CoolTrayIcon1().Hint(), kTituloNovo);
    EXPECT_EQ(m.windowTitle(), kTituloNovo);
}

TEST_F(Janela, MinimizarEscondeNaBandejaENaoSemBandeja) {
    for (bool bandeja : {true, false}) {
        TMenuPrin& m = Cria(bandeja);
        m.RestoreMainWindow();
        m.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(m.isVisible(), !bandeja) << bandeja;
        // With a tray the frame shows no caption buttons; without one it
        // keeps its close box, the same path as "&Sair".
        EXPECT_EQ(bool(m.windowFlags() & Qt::WindowCloseButtonHint), !bandeja);
        EXPECT_EQ(bool(m.windowFlags() & Qt::WindowMinimizeButtonHint), !bandeja);
        EXPECT_EQ(bool(m.windowFlags() & Qt::WindowSystemMenuHint), !bandeja);
        m.RestoreMainWindow();
        EXPECT_TRUE(m.isVisible());
        EXPECT_FALSE(m.isMinimized());
    }
}

TEST_F(Janela, BotaoDireitoNoIconeTrazAJanelaAFrenteAntesDoMenu) {
    TMenuPrin& m = Cria(true);
    m.RestoreMainWindow();
    QWidget outra;
    outra.show();
    QApplication::setActiveWindow(&outra);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&outra));

    bool ativaAntesDoMenu = false;
    QObject::connect(&m.CoolTrayIcon1(), &TIconeBandeja::AntesDoMenu, [&] {
        // The window's own handler ran first (it was connected first) and
        // asked for the activation; the menu is not up yet.
        ativaAntesDoMenu =
            !m.CoolTrayIcon1().PopupMenu1()->isVisible() && QTest::qWaitForWindowActive(&m);
    });
    m.CoolTrayIcon1().BotaoDireito(QPoint(10, 10));
    EXPECT_TRUE(ativaAntesDoMenu);
    EXPECT_TRUE(m.CoolTrayIcon1().PopupMenu1()->isVisible());
    m.CoolTrayIcon1().PopupMenu1()->close();
}

TEST_F(Janela, SemBandejaComecaComoJanelaMinimizada) {
    TMenuPrin& m = Cria(false);
    m.MostraInicial();
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(m.isMinimized());
}

TEST_F(Janela, ReinicioMostraAsLinhasDoDiaEAContagem) {
    GravaTexto(Programa() + QStringLiteral("LogFluvio25122024"),
               QStringLiteral(" um\r\n dois\r\n três\r\n"));
    TMenuPrin& m = Cria();
    EXPECT_EQ(Linhas(m.VisualizaLog), (QStringList{QStringLiteral(" um"), QStringLiteral(" dois"),
                                                   QStringLiteral(" três")}));
    EXPECT_EQ(m.Painel1->text(), QStringLiteral("Total de Abastecimentos: 3"));

    m.Comunicador().EscreveLinhaLog(QStringLiteral("25/12/2024"), QStringLiteral("14:35:00"),
                                    QStringLiteral("004"), 1, 6, 6, QStringLiteral("1"),
                                    QStringLiteral("1"), QStringLiteral("04"));
    EXPECT_EQ(m.Painel1->text(), QStringLiteral("Total de Abastecimentos: 4"));
    EXPECT_EQ(LinhasArquivo(Programa() + QStringLiteral("LogFluvio25122024")).size(), 4);
    EXPECT_EQ(Linhas(m.VisualizaLog).last(),
              LinhasArquivo(Programa() + QStringLiteral("LogFluvio25122024")).last());
}

TEST_F(Janela, VisaoGuardaAsDezMilLinhasMaisRecentes) {
    QString conteudo;
    for (int i = 1; i <= TMenuPrin::MaximoLinhasLog + 5; ++i)
        conteudo += QStringLiteral(" linha %1\r\n").arg(i);
    GravaTexto(Programa() + QStringLiteral("LogFluvio25122024"), conteudo);
    TMenuPrin& m = Cria();
    QStringList linhas = Linhas(m.VisualizaLog);
    ASSERT_EQ(linhas.size(), TMenuPrin::MaximoLinhasLog);
    EXPECT_EQ(linhas.first(), QStringLiteral(" linha 6"));
    EXPECT_EQ(linhas.last(), QStringLiteral(" linha 10005"));
    EXPECT_EQ(m.Painel1->text(), QStringLiteral("Total de Abastecimentos: 10000"));

    // A full view never fails a fueling: the oldest line goes.
    EXPECT_NO_THROW(m.Comunicador().EscreveLinhaLog(
        QStringLiteral("25/12/2024"), QStringLiteral("14:35:00"), QStringLiteral("004"), 1, 6, 6,
        QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("04")));
    linhas = Linhas(m.VisualizaLog);
    EXPECT_EQ(linhas.size(), TMenuPrin::MaximoLinhasLog);
    EXPECT_EQ(linhas.first(), QStringLiteral(" linha 7"));
    EXPECT_TRUE(linhas.last().startsWith(QStringLiteral(" 25/12/2024")));
    EXPECT_EQ(m.Painel1->text(), QStringLiteral("Total de Abastecimentos: 10000"));
}

TEST_F(Janela, AlterarDataHoraPerguntaEAcertaOuNao) {
    relogio.Define(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 5)));
    for (TResposta resposta : {TResposta::Nao, TResposta::Sim}) {
        dialogos.Caixas.clear();
        dialogos.Respostas = {resposta};
        TMenuPrin& m = Cria();
        m.RestoreMainWindow();
        m.SpeedButton2->click();
        ASSERT_GE(dialogos.Caixas.size(), 1u);
        EXPECT_EQ(dialogos.Caixas[0].Tipo, TTipoMensagem::Confirmacao);
        EXPECT_EQ(dialogos.Caixas[0].Botoes, TBotoes::SimNao);
        EXPECT_EQ(dialogos.Caixas[0].Texto,
                  QStringLiteral("Deseja sincronizar a Data/Hora do Concentrador com a Data/Hora "
                                 "do Sistema?\rData: 05/03/2024\rHora: 09:07:05"));
        const bool sim = resposta == TResposta::Sim;
        EXPECT_EQ(concentrador->AcertosRelogio, sim ? 1 : 0);
        EXPECT_EQ(dialogos.Caixas.size(), sim ? 2u : 1u);
        if (sim) {
            EXPECT_EQ(dialogos.Caixas[1].Tipo, TTipoMensagem::Informacao);
            EXPECT_EQ(dialogos.Caixas[1].Texto,
                      QStringLiteral("Data/Hora sincronizada com sucesso!"));
        }
        // "&Sim" ends the program the way "&Sair" does.
        EXPECT_EQ(m.isVisible(), !sim);
        EXPECT_EQ(concentrador->Finalizacoes, sim ? 1 : 0);
        EXPECT_EQ(m.FimPedido(), sim);
    }
}

TEST_F(Janela, ErroDoAcertoDeRelogioVaiAoRelatorioEAJanelaFica) {
    dialogos.Respostas = {TResposta::Sim};
    TMenuPrin& m = Cria();
    concentrador->FalhaRelogio = QStringLiteral("Função SetClock não encontrada");
    m.RestoreMainWindow();
    m.SpeedButton2->click();
    ASSERT_EQ(dialogos.Caixas.size(), 2u);
    EXPECT_EQ(dialogos.Caixas[1].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(dialogos.Caixas[1].Texto, QStringLiteral("Função SetClock não encontrada"));
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(m.FimPedido());
}

TEST_F(Janela, BotoesDasTelasChamamOLancadorEOErroVaiAoRelatorio) {
    TMenuPrin& m = Cria();
    m.SpEncerrantes->click();
    m.SpAlteraPreco->click();
    m.SpeedButton1->click();
    EXPECT_EQ(telas->Abertas, (QStringList{QStringLiteral("encerrantes"), QStringLiteral("preco"),
                                           QStringLiteral("bloqueio")}));
    EXPECT_TRUE(dialogos.Caixas.empty());

    telas->Falha = QStringLiteral("Erro ao abrir a tela");
    m.SpeedButton1->click();
    ASSERT_EQ(dialogos.Caixas.size(), 1u);
    EXPECT_EQ(dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(dialogos.Caixas[0].Texto, QStringLiteral("Erro ao abrir a tela"));
}

TEST_F(Janela, FalhaNaPartidaFechaPeloCaminhoDoSairEEncerra) {
    DefineParaPosto(QStringLiteral("S"), QStringLiteral("COM"));
    Cria();
    ASSERT_EQ(dialogos.Caixas.size(), 1u);
    EXPECT_EQ(dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(concentrador->Finalizacoes, 0);
    EXPECT_EQ(Executa(), 0);
    // The posted close request ran the close path before the loop ended.
    EXPECT_EQ(concentrador->Finalizacoes, 1);
}

TEST_F(Janela, SemConcentradorEncerraSemOCaminhoDeFechamento) {
    DefineParaPosto(QStringLiteral("N"), QStringLiteral("COM1"));
    Cria();
    ASSERT_EQ(dialogos.Caixas.size(), 1u);
    EXPECT_EQ(Executa(), 0);
    EXPECT_EQ(concentrador->Finalizacoes, 0);
}

// Asks to close while a fueling is being handled, as a signal or the tray
// menu inside a message box would.
class TCapturaQueFecha final : public TCaptura {
  public:
    TCapturaQueFecha(TMenuPrin*& menu, TConcentradorFalso*& c) : m_menu(menu), m_c(c) {}
    void ProcessaAbastecimento(const TAbastecimento&) override {
        m_menu->Sair1Click();
        FinalizacoesDurante = m_c->Finalizacoes;
    }
    void ProcessaAbastecimentoFID(const TAbastecimentoFid&) override {}
    int FinalizacoesDurante = -1;

  private:
    TMenuPrin*& m_menu;
    TConcentradorFalso*& m_c;
};

TEST_F(Janela, FechamentoPedidoNoMeioDoCicloEsperaOFimDoCiclo) {
    TMenuPrin* ponteiro = nullptr;
    auto c = std::make_unique<TCapturaQueFecha>(ponteiro, concentrador);
    TCapturaQueFecha* capturaQueFecha = c.get();
    captura = std::move(c);
    TMenuPrin& m = Cria();
    ponteiro = &m;
    m.RestoreMainWindow();
    m.Comunicador().LeConcentradorTimer();
    EXPECT_EQ(capturaQueFecha->FinalizacoesDurante, 0);
    EXPECT_EQ(Executa(), 0);
    EXPECT_EQ(concentrador->Finalizacoes, 1);
    EXPECT_FALSE(m.isVisible());
}

// The core's word on the station reaches the tray icon after each cycle.
class TCapturaComEstado final : public TCaptura {
  public:
    void ProcessaAbastecimento(const TAbastecimento&) override {}
    void ProcessaAbastecimentoFID(const TAbastecimentoFid&) override {}
    bool TemPendentes() const override { return Pendentes; }
    bool TemRetidos() const override { return Retidos; }
    bool Pendentes = false;
    bool Retidos = false;
};

TEST_F(Janela, IconeDaBandejaMostraOAlertaDepoisDoCiclo) {
    auto c = std::make_unique<TCapturaComEstado>();
    TCapturaComEstado* estado = c.get();
    estado->Retidos = true;
    captura = std::move(c);
    TMenuPrin& m = Cria(false);
    EXPECT_TRUE(m.CoolTrayIcon1().EmAlerta()) << "what a previous run left, before any cycle";
    EXPECT_EQ(m.windowIcon().cacheKey(), m.CoolTrayIcon1().IconeDeAlerta().cacheKey())
        << "without a tray host the window's own icon says it";
    estado->Retidos = false;
    m.Comunicador().LeConcentradorTimer();
    EXPECT_FALSE(m.CoolTrayIcon1().EmAlerta());
    EXPECT_EQ(m.windowIcon().cacheKey(), m.CoolTrayIcon1().IconeNormal().cacheKey());
    estado->Pendentes = true;
    m.Comunicador().LeConcentradorTimer();
    EXPECT_TRUE(m.CoolTrayIcon1().Alertas().Pendentes);
    EXPECT_FALSE(m.CoolTrayIcon1().Alertas().BancoInacessivel);
}

}  // namespace
