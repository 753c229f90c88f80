// The continuity check: what a stream of fuelings tells about the ones the
// station never received, and the same through the capture over a real
// station database, across a restart.
#include <gtest/gtest.h>

#include <QHash>
#include <optional>
#include <variant>
#include <vector>

#include "EstacaoTeste.h"
#include "FormatSettingsTemporario.h"
#include "capture/ContinuidadeAbastecimentos.h"
#include "capture/ProcessaAbastecimento.h"
#include "tests/ImpressaoQt.h"
#include "tests/LogMemoria.h"

namespace {

// A committed fueling with its row, or a record that did not become one.
struct Gravado {
    const char* Bico;
    int Id;
    double Litros;
    double Encerrante;
};
struct Entregue {
    int Id;
};
using Evento = std::variant<Gravado, Entregue>;

TEST(ContinuidadeAbastecimentos, UmaLinhaPorLacuna) {
    const TFormatSettingsTemporario virgula{TFormatSettings()};
    const QHash<QString, double> bicos01e02{{QStringLiteral("01"), 12345.678},
                                            {QStringLiteral("02"), 500.0}};
    const struct {
        const char* Nome;
        std::optional<int> Ultimo;
        QHash<QString, double> Encerrantes;
        std::vector<Evento> Eventos;
        QStringList Linhas;
    } casos[] = {
        {"sequência limpa em dois bicos",
         42,
         bicos01e02,
         {Gravado{"01", 43, 4.322, 12350.0}, Gravado{"02", 44, 10, 510},
          Gravado{"01", 45, 1, 12351}},
         {}},
        {"registro pulado",
         42,
         bicos01e02,
         {Gravado{"01", 45, 4.322, 12350.0}},
         {QStringLiteral("Registros do concentrador não recebidos: 43 a 44")}},
        {"um só registro pulado",
         42,
         bicos01e02,
         {Entregue{44}},
         {QStringLiteral("Registro do concentrador não recebido: 43")}},
        {"salto do encerrante",
         42,
         bicos01e02,
         {Gravado{"01", 43, 10, 12360.0}},
         {QStringLiteral("Divergência no bico 01: encerrante anterior 12345,678, inicial deste "
                         "abastecimento 12350,000 (4,322 litros sem abastecimento)")}},
        {"encerrante que recua",
         42,
         bicos01e02,
         {Gravado{"02", 43, 10, 509}},
         {QStringLiteral("Divergência no bico 02: encerrante anterior 500,000, inicial deste "
                         "abastecimento 499,000 (o encerrante recuou 1,000 litros)")}},
        {"arredondamento do concentrador dentro da tolerância",
         42,
         bicos01e02,
         {Gravado{"02", 43, 10.01, 510}, Gravado{"02", 44, 9.99, 520.0}},
         {}},
        {"de 9999 para 1", 9998, {}, {Gravado{"01", 9999, 1, 1}, Gravado{"01", 1, 1, 2}}, {}},
        {"lacuna através da volta",
         9997,
         {},
         {Gravado{"01", 2, 1, 1}},
         {QStringLiteral("Registros do concentrador não recebidos: 9998 a 1")}},
        {"primeiro abastecimento de um bico, depois conferido",
         42,
         bicos01e02,
         {Gravado{"03", 43, 5, 1000}, Gravado{"03", 44, 5, 1010}},
         {QStringLiteral("Divergência no bico 03: encerrante anterior 1000,000, inicial deste "
                         "abastecimento 1005,000 (5,000 litros sem abastecimento)")}},
        {"nada gravado antes", std::nullopt, {}, {Gravado{"01", 700, 5, 1000}}, {}},
        // Dropped, kept or waiting in the journal: handed over all the same.
        {"entregue sem linha mantém a sequência",
         42,
         bicos01e02,
         {Entregue{43}, Gravado{"01", 44, 4.322, 12350.0}},
         {}},
        {"o mesmo registro de novo (tentativa seguinte)",
         42,
         bicos01e02,
         {Entregue{43}, Entregue{43}, Gravado{"01", 43, 4.322, 12350.0}},
         {}},
        // Litres of a fueling without its row are missing from MvAbast.
        {"entregue sem linha não move o encerrante",
         42,
         bicos01e02,
         {Entregue{43}, Gravado{"02", 44, 10, 520}},
         {QStringLiteral("Divergência no bico 02: encerrante anterior 500,000, inicial deste "
                         "abastecimento 510,000 (10,000 litros sem abastecimento)")}},
        {"registro fora de 1 a 9999 não conta", 42, {}, {Entregue{0}, Entregue{43}}, {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TLogMemoria log;
        TContinuidadeAbastecimentos continuidade(log);
        continuidade.Inicia(c.Ultimo, c.Encerrantes);
        for (const Evento& e : c.Eventos) {
            if (const auto* g = std::get_if<Gravado>(&e))
                continuidade.Gravado(QString::fromLatin1(g->Bico), g->Id, g->Litros, g->Encerrante);
            else
                continuidade.Entregue(std::get<Entregue>(e).Id);
        }
        EXPECT_EQ(log.Erros, c.Linhas);
    }
}

TEST(ContinuidadeAbastecimentos, SemOQueVeioAntesNaoConfereNada) {
    TLogMemoria log;
    TContinuidadeAbastecimentos continuidade(log);
    continuidade.Gravado(QStringLiteral("01"), 5, 1, 100);
    continuidade.Entregue(9);
    EXPECT_TRUE(log.Erros.isEmpty());
    EXPECT_FALSE(continuidade.Carregado());
}

class TLogQueFalha final : public TRegistroLog {
  public:
    void GravaLogErro(const QString&) override { throw std::runtime_error("disco cheio"); }
    void EscreveLinhaLog(const QString&, const QString&, const QString&, double, double, double,
                         const QString&, const QString&, const QString&) override {}
};

TEST(ContinuidadeAbastecimentos, LogQueNaoGravaNaoEscapa) {
    TLogQueFalha log;
    TContinuidadeAbastecimentos continuidade(log);
    continuidade.Inicia(1, {});
    EXPECT_NO_THROW(continuidade.Entregue(5));
}

// Through the capture: the values come from MvAbast before the first
// fueling is stored, a restart reads them again, and a fueling with a gap
// is stored as usual.
class ContinuidadeNaCaptura : public ::testing::Test {
  protected:
    void Reinicia() {
        e.Captura = std::make_unique<TCapturaAbastecimento>(TCapturaAbastecimento::TAmbiente{
            .Conexao = e.Conexao,
            .Bombas = e.Bombas,
            .MvAbast = e.MvAbast,
            .ParaPosto = e.ParaPosto,
            .SequenciaAbast = e.SequenciaAbast,
            .UsaFid = e.UsaFid,
            .Log = e.Log,
            .Dialogos = e.Dialogos,
            .RestoreMainWindow = [] {},
            .ProcessaEventos = [] {},
        });
    }
    // Nozzle 01 (code 1F) and 02 (code 05), one minute apart.
    void Abastece(const char* codigo, int registro, double litros, double encerrante) {
        TCampos c;
        c.Codigo = codigo;
        c.Registro = registro;
        c.Litros = litros;
        c.Encerrante = encerrante;
        c.Hora = QStringLiteral("14:%1").arg(minuto++, 2, 10, QLatin1Char('0')).toStdString();
        e.Captura->ProcessaAbastecimento(RegistroPadrao(c));
        ASSERT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::Gravado);
    }
    const TFormatSettingsTemporario virgula{TFormatSettings()};
    TEstacaoTeste e;
    int minuto = 0;
};

TEST_F(ContinuidadeNaCaptura, ValoresDoBancoNoInicioEDepoisDeReiniciar) {
    Reinicia();
    Abastece("1F", 100, 10, 1010);  // first of all: nothing to follow
    Abastece("05", 101, 5, 505);    // first of nozzle 02
    Abastece("1F", 102, 10, 1020);
    EXPECT_TRUE(e.Log.Erros.isEmpty()) << e.Log.Erros.join(QLatin1Char('\n')).toStdString();

    // Started again: the last register number and the totalizers come from
    // the rows, not from the order they were stored in by date and time.
    e.Executa(QStringLiteral("UPDATE MvAbast SET Hora = '23:59:59' WHERE Id = 100"));
    Reinicia();
    Abastece("05", 103, 5, 510);
    EXPECT_TRUE(e.Log.Erros.isEmpty()) << e.Log.Erros.join(QLatin1Char('\n')).toStdString();

    Reinicia();
    Abastece("1F", 106, 10, 1040.5);
    EXPECT_EQ(e.Log.Erros,
              QStringList({QStringLiteral("Registros do concentrador não recebidos: 104 a 105"),
                           QStringLiteral("Divergência no bico 01: encerrante anterior "
                                          "1020,000, inicial deste abastecimento 1030,500 "
                                          "(10,500 litros sem abastecimento)")}));
    // Stored as usual.
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Id = 106 And "
                                     "Litragem = 10 And EncerranteFinal = 1040.5")),
              1);
}

// A record dropped by the rules, or a nozzle the database does not know, was
// still handed over: the next register number follows it.
TEST_F(ContinuidadeNaCaptura, RegistroDescartadoNaoEhLacuna) {
    Reinicia();
    Abastece("1F", 200, 10, 1010);
    TCampos zero;
    zero.Registro = 201;
    zero.Litros = 0.004;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(zero));
    TCampos semBico;
    semBico.Registro = 202;
    semBico.Codigo = "0A";
    e.Captura->ProcessaAbastecimento(RegistroPadrao(semBico));
    ASSERT_EQ(e.Log.Erros.size(), 1);  // the unknown nozzle's own line
    Abastece("1F", 203, 10, 1020);
    EXPECT_EQ(e.Log.Erros.size(), 1) << e.Log.Erros.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
