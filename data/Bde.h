#pragma once

#include <QString>
#include <QStringList>

class TConexao;
class QObject;

// The BDE database component DbVarmeno: never opened, only a source of
// connection parameters when Caminho.ini is absent. The alias itself lives in
// the file BDE.ini beside the program: section [<alias>], its lines in file
// order are the alias's parameter lines.
struct TDatabaseBde {
    QString AliasName = QStringLiteral("Varmeno");
    QStringList Params;      // design-time: "USER NAME=SYSDBA", "PASSWORD=tankgauge"
    QString ArquivoAliases;  // the BDE.ini to read; empty: the one beside the program
};

// The alias's parameter lines; raises "Alias não encontrado: <alias>" when
// the file or its section is missing.
QStringList LeParametrosAlias(const QString& alias, const QString& arquivoAliases = QString());

QString ExtraiCaminhoAlias(const QString& alias, int posicaoInicial,
                           const QString& arquivoAliases = QString());
void ConfiguraConexao(TConexao& conexao, const TDatabaseBde& banco);

// Binds every dataset owned directly by the window, in its order; binding an
// open dataset raises.
void LigaDataSets(QObject* janela, TConexao& conexao);
