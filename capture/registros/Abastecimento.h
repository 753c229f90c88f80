#pragma once

// Record layouts the concentrator library fills, byte for byte: little-endian,
// short strings with their length byte, money as signed 64-bit ten-thousandths.
// Header-only: the driver and the fueling decoder both use it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace registro {

// A short string of a field of `tamanho` bytes: one length byte, then the
// characters. A length byte beyond the field is cut to the field.
inline std::string LeShortString(const unsigned char* campo, std::size_t tamanho, std::size_t maximo) {
    std::size_t n = campo[0];
    if (n > maximo) n = maximo;
    if (n > tamanho - 1) n = tamanho - 1;
    return std::string(reinterpret_cast<const char*>(campo + 1), n);
}

inline void GravaShortString(unsigned char* campo, std::size_t tamanho, const std::string& texto) {
    std::size_t n = texto.size() < tamanho - 1 ? texto.size() : tamanho - 1;
    campo[0] = static_cast<unsigned char>(n);
    std::memcpy(campo + 1, texto.data(), n);
}

template <typename T>
inline T Le(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
inline void Grava(unsigned char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

inline double DeMoeda(std::int64_t v) { return static_cast<double>(v) / 10000.0; }

}  // namespace registro

// The standard fueling record, 144 bytes.
struct TAbastecimento {
    static constexpr std::size_t Tamanho = 144;
    static constexpr std::size_t OfsPresente = 0;
    static constexpr std::size_t OfsTotalDinheiro = 8;
    static constexpr std::size_t OfsTotalLitros = 16;
    static constexpr std::size_t OfsPU = 24;
    static constexpr std::size_t OfsCodBico = 41, TamCodBico = 3, MaxCodBico = 2;
    static constexpr std::size_t OfsData = 44, TamData = 11, MaxData = 10;
    static constexpr std::size_t OfsHora = 55, TamHora = 65, MaxHora = 64;
    static constexpr std::size_t OfsRegistro = 120;
    static constexpr std::size_t OfsEncerrante = 128;

    alignas(8) unsigned char Bytes[Tamanho] = {};

    bool Presente() const { return Bytes[OfsPresente] != 0; }
    double TotalDinheiro() const { return registro::DeMoeda(registro::Le<std::int64_t>(Bytes + OfsTotalDinheiro)); }
    double TotalLitros() const { return registro::Le<double>(Bytes + OfsTotalLitros); }
    double PU() const { return registro::DeMoeda(registro::Le<std::int64_t>(Bytes + OfsPU)); }
    std::string CodBico() const { return registro::LeShortString(Bytes + OfsCodBico, TamCodBico, MaxCodBico); }
    std::string Data() const { return registro::LeShortString(Bytes + OfsData, TamData, MaxData); }
    std::string Hora() const { return registro::LeShortString(Bytes + OfsHora, TamHora, MaxHora); }
    std::int32_t Registro() const { return registro::Le<std::int32_t>(Bytes + OfsRegistro); }
    double Encerrante() const { return registro::Le<double>(Bytes + OfsEncerrante); }
};
static_assert(sizeof(TAbastecimento) == 144);

// The fueling record with the identification tag, 176 bytes. Offsets 0 to 54
// are those of TAbastecimento.
struct TAbastecimentoFid {
    static constexpr std::size_t Tamanho = 176;
    static constexpr std::size_t OfsPresente = TAbastecimento::OfsPresente;
    static constexpr std::size_t OfsTotalDinheiro = TAbastecimento::OfsTotalDinheiro;
    static constexpr std::size_t OfsTotalLitros = TAbastecimento::OfsTotalLitros;
    static constexpr std::size_t OfsPU = TAbastecimento::OfsPU;
    static constexpr std::size_t OfsCodBico = TAbastecimento::OfsCodBico, TamCodBico = 3, MaxCodBico = 2;
    static constexpr std::size_t OfsData = TAbastecimento::OfsData, TamData = 11, MaxData = 10;
    static constexpr std::size_t OfsHora = 55, TamHora = 85, MaxHora = 84;
    static constexpr std::size_t OfsRegistro = 140;
    static constexpr std::size_t OfsEncerrante = 144;
    static constexpr std::size_t OfsCodFid = 154, TamCodFid = 17, MaxCodFid = 16;

    alignas(8) unsigned char Bytes[Tamanho] = {};

    bool Presente() const { return Bytes[OfsPresente] != 0; }
    double TotalDinheiro() const { return registro::DeMoeda(registro::Le<std::int64_t>(Bytes + OfsTotalDinheiro)); }
    double TotalLitros() const { return registro::Le<double>(Bytes + OfsTotalLitros); }
    double PU() const { return registro::DeMoeda(registro::Le<std::int64_t>(Bytes + OfsPU)); }
    std::string CodBico() const { return registro::LeShortString(Bytes + OfsCodBico, TamCodBico, MaxCodBico); }
    std::string Data() const { return registro::LeShortString(Bytes + OfsData, TamData, MaxData); }
    std::string Hora() const { return registro::LeShortString(Bytes + OfsHora, TamHora, MaxHora); }
    std::int32_t Registro() const { return registro::Le<std::int32_t>(Bytes + OfsRegistro); }
    double Encerrante() const { return registro::Le<double>(Bytes + OfsEncerrante); }
    std::string CodFid() const { return registro::LeShortString(Bytes + OfsCodFid, TamCodFid, MaxCodFid); }
};
static_assert(sizeof(TAbastecimentoFid) == 176);

// The 16-byte totalizer reading (the driver's field Encerrante).
struct TLeituraEncerrante {
    static constexpr std::size_t Tamanho = 16;
    static constexpr std::size_t OfsCodigo = 0, TamCodigo = 8, MaxCodigo = 7;
    static constexpr std::size_t OfsValor = 8;

    alignas(8) unsigned char Bytes[Tamanho] = {};

    std::string Codigo() const { return registro::LeShortString(Bytes + OfsCodigo, TamCodigo, MaxCodigo); }
    double Valor() const { return registro::Le<double>(Bytes + OfsValor); }
};
static_assert(sizeof(TLeituraEncerrante) == 16);
