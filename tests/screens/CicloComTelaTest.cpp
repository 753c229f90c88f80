// The polling cycle behind an open operator screen: it goes on between the
// operator's actions, and holds while the screen's unit of work is open.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "PostoTelas.h"
#include "capture/CapturaComDiario.h"
#include "screens/AlteraPreco.h"

namespace {

const QList<TBicoTeste> kBicos = {
    {QStringLiteral("01"), QStringLiteral("004"), 5.899},
    {QStringLiteral("02"), QStringLiteral("005"), 3.999},
    {QStringLiteral("03"), QStringLiteral("068"), 6.199},
};

class CicloComTela : public ::testing::Test {
  protected:
    void Inicia(const QList<TBicoTeste>& bicos) {
        p.Inicia(bicos, true, [](TComunicador& c) {
            c.DefineCaptura(std::make_unique<TCapturaComDiario>(
                c.AmbienteCaptura(), c.DiretorioPrograma(), c.Relogio()));
        });
        ASSERT_TRUE(p.C().LeConcentrador.isActive());
    }
    int Abastecimentos() { return p.Sql(QStringLiteral("SELECT COUNT(*) FROM MvAbast")).toInt(); }
    int Pendentes() { return p.sim.Simconc({QStringLiteral("pendentes")}).trimmed().toInt(); }
    void Abastece() {
        p.sim.Simconc({QStringLiteral("abastece"), QStringLiteral("004"), QStringLiteral("10"),
                       QStringLiteral("5.899")});
    }

    TPostoTelas p;
};

TEST_F(CicloComTela, AbastecimentoGravadoComATelaDePrecoAbertaEntreCiclos) {
    Inicia(kBicos);
    auto* tela = new TFAlteraPreco(p.Ambiente());
    bool gravou = false;
    QTimer::singleShot(0, tela, [&] {
        Abastece();
        gravou = QTest::qWaitFor([&] { return Abastecimentos() == 1; }, 10000);
        tela->close();
    });
    tela->exec();
    EXPECT_TRUE(gravou);
    EXPECT_EQ(Pendentes(), 0);
    EXPECT_EQ(p.Sql(QStringLiteral("SELECT CodBico FROM MvAbast")), QStringLiteral("01"));
}

TEST_F(CicloComTela, CicloEsperaEnquantoAUnidadeDeTrabalhoDaTelaEstaAberta) {
    // The second pump fails, so OK shows a box with its unit of work open.
    QList<TBicoTeste> bicos = kBicos;
    bicos[1].CodConcentrador = QStringLiteral("X05");
    Inicia(bicos);
    QPointer<TFAlteraPreco> tela = new TFAlteraPreco(p.Ambiente());
    ASSERT_TRUE(MostraAtiva(tela));
    tela->GridBombas->setFocus();
    tela->GridBombas->setCurrentCell(0, 2);
    Digita(QStringLiteral("6,5"));
    Tecla(Qt::Key_Return);

    int gravadosDurante = -1;
    int pendentesDurante = -1;
    bool unidadeAberta = false;
    QString statusAntes, statusDurante;
    p.posto.Dialogos.AoMostrar = [&](const TDialogosRoteiro::Caixa& caixa) {
        if (!caixa.Texto.startsWith(QStringLiteral("Erro ao atualizar o preco na Bomba: ")))
            return;
        Abastece();
        statusAntes = p.C().TextoStatus();
        QTest::qWait(2600);  // two cycles at least
        statusDurante = p.C().TextoStatus();
        gravadosDurante = Abastecimentos();
        pendentesDurante = Pendentes();
        unidadeAberta = p.C().CnVarmeno.UnidadeDeTelaAberta();
    };
    QTest::mouseClick(tela->BtOk, Qt::LeftButton);

    EXPECT_NE(statusAntes, statusDurante) << "no cycle ran";
    EXPECT_TRUE(unidadeAberta);
    EXPECT_EQ(gravadosDurante, 0);
    EXPECT_EQ(pendentesDurante, 1);
    // Once OK has committed, the next cycle takes the fueling.
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("6.5"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Abastecimentos() == 1; }, 10000));
    EXPECT_EQ(Pendentes(), 0);
    delete tela.data();
}

}  // namespace
