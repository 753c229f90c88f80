#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "AmbienteSimulador.h"
#include "BancoTeste.h"
#include "RelogioFixo.h"
#include "concentrator/ClassCompanyTec.h"
#include "concentrator/ClassConcentrador.h"
#include "concentrator/StatusBicos.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Transacao.h"
#include "tests/ImpressaoQt.h"
#include "tests/LogMemoria.h"

namespace {

TEST(LocalizaCanal, LinhaDaTabelaOuQuatroVazios) {
    const struct {
        const char* Codigo;
        std::array<const char*, 4> Canal;
    } casos[] = {
        {"004", {"004", "068", "132", "196"}},
        {"068", {"004", "068", "132", "196"}},
        {"196", {"004", "068", "132", "196"}},
        {"035", {"035", "099", "163", "227"}},
        {"227", {"035", "099", "163", "227"}},
        {"099", {"035", "099", "163", "227"}},
        {"4", {"", "", "", ""}},
        {"228", {"", "", "", ""}},
        {"036", {"", "", "", ""}},
        {"100", {"", "", "", ""}},
        {"003", {"", "", "", ""}},
        {"", {"", "", "", ""}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Codigo);
        const TCanal canal = LocalizaCanal(QString::fromLatin1(c.Codigo));
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(canal.Codigos[k], QString::fromLatin1(c.Canal[size_t(k)])) << k;
    }
}

TEST(SqlAtualizaStatusBico, TextoDeUmaLinha) {
    const QString sql = SqlAtualizaStatusBico();
    EXPECT_EQ(sql.size(), 150);
    EXPECT_EQ(sql,
              QStringLiteral("UPDATE BOMBAS SET                                  BOMBAS.statusbico "
                             "= :PStatusBico                  Where BOMBAS.codconcentrador = "
                             ":PCodConcentrador "));
}

class TConcentradorFalso final : public TConcentrador {
  public:
    QString GetLeStatus() override {
        ++Leituras;
        if (Falha)
            throw EErro(QStringLiteral("sem resposta"));
        return Status;
    }
    QString Status;
    bool Falha = false;
    int Leituras = 0;
};

// Nozzles on every code of the channel table plus one with an empty code;
// a trigger notes each row UPDATE writes, in order, with its transaction.
class Publicacao : public ::testing::Test {
  protected:
    void SetUp() override {
        banco = CriaBancoTeste(pasta.path());
        ConfiguraConexaoTeste(conexao, banco);
        conexao.Open();
        Executa(
            "INSERT INTO Bombas (CodBico, CodConcentrador, statusbico) "
            "WITH RECURSIVE n AS (SELECT 4 AS c FROM RDB$DATABASE UNION ALL "
            "SELECT c + 1 FROM n WHERE c < 227) "
            "SELECT LPAD(CAST(CAST(c AS INTEGER) AS VARCHAR(3)), 3, '0'), LPAD(CAST(CAST(c AS "
            "INTEGER) AS VARCHAR(3)), 3, '0'), '-' "
            "FROM n");
        Executa("INSERT INTO Bombas (CodBico, CodConcentrador, statusbico) VALUES ('V', '', '-')");
        Executa(
            "INSERT INTO Bombas (CodBico, CodConcentrador, statusbico) VALUES ('N', NULL, '-')");
        Executa("CREATE GENERATOR G_Escrita");
        Executa("CREATE TABLE Escritas (N INTEGER, Codigo CHAR(3), Letra CHAR(1), Tx INTEGER)");
        Executa(
            "CREATE TRIGGER T_Escrita FOR Bombas AFTER UPDATE AS BEGIN "
            "INSERT INTO Escritas VALUES (GEN_ID(G_Escrita, 1), NEW.CodConcentrador, "
            "NEW.statusbico, CURRENT_TRANSACTION); END");
    }

    void Executa(const char* sql) {
        TQuery q;
        q.SetConnection(&conexao);
        q.SetSQL(QString::fromUtf8(sql));
        q.ExecSQL();
    }

    // What was committed, in the order written: "004L", ...
    QStringList Escritas() {
        TConexao leitor;
        ConfiguraConexaoTeste(leitor, banco);
        TQuery q;
        q.SetConnection(&leitor);
        q.SetSQL(QStringLiteral("Select Codigo, Letra From Escritas Order By N"));
        q.Open();
        QStringList r;
        for (; !q.Eof(); q.Next())
            r << q.AsString(QStringLiteral("Codigo")) + q.AsString(QStringLiteral("Letra"));
        return r;
    }
    int Transacoes() {
        return ValorSql(banco, QStringLiteral("Select Count(Distinct Tx) From Escritas")).toInt();
    }

    void Passa(const QString& status) {
        concentrador.Status = status;
        publicacao.AtualizaStatusBicos();
    }

    QTemporaryDir pasta;
    QString banco;
    TConexao conexao;
    TConcentradorFalso concentrador;
    TLogMemoria log;
    TRelogioFixo relogio;
    TStatusBicos publicacao{conexao, [this] { return &concentrador; }, log, &relogio};
};

QStringList Canal(const char* letra, std::initializer_list<const char*> codigos) {
    QStringList r;
    for (const char* c : codigos)
        r << QString::fromLatin1(c) + QLatin1String(letra);
    return r;
}

TEST_F(Publicacao, EscreveCadaLetraNosQuatroCodigosDoCanalEmOrdem) {
    const QString ignoradas31 = QString(31, QLatin1Char('?'));
    const struct {
        const char* Nome;
        QString Status;
        QStringList Escritas;
    } casos[] = {
        {"vazio", QString(), {}},
        {"só letras ignoradas", QStringLiteral("xDG1"), {}},
        {"L na posição 1", QStringLiteral("L"), Canal("L", {"004", "068", "132", "196"})},
        {"posição 32", ignoradas31 + QLatin1Char('A'), Canal("A", {"035", "099", "163", "227"})},
        // Positions past 32 have no channel: four UPDATEs on the empty code.
        {"posição 33", ignoradas31 + QStringLiteral("?C"),
         Canal("C", {"   ", "   ", "   ", "   "})},
        {"letra ignorada conta posição", QStringLiteral("LxP"),
         Canal("L", {"004", "068", "132", "196"}) + Canal("P", {"006", "070", "134", "198"})},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        Executa("DELETE FROM Escritas");
        // A first pass writes every position.
        TStatusBicos publicacao(
            conexao, [this] { return &concentrador; }, log, &relogio);
        concentrador.Status = c.Status;
        publicacao.AtualizaStatusBicos();
        EXPECT_EQ(Escritas(), c.Escritas);
        EXPECT_FALSE(conexao.InTransaction());
    }
    EXPECT_TRUE(log.Erros.isEmpty());
}

TEST_F(Publicacao, PassagemCompletaNumaSoTransacao) {
    QString status;
    for (int p = 0; p < 48; ++p)
        status += QStringLiteral("ABCEFLP")[p % 7];
    Passa(status);
    const QStringList escritas = Escritas();
    // 32 channels of four nozzles, and the empty code sixteen times four.
    EXPECT_EQ(escritas.size(), 32 * 4 + 16 * 4);
    EXPECT_EQ(Transacoes(), 1);
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '035'")),
        QStringLiteral("E"));  // position 32
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '227'")),
        QStringLiteral("E"));
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = 'V'")),
              QStringLiteral("L"));  // position 48, the last
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = 'N'")),
              QStringLiteral("-"));
}

TEST_F(Publicacao, FalhaNoSegundoCodigoDaPosicao5GuardaOQueVeioAntes) {
    Executa("CREATE EXCEPTION E_Falha 'falha proposital'");
    Executa(
        "CREATE TRIGGER T_Falha FOR Bombas BEFORE UPDATE AS BEGIN "
        "IF (NEW.CodConcentrador = '072') THEN EXCEPTION E_Falha; END");
    QString texto;
    try {
        Passa(QStringLiteral("LLLLLLL"));
        ADD_FAILURE() << "the failing UPDATE raised nothing";
    } catch (const EErro& e) {
        texto = e.Mensagem();
    }
    const QString prefixo = QStringLiteral("Erro ao tentar gravar o status do bico");
    EXPECT_TRUE(texto.startsWith(prefixo)) << texto.toStdString();
    // The database's own message follows with no blank between.
    EXPECT_TRUE(texto.mid(prefixo.size()).contains(QStringLiteral("falha proposital")));
    EXPECT_FALSE(texto.mid(prefixo.size()).startsWith(QLatin1Char(' ')));
    EXPECT_EQ(log.Erros, QStringList{QStringLiteral("Erro ao tentar gravar status do bico 05")});

    QStringList esperadas;
    for (int p = 1; p <= 4; ++p) {
        for (int k = 0; k < 4; ++k)
            esperadas << QStringLiteral("%1L").arg(p + 3 + 64 * k, 3, 10, QLatin1Char('0'));
    }
    esperadas << QStringLiteral("008L");
    EXPECT_EQ(Escritas(), esperadas);
    EXPECT_FALSE(conexao.InTransaction());
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '136'")),
        QStringLiteral("-"));
}

// A commit the database refuses: nothing of the pass survives and the
// refusal is raised; the next pass writes every letter again.
TEST_F(Publicacao, ConfirmacaoRecusadaDesfazAPassagemInteiraELevanta) {
    Executa("CREATE EXCEPTION E_Confirma 'confirmacao recusada'");
    Executa(
        "CREATE TRIGGER T_Confirma ON TRANSACTION COMMIT AS BEGIN "
        "IF (EXISTS(SELECT 1 FROM Bombas WHERE statusbico = 'B')) THEN "
        "EXCEPTION E_Confirma; END");
    try {
        Passa(QStringLiteral("LB"));
        ADD_FAILURE() << "a refused commit raised nothing";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.Mensagem().contains(QStringLiteral("confirmacao recusada")))
            << e.Mensagem().toStdString();
    }
    EXPECT_FALSE(conexao.InTransaction());
    EXPECT_TRUE(Escritas().isEmpty());
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '004'")),
        QStringLiteral("-"));
    Passa(QStringLiteral("LL"));
    EXPECT_EQ(Escritas().size(), 8);
}

// A station that stands still writes nothing; what moved is written alone;
// every position again at the first pass and every ten minutes.
TEST_F(Publicacao, SoAsLetrasQueMudaramEntreAsPassagensCompletas) {
    const QString ate32 = QString(31, QLatin1Char('?'));
    const struct {
        const char* Nome;
        int Segundos;  // clock moved before the pass
        QString Status;
        QStringList Escritas;
    } passos[] = {
        {"primeira: completa", 0, QStringLiteral("LA"),
         Canal("L", {"004", "068", "132", "196"}) + Canal("A", {"005", "069", "133", "197"})},
        {"nada mudou", 1, QStringLiteral("LA"), {}},
        {"posição 2 mudou", 1, QStringLiteral("LB"), Canal("B", {"005", "069", "133", "197"})},
        {"letra ignorada no lugar de uma publicada", 1, QStringLiteral("xB"), {}},
        // The database still holds the L.
        {"a letra volta", 1, QStringLiteral("LB"), {}},
        {"texto maior", 1, QStringLiteral("LBP"), Canal("P", {"006", "070", "134", "198"})},
        {"texto menor", 1, QStringLiteral("LB"), {}},
        {"a 599 s da completa", 593, QStringLiteral("LB"), {}},
        {"a 600 s: completa", 1, QStringLiteral("LB"),
         Canal("L", {"004", "068", "132", "196"}) + Canal("B", {"005", "069", "133", "197"})},
        // Past position 32 every letter lands on the empty code; the last
        // one is what stays there.
        {"depois da 32", 1, ate32 + QStringLiteral("LBC"),
         Canal("L", {"035", "099", "163", "227"}) + Canal("C", {"   ", "   ", "   ", "   "})},
        {"muda a 33, a 34 decide", 1, ate32 + QStringLiteral("LAC"), {}},
        {"muda a 34", 1, ate32 + QStringLiteral("LAE"), Canal("E", {"   ", "   ", "   ", "   "})},
        {"relógio volta atrás: completa", -3600, QStringLiteral("L"),
         Canal("L", {"004", "068", "132", "196"})},
    };
    for (const auto& passo : passos) {
        SCOPED_TRACE(passo.Nome);
        Executa("DELETE FROM Escritas");
        relogio.Avanca(passo.Segundos);
        Passa(passo.Status);
        EXPECT_EQ(Escritas(), passo.Escritas);
        EXPECT_FALSE(conexao.InTransaction());
    }
    EXPECT_TRUE(log.Erros.isEmpty());
}

TEST_F(Publicacao, ValorMudadoPorOutroProgramaVoltaNaPassagemCompleta) {
    Passa(QStringLiteral("L"));
    ExecutaSql(banco, QStringLiteral("UPDATE Bombas SET statusbico = 'B' WHERE CodBico = '068'"));
    relogio.Avanca(TStatusBicos::IntervaloCompletaSegundos - 1);
    Passa(QStringLiteral("L"));
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '068'")),
        QStringLiteral("B"));
    relogio.Avanca(1);
    Passa(QStringLiteral("L"));
    EXPECT_EQ(
        ValorSql(banco, QStringLiteral("Select statusbico From Bombas Where CodBico = '068'")),
        QStringLiteral("L"));
}

// Without a change the pass does not reach the database at all: on a closed
// connection any statement would first connect again.
TEST_F(Publicacao, PassagemSemMudancaNaoFalaComOBanco) {
    Passa(QStringLiteral("LAB"));
    conexao.Close();
    Passa(QStringLiteral("LAB"));
    EXPECT_FALSE(conexao.Connected());
}

// What the database holds may differ from what the last pass left: the next
// pass writes every position again.
TEST_F(Publicacao, DepoisDeFalhaReconexaoOuTransacaoAlheiaAPassagemEhCompleta) {
    const QStringList tudo =
        Canal("L", {"004", "068", "132", "196"}) + Canal("A", {"005", "069", "133", "197"});
    Executa("CREATE EXCEPTION E_Falha 'falha proposital'");
    const struct {
        const char* Nome;
        std::function<void(TStatusBicos&)> Entre;
    } casos[] = {
        {"falha numa passagem",
         [this](TStatusBicos& s) {
             Executa(
                 "CREATE TRIGGER T_Falha FOR Bombas BEFORE UPDATE AS BEGIN "
                 "IF (NEW.CodConcentrador = '005') THEN EXCEPTION E_Falha; END");
             concentrador.Status = QStringLiteral("LB");
             EXPECT_THROW(s.AtualizaStatusBicos(), EErro);
             Executa("DROP TRIGGER T_Falha");
         }},
        {"erro ao ler o status",
         [this](TStatusBicos& s) {
             concentrador.Falha = true;
             EXPECT_THROW(s.AtualizaStatusBicos(), EErro);
             concentrador.Falha = false;
         }},
        {"nova ligação com o banco",
         [this](TStatusBicos&) {
             conexao.Close();
             conexao.Open();
         }},
        {"passagem dentro da unidade de uma tela, desfeita",
         [this](TStatusBicos& s) {
             TTransacao tela(conexao, TDonoTransacao::Tela);
             concentrador.Status = QStringLiteral("LB");
             s.AtualizaStatusBicos();
         }},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TStatusBicos publicacao(
            conexao, [this] { return &concentrador; }, log, &relogio);
        concentrador.Status = QStringLiteral("LA");
        publicacao.AtualizaStatusBicos();
        EXPECT_FALSE(publicacao.ProximaCompleta());
        c.Entre(publicacao);
        EXPECT_TRUE(publicacao.ProximaCompleta());
        Executa("DELETE FROM Escritas");
        concentrador.Status = QStringLiteral("LA");
        publicacao.AtualizaStatusBicos();
        EXPECT_EQ(Escritas(), tudo);
        EXPECT_FALSE(publicacao.ProximaCompleta());
    }
}

TEST_F(Publicacao, TransacaoDeUmaTelaNaoEhConfirmadaPelaPassagem) {
    auto tela = std::make_unique<TTransacao>(conexao, TDonoTransacao::Tela);
    Passa(QStringLiteral("L"));
    EXPECT_TRUE(conexao.InTransaction());
    EXPECT_TRUE(Escritas().isEmpty());
    tela.reset();
    EXPECT_TRUE(Escritas().isEmpty());
}

TEST_F(Publicacao, LetrasDoSimuladorChegamAoBanco) {
    TAmbienteSimulador sim;
    TCompanyTec companytec(TAmbienteSimulador::DiretorioPrograma());
    companytec.PCarregaDllConcentrador();
    sim.Simconc({QStringLiteral("status"), QStringLiteral("4"), QStringLiteral("5"),
                 QStringLiteral("7"), QStringLiteral("1")});
    TStatusBicos doSimulador(
        conexao, [&] { return &companytec; }, log);
    doSimulador.AtualizaStatusBicos();
    // 7 is no status: "P" stands at position 3 and the 44 bytes of 0 ("L")
    // after it make 47 letters.
    const QStringList escritas = Escritas();
    ASSERT_EQ(escritas.size(), 32 * 4 + 15 * 4);
    EXPECT_EQ(escritas.mid(0, 12), Canal("A", {"004", "068", "132", "196"}) +
                                       Canal("B", {"005", "069", "133", "197"}) +
                                       Canal("P", {"006", "070", "134", "198"}));
    EXPECT_EQ(escritas[12], QStringLiteral("007L"));
}

}  // namespace
