#include <gtest/gtest.h>

#include "data/Win1252.h"
#include "tests/ImpressaoQt.h"

namespace {

TEST(Win1252, InformacaoViraOsBytesDoArquivo) {
    const QString texto = QString::fromUtf8("Informação");
    const QByteArray bytes = Para1252(texto);
    EXPECT_EQ(bytes, QByteArray("Informa\xE7\xE3o"));
    EXPECT_EQ(De1252(bytes), texto);
}

TEST(Win1252, FaixaPropriaDoCodigo) {
    // 0x80 and 0x9C are where the code page departs from Latin-1.
    const QString texto = QString::fromUtf8("€ œ “x”");
    const QByteArray bytes = Para1252(texto);
    EXPECT_EQ(bytes, QByteArray("\x80 \x9C \x93x\x94"));
    EXPECT_EQ(De1252(bytes), texto);
}

TEST(Win1252, TodoByteVoltaComoEra) {
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    EXPECT_EQ(Para1252(De1252(todos)), todos);
}

TEST(Win1252, CaractereForaDoCodigoViraInterrogacao) {
    EXPECT_EQ(Para1252(QString::fromUtf8("a→b")), QByteArray("a?b"));
}

}  // namespace
