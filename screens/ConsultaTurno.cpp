#include "screens/ConsultaTurno.h"

#include <QDate>
#include <QTime>
#include <array>

#include "data/DataSet.h"
#include "data/Dialogos.h"
#include "data/Utilitarios.h"

QString ControleTurno;

namespace {

const QString SemTurno = QStringLiteral("Não há turno aberto para este usuário!");

struct TFiltro {
    const QString* Argumento;
    QString Condicao;
    QString Parametro;
    bool Data;
};

}  // namespace

bool MontaConsultaTurno(TDataSet& dataset, const QString& CodEmpresa, const QString& DtMovimento,
                        const QString& CodTurno, const QString& CodVendedor, const QString& Status,
                        const QString& DtFechamento, const QString& HrFechamento,
                        const QString& Controle, const QString& OrderBy) {
    dataset.Close();

    // The conditions go in this order, not in the order of the arguments;
    // the connector is glued to the text before it.
    const std::array<TFiltro, 8> filtros{{
        {&CodEmpresa, QStringLiteral(" (CODEMPRESA = :PCODEMPRESA) "),
         QStringLiteral("PCODEMPRESA"), false},
        {&DtMovimento, QStringLiteral(" (DTMOVIMENTO = :PDTMOVIMENTO) "),
         QStringLiteral("PDTMOVIMENTO"), true},
        {&CodTurno, QStringLiteral(" (CODTURNO = :PCODTURNO) "), QStringLiteral("PCODTURNO"),
         false},
        {&CodVendedor, QStringLiteral(" (CODVENDEDOR = :PCODVENDEDOR) "),
         QStringLiteral("PCODVENDEDOR"), false},
        {&DtFechamento, QStringLiteral(" (DTFECHAMENTO = :PDTFECHAMENTO) "),
         QStringLiteral("PDTFECHAMENTO"), true},
        {&HrFechamento, QStringLiteral(" (HRFECHAMENTO = :PHRFECHAMENTO) "),
         QStringLiteral("PHRFECHAMENTO"), false},
        {&Status, QStringLiteral(" (STATUS = :PSTATUS) "), QStringLiteral("PSTATUS"), false},
        {&Controle, QStringLiteral("(CONTROLE = :PCONTROLE) "), QStringLiteral("PCONTROLE"), false},
    }};

    QString sql =
        QStringLiteral("SELECT MVTURNO.*, TURNOS.DESCRICAO, VENDEND.NOME FROM MVTURNO") +
        QStringLiteral(" LEFT JOIN TURNOS  ON (MVTURNO.CODTURNO    = TURNOS.CODTURNO) ") +
        QStringLiteral(" LEFT JOIN VENDEND ON (MVTURNO.CODVENDEDOR = VENDEND.CODVENDEDOR) ");
    QString conector = QStringLiteral("WHERE");
    for (const TFiltro& f : filtros) {
        if (f.Argumento->isEmpty())
            continue;
        sql += conector + f.Condicao;
        conector = QStringLiteral("AND");
    }
    if (!OrderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + OrderBy;

    dataset.SetSQL(sql);
    for (const TFiltro& f : filtros) {
        if (f.Argumento->isEmpty())
            continue;
        if (f.Data)
            dataset.ParamDate(f.Parametro, StrToDate(*f.Argumento));
        else
            dataset.ParamText(f.Parametro, *f.Argumento);
    }
    dataset.Open();
    return !dataset.IsEmpty();
}

namespace {

// The date columns carry a time and the time columns a day that mean
// nothing here: each test looks only at its own part.
bool CobreMomento(const TDataSet& turno, const QDate& d, const QTime& t) {
    if (turno.AsString(QStringLiteral("DtTermino")).isEmpty() ||
        turno.AsString(QStringLiteral("HrTermino")).isEmpty())
        return false;
    const QDate inicio = turno.AsDate(QStringLiteral("DtMovimento"));
    const QDate fim = turno.AsDate(QStringLiteral("DtTermino"));
    if (d < inicio || d > fim)
        return false;
    const QTime abertura = turno.AsDateTime(QStringLiteral("HrAbertura")).time();
    const QTime termino = turno.AsDateTime(QStringLiteral("HrTermino")).time();
    if (fim == inicio)
        return abertura <= t && t <= termino;
    if (d == inicio)
        return abertura <= t && t <= StrToTime(QStringLiteral("23:59:59"));
    if (d == fim)
        return StrToTime(QStringLiteral("00:00:00")) <= t && t <= termino;
    return true;
}

}  // namespace

bool BuscaTurnoAberto(TDataSet& dataset, const QString& data, const QString& hora,
                      TDialogos& dialogos) {
    ControleTurno.clear();
    if (!MontaConsultaTurno(dataset, QString(), QString(), QString(), QString(),
                            QStringLiteral("N"), QString(), QString(), QString(),
                            QStringLiteral("CODEMPRESA,DTMOVIMENTO,HRABERTURA"))) {
        dialogos.Informacao(SemTurno);
        return false;
    }
    const QDate d = StrToDate(data);
    const QTime t = StrToTime(hora);
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
        if (CobreMomento(dataset, d, t)) {
            ControleTurno = dataset.AsString(QStringLiteral("Controle"));
            return true;
        }
    }
    dialogos.Informacao(SemTurno);
    return false;
}
