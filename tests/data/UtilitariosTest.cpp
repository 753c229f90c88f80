#include <gtest/gtest.h>

#include "FormatSettingsTemporario.h"
#include "data/Erro.h"
#include "data/FormatSettings.h"
#include "data/Utilitarios.h"
#include "data/Valores.h"
#include "tests/ImpressaoQt.h"

namespace {

TFormatSettings Virgula() {
    TFormatSettings s;
    s.DecimalSeparator = QLatin1Char(',');
    return s;
}

TFormatSettings Ponto() {
    TFormatSettings s;
    s.DecimalSeparator = QLatin1Char('.');
    return s;
}

class Utilitarios : public ::testing::Test {
  protected:
    TFormatSettingsTemporario settings{Virgula()};
};

QString S(const char* texto) {
    return QString::fromUtf8(texto);
}

TEST_F(Utilitarios, PreencheZeros) {
    struct Caso {
        const char* texto;
        int largura;
        const char* esperado;
    } casos[] = {
        {"7", 3, "007"},    {" 12 ", 3, "012"}, {"1234", 3, "234"}, {"", 3, "000"},
        {"0169", 3, "169"}, {"   ", 3, "000"},  {"\t5\n", 2, "05"}, {" 42 ", 0, "42"},
        {"42", -1, "42"},   {"9999", 3, "999"}, {"1000", 3, "000"}, {"5", 2, "05"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(PreencheZeros(S(c.texto), c.largura), S(c.esperado))
            << c.texto << " " << c.largura;
    }
}

TEST_F(Utilitarios, DireitaEspacosPreenche) {
    EXPECT_EQ(Direita(S("abcdef"), 3), S("def"));
    EXPECT_EQ(Direita(S("ab"), 4), S("  ab"));
    EXPECT_EQ(Direita(S(""), 3), S("   "));
    EXPECT_EQ(Direita(S("abc"), 0), S("abc"));
    EXPECT_EQ(Espacos(3), S("   "));
    EXPECT_EQ(Espacos(0), S(""));
    EXPECT_EQ(Espacos(-2), S(""));
    EXPECT_EQ(Preenche(S("5"), S("ab"), 3, true), S("abab5"));
    EXPECT_EQ(Preenche(S("5"), S("ab"), 3, false), S("5abab"));
    EXPECT_EQ(Preenche(S("12345"), S(" "), 3, true), S("12345"));  // never cut
    EXPECT_EQ(Preenche(S("abc"), S(" "), 3, true), S("abc"));
}

TEST_F(Utilitarios, ContemTexto) {
    EXPECT_TRUE(ContemTexto(S("/"), S("25/12")));
    EXPECT_FALSE(ContemTexto(S("a"), S("ABC")));  // case matters
    EXPECT_FALSE(ContemTexto(S("a"), S("")));
    EXPECT_FALSE(ContemTexto(S(""), S("")));
    EXPECT_TRUE(ContemTexto(S(""), S("x")));
}

TEST_F(Utilitarios, SubstituiTextoDaDireitaParaEsquerda) {
    struct Caso {
        const char* texto;
        const char* antigo;
        const char* novo;
        const char* esperado;
    } casos[] = {
        {"25/12/2024", "/", ".", "25.12.2024"},
        {"2/4", "/", "", "24"},
        {"12/A", "/", "", "12A"},
        {"sem barra", "/", ".", "sem barra"},
        {"", "/", ".", ""},
        {"abb", "ab", "a", "a"},    // occurrences a replacement creates are replaced too
        {"aaa", "aa", "b", "ab"},   // the right-most of overlapping ones goes first
        {"a/b", "/", "/", "a/b"},   // equal texts: one pass, unchanged
        {"abc", "", "x", "abc"},    // empty old: would never end
        {"a/b", "/", "//", "a/b"},  // new contains old: would never end
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(SubstituiTexto(S(c.texto), S(c.antigo), S(c.novo)), S(c.esperado))
            << c.texto << " " << c.antigo << " -> " << c.novo;
    }
}

TEST_F(Utilitarios, SubstituiTextoTerminaEmReescritaQueCresce) {
    // "ab" -> "bbaa" keeps to the caller's rules yet regrows "ab" each pass.
    const QString r = SubstituiTexto(S("aab"), S("ab"), S("bbaa"));
    EXPECT_FALSE(r.isEmpty());
}

TEST_F(Utilitarios, ArredondaMeiosParaLongeDoZero) {
    struct Caso {
        double valor;
        double esperado;
    } casos[] = {
        {0.004, 0.0},    {0.005, 0.01},   {0.125, 0.13},    {-0.125, -0.13},
        {1.005, 1.01},   {2.675, 2.68},   {0.0049999, 0.0}, {-0.004, 0.0},
        {12.345, 12.35}, {99.995, 100.0}, {1e-300, 0.0},    {123456789.125, 123456789.13},
    };
    for (const Caso& c : casos) {
        EXPECT_DOUBLE_EQ(Arredonda(c.valor, 2), c.esperado) << c.valor;
    }
    EXPECT_FALSE(std::signbit(Arredonda(-0.004, 2)));
}

TEST_F(Utilitarios, ArredondaNaoDependeDoSeparador) {
    TFormatSettingsTemporario ponto(Ponto());
    EXPECT_DOUBLE_EQ(Arredonda(0.125, 2), 0.13);
}

TEST_F(Utilitarios, FormataNumeroComMascaras) {
    struct Caso {
        const char* mascara;
        double valor;
        const char* esperado;
    } casos[] = {
        {"######0.000", 12.5, "     12,500"},
        {"######0.000", 0, "      0,000"},
        {"######0.000", 0.0005, "      0,001"},
        {"######0.000", -3.25, "     -3,250"},
        {"#######0.00", 1234567.891, " 1234567,89"},
        {"#######0.00", 10000000, "10000000,00"},
        {"#######0.00", 123456789.5, "123456789,50"},  // longer than the mask, not cut
        {"#######0.00", -0.001, "       0,00"},        // no sign on a zero
        {"000", 7, "007"},
        {"000", 255, "255"},
        {"000", 1000, "1000"},
        {"0.000", 1.0005, "1,001"},
        {"0.##", 1.5, " 1,5"},
        {"0.##", 2, "   2"},
        {"#######0.00", 0.125, "       0,13"},
        {"######0.000", 99999999.9996, "100000000,000"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(FormataNumero(S(c.mascara), c.valor), S(c.esperado))
            << c.mascara << " " << c.valor;
    }
}

TEST_F(Utilitarios, FormataNumeroSegueOSeparadorDoSistema) {
    TFormatSettingsTemporario ponto(Ponto());
    EXPECT_EQ(FormataNumero(S("######0.000"), 12.5), S("     12.500"));
}

TEST_F(Utilitarios, FloatToStrFormaGeral) {
    struct Caso {
        double valor;
        const char* esperado;
    } casos[] = {
        {25.5, "25,5"},     {4.25, "4,25"}, {0, "0"},
        {100, "100"},       {-1.5, "-1,5"}, {0.1 + 0.2, "0,3"},
        {0.0001, "0,0001"}, {1e20, "1E20"}, {123456789012345.0, "123456789012345"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(FloatToStr(c.valor), S(c.esperado)) << c.valor;
    }
}

TEST_F(Utilitarios, StrToFloatEStrToInt) {
    EXPECT_DOUBLE_EQ(StrToFloat(S("12,5")), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat(S(" -3 ")), -3.0);
    for (const char* ruim : {"12.5", "", "abc", "1,2,3", "12,5x"}) {
        try {
            StrToFloat(S(ruim));
            ADD_FAILURE() << ruim;
        } catch (const EErro& e) {
            EXPECT_EQ(e.Mensagem(), S("'%1' is not a valid floating point value").arg(S(ruim)));
        }
    }
    EXPECT_EQ(StrToInt(S("004")), 4);
    EXPECT_EQ(StrToInt(S("-12")), -12);
    EXPECT_EQ(StrToInt(S(" 7")), 7);
    for (const char* ruim : {"12a", "", "0x1F", "99999999999", " ", "1 "}) {
        try {
            StrToInt(S(ruim));
            ADD_FAILURE() << ruim;
        } catch (const EErro& e) {
            EXPECT_EQ(e.Mensagem(), S("'%1' não é um valor inteiro válido").arg(S(ruim)));
        }
    }
}

TEST_F(Utilitarios, DatasEHoras) {
    EXPECT_EQ(DateToStr(QDate(2024, 3, 5)), S("05/03/2024"));
    EXPECT_EQ(TimeToStr(QTime(9, 7, 5)), S("09:07:05"));
    EXPECT_EQ(StrToDate(S("25/12/2024")), QDate(2024, 12, 25));
    EXPECT_EQ(StrToDate(S("5/3/24")), QDate(2024, 3, 5));
    EXPECT_EQ(StrToTime(S("14:35")), QTime(14, 35, 0));
    EXPECT_EQ(StrToTime(S("23:59:59")), QTime(23, 59, 59));
    for (const char* ruim : {"31/02/2024", "25-12-2024", "", "aa/bb/cccc"}) {
        EXPECT_THROW(StrToDate(S(ruim)), EErro) << ruim;
    }
    for (const char* ruim : {"25:00", "14", "14:3x", "14:35:60"}) {
        EXPECT_THROW(StrToTime(S(ruim)), EErro) << ruim;
    }
}

}  // namespace

namespace {

TEST(Valores, NumeroEscaladoEOMaisProximoDoDecimal) {
    struct Caso {
        qint64 n;
        int escala;
        double esperado;
    };
    const Caso casos[] = {{35, -2, 0.35},
                          {1235, -3, 1.235},
                          {-7, -2, -0.07},
                          {123456789, -4, 12345.6789},
                          {3, 0, 3.0},
                          {12, 2, 1200.0},
                          {999999999, -9, 0.999999999}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(NumeroEscalado(c.n, c.escala), c.esperado);
    }
}

TEST(Valores, CampoConverteTextoComAsConfiguracoes) {
    TFormatSettings virgula;
    virgula.DecimalSeparator = QLatin1Char(',');
    TFormatSettingsTemporario formato(virgula);
    EXPECT_EQ(Converte(QVariant(QStringLiteral("123,5")), TipoCampo::Numero).toDouble(), 123.5);
    EXPECT_FALSE(Converte(QVariant(QString()), TipoCampo::Numero).isValid())
        << "an empty text empties a number";
    EXPECT_EQ(Converte(QVariant(12.5), TipoCampo::Texto).toString(), QStringLiteral("12,5"));
    EXPECT_EQ(ComoInteiro(QVariant(2.5)), 3);
    EXPECT_THROW(Converte(QVariant(QStringLiteral("1.2.3")), TipoCampo::Numero), EErro);
    const TValor bytes = ValorDoCache(QVariant(QByteArray("\x80\x00\x01", 3)));
    EXPECT_EQ(bytes.tipo, TValor::Bytes);
    EXPECT_EQ(bytes.bytes.size(), 3);
}

}  // namespace
