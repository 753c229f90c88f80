#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "../ImpressaoQt.h"
#include "BancoFixture.h"
#include "BancoTeste.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Erro.h"

namespace {

class ServidorTest : public TBancoFixture {
  protected:
    void SetUp() override { CriaBanco(true); }
};

TEST_F(ServidorTest, TrabalhaPeloServidorComTransacoesEAutocommit) {
    m_con.Open();
    EXPECT_EQ(Protocolo(), Texto("TCPv4"));

    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Update ParaPosto Set SequenciaAbast = :PSeq"));
    q.ParamInteger(Texto("PSeq"), 5);
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("5"));

    IniciaTransacao(m_con);
    q.ParamInteger(Texto("PSeq"), 6);
    q.ExecSQL();
    IniciaTransacao(m_con);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("5"));
    ConfirmaTransacao(m_con);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("6"));
    ConfirmaTransacao(m_con);

    q.SetSQL(Texto("Select * From MvAbast Where Data = :PData"));
    q.ParamText(Texto("PData"), Texto("25.12.2024"));
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
}

TEST_F(ServidorTest, SenhaErradaDaErroComOTextoDoServidor) {
    TConexao con;
    ConfiguraConexaoTeste(con, m_banco, Texto("errada"));
    try {
        con.Open();
        FAIL() << "a wrong password must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.Mensagem().contains(Texto("Your user name and password are not defined")))
            << e.Mensagem().toStdString();
        EXPECT_FALSE(e.ConexaoPerdida());
    }
    EXPECT_FALSE(con.Connected());
}

TEST_F(ServidorTest, BancoInexistenteNoServidorDaErroComOTextoDoServidor) {
    TConexao con;
    ConfiguraConexaoTeste(con, ServidorTeste() + Texto(":") + m_pasta.path() + Texto("/nada.fdb"),
                          SenhaServidorTeste());
    try {
        con.Open();
        FAIL() << "a missing database must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.Mensagem().contains(Texto("I/O error during \"open\" operation for file")))
            << e.Mensagem().toStdString();
        EXPECT_TRUE(e.Mensagem().contains(Texto("nada.fdb")));
    }
    EXPECT_FALSE(con.Connected());
}

TEST_F(ServidorTest, ConexaoDerrubadaNoServidorDaErroEReconecta) {
    m_con.Open();
    IniciaTransacao(m_con);
    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Update ParaPosto Set SequenciaAbast = :PSeq"));
    q.ParamInteger(Texto("PSeq"), 8);
    ASSERT_EQ(q.ExecSQL(), 1);

    auto outra = Outra();
    Executa(*outra,
            Texto("Delete From Mon$Attachments Where Mon$Attachment_Id <> Current_Connection"));

    try {
        q.ExecSQL();
        FAIL() << "a killed attachment must raise";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.ConexaoPerdida()) << e.Mensagem().toStdString();
    }
    EXPECT_FALSE(m_con.Connected());
    EXPECT_TRUE(m_con.InTransaction());
    EXPECT_THROW(ConfirmaTransacao(m_con), EErroBanco) << "never reported as committed";
    q.ParamInteger(Texto("PSeq"), 9);
    EXPECT_THROW(q.ExecSQL(), EErroBanco) << "never run in autocommit in its place";
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("1")) << "the work was lost";

    DesfazTransacao(m_con);
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("9"));
}

}  // namespace

#include <csignal>

#include <QElapsedTimer>

namespace {

// The server frozen mid-stream (SIGSTOP), as a hung server or a pulled cable
// leaves an established link: the call is given up at the bound as a lost
// link, closing does not wait either, and once the server is back the
// connection works again.
TEST_F(ServidorTest, ServidorCongeladoAbandonaAChamadaNoPrazoEVoltaDepois) {
    const qint64 pid = PidServidorTeste();
    ASSERT_GT(pid, 0);
    TLimitesConexao limites;
    limites.ChamadaMs = 2000;
    limites.ConexaoSegundos = 2;
    m_con.DefineLimites(limites);
    m_con.Open();
    TQuery q;
    q.SetConnection(&m_con);
    q.SetSQL(Texto("Update ParaPosto Set SequenciaAbast = :PSeq"));
    q.ParamInteger(Texto("PSeq"), 3);
    ASSERT_EQ(q.ExecSQL(), 1);

    struct TDescongela {
        qint64 pid;
        ~TDescongela() { ::kill(pid_t(pid), SIGCONT); }
    } descongela{pid};
    ASSERT_EQ(::kill(pid_t(pid), SIGSTOP), 0);

    QElapsedTimer relogio;
    relogio.start();
    q.ParamInteger(Texto("PSeq"), 4);
    try {
        q.ExecSQL();
        FAIL() << "a frozen server must not hold the call for ever";
    } catch (const EErroBanco& e) {
        EXPECT_TRUE(e.ConexaoPerdida()) << e.Mensagem().toStdString();
    }
    const qint64 chamada = relogio.elapsed();
    EXPECT_FALSE(m_con.Connected());
    EXPECT_FALSE(m_con.Responde());

    relogio.restart();
    EXPECT_THROW(m_con.Open(), EErroBanco);  // the connect bound
    const qint64 reconexao = relogio.elapsed();
    std::printf("servidor congelado: chamada %lld ms, reconexao %lld ms\n",
                static_cast<long long>(chamada), static_cast<long long>(reconexao));
    EXPECT_LT(chamada, 6000);
    EXPECT_LT(reconexao, 6000);

    ::kill(pid_t(pid), SIGCONT);
    QThread::msleep(200);
    q.ParamInteger(Texto("PSeq"), 5);
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("5"));
}

}  // namespace
