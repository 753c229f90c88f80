#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/Erro.h"
#include "data/IniFile.h"
#include "tests/ImpressaoQt.h"

namespace {

class IniFile : public ::testing::Test {
  protected:
    QString Escreve(const QString& nome, const QByteArray& conteudo) {
        const QString caminho = pasta.filePath(nome);
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
        return caminho;
    }
    QTemporaryDir pasta;
};

TEST_F(IniFile, SecoesEChavesSemCaixa) {
    const QString caminho = Escreve(QStringLiteral("Caminho.ini"),
                                    "[DatabaseEstoque]\r\nCaminho=C:\\DADOS\\VARMENO.GDB\r\n"
                                    "usuario = SYSDBA\r\nSENHA=\r\n");
    const TIniFile ini(caminho);
    EXPECT_TRUE(ini.Existe());
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("DATABASEESTOQUE"), QStringLiteral("CAMINHO"), QString()),
        QStringLiteral("C:\\DADOS\\VARMENO.GDB"));
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("databaseestoque"), QStringLiteral("USUARIO"), QString()),
        QStringLiteral("SYSDBA"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("DATABASEESTOQUE"), QStringLiteral("SENHA"),
                             QStringLiteral("x")),
              QString());
    EXPECT_EQ(ini.ReadString(QStringLiteral("DATABASEESTOQUE"), QStringLiteral("FALTA"),
                             QStringLiteral("N")),
              QStringLiteral("N"));
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("POSTO"), QStringLiteral("CAMINHO"), QStringLiteral("N")),
        QStringLiteral("N"));
}

TEST_F(IniFile, ArquivoAusenteLePadrao) {
    const TIniFile ini(pasta.filePath(QStringLiteral("VarmenoECF.INI")));
    EXPECT_FALSE(ini.Existe());
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("POSTO"), QStringLiteral("USA_FID"), QStringLiteral("N")),
        QStringLiteral("N"));
}

TEST_F(IniFile, ValoresEmWindows1252) {
    const TIniFile ini(Escreve(QStringLiteral("a.ini"), "[Posto]\nNome=Posto S\xE3o Jo\xE3o\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("POSTO"), QStringLiteral("NOME"), QString()),
              QString::fromUtf8("Posto São João"));
}

TEST_F(IniFile, LinhasDaSecaoEmOrdem) {
    const TIniFile ini(
        Escreve(QStringLiteral("BDE.ini"),
                "[Outro]\nX=1\n[Varmeno]\nSERVER NAME=/dados/varmeno.gdb\nUSER NAME=SYSDBA\n"));
    EXPECT_EQ(ini.SectionLines(QStringLiteral("VARMENO")),
              (QStringList{QStringLiteral("SERVER NAME=/dados/varmeno.gdb"),
                           QStringLiteral("USER NAME=SYSDBA")}));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("varmeno")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Falta")));
}

TEST_F(IniFile, ArquivoAchadoSemCaixa) {
    Escreve(QStringLiteral("CAMINHO.INI"), "[x]\n");
    EXPECT_EQ(ProcuraArquivoSemCaixa(pasta.path(), QStringLiteral("caminho.ini")),
              QDir(pasta.path()).filePath(QStringLiteral("CAMINHO.INI")));
    EXPECT_TRUE(ProcuraArquivoSemCaixa(pasta.path(), QStringLiteral("outro.ini")).isEmpty());
}

// As the Windows profile functions read them: ';' only starts a comment at
// the start of a line, a line never continues on the next, a long line is
// read whole, quotes around a value are dropped.
TEST_F(IniFile, LidoComoOWindowsLe) {
    const QByteArray longo(5000, 'x');
    const TIniFile ini(Escreve(QStringLiteral("Caminho.ini"),
                               "; comentario\r\n[DATABASEESTOQUE]\r\n"
                               "CAMINHO=servidor:/dados/posto ;2024.gdb\r\n"
                               "SENHA=abc\\\r\n"
                               "USUARIO=SYSDBA\r\n"
                               "   continua\r\n"
                               "  ;CHAVE=nao\r\n"
                               "LONGO=" +
                                   longo +
                                   "\r\n"
                                   "ASPAS=\"C:\\Meus Dados\\v.gdb\"\r\n"
                                   "SEM IGUAL\r\n"));
    const QString secao = QStringLiteral("DATABASEESTOQUE");
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral("CAMINHO"), QString()),
              QStringLiteral("servidor:/dados/posto ;2024.gdb"));
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral("SENHA"), QString()), QStringLiteral("abc\\"));
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral("USUARIO"), QString()),
              QStringLiteral("SYSDBA"));
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral(";CHAVE"), QStringLiteral("-")),
              QStringLiteral("-"));
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral("LONGO"), QString()).size(), 5000);
    EXPECT_EQ(ini.ReadString(secao, QStringLiteral("ASPAS"), QString()),
              QStringLiteral("C:\\Meus Dados\\v.gdb"));
}

TEST_F(IniFile, ArquivoQueExisteMasNaoSeLeLevantaErro) {
    ASSERT_TRUE(QDir(pasta.path()).mkdir(QStringLiteral("pasta.ini")));
    ASSERT_TRUE(QFile::link(pasta.filePath(QStringLiteral("nada")),
                            pasta.filePath(QStringLiteral("quebrado.ini"))));
    for (const char* nome : {"pasta.ini", "quebrado.ini"}) {
        SCOPED_TRACE(nome);
        try {
            const TIniFile ini(pasta.filePath(QLatin1String(nome)));
            FAIL() << "an unreadable file must not read as empty";
        } catch (const EErro& e) {
            EXPECT_TRUE(e.Mensagem().startsWith(QStringLiteral("Não foi possível ler o arquivo ")))
                << e.Mensagem().toStdString();
        }
    }
}

}  // namespace
