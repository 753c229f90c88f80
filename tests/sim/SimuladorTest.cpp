// The simulated library fed by its control tool from another process and read
// back through the driver, as the program reads it.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <array>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "FormatSettingsTemporario.h"
#include "concentrator/ClassCompanyTec.h"
#include "data/FormatSettings.h"
#include "tests/sim/AmbienteSimulador.h"

namespace {

using Bytes = std::vector<unsigned char>;

template <typename R>
Bytes BytesDe(const R& r) {
    return Bytes(r.Bytes, r.Bytes + sizeof r.Bytes);
}

template <typename T>
void Poe(Bytes& b, std::size_t ofs, T v) {
    std::memcpy(b.data() + ofs, &v, sizeof v);
}

void PoeTexto(Bytes& b, std::size_t ofs, const char* texto) {
    b[ofs] = static_cast<unsigned char>(std::strlen(texto));
    std::memcpy(b.data() + ofs + 1, texto, std::strlen(texto));
}

class Simulador : public testing::Test {
  protected:
    void SetUp() override { Conc.PCarregaDllConcentrador(); }

    QByteArray Abastece(const QStringList& args) {
        return Sim.Simconc(QStringList{QStringLiteral("abastece")} + args).trimmed();
    }

    TAmbienteSimulador Sim;
    TCompanyTec Conc{TAmbienteSimulador::DiretorioPrograma()};
};

const QStringList Padrao = {QStringLiteral("--data"), QStringLiteral("31/01/2025"),
                            QStringLiteral("--hora"), QStringLiteral("10:20:30")};

TEST_F(Simulador, AbastecimentoDoControleChegaByteAByte) {
    for (const bool fid : {false, true}) {
        SCOPED_TRACE(fid ? "FID" : "padrao");
        Sim.Simconc({QStringLiteral("reinicia")});
        EXPECT_EQ(Abastece(QStringList{QStringLiteral("004"), QStringLiteral("10.5"),
                                       QStringLiteral("5.899"), QStringLiteral("--tag"),
                                       QStringLiteral("ABC123")} +
                           Padrao),
                  "1");

        // The record as laid out, written here from the offsets themselves;
        // every byte no field owns carries the simulator's 0xCC.
        Bytes esperado(fid ? 176 : 144, 0xCC);
        esperado[0] = 1;
        Poe<std::int64_t>(esperado, 8, 619400);  // 10.5 x 5.899 = 61.9395 -> 61.94
        Poe<double>(esperado, 16, 10.5);
        Poe<std::int64_t>(esperado, 24, 58990);
        PoeTexto(esperado, 41, "04");
        PoeTexto(esperado, 44, "31/01/2025");
        PoeTexto(esperado, 55, "10:20:30");
        Poe<std::int32_t>(esperado, fid ? 140 : 120, 1);
        Poe<double>(esperado, fid ? 144 : 128, 10.5);
        if (fid)
            PoeTexto(esperado, 154, "ABC123");

        Bytes lido;
        if (fid) {
            const TAbastecimentoFid r = Conc.GetLeAbastecimentoFID();
            lido = BytesDe(r);
            EXPECT_EQ(r.CodFid(), "ABC123");
            EXPECT_EQ(r.Registro(), 1);
            EXPECT_EQ(r.Encerrante(), 10.5);
            EXPECT_EQ(r.Hora(), "10:20:30");
        } else {
            const TAbastecimento r = Conc.GetLeAbastecimento();
            lido = BytesDe(r);
            EXPECT_TRUE(r.Presente());
            EXPECT_DOUBLE_EQ(r.TotalDinheiro(), 61.94);
            EXPECT_EQ(r.TotalLitros(), 10.5);
            EXPECT_DOUBLE_EQ(r.PU(), 5.899);
            EXPECT_EQ(r.CodBico(), "04");
            EXPECT_EQ(r.Data(), "31/01/2025");
            EXPECT_EQ(r.Hora(), "10:20:30");
            EXPECT_EQ(r.Registro(), 1);
            EXPECT_EQ(r.Encerrante(), 10.5);
        }
        EXPECT_EQ(lido, esperado);

        // The journal holds exactly what was handed over, and it left the queue.
        const QByteArray hex =
            QByteArray(reinterpret_cast<const char*>(lido.data()), qsizetype(lido.size())).toHex();
        EXPECT_EQ(Sim.Entregas(),
                  QList<QByteArray>{QByteArray(fid ? "LeAbastecimentoFid" : "LeAbastecimento") +
                                    " registro=1 bico=004 bytes=" + hex});
        EXPECT_EQ(Sim.Simconc({QStringLiteral("pendentes")}), "0\n");
        EXPECT_FALSE(Conc.GetLeAbastecimento().Presente());
    }
}

TEST_F(Simulador, FilaEntregaEmOrdemComRegistrosEEncerrantes) {
    Abastece({QStringLiteral("004"), QStringLiteral("5"), QStringLiteral("5")});
    Abastece({QStringLiteral("005"), QStringLiteral("3"), QStringLiteral("5")});
    Abastece({QStringLiteral("004"), QStringLiteral("2.25"), QStringLiteral("5")});
    struct Esperado {
        const char* codigo;
        int registro;
        double encerrante;
    };
    for (const Esperado& e :
         {Esperado{"04", 1, 5}, Esperado{"05", 2, 3}, Esperado{"04", 3, 7.25}}) {
        const TAbastecimento r = Conc.GetLeAbastecimento();
        ASSERT_TRUE(r.Presente());
        EXPECT_EQ(r.CodBico(), e.codigo);
        EXPECT_EQ(r.Registro(), e.registro);
        EXPECT_EQ(r.Encerrante(), e.encerrante);
    }
    EXPECT_FALSE(Conc.GetLeAbastecimento().Presente());
    Conc.LerEncerrante('L', QStringLiteral("004"));
    EXPECT_EQ(Conc.Encerrante.Valor(), 7.25);
}

// A reading can be made to report another code than the one asked, for one
// nozzle only, until switched off.
TEST_F(Simulador, LeituraComOutroCodigo) {
    Sim.Simconc({QStringLiteral("encerrante"), QStringLiteral("004"), QStringLiteral("1000")});
    Sim.Simconc({QStringLiteral("encerrante"), QStringLiteral("005"), QStringLiteral("50")});
    Sim.Simconc({QStringLiteral("codigo-encerrante"), QStringLiteral("004"), QStringLiteral("4")});
    Conc.LerEncerrante('L', QStringLiteral("004"));
    EXPECT_EQ(Conc.Encerrante.Codigo(), "4");
    EXPECT_EQ(Conc.Encerrante.Valor(), 1000);
    Conc.LerEncerrante('L', QStringLiteral("005"));
    EXPECT_EQ(Conc.Encerrante.Codigo(), "005");
    Sim.Simconc(
        {QStringLiteral("codigo-encerrante"), QStringLiteral("004"), QStringLiteral("off")});
    Conc.LerEncerrante('L', QStringLiteral("004"));
    EXPECT_EQ(Conc.Encerrante.Codigo(), "004");
    EXPECT_EQ(Conc.Encerrante.Valor(), 1000);
}

TEST_F(Simulador, RegistroVoltaA1DepoisDe9999) {
    EXPECT_EQ(Abastece({QStringLiteral("004"), QStringLiteral("1"), QStringLiteral("5"),
                        QStringLiteral("--registro"), QStringLiteral("9998")}),
              "9998");
    EXPECT_EQ(Abastece({QStringLiteral("004"), QStringLiteral("1"), QStringLiteral("5")}), "9999");
    EXPECT_EQ(Abastece({QStringLiteral("004"), QStringLiteral("1"), QStringLiteral("5")}), "1");
    Sim.Simconc({QStringLiteral("registro"), QStringLiteral("9999")});
    EXPECT_EQ(Abastece({QStringLiteral("005"), QStringLiteral("1"), QStringLiteral("5")}), "9999");
    EXPECT_EQ(Abastece({QStringLiteral("005"), QStringLiteral("1"), QStringLiteral("5")}), "1");
    std::vector<int> lidos;
    for (TAbastecimento r = Conc.GetLeAbastecimento(); r.Presente();
         r = Conc.GetLeAbastecimento()) {
        lidos.push_back(r.Registro());
    }
    EXPECT_EQ(lidos, (std::vector<int>{9998, 9999, 1, 9999, 1}));
}

TEST_F(Simulador, RegistrosMalformadosParaOsTestes) {
    struct Caso {
        const char* nome;
        QStringList args;  // after BICO LITROS PRECO
        bool fid;
        std::function<void(const Bytes&)> confere;
    };
    const auto padrao = [](const Bytes& b) {
        TAbastecimento r;
        std::memcpy(r.Bytes, b.data(), sizeof r.Bytes);
        return r;
    };
    const auto comFid = [](const Bytes& b) {
        TAbastecimentoFid r;
        std::memcpy(r.Bytes, b.data(), sizeof r.Bytes);
        return r;
    };
    const std::vector<Caso> casos = {
        {"codigo nao hexadecimal",
         {QStringLiteral("--codigo-bruto"), QStringLiteral("G1")},
         false,
         [&](const Bytes& b) { EXPECT_EQ(padrao(b).CodBico(), "G1"); }},
        {"codigo vazio",
         {QStringLiteral("--codigo-bruto"), QString()},
         false,
         [&](const Bytes& b) {
             EXPECT_EQ(b[41], 0);
             EXPECT_EQ(padrao(b).CodBico(), "");
         }},
        {"tamanho do codigo alem do campo",
         {QStringLiteral("--tam-codigo"), QStringLiteral("9")},
         false,
         [&](const Bytes& b) {
             EXPECT_EQ(b[41], 9);
             EXPECT_EQ(padrao(b).CodBico(), "04");
         }},
        {"tamanho da data 200",
         {QStringLiteral("--tam-data"), QStringLiteral("200")},
         false,
         [&](const Bytes& b) {
             EXPECT_EQ(b[44], 200);
             EXPECT_EQ(padrao(b).Data(), "31/01/2025");
         }},
        {"tamanho da hora 255 para no registro",
         {QStringLiteral("--tam-hora"), QStringLiteral("255")},
         false,
         [&](const Bytes& b) {
             EXPECT_EQ(b[55], 255);
             EXPECT_EQ(padrao(b).Hora(), "10:20:30" + std::string(56, '\xCC'));
         }},
        {"tamanho da tag 30",
         {QStringLiteral("--tag"), QStringLiteral("ABCDEFGHIJKLMNOPQRS"),
          QStringLiteral("--tam-tag"), QStringLiteral("30")},
         true,
         [&](const Bytes& b) {
             EXPECT_EQ(b[154], 30);
             EXPECT_EQ(comFid(b).CodFid(), "ABCDEFGHIJKLMNOP");
         }},
        {"hora sem segundos",
         {QStringLiteral("--hora"), QStringLiteral("10:20")},
         true,
         [&](const Bytes& b) { EXPECT_EQ(comFid(b).Hora(), "10:20"); }},
        {"valor dado",
         {QStringLiteral("--valor"), QStringLiteral("60")},
         false,
         [&](const Bytes& b) { EXPECT_DOUBLE_EQ(padrao(b).TotalDinheiro(), 60.0); }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        Abastece(QStringList{QStringLiteral("004"), QStringLiteral("2"), QStringLiteral("5")} +
                 Padrao + c.args);
        const Bytes b =
            c.fid ? BytesDe(Conc.GetLeAbastecimentoFID()) : BytesDe(Conc.GetLeAbastecimento());
        ASSERT_EQ(b[0], 1);
        c.confere(b);
    }

    // Volume and price that round to zero are dispensed as given.
    Abastece({QStringLiteral("004"), QStringLiteral("0.0004"), QStringLiteral("0.00004")});
    const TAbastecimento r = Conc.GetLeAbastecimento();
    ASSERT_TRUE(r.Presente());
    EXPECT_EQ(r.TotalLitros(), 0.0004);
    EXPECT_EQ(r.PU(), 0.0);
    EXPECT_EQ(r.TotalDinheiro(), 0.0);
}

TEST_F(Simulador, EntreguesListaOQueFoiEntregue) {
    Abastece(QStringList{QStringLiteral("004"), QStringLiteral("10.5"), QStringLiteral("5.899")} +
             Padrao);
    Abastece(QStringList{QStringLiteral("068"), QStringLiteral("3"), QStringLiteral("4.5"),
                         QStringLiteral("--tag"), QStringLiteral("F1")} +
             Padrao);
    Abastece(QStringList{QStringLiteral("005"), QStringLiteral("1"), QStringLiteral("1"),
                         QStringLiteral("--codigo-bruto"), QStringLiteral("G1")} +
             Padrao);
    Abastece({QStringLiteral("006"), QStringLiteral("1"), QStringLiteral("1")});  // stays queued
    Conc.GetLeAbastecimento();
    Conc.GetLeAbastecimentoFID();
    Conc.GetLeAbastecimento();
    EXPECT_EQ(Sim.Simconc({QStringLiteral("entregues")}),
              "004;1;10.5;61.9400;5.8990;31/01/2025;10:20:30;10.5;\n"
              "068;2;3;13.5000;4.5000;31/01/2025;10:20:30;3;F1\n"
              "?G1;3;1;1.0000;1.0000;31/01/2025;10:20:30;1;\n");
    EXPECT_EQ(Sim.Simconc({QStringLiteral("pendentes")}), "1\n");
}

// Control tools in other processes and the driver at once: the lock keeps
// every update, so no fueling is lost, doubled or numbered twice.
TEST_F(Simulador, ProcessosConcorrentesNaoPerdemNada) {
    constexpr int PorProcesso = 8;
    const QStringList bicos = {QStringLiteral("004"), QStringLiteral("005"), QStringLiteral("006")};
    std::vector<std::unique_ptr<QProcess>> processos;
    for (const QString& bico : bicos) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("for i in $(seq %1); do \"$0\" --dir \"$1\" abastece %2 1 5 "
                                 ">/dev/null || exit 1; done")
                      .arg(PorProcesso)
                      .arg(bico),
                  QStringLiteral(SIMCONC_PATH), Sim.PastaEstado()});
        processos.push_back(std::move(p));
    }
    std::set<int> registros;
    std::map<std::string, std::vector<double>> encerrantes;
    const int total = PorProcesso * int(bicos.size());
    QElapsedTimer relogio;
    relogio.start();
    int lidos = 0;
    while (lidos < total && relogio.elapsed() < 60000) {
        const TAbastecimento r = Conc.GetLeAbastecimento();
        if (!r.Presente())
            continue;
        ++lidos;
        registros.insert(r.Registro());
        encerrantes[r.CodBico()].push_back(r.Encerrante());
    }
    for (auto& p : processos) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    ASSERT_EQ(lidos, total);
    EXPECT_EQ(registros.size(), std::size_t(total));
    EXPECT_EQ(*registros.begin(), 1);
    EXPECT_EQ(*registros.rbegin(), total);
    // Each nozzle's fuelings, 1 litre each, in order: the totalizer lost no step.
    for (const auto& [codigo, valores] : encerrantes) {
        std::vector<double> esperado;
        for (int i = 1; i <= PorProcesso; ++i)
            esperado.push_back(i);
        EXPECT_EQ(valores, esperado) << codigo;
    }
    EXPECT_EQ(Sim.Entregas().size(), total);
}

TEST_F(Simulador, AbastecimentosAutomaticosNoIntervalo) {
    Sim.Simconc({QStringLiteral("auto"), QStringLiteral("1"), QStringLiteral("068,004")});
    EXPECT_FALSE(Conc.GetLeAbastecimento().Presente());
    QThread::msleep(1100);
    const TAbastecimentoFid r = Conc.GetLeAbastecimentoFID();
    ASSERT_TRUE(r.Presente());
    EXPECT_EQ(r.CodBico(), "44");
    EXPECT_GT(r.TotalLitros(), 0.0);
    EXPECT_EQ(r.CodFid(), "AUTO0001");
    EXPECT_FALSE(Conc.GetLeAbastecimento().Presente());  // the next one is a second away
    Sim.Simconc({QStringLiteral("auto"), QStringLiteral("off")});
}

TEST_F(Simulador, OperacoesMudamOEstadoSimulado) {
    TFormatSettingsTemporario formato{TFormatSettings{}};
    Conc.FBloqueiaBico(QStringLiteral("068"));  // channel of 004: position 1
    Conc.FBloqueiaBico(QStringLiteral("100"));  // position 33
    QString letras = Conc.GetLeStatus();
    EXPECT_EQ(letras[0], u'B');
    EXPECT_EQ(letras[32], u'B');
    EXPECT_EQ(letras.count(u'B'), 2);
    EXPECT_EQ(Sim.Simconc({QStringLiteral("bloqueios")}), "068 posicao=1\n100 posicao=33\n");
    Conc.FLiberaBico(QStringLiteral("068"));
    letras = Conc.GetLeStatus();
    EXPECT_EQ(letras[0], u'L');
    EXPECT_EQ(letras.count(u'B'), 1);

    Sim.Simconc({QStringLiteral("resultado-serial"), QStringLiteral("1")});
    ASSERT_TRUE(Conc.InicializaSerial(3));
    EXPECT_TRUE(Sim.Simconc({QStringLiteral("mostra")}).contains("\nporta=3 aberta\n"));
    Conc.FinalizaSerial();
    EXPECT_TRUE(Sim.Simconc({QStringLiteral("mostra")}).contains("\nporta=3 fechada\n"));
    Conc.AcertaDataHora();
    EXPECT_TRUE(Sim.Simconc({QStringLiteral("mostra")}).contains("\nrelogio=AUTO "));
    Conc.AlteraPrecoBico(QStringLiteral("44"), 3, 6.789);
    EXPECT_TRUE(Sim.Simconc({QStringLiteral("mostra")}).contains("\npreco 068=6.789\n"));
    EXPECT_DOUBLE_EQ(Conc.PrecoUnitario(QStringLiteral("068")), 6.789);
}

TEST_F(Simulador, ControleRecusaEntradasErradas) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("abastece"), QStringLiteral("256"), QStringLiteral("1"),
                      QStringLiteral("5")},
          QStringList{QStringLiteral("abastece"), QStringLiteral("004"), QStringLiteral("x"),
                      QStringLiteral("5")},
          QStringList{QStringLiteral("abastece"), QStringLiteral("004"), QStringLiteral("1")},
          QStringList{QStringLiteral("status-posicao"), QStringLiteral("49"), QStringLiteral("1")},
          QStringList{QStringLiteral("voa")}}) {
        Sim.Simconc(args, 2);
    }
    EXPECT_EQ(Sim.Simconc({QStringLiteral("pendentes")}), "0\n");
}

}  // namespace
