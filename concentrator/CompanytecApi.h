#pragma once

// The call shapes of the concentrator library's 22 entry points, shared by the
// driver (which binds them by name) and the simulator (which exports them), so
// the two cannot drift apart. Every entry point returns a 32-bit result; only
// InicializaSerial's is ever read.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define COMPANYTEC_CC __stdcall
#else
#define COMPANYTEC_CC
#endif

namespace companytec {

// Area sizes the caller provides. The visualisation area has no size of its
// own in the contract; both sides agree on this one.
inline constexpr std::size_t TamanhoStatus = 48;
inline constexpr std::size_t TamanhoStStatus = 100;
inline constexpr std::size_t TamanhoVisualizacao = 256;
inline constexpr std::size_t TamanhoPPL = 16;
inline constexpr std::size_t TamanhoStringAb = 128;
inline constexpr std::size_t TamanhoAbFix = 144;
inline constexpr std::size_t TamanhoEncerrante = 16;

// Mode of the totalizer query: the letter L as its character code.
inline constexpr std::int32_t ModoEncerranteL = 76;

// Function types (the simulator declares its exports with them) and the
// pointer types the driver keeps.
using FnFechaSerial = std::int32_t COMPANYTEC_CC();
using FnInicializaSerial = std::int32_t COMPANYTEC_CC(std::uint8_t porta);
using FnSetClock = std::int32_t COMPANYTEC_CC(const char* modo);
using FnLeStatus = std::int32_t COMPANYTEC_CC(unsigned char* status48);
using FnLeAbastecimento = std::int32_t COMPANYTEC_CC(unsigned char* registro144);
using FnLeAbastecimentoFid = std::int32_t COMPANYTEC_CC(unsigned char* registro176);
using FnConsultaEncerrante = std::int32_t COMPANYTEC_CC(unsigned char* leitura16, std::int32_t modo,
                                                        const char* codigo);
using FnAlteraPreco = std::int32_t COMPANYTEC_CC(const char* endereco, double preco);
using FnPreset = std::int32_t COMPANYTEC_CC(const char* endereco, double valor, std::uint8_t modo);
using FnLePPL = std::int32_t COMPANYTEC_CC(const char* codigo, char* preco16);
using FnLeStringAb = std::int32_t COMPANYTEC_CC(char* texto128);
using FnCobLeSTEncerrante = std::int32_t COMPANYTEC_CC(const char* codigo,
                                                       unsigned char* leitura16);
using FnWriteSerial = std::int32_t COMPANYTEC_CC(const char* texto);
using FnRefEncerrante = std::int32_t COMPANYTEC_CC(const char* codigo, const char** texto);
using FnRefAltPreco = std::int32_t COMPANYTEC_CC(const char* endereco, double preco,
                                                 std::uint8_t modo, unsigned char* retorno);
using FnLeAbFix = std::int32_t COMPANYTEC_CC(unsigned char* registro144);
using FnIncrementa = std::int32_t COMPANYTEC_CC();
using FnLeStStatus = std::int32_t COMPANYTEC_CC(unsigned char* status100);
using FnLeVisualizacao = std::int32_t COMPANYTEC_CC(unsigned char* area);
// The library points *texto at its own NUL-terminated text, valid until the
// next call.
using FnRefLePPL = std::int32_t COMPANYTEC_CC(const char* codigo, const char** texto);
using FnBloqueiaBico = std::int32_t COMPANYTEC_CC(const char* endereco);
using FnAutoLibera = std::int32_t COMPANYTEC_CC(const char* endereco);

// One reference per entry point, in binding order; empty until bound.
struct TEntradas {
    FnFechaSerial* FechaSerial = nullptr;
    FnInicializaSerial* InicializaSerial = nullptr;
    FnSetClock* SetClock = nullptr;
    FnLeStatus* LeStatus = nullptr;
    FnLeAbastecimento* LeAbastecimento = nullptr;
    FnLeAbastecimentoFid* LeAbastecimentoFid = nullptr;
    FnConsultaEncerrante* ConsultaEncerrante = nullptr;
    FnAlteraPreco* AlteraPreco = nullptr;
    FnPreset* Preset = nullptr;
    FnLePPL* LePPL = nullptr;
    FnLeStringAb* LeStringAb = nullptr;
    FnCobLeSTEncerrante* CobLeSTEncerrante = nullptr;
    FnWriteSerial* WriteSerial = nullptr;
    FnRefEncerrante* RefEncerrante = nullptr;
    FnRefAltPreco* RefAltPreco = nullptr;
    FnLeAbFix* LeAbFix = nullptr;
    FnIncrementa* Incrementa = nullptr;
    FnLeStStatus* LeStStatus = nullptr;
    FnLeVisualizacao* LeVisualizacao = nullptr;
    FnRefLePPL* RefLePPL = nullptr;
    FnBloqueiaBico* BloqueiaBico = nullptr;
    FnAutoLibera* AutoLibera = nullptr;
};

// The exported names, in the same order as TEntradas.
inline constexpr const char* NomesEntradas[] = {"FechaSerial",
                                                "InicializaSerial",
                                                "SetClock",
                                                "LeStatus",
                                                "LeAbastecimento",
                                                "LeAbastecimentoFid",
                                                "ConsultaEncerrante",
                                                "AlteraPreco",
                                                "Preset",
                                                "LePPL",
                                                "LeStringAb",
                                                "CobLeSTEncerrante",
                                                "WriteSerial",
                                                "RefEncerrante",
                                                "RefAltPreco",
                                                "LeAbFix",
                                                "Incrementa",
                                                "LeStStatus",
                                                "LeVisualizacao",
                                                "RefLePPL",
                                                "BloqueiaBico",
                                                "AutoLibera"};
inline constexpr std::size_t NumeroEntradas = sizeof(NomesEntradas) / sizeof(NomesEntradas[0]);
static_assert(NumeroEntradas == 22);
static_assert(sizeof(TEntradas) == NumeroEntradas * sizeof(void*));

}  // namespace companytec
