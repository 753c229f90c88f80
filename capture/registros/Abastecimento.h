#pragma once

// Record layouts the concentrator library fills, byte for byte: little-endian,
// short strings with their length byte, money as signed 64-bit ten-thousandths.
// Header-only: the driver and the fueling decoder both use it.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

// Fields are read and written with memcpy in the machine's byte order.
static_assert(std::endian::native == std::endian::little);

namespace registro {

// A span of a record: offset and size.
struct TFaixa {
    std::size_t Offset;
    std::size_t Tamanho;
};

// A short string of a field of `tamanho` bytes: one length byte, then the
// characters. A length byte beyond the field is cut to the field.
inline std::string LeShortString(const unsigned char* campo, std::size_t tamanho,
                                 std::size_t maximo) {
    std::size_t n = campo[0];
    if (n > maximo)
        n = maximo;
    if (n > tamanho - 1)
        n = tamanho - 1;
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

// True when the spans cover [0, tamanho) once each, without gap or overlap.
template <std::size_t N>
constexpr bool CobreExatamente(const std::array<TFaixa, N>& spans, std::size_t tamanho) {
    std::size_t inicio = 0;
    for (std::size_t passo = 0; passo < N; ++passo) {
        bool achou = false;
        for (const auto& s : spans) {
            if (s.Offset == inicio) {
                inicio += s.Tamanho;
                achou = true;
                break;
            }
        }
        if (!achou)
            return false;
    }
    return inicio == tamanho;
}

inline double DeMoeda(std::int64_t v) {
    return static_cast<double>(v) / 10000.0;
}

// The fields both fueling records share, read at the offsets each record
// declares.
template <typename TRegistro>
struct TCamposAbastecimento {
    bool Presente() const { return B()[TRegistro::OfsPresente] != 0; }
    double TotalDinheiro() const {
        return DeMoeda(Le<std::int64_t>(B() + TRegistro::OfsTotalDinheiro));
    }
    double TotalLitros() const { return Le<double>(B() + TRegistro::OfsTotalLitros); }
    double PU() const { return DeMoeda(Le<std::int64_t>(B() + TRegistro::OfsPU)); }
    std::string CodBico() const {
        return LeShortString(B() + TRegistro::OfsCodBico, TRegistro::TamCodBico,
                             TRegistro::MaxCodBico);
    }
    std::string Data() const {
        return LeShortString(B() + TRegistro::OfsData, TRegistro::TamData, TRegistro::MaxData);
    }
    std::string Hora() const {
        return LeShortString(B() + TRegistro::OfsHora, TRegistro::TamHora, TRegistro::MaxHora);
    }
    std::int32_t Registro() const { return Le<std::int32_t>(B() + TRegistro::OfsRegistro); }
    double Encerrante() const { return Le<double>(B() + TRegistro::OfsEncerrante); }

  private:
    const unsigned char* B() const { return static_cast<const TRegistro*>(this)->Bytes; }
};

}  // namespace registro

// The standard fueling record, 144 bytes.
struct TAbastecimento : registro::TCamposAbastecimento<TAbastecimento> {
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
    static constexpr std::array<registro::TFaixa, 4> Reservados = {
        {{1, 7}, {32, 9}, {124, 4}, {136, 8}}};

    alignas(8) unsigned char Bytes[Tamanho] = {};
};
static_assert(sizeof(TAbastecimento) == TAbastecimento::Tamanho);
// The library writes the record as raw bytes: no hidden members, nothing before Bytes.
static_assert(std::is_standard_layout_v<TAbastecimento> &&
              std::is_trivially_copyable_v<TAbastecimento>);
static_assert(offsetof(TAbastecimento, Bytes) == 0);
static_assert(TAbastecimento::Tamanho == 144);
static_assert(TAbastecimento::OfsPresente == 0);
static_assert(TAbastecimento::OfsTotalDinheiro == 8);
static_assert(TAbastecimento::OfsTotalLitros == 16);
static_assert(TAbastecimento::OfsPU == 24);
static_assert(TAbastecimento::OfsCodBico == 41 && TAbastecimento::TamCodBico == 3);
static_assert(TAbastecimento::OfsData == 44 && TAbastecimento::TamData == 11);
static_assert(TAbastecimento::OfsHora == 55 && TAbastecimento::TamHora == 65);
static_assert(TAbastecimento::OfsRegistro == 120);
static_assert(TAbastecimento::OfsEncerrante == 128);
// The short strings fill their fields exactly, up to the next field.
static_assert(TAbastecimento::OfsCodBico + TAbastecimento::TamCodBico == TAbastecimento::OfsData);
static_assert(TAbastecimento::OfsData + TAbastecimento::TamData == TAbastecimento::OfsHora);
static_assert(TAbastecimento::OfsHora + TAbastecimento::TamHora == TAbastecimento::OfsRegistro);
static_assert(TAbastecimento::MaxCodBico == TAbastecimento::TamCodBico - 1);
static_assert(TAbastecimento::MaxData == TAbastecimento::TamData - 1);
static_assert(TAbastecimento::MaxHora == TAbastecimento::TamHora - 1);
static_assert(registro::CobreExatamente(
    std::array<registro::TFaixa, 13>{{{TAbastecimento::OfsPresente, 1},
                                      {TAbastecimento::OfsTotalDinheiro, 8},
                                      {TAbastecimento::OfsTotalLitros, 8},
                                      {TAbastecimento::OfsPU, 8},
                                      {TAbastecimento::OfsCodBico, TAbastecimento::TamCodBico},
                                      {TAbastecimento::OfsData, TAbastecimento::TamData},
                                      {TAbastecimento::OfsHora, TAbastecimento::TamHora},
                                      {TAbastecimento::OfsRegistro, 4},
                                      {TAbastecimento::OfsEncerrante, 8},
                                      TAbastecimento::Reservados[0],
                                      TAbastecimento::Reservados[1],
                                      TAbastecimento::Reservados[2],
                                      TAbastecimento::Reservados[3]}},
    TAbastecimento::Tamanho));

// The fueling record with the identification tag, 176 bytes. Offsets 0 to 54
// are those of TAbastecimento.
struct TAbastecimentoFid : registro::TCamposAbastecimento<TAbastecimentoFid> {
    static constexpr std::size_t Tamanho = 176;
    static constexpr std::size_t OfsPresente = TAbastecimento::OfsPresente;
    static constexpr std::size_t OfsTotalDinheiro = TAbastecimento::OfsTotalDinheiro;
    static constexpr std::size_t OfsTotalLitros = TAbastecimento::OfsTotalLitros;
    static constexpr std::size_t OfsPU = TAbastecimento::OfsPU;
    static constexpr std::size_t OfsCodBico = TAbastecimento::OfsCodBico, TamCodBico = 3,
                                 MaxCodBico = 2;
    static constexpr std::size_t OfsData = TAbastecimento::OfsData, TamData = 11, MaxData = 10;
    static constexpr std::size_t OfsHora = 55, TamHora = 85, MaxHora = 84;
    static constexpr std::size_t OfsRegistro = 140;
    static constexpr std::size_t OfsEncerrante = 144;
    static constexpr std::size_t OfsCodFid = 154, TamCodFid = 17, MaxCodFid = 16;
    static constexpr std::array<registro::TFaixa, 4> Reservados = {
        {{1, 7}, {32, 9}, {152, 2}, {171, 5}}};

    alignas(8) unsigned char Bytes[Tamanho] = {};
    std::string CodFid() const {
        return registro::LeShortString(Bytes + OfsCodFid, TamCodFid, MaxCodFid);
    }
};
static_assert(sizeof(TAbastecimentoFid) == TAbastecimentoFid::Tamanho);
static_assert(std::is_standard_layout_v<TAbastecimentoFid> &&
              std::is_trivially_copyable_v<TAbastecimentoFid>);
static_assert(offsetof(TAbastecimentoFid, Bytes) == 0);
static_assert(TAbastecimentoFid::Tamanho == 176);
static_assert(TAbastecimentoFid::TamCodBico == TAbastecimento::TamCodBico);
static_assert(TAbastecimentoFid::TamData == TAbastecimento::TamData);
static_assert(TAbastecimentoFid::OfsHora == 55 && TAbastecimentoFid::TamHora == 85);
static_assert(TAbastecimentoFid::OfsRegistro == 140);
static_assert(TAbastecimentoFid::OfsEncerrante == 144);
static_assert(TAbastecimentoFid::OfsCodFid == 154 && TAbastecimentoFid::TamCodFid == 17);
static_assert(TAbastecimentoFid::OfsHora + TAbastecimentoFid::TamHora ==
              TAbastecimentoFid::OfsRegistro);
static_assert(TAbastecimentoFid::MaxHora == TAbastecimentoFid::TamHora - 1);
static_assert(TAbastecimentoFid::MaxCodFid == TAbastecimentoFid::TamCodFid - 1);
static_assert(registro::CobreExatamente(
    std::array<registro::TFaixa, 14>{
        {{TAbastecimentoFid::OfsPresente, 1},
         {TAbastecimentoFid::OfsTotalDinheiro, 8},
         {TAbastecimentoFid::OfsTotalLitros, 8},
         {TAbastecimentoFid::OfsPU, 8},
         {TAbastecimentoFid::OfsCodBico, TAbastecimentoFid::TamCodBico},
         {TAbastecimentoFid::OfsData, TAbastecimentoFid::TamData},
         {TAbastecimentoFid::OfsHora, TAbastecimentoFid::TamHora},
         {TAbastecimentoFid::OfsRegistro, 4},
         {TAbastecimentoFid::OfsEncerrante, 8},
         {TAbastecimentoFid::OfsCodFid, TAbastecimentoFid::TamCodFid},
         TAbastecimentoFid::Reservados[0],
         TAbastecimentoFid::Reservados[1],
         TAbastecimentoFid::Reservados[2],
         TAbastecimentoFid::Reservados[3]}},
    TAbastecimentoFid::Tamanho));

// The 16-byte totalizer reading (the driver's field Encerrante).
struct TLeituraEncerrante {
    static constexpr std::size_t Tamanho = 16;
    static constexpr std::size_t OfsCodigo = 0, TamCodigo = 8, MaxCodigo = 7;
    static constexpr std::size_t OfsValor = 8;

    alignas(8) unsigned char Bytes[Tamanho] = {};

    std::string Codigo() const {
        return registro::LeShortString(Bytes + OfsCodigo, TamCodigo, MaxCodigo);
    }
    double Valor() const { return registro::Le<double>(Bytes + OfsValor); }
};
static_assert(sizeof(TLeituraEncerrante) == TLeituraEncerrante::Tamanho);
static_assert(TLeituraEncerrante::Tamanho == 16);
static_assert(TLeituraEncerrante::OfsCodigo + TLeituraEncerrante::TamCodigo ==
              TLeituraEncerrante::OfsValor);
static_assert(TLeituraEncerrante::OfsValor + sizeof(double) == TLeituraEncerrante::Tamanho);
