#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "PostoTelas.h"
#include "app/LancadorTelas.h"
#include "app/Menu.h"
#include "screens/AlteraPreco.h"
#include "screens/BloqueiaBico.h"

namespace {

const QList<TBicoTeste> kBicos = {
    {QStringLiteral("01"), QStringLiteral("004"), 5.899},
    {QStringLiteral("02"), QStringLiteral("005"), 3.999},
};

// The program's main window with its launcher, over the test station.
class LancadorTelas : public ::testing::Test {
  protected:
    void Cria(const QList<TBicoTeste>& bicos = kBicos) {
        p.Prepara(bicos);
        TConfiguracaoMenu cfg;
        cfg.Dialogos = &p.posto.Dialogos;
        cfg.Relogio = &p.posto.Relogio;
        cfg.DiretorioPrograma = p.posto.Programa();
        cfg.DiretorioTrabalho = p.posto.Trabalho();
        cfg.EsperaLigaBancoMs = 0;
        cfg.FabricaConcentrador = [this] { return p.CriaDriver(); };
        cfg.Telas = std::make_shared<TLancadorTelasPrograma>();
        cfg.UsaBandeja = false;
        menu = std::make_unique<TMenuPrin>(std::move(cfg));
        menu->Comunicador().LeConcentrador.stop();
        ASSERT_TRUE(p.Caixas().isEmpty()) << p.Caixas().join(u'|').toStdString();
        menu->RestoreMainWindow();
    }
    // Clicks a toolbar button and, once the screen it opens shows, runs
    // `acao` on it.
    void Clica(QToolButton* botao, const std::function<void()>& acao) {
        bool rodou = false;
        QTimer::singleShot(0, menu.get(), [&] {
            rodou = true;
            acao();
        });
        QTest::mouseClick(botao, Qt::LeftButton);
        LiberaFechadas();
        EXPECT_TRUE(rodou);
    }

    TPostoTelas p;
    std::unique_ptr<TMenuPrin> menu;
};

TEST_F(LancadorTelas, DoisCliquesEmAlterarPrecosAbremDuasTelasNovas) {
    Cria();
    QList<QPointer<TFAlteraPreco>> abertas;
    QStringList precos;
    const auto digitaECancela = [&] {
        TFAlteraPreco* tela = FAlteraPreco;
        ASSERT_NE(tela, nullptr);
        abertas.append(tela);
        EXPECT_TRUE(tela->isModal());
        ASSERT_TRUE(MostraAtiva(tela));
        precos.append(tela->Celula(0, 2));
        tela->GridBombas->setFocus();
        tela->GridBombas->setCurrentCell(0, 2);
        Digita(QStringLiteral("9"));
        Tecla(Qt::Key_Return);
        EXPECT_EQ(tela->Celula(0, 2), QStringLiteral("9,000"));
        QTest::mouseClick(tela->BtCancelar, Qt::LeftButton);
    };
    Clica(menu->SpAlteraPreco, digitaECancela);
    EXPECT_TRUE(FAlteraPreco.isNull());
    Clica(menu->SpAlteraPreco, digitaECancela);
    EXPECT_TRUE(FAlteraPreco.isNull());

    ASSERT_EQ(abertas.size(), 2);
    EXPECT_TRUE(abertas[0].isNull());
    EXPECT_TRUE(abertas[1].isNull());
    // Each opening reads the prices afresh.
    EXPECT_EQ(precos, (QStringList{QStringLiteral("5,899"), QStringLiteral("5,899")}));
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("5.899"));
    EXPECT_TRUE(p.Caixas().isEmpty());
}

TEST_F(LancadorTelas, BloqueioAbreSobreAJanelaEErroAoAbrirNaoDeixaTela) {
    p.sim.Simconc({QStringLiteral("status"), QStringLiteral("5")});
    Cria();
    Clica(menu->SpeedButton1, [&] {
        const auto telas = menu->findChildren<TFBloqDesbBico*>();
        ASSERT_EQ(telas.size(), 1);
        EXPECT_TRUE(telas[0]->isVisible());
        EXPECT_TRUE(telas[0]->isModal());
        EXPECT_TRUE(telas[0]->Marcado(0));
        telas[0]->close();
    });
    EXPECT_TRUE(menu->findChildren<TFBloqDesbBico*>().isEmpty());

    // A code that is not a number while a position reports "B".
    ExecutaSql(p.posto.Banco,
               QStringLiteral("UPDATE Bombas SET CodConcentrador = 'X05' WHERE CodBico = '02';"
                              "COMMIT;"));
    QTest::mouseClick(menu->SpeedButton1, Qt::LeftButton);
    LiberaFechadas();
    ASSERT_EQ(p.posto.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(p.posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(p.Caixas(), QStringList{QStringLiteral("'X05' não é um valor inteiro válido")});
    EXPECT_TRUE(menu->findChildren<TFBloqDesbBico*>().isEmpty());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TFBloqDesbBico*>(w), nullptr);
}

}  // namespace
