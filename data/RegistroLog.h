#pragma once

#include <QString>

// The activity log and the error log as the lower layers see them; the main
// window's log writer implements it (files beside the program and the view).
class TRegistroLog {
  public:
    virtual ~TRegistroLog() = default;

    // One time-stamped line "dd/mm/yy hh:mm:ss text" in LogErroConcentrador.
    virtual void GravaLogErro(const QString& texto) = 0;

    // One fueling line in the day's LogFluvio file and in the on-screen view.
    // The total (5) comes after the unit price (6) in the line.
    virtual void EscreveLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                                 double litros, double total, double precoUnit,
                                 const QString& sequencia, const QString& id,
                                 const QString& canal) = 0;
};
