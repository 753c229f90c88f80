// The driver over the simulated library, loaded by name from a program
// directory exactly as the program loads it.

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "FormatSettingsTemporario.h"
#include "concentrator/ClassCompanyTec.h"
#include "data/Erro.h"
#include "data/FormatSettings.h"
#include "tests/sim/AmbienteSimulador.h"

namespace {

const QString MensagemSemBiblioteca = QStringLiteral(
    "Não foi possível carregar a biblioteca COMPANYTEC.DLL !\r"
    "O concentrador pode não funcionar corretamente.");

QString SemEntrada(const char* nome) {
    return QStringLiteral("A função %1 não foi encontrada na biblioteca do concentrador.")
        .arg(QLatin1String(nome));
}

QString ErroDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const EErro& e) {
        return e.Mensagem();
    }
    return QString();
}

TFormatSettings ComSeparador(QChar separador) {
    TFormatSettings s;
    s.DecimalSeparator = separador;
    return s;
}

QString Caminho(const void* simbolo) {
    Dl_info info{};
    if (dladdr(simbolo, &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).canonicalFilePath();
}

class CompanyTec : public testing::Test {
  protected:
    void SetUp() override { Conc.PCarregaDllConcentrador(); }

    TAmbienteSimulador Sim;
    TCompanyTec Conc{TAmbienteSimulador::DiretorioPrograma()};
    TFormatSettingsTemporario Formato{ComSeparador(QLatin1Char(','))};
};

// --- loading -----------------------------------------------------------------

TEST_F(CompanyTec, LigaCadaEntradaAoSimboloDeMesmoNome) {
    const QByteArray caminho = QFile::encodeName(
        QDir(TAmbienteSimulador::DiretorioPrograma()).filePath(TCompanyTec::NomeBiblioteca()));
    void* modulo = dlopen(caminho.constData(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(modulo, nullptr) << "the driver did not load the program directory's copy";
    std::array<void*, companytec::NumeroEntradas> ligadas{};
    std::memcpy(ligadas.data(), &Conc.Entradas(), sizeof ligadas);
    for (std::size_t i = 0; i < companytec::NumeroEntradas; ++i) {
        const char* nome = companytec::NomesEntradas[i];
        EXPECT_NE(ligadas[i], nullptr) << nome;
        EXPECT_EQ(ligadas[i], dlsym(modulo, nome)) << nome;
    }
    dlclose(modulo);  // only drops the reference RTLD_NOLOAD took
}

TEST_F(CompanyTec, CarregaDoDiretorioDoPrograma) {
    EXPECT_EQ(Caminho(reinterpret_cast<const void*>(Conc.Entradas().LeStatus)),
              QFileInfo(QDir(TAmbienteSimulador::DiretorioPrograma())
                            .filePath(QStringLiteral("libCompanytec.so")))
                  .canonicalFilePath());
}

TEST(CarregaBiblioteca, SemBibliotecaDaAMensagemDeFalhaENadaLigado) {
    QTemporaryDir vazio;
    QTemporaryDir invalido;
    QFile lixo(QDir(invalido.path()).filePath(QStringLiteral("libCompanytec.so")));
    ASSERT_TRUE(lixo.open(QIODevice::WriteOnly));
    lixo.write("isto não é uma biblioteca");
    lixo.close();

    for (const QString& dir : {vazio.path(), invalido.path()}) {
        TCompanyTec conc(dir);
        EXPECT_EQ(ErroDe([&] { conc.PCarregaDllConcentrador(); }), MensagemSemBiblioteca)
            << dir.toStdString();
        std::array<void*, companytec::NumeroEntradas> ligadas{};
        std::memcpy(ligadas.data(), &conc.Entradas(), sizeof ligadas);
        for (void* p : ligadas)
            EXPECT_EQ(p, nullptr);
    }
}

// Not in the program's directory: the usual search (here LD_LIBRARY_PATH,
// which the loader reads once at start, hence the child process).
TEST(CarregaBiblioteca, ForaDoDiretorioDoProgramaProcuraPeloNome) {
    if (qEnvironmentVariableIsSet("COMPANYTEC_TESTE_FILHO")) {
        TAmbienteSimulador sim;
        QTemporaryDir vazio;
        TCompanyTec conc(vazio.path());
        conc.PCarregaDllConcentrador();
        EXPECT_EQ(conc.GetLeStatus(), QString(48, QLatin1Char('L')));
        EXPECT_EQ(sim.Chamadas(), QList<QByteArray>{"LeStatus"});
        EXPECT_EQ(Caminho(reinterpret_cast<const void*>(conc.Entradas().LeStatus)),
                  QFileInfo(qEnvironmentVariable("COMPANYTEC_TESTE_ESPERADO")).canonicalFilePath());
        return;
    }
    const QString dirBiblioteca = TAmbienteSimulador::DiretorioPrograma();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("COMPANYTEC_TESTE_FILHO"), QStringLiteral("1"));
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), dirBiblioteca);
    env.insert(QStringLiteral("COMPANYTEC_TESTE_ESPERADO"),
               QDir(dirBiblioteca).filePath(QStringLiteral("libCompanytec.so")));
    QProcess filho;
    filho.setProcessEnvironment(env);
    filho.start(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(),
                {QStringLiteral(
                    "--gtest_filter=CarregaBiblioteca.ForaDoDiretorioDoProgramaProcuraPeloNome")});
    ASSERT_TRUE(filho.waitForFinished(60000));
    const QByteArray saida = filho.readAllStandardOutput() + filho.readAllStandardError();
    EXPECT_EQ(filho.exitCode(), 0) << saida.toStdString();
    EXPECT_TRUE(saida.contains("[  PASSED  ] 1 test")) << saida.toStdString();
}

TEST(CarregaBiblioteca, AntesDeCarregarCadaOperacaoFalhaSemChamarNada) {
    TAmbienteSimulador sim;
    TCompanyTec conc(TAmbienteSimulador::DiretorioPrograma());
    TLeituraEncerrante destino;
    const std::vector<std::pair<const char*, std::function<void()>>> casos = {
        {"LeStatus", [&] { conc.GetLeStatus(); }},
        {"LeStStatus", [&] { conc.FGetStStatusBico(); }},
        {"BloqueiaBico", [&] { conc.FBloqueiaBico(QStringLiteral("004")); }},
        {"AutoLibera", [&] { conc.FLiberaBico(QStringLiteral("004")); }},
        {"LeVisualizacao", [&] { conc.GetLeVisualizacao(); }},
        {"LeAbastecimento", [&] { conc.GetLeAbastecimento(); }},
        {"LeAbastecimentoFid", [&] { conc.GetLeAbastecimentoFID(); }},
        {"ConsultaEncerrante", [&] { conc.ConsultaEncerrante(QStringLiteral("004"), destino); }},
        {"ConsultaEncerrante", [&] { conc.LerEncerrante('L', QStringLiteral("004")); }},
        {"RefAltPreco", [&] { conc.AlteraPrecoBico(QStringLiteral("04"), 3, 5.5); }},
        {"InicializaSerial", [&] { conc.InicializaSerial(1); }},
        {"RefLePPL", [&] { conc.PrecoUnitario(QStringLiteral("004")); }},
        {"FechaSerial", [&] { conc.FinalizaSerial(); }},
        {"SetClock", [&] { conc.AcertaDataHora(); }},
    };
    for (const auto& [nome, operacao] : casos)
        EXPECT_EQ(ErroDe(operacao), SemEntrada(nome));
    EXPECT_TRUE(sim.Diario().isEmpty());
}

TEST(CarregaBiblioteca, EntradaAusenteFalhaSoNaSuaOperacao) {
    TAmbienteSimulador sim;
    TCompanyTec conc(TAmbienteSimulador::DiretorioPrograma(COMPANYTEC_SEM_BLOQUEIA_LIB));
    conc.PCarregaDllConcentrador();  // loading still succeeds
    EXPECT_EQ(conc.Entradas().BloqueiaBico, nullptr);
    EXPECT_NE(conc.Entradas().AutoLibera, nullptr);

    EXPECT_EQ(ErroDe([&] { conc.FBloqueiaBico(QStringLiteral("004")); }),
              SemEntrada("BloqueiaBico"));
    conc.FLiberaBico(QStringLiteral("004"));
    EXPECT_EQ(conc.GetLeStatus().size(), 48);
    EXPECT_EQ(sim.Chamadas(), (QList<QByteArray>{"AutoLibera \"04\"", "LeStatus"}));
}

// --- every operation reaches its entry point ---------------------------------

TEST_F(CompanyTec, CadaOperacaoChamaSuaEntradaComOsArgumentos) {
    TLeituraEncerrante destino;
    const std::vector<std::pair<QByteArray, std::function<void()>>> casos = {
        {"LeStatus", [&] { Conc.GetLeStatus(); }},
        {"LeStStatus", [&] { Conc.FGetStStatusBico(); }},
        {"BloqueiaBico \"04\"", [&] { Conc.FBloqueiaBico(QStringLiteral("004")); }},
        {"AutoLibera \"C4\"", [&] { Conc.FLiberaBico(QStringLiteral("196")); }},
        {"LeVisualizacao", [&] { Conc.GetLeVisualizacao(); }},
        {"LeAbastecimento", [&] { Conc.GetLeAbastecimento(); }},
        {"LeAbastecimentoFid", [&] { Conc.GetLeAbastecimentoFID(); }},
        {"ConsultaEncerrante 76 \"004\"",
         [&] { Conc.ConsultaEncerrante(QStringLiteral("004"), destino); }},
        {"ConsultaEncerrante 76 \"068\"", [&] { Conc.LerEncerrante('L', QStringLiteral("068")); }},
        // Text reaches the library in Windows-1252.
        {"ConsultaEncerrante 76 \"\xC7"
         "1\"",
         [&] { Conc.LerEncerrante('L', QStringLiteral("Ç1")); }},
        {"RefAltPreco \"44\" 6.789 3",
         [&] { Conc.AlteraPrecoBico(QStringLiteral("44"), 3, 6.789); }},
        {"InicializaSerial 7", [&] { Conc.InicializaSerial(7); }},
        {"RefLePPL \"004\"", [&] { Conc.PrecoUnitario(QStringLiteral("004")); }},
        {"FechaSerial", [&] { Conc.FinalizaSerial(); }},
        {"SetClock \"AUTO\"", [&] { Conc.AcertaDataHora(); }},
    };
    QList<QByteArray> esperadas;
    for (const auto& [chamada, operacao] : casos) {
        operacao();
        esperadas.append(chamada);
        ASSERT_EQ(Sim.Chamadas(), esperadas) << chamada.toStdString();
    }
}

// --- status letters ------------------------------------------------------------

TEST_F(CompanyTec, StatusViraLetras) {
    struct Caso {
        const char* nome;
        std::vector<int> bytes;  // positions 1.., the rest padded with `resto`
        int resto;
        QString letras;
    };
    const std::vector<Caso> casos = {
        {"48 zeros", {}, 0, QString(48, QLatin1Char('L'))},
        {"um valor desconhecido nao deixa lacuna", {0, 5, 6, 7, 1}, 9, QStringLiteral("LBEP")},
        {"cada valor",
         {0, 1, 2, 3, 4, 5, 6},
         0,
         QStringLiteral("LPFCABE") + QString(41, QLatin1Char('L'))},
        {"nada conhecido", {}, 255, QString()},
        {"ultima posicao", std::vector<int>(47, 7), 6, QStringLiteral("E")},
    };
    for (const Caso& c : casos) {
        QStringList valores;
        for (int b : c.bytes)
            valores << QString::number(b);
        while (valores.size() < 48)
            valores << QString::number(c.resto);
        Sim.Simconc(QStringList{QStringLiteral("status")} + valores);
        EXPECT_EQ(Conc.GetLeStatus(), c.letras) << c.nome;
    }
}

TEST_F(CompanyTec, StStatusDevolveAs100PosicoesComNulos) {
    Sim.Simconc(
        {QStringLiteral("status"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("6")});
    const QString texto = Conc.FGetStStatusBico();
    ASSERT_EQ(texto.size(), 100);
    EXPECT_EQ(texto.left(48), QStringLiteral("126") + QString(45, QLatin1Char('0')));
    EXPECT_EQ(texto.mid(48), QString(52, QChar(u'\0')));
}

// --- nozzle addresses ------------------------------------------------------------

TEST_F(CompanyTec, CodigoDecimalViraEnderecoHexadecimal) {
    const std::vector<std::pair<const char*, const char*>> casos = {
        {"004", "04"}, {"196", "C4"}, {"255", "FF"}, {"256", "100"}, {"068", "44"},
        {"132", "84"}, {"4", "04"},   {"0", "00"},   {"4095", "FFF"}};
    QList<QByteArray> esperadas;
    for (const auto& [codigo, endereco] : casos) {
        EXPECT_EQ(TCompanyTec::EnderecoBico(QLatin1String(codigo)), QLatin1String(endereco));
        Conc.FBloqueiaBico(QLatin1String(codigo));
        Conc.FLiberaBico(QLatin1String(codigo));
        esperadas << "BloqueiaBico \"" + QByteArray(endereco) + '"'
                  << "AutoLibera \"" + QByteArray(endereco) + '"';
    }
    EXPECT_EQ(Sim.Chamadas(), esperadas);
}

TEST_F(CompanyTec, CodigoQueNaoEInteiroFalhaAntesDeChamarABiblioteca) {
    for (const char* codigo : {"12a", "", "1,5", "0x10", "abc", "99999999999"}) {
        const QString esperado =
            QStringLiteral("'%1' não é um valor inteiro válido").arg(QLatin1String(codigo));
        EXPECT_EQ(ErroDe([&] { Conc.FBloqueiaBico(QLatin1String(codigo)); }), esperado);
        EXPECT_EQ(ErroDe([&] { Conc.FLiberaBico(QLatin1String(codigo)); }), esperado);
    }
    EXPECT_TRUE(Sim.Chamadas().isEmpty()) << Sim.Chamadas().join('\n').toStdString();
}

// --- serial port -------------------------------------------------------------------

TEST_F(CompanyTec, PortaAbertaSoComByteBaixoDoResultadoNaoNulo) {
    const std::vector<std::pair<int, bool>> casos = {{1, true},     {256, false}, {0, false},
                                                     {257, true},   {512, false}, {-1, true},
                                                     {-256, false}, {2, true}};
    for (const auto& [resultado, aberta] : casos) {
        Sim.Simconc({QStringLiteral("resultado-serial"), QString::number(resultado)});
        EXPECT_EQ(Conc.InicializaSerial(3), aberta) << resultado;
    }
}

// --- totalizers ------------------------------------------------------------------

TEST_F(CompanyTec, LerEncerranteSubstituiALeituraInteira) {
    Sim.Simconc({QStringLiteral("encerrante"), QStringLiteral("004"), QStringLiteral("1234.5")});

    Conc.LerEncerrante('L', QStringLiteral("004"));
    std::array<unsigned char, 16> esperado{3, '0', '0', '4', 0xCC, 0xCC, 0xCC, 0xCC};
    const double valor = 1234.5;
    std::memcpy(esperado.data() + 8, &valor, 8);
    EXPECT_EQ(0, std::memcmp(Conc.Encerrante.Bytes, esperado.data(), 16));
    EXPECT_EQ(Conc.Encerrante.Codigo(), "004");
    EXPECT_EQ(Conc.Encerrante.Valor(), 1234.5);

    // Another code with no totalizer: code and value both replaced.
    Conc.LerEncerrante('L', QStringLiteral("005"));
    EXPECT_EQ(Conc.Encerrante.Codigo(), "005");
    EXPECT_EQ(Conc.Encerrante.Valor(), 0.0);

    // The library refuses the mode and leaves its area alone: what lands is the
    // fresh area, not the previous reading.
    Conc.LerEncerrante('L', QStringLiteral("004"));
    Conc.LerEncerrante('X', QStringLiteral("004"));
    const std::array<unsigned char, 16> zeros{};
    EXPECT_EQ(0, std::memcmp(Conc.Encerrante.Bytes, zeros.data(), 16));
    EXPECT_EQ(Sim.Chamadas().last(), "ConsultaEncerrante 88 \"004\"");
}

TEST_F(CompanyTec, ConsultaEncerranteEnchePrimeiroDestinoSemTocarEncerrante) {
    Sim.Simconc({QStringLiteral("encerrante"), QStringLiteral("068"), QStringLiteral("77.25")});
    TLeituraEncerrante destino;
    Conc.ConsultaEncerrante(QStringLiteral("068"), destino);
    EXPECT_EQ(destino.Codigo(), "068");
    EXPECT_EQ(destino.Valor(), 77.25);
    const std::array<unsigned char, 16> zeros{};
    EXPECT_EQ(0, std::memcmp(Conc.Encerrante.Bytes, zeros.data(), 16));
}

// --- prices --------------------------------------------------------------------------

TEST_F(CompanyTec, PrecoAlteradoVoltaPeloPrecoUnitario) {
    Conc.AlteraPrecoBico(QStringLiteral("44"), 3, 6.789);
    EXPECT_DOUBLE_EQ(Conc.PrecoUnitario(QStringLiteral("068")), 6.789);
    {
        // The library's text is read with the system's decimal separator.
        TFormatSettingsTemporario ponto(ComSeparador(QLatin1Char('.')));
        EXPECT_EQ(ErroDe([&] { Conc.PrecoUnitario(QStringLiteral("068")); }),
                  QStringLiteral("'6,7890' is not a valid floating point value"));
    }
    Sim.Simconc({QStringLiteral("texto-ppl"), QStringLiteral("abc")});
    EXPECT_EQ(ErroDe([&] { Conc.PrecoUnitario(QStringLiteral("068")); }),
              QStringLiteral("'abc' is not a valid floating point value"));
}

// --- records and visualisation -------------------------------------------------------

TEST_F(CompanyTec, FilaVaziaDaRegistroSemAbastecimento) {
    const TAbastecimento a = Conc.GetLeAbastecimento();
    const TAbastecimentoFid f = Conc.GetLeAbastecimentoFID();
    EXPECT_FALSE(a.Presente());
    EXPECT_FALSE(f.Presente());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(a.Bytes), 144), QByteArray(144, '\0'));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f.Bytes), 176), QByteArray(176, '\0'));
}

TEST_F(CompanyTec, VisualizacaoDevolveAAreaInteira) {
    const QByteArray v = Conc.GetLeVisualizacao();
    ASSERT_EQ(v.size(), qsizetype(companytec::TamanhoVisualizacao));
    EXPECT_TRUE(v.startsWith("PENDENTES=0 PORTA=FECHADA\0")) << v.toStdString();
}

}  // namespace
