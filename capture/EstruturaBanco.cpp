#include "capture/EstruturaBanco.h"

#include <QSet>

#include "data/DataSet.h"

namespace {

struct TTabela {
    const char* Nome;
    QStringList Colunas;
};

QList<TTabela> EstruturaUsada(bool publicaStatus) {
    QStringList bombas{QStringLiteral("CODBICO"), QStringLiteral("DESCRICAO"),
                       QStringLiteral("CODTANQUE"), QStringLiteral("CODCONCENTRADOR")};
    if (publicaStatus)
        bombas << QStringLiteral("STATUSBICO");
    return {
        {"PARAPOSTO",
         {QStringLiteral("SEQUENCIAABAST"), QStringLiteral("ACERTADATACONC"),
          QStringLiteral("PORTACONC"), QStringLiteral("IMPREDESCBICO"),
          QStringLiteral("USACONCENTRADOR"), QStringLiteral("CORRIGELITRAGEM"),
          QStringLiteral("VISUALIZASTATUSBOMBA")}},
        {"BOMBAS", bombas},
        {"TANQUES", {QStringLiteral("CODTANQUE"), QStringLiteral("CODPROD")}},
        {"PRODUTO", {QStringLiteral("CODPROD"), QStringLiteral("DESCRICAO")}},
        {"MVABAST",
         {QStringLiteral("DATA"), QStringLiteral("HORA"), QStringLiteral("CODBICO"),
          QStringLiteral("COMBUSTIVEL"), QStringLiteral("LITRAGEM"), QStringLiteral("VALOR"),
          QStringLiteral("CODPROD"), QStringLiteral("CODGRADE"), QStringLiteral("CODFID"),
          QStringLiteral("PRECOUNIT"), QStringLiteral("DESCONTO"), QStringLiteral("EMITIDO"),
          QStringLiteral("ID"), QStringLiteral("SEQUENCIA"), QStringLiteral("ENCERRANTEFINAL")}},
    };
}

}  // namespace

QStringList EstruturaQueFalta(TConexao& conexao, bool publicaStatus) {
    TQuery q;
    q.SetConnection(&conexao);
    q.SetSQL(
        QStringLiteral("Select Trim(RDB$RELATION_NAME) Tabela, Trim(RDB$FIELD_NAME) Coluna "
                       "From RDB$RELATION_FIELDS Where RDB$RELATION_NAME In "
                       "('PARAPOSTO', 'BOMBAS', 'TANQUES', 'PRODUTO', 'MVABAST')"));
    q.Open();
    QSet<QString> tabelas;
    QSet<QString> colunas;
    for (; !q.Eof(); q.Next()) {
        const QString tabela = q.AsString(QStringLiteral("Tabela"));
        tabelas.insert(tabela);
        colunas.insert(tabela + QLatin1Char('.') + q.AsString(QStringLiteral("Coluna")));
    }
    QStringList faltas;
    for (const TTabela& t : EstruturaUsada(publicaStatus)) {
        const QString tabela = QLatin1String(t.Nome);
        if (!tabelas.contains(tabela)) {
            faltas << QStringLiteral("tabela ") + tabela;
            continue;
        }
        for (const QString& coluna : t.Colunas) {
            if (!colunas.contains(tabela + QLatin1Char('.') + coluna))
                faltas << QStringLiteral("coluna ") + tabela + QLatin1Char('.') + coluna;
        }
    }
    return faltas;
}

QString TextoEstruturaQueFalta(const QStringList& faltas) {
    return QStringLiteral("O banco de dados não tem o que o comunicador usa: ") +
           faltas.join(QStringLiteral(", "));
}
