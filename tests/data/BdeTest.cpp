#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include "../ImpressaoQt.h"
#include "BancoTeste.h"
#include "data/Bde.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Erro.h"

namespace {

QString Texto(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class BdeTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_pasta.isValid()); }

    QString EscreveAliases(const char* conteudo) {
        const QString caminho = m_pasta.filePath(QStringLiteral("BDE.ini"));
        QFile arquivo(caminho);
        EXPECT_TRUE(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        arquivo.write(conteudo);
        return caminho;
    }

    // The design-time DbVarmeno, reading the given alias file.
    TDatabaseBde DbVarmeno(const QString& arquivo) {
        TDatabaseBde banco;
        banco.Params = QStringList{Texto("USER NAME=SYSDBA"), Texto("PASSWORD=tankgauge")};
        banco.ArquivoAliases = arquivo;
        return banco;
    }

    QTemporaryDir m_pasta;
};

TEST_F(BdeTest, ExtraiCaminhoAliasAteONomeDoAlias) {
    struct Caso {
        const char* ini;
        const char* esperado;
    } casos[] = {
        {"[Varmeno]\nSERVER NAME=C:\\DADOS\\VARMENO.GDB\nUSER NAME=SYSDBA\n", "C:\\DADOS\\"},
        {"[Varmeno]\nSERVER NAME=/dados/estacao/varmeno.gdb\n", "/dados/estacao/"},
        // The name never occurs: nothing.
        {"[Varmeno]\nSERVER NAME=/dados/posto.gdb\nUSER NAME=SYSDBA\n", ""},
        // It occurs only past the first line: the whole rest of that line.
        {"[Varmeno]\nSERVER NAME=/dados/posto.gdb\nUSER NAME=VARMENO\n", "/dados/posto.gdb"},
        // Within the server name itself, before position 13.
        {"[Varmeno]\nSERVER NAME=/x.gdb\n", ""},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.ini);
        const QString arquivo = EscreveAliases(caso.ini);
        EXPECT_EQ(ExtraiCaminhoAlias(Texto("Varmeno"), 13, arquivo), Texto(caso.esperado));
    }
    const QString arquivo = EscreveAliases("[Varmeno]\nSERVER NAME=C:\\A\\B\\Varmeno.gdb\n");
    EXPECT_EQ(ExtraiCaminhoAlias(Texto("Varmeno"), 16, arquivo), Texto("A\\B\\"));
}

TEST_F(BdeTest, ConfiguraConexaoComOAliasOuComONomeNu) {
    struct Caso {
        const char* nome;
        const char* ini;
        const char* banco;
    } casos[] = {
        {"alias server name",
         "[Varmeno]\nSERVER NAME=/dados/Varmeno.gdb\nUSER NAME=OUTRO\nPASSWORD=x\n",
         "/dados/Varmeno.gdb"},
        {"alias server name any case", "[VARMENO]\nserver name=srv:/dados/Varmeno.gdb\n",
         "srv:/dados/Varmeno.gdb"},
        {"empty server name, alias never named", "[Varmeno]\nSERVER NAME=\nUSER NAME=SYSDBA\n",
         "Varmeno.gdb"},
        {"no server name line", "[Varmeno]\nPATH=/dados\n", "Varmeno.gdb"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        TConexao con;
        con.DefineParametrosPadrao();
        ConfiguraConexao(con, DbVarmeno(EscreveAliases(caso.ini)));
        EXPECT_EQ(con.Parametro(Texto("Database")), Texto(caso.banco));
        // The component's credentials win over the alias's.
        EXPECT_EQ(con.Parametro(Texto("User_Name")), Texto("SYSDBA"));
        EXPECT_EQ(con.Parametro(Texto("Password")), Texto("tankgauge"));
    }
}

TEST_F(BdeTest, ComponenteComServerNameNaoLeOAlias) {
    TDatabaseBde banco = DbVarmeno(m_pasta.filePath(QStringLiteral("nao-existe.ini")));
    banco.Params.prepend(Texto("SERVER NAME= /dados/proprio.gdb "));
    banco.Params.removeAll(Texto("PASSWORD=tankgauge"));
    TConexao con;
    con.DefineParametrosPadrao();
    ConfiguraConexao(con, banco);
    EXPECT_EQ(con.Parametro(Texto("Database")), Texto(" /dados/proprio.gdb ")) << "not stripped";
    EXPECT_EQ(con.Parametro(Texto("User_Name")), Texto("SYSDBA"));
    EXPECT_EQ(con.Parametro(Texto("Password")), QString());
    EXPECT_FALSE(
        con.Parametros().join(QLatin1Char('\n')).contains(Texto("Password="), Qt::CaseInsensitive))
        << "an empty password removes the line";
}

TEST_F(BdeTest, AliasAusenteDaErroComONome) {
    struct Caso {
        const char* nome;
        const char* ini;  // nullptr: no file
    } casos[] = {
        {"no file", nullptr},
        {"no section", "[Outro]\nSERVER NAME=/dados/Varmeno.gdb\n"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const QString arquivo =
            caso.ini ? EscreveAliases(caso.ini) : m_pasta.filePath(QStringLiteral("nada/BDE.ini"));
        TConexao con;
        con.DefineParametrosPadrao();
        const QString antes = con.Parametro(Texto("Database"));
        try {
            ConfiguraConexao(con, DbVarmeno(arquivo));
            FAIL() << "must raise";
        } catch (const EErro& e) {
            EXPECT_EQ(e.Mensagem(), Texto("Alias não encontrado: Varmeno"));
        }
        EXPECT_EQ(con.Parametro(Texto("Database")), antes);
        EXPECT_THROW(ExtraiCaminhoAlias(Texto("Varmeno"), 13, arquivo), EErro);
    }
}

TEST(LigaDataSets, LigaOsDataSetsDaJanelaNaOrdemEFalhaNoAberto) {
    QTemporaryDir pasta;
    ASSERT_TRUE(pasta.isValid());
    const QString banco = CriaBancoTeste(pasta.path(), true);
    TConexao con;
    ConfiguraConexaoTeste(con, banco);

    QObject janela;
    auto* primeiro = new TQuery(&janela);
    auto* outro = new QObject(&janela);
    auto* neto = new TQuery(outro);  // nested ownership is not followed
    auto* editavel = new TDataSetEditavel(&janela);
    LigaDataSets(&janela, con);
    EXPECT_EQ(primeiro->Connection(), &con);
    EXPECT_EQ(editavel->Connection(), &con);
    EXPECT_EQ(neto->Connection(), nullptr);

    // An open dataset stops the binding where it stands.
    TConexao segunda;
    ConfiguraConexaoTeste(segunda, banco);
    editavel->SetSQL(Texto("Select SequenciaAbast From ParaPosto"));
    editavel->Open();
    auto* depois = new TQuery(&janela);
    EXPECT_THROW(LigaDataSets(&janela, segunda), EErroBanco);
    EXPECT_EQ(primeiro->Connection(), &segunda);
    EXPECT_EQ(editavel->Connection(), &con);
    EXPECT_EQ(depois->Connection(), nullptr);
}

}  // namespace
