#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
