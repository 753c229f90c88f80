#include "data/Coluna.h"

#include <ibase.h>

#include <QDate>
#include <QStringList>
#include <cstring>

#include "data/Win1252.h"

using namespace Firebird;
using fb::TRef;
using fb::TStatus;

namespace {

TipoCampo TipoDe(unsigned tipoSql, int escala, unsigned subtipo) {
    switch (tipoSql) {
        case SQL_TEXT:
        case SQL_VARYING:
            return TipoCampo::Texto;
        case SQL_BLOB:
            return subtipo == 1 ? TipoCampo::Texto : TipoCampo::Outro;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            return escala == 0 ? TipoCampo::Inteiro : TipoCampo::Numero;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return TipoCampo::Numero;
        case SQL_TIMESTAMP:
            return TipoCampo::DataHora;
        case SQL_TYPE_DATE:
            return TipoCampo::Data;
        case SQL_TYPE_TIME:
            return TipoCampo::Hora;
        case SQL_BOOLEAN:
            return TipoCampo::Logico;
        default:
            return TipoCampo::Outro;
    }
}

}  // namespace

std::vector<TColuna> LeColunas(IMessageMetadata* meta) {
    TStatus st;
    std::vector<TColuna> colunas;
    QStringList chaves;
    const unsigned n = meta->getCount(&st);
    for (unsigned i = 0; i < n; ++i) {
        TColuna col;
        col.nome = De1252(QByteArray(meta->getAlias(&st, i)));
        if (col.nome.isEmpty()) {
            col.nome = De1252(QByteArray(meta->getField(&st, i)));
        }
        col.campo = De1252(QByteArray(meta->getField(&st, i)));
        col.tipoSql = meta->getType(&st, i);
        col.escala = meta->getScale(&st, i);
        col.tamanho = meta->getLength(&st, i);
        col.subtipo = unsigned(meta->getSubType(&st, i));
        col.charset = meta->getCharSet(&st, i);
        col.offset = meta->getOffset(&st, i);
        col.offsetNulo = meta->getNullOffset(&st, i);
        col.tipo = TipoDe(col.tipoSql, col.escala, col.subtipo);
        QString chave = col.nome.toUpper();
        for (int k = 1; chaves.contains(chave); ++k) {
            chave = col.nome.toUpper() + QStringLiteral("_%1").arg(k);
        }
        if (chave != col.nome.toUpper()) {
            col.nome = chave;
        }
        chaves.append(chave);
        colunas.push_back(col);
    }
    return colunas;
}

namespace {

QString TextoBlob(TConexao::Impl& c, ITransaction* tra, ISC_QUAD id) {
    TStatus st(&c);
    TRef<IBlob> blob(&c, c.att->openBlob(&st, tra, &id, 0, nullptr));
    QByteArray bytes;
    char pedaco[16384];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&st, sizeof pedaco, pedaco, &lidos);
        if (r == IStatus::RESULT_NO_DATA) {
            break;
        }
        bytes.append(pedaco, lidos);
    }
    blob->close(&st);
    blob.take();
    return De1252(bytes);
}

}  // namespace

QVariant LeValor(TConexao::Impl& c, ITransaction* tra, const TColuna& col,
                 const unsigned char* buffer) {
    ISC_SHORT nulo = 0;
    std::memcpy(&nulo, buffer + col.offsetNulo, sizeof nulo);
    if (nulo) {
        return QVariant();
    }
    const unsigned char* p = buffer + col.offset;
    auto escalado = [&](qint64 n) -> QVariant {
        if (col.escala == 0) {
            return QVariant(qlonglong(n));
        }
        return QVariant(NumeroEscalado(n, col.escala));
    };
    switch (col.tipoSql) {
        case SQL_TEXT:
            if (col.charset == 1) {
                return QVariant(QByteArray(reinterpret_cast<const char*>(p), int(col.tamanho)));
            }
            return De1252(reinterpret_cast<const char*>(p), col.tamanho);
        case SQL_VARYING: {
            ISC_USHORT tam = 0;
            std::memcpy(&tam, p, sizeof tam);
            return De1252(reinterpret_cast<const char*>(p + sizeof tam), tam);
        }
        case SQL_SHORT: {
            ISC_SHORT n;
            std::memcpy(&n, p, sizeof n);
            return escalado(n);
        }
        case SQL_LONG: {
            ISC_LONG n;
            std::memcpy(&n, p, sizeof n);
            return escalado(n);
        }
        case SQL_INT64: {
            ISC_INT64 n;
            std::memcpy(&n, p, sizeof n);
            return escalado(n);
        }
        case SQL_FLOAT: {
            float f;
            std::memcpy(&f, p, sizeof f);
            return QVariant(double(f));
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d;
            std::memcpy(&d, p, sizeof d);
            return QVariant(d);
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, p, sizeof ts);
            unsigned a, m, d, h, mi, s, fr;
            c.util->decodeDate(ts.timestamp_date, &a, &m, &d);
            c.util->decodeTime(ts.timestamp_time, &h, &mi, &s, &fr);
            return QVariant(QDateTime(QDate(int(a), int(m), int(d)),
                                      QTime(int(h), int(mi), int(s), int(fr / 10))));
        }
        case SQL_TYPE_DATE: {
            ISC_DATE data;
            std::memcpy(&data, p, sizeof data);
            unsigned a, m, d;
            c.util->decodeDate(data, &a, &m, &d);
            return QVariant(QDate(int(a), int(m), int(d)));
        }
        case SQL_TYPE_TIME: {
            ISC_TIME t;
            std::memcpy(&t, p, sizeof t);
            unsigned h, mi, s, fr;
            c.util->decodeTime(t, &h, &mi, &s, &fr);
            return QVariant(QTime(int(h), int(mi), int(s), int(fr / 10)));
        }
        case SQL_BOOLEAN:
            return QVariant(*p != 0);
        case SQL_BLOB: {
            if (col.subtipo != 1) {
                return QVariant();
            }
            ISC_QUAD id;
            std::memcpy(&id, p, sizeof id);
            return TextoBlob(c, tra, id);
        }
        default:
            return QVariant();
    }
}
