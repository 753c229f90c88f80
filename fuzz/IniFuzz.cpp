// Any bytes as Caminho.ini, VarmenoECF.INI or BDE.ini: read, looked up, and
// the alias lines through ExtraiCaminhoAlias and ConfiguraConexao.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "data/Bde.h"
#include "data/Conexao.h"
#include "data/Erro.h"
#include "data/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    static QTemporaryDir pasta;
    const QString caminho = QDir(pasta.path()).filePath(QStringLiteral("BDE.ini"));
    {
        QFile f(caminho);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(dados), static_cast<qint64>(tamanho));
    }
    try {
        const TIniFile ini(caminho);
        (void)ini.ReadString(QStringLiteral("DATABASEESTOQUE"), QStringLiteral("CAMINHO"),
                             QString());
        (void)ini.ReadString(QStringLiteral("POSTO"), QStringLiteral("USA_FID"),
                             QStringLiteral("N"));
        (void)ini.SectionLines(QStringLiteral("Varmeno"));
        (void)ExtraiCaminhoAlias(QStringLiteral("Varmeno"), 13, caminho);
        TDatabaseBde banco;
        banco.ArquivoAliases = caminho;
        TConexao conexao;
        conexao.DefineParametrosPadrao();
        ConfiguraConexao(conexao, banco);
    } catch (const EErro&) {
        // A missing alias is an error the program reports.
    }
    return 0;
}
