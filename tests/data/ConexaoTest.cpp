#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <memory>

#include "../ImpressaoQt.h"
#include "BancoFixture.h"
#include "BancoTeste.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Erro.h"
#include "data/Transacao.h"

namespace {

void DefineSequencia(TConexao& con, int valor) {
    TQuery q;
    q.SetConnection(&con);
    q.SetSQL(QStringLiteral("Update ParaPosto Set SequenciaAbast = %1").arg(valor));
    q.ExecSQL();
}

class ConexaoTest : public TBancoFixture {
  protected:
    void SetUp() override {
        CriaBanco();
        m_con.Open();
    }

    int SequenciaComprometida() { return Valor("Select SequenciaAbast From ParaPosto").toInt(); }
};

TEST(ConexaoParametros, LinhasPorNomeSemCaixaEValorVazioRemove) {
    TConexao con;
    con.DefineParametrosPadrao();
    EXPECT_EQ(con.Parametro(Texto("sqldialect")), Texto("1"));
    EXPECT_EQ(con.Parametro(Texto("INTERBASE TRANSISOLATION")), Texto("ReadCommited"));
    EXPECT_EQ(con.Parametro(Texto("User_Name")), Texto("sysdba"));
    EXPECT_EQ(con.Parametro(Texto("Password")), Texto("tankgauge"));
    EXPECT_TRUE(con.Parametros().contains(Texto("ServerCharSet=")));
    const qsizetype linhas = con.Parametros().size();

    con.DefineParametro(Texto("DataBase"), Texto("/dados/Varmeno.gdb"));
    EXPECT_EQ(con.Parametros().size(), linhas) << "the Database line is replaced, not added";
    EXPECT_EQ(con.Parametro(Texto("database")), Texto("/dados/Varmeno.gdb"));
    EXPECT_TRUE(con.Parametros().contains(Texto("DataBase=/dados/Varmeno.gdb")));

    con.DefineParametro(Texto("PASSWORD"), QString());
    EXPECT_EQ(con.Parametros().size(), linhas - 1);
    EXPECT_TRUE(con.Parametro(Texto("Password")).isEmpty());
    con.DefineParametro(Texto("Password"), QString());  // nothing left to remove
    EXPECT_EQ(con.Parametros().size(), linhas - 1);

    con.DefineParametro(Texto("Novo"), Texto("x=y"));
    EXPECT_EQ(con.Parametros().last(), Texto("Novo=x=y"));
    EXPECT_EQ(con.Parametro(Texto("novo")), Texto("x=y"));
}

TEST_F(ConexaoTest, AbreEFechaSemErroRepetido) {
    EXPECT_TRUE(m_con.Connected());
    // A path without host: the file is opened in-process, no network protocol.
    EXPECT_EQ(Protocolo(), Texto("<null>"));
    m_con.Open();  // already open
    EXPECT_TRUE(m_con.Responde());
    m_con.Close();
    EXPECT_FALSE(m_con.Connected());
    EXPECT_FALSE(m_con.Responde());
    m_con.Close();  // closing a closed connection does nothing
    m_con.Open();
    EXPECT_TRUE(m_con.Connected());
}

TEST_F(ConexaoTest, ComandoSemTransacaoExplicitaEConfirmadoNaHora) {
    ASSERT_FALSE(m_con.InTransaction());
    DefineSequencia(m_con, 7);
    EXPECT_FALSE(m_con.InTransaction());
    EXPECT_EQ(SequenciaComprometida(), 7);
}

TEST_F(ConexaoTest, ComandoDentroDaTransacaoSoApareceNaConfirmacao) {
    IniciaTransacao(m_con);
    DefineSequencia(m_con, 8);
    // The connection itself sees its own pending change.
    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Select SequenciaAbast From ParaPosto"));
    q.Open();
    EXPECT_EQ(q.AsInteger(Texto("SequenciaAbast")), 8);
    EXPECT_EQ(SequenciaComprometida(), 1);
    ConfirmaTransacao(m_con);
    EXPECT_EQ(SequenciaComprometida(), 8);
}

TEST_F(ConexaoTest, ConfirmarDepoisDeDesfazerNaoFazNada) {
    IniciaTransacao(m_con);
    DefineSequencia(m_con, 9);
    DesfazTransacao(m_con);
    EXPECT_FALSE(m_con.InTransaction());
    ConfirmaTransacao(m_con);
    EXPECT_FALSE(m_con.InTransaction());
    EXPECT_EQ(SequenciaComprometida(), 1);
}

TEST_F(ConexaoTest, IniciarDuasVezesJuntaTudoNaPrimeiraTransacao) {
    IniciaTransacao(m_con);
    DefineSequencia(m_con, 10);
    IniciaTransacao(m_con);  // no nesting: joins the open one
    Executa(m_con, Texto("Update Bombas Set statusbico = 'B' Where CodBico = '01'"));
    EXPECT_EQ(SequenciaComprometida(), 1);
    ConfirmaTransacao(m_con);
    EXPECT_FALSE(m_con.InTransaction());
    EXPECT_EQ(SequenciaComprometida(), 10);
    EXPECT_EQ(ValorSql(m_banco, Texto("Select statusbico From Bombas Where CodBico = '01'")),
              Texto("B"));
    ConfirmaTransacao(m_con);  // nothing active: nothing happens
    DesfazTransacao(m_con);
    EXPECT_EQ(SequenciaComprometida(), 10);
}

TEST_F(ConexaoTest, DesfazerDescartaTudoDaTransacao) {
    IniciaTransacao(m_con);
    DefineSequencia(m_con, 11);
    Executa(m_con, Texto("Delete From Bombas"));
    DesfazTransacao(m_con);
    EXPECT_EQ(SequenciaComprometida(), 1);
    EXPECT_EQ(ValorSql(m_banco, Texto("Select Count(*) From Bombas")), Texto("4"));
}

TEST_F(ConexaoTest, StartTransactionDiretoComTransacaoAtivaFalha) {
    m_con.StartTransaction();
    EXPECT_THROW(m_con.StartTransaction(), EErroBanco);
    EXPECT_TRUE(m_con.InTransaction());
    m_con.Rollback();
    EXPECT_FALSE(m_con.InTransaction());
}

TEST_F(ConexaoTest, FecharComTransacaoAbertaDesfazEla) {
    IniciaTransacao(m_con);
    DefineSequencia(m_con, 12);
    m_con.Close();
    EXPECT_FALSE(m_con.InTransaction());
    EXPECT_EQ(SequenciaComprometida(), 1);
}

TEST_F(ConexaoTest, ConexaoFechadaReconectaAoAbrirUmDataSet) {
    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Select Count(*) As N From Bombas"));
    q.Open();
    m_con.Close();
    q.Close();
    q.Open();  // one more attempt to connect, as the original layer did
    EXPECT_TRUE(m_con.Connected());
    EXPECT_EQ(q.AsInteger(Texto("N")), 4);
}

TEST_F(ConexaoTest, ConexaoDerrubadaDaErroMarcadoENaoQuebra) {
    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Update ParaPosto Set SequenciaAbast = :PSeq"));
    q.ParamInteger(Texto("PSeq"), 2);
    ASSERT_EQ(q.ExecSQL(), 1);
    IniciaTransacao(m_con);

    auto outra = Outra();
    Executa(*outra,
            Texto("Delete From Mon$Attachments Where Mon$Attachment_Id <> Current_Connection"));

    q.ParamInteger(Texto("PSeq"), 3);
    try {
        q.ExecSQL();
        FAIL() << "a killed attachment must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.ConexaoPerdida()) << e.Mensagem().toStdString();
        EXPECT_FALSE(e.Mensagem().isEmpty());
    }
    EXPECT_FALSE(m_con.Connected());
    EXPECT_FALSE(m_con.Responde());

    // The unit of work stays failed: nothing of it runs in autocommit, and
    // its commit raises instead of reporting success.
    EXPECT_TRUE(m_con.InTransaction());
    q.ParamInteger(Texto("PSeq"), 4);
    try {
        q.ExecSQL();
        FAIL() << "a statement of a cut unit of work must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.ConexaoPerdida());
    }
    try {
        ConfirmaTransacao(m_con);
        FAIL() << "the commit of a cut unit of work must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.ConexaoPerdida());
    }
    EXPECT_EQ(SequenciaComprometida(), 2);

    // Its owner undoes it; the next statement connects again and works.
    DesfazTransacao(m_con);
    EXPECT_FALSE(m_con.InTransaction());
    q.ParamInteger(Texto("PSeq"), 5);
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_EQ(SequenciaComprometida(), 5);
}

TEST_F(ConexaoTest, ConexaoDestruidaAntesDosDataSetsNaoDeixaPonteiroSolto) {
    auto con = Outra();
    TQuery q;
    q.SetConnection(con.get());
    q.SetSQL(Texto("Select * From Bombas"));
    q.Open();
    con.reset();
    EXPECT_EQ(q.Connection(), nullptr);
    q.Close();
    EXPECT_THROW(q.Open(), EErroBanco);
}

struct CasoBancoInalcancavel {
    const char* nome;
    QString (*caminho)(const QString& pasta);
    const char* trechoEsperado;
    bool conexaoPerdida;
};

const CasoBancoInalcancavel kInalcancaveis[] = {
    {"arquivo inexistente",
     [](const QString& pasta) { return pasta + QStringLiteral("/nao/existe.fdb"); },
     "I/O error during \"open\" operation", false},
    {"servidor que nao responde",
     [](const QString& pasta) {
         return QStringLiteral("127.0.0.1/1:") + pasta + QStringLiteral("/x.fdb");
     },
     "Unable to complete network request to host \"127.0.0.1\"", true},
};

// A service stop or a logout sends SIGTERM; the program closes through its
// own path, so the open connection must still work after the signal. The
// handler goes in before the first connection of the process, as the
// program's does; the client library then adds its own behind it.
TEST(ConexaoSinal, SinalDeTerminoNaoDerrubaAConexao) {
    static volatile std::sig_atomic_t recebidos = 0;
    struct sigaction acao = {}, anterior = {};
    acao.sa_handler = [](int) { recebidos = recebidos + 1; };
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART;
    ASSERT_EQ(::sigaction(SIGTERM, &acao, &anterior), 0);

    QTemporaryDir pasta;
    ASSERT_TRUE(pasta.isValid());
    TConexao con;
    ConfiguraConexaoTeste(con, CriaBancoTeste(pasta.path(), true));
    con.Open();
    DefineSequencia(con, 1);
    ASSERT_EQ(::raise(SIGTERM), 0);
    // The client library would react on a thread of its own: give it time.
    QThread::msleep(1500);
    EXPECT_GE(recebidos, 1);
    EXPECT_NO_THROW(DefineSequencia(con, 2));
    EXPECT_TRUE(con.Connected());
    con.Close();
    ::sigaction(SIGTERM, &anterior, nullptr);
}

TEST_F(ConexaoTest, BancoInalcancavelDaErroComOTextoDoFirebird) {
    for (const auto& caso : kInalcancaveis) {
        SCOPED_TRACE(caso.nome);
        TConexao con;
        ConfiguraConexaoTeste(con, caso.caminho(m_pasta.path()));
        try {
            con.Open();
            FAIL() << "opening must fail";
        } catch (const EErroBanco& e) {
            EXPECT_TRUE(e.Mensagem().contains(QString::fromUtf8(caso.trechoEsperado)))
                << e.Mensagem().toStdString();
            EXPECT_EQ(e.ConexaoPerdida(), caso.conexaoPerdida);
        }
        EXPECT_FALSE(con.Connected());
        // A dataset on it tries once more and raises again.
        TQuery q;
        q.SetConnection(&con);
        q.SetSQL(Texto("Select * From Bombas"));
        EXPECT_THROW(q.Open(), EErroBanco);
        EXPECT_THROW(IniciaTransacao(con), EErroBanco);
        EXPECT_FALSE(con.InTransaction());
    }
}

}  // namespace

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>

namespace {

// A port on 127.0.0.1 that takes connections (the kernel completes them)
// and never answers, as a host that hangs does.
class TPortaMuda {
  public:
    TPortaMuda() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in end{};
        end.sin_family = AF_INET;
        end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        end.sin_port = 0;
        if (::bind(m_socket, reinterpret_cast<sockaddr*>(&end), sizeof end) == 0 &&
            ::listen(m_socket, 8) == 0) {
            socklen_t tam = sizeof end;
            ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&end), &tam);
            m_porta = ntohs(end.sin_port);
        }
    }
    ~TPortaMuda() { ::close(m_socket); }
    TPortaMuda(const TPortaMuda&) = delete;
    TPortaMuda& operator=(const TPortaMuda&) = delete;
    int Porta() const { return m_porta; }

  private:
    int m_socket = -1;
    int m_porta = 0;
};

TEST(ConexaoLimites, HostQueNaoRespondeDesisteNoPrazoDeConexao) {
    TPortaMuda muda;
    ASSERT_GT(muda.Porta(), 0);
    TConexao con;
    ConfiguraConexaoTeste(con, QStringLiteral("127.0.0.1/%1:/nada.fdb").arg(muda.Porta()));
    TLimitesConexao limites;
    limites.ConexaoSegundos = 2;
    con.DefineLimites(limites);
    QElapsedTimer relogio;
    relogio.start();
    EXPECT_THROW(con.Open(), EErroBanco);
    const qint64 ms = relogio.elapsed();
    std::printf("conexao a um host mudo: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 6000) << "the client's own default is minutes";
    EXPECT_FALSE(con.Connected());
}

// Another program's long transaction holding a row: the wait ends after the
// lock bound with an error that says so, and the work can be done later.
TEST_F(ConexaoTest, LinhaPresaPorOutraTransacaoEsperaOPrazoEFalhaComoBloqueio) {
    m_con.Close();
    TLimitesConexao limites;
    limites.BloqueioSegundos = 1;
    m_con.DefineLimites(limites);
    m_con.Open();
    auto outra = Outra();
    IniciaTransacao(*outra);
    Executa(*outra, Texto("Update ParaPosto Set CorrigeLitragem = 'N'"));

    QElapsedTimer relogio;
    relogio.start();
    for (const bool explicita : {false, true}) {
        SCOPED_TRACE(explicita ? "explicit transaction" : "autocommit");
        TTransacao unidade(m_con, TDonoTransacao::Ciclo);
        if (!explicita)
            unidade.Desfaz();
        relogio.restart();
        try {
            DefineSequencia(m_con, 77);
            FAIL() << "a held row must not be waited for without end";
        } catch (const EErroBanco& e) {
            EXPECT_TRUE(e.Bloqueio()) << e.Mensagem().toStdString();
            EXPECT_FALSE(e.ConexaoPerdida());
        }
        EXPECT_LT(relogio.elapsed(), 5000);
        EXPECT_TRUE(m_con.Connected());
    }
    std::printf("espera por uma linha presa: %lld ms\n", static_cast<long long>(relogio.elapsed()));

    ConfirmaTransacao(*outra);
    DefineSequencia(m_con, 78);
    EXPECT_EQ(SequenciaComprometida(), 78);
}

}  // namespace
