#include <gtest/gtest.h>

#include <cstring>

#include "concentrator/ClassConcentrador.h"
#include "tests/ImpressaoQt.h"

namespace {

bool Zerado(const unsigned char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

TEST(Concentrador, OsPadroesNaoFazemNada) {
    TConcentrador c;
    EXPECT_TRUE(Zerado(c.Encerrante.Bytes, sizeof c.Encerrante.Bytes));

    EXPECT_EQ(c.GetLeStatus(), QString());
    EXPECT_EQ(c.FGetStStatusBico(), QStringLiteral("F"));
    EXPECT_TRUE(c.InicializaSerial(1));
    EXPECT_EQ(c.PrecoUnitario(QStringLiteral("004")), 0.0);
    EXPECT_TRUE(c.GetLeVisualizacao().isEmpty());
    const TAbastecimento a = c.GetLeAbastecimento();
    EXPECT_TRUE(Zerado(a.Bytes, sizeof a.Bytes));
    const TAbastecimentoFid f = c.GetLeAbastecimentoFID();
    EXPECT_TRUE(Zerado(f.Bytes, sizeof f.Bytes));

    // The readings are left exactly as they were.
    std::memset(c.Encerrante.Bytes, 0x5A, sizeof c.Encerrante.Bytes);
    TLeituraEncerrante destino;
    std::memset(destino.Bytes, 0x33, sizeof destino.Bytes);
    c.LerEncerrante('L', QStringLiteral("004"));
    c.ConsultaEncerrante(QStringLiteral("004"), destino);
    c.FBloqueiaBico(QStringLiteral("12a"));  // no conversion, so no error
    c.FLiberaBico(QStringLiteral("12a"));
    c.AlteraPrecoBico(QStringLiteral("04"), 3, 1.0);
    c.PCarregaDllConcentrador();
    c.FinalizaSerial();
    c.AcertaDataHora();
    for (unsigned char b : c.Encerrante.Bytes)
        EXPECT_EQ(b, 0x5A);
    for (unsigned char b : destino.Bytes)
        EXPECT_EQ(b, 0x33);
}

}  // namespace
