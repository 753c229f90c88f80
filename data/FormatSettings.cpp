#include "data/FormatSettings.h"

#include <clocale>

namespace {
TFormatSettings& Atuais() {
    static TFormatSettings settings;
    return settings;
}
}  // namespace

const TFormatSettings& FormatSettings() {
    return Atuais();
}

void InicializaFormatSettings() {
    TFormatSettings settings;
    std::setlocale(LC_ALL, "");
    if (const std::lconv* lc = std::localeconv(); lc && lc->decimal_point && *lc->decimal_point) {
        settings.DecimalSeparator = QLatin1Char(lc->decimal_point[0]);
    }
    // Number conversions of the C library must not follow the locale: ours
    // take the separator from these settings explicitly.
    std::setlocale(LC_NUMERIC, "C");
    Atuais() = settings;
}

void DefineFormatSettings(const TFormatSettings& settings) {
    Atuais() = settings;
}
