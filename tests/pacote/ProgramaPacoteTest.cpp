// The packaged program, unpacked as dpkg would install it: started the way
// its autostart entry says, with the simulator package's library beside it,
// it stores a fueling in a station database.
#include <gtest/gtest.h>

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "BancoTeste.h"
#include "tests/ImpressaoQt.h"

namespace {

QByteArray Le(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The value of `chave=` in a desktop entry, or in an INI section.
QString Valor(const QByteArray& texto, const char* chave) {
    const QRegularExpression linha(QStringLiteral("^%1=(.*?)\\r?$").arg(QLatin1String(chave)),
                                   QRegularExpression::MultilineOption);
    return linha.match(QString::fromUtf8(texto)).captured(1);
}

QString Pacote(const char* nome) {
    QDir pasta(QStringLiteral(PACOTES_DIR));
    const QStringList debs =
        pasta.entryList({QLatin1String(nome) + QStringLiteral("_*.deb")}, QDir::Files);
    return debs.size() == 1 ? pasta.filePath(debs.first()) : QString();
}

void Executa(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, argumentos);
    ASSERT_TRUE(p.waitForFinished(60000)) << programa.toStdString();
    ASSERT_EQ(p.exitCode(), 0) << argumentos.join(u' ').toStdString() << ": "
                               << p.readAll().toStdString();
}

TEST(PacoteInstalado, ProgramaDescompactadoGravaUmAbastecimento) {
    const QString deb = Pacote("comunicador-posto");
    const QString debSimulador = Pacote("comunicador-posto-simulador");
    ASSERT_FALSE(deb.isEmpty()) << PACOTES_DIR;
    ASSERT_FALSE(debSimulador.isEmpty()) << PACOTES_DIR;

    QTemporaryDir raiz, estado, bancos;
    ASSERT_TRUE(raiz.isValid() && estado.isValid() && bancos.isValid());
    Executa(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, raiz.path()});
    Executa(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), debSimulador, raiz.path()});

    const QByteArray entrada =
        Le(raiz.path() + QStringLiteral("/etc/xdg/autostart/comunicador-posto.desktop"));
    const QString executavel = raiz.path() + Valor(entrada, "Exec");
    const QString trabalho = raiz.path() + Valor(entrada, "Path");
    const QString pastaPrograma = QFileInfo(executavel).absolutePath();
    ASSERT_TRUE(QFile::exists(executavel)) << entrada.toStdString();
    ASSERT_TRUE(QFile::exists(pastaPrograma + QStringLiteral("/libCompanytec.so")));

    // The packaged example, pointed at the demo station; its other keys stay.
    const QString banco = CriaBancoTeste(bancos.path(), true);
    const QString caminhoIni = trabalho + QStringLiteral("/Caminho.ini");
    QByteArray ini = Le(caminhoIni);
    ASSERT_FALSE(Valor(ini, "CAMINHO").isEmpty()) << ini.toStdString();
    EXPECT_EQ(Valor(ini, "USUARIO"), QStringLiteral("SYSDBA"));
    ini.replace(Valor(ini, "CAMINHO").toUtf8(), QFile::encodeName(banco));
    QFile arquivoIni(caminhoIni);
    ASSERT_TRUE(arquivoIni.open(QIODevice::WriteOnly | QIODevice::Truncate));
    arquivoIni.write(ini);
    arquivoIni.close();

    const QString simconc = pastaPrograma + QStringLiteral("/simconc");
    Executa(simconc,
            {QStringLiteral("--dir"), estado.path(), QStringLiteral("abastece"),
             QStringLiteral("004"), QStringLiteral("10.5"), QStringLiteral("5.899"),
             QStringLiteral("--valor"), QStringLiteral("61.94"), QStringLiteral("--data"),
             QStringLiteral("24/12/2024"), QStringLiteral("--hora"), QStringLiteral("10:00:00"),
             QStringLiteral("--registro"), QStringLiteral("7")});

    QProcess processo;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    ambiente.insert(QStringLiteral("COMPANYTEC_SIM_DIR"), estado.path());
    ambiente.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    processo.setProcessEnvironment(ambiente);
    processo.setWorkingDirectory(trabalho);
    processo.setProcessChannelMode(QProcess::MergedChannels);
    processo.start(executavel, {});
    ASSERT_TRUE(processo.waitForStarted(10000));

    const QString log = pastaPrograma + QStringLiteral("/LogFluvio") +
                        QDate::currentDate().toString(QStringLiteral("ddMMyyyy"));
    QDeadlineTimer prazo(90000);
    while (!prazo.hasExpired() && processo.state() == QProcess::Running && Le(log).isEmpty())
        QThread::msleep(200);
    processo.terminate();  // SIGTERM: the tray menu's "&Sair"
    ASSERT_TRUE(processo.waitForFinished(30000));
    const std::string saida = processo.readAll().toStdString();
    EXPECT_EQ(processo.exitCode(), 0) << saida;

    EXPECT_EQ(Le(log),
              QByteArray(" 24/12/2024   10:00:00   01        10.500           5.899           61.94"
                         "  001 007    004\r\n"))
        << saida << Le(pastaPrograma + QStringLiteral("/LogErroConcentrador")).toStdString();
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select Count(*) From MvAbast")), QStringLiteral("1"));
    EXPECT_EQ(ValorSql(banco, QStringLiteral("Select CodBico || ' ' || Id From MvAbast")),
              QStringLiteral("01 7"));
}

}  // namespace
