#include "data/Win1252.h"

#include <array>

namespace {
// 0x80..0x9F, where Windows-1252 differs from Latin-1; 0 marks a hole.
constexpr std::array<char16_t, 32> kFaixa80 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QByteArray Para1252(const QString& texto) {
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (QChar c : texto) {
        const char16_t u = c.unicode();
        // Below 0x80 and from 0xA0 the code page is Latin-1; the holes of
        // 0x80..0x9F come back as they went in.
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF) || (u <= 0x9F && kFaixa80[u - 0x80] == 0)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        char b = '?';
        for (std::size_t i = 0; i < kFaixa80.size(); ++i) {
            if (kFaixa80[i] != 0 && kFaixa80[i] == u) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        }
        bytes.append(b);
    }
    return bytes;
}

QString De1252(const char* bytes, qsizetype tamanho) {
    QString texto;
    texto.reserve(tamanho);
    for (qsizetype i = 0; i < tamanho; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = kFaixa80[b - 0x80];
            // The holes have no character; keep the byte's value.
            texto.append(QChar(u != 0 ? u : char16_t(b)));
        } else {
            texto.append(QChar(char16_t(b)));
        }
    }
    return texto;
}

QString De1252(const QByteArray& bytes) {
    return De1252(bytes.constData(), bytes.size());
}
