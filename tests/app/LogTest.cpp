#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "DialogosRoteiro.h"
#include "Falsos.h"
#include "FormatSettingsTemporario.h"
#include "RelogioFixo.h"
#include "app/LogArquivos.h"
#include "data/Dialogos.h"
#include "data/FormatSettings.h"
#include "data/Relogio.h"
#include "tests/ImpressaoQt.h"

namespace {

struct TCasoLinha {
    const char* Nome;
    double Litros;
    double Total;
    double Preco;
    const char* Sequencia;
    const char* Id;
    const char* Esperada;
};

class LinhaLog : public ::testing::TestWithParam<TCasoLinha> {};

TEST_P(LinhaLog, LayoutFixoByteAByte) {
    const TFormatSettingsTemporario formato(TFormatSettings{});
    const TCasoLinha& c = GetParam();
    const QString linha = TLogArquivos::MontaLinhaLog(
        QStringLiteral("25/12/2024"), QStringLiteral("14:35:07"), QStringLiteral("004"), c.Litros,
        c.Total, c.Preco, QString::fromLatin1(c.Sequencia), QString::fromLatin1(c.Id),
        QStringLiteral("04"));
    EXPECT_EQ(linha, QString::fromLatin1(c.Esperada));
}

// Columns: date, time, nozzle, litres (11), unit price (11), total (11),
// sequence (3), ID (3), channel.
INSTANTIATE_TEST_SUITE_P(
    Exemplos, LinhaLog,
    ::testing::Values(
        TCasoLinha{"Id9999Sequencia12", 10.0, 59.9, 5.99, "12", "9999",
                   " 25/12/2024   14:35:07   004        10,000           5,990           59,90"
                   "  012 999    04"},
        TCasoLinha{"LitrosComVirgula", 12.5, 74.88, 5.99, "1", "7",
                   " 25/12/2024   14:35:07   004        12,500           5,990           74,88"
                   "  001 007    04"},
        TCasoLinha{"TotalDeDezMilhoesSemBrancoAFrente", 1666666.667, 10000000, 6, "3", "45",
                   " 25/12/2024   14:35:07   004   1666666,667           6,000     10000000,00"
                   "  003 045    04"},
        TCasoLinha{"TotalMaiorAlongaALinha", 0.5, 123456789.5, 0.25, "1000", "1234",
                   " 25/12/2024   14:35:07   004         0,500           0,250     123456789,50"
                   "  000 234    04"}),
    [](const auto& info) { return std::string(info.param.Nome); });

TEST(LinhaLog, SeparadorDecimalDosAjustesDoSistema) {
    TFormatSettings ponto;
    ponto.DecimalSeparator = u'.';
    const TFormatSettingsTemporario formato(ponto);
    const QString linha = TLogArquivos::MontaLinhaLog(
        QStringLiteral("25/12/2024"), QStringLiteral("14:35:07"), QStringLiteral("004"), 12.5,
        74.88, 5.99, QStringLiteral("1"), QStringLiteral("7"), QStringLiteral("04"));
    EXPECT_TRUE(linha.contains(QStringLiteral("     12.500     "))) << linha.toStdString();
}

class ArquivosLog : public ::testing::Test {
  protected:
    ArquivosLog() : formato(TFormatSettings{}) { GaranteAplicacaoCore(); }
    QString Dir() const { return pasta.path() + u'/'; }

    TFormatSettingsTemporario formato;
    QTemporaryDir pasta;
    TRelogioFixo relogio;
};

TEST_F(ArquivosLog, CabecalhoComADataDeHoje) {
    TLogArquivos log(relogio, Dir());
    const QStringList c = log.LinhasCabecalho();
    ASSERT_EQ(c.size(), 4);
    EXPECT_EQ(c[0], QStringLiteral("                 ARQUIVO DE LOG DO CONCENTRADOR COMPANYTEC  -  "
                                   "25/12/2024"));
    EXPECT_EQ(c[1], QString(92, u'='));
    EXPECT_EQ(c[2], QStringLiteral("DATA         HORA       BICO       LITRAGEM         VALOR UNIT"
                                   "        TOTAL  SEQ  ID   CANAL"));
    EXPECT_EQ(c[3], QStringLiteral("----------   --------   -----   -----------        -----------"
                                   "  -----------  ---  ---  -----"));
}

TEST_F(ArquivosLog, PrimeiroAbastecimentoDoDiaCriaOArquivoOsSeguintesAcrescentam) {
    TLogArquivos log(relogio, Dir());
    const QString arquivo = Dir() + QStringLiteral("LogFluvio25122024");
    EXPECT_EQ(log.ArquivoDoDia(), arquivo);
    EXPECT_FALSE(log.LeArquivoDoDia().has_value());

    QStringList mostradas;
    const auto mostra = [&](const QString& l) { mostradas.append(l); };
    log.EscreveLinhaLog(QStringLiteral(" linha um"), mostra);
    EXPECT_EQ(LeBytes(arquivo), QByteArray(" linha um\r\n"));
    log.EscreveLinhaLog(QStringLiteral(" linha dois"), mostra);
    EXPECT_EQ(LeBytes(arquivo), QByteArray(" linha um\r\n linha dois\r\n"));
    EXPECT_EQ(mostradas, (QStringList{QStringLiteral(" linha um"), QStringLiteral(" linha dois")}));
    EXPECT_EQ(*log.LeArquivoDoDia(), mostradas);

    // After midnight the next line starts the next day's file.
    relogio.Define(QDateTime(QDate(2024, 12, 26), QTime(0, 0, 1)));
    log.EscreveLinhaLog(QStringLiteral(" linha três"), mostra);
    EXPECT_EQ(LeBytes(Dir() + QStringLiteral("LogFluvio26122024")),
              QByteArray(" linha tr\xEAs\r\n"));
    EXPECT_EQ(LinhasArquivo(arquivo).size(), 2);
    EXPECT_EQ(mostradas.size(), 3);
}

TEST_F(ArquivosLog, LinhaDeErroComDataCurtaHoraETextoInalterado) {
    TLogArquivos log(relogio, Dir());
    relogio.Define(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 5)));
    log.GravaLogErro(QStringLiteral("Erro na inicialização: falhou\rde novo"));
    log.GravaLogErro(QStringLiteral("segunda"));
    EXPECT_EQ(LeBytes(Dir() + QStringLiteral("LogErroConcentrador")),
              QByteArray("05/03/24 09:07:05 Erro na inicializa\xE7\xE3o: falhou\rde novo\r\n"
                         "05/03/24 09:07:05 segunda\r\n"));
}

TEST_F(ArquivosLog, FalhaDeGravacaoLevantaNaoMostraELiberaOEscritor) {
    const QString dir = Dir() + QStringLiteral("ainda-nao/");
    TLogArquivos log(relogio, dir);
    int mostradas = 0;
    const auto mostra = [&](const QString&) { ++mostradas; };
    EXPECT_THROW(log.EscreveLinhaLog(QStringLiteral(" x"), mostra), EErro);
    EXPECT_THROW(log.GravaLogErro(QStringLiteral("x")), EErro);
    EXPECT_EQ(mostradas, 0);

    ASSERT_TRUE(QDir().mkpath(dir));
    log.EscreveLinhaLog(QStringLiteral(" x"), mostra);
    log.GravaLogErro(QStringLiteral("x"));
    EXPECT_EQ(mostradas, 1);
}

TEST(DivideLinhas, QualquerFimDeLinhaEUltimaLinhaVaziaNaoConta) {
    EXPECT_EQ(DivideLinhas(QStringLiteral("a\r\nb\nc\rd\r\n")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("d")}));
    EXPECT_EQ(DivideLinhas(QStringLiteral("a\r\n\r\nb")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_TRUE(DivideLinhas(QString()).isEmpty());
}

// The log as the shell writes it: file first, then the view.
class LogDoComunicador : public ArquivosLog {
  protected:
    std::unique_ptr<TComunicador> Cria() {
        TAmbienteComunicador a;
        a.Dialogos = &dialogos;
        a.Relogio = &relogio;
        a.Janela = &janela;
        a.DiretorioPrograma = Dir();
        a.DiretorioTrabalho = Dir();
        return std::make_unique<TComunicador>(std::move(a));
    }
    TDialogosRoteiro dialogos;
    TJanelaFalsa janela;
};

TEST_F(LogDoComunicador, ReinicioNoMesmoDiaRecarregaAsLinhasDoArquivo) {
    {
        auto c = Cria();
        for (int i = 1; i <= 3; ++i)
            c->EscreveLinhaLog(QStringLiteral("25/12/2024"), QStringLiteral("14:35:00"),
                               QStringLiteral("004"), i, i * 6.0, 6.0, QStringLiteral("1"),
                               QString::number(i), QStringLiteral("04"));
        EXPECT_EQ(janela.Log.size(), 3);
    }
    const QStringList escritas = janela.Log;
    janela = TJanelaFalsa();
    relogio.Define(QDateTime(QDate(2024, 12, 25), QTime(18, 0, 0)));
    auto c = Cria();
    c->EscreveCabecalhoLog();
    EXPECT_EQ(janela.Log, escritas);
    EXPECT_TRUE(janela.Cabecalho[0].endsWith(QStringLiteral("25/12/2024")));

    // A day without a file leaves the (emptied) view as it is.
    janela = TJanelaFalsa();
    relogio.Define(QDateTime(QDate(2024, 12, 27), QTime(8, 0, 0)));
    auto outro = Cria();
    outro->EscreveCabecalhoLog();
    EXPECT_TRUE(janela.Log.isEmpty());
    EXPECT_TRUE(janela.Cabecalho[0].endsWith(QStringLiteral("27/12/2024")));
}

TEST_F(LogDoComunicador, LinhaQueNaoChegaAoArquivoNaoVaiParaATela) {
    TAmbienteComunicador a;
    a.Dialogos = &dialogos;
    a.Relogio = &relogio;
    a.Janela = &janela;
    a.DiretorioPrograma = Dir() + QStringLiteral("nao-existe");
    TComunicador c(std::move(a));
    EXPECT_THROW(c.EscreveLinhaLog(QStringLiteral("25/12/2024"), QStringLiteral("14:35:00"),
                                   QStringLiteral("004"), 1, 6, 6, QStringLiteral("1"),
                                   QStringLiteral("1"), QStringLiteral("04")),
                 EErro);
    EXPECT_TRUE(janela.Log.isEmpty());
}

}  // namespace
