#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "RelogioFixo.h"
#include "Tmpfs.h"
#include "capture/DiarioAbastecimentos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"
#include "tests/ImpressaoQt.h"
#include "tests/LogMemoria.h"

namespace {

class Diario : public ::testing::Test {
  protected:
    QString Arquivo(const QString& nome) const { return QDir(pasta.path()).filePath(nome); }
    QByteArray Conteudo(const QString& nome) const {
        QFile f(Arquivo(nome));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Acrescenta(const QString& nome, const QByteArray& bytes) {
        QFile f(Arquivo(nome));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(bytes);
    }
    TDiarioAbastecimentos Novo() { return TDiarioAbastecimentos(pasta.path(), log, relogio); }

    QTemporaryDir pasta;
    TLogMemoria log;
    TRelogioFixo relogio{QDateTime(QDate(2024, 12, 25), QTime(14, 35, 7))};
};

TEST_F(Diario, EntradaSobreviveAUmReinicio) {
    const QByteArray registro("\x01\x00\xFF\x10", 4);
    {
        auto diario = Novo();
        diario.Carrega();
        diario.Registra(registro, false);
        diario.Registra("\x02", true);
    }
    EXPECT_EQ(Conteudo(TDiarioAbastecimentos::NomeArquivo()),
              QByteArray("P 1 25/12/2024 14:35:07 S 0100FF10\r\nP 2 25/12/2024 14:35:07 F 02\r\n"));

    auto depois = Novo();
    depois.Carrega();
    ASSERT_EQ(depois.Pendentes().size(), 2u);
    EXPECT_EQ(depois.Pendentes()[0].Bytes, registro);
    EXPECT_FALSE(depois.Pendentes()[0].Fid);
    EXPECT_TRUE(depois.Pendentes()[1].Fid);
    EXPECT_EQ(depois.Pendentes()[0].Lido, relogio.Agora());
    // New entries never reuse a number still in the file.
    EXPECT_EQ(depois.Registra("\x03", false), 3);
    EXPECT_TRUE(log.Erros.isEmpty());
}

TEST_F(Diario, ConcluidaNaoVoltaEArquivoEsvaziaNoFim) {
    auto diario = Novo();
    diario.Carrega();
    const auto a = diario.Registra("\x0A", false);
    const auto b = diario.Registra("\x0B", false);
    diario.Conclui(a);
    {
        auto outro = Novo();
        outro.Carrega();
        ASSERT_EQ(outro.Pendentes().size(), 1u);
        EXPECT_EQ(outro.Pendentes()[0].Numero, b);
    }
    diario.Conclui(b);
    EXPECT_FALSE(diario.TemPendentes());
    EXPECT_TRUE(Conteudo(TDiarioAbastecimentos::NomeArquivo()).isEmpty());
}

TEST_F(Diario, UltimaLinhaDanificadaEIgnoradaComLinhaNoLogDeErro) {
    Acrescenta(TDiarioAbastecimentos::NomeArquivo(),
               "P 1 25/12/2024 14:35:07 S 0A0B\r\nP 2 25/12/2024 14:3");
    auto diario = Novo();
    diario.Carrega();
    ASSERT_EQ(diario.Pendentes().size(), 1u);
    EXPECT_EQ(diario.Pendentes()[0].Bytes, QByteArray("\x0A\x0B"));
    ASSERT_EQ(log.Erros.size(), 1);
    EXPECT_TRUE(log.Erros[0].startsWith(
        QStringLiteral("Linha 2 danificada no arquivo AbastecimentosPendentes")))
        << log.Erros[0].toStdString();
    // The next entry starts on a line of its own.
    diario.Registra("\x0C", false);
    auto depois = Novo();
    depois.Carrega();
    EXPECT_EQ(depois.Pendentes().size(), 2u);
}

TEST_F(Diario, LinhasQueNaoSeLemSaoIgnoradas) {
    struct Caso {
        const char* linha;
    } casos[] = {
        {"P x 25/12/2024 14:35:07 S 0A\r\n"},   // number
        {"P 1 31/02/2024 14:35:07 S 0A\r\n"},   // date
        {"P 1 25/12/2024 14:35:07 X 0A\r\n"},   // form
        {"P 1 25/12/2024 14:35:07 S 0G\r\n"},   // hexadecimal
        {"P 1 25/12/2024 14:35:07 S 0A0\r\n"},  // odd digits
        {"lixo\r\n"},
    };
    for (const Caso& c : casos) {
        QFile::remove(Arquivo(TDiarioAbastecimentos::NomeArquivo()));
        log.Erros.clear();
        Acrescenta(TDiarioAbastecimentos::NomeArquivo(), c.linha);
        auto diario = Novo();
        diario.Carrega();
        EXPECT_FALSE(diario.TemPendentes()) << c.linha;
        EXPECT_EQ(log.Erros.size(), 1) << c.linha;
    }
}

TEST_F(Diario, RetidoVaiParaOArquivoComOMotivo) {
    auto diario = Novo();
    diario.Carrega();
    const auto n = diario.Registra(QByteArray("\x01\x02", 2), true);
    diario.Retem(n, QString::fromUtf8("Código do bico inválido\r'G1'"));
    EXPECT_FALSE(diario.TemPendentes());
    EXPECT_EQ(Conteudo(TDiarioAbastecimentos::NomeArquivoRetidos()),
              QByteArray("25/12/2024 14:35:07 F 0102 C\xF3"
                         "digo do bico inv\xE1lido 'G1'\r\n"));
    auto depois = Novo();
    depois.Carrega();
    EXPECT_FALSE(depois.TemPendentes());
}

TEST_F(Diario, ArquivoQueNaoSeGravaLevantaErro) {
    TDiarioAbastecimentos diario(QDir(pasta.path()).filePath(QStringLiteral("nao-existe")), log,
                                 relogio);
    diario.Carrega();
    EXPECT_THROW(diario.Registra("\x01", false), EErro);
    EXPECT_FALSE(diario.TemPendentes());
}

// The disk fills between the check and the write of a fueling already taken
// from the concentrator: the reserve gives its room to that line. Until space
// returns, no other fueling may be taken.
TEST_F(Diario, ReservaDaLugarAoRegistroQuandoODiscoEnche) {
    TTmpfs disco(pasta.path(), 512);
    if (!disco.Montado())
        GTEST_SKIP() << "sem tmpfs aqui (" << disco.Erro() << ")";
    auto diario = Novo();
    diario.Carrega();
    ASSERT_TRUE(diario.CabeRegistro());
    EXPECT_EQ(QFileInfo(Arquivo(TDiarioAbastecimentos::NomeArquivoReserva())).size(),
              TDiarioAbastecimentos::TamanhoReserva);

    disco.Enche(0);
    const QByteArray registro(144, '\x01');
    const std::int64_t n = diario.Registra(registro, false);
    EXPECT_FALSE(QFile::exists(Arquivo(TDiarioAbastecimentos::NomeArquivoReserva())));
    EXPECT_FALSE(diario.CabeRegistro()) << "no room to set the reserve aside again";

    disco.Esvazia();
    EXPECT_TRUE(diario.CabeRegistro());
    auto relido = Novo();
    relido.Carrega();
    ASSERT_EQ(relido.Pendentes().size(), 1u);
    EXPECT_EQ(relido.Pendentes()[0].Numero, n);
    EXPECT_EQ(relido.Pendentes()[0].Bytes, registro);

    ASSERT_TRUE(disco.SomenteLeitura(true));
    EXPECT_FALSE(diario.CabeRegistro()) << "a folder that cannot be written";
    ASSERT_TRUE(disco.SomenteLeitura(false));
    EXPECT_TRUE(diario.CabeRegistro());
}

}  // namespace
