#pragma once

#include <QString>

class TDataSet;
class TDialogos;

// The open work shift the totalizer readings are filed under. Display-free:
// the lookup talks to the operator through TDialogos only.

// Controle of the shift the last successful BuscaTurnoAberto found; emptied
// at the start of every lookup, so it is empty after a failed one.
extern QString ControleTurno;

// Replaces the dataset's statement with a query on MvTurno (joined with
// Turnos and Vendend) filtered by every argument that is not empty, opens it
// and answers whether it has a row. The two dates are short-date texts;
// raises the conversion error when one is not a date.
bool MontaConsultaTurno(TDataSet& dataset, const QString& CodEmpresa, const QString& DtMovimento,
                        const QString& CodTurno, const QString& CodVendedor, const QString& Status,
                        const QString& DtFechamento, const QString& HrFechamento,
                        const QString& Controle, const QString& OrderBy);

// Finds the first open shift, in the order of company, opening date and
// time, whose period covers the moment `data` (short date) `hora` (time of
// day), both bounds included. On success ControleTurno holds its Controle and
// the dataset stands on its row; otherwise the operator has been told.
bool BuscaTurnoAberto(TDataSet& dataset, const QString& data, const QString& hora,
                      TDialogos& dialogos);
