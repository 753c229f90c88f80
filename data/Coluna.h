#pragma once

// Internal to data/: the columns of a result and how their values are read.

#include <QString>
#include <QVariant>
#include <vector>

#include "data/FirebirdInterno.h"
#include "data/Valores.h"

struct TColuna {
    QString nome;   // as read (alias)
    QString campo;  // the table's column, for the statements that apply edits
    unsigned tipoSql = 0;
    int escala = 0;
    unsigned tamanho = 0;
    unsigned subtipo = 0;
    unsigned charset = 0;
    unsigned offset = 0;
    unsigned offsetNulo = 0;
    TipoCampo tipo = TipoCampo::Outro;
};

// The columns a statement returns, each with its place in the row buffer. A
// repeated name (a join) is told apart as NAME_1, NAME_2...
std::vector<TColuna> LeColunas(Firebird::IMessageMetadata* meta);

// One column's value from a fetched row: NULL as an invalid QVariant, scaled
// integers as exact decimals, octets (RDB$DB_KEY) as raw bytes.
QVariant LeValor(TConexao::Impl& c, Firebird::ITransaction* tra, const TColuna& col,
                 const unsigned char* buffer);
