// The open-shift lookup against a real station database.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "FormatSettingsTemporario.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "screens/ConsultaTurno.h"
#include "tests/ImpressaoQt.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const SemTurno = "Não há turno aberto para este usuário!";

// One MvTurno row; dates and times are SQL literals ("NULL" for none). The
// time columns are DATEs whose day means nothing.
struct TTurno {
    const char* Controle;
    const char* Empresa;
    const char* DtMovimento;
    const char* HrAbertura;
    const char* DtTermino;
    const char* HrTermino;
    const char* Status = "'N'";
    const char* CodTurno = "'1'";
    const char* CodVendedor = "'001'";
    const char* DtFechamento = "NULL";
    const char* HrFechamento = "NULL";
};

// One database for the suite; every test starts with no shift.
class TTurnoTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char nome[] = "screens_turno_test";
            static char* argv[] = {nome, nullptr};
            new QCoreApplication(argc, argv);
        }
        s_pasta = new QTemporaryDir;
        s_banco = new QString(CriaBancoTeste(s_pasta->path()));
        ExecutaSql(*s_banco, U("INSERT INTO Turnos (CodTurno, Descricao) VALUES ('1', 'DIURNO');"
                               "INSERT INTO Vendend (CodVendedor, Nome) VALUES ('001', 'ANA');"
                               "COMMIT;"));
    }
    static void TearDownTestSuite() {
        delete s_banco;
        delete s_pasta;
    }

    void SetUp() override {
        ExecutaSql(*s_banco, U("DELETE FROM MvTurno; COMMIT;"));
        ConfiguraConexaoTeste(m_con, *s_banco);
        m_turno.SetConnection(&m_con);
    }

    void Insere(const std::vector<TTurno>& turnos) {
        QString script;
        for (const TTurno& t : turnos) {
            script += U("INSERT INTO MvTurno (Controle, CodEmpresa, DtMovimento, HrAbertura, "
                        "DtTermino, HrTermino, CodTurno, CodVendedor, DtFechamento, "
                        "HrFechamento, Status) VALUES ('%1', '%2', %3, %4, %5, %6, %7, %8, %9, "
                        "%10, %11);")
                          .arg(U(t.Controle), U(t.Empresa), U(t.DtMovimento), U(t.HrAbertura),
                               U(t.DtTermino), U(t.HrTermino), U(t.CodTurno), U(t.CodVendedor),
                               U(t.DtFechamento))
                          .arg(U(t.HrFechamento), U(t.Status));
        }
        ExecutaSql(*s_banco, script + U("COMMIT;"));
    }

    static inline QTemporaryDir* s_pasta = nullptr;
    static inline QString* s_banco = nullptr;

    TFormatSettingsTemporario m_formato{TFormatSettings{}};
    TConexao m_con;
    TDataSet m_turno;
    TDialogosRoteiro m_dialogos;
};

// --- The statement ---------------------------------------------------------

struct TCasoMonta {
    const char* Nome;
    // CodEmpresa, DtMovimento, CodTurno, CodVendedor, Status, DtFechamento,
    // HrFechamento, Controle, OrderBy
    const char* Argumentos[9];
    const char* Sql;
    const char* PrimeiroControle;  // nullptr: no row
};

const char* const Base =
    "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
    " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
    " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) ";

const TCasoMonta CasosMonta[] = {
    {"SemFiltro",
     {"", "", "", "", "", "", "", "", ""},
     "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
     " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
     " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) ",
     "000010"},
    {"ChamadaDaBusca",
     {"", "", "", "", "N", "", "", "", "CODEMPRESA,DTMOVIMENTO,HRABERTURA"},
     "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
     " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
     " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) WHERE (STATUS = :PSTATUS) "
     " ORDER BY CODEMPRESA,DTMOVIMENTO,HRABERTURA",
     "000010"},
    {"EmpresaEControle",
     {"02", "", "", "", "", "", "", "000011", ""},
     "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
     " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
     " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) WHERE (CODEMPRESA = "
     ":PCODEMPRESA) AND(CONTROLE = :PCONTROLE) ",
     "000011"},
    {"EmpresaDeOutroControle",
     {"01", "", "", "", "", "", "", "000011", ""},
     "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
     " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
     " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) WHERE (CODEMPRESA = "
     ":PCODEMPRESA) AND(CONTROLE = :PCONTROLE) ",
     nullptr},
    {"TodosOsOito",
     {"01", "01/03/2024", "1", "001", "N", "02/03/2024", "06:00:00", "000010", "CONTROLE"},
     "SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO"
     " LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) "
     " LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) WHERE (CODEMPRESA = "
     ":PCODEMPRESA) AND (DTMOVIMENTO = :PDTMOVIMENTO) AND (CODTURNO = :PCODTURNO) AND "
     "(CODVENDEDOR = :PCODVENDEDOR) AND (DTFECHAMENTO = :PDTFECHAMENTO) AND (HRFECHAMENTO = "
     ":PHRFECHAMENTO) AND (STATUS = :PSTATUS) AND(CONTROLE = :PCONTROLE)  ORDER BY CONTROLE",
     "000010"},
    // The dates are bound as dates: another closing day finds nothing.
    {"OitoComOutroFechamento",
     {"01", "01/03/2024", "1", "001", "N", "03/03/2024", "06:00:00", "000010", ""},
     nullptr,
     nullptr},
};

void PrintTo(const TCasoMonta& c, std::ostream* os) {
    *os << c.Nome;
}

class TMontaConsultaTurnoTest : public TTurnoTest,
                                public ::testing::WithParamInterface<TCasoMonta> {};

TEST_P(TMontaConsultaTurnoTest, MontaOTextoEFiltraPorParametros) {
    const TCasoMonta& c = GetParam();
    Insere({{"000010", "01", "'01.03.2024'", "'30.12.1899 22:00:00'", "'02.03.2024'",
             "'30.12.1899 06:00:00'", "'N'", "'1'", "'001'", "'02.03.2024'", "'06:00:00'"},
            {"000011", "02", "'01.03.2024'", "'30.12.1899 22:00:00'", "'02.03.2024'",
             "'30.12.1899 06:00:00'", "'S'", "'1'", "'001'", "'02.03.2024'", "'06:00:00'"}});
    const char* const* a = c.Argumentos;
    const bool achou = MontaConsultaTurno(m_turno, U(a[0]), U(a[1]), U(a[2]), U(a[3]), U(a[4]),
                                          U(a[5]), U(a[6]), U(a[7]), U(a[8]));
    if (c.Sql != nullptr) {
        EXPECT_EQ(m_turno.SQL(), U(c.Sql));
    }
    EXPECT_TRUE(m_turno.Active());
    ASSERT_EQ(achou, c.PrimeiroControle != nullptr);
    if (achou) {
        EXPECT_EQ(m_turno.AsString(U("Controle")), U(c.PrimeiroControle));
        EXPECT_EQ(m_turno.AsString(U("Descricao")), U("DIURNO"));
        EXPECT_EQ(m_turno.AsString(U("Nome")), U("ANA"));
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, TMontaConsultaTurnoTest, ::testing::ValuesIn(CasosMonta),
                         [](const auto& info) { return std::string(info.param.Nome); });

// --- The walk --------------------------------------------------------------

struct TCasoBusca {
    const char* Nome;
    std::vector<TTurno> Turnos;
    const char* Data;
    const char* Hora;
    const char* Esperado;  // Controle found; nullptr: none
};

// Times of day on the fixed day, as the station stores them.
#define H(hora) "'30.12.1899 " hora "'"

const TTurno UmDia{"000001", "00", "'01.03.2024'", H("08:00:00"), "'01.03.2024'", H("14:00:00")};
const TTurno Noturno{"000002", "00", "'01.03.2024'", H("22:00:00"), "'02.03.2024'", H("06:00:00")};
const TTurno TresDias{"000003", "00", "'01.03.2024'", H("22:00:00"), "'03.03.2024'", H("06:00:00")};

const TCasoBusca CasosBusca[] = {
    {"UmDiaNaAbertura", {UmDia}, "01/03/2024", "08:00:00", "000001"},
    {"UmDiaNoTermino", {UmDia}, "01/03/2024", "14:00:00", "000001"},
    {"UmDiaDepoisDoTermino", {UmDia}, "01/03/2024", "14:00:01", nullptr},
    {"UmDiaAntesDaAbertura", {UmDia}, "01/03/2024", "07:59:59", nullptr},
    {"UmDiaEmOutraData", {UmDia}, "02/03/2024", "10:00:00", nullptr},
    {"NoturnoNoPrimeiroDia", {Noturno}, "01/03/2024", "23:30:00", "000002"},
    {"NoturnoNoUltimoSegundoDoPrimeiroDia", {Noturno}, "01/03/2024", "23:59:59", "000002"},
    {"NoturnoNaVirada", {Noturno}, "02/03/2024", "00:00:00", "000002"},
    {"NoturnoNoUltimoDia", {Noturno}, "02/03/2024", "05:59:59", "000002"},
    {"NoturnoAntesDaAbertura", {Noturno}, "01/03/2024", "21:59:59", nullptr},
    {"NoturnoDepoisDoTermino", {Noturno}, "02/03/2024", "06:00:01", nullptr},
    {"NoturnoNaVesperaAMesmaHora", {Noturno}, "29/02/2024", "23:30:00", nullptr},
    // A day in between ignores both hours.
    {"DiaDoMeioDeMadrugada", {TresDias}, "02/03/2024", "00:00:00", "000003"},
    {"DiaDoMeioAoMeioDia", {TresDias}, "02/03/2024", "12:00:00", "000003"},
    {"DiaDoMeioNoFim", {TresDias}, "02/03/2024", "23:59:59", "000003"},
    {"DepoisDoUltimoDia", {TresDias}, "04/03/2024", "01:00:00", nullptr},
    // Both cover the moment: company first, then date, then opening time,
    // whatever the Controle or the order of insertion.
    {"PrimeiroPorEmpresa",
     {{"000001", "02", "'29.02.2024'", H("00:00:00"), "'02.03.2024'", H("23:59:59")},
      {"000009", "01", "'01.03.2024'", H("10:00:00"), "'01.03.2024'", H("12:00:00")}},
     "01/03/2024",
     "11:00:00",
     "000009"},
    {"PrimeiroPorData",
     {{"000001", "00", "'01.03.2024'", H("00:00:00"), "'01.03.2024'", H("23:59:59")},
      {"000009", "00", "'29.02.2024'", H("12:00:00"), "'02.03.2024'", H("12:00:00")}},
     "01/03/2024",
     "11:00:00",
     "000009"},
    {"PrimeiroPorAbertura",
     {{"000001", "00", "'01.03.2024'", H("10:00:00"), "'01.03.2024'", H("12:00:00")},
      {"000009", "00", "'01.03.2024'", H("09:00:00"), "'01.03.2024'", H("12:00:00")}},
     "01/03/2024",
     "11:00:00",
     "000009"},
    {"SemDataDeTerminoPulado",
     {{"000005", "00", "'29.02.2024'", H("00:00:00"), "NULL", H("23:59:59")}, UmDia},
     "01/03/2024",
     "10:00:00",
     "000001"},
    {"SemDataDeTerminoNuncaEscolhido",
     {{"000005", "00", "'29.02.2024'", H("00:00:00"), "NULL", H("23:59:59")}},
     "01/03/2024",
     "10:00:00",
     nullptr},
    {"SemHoraDeTerminoNuncaEscolhido",
     {{"000005", "00", "'01.03.2024'", H("00:00:00"), "'01.03.2024'", "NULL"}},
     "01/03/2024",
     "10:00:00",
     nullptr},
    {"FechadoNuncaConsiderado",
     {{"000005", "00", "'01.03.2024'", H("08:00:00"), "'01.03.2024'", H("14:00:00"), "'S'"}},
     "01/03/2024",
     "10:00:00",
     nullptr},
    {"FechadoAntesDoAberto",
     {{"000005", "00", "'01.03.2024'", H("08:00:00"), "'01.03.2024'", H("14:00:00"), "'S'"},
      {"000006", "01", "'01.03.2024'", H("08:00:00"), "'01.03.2024'", H("14:00:00")}},
     "01/03/2024",
     "10:00:00",
     "000006"},
    // Time columns on any day: only the time of day counts.
    {"HorasEmDiaQualquer",
     {{"000007", "00", "'01.03.2024'", "'17.05.2021 08:00:00'", "'01.03.2024'",
       "'03.01.1990 14:00:00'"}},
     "01/03/2024",
     "14:00:00",
     "000007"},
    {"HorasEmDiaQualquerDepoisDoTermino",
     {{"000007", "00", "'01.03.2024'", "'17.05.2021 08:00:00'", "'01.03.2024'",
       "'03.01.1990 14:00:00'"}},
     "01/03/2024",
     "14:00:01",
     nullptr},
    // Date columns with a time: still one day, so 15:00 is past its end.
    {"DatasComHora",
     {{"000008", "00", "'01.03.2024 10:00:00'", H("08:00:00"), "'01.03.2024 20:00:00'",
       H("14:00:00")}},
     "01/03/2024",
     "09:00:00",
     "000008"},
    {"DatasComHoraAindaUmDia",
     {{"000008", "00", "'01.03.2024 10:00:00'", H("08:00:00"), "'01.03.2024 20:00:00'",
       H("14:00:00")}},
     "01/03/2024",
     "15:00:00",
     nullptr},
};

void PrintTo(const TCasoBusca& c, std::ostream* os) {
    *os << c.Nome;
}

class TBuscaTurnoAbertoTest : public TTurnoTest,
                              public ::testing::WithParamInterface<TCasoBusca> {};

TEST_P(TBuscaTurnoAbertoTest, AchaOPrimeiroTurnoQueCobreOMomento) {
    const TCasoBusca& c = GetParam();
    Insere(c.Turnos);
    ControleTurno = U("anterior");
    const bool achou = BuscaTurnoAberto(m_turno, U(c.Data), U(c.Hora), m_dialogos);
    if (c.Esperado != nullptr) {
        EXPECT_TRUE(achou);
        EXPECT_EQ(ControleTurno, U(c.Esperado));
        EXPECT_EQ(m_turno.AsString(U("Controle")), U(c.Esperado));
        EXPECT_TRUE(m_dialogos.Caixas.empty());
    } else {
        EXPECT_FALSE(achou);
        EXPECT_EQ(ControleTurno, QString());
        ASSERT_EQ(m_dialogos.Caixas.size(), 1u);
        EXPECT_EQ(m_dialogos.Caixas[0].Tipo, TTipoMensagem::Informacao);
        EXPECT_EQ(m_dialogos.Caixas[0].Botoes, TBotoes::Ok);
        EXPECT_EQ(m_dialogos.Caixas[0].Texto, U(SemTurno));
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, TBuscaTurnoAbertoTest, ::testing::ValuesIn(CasosBusca),
                         [](const auto& info) { return std::string(info.param.Nome); });

TEST_F(TTurnoTest, SemNenhumTurnoAbertoAvisaUmaVez) {
    ControleTurno = U("anterior");
    EXPECT_FALSE(BuscaTurnoAberto(m_turno, U("01/03/2024"), U("10:00:00"), m_dialogos));
    EXPECT_EQ(ControleTurno, QString());
    ASSERT_EQ(m_dialogos.Caixas.size(), 1u);
    EXPECT_EQ(m_dialogos.Caixas[0].Texto, U(SemTurno));
}

}  // namespace
