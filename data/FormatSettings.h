#pragma once

#include <QChar>
#include <QString>

// Process-wide format settings, fixed once at start-up and never refreshed.
struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char(',');
    QChar DateSeparator = QLatin1Char('/');
    QString ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    QString LongTimeFormat = QStringLiteral("hh:mm:ss");
};

// The settings in force. Until InicializaFormatSettings runs they are the
// defaults above (a comma and "/").
const TFormatSettings& FormatSettings();

// Reads the decimal separator from the system's regional settings (the C
// locale after setlocale(LC_ALL, "")), once, before the main window exists.
void InicializaFormatSettings();

// Replaces the settings in force; for tests, which build their own.
void DefineFormatSettings(const TFormatSettings& settings);
