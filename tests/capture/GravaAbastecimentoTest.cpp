#include <gtest/gtest.h>

#include <QDate>

#include "EstacaoTeste.h"
#include "capture/GravaAbastecimento.h"
#include "data/Erro.h"
#include "tests/ImpressaoQt.h"

namespace {

TCampos Em(const std::string& codigo, const std::string& data, const std::string& hora,
           std::int32_t registro = 42) {
    TCampos c;
    c.Codigo = codigo;
    c.Data = data;
    c.Hora = hora;
    c.Registro = registro;
    return c;
}

QStringList HorasDoLog(const TEstacaoTeste& e) {
    QStringList horas;
    for (const auto& l : e.Log.Linhas)
        horas << l.Hora;
    return horas;
}

int SequenciaNoBanco(TEstacaoTeste& e) {
    return e.Consulta(QStringLiteral("Select SequenciaAbast From ParaPosto"))
        ->AsInteger(QStringLiteral("SequenciaAbast"));
}

TEST(HorarioLivre, MesmoBicoDataEHoraAvancamUmSegundo) {
    const struct {
        const char* Nome;
        std::vector<TCampos> Abastecimentos;
        QStringList Horas;
    } casos[] = {
        {"três vezes 14:35",
         {Em("1F", "25/12/2024", "14:35"), Em("1F", "25/12/2024", "14:35"),
          Em("1F", "25/12/2024", "14:35")},
         {QStringLiteral("14:35:00"), QStringLiteral("14:35:01"), QStringLiteral("14:35:02")}},
        {"o mesmo lido duas vezes",
         {Em("1F", "25/12/2024", "10:00:30"), Em("1F", "25/12/2024", "10:00:30")},
         {QStringLiteral("10:00:30"), QStringLiteral("10:00:31")}},
        {"outro bico não ocupa",
         {Em("1F", "25/12/2024", "14:35"), Em("05", "25/12/2024", "14:35")},
         {QStringLiteral("14:35:00"), QStringLiteral("14:35:00")}},
        {"outra data não ocupa",
         {Em("1F", "25/12/2024", "14:35"), Em("1F", "26/12/2024", "14:35")},
         {QStringLiteral("14:35:00"), QStringLiteral("14:35:00")}},
        {"depois de 23:59:59 volta a 00:00:00",
         {Em("1F", "25/12/2024", "23:59:59"), Em("1F", "25/12/2024", "23:59:59")},
         {QStringLiteral("23:59:59"), QStringLiteral("00:00:00")}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TEstacaoTeste e;
        for (const TCampos& a : c.Abastecimentos)
            e.Captura->ProcessaAbastecimento(RegistroPadrao(a));
        EXPECT_TRUE(e.Dialogos.Caixas.empty());
        EXPECT_EQ(HorasDoLog(e), c.Horas);
        auto q = e.Consulta(QStringLiteral("Select Hora From MvAbast"));
        QStringList gravadas;
        for (; !q->Eof(); q->Next())
            gravadas << q->AsString(QStringLiteral("Hora"));
        gravadas.sort();
        QStringList esperadas = c.Horas;
        esperadas.sort();
        EXPECT_EQ(gravadas, esperadas);
    }
}

TEST(HorarioLivre, DataNaoAvancaNaVirada) {
    TEstacaoTeste e;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "23:59:59")));
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "23:59:59")));
    auto q = e.Consulta(QStringLiteral("Select Data From MvAbast Where Hora = '00:00:00'"));
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->AsDate(QStringLiteral("Data")), QDate(2024, 12, 25));
}

TEST(HorarioLivre, DiaLotadoFalhaEmVezDeGirarParaSempre) {
    TEstacaoTeste e;
    // Every second of the day taken on nozzle 01.
    e.Executa(QStringLiteral(
        "INSERT INTO MvAbast (Data, Hora, CodBico) "
        "WITH RECURSIVE n AS (SELECT 0 AS i FROM RDB$DATABASE UNION ALL "
        "SELECT i + 1 FROM n WHERE i < 59), "
        "d AS (SELECT LPAD(CAST(CAST(i AS INTEGER) AS VARCHAR(2)), 2, '0') AS t, i FROM n) "
        "SELECT '25.12.2024', h.t || ':' || m.t || ':' || s.t, '01' FROM d h, d m, d s "
        "WHERE h.i < 24"));
    ASSERT_EQ(e.Conta(QStringLiteral("Select Count(Distinct Hora) N From MvAbast")), 86400);

    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "12:00")));
    ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
    EXPECT_TRUE(
        e.Dialogos.Caixas[0].Texto.contains(QStringLiteral("Erro ao Gravar o Abastecimento")));
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 86400);
    EXPECT_FALSE(e.Conexao.InTransaction());
}

TEST(Sequencia, Registro9999GravaComNEOSeguinteComNMaisUm) {
    TEstacaoTeste e;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:00", 9998)));
    EXPECT_FALSE(e.Captura->Gravacao().RecarregaSequencia());
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:01", 9999)));
    EXPECT_EQ(SequenciaNoBanco(e), 8);
    EXPECT_TRUE(e.Captura->Gravacao().RecarregaSequencia());
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:02", 1)));
    // From now on every fueling reads the parameters again.
    e.Sql(QStringLiteral("UPDATE ParaPosto SET SequenciaAbast = 20; COMMIT;"));
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:03", 2)));

    ASSERT_TRUE(e.Dialogos.Caixas.empty());
    auto q = e.Consulta(QStringLiteral("Select Id, Sequencia From MvAbast Order By Hora"));
    std::vector<std::pair<int, int>> linhas;
    for (; !q->Eof(); q->Next())
        linhas.emplace_back(q->AsInteger(QStringLiteral("Id")),
                            q->AsInteger(QStringLiteral("Sequencia")));
    EXPECT_EQ(linhas, (std::vector<std::pair<int, int>>{{9998, 7}, {9999, 7}, {1, 8}, {2, 20}}));
    QStringList doLog;
    for (const auto& l : e.Log.Linhas)
        doLog << l.Sequencia;
    EXPECT_EQ(doLog, (QStringList{QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("8"),
                                  QStringLiteral("20")}));
}

TEST(Sequencia, Registro9999DescartadoNaoMexeNaSequencia) {
    TCampos semBico = Em("FE", "25/12/2024", "10:00", 9999);
    TCampos semVolume = Em("1F", "25/12/2024", "10:00", 9999);
    semVolume.Litros = 0.001;
    TCampos codigoInvalido = Em("Z9", "25/12/2024", "10:00", 9999);
    const struct {
        const char* Nome;
        TCampos Campos;
    } casos[] = {
        {"sem bico", semBico}, {"volume zero", semVolume}, {"código inválido", codigoInvalido}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TEstacaoTeste e;
        e.Captura->ProcessaAbastecimento(RegistroPadrao(c.Campos));
        e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "11:00", 1)));
        EXPECT_EQ(SequenciaNoBanco(e), 7);
        EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Sequencia = 7")), 1);
        EXPECT_FALSE(e.Captura->Gravacao().RecarregaSequencia());
    }
}

TEST(Sequencia, InsertRecusadoAindaRegistraIncrementaEConfirma) {
    TEstacaoTeste::Opcoes opcoes;
    opcoes.SqlExtra = QStringLiteral(
        "ALTER TABLE MvAbast ADD CONSTRAINT CK_Litragem CHECK (Litragem < 1000); COMMIT;");
    TEstacaoTeste e(opcoes);
    TCampos grande = Em("1F", "25/12/2024", "14:35", 9999);
    grande.Litros = 1500;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(grande));

    ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
    const auto& caixa = e.Dialogos.Caixas[0];
    EXPECT_EQ(caixa.Tipo, TTipoMensagem::Informacao);
    const QString inicioCaixa = QStringLiteral("Erro ao tentar gravar o abastecimento ");
    ASSERT_TRUE(caixa.Texto.startsWith(inicioCaixa)) << caixa.Texto.toStdString();
    const QString mensagem = caixa.Texto.mid(inicioCaixa.size());
    EXPECT_TRUE(mensagem.contains(QStringLiteral("CK_LITRAGEM"))) << mensagem.toStdString();
    EXPECT_EQ(e.Log.Erros,
              QStringList{QStringLiteral("Erro ao tentar gravar o abastecimento:  Sequencia: 7 "
                                         "Data: 25/12/2024 Hora: 14:35:00 Bico: 01 Erro: ") +
                          mensagem});
    ASSERT_EQ(e.Log.Linhas.size(), 1u);
    EXPECT_EQ(e.Log.Linhas[0].Sequencia, QStringLiteral("7"));
    EXPECT_EQ(e.Log.Linhas[0].Id, QStringLiteral("9999"));
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 0);
    EXPECT_EQ(SequenciaNoBanco(e), 8);
    EXPECT_FALSE(e.Conexao.InTransaction());
    EXPECT_EQ(e.Restauracoes, 0);
    EXPECT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::GravadoSemLinha);
}

TEST(Sequencia, IncrementoSobreLinhaAlteradaEhErroNuncaSucesso) {
    TEstacaoTeste e;
    // Someone else moves the counter after the program read it.
    e.Sql(QStringLiteral("UPDATE ParaPosto SET SequenciaAbast = 50; COMMIT;"));
    try {
        e.Captura->Gravacao().IncrementaSequencia();
        ADD_FAILURE() << "the increment passed for stored";
    } catch (const EErro& erro) {
        EXPECT_EQ(erro.Mensagem(),
                  QStringLiteral("Erro ao Atualizar a Sequência de Abastecimentos."));
    }
    EXPECT_EQ(SequenciaNoBanco(e), 50);
    EXPECT_FALSE(e.Captura->Gravacao().RecarregaSequencia());
}

TEST(Sequencia, IncrementoRecusadoDesfazOAbastecimentoEOProximoSeRecupera) {
    TEstacaoTeste e;
    e.Sql(QStringLiteral("UPDATE ParaPosto SET SequenciaAbast = 50; COMMIT;"));
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:00", 9999)));
    ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(e.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_TRUE(
        e.Dialogos.Caixas[0].Texto.contains(QStringLiteral("\rErro ao Gravar o Abastecimento\r")));
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 0);
    EXPECT_EQ(SequenciaNoBanco(e), 50);

    // The counter is read again after the failure: the next increment counts
    // from the database's value, not from the stale one.
    e.Captura->ProcessaAbastecimento(RegistroPadrao(Em("1F", "25/12/2024", "10:05", 9999)));
    EXPECT_EQ(e.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 1);
    EXPECT_EQ(SequenciaNoBanco(e), 51);
}

}  // namespace
