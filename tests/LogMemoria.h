#pragma once

#include <QString>
#include <QStringList>

#include "data/RegistroLog.h"

// An error log kept in memory, for tests that look at what was logged and
// write no activity lines.
class TLogMemoria final : public TRegistroLog {
  public:
    void GravaLogErro(const QString& texto) override { Erros << texto; }
    void EscreveLinhaLog(const QString&, const QString&, const QString&, double, double, double,
                         const QString&, const QString&, const QString&) override {}
    QStringList Erros;
};
