#include "capture/ApagaAbastecimentos.h"

#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"

void ApagaAbastecimentosAntigos(TConexao& conexao, const TRelogio& relogio, TDialogos& dialogos,
                                TRegistroLog& log) {
    TQuery consulta;
    consulta.SetConnection(&conexao);
    // Dialect 1: "S" between double quotes is a string constant.
    consulta.SetSQL(
        QStringLiteral("Delete From mvabast   Where data <= :PData   and emitido = \"S\"  "));
    const QDate corte = relogio.Hoje().addDays(-30);
    consulta.ParamText(QStringLiteral("PData"), corte.toString(QStringLiteral("dd.MM.yyyy")));
    try {
        // Years of issued fuelings may go at the first run: a long delete is
        // no frozen server.
        TLimiteChamada limite(conexao, 120000);
        consulta.ExecSQL();
    } catch (const std::exception& e) {
        const QString motivo = MensagemDe(e);
        dialogos.Informacao(QStringLiteral("Erro ao tentar apagar os abastecimentos antigos. ") +
                            motivo);
        log.GravaLogErro(QStringLiteral("Erro ao apagar os abastecimentos antigos. ") + motivo);
    }
}
