// The program's run lock, and the kept-records tool beside the program: it
// refuses to run while the lock is held, lists the file decoded, and stores
// again against the database of Caminho.ini.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "BancoTeste.h"
#include "EstacaoTeste.h"
#include "app/TravaExecucao.h"
#include "capture/DiarioAbastecimentos.h"
#include "tests/ImpressaoQt.h"

namespace {

TEST(TravaExecucao, UmDonoPorVezEALiberadaAoFimDoProcesso) {
    QTemporaryDir pasta;
    TTravaExecucao primeira(pasta.path());
    ASSERT_TRUE(primeira.Adquire());
    EXPECT_TRUE(QFile::exists(primeira.Caminho()));
    TTravaExecucao segunda(pasta.path());
    EXPECT_FALSE(segunda.Adquire()) << "held by another open of the same file";
    primeira.Libera();
    EXPECT_TRUE(segunda.Adquire());
    segunda.Libera();

    // A process that holds it and is killed lets it go with its end.
    int canal[2];
    ASSERT_EQ(::pipe(canal), 0);
    const pid_t filho = ::fork();
    ASSERT_GE(filho, 0);
    if (filho == 0) {
        TTravaExecucao dele(pasta.path());
        const char ok = dele.Adquire() ? '1' : '0';
        (void)::write(canal[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(canal[1]);
    char ok = 0;
    ASSERT_EQ(::read(canal[0], &ok, 1), 1);
    ::close(canal[0]);
    EXPECT_EQ(ok, '1');
    TTravaExecucao terceira(pasta.path());
    EXPECT_FALSE(terceira.Adquire());
    ::kill(filho, SIGKILL);
    ::waitpid(filho, nullptr, 0);
    EXPECT_TRUE(terceira.Adquire());
}

// The tool copied into a program folder of its own, run from a working folder
// with Caminho.ini naming a demo station database.
class Ferramenta : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(pasta.path()).mkpath(QStringLiteral("prog")));
        ASSERT_TRUE(QDir(pasta.path()).mkpath(QStringLiteral("trab")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(COMUNICADOR_RETIDOS_EXE), Exe()));
        banco = CriaBancoTeste(pasta.filePath(QStringLiteral("db")), true);
        QFile ini(pasta.filePath(QStringLiteral("trab/Caminho.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[DATABASEESTOQUE]\r\nCAMINHO=" + banco.toUtf8() + "\r\nUSUARIO=SYSDBA\r\n");
    }
    QString Programa() const { return pasta.filePath(QStringLiteral("prog")); }
    QString Exe() const { return Programa() + QStringLiteral("/comunicador-retidos"); }
    QString Retidos() const {
        return Programa() + u'/' + TDiarioAbastecimentos::NomeArquivoRetidos();
    }
    int Roda(const QStringList& argumentos) {
        QProcess p;
        p.setWorkingDirectory(pasta.filePath(QStringLiteral("trab")));
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(ambiente);
        p.start(Exe(), argumentos);
        EXPECT_TRUE(p.waitForFinished(60000));
        saida = QString::fromUtf8(p.readAllStandardOutput());
        erros = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    QTemporaryDir pasta;
    QString banco;
    QString saida, erros;
};

TEST_F(Ferramenta, RecusaComOProgramaAbertoListaEGrava) {
    TCampos c;
    c.Codigo = "04";  // nozzle 01 of the demo station
    c.Registro = 300;
    const TAbastecimento r = RegistroPadrao(c);
    const QByteArray linha =
        "25/12/2024 14:35:07 S " +
        QByteArray(reinterpret_cast<const char*>(r.Bytes), sizeof r.Bytes).toHex().toUpper() +
        " Banco fora\r\n";
    {
        QFile f(Retidos());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(linha);
    }

    {
        TTravaExecucao programa(Programa());
        ASSERT_TRUE(programa.Adquire());
        EXPECT_EQ(Roda({QStringLiteral("--gravar")}), 3);
        EXPECT_TRUE(erros.contains(QStringLiteral("O Comunicador está em execução")))
            << erros.toStdString();
        EXPECT_EQ(Roda({}), 3);
    }
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select Count(*) From MvAbast")), QStringLiteral("0"));

    EXPECT_EQ(Roda({}), 0) << erros.toStdString();
    EXPECT_TRUE(saida.contains(QStringLiteral("25/12/2024 14:35  bico 004 (04)")) &&
                saida.contains(QStringLiteral("motivo: Banco fora")))
        << saida.toStdString();

    EXPECT_EQ(Roda({QStringLiteral("--gravar")}), 0) << erros.toStdString();
    EXPECT_TRUE(
        saida.contains(QStringLiteral("Gravados: 1. Já estavam no banco: 0. Continuam "
                                      "retidos: 0.")))
        << saida.toStdString();
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select Count(*) From MvAbast Where Id = 300 And "
                                             "CodBico = '01'")),
              QStringLiteral("1"));
    QFile f(Retidos());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().isEmpty());
    EXPECT_EQ(QDir(Programa()).entryList({QStringLiteral("LogFluvio*")}).size(), 1)
        << "the activity line of the stored fueling, in the program's own log";

    EXPECT_EQ(Roda({QStringLiteral("--gravar")}), 0);
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select Count(*) From MvAbast")), QStringLiteral("1"));
    EXPECT_EQ(Roda({QStringLiteral("--xyz")}), 2);
}

}  // namespace
