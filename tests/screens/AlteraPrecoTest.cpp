#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "PostoTelas.h"
#include "data/Erro.h"
#include "screens/AlteraPreco.h"

namespace {

const QString kBranco = QStringLiteral("O preço não pode ficar em branco!");
const QString kInvalido = QStringLiteral("Valor Inválido!");
const QString kZero = QStringLiteral("O preço tem que ser maior que zero!");
const QString kErroBomba = QStringLiteral("Erro ao atualizar o preco na Bomba: ");

const QList<TBicoTeste> kTresBicos = {
    {QStringLiteral("01"), QStringLiteral("004"), 5.899},
    {QStringLiteral("02"), QStringLiteral("005"), 3.999},
    {QStringLiteral("03"), QStringLiteral("068"), 6.199},
    {QStringLiteral("04"), QStringLiteral("NULL"), 6.099},
    {QStringLiteral("05"), QString(), 2.5},
};

// Hands every call to the program's driver, except a price for one address,
// which the pump refuses.
class TDriverRecusaPreco final : public TConcentrador {
  public:
    TDriverRecusaPreco(TConcentrador& real, QString endereco)
        : m_real(real), m_endereco(std::move(endereco)) {}
    void AlteraPrecoBico(const QString& Bico, std::uint8_t Modo, double Preco) override {
        if (Bico == m_endereco)
            throw EErro(QStringLiteral("bomba não respondeu"));
        m_real.AlteraPrecoBico(Bico, Modo, Preco);
    }

  private:
    TConcentrador& m_real;
    QString m_endereco;
};

class AlteraPreco : public ::testing::Test {
  protected:
    void Abre(const QList<TBicoTeste>& bicos = kTresBicos) {
        p.Inicia(bicos);
        tela = new TFAlteraPreco(p.Ambiente());
        ASSERT_TRUE(MostraAtiva(tela));
        Grade()->setFocus();
    }
    void TearDown() override {
        delete tela.data();
        LiberaFechadas();
    }

    QTableWidget* Grade() { return tela->GridBombas; }
    QString Celula(int linha, int coluna) { return tela->Celula(linha, coluna); }
    QPoint Cursor() { return {Grade()->currentRow(), Grade()->currentColumn()}; }
    // Types into the price cell of a row, as the operator does: the first
    // key opens the cell's editor over the old price.
    void DigitaPreco(int linha, const QString& texto) {
        Grade()->setCurrentCell(linha, 2);
        if (texto.isEmpty()) {
            Tecla(Qt::Key_F2);
            Tecla(Qt::Key_A, Qt::ControlModifier);
            Tecla(Qt::Key_Backspace);
        } else {
            Digita(texto);
        }
    }
    QList<QByteArray> Precos() { return p.Chamadas("RefAltPreco"); }

    TPostoTelas p;
    QPointer<TFAlteraPreco> tela;
};

TEST_F(AlteraPreco, ListaOsBicosDoConcentradorComOPrecoNaMascara) {
    Abre();
    EXPECT_EQ(tela->windowTitle(), QStringLiteral("Alterar Preços das Bombas"));
    EXPECT_EQ(tela->size(), QSize(429, 249));
    EXPECT_EQ(tela->BtOk->text(), QStringLiteral("&OK"));
    EXPECT_EQ(tela->BtCancelar->text(), QStringLiteral("&Cancelar"));
    EXPECT_EQ(tela->BtOk->geometry(), QRect(277, 207, 75, 25));
    EXPECT_EQ(tela->BtCancelar->geometry(), QRect(353, 207, 75, 25));
    QStringList cabecalhos;
    for (int c = 0; c < 3; ++c)
        cabecalhos.append(Grade()->horizontalHeaderItem(c)->text());
    EXPECT_EQ(cabecalhos, (QStringList{QStringLiteral("Bico"), QStringLiteral("Descrição"),
                                       QStringLiteral("Preço")}));
    EXPECT_EQ(Grade()->columnWidth(0), 65);
    EXPECT_EQ(Grade()->columnWidth(1), 253);
    EXPECT_EQ(Grade()->columnWidth(2), 89);
    EXPECT_TRUE(Grade()->isColumnHidden(3));
    EXPECT_EQ(Grade()->rowHeight(0), 18);

    // Nozzles without a concentrator code (NULL or empty) are not listed.
    ASSERT_EQ(Grade()->rowCount(), 3);
    const QStringList esperado[] = {{QStringLiteral("01"), QStringLiteral("BICO 01"),
                                     QStringLiteral("5,899"), QStringLiteral("004")},
                                    {QStringLiteral("02"), QStringLiteral("BICO 02"),
                                     QStringLiteral("3,999"), QStringLiteral("005")},
                                    {QStringLiteral("03"), QStringLiteral("BICO 03"),
                                     QStringLiteral("6,199"), QStringLiteral("068")}};
    for (int l = 0; l < 3; ++l)
        EXPECT_EQ((QStringList{Celula(l, 0), Celula(l, 1), Celula(l, 2), Celula(l, 3)}),
                  esperado[l]);
}

TEST_F(AlteraPreco, CodigoEDescricaoNaoSeEditam) {
    Abre();
    for (int coluna : {0, 1}) {
        Grade()->setCurrentCell(0, coluna);
        Digita(QStringLiteral("9"));
        Tecla(Qt::Key_F2);
        Digita(QStringLiteral("9"));
    }
    EXPECT_EQ(Celula(0, 0), QStringLiteral("01"));
    EXPECT_EQ(Celula(0, 1), QStringLiteral("BICO 01"));
}

struct TPrecoDigitado {
    const char* Nome;
    QString Texto;
    QString Celula;  // what the cell holds after Enter
    QString Caixa;   // empty: accepted
};

class PrecoDigitado : public AlteraPreco, public ::testing::WithParamInterface<TPrecoDigitado> {};

TEST_P(PrecoDigitado, EnterValidaACelula) {
    const TPrecoDigitado& caso = GetParam();
    Abre();
    DigitaPreco(0, caso.Texto);
    Tecla(Qt::Key_Return);
    EXPECT_EQ(Celula(0, 2), caso.Celula);
    if (caso.Caixa.isEmpty()) {
        EXPECT_TRUE(p.Caixas().isEmpty()) << p.Caixas().join(u'|').toStdString();
        EXPECT_EQ(Cursor(), QPoint(1, 2));
    } else {
        ASSERT_EQ(p.Caixas(), QStringList{caso.Caixa});
        EXPECT_EQ(p.posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Informacao);
        EXPECT_EQ(p.posto.Dialogos.Caixas[0].Botoes, TBotoes::Ok);
        EXPECT_EQ(Cursor(), QPoint(0, 2));
    }
    EXPECT_EQ(QApplication::focusWidget(), Grade());
    // Enter stores nothing and sends nothing.
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("5.899"));
    EXPECT_TRUE(Precos().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PrecoDigitado,
    ::testing::Values(
        TPrecoDigitado{"VirgulaCompletaTresCasas", QStringLiteral("3,5"), QStringLiteral("3,500"),
                       QString()},
        TPrecoDigitado{"ArredondaNaMascara", QStringLiteral("4,12349"), QStringLiteral("4,123"),
                       QString()},
        TPrecoDigitado{"PontoRecusado", QStringLiteral("3.5"), QStringLiteral("3.5"), kInvalido},
        TPrecoDigitado{"LetrasRecusadas", QStringLiteral("3,5a"), QStringLiteral("3,5a"),
                       kInvalido},
        TPrecoDigitado{"ArredondaAZero", QStringLiteral("0,0004"), QStringLiteral("0,000"), kZero},
        TPrecoDigitado{"Negativo", QStringLiteral("-1"), QStringLiteral("-1,000"), kZero},
        TPrecoDigitado{"Apagado", QString(), QString(), kBranco},
        TPrecoDigitado{"SoBrancos", QStringLiteral("  "), QStringLiteral("  "), kBranco}),
    [](const auto& info) { return std::string(info.param.Nome); });

TEST_F(AlteraPreco, EnterNoCodigoOuNaDescricaoVaiAoPrecoDaMesmaLinha) {
    Abre();
    for (int coluna : {0, 1}) {
        Grade()->setCurrentCell(1, coluna);
        Tecla(Qt::Key_Return);
        EXPECT_EQ(Cursor(), QPoint(1, 2)) << coluna;
    }
    EXPECT_TRUE(p.Caixas().isEmpty());
}

TEST_F(AlteraPreco, EnterDesceAColunaDePrecosTerminaNoOkEOkGravaEEnviaTudo) {
    Abre();
    DigitaPreco(0, QStringLiteral("3,5"));
    Tecla(Qt::Key_Return);
    Digita(QStringLiteral("4"));
    Tecla(Qt::Key_Return);
    EXPECT_EQ(Cursor(), QPoint(2, 2));
    // The last price unchanged: Enter without editing validates it too.
    Tecla(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), tela->BtOk);
    Tecla(Qt::Key_Return);

    EXPECT_TRUE(p.Caixas().isEmpty()) << p.Caixas().join(u'|').toStdString();
    EXPECT_TRUE(p.Relatados.isEmpty());
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("3.5"));
    EXPECT_EQ(p.Preco(QStringLiteral("02")), QStringLiteral("4"));
    EXPECT_EQ(p.Preco(QStringLiteral("03")), QStringLiteral("6.199"));
    // Only the price changes.
    EXPECT_EQ(p.Sql(QStringLiteral("SELECT COUNT(*) FROM Bombas WHERE Descricao = 'BICO ' || "
                                   "CodBico AND CodTanque = '01'")),
              QStringLiteral("5"));
    EXPECT_EQ(p.Preco(QStringLiteral("04")), QStringLiteral("6.099"));
    EXPECT_EQ(Precos(), (QList<QByteArray>{"RefAltPreco \"04\" 3.5 3", "RefAltPreco \"05\" 4 3",
                                           "RefAltPreco \"44\" 6.199 3"}));
    // The screen stays open after OK, with nothing left open on the connection.
    EXPECT_TRUE(tela->isVisible());
    EXPECT_FALSE(p.C().CnVarmeno.InTransaction());
}

TEST_F(AlteraPreco, PrecoInvalidoNoOkDesfazTudoDepoisDeOPrimeiroTerChegadoABomba) {
    Abre();
    DigitaPreco(0, QStringLiteral("3,5"));
    Tecla(Qt::Key_Return);
    Digita(QStringLiteral("3.5"));
    QTest::mouseClick(tela->BtOk, Qt::LeftButton);

    EXPECT_EQ(p.Caixas(), QStringList{kInvalido});
    EXPECT_EQ(Precos(), QList<QByteArray>{"RefAltPreco \"04\" 3.5 3"});
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("5.899"));
    EXPECT_EQ(p.Preco(QStringLiteral("02")), QStringLiteral("3.999"));
    EXPECT_FALSE(p.C().CnVarmeno.InTransaction());
    EXPECT_TRUE(tela->isVisible());
    EXPECT_EQ(Grade()->currentColumn(), 2);
}

struct TBombaFalha {
    const char* Nome;
    QString CodigoSegundo;  // the second nozzle's concentrator code
    bool DriverRecusa;
    QString Codigo;  // as the message shows it
};

class BombaFalha : public AlteraPreco, public ::testing::WithParamInterface<TBombaFalha> {};

TEST_P(BombaFalha, UmaMensagemEOsTresPrecosGravados) {
    const TBombaFalha& caso = GetParam();
    QList<TBicoTeste> bicos = kTresBicos;
    bicos[1].CodConcentrador = caso.CodigoSegundo;
    p.Inicia(bicos);
    std::unique_ptr<TDriverRecusaPreco> recusa;
    if (caso.DriverRecusa) {
        recusa = std::make_unique<TDriverRecusaPreco>(*p.C().Concentrador, QStringLiteral("05"));
        p.Driver = recusa.get();
    }
    tela = new TFAlteraPreco(p.Ambiente());
    ASSERT_TRUE(MostraAtiva(tela));
    Grade()->setFocus();
    for (int linha = 0; linha < 3; ++linha) {
        DigitaPreco(linha, QStringLiteral("7,1%1").arg(linha));
        Tecla(Qt::Key_Return);
    }
    QTest::mouseClick(tela->BtOk, Qt::LeftButton);

    EXPECT_EQ(p.Caixas(), QStringList{kErroBomba + caso.Codigo});
    EXPECT_TRUE(p.Relatados.isEmpty());
    EXPECT_EQ(Precos(),
              (QList<QByteArray>{"RefAltPreco \"04\" 7.1 3", "RefAltPreco \"44\" 7.12 3"}));
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("7.1"));
    EXPECT_EQ(p.Preco(QStringLiteral("02")), QStringLiteral("7.11"));
    EXPECT_EQ(p.Preco(QStringLiteral("03")), QStringLiteral("7.12"));
}

INSTANTIATE_TEST_SUITE_P(Casos, BombaFalha,
                         ::testing::Values(TBombaFalha{"DriverRecusa", QStringLiteral("005"), true,
                                                       QStringLiteral("005")},
                                           TBombaFalha{"CodigoNaoInteiro", QStringLiteral("X05"),
                                                       false, QStringLiteral("X05")}),
                         [](const auto& info) { return std::string(info.param.Nome); });

TEST_F(AlteraPreco, ErroDoBancoAoGravarDesfazAntesDeReportar) {
    p.Inicia(kTresBicos);
    bool abertaAoReportar = true;
    TAmbienteTela a = p.Ambiente();
    a.ReportaErro = [&](const QString& t) {
        abertaAoReportar = p.C().CnVarmeno.InTransaction();
        p.Relatados.append(t);
    };
    tela = new TFAlteraPreco(a);
    ASSERT_TRUE(MostraAtiva(tela));
    // The third nozzle leaves the station while the screen is open.
    ExecutaSql(p.posto.Banco, QStringLiteral("DELETE FROM Bombas WHERE CodBico = '03'; COMMIT;"));
    QTest::mouseClick(tela->BtOk, Qt::LeftButton);

    EXPECT_EQ(p.Relatados,
              QStringList{QStringLiteral("O bico 03 não existe mais no banco de dados.")});
    EXPECT_FALSE(abertaAoReportar);
    EXPECT_EQ(Precos().size(), 2);
    EXPECT_EQ(p.Sql(QStringLiteral("SELECT COUNT(*) FROM Bombas WHERE PrecoVenda <> 5.899 AND "
                                   "CodBico = '01'")),
              QStringLiteral("0"));
    EXPECT_TRUE(tela->isVisible());
}

TEST_F(AlteraPreco, SemBicoNoConcentradorUmaLinhaVaziaEOkNaoGravaNada) {
    Abre({{QStringLiteral("04"), QStringLiteral("NULL"), 6.099}});
    ASSERT_EQ(Grade()->rowCount(), 1);
    EXPECT_EQ(Celula(0, 0), QString());
    QTest::mouseClick(tela->BtOk, Qt::LeftButton);
    EXPECT_EQ(p.Caixas(), QStringList{kBranco});
    EXPECT_TRUE(Precos().isEmpty());
    EXPECT_EQ(p.Preco(QStringLiteral("04")), QStringLiteral("6.099"));
}

class FechaSemGravar : public AlteraPreco, public ::testing::WithParamInterface<bool> {};

TEST_P(FechaSemGravar, EscOuCancelar) {
    Abre();
    DigitaPreco(0, QStringLiteral("9"));
    FAlteraPreco = tela;
    if (GetParam())
        Tecla(Qt::Key_Escape);
    else
        QTest::mouseClick(tela->BtCancelar, Qt::LeftButton);
    LiberaFechadas();
    EXPECT_TRUE(tela.isNull());
    EXPECT_TRUE(FAlteraPreco.isNull());
    EXPECT_EQ(p.Preco(QStringLiteral("01")), QStringLiteral("5.899"));
    EXPECT_TRUE(Precos().isEmpty());
    EXPECT_TRUE(p.Caixas().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Casos, FechaSemGravar, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Esc" : "Cancelar"; });

}  // namespace
