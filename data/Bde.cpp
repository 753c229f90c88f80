#include "data/Bde.h"

#include <QCoreApplication>
#include <QObject>

#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Erro.h"
#include "data/IniFile.h"
#include "data/Utilitarios.h"

namespace {

// The value of the first "name=value" line with that name, any case; empty
// when there is none.
QString ValorDaLinha(const QStringList& linhas, const QString& nome) {
    for (const QString& linha : linhas) {
        const qsizetype igual = linha.indexOf(QLatin1Char('='));
        if (igual >= 0 && linha.left(igual).compare(nome, Qt::CaseInsensitive) == 0) {
            return linha.mid(igual + 1);
        }
    }
    return QString();
}

QString ArquivoDeAliases(const QString& arquivoAliases) {
    if (!arquivoAliases.isEmpty()) {
        return arquivoAliases;
    }
    const QString pasta = QCoreApplication::applicationDirPath();
    const QString achado = ProcuraArquivoSemCaixa(pasta, QStringLiteral("BDE.ini"));
    return achado.isEmpty() ? pasta + QStringLiteral("/BDE.ini") : achado;
}

}  // namespace

QStringList LeParametrosAlias(const QString& alias, const QString& arquivoAliases) {
    const TIniFile ini(ArquivoDeAliases(arquivoAliases));
    if (!ini.Existe() || !ini.SectionExists(alias)) {
        throw EErro(QStringLiteral("Alias não encontrado: ") + alias);
    }
    return ini.SectionLines(alias);
}

QString ExtraiCaminhoAlias(const QString& alias, int posicaoInicial,
                           const QString& arquivoAliases) {
    const QStringList linhas = LeParametrosAlias(alias, arquivoAliases);
    QString texto;
    for (const QString& linha : linhas) {
        texto += linha + QStringLiteral("\r\n");
    }
    const qsizetype p = texto.toUpper().indexOf(alias.toUpper()) + 1;
    const qsizetype quantos = p - posicaoInicial;
    if (linhas.isEmpty() || quantos <= 0 || posicaoInicial < 1) {
        return QString();
    }
    return Trim(linhas.first().mid(posicaoInicial - 1, quantos));
}

void ConfiguraConexao(TConexao& conexao, const TDatabaseBde& banco) {
    QString servidor = ValorDaLinha(banco.Params, QStringLiteral("SERVER NAME"));
    const QString usuario = ValorDaLinha(banco.Params, QStringLiteral("USER NAME"));
    const QString senha = ValorDaLinha(banco.Params, QStringLiteral("PASSWORD"));
    if (Trim(servidor).isEmpty()) {
        servidor = ValorDaLinha(LeParametrosAlias(banco.AliasName, banco.ArquivoAliases),
                                QStringLiteral("SERVER NAME"));
    }
    if (Trim(servidor).isEmpty()) {
        servidor = ExtraiCaminhoAlias(banco.AliasName, 13, banco.ArquivoAliases) +
                   QStringLiteral("Varmeno.gdb");
    }
    conexao.DefineParametro(QStringLiteral("DataBase"), servidor);
    conexao.DefineParametro(QStringLiteral("User_Name"), usuario);
    conexao.DefineParametro(QStringLiteral("Password"), senha);
}

void LigaDataSets(QObject* janela, TConexao& conexao) {
    if (!janela) {
        return;
    }
    for (QObject* filho : janela->children()) {
        if (auto* dataSet = qobject_cast<TDataSet*>(filho)) {
            dataSet->SetConnection(&conexao);
        }
    }
}
