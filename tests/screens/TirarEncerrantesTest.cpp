// The totalizer screen driven by keys and clicks, against a real station
// database and the simulated concentrator.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "FormatSettingsTemporario.h"
#include "RelogioFixo.h"
#include "TelaTeste.h"
#include "concentrator/ClassCompanyTec.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Erro.h"
#include "screens/TirarEncerrantes.h"
#include "tests/ImpressaoQt.h"
#include "tests/sim/AmbienteSimulador.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const Sucesso = "Encerrantes gravados com sucesso!";

// The real driver over the simulator, failing one nozzle's reading as a
// driver fails when the library lacks the entry point.
class TDriverComFalha final : public TConcentrador {
  public:
    explicit TDriverComFalha(const QString& programa) : Real(programa) {}
    void LerEncerrante(char Tipo, const QString& Bico) override {
        if (Bico == Falha)
            throw EErro(U("Função ConsultaEncerrante não encontrada"));
        Real.LerEncerrante(Tipo, Bico);
        Encerrante = Real.Encerrante;
    }
    TCompanyTec Real;
    std::optional<QString> Falha;
};

// The demo station (nozzles 01-04 on the concentrator codes 004, 005, 068 and
// none) with one open shift, 000077, around the fixed clock's 25/12/2024 14:35.
class TirarEncerrantes : public ::testing::Test {
  protected:
    void SetUp() override {
        GaranteAplicacao();
        ASSERT_TRUE(m_pasta.isValid());
        Banco = CriaBancoTeste(m_pasta.path(), true);
        ExecutaSql(Banco, U("DELETE FROM MvTurno;"
                            "INSERT INTO MvTurno (Controle, CodEmpresa, DtMovimento, HrAbertura, "
                            "DtTermino, HrTermino, CodTurno, CodVendedor, Status) VALUES "
                            "('000077', '00', '25.12.2024', '30.12.1899 06:00:00', '25.12.2024', "
                            "'30.12.1899 18:00:00', '1', '001', 'N');"
                            "COMMIT;"));
        ConfiguraConexaoTeste(Conexao, Banco);
        Driver.Real.PCarregaDllConcentrador();
        for (const char* bico : {"004", "005", "068"})
            Sim.Simconc({U("encerrante"), U(bico), U("0")});
    }

    void TearDown() override {
        delete Tela.data();
        LiberaFechadas();
    }

    TAmbienteTela Ambiente() {
        TAmbienteTela a;
        a.Conexao = &Conexao;
        a.Concentrador = [this] { return static_cast<TConcentrador*>(&Driver); };
        a.Dialogos = &Dialogos;
        a.Relogio = &Relogio;
        a.ReportaErro = [this](const QString& t) {
            Relatados.append(t);
            TransacaoAoRelatar = Conexao.InTransaction();
        };
        return a;
    }

    // A fresh screen, as the launcher opens it.
    void Abre() {
        Tela = new TFTirarEncerrantes(Ambiente());
        FTirarEncerrantes = Tela;
        ASSERT_TRUE(MostraAtiva(Tela));
    }

    QString Celula(int coluna, int linha) const { return Tela->Celula(coluna, linha); }

    void Seleciona(int linha) {
        Tela->GridBombas->setFocus();
        Tela->GridBombas->setCurrentCell(linha - 1, 0);
    }
    void MarcaComEspaco(int linha) {
        Seleciona(linha);
        QTest::keyClick(Tela->GridBombas, Qt::Key_Space);
    }
    void MarcaComDuploClique(int linha) {
        const QRect r = Tela->GridBombas->visualItemRect(Tela->GridBombas->item(linha - 1, 1));
        QTest::mouseClick(Tela->GridBombas->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(Tela->GridBombas->viewport(), Qt::LeftButton, {}, r.center());
    }
    QStringList Marcas() const {
        QStringList m;
        for (int linha = 1; linha <= Tela->LinhasDados(); ++linha)
            m << Celula(TFTirarEncerrantes::ColMarca, linha);
        return m;
    }
    QStringList Finais() const {
        QStringList f;
        for (int linha = 1; linha <= Tela->LinhasDados(); ++linha)
            f << Celula(TFTirarEncerrantes::ColFinal, linha);
        return f;
    }
    QList<QByteArray> Leituras() const {
        QList<QByteArray> r;
        for (const QByteArray& c : Sim.Chamadas()) {
            if (c.startsWith("ConsultaEncerrante"))
                r << c;
        }
        return r;
    }
    QStringList Textos() const {
        QStringList t;
        for (const auto& c : Dialogos.Caixas) {
            EXPECT_EQ(c.Tipo, TTipoMensagem::Informacao) << c.Texto.toStdString();
            EXPECT_EQ(c.Botoes, TBotoes::Ok) << c.Texto.toStdString();
            t << c.Texto;
        }
        return t;
    }
    QString Linhas() const { return ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes")); }
    void Clica(QPushButton* botao) { QTest::mouseClick(botao, Qt::LeftButton); }
    bool Fechada() {
        LiberaFechadas();
        return Tela.isNull();
    }

    TFormatSettingsTemporario Formato{TFormatSettings{}};
    QTemporaryDir m_pasta;
    QString Banco;
    TConexao Conexao;
    TAmbienteSimulador Sim;
    TDriverComFalha Driver{TAmbienteSimulador::DiretorioPrograma()};
    TDialogosRoteiro Dialogos;
    TRelogioFixo Relogio{QDateTime(QDate(2024, 12, 25), QTime(14, 35, 0))};
    QStringList Relatados;
    bool TransacaoAoRelatar = false;
    QPointer<TFTirarEncerrantes> Tela;
};

TEST_F(TirarEncerrantes, AbreComTodosOsBicosSemMarca) {
    Abre();
    EXPECT_EQ(Tela->windowTitle(), U("Tirar Encerrantes"));
    EXPECT_EQ(Tela->size(), QSize(565, 412));
    QTableWidget* g = Tela->GridBombas;
    QStringList cabecalhos;
    for (int c = 0; c < 5; ++c)
        cabecalhos << g->horizontalHeaderItem(c)->text();
    EXPECT_EQ(cabecalhos,
              (QStringList{U("Bico"), U("Descrição"), U("Inicial"), U("Final"), U("Saida")}));
    EXPECT_EQ((QList<int>{g->columnWidth(0), g->columnWidth(1), g->columnWidth(2),
                          g->columnWidth(3), g->columnWidth(4)}),
              (QList<int>{65, 225, 86, 83, 82}));
    EXPECT_TRUE(g->isColumnHidden(TFTirarEncerrantes::ColConcentrador));
    EXPECT_TRUE(g->isColumnHidden(TFTirarEncerrantes::ColMarca));
    ASSERT_EQ(Tela->LinhasDados(), 4);
    // The nozzle without a concentrator code is listed too.
    const QStringList esperado[] = {
        {U("01"), U("BICO 01 GASOLINA"), U("10250,500"), U("10250,500"), U("0,000"), U("004")},
        {U("02"), U("BICO 02 ETANOL"), U("8200,000"), U("8200,000"), U("0,000"), U("005")},
        {U("03"), U("BICO 03 DIESEL"), U("45870,250"), U("45870,250"), U("0,000"), U("068")},
        {U("04"), U("BICO 04 ADITIVADA"), U("1200,000"), U("1200,000"), U("0,000"), QString()},
    };
    for (int linha = 1; linha <= 4; ++linha) {
        QStringList lida;
        for (int c = 0; c <= TFTirarEncerrantes::ColConcentrador; ++c)
            lida << Celula(c, linha);
        EXPECT_EQ(lida, esperado[linha - 1]);
    }
    EXPECT_EQ(Marcas(), QStringList(4, QString()));
    EXPECT_EQ(Tela->BtMarcar->text(), U("Marcar Todos"));
    EXPECT_EQ(Tela->BtEncerrantes->text(), U("Tirar Encerrantes das Bombas Selecionadas"));
    EXPECT_EQ(Tela->BtOk->text(), U("&OK"));
    EXPECT_EQ(Tela->BtCancelar->text(), U("&Cancelar"));
}

// The value counts only when it is above zero and the reading is of the
// nozzle asked; otherwise the final is zero.
struct TCasoLeitura {
    const char* Nome;
    const char* Inicial;
    const char* Lido;
    const char* CodigoLido;  // nullptr: the code asked
    const char* Final;
    const char* Saida;
};

void PrintTo(const TCasoLeitura& c, std::ostream* os) {
    *os << c.Nome;
}

class TirarEncerrantesLeitura : public TirarEncerrantes,
                                public ::testing::WithParamInterface<TCasoLeitura> {};

TEST_P(TirarEncerrantesLeitura, FinalESaidaDaLeitura) {
    const TCasoLeitura& c = GetParam();
    ExecutaSql(
        Banco,
        U("UPDATE Bombas SET EncerranteIni = %1 WHERE CodBico = '01'; COMMIT;").arg(U(c.Inicial)));
    Sim.Simconc({U("encerrante"), U("004"), U(c.Lido)});
    if (c.CodigoLido != nullptr)
        Sim.Simconc({U("codigo-encerrante"), U("004"), U(c.CodigoLido)});
    Abre();
    MarcaComEspaco(1);
    Clica(Tela->BtEncerrantes);
    EXPECT_EQ(Leituras(), (QList<QByteArray>{"ConsultaEncerrante 76 \"004\""}));
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColFinal, 1), U(c.Final));
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColSaida, 1), U(c.Saida));
    EXPECT_TRUE(Dialogos.Caixas.empty());
}

const TCasoLeitura CasosLeitura[] = {
    {"Aceita", "100", "123.5", nullptr, "123,500", "23,500"},
    {"Zero", "1000", "0", nullptr, "0,000", "-1000,000"},
    {"OutroCodigo", "1000", "1234.5", "4", "0,000", "-1000,000"},
};
INSTANTIATE_TEST_SUITE_P(Casos, TirarEncerrantesLeitura, ::testing::ValuesIn(CasosLeitura),
                         [](const auto& info) { return std::string(info.param.Nome); });

// The zero written for a refused reading follows the decimal separator too.
TEST_F(TirarEncerrantes, LeituraRecusadaComPontoDecimal) {
    TFormatSettings ponto;
    ponto.DecimalSeparator = QLatin1Char('.');
    const TFormatSettingsTemporario comPonto(ponto);
    Abre();
    MarcaComEspaco(2);
    Clica(Tela->BtEncerrantes);
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColFinal, 2), U("0.000"));
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColSaida, 2), U("-8200.000"));
    EXPECT_TRUE(Relatados.isEmpty()) << Relatados.join(u'\n').toStdString();
}

TEST_F(TirarEncerrantes, MarcarTodosLeTodosELimpaAsMarcas) {
    Sim.Simconc({U("encerrante"), U("004"), U("10300.25")});
    Sim.Simconc({U("encerrante"), U("005"), U("8210")});
    Sim.Simconc({U("encerrante"), U("068"), U("45900.5")});
    Abre();
    Clica(Tela->BtMarcar);
    EXPECT_EQ(Marcas(), QStringList(4, U("*")));
    EXPECT_EQ(Tela->BtMarcar->text(), U("Desmarcar Todos"));

    Clica(Tela->BtEncerrantes);
    EXPECT_EQ(Leituras(),
              (QList<QByteArray>{"ConsultaEncerrante 76 \"004\"", "ConsultaEncerrante 76 \"005\"",
                                 "ConsultaEncerrante 76 \"068\"", "ConsultaEncerrante 76 \"\""}));
    EXPECT_EQ(Finais(), (QStringList{U("10300,250"), U("8210,000"), U("45900,500"), U("0,000")}));
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColSaida, 1), U("49,750"));
    EXPECT_EQ(Celula(TFTirarEncerrantes::ColSaida, 4), U("-1200,000"));
    EXPECT_EQ(Marcas(), QStringList(4, QString()));
    EXPECT_EQ(Tela->BtMarcar->text(), U("Marcar Todos"));
    EXPECT_EQ(Tela->PainelRodape->text(), U("Ok, encerrantes lidos com sucesso..."));
    for (QPushButton* b : {Tela->BtEncerrantes, Tela->BtMarcar, Tela->BtOk, Tela->BtCancelar})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(TirarEncerrantes, DuasMarcadasAMaoLidasEDepoisTodasMarcadas) {
    Sim.Simconc({U("encerrante"), U("004"), U("10300")});
    Sim.Simconc({U("encerrante"), U("068"), U("45900")});
    Abre();
    MarcaComEspaco(1);
    MarcaComEspaco(2);
    MarcaComEspaco(2);  // the second press takes the mark off again
    MarcaComDuploClique(3);
    EXPECT_EQ(Marcas(), (QStringList{U("*"), QString(), U("*"), QString()}));
    EXPECT_EQ(Tela->BtMarcar->text(), U("Marcar Todos"));

    Clica(Tela->BtEncerrantes);
    EXPECT_EQ(Leituras(), (QList<QByteArray>{"ConsultaEncerrante 76 \"004\"",
                                             "ConsultaEncerrante 76 \"068\""}));
    EXPECT_EQ(Finais(),
              (QStringList{U("10300,000"), U("8200,000"), U("45900,000"), U("1200,000")}));
    EXPECT_EQ(Marcas(), QStringList(4, U("*")));
    EXPECT_EQ(Tela->BtMarcar->text(), U("Desmarcar Todos"));
}

TEST_F(TirarEncerrantes, LinhaMarcadaPintadaDeVerde) {
    Abre();
    MarcaComEspaco(2);
    Seleciona(4);  // the cursor away from the painted row
    QTableWidget* g = Tela->GridBombas;
    const QImage imagem = g->viewport()->grab().toImage();
    // A point of each description cell to the right of its text.
    auto fundo = [&](int linha) {
        const QRect r = g->visualItemRect(g->item(linha - 1, 1));
        return imagem.pixelColor(r.right() - 4, r.center().y());
    };
    EXPECT_EQ(fundo(2), QColor(164, 255, 209));
    EXPECT_NE(fundo(1), QColor(164, 255, 209));
    EXPECT_NE(fundo(3), QColor(164, 255, 209));
}

TEST_F(TirarEncerrantes, ErroNaLeituraTerminaAPassagem) {
    Sim.Simconc({U("encerrante"), U("004"), U("10300")});
    Sim.Simconc({U("encerrante"), U("068"), U("45900")});
    Driver.Falha = U("005");
    Abre();
    Clica(Tela->BtMarcar);
    Clica(Tela->BtEncerrantes);
    EXPECT_EQ(Textos(), QStringList{U("Erro ao consultar o encerrante do Bico: 005")});
    // The reading taken stays; the rows after the failure are not read.
    EXPECT_EQ(Finais(),
              (QStringList{U("10300,000"), U("8200,000"), U("45870,250"), U("1200,000")}));
    EXPECT_EQ(Leituras(), QList<QByteArray>{"ConsultaEncerrante 76 \"004\""});
    EXPECT_EQ(Tela->PainelRodape->text(), U("Aguarde, Pesquisando Encerrante do Bico: 01"));
    EXPECT_EQ(Marcas(), QStringList(4, U("*")));
    for (QPushButton* b : {Tela->BtEncerrantes, Tela->BtMarcar, Tela->BtOk, Tela->BtCancelar})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(TirarEncerrantes, OkSemLeituraGravaTodosComFinalIgualAoInicial) {
    Abre();
    Clica(Tela->BtOk);
    EXPECT_EQ(Textos(), QStringList{U(Sucesso)});
    EXPECT_TRUE(Fechada());
    EXPECT_TRUE(FTirarEncerrantes.isNull());
    EXPECT_EQ(Linhas(), U("4"));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes WHERE CodEmpresa = '00' "
                                "AND CodTurno = '000077' AND EncerranteFim = EncerranteIni "
                                "AND Saida = 0 AND DataLeitura = '25.12.2024 14:35:00' "
                                "AND HoraLeitura = '14:35:00'")),
              U("4"));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes m JOIN Bombas b ON "
                                "b.CodBico = m.CodBico AND b.EncerranteIni = m.EncerranteIni")),
              U("4"));
    EXPECT_FALSE(Conexao.InTransaction());
}

// A second storing under the same shift, from a new screen, updates the
// shift's rows; also where the station's table has no key.
class TirarEncerrantesRegrava : public TirarEncerrantes,
                                public ::testing::WithParamInterface<bool> {};

TEST_P(TirarEncerrantesRegrava, SegundaGravacaoAtualizaAsLinhas) {
    // Station databases have no key there; the test schema may have one.
    const QString chave = ValorSql(
        Banco, U("SELECT TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS WHERE "
                 "RDB$RELATION_NAME = 'MVENCERRANTES' AND RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"));
    if (GetParam() && chave == U("<nenhuma>")) {
        ExecutaSql(Banco, U("ALTER TABLE MvEncerrantes ADD CONSTRAINT PK_MvEncerrantes PRIMARY KEY "
                            "(CodEmpresa, CodTurno, CodBico); COMMIT;"));
    } else if (!GetParam() && chave != U("<nenhuma>")) {
        ExecutaSql(Banco, U("ALTER TABLE MvEncerrantes DROP CONSTRAINT %1; COMMIT;").arg(chave));
    }
    ASSERT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE "
                                "RDB$RELATION_NAME = 'MVENCERRANTES' AND "
                                "RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'")),
              GetParam() ? U("1") : U("0"));
    // Another shift's row of the same nozzle stays as it is.
    ExecutaSql(Banco, U("INSERT INTO MvEncerrantes (CodEmpresa, CodTurno, CodBico, "
                        "EncerranteIni, EncerranteFim, Saida) VALUES ('00', '000076', '01', "
                        "1, 2, 1); COMMIT;"));
    Sim.Simconc({U("encerrante"), U("004"), U("10300")});
    Abre();
    Clica(Tela->BtMarcar);
    Clica(Tela->BtEncerrantes);
    Clica(Tela->BtOk);
    ASSERT_TRUE(Fechada());

    Relogio.Avanca(600);
    Sim.Simconc({U("encerrante"), U("004"), U("10400")});
    Sim.Simconc({U("encerrante"), U("005"), U("8300")});
    Abre();
    Clica(Tela->BtMarcar);
    Clica(Tela->BtEncerrantes);
    Clica(Tela->BtOk);
    ASSERT_TRUE(Fechada());

    EXPECT_EQ(Textos(), (QStringList{U(Sucesso), U(Sucesso)}));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes WHERE CodTurno = '000077'")),
              U("4"));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes WHERE CodTurno = '000077' "
                                "AND HoraLeitura = '14:45:00'")),
              U("4"));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes WHERE CodTurno = '000077' "
                                "AND ((CodBico = '01' AND EncerranteFim = 10400 AND Saida = 149.5) "
                                "OR (CodBico = '02' AND EncerranteFim = 8300 AND Saida = 100))")),
              U("2"));
    EXPECT_EQ(ValorSql(Banco, U("SELECT COUNT(*) FROM MvEncerrantes WHERE CodTurno = '000076' "
                                "AND EncerranteFim = 2")),
              U("1"));
}

INSTANTIATE_TEST_SUITE_P(Chave, TirarEncerrantesRegrava, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "ComChave" : "SemChave");
});

TEST_F(TirarEncerrantes, SemTurnoAbertoAvisaDuasVezesENaoGrava) {
    ExecutaSql(Banco, U("UPDATE MvTurno SET Status = 'S'; COMMIT;"));
    Abre();
    Clica(Tela->BtOk);
    EXPECT_EQ(Textos(),
              (QStringList{U("Não há turno aberto para este usuário!"),
                           U("Não há turno aberto. Os encerrantes não serão gravados!")}));
    EXPECT_FALSE(Fechada());
    EXPECT_TRUE(Tela->isVisible());
    EXPECT_EQ(Linhas(), U("0"));
}

// A commit the database refuses: undone, reported, and the screen closes.
TEST_F(TirarEncerrantes, CommitRecusadoDesfazEAvisa) {
    {
        TQuery q;
        q.SetConnection(&Conexao);
        q.SetSQL(U("CREATE EXCEPTION E_FECHAMENTO 'fechamento em andamento'"));
        q.ExecSQL();
        q.SetSQL(
            U("CREATE TRIGGER T_FECHAMENTO ON TRANSACTION COMMIT AS BEGIN "
              "IF (EXISTS (SELECT 1 FROM MvEncerrantes)) THEN EXCEPTION E_FECHAMENTO; END"));
        q.ExecSQL();
    }
    Abre();
    Clica(Tela->BtOk);
    const QStringList textos = Textos();
    ASSERT_EQ(textos.size(), 1);
    EXPECT_TRUE(textos[0].startsWith(U("Erro ao gravar as informações no banco ")))
        << textos[0].toStdString();
    EXPECT_TRUE(textos[0].contains(U("fechamento em andamento"))) << textos[0].toStdString();
    EXPECT_TRUE(Fechada());
    EXPECT_FALSE(Conexao.InTransaction());
    EXPECT_EQ(Linhas(), U("0"));
}

// A row the database refuses: the unit of work is undone before the error
// reaches the report, and the screen stays open.
TEST_F(TirarEncerrantes, LinhaRecusadaDesfazAntesDeRelatar) {
    {
        TQuery q;
        q.SetConnection(&Conexao);
        q.SetSQL(U("CREATE EXCEPTION E_BICO 'bico 03 recusado'"));
        q.ExecSQL();
        q.SetSQL(
            U("CREATE TRIGGER T_BICO FOR MvEncerrantes BEFORE INSERT AS BEGIN "
              "IF (NEW.CodBico = '03') THEN EXCEPTION E_BICO; END"));
        q.ExecSQL();
    }
    Abre();
    Clica(Tela->BtOk);
    ASSERT_EQ(Relatados.size(), 1);
    EXPECT_TRUE(Relatados[0].contains(U("bico 03 recusado"))) << Relatados[0].toStdString();
    EXPECT_FALSE(TransacaoAoRelatar);
    EXPECT_TRUE(Textos().isEmpty());
    EXPECT_FALSE(Fechada());
    EXPECT_EQ(Linhas(), U("0"));
}

TEST_F(TirarEncerrantes, EscapeDepoisDaLeituraNaoGrava) {
    Sim.Simconc({U("encerrante"), U("004"), U("10300")});
    Abre();
    Clica(Tela->BtMarcar);
    Clica(Tela->BtEncerrantes);
    Tela->GridBombas->setFocus();
    Tecla(Qt::Key_Escape);
    EXPECT_TRUE(Fechada());
    EXPECT_TRUE(FTirarEncerrantes.isNull());
    EXPECT_EQ(Linhas(), U("0"));
    EXPECT_TRUE(Dialogos.Caixas.empty());
}

TEST_F(TirarEncerrantes, CancelarFechaSemGravar) {
    Abre();
    Clica(Tela->BtCancelar);
    EXPECT_TRUE(Fechada());
    EXPECT_TRUE(FTirarEncerrantes.isNull());
    EXPECT_EQ(Linhas(), U("0"));
}

}  // namespace
