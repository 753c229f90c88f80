#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "../ImpressaoQt.h"
#include "BancoFixture.h"
#include "BancoTeste.h"
#include "FormatSettingsTemporario.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Erro.h"
#include "data/FormatSettings.h"

namespace {

class DataSetTest : public TBancoFixture {
  protected:
    void SetUp() override {
        CriaBanco();
        m_con.Open();
        m_q.SetConnection(&m_con);
    }

    TQuery m_q;
};

const char* const kInsereAbastecimento =
    "INSERT into mvabast(mvabast.Data, mvabast.Hora, mvabast.CodBico, mvabast.Combustivel,"
    " mvabast.Litragem, mvabast.Valor, mvabast.CodFid, mvabast.Emitido, mvabast.Id)"
    " Values(:PData, :PHora, :PCodBico, :PCombustivel, :PLitragem, :PValor, :PCodFid,"
    " :PEmitido, :PId)";

void InsereAbastecimento(TQuery& q, const QDate& data, const char* hora, const char* emitido) {
    q.SetSQL(Texto(kInsereAbastecimento));
    q.ParamDate(Texto("PData"), data);
    q.ParamText(Texto("PHora"), Texto(hora));
    q.ParamText(Texto("PCodBico"), Texto("01"));
    q.ParamText(Texto("PCombustivel"), Texto("GASOLINA"));
    q.ParamDouble(Texto("PLitragem"), 20.5);
    q.ParamDouble(Texto("PValor"), 120.93);
    q.ParamNull(Texto("PCodFid"));
    q.ParamText(Texto("PEmitido"), Texto(emitido));
    q.ParamInteger(Texto("PId"), 9999);
    ASSERT_EQ(q.ExecSQL(), 1);
}

TEST_F(DataSetTest, ParametrosDeCadaTipoGravamEVoltamIguais) {
    InsereAbastecimento(m_q, QDate(2024, 12, 25), "10:11:12", "N");
    // Read back over the raw client, independently of the layer.
    EXPECT_EQ(Valor("Select Data From MvAbast"), Texto("25-DEC-2024"));
    EXPECT_EQ(Valor("Select Hora From MvAbast"), Texto("10:11:12"));
    EXPECT_EQ(Valor("Select Litragem * 1000 From MvAbast"), Texto("20500.00000000000"));
    EXPECT_EQ(Valor("Select Id From MvAbast"), Texto("9999"));
    EXPECT_EQ(Valor("Select CodFid From MvAbast"), Texto("<null>"));

    m_q.SetSQL(Texto("Select * From MvAbast"));
    m_q.Open();
    ASSERT_EQ(m_q.RecordCount(), 1);
    EXPECT_EQ(m_q.AsDate(Texto("data")), QDate(2024, 12, 25));
    EXPECT_EQ(m_q.AsDateTime(Texto("DATA")), QDateTime(QDate(2024, 12, 25), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(m_q.AsFloat(Texto("Litragem")), 20.5);
    EXPECT_DOUBLE_EQ(m_q.AsFloat(Texto("Valor")), 120.93);
    EXPECT_EQ(m_q.AsInteger(Texto("Id")), 9999);
    EXPECT_EQ(m_q.AsString(Texto("Id")), Texto("9999"));
    EXPECT_EQ(m_q.AsString(Texto("CodBico")), Texto("01"));
}

TEST_F(DataSetTest, DataHoraComHoraDoDiaGravaEVolta) {
    const QDateTime momento(QDate(2024, 3, 1), QTime(23, 59, 58, 120));
    m_q.SetSQL(
        Texto("Insert Into MvEncerrantes (CodEmpresa, CodTurno, CodBico, DataLeitura)"
              " Values ('00', '1', '01', :PDataLeitura)"));
    m_q.ParamDateTime(Texto("PDataLeitura"), momento);
    ASSERT_EQ(m_q.ExecSQL(), 1);
    m_q.SetSQL(Texto("Select DataLeitura From MvEncerrantes"));
    m_q.Open();
    EXPECT_EQ(m_q.AsDateTime(Texto("DataLeitura")), momento);
    EXPECT_EQ(Valor("Select DataLeitura From MvEncerrantes"), Texto("01-MAR-2024 23:59:58.1200"));
    EXPECT_EQ(m_q.AsDate(Texto("DataLeitura")), momento.date());
    EXPECT_EQ(m_q.AsString(Texto("DataLeitura")), Texto("01/03/2024 23:59:58"));
}

TEST_F(DataSetTest, DataComoTextoDdMmAaaaComparaComDate) {
    InsereAbastecimento(m_q, QDate(2024, 12, 25), "10:11:12", "N");
    struct Caso {
        const char* data;
        const char* hora;
        int linhas;
    } casos[] = {
        {"25.12.2024", "10:11:12", 1},
        {"24.12.2024", "10:11:12", 0},
        {"25.12.2024", "10:11:13", 0},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.data);
        m_q.SetSQL(
            Texto("Select * From MvAbast      Where Data    = :PData    And   Hora    = "
                  ":PHora    And   CodBico = :PCodBico"));
        m_q.ParamText(Texto("PData"), Texto(caso.data));
        m_q.ParamText(Texto("PHora"), Texto(caso.hora));
        m_q.ParamText(Texto("PCodBico"), Texto("01"));
        m_q.Open();
        EXPECT_EQ(m_q.RecordCount(), caso.linhas);
        EXPECT_EQ(m_q.IsEmpty(), caso.linhas == 0);
    }
}

TEST_F(DataSetTest, ConstanteEntreAspasDuplasEmDialeto1ETexto) {
    InsereAbastecimento(m_q, QDate(2024, 1, 10), "08:00:00", "S");
    InsereAbastecimento(m_q, QDate(2024, 1, 10), "08:00:01", "N");
    InsereAbastecimento(m_q, QDate(2024, 1, 11), "08:00:00", "S");
    InsereAbastecimento(m_q, QDate(2024, 1, 12), "08:00:00", "S");
    m_q.SetSQL(Texto("Delete From mvabast   Where data <= :PData   and emitido = \"S\"  "));
    m_q.ParamText(Texto("PData"), Texto("11.01.2024"));
    EXPECT_EQ(m_q.ExecSQL(), 2);
    EXPECT_EQ(Valor("Select Count(*) From MvAbast"), Texto("2"));
    EXPECT_EQ(m_q.ExecSQL(), 0);
}

TEST_F(DataSetTest, MesmoNomeEmVariosLugaresESemCaixa) {
    m_q.SetSQL(
        Texto("Insert Into Produto (CodProd, Descricao) Values (:PCod, :pcod || '-' || :PCOD)"));
    m_q.ParamText(Texto("pCod"), Texto("X1"));
    ASSERT_EQ(m_q.ExecSQL(), 1);
    EXPECT_EQ(Valor("Select Descricao From Produto Where CodProd = 'X1'"), Texto("X1-X1"));
}

TEST_F(DataSetTest, DoisPontosDentroDeTextoOuComentarioNaoEParametro) {
    m_q.SetSQL(
        Texto("Select ':PNao' As A, \"x:PTambemNao\" As B /* :PComentario */ From "
              "Rdb$Database Where 1 = :PSim -- :PLinha\n"));
    EXPECT_THROW(m_q.ParamText(Texto("PNao"), Texto("1")), EErroBanco);
    EXPECT_THROW(m_q.ParamText(Texto("PComentario"), Texto("1")), EErroBanco);
    m_q.ParamInteger(Texto("PSim"), 1);
    m_q.Open();
    ASSERT_EQ(m_q.RecordCount(), 1);
    EXPECT_EQ(m_q.AsString(Texto("A")), Texto(":PNao"));
    EXPECT_EQ(m_q.AsString(Texto("B")), Texto("x:PTambemNao"));
}

TEST_F(DataSetTest, ParametroSemValorFalhaETrocarOTextoEsqueceOsValores) {
    m_q.SetSQL(Texto("Select * From Bombas Where CodBico = :PCodBico"));
    EXPECT_THROW(m_q.Open(), EErroBanco);
    m_q.ParamText(Texto("PCodBico"), Texto("01"));
    m_q.Open();
    EXPECT_EQ(m_q.RecordCount(), 1);
    m_q.SetSQL(Texto("Select * From Bombas Where CodBico = :PCodBico Order By CodBico"));
    EXPECT_FALSE(m_q.Active());
    EXPECT_THROW(m_q.Open(), EErroBanco);
}

TEST_F(DataSetTest, CharGuardaBrancosAFinalEVarcharNao) {
    m_q.SetSQL(Texto(
        "Update Bombas Set CodConcentrador = :PCod, Descricao = :PDesc Where CodBico = '04'"));
    m_q.ParamText(Texto("PCod"), Texto("7"));
    m_q.ParamText(Texto("PDesc"), Texto("abc  "));
    ASSERT_EQ(m_q.ExecSQL(), 1);
    m_q.SetSQL(
        Texto("Select CodConcentrador, Descricao From Bombas Where CodConcentrador = :PCod"));
    m_q.ParamText(Texto("PCod"), Texto("7"));  // CHAR comparison ignores the padding
    m_q.Open();
    ASSERT_EQ(m_q.RecordCount(), 1);
    EXPECT_EQ(m_q.AsString(Texto("CodConcentrador")), Texto("7  "));
    EXPECT_EQ(m_q.AsString(Texto("Descricao")), Texto("abc  "));
}

TEST_F(DataSetTest, NuloLeComoVazioOuZero) {
    m_q.SetSQL(
        Texto("Select CodConcentrador, statusbico, PrecoVenda From Bombas Where CodBico = '04'"));
    m_q.Open();
    ASSERT_EQ(m_q.RecordCount(), 1);
    EXPECT_TRUE(m_q.IsNull(Texto("CodConcentrador")));
    EXPECT_EQ(m_q.AsString(Texto("CodConcentrador")), QString());
    EXPECT_EQ(m_q.AsInteger(Texto("CodConcentrador")), 0);
    EXPECT_FALSE(m_q.IsNull(Texto("PrecoVenda")));

    m_q.SetSQL(
        Texto("Select Cast(Null As Double Precision) As N, Cast(Null As Date) As D,"
              " Cast(Null As Integer) As I From Rdb$Database"));
    m_q.Open();
    EXPECT_EQ(m_q.AsFloat(Texto("N")), 0.0);
    EXPECT_EQ(m_q.AsInteger(Texto("I")), 0);
    EXPECT_EQ(m_q.AsString(Texto("D")), QString());
    EXPECT_FALSE(m_q.AsDate(Texto("D")).isValid());
}

TEST_F(DataSetTest, TextoVaiEVoltaEmWindows1252) {
    m_q.SetSQL(Texto("Update Produto Set Descricao = :PDescricao Where CodProd = '001'"));
    m_q.ParamText(Texto("PDescricao"), Texto("Informação"));
    ASSERT_EQ(m_q.ExecSQL(), 1);
    // One byte a character: 'ç' is 0xE7 and 'ã' 0xE3 in Windows-1252.
    EXPECT_EQ(Valor("Select Octet_Length(Descricao) From Produto Where CodProd = '001'"),
              Texto("10"));
    EXPECT_EQ(Valor("Select Ascii_Val(Substring(Descricao From 8 For 1)) From Produto Where "
                    "CodProd = '001'"),
              Texto("231"));
    EXPECT_EQ(Valor("Select Ascii_Val(Substring(Descricao From 9 For 1)) From Produto Where "
                    "CodProd = '001'"),
              Texto("227"));

    // The other way: bytes written by someone else, and a literal in the text.
    ExecutaSql(m_banco,
               Texto("Update Bombas Set Descricao = 'Opera' || Ascii_Char(231) || Ascii_Char(227) "
                     "|| 'o', CodConcentrador = 'Ã' Where CodBico = '02'"));
    m_q.SetSQL(
        Texto("Select Descricao, CodConcentrador, 'Ação' As L From Bombas Where CodBico = '02'"));
    m_q.Open();
    EXPECT_EQ(m_q.AsString(Texto("Descricao")), Texto("Operação"));
    EXPECT_EQ(m_q.AsString(Texto("CodConcentrador")), Texto("Ã  "));
    EXPECT_EQ(m_q.AsString(Texto("L")), Texto("Ação"));
}

TEST_F(DataSetTest, CamposPorNomeSemCaixaENavegacao) {
    m_q.SetSQL(Texto(
        "Select CodBico, Descricao, CodConcentrador, EncerranteIni From Bombas Order By CodBico"));
    m_q.Open();
    EXPECT_EQ(m_q.FieldNames(), QStringList({Texto("CODBICO"), Texto("DESCRICAO"),
                                             Texto("CODCONCENTRADOR"), Texto("ENCERRANTEINI")}));
    EXPECT_TRUE(m_q.FieldExists(Texto("codbico")));
    EXPECT_FALSE(m_q.FieldExists(Texto("Nada")));
    EXPECT_THROW(m_q.AsString(Texto("Nada")), EErroBanco);
    QStringList bicos;
    for (m_q.First(); !m_q.Eof(); m_q.Next()) {
        bicos << m_q.AsString(Texto("codBICO"));
    }
    EXPECT_EQ(bicos, QStringList({Texto("01"), Texto("02"), Texto("03"), Texto("04")}));
    EXPECT_EQ(m_q.RecordCount(), 4);
    m_q.First();
    EXPECT_FALSE(m_q.Eof());
    EXPECT_EQ(m_q.AsString(Texto("CodBico")), Texto("01"));
    m_q.Close();
    EXPECT_THROW(m_q.AsString(Texto("CodBico")), EErroBanco);
}

TEST_F(DataSetTest, NomeRepetidoNumaJuncaoGanhaSufixo) {
    m_q.SetSQL(
        Texto("Select Bombas.Descricao, Produto.Descricao From Bombas"
              " Join Tanques On Tanques.CodTanque = Bombas.CodTanque"
              " Join Produto On Produto.CodProd = Tanques.CodProd Where CodBico = '01'"));
    m_q.Open();
    EXPECT_EQ(m_q.AsString(Texto("Descricao")), Texto("BICO 01 GASOLINA"));
    EXPECT_EQ(m_q.AsString(Texto("Descricao_1")), Texto("GASOLINA COMUM"));
}

TEST_F(DataSetTest, ErroDoBancoTrazOTextoDoFirebird) {
    struct Caso {
        const char* sql;
        const char* trecho;
    } casos[] = {
        {"Select * From NaoExiste", "Table unknown\nNAOEXISTE"},
        {"Select Nada From Bombas", "Column unknown\nNADA"},
        {"Update Bombas Set CodConcentrador = '12345'", "string right truncation"},
        {"Insert Into Bombas (CodBico) Values ('01')", "violation of PRIMARY or UNIQUE KEY"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.sql);
        m_q.SetSQL(Texto(caso.sql));
        try {
            m_q.ExecSQL();
            FAIL() << "must raise";
        } catch (const EErroBanco& e) {
            EXPECT_TRUE(e.Mensagem().contains(Texto(caso.trecho))) << e.Mensagem().toStdString();
            EXPECT_FALSE(e.ConexaoPerdida());
        }
        EXPECT_TRUE(m_con.Connected());
    }
    m_q.SetSQL(Texto("Delete From MvAbast"));
    EXPECT_THROW(m_q.Open(), EErroBanco) << "a statement without rows cannot be opened";
}

TEST_F(DataSetTest, ErroNoAutocommitNaoDeixaNadaGravado) {
    m_q.SetSQL(
        Texto("Execute Block As Begin"
              " Update ParaPosto Set SequenciaAbast = 50;"
              " Insert Into Bombas (CodBico) Values ('01');"
              " End"));
    EXPECT_THROW(m_q.ExecSQL(), EErroBanco);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("1"));
    EXPECT_FALSE(m_con.InTransaction());
}

TEST_F(DataSetTest, ExecucoesRepetidasComNovosValores) {
    m_q.SetSQL(
        Texto("UPDATE BOMBAS SET BOMBAS.statusbico = :PStatusBico Where "
              "BOMBAS.codconcentrador = :PCodConcentrador "));
    const char* codigos[] = {"004", "005", "068", "099"};
    const char* status[] = {"A", "B", "C", "D"};
    int afetadas = 0;
    for (int i = 0; i < 4; ++i) {
        m_q.ParamText(Texto("PStatusBico"), Texto(status[i]));
        m_q.ParamText(Texto("PCodConcentrador"), Texto(codigos[i]));
        afetadas += m_q.ExecSQL();
    }
    EXPECT_EQ(afetadas, 3);
    EXPECT_EQ(Valor("Select List(statusbico, '') From (Select statusbico From Bombas Where "
                    "statusbico Is Not Null Order By CodBico)"),
              Texto("ABC"));
}

// --- editable dataset -------------------------------------------------------

class DataSetEditavelTest : public DataSetTest {
  protected:
    void SetUp() override {
        DataSetTest::SetUp();
        m_seq.SetConnection(&m_con);
        m_seq.SetSQL(Texto("Select SequenciaAbast From ParaPosto"));
    }

    void Incrementa() {
        m_seq.Edit();
        m_seq.SetField(Texto("SequenciaAbast"), m_seq.AsInteger(Texto("SequenciaAbast")) + 1);
        m_seq.Post();
        m_seq.ApplyUpdates();
    }

    TDataSetEditavel m_seq;
};

TEST_F(DataSetEditavelTest, SequenciaSomaUmDentroDaTransacao) {
    m_seq.Open();
    IniciaTransacao(m_con);
    Incrementa();
    EXPECT_FALSE(m_seq.Modificado());
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("1")) << "not yet committed";
    ConfirmaTransacao(m_con);
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("2"));
    Incrementa();  // autocommitted, from the cached 2
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("3"));
}

TEST_F(DataSetEditavelTest, LinhaAlteradaPorOutroDaErroNuncaSucesso) {
    m_seq.Open();
    ExecutaSql(m_banco, Texto("Update ParaPosto Set SequenciaAbast = 40"));
    for (const bool emTransacao : {false, true}) {
        SCOPED_TRACE(emTransacao ? "explicit transaction" : "autocommit");
        if (emTransacao) {
            IniciaTransacao(m_con);
        }
        m_seq.Edit();
        m_seq.SetField(Texto("SequenciaAbast"), 2);
        m_seq.Post();
        try {
            m_seq.ApplyUpdates();
            FAIL() << "an edit that finds no row must raise";
        } catch (const EErroBanco& e) {
            EXPECT_FALSE(e.Mensagem().isEmpty());
        }
        EXPECT_TRUE(m_seq.Modificado()) << "the change is still waiting";
        DesfazTransacao(m_con);
        EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("40"));
    }
    m_seq.Close();
    m_seq.Open();
    Incrementa();
    EXPECT_EQ(Valor("Select SequenciaAbast From ParaPosto"), Texto("41"));
}

TEST_F(DataSetEditavelTest, EncerrantesAcrescentaOuEditaAPrimeiraLinha) {
    TFormatSettings virgula;
    virgula.DecimalSeparator = QLatin1Char(',');
    TFormatSettingsTemporario formato(virgula);

    TDataSetEditavel enc;
    enc.SetConnection(&m_con);
    auto grava = [&](const char* fim, const char* saida) {
        enc.Close();
        enc.SetSQL(
            Texto("Select * From MvEncerrantes Where CodEmpresa = :PCodEmpresa"
                  " And CodTurno     = :PCodTurno And CodBico      = :PCodBico"));
        enc.ParamText(Texto("PCodEmpresa"), Texto("00"));
        enc.ParamText(Texto("PCodTurno"), Texto("000001"));
        enc.ParamText(Texto("PCodBico"), Texto("01"));
        enc.Open();
        if (enc.IsEmpty()) {
            enc.Append();
        } else {
            enc.Edit();
        }
        enc.SetField(Texto("CodEmpresa"), Texto("00"));
        enc.SetField(Texto("CodTurno"), Texto("000001"));
        enc.SetField(Texto("CodBico"), Texto("01"));
        enc.SetField(Texto("EncerranteIni"), Texto("100,000"));
        enc.SetField(Texto("EncerranteFim"), Texto(fim));
        enc.SetField(Texto("Saida"), Texto(saida));
        enc.SetField(Texto("DataLeitura"), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        enc.SetField(Texto("HoraLeitura"), Texto("07:08:09"));
        enc.Post();
        return enc.ApplyUpdates();
    };
    IniciaTransacao(m_con);
    EXPECT_EQ(grava("123,500", "23,500"), 1);
    EXPECT_EQ(grava("130,250", "30,250"), 1);
    ConfirmaTransacao(m_con);
    EXPECT_EQ(Valor("Select Count(*) From MvEncerrantes"), Texto("1"));
    EXPECT_EQ(Valor("Select EncerranteFim * 1000 From MvEncerrantes"), Texto("130250.0000000000"));
    EXPECT_EQ(Valor("Select Saida * 1000 From MvEncerrantes"), Texto("30250.00000000000"));
    EXPECT_EQ(Valor("Select DataLeitura From MvEncerrantes"), Texto("06-MAY-2024 7:08:09.0000"));
    EXPECT_THROW(enc.SetField(Texto("Saida"), Texto("abc")), EErro) << "not in edit mode";
    enc.Edit();
    EXPECT_THROW(enc.SetField(Texto("Saida"), Texto("1.2.3")), EErro);
}

TEST_F(DataSetEditavelTest, CancelarDescartaEApenasPostadoEAplicado) {
    m_seq.Open();
    m_seq.Edit();
    m_seq.SetField(Texto("SequenciaAbast"), 77);
    EXPECT_TRUE(m_seq.Modificado());
    m_seq.Cancel();
    EXPECT_FALSE(m_seq.Modificado());
    EXPECT_EQ(m_seq.AsInteger(Texto("SequenciaAbast")), 1);
    EXPECT_EQ(m_seq.ApplyUpdates(), 0);

    TDataSetEditavel prod;
    prod.SetConnection(&m_con);
    prod.SetSQL(Texto("Select CodProd, Descricao From Produto Where CodProd = '999'"));
    prod.Open();
    prod.Append();
    prod.SetField(Texto("CodProd"), Texto("999"));
    prod.Cancel();
    EXPECT_TRUE(prod.IsEmpty());
    EXPECT_EQ(prod.ApplyUpdates(), 0);
    EXPECT_EQ(Valor("Select Count(*) From Produto Where CodProd = '999'"), Texto("0"));
    EXPECT_THROW(prod.Edit(), EErroBanco) << "no row to edit";
}

}  // namespace

namespace {

// Station databases keep prices and totals as scaled integers (NUMERIC of
// precision 9 or less in dialect 1): they must read as the decimal stored.
TEST_F(DataSetTest, NumericEscaladoLeOValorDecimalExato) {
    ExecutaSql(m_banco, Texto("CREATE TABLE Precos (P NUMERIC(4,2), T NUMERIC(9,3), "
                              "G NUMERIC(18,4)); COMMIT;"));
    struct Caso {
        const char* p;
        const char* t;
        const char* g;
        double esperadoP, esperadoT, esperadoG;
    };
    const Caso casos[] = {
        {"0.35", "1.235", "0.1", 0.35, 1.235, 0.1},
        {"5.99", "123456.789", "12345.6789", 5.99, 123456.789, 12345.6789},
        {"-0.07", "-0.001", "-3.3", -0.07, -0.001, -3.3},
    };
    for (const Caso& c : casos) {
        ExecutaSql(m_banco, Texto("DELETE FROM Precos; INSERT INTO Precos VALUES (%1, %2, %3); "
                                  "COMMIT;")
                                .arg(Texto(c.p), Texto(c.t), Texto(c.g)));
        m_q.Close();
        m_q.SetSQL(Texto("Select P, T, G From Precos"));
        m_q.Open();
        SCOPED_TRACE(c.p);
        EXPECT_EQ(m_q.AsFloat(Texto("P")), c.esperadoP);
        EXPECT_EQ(m_q.AsFloat(Texto("T")), c.esperadoT);
        EXPECT_EQ(m_q.AsFloat(Texto("G")), c.esperadoG);
    }
}

TEST_F(DataSetTest, DataInvalidaNoParametroLevantaEmVezDeNulo) {
    m_q.SetSQL(Texto("Select Count(*) N From MvAbast Where Data = :PData"));
    EXPECT_THROW(m_q.ParamDate(Texto("PData"), QDate()), EErroBanco);
    EXPECT_THROW(m_q.ParamDate(Texto("PData"), QDate(2024, 2, 30)), EErroBanco);
    EXPECT_THROW(m_q.ParamDateTime(Texto("PData"), QDateTime()), EErroBanco);
    m_q.ParamNull(Texto("PData"));  // NULL only when asked for
    m_q.Open();
    EXPECT_EQ(m_q.AsInteger(Texto("N")), 0);
}

// A table without a key (as MvEncerrantes is in station databases) holding
// two identical rows: the edit touches the row read and only that one.
TEST_F(DataSetEditavelTest, SemChaveEditaExatamenteALinhaLidaEntreIguais) {
    ExecutaSql(m_banco, Texto("CREATE TABLE Leituras (CodBico VARCHAR(3), Fim NUMERIC(9,3), "
                              "Saida DOUBLE PRECISION); COMMIT;"
                              "INSERT INTO Leituras VALUES ('01', 100.100, 1.5);"
                              "INSERT INTO Leituras VALUES ('01', 100.100, 1.5); COMMIT;"));
    TDataSetEditavel leit;
    leit.SetConnection(&m_con);
    leit.SetSQL(Texto("Select * From Leituras Where CodBico = :PCodBico"));
    leit.ParamText(Texto("PCodBico"), Texto("01"));
    leit.Open();
    ASSERT_EQ(leit.RecordCount(), 2);
    EXPECT_EQ(leit.FieldNames(), QStringList({Texto("CODBICO"), Texto("FIM"), Texto("SAIDA")}))
        << "the row key is not a field";
    leit.Next();
    leit.Edit();
    leit.SetField(Texto("Fim"), 123.456);
    leit.Post();
    EXPECT_EQ(leit.ApplyUpdates(), 1);
    EXPECT_EQ(Valor("Select Count(*) From Leituras Where Fim = 123.456"), Texto("1"));
    EXPECT_EQ(Valor("Select Count(*) From Leituras Where Fim = 100.100"), Texto("1"));

    // The edited column changed by someone else since it was read: raised.
    leit.First();
    ExecutaSql(m_banco, Texto("Update Leituras Set Fim = 7 Where Fim = 100.100; COMMIT;"));
    leit.Edit();
    leit.SetField(Texto("Fim"), 200);
    leit.Post();
    EXPECT_THROW(leit.ApplyUpdates(), EErroBanco);
    EXPECT_EQ(Valor("Select Count(*) From Leituras Where Fim = 7"), Texto("1"));
}

// The row is found by the primary key with exact values: a NUMERIC edited
// from what was read compares equal, where a double of it would not.
TEST_F(DataSetEditavelTest, ChavePrimariaENumericEditadoEncontramALinha) {
    ExecutaSql(m_banco, Texto("CREATE TABLE Tabela (Cod VARCHAR(3) NOT NULL PRIMARY KEY, "
                              "Preco NUMERIC(4,2), Total NUMERIC(9,3)); COMMIT;"
                              "INSERT INTO Tabela VALUES ('A', 0.35, 1.235);"
                              "INSERT INTO Tabela VALUES ('B', 0.35, 1.235); COMMIT;"));
    TDataSetEditavel tab;
    tab.SetConnection(&m_con);
    tab.SetSQL(Texto("Select Cod, Preco, Total From Tabela Order By Cod"));
    tab.Open();
    tab.Next();
    tab.Edit();
    tab.SetField(Texto("Preco"), 5.99);
    tab.SetField(Texto("Total"), tab.AsFloat(Texto("Total")) + 1);
    tab.Post();
    EXPECT_EQ(tab.ApplyUpdates(), 1);
    EXPECT_EQ(Valor("Select Preco || ' ' || Total From Tabela Where Cod = 'B'"),
              Texto("5.99 2.235"));
    EXPECT_EQ(Valor("Select Preco || ' ' || Total From Tabela Where Cod = 'A'"),
              Texto("0.35 1.235"));
}

}  // namespace
