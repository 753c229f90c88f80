// Any 144 or 176 bytes the concentrator's library may fill, through the
// decoding a fueling goes through before the database: the present flag,
// the rounding, the nozzle code, the short strings whatever their length
// bytes say, the date and time texts, the tag, the log line's numbers.
#include <cstdint>
#include <cstring>

#include "capture/ProcessaAbastecimento.h"
#include "capture/registros/Abastecimento.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

namespace {

QString Texto(const std::string& bytes) {
    return De1252(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

template <typename TRegistro>
void Decodifica(const std::uint8_t* dados, std::size_t tamanho) {
    TRegistro r;
    std::memset(r.Bytes, 0, sizeof r.Bytes);
    std::memcpy(r.Bytes, dados, std::min(tamanho, sizeof r.Bytes));
    if (!r.Presente())
        return;
    if (Arredonda(r.TotalLitros(), 2) == 0 || Arredonda(r.PU(), 2) == 0)
        return;
    (void)DefeitoPermanente(r);
    try {
        (void)CodigoConcentradorDe(Texto(r.CodBico()));
    } catch (const std::exception&) {
    }
    if constexpr (requires { r.CodFid(); })
        (void)Texto(r.CodFid());
    (void)FloatToStr(r.TotalDinheiro());
    (void)FormataNumero(QStringLiteral("#,##0.000"), r.TotalLitros());
    (void)FormataNumero(QStringLiteral("#,##0.00"), r.Encerrante());
    (void)r.Registro();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    if (tamanho > TAbastecimento::Tamanho)
        Decodifica<TAbastecimentoFid>(dados, tamanho);
    else
        Decodifica<TAbastecimento>(dados, tamanho);
    return 0;
}
