#include "data/Comando.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>

#include "data/Erro.h"
#include "data/Win1252.h"

using namespace Firebird;
using fb::TRef;
using fb::TStatus;

TTextoComParametros AnalisaParametros(const QString& sql) {
    TTextoComParametros r;
    QString& m_sqlFb = r.Sql;
    QStringList& m_nomes = r.Nomes;
    m_sqlFb.reserve(sql.size());
    const qsizetype n = sql.size();
    auto ehInicio = [](QChar ch) { return ch.isLetter() || ch == QLatin1Char('_'); };
    auto ehNome = [](QChar ch) {
        return ch.isLetterOrNumber() || ch == QLatin1Char('_') || ch == QLatin1Char('$');
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar ch = sql.at(i);
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            qsizetype fim = sql.indexOf(ch, i + 1);
            fim = fim < 0 ? n : fim + 1;
            m_sqlFb += sql.mid(i, fim - i);
            i = fim;
        } else if (ch == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            qsizetype fim = sql.indexOf(QLatin1Char('\n'), i);
            fim = fim < 0 ? n : fim + 1;
            m_sqlFb += sql.mid(i, fim - i);
            i = fim;
        } else if (ch == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            qsizetype fim = sql.indexOf(QLatin1String("*/"), i + 2);
            fim = fim < 0 ? n : fim + 2;
            m_sqlFb += sql.mid(i, fim - i);
            i = fim;
        } else if (ch == QLatin1Char(':') && i + 1 < n && ehInicio(sql.at(i + 1))) {
            qsizetype fim = i + 1;
            while (fim < n && ehNome(sql.at(fim))) {
                ++fim;
            }
            m_nomes.append(sql.mid(i + 1, fim - i - 1).toUpper());
            m_sqlFb += QLatin1Char('?');
            i = fim;
        } else {
            m_sqlFb += ch;
            ++i;
        }
    }
    return r;
}

IStatement* TComando::Prepara(TConexao::Impl& c, ITransaction* tra) {
    if (!m_stmt) {
        m_con = &c;
        TStatus st(&c);
        const QByteArray sql = Para1252(m_texto.Sql);
        m_stmt = c.att->prepare(&st, tra, unsigned(sql.size()), sql.constData(), c.dialeto,
                                IStatement::PREPARE_PREFETCH_METADATA);
        m_tipo = m_stmt->getType(&st);
    }
    return m_stmt;
}

bool TComando::Selecao() const {
    return m_tipo == isc_info_sql_stmt_select;
}

void TComando::MontaEntrada(TConexao::Impl& c, const std::vector<const TValor*>& valores,
                            TRef<IMessageMetadata>& meta, std::vector<unsigned char>& buffer) {
    TStatus st(&c);
    TRef<IMessageMetadata> declarada(&c, m_stmt->getInputMetadata(&st));
    const unsigned n = declarada->getCount(&st);
    if (n != valores.size()) {
        throw EErroBanco(QStringLiteral("Número de parâmetros diferente do esperado"));
    }
    if (n == 0) {
        return;
    }
    std::vector<QByteArray> textos(n);
    TRef<IMetadataBuilder> montador(&c, declarada->getBuilder(&st));
    for (unsigned i = 0; i < n; ++i) {
        const TValor& v = *valores[i];
        switch (v.tipo) {
            case TValor::Texto:
                // Sent as text whatever the column: the database converts
                // it, so '25.12.2024' meets a DATE column as a date.
                textos[i] = Para1252(v.texto);
                if (textos[i].size() > 32765) {
                    throw EErroBanco(QStringLiteral("Texto longo demais para um parâmetro"));
                }
                montador->setType(&st, i, SQL_VARYING);
                montador->setLength(&st, i, unsigned(std::max<qsizetype>(1, textos[i].size())));
                montador->setCharSet(&st, i, 0);
                montador->setScale(&st, i, 0);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Data:
            case TValor::DataHora:
                montador->setType(&st, i, SQL_TIMESTAMP);
                montador->setLength(&st, i, sizeof(ISC_TIMESTAMP));
                montador->setScale(&st, i, 0);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Double:
                montador->setType(&st, i, SQL_DOUBLE);
                montador->setLength(&st, i, sizeof(double));
                montador->setScale(&st, i, 0);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Inteiro:
                montador->setType(&st, i, SQL_LONG);
                montador->setLength(&st, i, sizeof(ISC_LONG));
                montador->setScale(&st, i, 0);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Escalado:
                montador->setType(&st, i, SQL_INT64);
                montador->setLength(&st, i, sizeof(ISC_INT64));
                montador->setScale(&st, i, v.escala);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Bytes:
                montador->setType(&st, i, SQL_TEXT);
                montador->setLength(&st, i, unsigned(std::max<qsizetype>(1, v.bytes.size())));
                montador->setCharSet(&st, i, 1);  // OCTETS: compared byte for byte
                montador->setScale(&st, i, 0);
                montador->setSubType(&st, i, 0);
                break;
            case TValor::Nulo:
                break;  // the declared type, with the null flag
        }
    }
    meta.reset(montador->getMetadata(&st));
    buffer.assign(meta->getMessageLength(&st), 0);
    for (unsigned i = 0; i < n; ++i) {
        const TValor& v = *valores[i];
        unsigned char* dado = buffer.data() + meta->getOffset(&st, i);
        const ISC_SHORT nulo = v.tipo == TValor::Nulo ? -1 : 0;
        std::memcpy(buffer.data() + meta->getNullOffset(&st, i), &nulo, sizeof nulo);
        switch (v.tipo) {
            case TValor::Texto: {
                const ISC_USHORT tam = ISC_USHORT(textos[i].size());
                std::memcpy(dado, &tam, sizeof tam);
                std::memcpy(dado + sizeof tam, textos[i].constData(), tam);
                break;
            }
            case TValor::Data:
            case TValor::DataHora: {
                const QDate d = v.dataHora.date();
                const QTime t = v.dataHora.time();
                ISC_TIMESTAMP ts;
                ts.timestamp_date =
                    c.util->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
                ts.timestamp_time =
                    c.util->encodeTime(unsigned(t.hour()), unsigned(t.minute()),
                                       unsigned(t.second()), unsigned(t.msec()) * 10u);
                std::memcpy(dado, &ts, sizeof ts);
                break;
            }
            case TValor::Double:
                std::memcpy(dado, &v.d, sizeof v.d);
                break;
            case TValor::Inteiro: {
                const ISC_LONG n32 = v.i;
                std::memcpy(dado, &n32, sizeof n32);
                break;
            }
            case TValor::Escalado: {
                const ISC_INT64 n64 = v.n;
                std::memcpy(dado, &n64, sizeof n64);
                break;
            }
            case TValor::Bytes:
                std::memcpy(dado, v.bytes.constData(), size_t(v.bytes.size()));
                break;
            case TValor::Nulo:
                break;
        }
    }
}
