#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>

#include "DialogosRoteiro.h"
#include "Posto.h"
#include "data/Conexao.h"
#include "data/Transacao.h"
#include "ui/RelatorioErro.h"

namespace {

class Ciclo : public ::testing::Test {
  protected:
    void Inicia(const QString& visualiza = QStringLiteral("S")) {
        TParaPosto p;
        p.VisualizaStatus = visualiza;
        TComunicador& c = posto.Inicia(p);
        ASSERT_TRUE(posto.Dialogos.Caixas.empty());
        ASSERT_TRUE(c.LeConcentrador.isActive());
        auto captura = std::make_unique<TCapturaFalsa>();
        Captura = captura.get();
        c.DefineCaptura(std::move(captura));
        auto publicacao = std::make_unique<TPublicacaoFalsa>();
        Publicacao = publicacao.get();
        c.DefinePublicacaoStatus(std::move(publicacao));
    }
    TComunicador& C() { return *posto.Comunicador; }

    // Set when the cycle's event step has run.
    bool PostaMarcaDeEventos() {
        m_eventos = false;
        // Dropped with the fixture when the event step never comes.
        QTimer::singleShot(0, &m_contexto, [this] { m_eventos = true; });
        return true;
    }
    bool EventosRodaram() const { return m_eventos; }

    TPosto posto;
    TCapturaFalsa* Captura = nullptr;
    TPublicacaoFalsa* Publicacao = nullptr;

  private:
    bool m_eventos = false;
    QObject m_contexto;
};

TEST_F(Ciclo, QuatorzeCiclosTrazemAAnimacaoDeVolta) {
    Inicia();
    const QString base = QStringLiteral(" Procurando Abastecimentos");
    ASSERT_EQ(C().TextoStatus(), base);
    for (int k = 1; k <= 14; ++k) {
        C().LeConcentradorTimer();
        const QString esperado = base + QString(k % 14, u'.');
        ASSERT_EQ(C().TextoStatus(), esperado) << "ciclo " << k;
        ASSERT_EQ(posto.Janela.Status, esperado) << "ciclo " << k;
    }
}

TEST_F(Ciclo, UmCicloLeUmRegistroEntregaPublicaDeixaEventosRodarERelignaOTimer) {
    Inicia();
    PostaMarcaDeEventos();
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 1);
    EXPECT_EQ(posto.Concentrador->LeiturasFid, 0);
    EXPECT_EQ(Captura->Padrao, 1);
    EXPECT_TRUE(Captura->Presente);
    EXPECT_EQ(Publicacao->Passes, 1);
    EXPECT_TRUE(EventosRodaram());
    EXPECT_TRUE(C().LeConcentrador.isActive());
    EXPECT_FALSE(C().CicloEmAndamento());
}

// A fueling that takes a while to store.
class TCapturaLenta final : public TCaptura {
  public:
    void ProcessaAbastecimento(const TAbastecimento&) override { QThread::msleep(400); }
    void ProcessaAbastecimentoFID(const TAbastecimentoFid&) override {}
};

TEST_F(Ciclo, OProximoCicloContaDoFimDoAnterior) {
    Inicia();
    C().DefineCaptura(std::make_unique<TCapturaLenta>());
    C().LeConcentradorTimer();
    ASSERT_TRUE(C().LeConcentrador.isActive());
    // Counted from the start, less than 600 ms would be left.
    EXPECT_GT(C().LeConcentrador.remainingTime(), 900);
}

TEST_F(Ciclo, ComFidLeAFormaFid) {
    Inicia();
    C().UsaFid = true;
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->LeiturasFid, 1);
    EXPECT_EQ(posto.Concentrador->Leituras, 0);
    EXPECT_EQ(Captura->Fid, 1);
    EXPECT_EQ(Captura->Padrao, 0);
}

TEST_F(Ciclo, ErroDeLeituraDaUmaLinhaDeLogEOProximoCicloRoda) {
    Inicia();
    posto.Concentrador->FalhaLeitura = QStringLiteral("Falha na porta\rserial");
    PostaMarcaDeEventos();
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.ErrosLog(),
              QStringList{TPosto::Carimbo() +
                          QStringLiteral("Erro ao ler abastecimento: Falha na porta\rserial")});
    EXPECT_EQ(Captura->Padrao, 0);
    // Publishing and the event step still run.
    EXPECT_EQ(Publicacao->Passes, 1);
    EXPECT_TRUE(EventosRodaram());
    EXPECT_TRUE(C().LeConcentrador.isActive());
    EXPECT_TRUE(posto.Relatados.isEmpty());

    posto.Concentrador->FalhaLeitura.reset();
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 2);
    EXPECT_EQ(Captura->Padrao, 1);
    EXPECT_EQ(posto.ErrosLog().size(), 1);
}

TEST_F(Ciclo, ErroDaPublicacaoSaiDoCicloComOTimerLigadoEVaiAoRelatorio) {
    Inicia();
    Publicacao->Falha = QStringLiteral("Erro ao atualizar o status");
    PostaMarcaDeEventos();
    EXPECT_THROW(C().LeConcentradorTimer(), EErro);
    EXPECT_TRUE(C().LeConcentrador.isActive());
    EXPECT_FALSE(EventosRodaram());
    EXPECT_FALSE(C().CicloEmAndamento());

    // The timer's expiry hands it to the general report.
    C().DisparoLeConcentrador();
    EXPECT_EQ(posto.Relatados, QStringList{QStringLiteral("Erro ao atualizar o status")});
    EXPECT_TRUE(C().LeConcentrador.isActive());
}

TEST_F(Ciclo, StatusSoPublicadoComSExatoDoParaPostoComoAberto) {
    TPosto outro;
    for (const QString& valor : {QStringLiteral("N"), QStringLiteral("s")}) {
        outro.Reinicia();
        TParaPosto p;
        p.VisualizaStatus = valor;
        TComunicador& c = outro.Inicia(p);
        auto publicacao = std::make_unique<TPublicacaoFalsa>();
        TPublicacaoFalsa* pub = publicacao.get();
        c.DefinePublicacaoStatus(std::move(publicacao));
        c.LeConcentradorTimer();
        c.LeConcentradorTimer();
        EXPECT_EQ(pub->Passes, 0) << valor.toStdString();
    }

    // A change in the database after start-up does not count until reopened.
    Inicia(QStringLiteral("S"));
    ExecutaSql(posto.Banco,
               QStringLiteral("UPDATE ParaPosto SET visualizastatusbomba = 'N'; COMMIT;"));
    C().LeConcentradorTimer();
    EXPECT_EQ(Publicacao->Passes, 1);
}

TEST_F(Ciclo, UnidadeDeTrabalhoDeTelaAbertaDeixaOAbastecimentoNoConcentrador) {
    Inicia();
    auto tela = std::make_unique<TTransacao>(C().CnVarmeno, TDonoTransacao::Tela);
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 0);
    EXPECT_EQ(Publicacao->Passes, 0);
    EXPECT_EQ(C().TextoStatus(), QStringLiteral(" Procurando Abastecimentos."));
    EXPECT_TRUE(C().LeConcentrador.isActive());
    // The screen's unit of work is neither committed nor undone.
    EXPECT_TRUE(C().CnVarmeno.InTransaction());
    tela.reset();

    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 1);
    EXPECT_EQ(Publicacao->Passes, 1);
}

TEST_F(Ciclo, TransacaoSemDonoNaoSeguraOCiclo) {
    Inicia();
    // Left open by nobody's unit of work: the cycle undoes it and goes on.
    IniciaTransacao(C().CnVarmeno);
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 1);
    EXPECT_EQ(Publicacao->Passes, 1);
    EXPECT_FALSE(C().CnVarmeno.InTransaction());
}

TEST_F(Ciclo, SemDecodificadorNaoTiraNadaDoConcentrador) {
    Inicia();
    C().DefineCaptura(nullptr);
    C().LeConcentradorTimer();
    EXPECT_EQ(posto.Concentrador->Leituras, 0);
}

TEST_F(Ciclo, NenhumaCaixaSeEmpilhaEnquantoUmaEstaAberta) {
    Inicia();
    TRelatorioErro relatorio(posto.Dialogos, &C());
    posto.Reporta = [&](const QString& t) { relatorio.Reporta(t); };
    Publicacao->Falha = QStringLiteral("Erro ao atualizar o status");
    int disparosNaCaixa = 0;
    posto.Dialogos.AoMostrar = [&](const TDialogosRoteiro::Caixa&) {
        // The box is modal and lets events run: the timer keeps firing.
        for (; disparosNaCaixa < 3; ++disparosNaCaixa)
            C().DisparoLeConcentrador();
    };
    C().DisparoLeConcentrador();
    ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(posto.Dialogos.Caixas[0].Texto, QStringLiteral("Erro ao atualizar o status"));
    const QString linha = TPosto::Carimbo() + QStringLiteral("Erro ao atualizar o status");
    EXPECT_EQ(posto.ErrosLog(), (QStringList{linha, linha, linha}));
    EXPECT_TRUE(C().LeConcentrador.isActive());

    // Once the box is closed the next error gets its own box.
    C().DisparoLeConcentrador();
    EXPECT_EQ(posto.Dialogos.Caixas.size(), 2u);
}

TEST_F(Ciclo, FechamentoPedidoDentroDoCicloEsperaOFimDoCiclo) {
    Inicia();
    int fechamentos = 0;
    bool cicloNoFechamento = true;
    const auto fecha = [&] {
        ++fechamentos;
        cicloNoFechamento = C().CicloEmAndamento();
    };
    // A close asked for from the cycle's event step, as a signal would.
    QTimer::singleShot(0, [&] { C().ForaDoCiclo(fecha); });
    C().LeConcentradorTimer();
    EXPECT_EQ(fechamentos, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(fechamentos, 1);
    EXPECT_FALSE(cicloNoFechamento);

    C().ForaDoCiclo(fecha);
    EXPECT_EQ(fechamentos, 2);
}

}  // namespace
