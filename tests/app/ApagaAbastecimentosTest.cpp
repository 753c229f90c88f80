#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "Falsos.h"
#include "RelogioFixo.h"
#include "capture/ApagaAbastecimentos.h"
#include "data/Conexao.h"
#include "data/Dialogos.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"
#include "tests/ImpressaoQt.h"
#include "tests/LogMemoria.h"

namespace {

class Limpeza : public ::testing::Test {
  protected:
    Limpeza() {
        GaranteAplicacaoCore();
        banco = CriaBancoTeste(pasta.path());
        ConfiguraConexaoTeste(conexao, banco);
        conexao.Open();
    }
    void Insere(const char* bico, const QDate& data, const char* emitido) {
        ExecutaSql(banco, QStringLiteral("INSERT INTO MvAbast (Data, Hora, CodBico, Emitido) "
                                         "VALUES ('%1', '10:00:00', '%2', %3); COMMIT;")
                              .arg(data.toString(QStringLiteral("dd.MM.yyyy")), QLatin1String(bico),
                                   emitido ? QStringLiteral("'%1'").arg(QLatin1String(emitido))
                                           : QStringLiteral("NULL")));
    }
    bool Existe(const char* bico) {
        return ValorSql(banco, QStringLiteral("SELECT COUNT(*) FROM MvAbast WHERE CodBico = '%1'")
                                   .arg(QLatin1String(bico))) != QStringLiteral("0");
    }

    QTemporaryDir pasta;
    QString banco;
    TConexao conexao;
    TRelogioFixo relogio{QDateTime(QDate(2024, 12, 25), QTime(14, 35, 0))};
    TDialogosRoteiro dialogos;
    TLogMemoria log;
};

TEST_F(Limpeza, ApagaEmitidosDeTrintaDiasOuMaisEMantemORestante) {
    const QDate hoje = relogio.Hoje();
    struct {
        const char* Bico;
        int DiasAtras;
        const char* Emitido;
        bool Fica;
    } linhas[] = {
        {"001", 30, "S", false}, {"002", 29, "S", true},  {"003", 31, "S", false},
        {"004", 365, "N", true}, {"005", 365, "s", true}, {"006", 365, nullptr, true},
        {"007", 365, "", true},  {"008", 0, "S", true},
    };
    for (const auto& l : linhas)
        Insere(l.Bico, hoje.addDays(-l.DiasAtras), l.Emitido);

    ApagaAbastecimentosAntigos(conexao, relogio, dialogos, log);

    for (const auto& l : linhas)
        EXPECT_EQ(Existe(l.Bico), l.Fica) << l.Bico;
    EXPECT_TRUE(dialogos.Caixas.empty());
    EXPECT_TRUE(log.Erros.isEmpty());
    EXPECT_FALSE(conexao.InTransaction());
}

TEST_F(Limpeza, CorteAtravessaOFimDoMes) {
    relogio.Define(QDateTime(QDate(2024, 3, 30), QTime(8, 0, 0)));
    Insere("001", QDate(2024, 2, 29), "S");
    Insere("002", QDate(2024, 3, 1), "S");
    ApagaAbastecimentosAntigos(conexao, relogio, dialogos, log);
    EXPECT_FALSE(Existe("001"));
    EXPECT_TRUE(Existe("002"));
}

TEST_F(Limpeza, ErroDoBancoDaUmAvisoUmaLinhaDeLogERetorna) {
    ExecutaSql(banco, QStringLiteral("DROP TABLE MvAbast; COMMIT;"));
    EXPECT_NO_THROW(ApagaAbastecimentosAntigos(conexao, relogio, dialogos, log));
    ASSERT_EQ(dialogos.Caixas.size(), 1u);
    EXPECT_EQ(dialogos.Caixas[0].Tipo, TTipoMensagem::Informacao);
    EXPECT_EQ(dialogos.Caixas[0].Botoes, TBotoes::Ok);
    const QString prefixo = QStringLiteral("Erro ao tentar apagar os abastecimentos antigos. ");
    ASSERT_TRUE(dialogos.Caixas[0].Texto.startsWith(prefixo));
    const QString motivo = dialogos.Caixas[0].Texto.mid(prefixo.size());
    EXPECT_TRUE(motivo.contains(QStringLiteral("MVABAST"), Qt::CaseInsensitive))
        << motivo.toStdString();
    EXPECT_EQ(log.Erros,
              QStringList{QStringLiteral("Erro ao apagar os abastecimentos antigos. ") + motivo});
}

}  // namespace
