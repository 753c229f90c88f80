#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 at the edges: database text of character set NONE, log files,
// INI files. A character the code page lacks is written as "?".
QByteArray Para1252(const QString& texto);
QString De1252(const QByteArray& bytes);
QString De1252(const char* bytes, qsizetype tamanho);
