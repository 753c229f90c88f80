// The text and number helpers with any input: conversions of operator and
// file text, masks with any double, replacement with any texts.
#include <cstdint>
#include <cstring>

#include "data/Erro.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    if (tamanho < 1)
        return 0;
    const QString texto =
        De1252(reinterpret_cast<const char*>(dados + 1), static_cast<qsizetype>(tamanho - 1));
    switch (dados[0] % 6) {
        case 0:
            try {
                (void)StrToFloat(texto);
            } catch (const EErro&) {
            }
            break;
        case 1:
            try {
                (void)StrToDate(texto);
            } catch (const EErro&) {
            }
            break;
        case 2:
            try {
                (void)StrToTime(texto);
            } catch (const EErro&) {
            }
            break;
        case 3:
        case 4: {
            // Any double, the mask from the rest.
            double valor = 0;
            if (tamanho >= 9)
                std::memcpy(&valor, dados + 1, sizeof valor);
            const QString mascara = tamanho > 9 ? De1252(reinterpret_cast<const char*>(dados + 9),
                                                         static_cast<qsizetype>(tamanho - 9))
                                                : QStringLiteral("0.000");
            if (dados[0] % 6 == 3)
                (void)FormataNumero(mascara.left(40), valor);
            else
                (void)FormatFloat(mascara.left(40), valor);
            (void)FloatToStr(valor);
            (void)Arredonda(valor, 2);
            break;
        }
        case 5: {
            // Three texts split by the first two zero bytes.
            const QStringList partes = texto.split(QChar(0));
            if (partes.size() >= 3)
                (void)SubstituiTexto(partes[0].left(200), partes[1].left(20), partes[2].left(20));
            break;
        }
    }
    return 0;
}
