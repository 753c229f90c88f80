#include <gtest/gtest.h>

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "AmbienteSimulador.h"
#include "BancoTeste.h"
#include "app/TravaExecucao.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "tests/ImpressaoQt.h"

namespace {

QByteArray Le(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The program's folder with the library beside it, the working folder with
// Caminho.ini, a fresh demo database and a fresh simulator state.
class Programa : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(raiz.isValid());
        QDir(raiz.path()).mkpath(QStringLiteral("programa"));
        QDir(raiz.path()).mkpath(QStringLiteral("trabalho"));
        programa = QDir(raiz.path()).filePath(QStringLiteral("programa"));
        trabalho = QDir(raiz.path()).filePath(QStringLiteral("trabalho"));
        executavel = QDir(programa).filePath(QStringLiteral("comunicador"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(COMUNICADOR_EXE), executavel));
        ASSERT_TRUE(QFile::copy(QStringLiteral(COMPANYTEC_SIM_LIB),
                                QDir(programa).filePath(QStringLiteral("libCompanytec.so"))));

        banco = CriaBancoTeste(raiz.path(), true);
        QFile ini(QDir(trabalho).filePath(QStringLiteral("Caminho.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[DATABASEESTOQUE]\r\nCAMINHO=" + QFile::encodeName(banco) +
                  "\r\nUSUARIO=SYSDBA\r\nSENHA=masterkey\r\n");
    }

    void Inicia() {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        ambiente.insert(QStringLiteral("COMPANYTEC_SIM_DIR"), sim.PastaEstado());
        // A point for the decimal separator, whatever the machine says.
        ambiente.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        processo.setProcessEnvironment(ambiente);
        processo.setWorkingDirectory(trabalho);
        processo.setProcessChannelMode(QProcess::MergedChannels);
        processo.start(executavel, {});
        ASSERT_TRUE(processo.waitForStarted(10000));
    }

    QString LogDoDia() const {
        return QDir(programa).filePath(QStringLiteral("LogFluvio") +
                                       QDate::currentDate().toString(QStringLiteral("ddMMyyyy")));
    }

    // The day's activity log is what the program writes while it runs; the
    // database file stays the program's own until it ends.
    QList<QByteArray> EsperaLinhas(int n) {
        QDeadlineTimer prazo(90000);
        QList<QByteArray> linhas;
        while (!prazo.hasExpired() && processo.state() == QProcess::Running) {
            linhas = Le(LogDoDia()).split('\n');
            if (!linhas.isEmpty() && linhas.last().isEmpty())
                linhas.removeLast();
            if (linhas.size() >= n)
                break;
            QThread::msleep(200);
        }
        return linhas;
    }

    QTemporaryDir raiz;
    TAmbienteSimulador sim;
    QString programa, trabalho, executavel, banco;
    QProcess processo;
};

TEST_F(Programa, AbastecimentosViramLinhasDoMvAbastEDoLogEOProgramaFechaAPorta) {
    sim.Simconc({QStringLiteral("encerrante"), QStringLiteral("004"), QStringLiteral("1000")});
    const auto abastece = [&](const char* bico, const char* litros, const char* preco,
                              const char* valor, const char* hora, const char* registro) {
        sim.Simconc({QStringLiteral("abastece"), QLatin1String(bico), QLatin1String(litros),
                     QLatin1String(preco), QStringLiteral("--valor"), QLatin1String(valor),
                     QStringLiteral("--data"), QStringLiteral("24/12/2024"),
                     QStringLiteral("--hora"), QLatin1String(hora), QStringLiteral("--registro"),
                     QLatin1String(registro)});
    };
    // 9998 and 9999 close a register cycle; the concentrator then starts at 1.
    abastece("004", "10.5", "5.899", "61.94", "10:00:00", "9998");
    abastece("005", "20", "3.999", "79.98", "10:00:00", "9999");
    // Position 1 (code 004) blocked-free "A", position 2 "B".
    sim.Simconc({QStringLiteral("status"), QStringLiteral("4"), QStringLiteral("5")});

    Inicia();
    ASSERT_EQ(EsperaLinhas(2).size(), 2) << processo.readAll().toStdString();
    // The tools beside it see it running.
    EXPECT_FALSE(TTravaExecucao(programa).Adquire());
    // Dispensed while the program runs: the same nozzle and time as the
    // first, and a nozzle of the second column of the channel table.
    abastece("004", "1.25", "5.899", "7.37", "10:00", "1");
    abastece("068", "100", "6.199", "619.90", "23:59:59", "2");
    const QList<QByteArray> linhas = EsperaLinhas(4);

    processo.terminate();  // SIGTERM: the tray menu's "&Sair"
    ASSERT_TRUE(processo.waitForFinished(30000));
    const std::string saida = processo.readAll().toStdString();
    EXPECT_EQ(processo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(processo.exitCode(), 0) << saida;
    EXPECT_TRUE(TTravaExecucao(programa).Adquire()) << "the lock ends with the program";

    EXPECT_EQ(linhas,
              (QList<QByteArray>{
                  " 24/12/2024   10:00:00   01        10.500           5.899           61.94"
                  "  001 998    004\r",
                  " 24/12/2024   10:00:00   02        20.000           3.999           79.98"
                  "  001 999    005\r",
                  " 24/12/2024   10:00:01   01         1.250           5.899            7.37"
                  "  002 001    004\r",
                  " 24/12/2024   23:59:59   03       100.000           6.199          619.90"
                  "  002 002    068\r",
              }));
    EXPECT_FALSE(QFile::exists(QDir(programa).filePath(QStringLiteral("LogErroConcentrador"))))
        << Le(QDir(programa).filePath(QStringLiteral("LogErroConcentrador"))).toStdString()
        << saida;

    TConexao conexao;
    ConfiguraConexaoTeste(conexao, banco);
    TQuery q;
    q.SetConnection(&conexao);
    q.SetSQL(QStringLiteral(
        "Select Data, Hora, CodBico, Combustivel, Litragem, Valor, CodProd, CodGrade, CodFid, "
        "PrecoUnit, Desconto, Emitido, Id, Sequencia, EncerranteFinal From MvAbast "
        "Order By Sequencia, Id"));
    q.Open();
    struct Linha {
        QString Hora, CodBico, Combustivel;
        double Litragem, Valor, PrecoUnit;
        int Id, Sequencia;
    };
    const Linha esperadas[] = {
        {QStringLiteral("10:00:00"), QStringLiteral("01"), QStringLiteral("GASOLINA COMUM"), 10.5,
         61.94, 5.899, 9998, 1},
        {QStringLiteral("10:00:00"), QStringLiteral("02"), QStringLiteral("ETANOL HIDRATADO"), 20,
         79.98, 3.999, 9999, 1},
        {QStringLiteral("10:00:01"), QStringLiteral("01"), QStringLiteral("GASOLINA COMUM"), 1.25,
         7.37, 5.899, 1, 2},
        {QStringLiteral("23:59:59"), QStringLiteral("03"), QStringLiteral("OLEO DIESEL S10"), 100,
         619.90, 6.199, 2, 2},
    };
    ASSERT_EQ(q.RecordCount(), 4);
    for (const Linha& l : esperadas) {
        SCOPED_TRACE(l.Id);
        EXPECT_EQ(q.AsDate(QStringLiteral("Data")), QDate(2024, 12, 24));
        EXPECT_EQ(q.AsString(QStringLiteral("Hora")), l.Hora);
        EXPECT_EQ(q.AsString(QStringLiteral("CodBico")), l.CodBico);
        EXPECT_EQ(q.AsString(QStringLiteral("Combustivel")), l.Combustivel);
        EXPECT_DOUBLE_EQ(q.AsFloat(QStringLiteral("Litragem")), l.Litragem);
        EXPECT_DOUBLE_EQ(q.AsFloat(QStringLiteral("Valor")), l.Valor);
        EXPECT_DOUBLE_EQ(q.AsFloat(QStringLiteral("PrecoUnit")), l.PrecoUnit);
        EXPECT_TRUE(q.IsNull(QStringLiteral("CodFid")));
        EXPECT_EQ(q.AsString(QStringLiteral("Emitido")), QStringLiteral("N"));
        EXPECT_EQ(q.AsInteger(QStringLiteral("Id")), l.Id);
        EXPECT_EQ(q.AsInteger(QStringLiteral("Sequencia")), l.Sequencia);
        q.Next();
    }
    q.First();  // the first fueling on 004, whose totalizer started at 1000
    EXPECT_DOUBLE_EQ(q.AsFloat(QStringLiteral("EncerranteFinal")), 1010.5);
    q.Close();

    TQuery status;
    status.SetConnection(&conexao);
    status.SetSQL(
        QStringLiteral("Select CodConcentrador, statusbico From Bombas "
                       "Where CodConcentrador In ('004', '005') Order By 1"));
    status.Open();
    ASSERT_EQ(status.RecordCount(), 2);
    EXPECT_EQ(status.AsString(QStringLiteral("statusbico")), QStringLiteral("A"));
    status.Next();
    EXPECT_EQ(status.AsString(QStringLiteral("statusbico")), QStringLiteral("B"));
    status.Close();
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select SequenciaAbast From ParaPosto")),
              QStringLiteral("2"));

    const QList<QByteArray> chamadas = sim.Chamadas();
    ASSERT_FALSE(chamadas.isEmpty());
    EXPECT_EQ(chamadas.last(), QByteArray("FechaSerial"));
    EXPECT_EQ(sim.Entregas().size(), 4);
}

// A second copy started beside the running one (autostart and a manual
// start): it says "O comunicador já está em execução." and ends without
// opening the serial port, reading a fueling or writing a file; the first
// copy goes on storing.
TEST_F(Programa, SegundaCopiaAoLadoNaoTocaNoConcentradorNemNosArquivos) {
    sim.Simconc({QStringLiteral("abastece"), QStringLiteral("004"), QStringLiteral("10"),
                 QStringLiteral("5.899")});
    Inicia();
    ASSERT_EQ(EsperaLinhas(1).size(), 1) << processo.readAll().toStdString();
    const auto inicializacoes = [&] {
        int n = 0;
        for (const QByteArray& c : sim.Chamadas())
            n += c.startsWith("InicializaSerial") ? 1 : 0;
        return n;
    };
    ASSERT_EQ(inicializacoes(), 1);
    const QByteArray logAntes = Le(LogDoDia());

    QProcess segunda;
    segunda.setProcessEnvironment(processo.processEnvironment());
    segunda.setWorkingDirectory(trabalho);
    segunda.setProcessChannelMode(QProcess::MergedChannels);
    segunda.start(executavel, {});
    ASSERT_TRUE(segunda.waitForStarted(10000));
    // Offscreen, its information box stays up until the process is ended.
    QThread::msleep(3000);
    EXPECT_EQ(segunda.state(), QProcess::Running) << "the box is showing";
    EXPECT_EQ(inicializacoes(), 1) << "the second copy opened no serial port";
    EXPECT_EQ(Le(LogDoDia()), logAntes) << "the second copy wrote no log header";
    EXPECT_FALSE(QFile::exists(QDir(programa).filePath(QStringLiteral("LogErroConcentrador"))));
    segunda.kill();
    segunda.waitForFinished(10000);

    sim.Simconc({QStringLiteral("abastece"), QStringLiteral("005"), QStringLiteral("20"),
                 QStringLiteral("3.999")});
    EXPECT_EQ(EsperaLinhas(2).size(), 2) << "the first copy goes on";
    processo.terminate();
    ASSERT_TRUE(processo.waitForFinished(30000));
    EXPECT_EQ(processo.exitCode(), 0);
}

}  // namespace
