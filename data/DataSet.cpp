#include "data/DataSet.h"

#include <ibase.h>

#include <QHash>
#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "data/Conexao.h"
#include "data/Erro.h"
#include "data/FirebirdInterno.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

using namespace Firebird;

namespace {

using fb::TRef;
using fb::TStatus;

// A parameter value as the program gave it.
struct TValor {
    enum Tipo { Texto, Data, DataHora, Double, Inteiro, Nulo } tipo = Nulo;
    QString texto;
    QDateTime dataHora;
    double d = 0;
    int i = 0;
};

// How a column's value is kept in the cache.
enum class TipoCampo { Texto, Inteiro, Numero, DataHora, Data, Hora, Logico, Outro };

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

QString ErroFechado() {
    return QStringLiteral("Não é possível executar esta operação com o conjunto de dados fechado");
}

QString ErroAberto() {
    return QStringLiteral("Não é possível executar esta operação com o conjunto de dados aberto");
}

// Dates as the program's date-time numbers count them: days since 30/12/1899.
const QDate kDataZero(1899, 12, 30);

double DataHoraParaNumero(const QDateTime& dt) {
    const double dias = double(kDataZero.daysTo(dt.date()));
    const double fracao = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return dias >= 0 ? dias + fracao : dias - fracao;
}

bool HoraZero(const QTime& t) {
    return t.msecsSinceStartOfDay() == 0;
}

QString ComoTexto(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return QString();
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return v.toString();
        case QMetaType::LongLong:
        case QMetaType::Int:
            return QString::number(v.toLongLong());
        case QMetaType::Double:
            return FloatToStr(v.toDouble());
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            QString texto = DateToStr(dt.date());
            if (!HoraZero(dt.time())) {
                texto += QLatin1Char(' ') + TimeToStr(dt.time());
            }
            return texto;
        }
        case QMetaType::QDate:
            return DateToStr(v.toDate());
        case QMetaType::QTime:
            return TimeToStr(v.toTime());
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default:
            return v.toString();
    }
}

QDateTime TextoParaDataHora(const QString& texto) {
    const QString t = Trim(texto);
    const qsizetype espaco = t.indexOf(QLatin1Char(' '));
    if (espaco < 0) {
        return QDateTime(StrToDate(t), QTime(0, 0));
    }
    return QDateTime(StrToDate(t.left(espaco)), StrToTime(t.mid(espaco + 1).trimmed()));
}

double ComoNumero(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return 0;
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return StrToFloat(v.toString());
        case QMetaType::QDateTime:
            return DataHoraParaNumero(v.toDateTime());
        case QMetaType::QDate:
            return DataHoraParaNumero(QDateTime(v.toDate(), QTime(0, 0)));
        case QMetaType::QTime:
            return v.toTime().msecsSinceStartOfDay() / 86400000.0;
        default:
            return v.toDouble();
    }
}

int ComoInteiro(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return 0;
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return StrToInt(v.toString());
        case QMetaType::Double:
            return int(std::lround(v.toDouble()));
        case QMetaType::QDateTime:
        case QMetaType::QDate:
        case QMetaType::QTime:
            return int(std::trunc(ComoNumero(v)));
        default:
            return int(v.toLongLong());
    }
}

QDateTime ComoDataHora(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return QDateTime();
    }
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v.toDateTime();
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return QDateTime(kDataZero, v.toTime());
        case QMetaType::QString:
            return TextoParaDataHora(v.toString());
        default: {
            const double n = v.toDouble();
            const double dias = std::trunc(n);
            const qint64 ms = std::llround(std::fabs(n - dias) * 86400000.0);
            return QDateTime(kDataZero.addDays(qint64(dias)), QTime(0, 0).addMSecs(int(ms)));
        }
    }
}

// A value given to a field, converted to the column's kind the way a typed
// field takes it: text is read with the format settings; an empty text
// empties a field that is not text.
QVariant Converte(const QVariant& v, TipoCampo tipo) {
    if (!v.isValid() || v.isNull()) {
        return QVariant();
    }
    const bool texto = v.typeId() == QMetaType::QString;
    if (texto && tipo != TipoCampo::Texto && v.toString().isEmpty()) {
        return QVariant();
    }
    switch (tipo) {
        case TipoCampo::Texto:
            return ComoTexto(v);
        case TipoCampo::Inteiro:
            return QVariant(qlonglong(ComoInteiro(v)));
        case TipoCampo::Numero:
            return QVariant(ComoNumero(v));
        case TipoCampo::DataHora:
            return QVariant(ComoDataHora(v));
        case TipoCampo::Data:
            return QVariant(ComoDataHora(v).date());
        case TipoCampo::Hora:
            return QVariant(ComoDataHora(v).time());
        case TipoCampo::Logico:
            return QVariant(
                texto ? v.toString().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
                      : v.toBool());
        case TipoCampo::Outro:
            break;
    }
    return v;
}

TValor ValorDoCache(const QVariant& v) {
    TValor valor;
    if (!v.isValid() || v.isNull()) {
        return valor;
    }
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            valor.tipo = TValor::DataHora;
            valor.dataHora = v.toDateTime();
            break;
        case QMetaType::QDate:
            valor.tipo = TValor::Data;
            valor.dataHora = QDateTime(v.toDate(), QTime(0, 0));
            break;
        case QMetaType::Double:
            valor.tipo = TValor::Double;
            valor.d = v.toDouble();
            break;
        case QMetaType::LongLong:
        case QMetaType::Int: {
            const qlonglong n = v.toLongLong();
            if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) {
                valor.tipo = TValor::Inteiro;
                valor.i = int(n);
            } else {
                valor.tipo = TValor::Double;
                valor.d = double(n);
            }
            break;
        }
        default:
            valor.tipo = TValor::Texto;
            valor.texto = ComoTexto(v);
            break;
    }
    return valor;
}

// One statement of the attachment: the program's text with :Names turned
// into "?", prepared once and kept until the text or the link changes.
class TComando final {
  public:
    TComando() = default;
    ~TComando() { Libera(); }
    TComando(const TComando&) = delete;
    TComando& operator=(const TComando&) = delete;

    void Define(const QString& sql) {
        Libera();
        Analisa(sql);
    }
    void Libera() { fb::Solta(m_stmt, m_con); }
    const QStringList& Nomes() const { return m_nomes; }
    bool Contem(const QString& nomeMaiusculo) const { return m_nomes.contains(nomeMaiusculo); }

    IStatement* Prepara(TConexao::Impl& c, ITransaction* tra) {
        if (!m_stmt) {
            m_con = &c;
            TStatus st(&c);
            const QByteArray sql = Para1252(m_sqlFb);
            m_stmt = c.att->prepare(&st, tra, unsigned(sql.size()), sql.constData(), c.dialeto,
                                    IStatement::PREPARE_PREFETCH_METADATA);
            m_tipo = m_stmt->getType(&st);
        }
        return m_stmt;
    }
    bool Selecao() const { return m_tipo == isc_info_sql_stmt_select; }

    // The input message, one value per "?" in order.
    void MontaEntrada(TConexao::Impl& c, const std::vector<const TValor*>& valores,
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
                    ts.timestamp_date = c.util->encodeDate(unsigned(d.year()), unsigned(d.month()),
                                                           unsigned(d.day()));
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
                case TValor::Nulo:
                    break;
            }
        }
    }

  private:
    // Parameters are ":Name" outside quoted text and comments; the same name
    // may appear more than once, each place taking the same value.
    void Analisa(const QString& sql) {
        m_nomes.clear();
        m_sqlFb.clear();
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
    }

    QString m_sqlFb;
    QStringList m_nomes;
    IStatement* m_stmt = nullptr;
    const TConexao::Impl* m_con = nullptr;  // alive while m_stmt is set
    unsigned m_tipo = 0;
};

struct TColuna {
    QString nome;   // as read (alias)
    QString campo;  // the table's column, for the statements that apply edits
    unsigned tipoSql = 0;
    int escala = 0;
    unsigned tamanho = 0;
    unsigned subtipo = 0;
    unsigned offset = 0;
    unsigned offsetNulo = 0;
    TipoCampo tipo = TipoCampo::Outro;
};

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
        return QVariant(double(n) * std::pow(10.0, col.escala));
    };
    switch (col.tipoSql) {
        case SQL_TEXT:
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

}  // namespace

// ---------------------------------------------------------------------------

struct TDataSet::Linha {
    enum Estado { Lida, Editada, Nova };
    std::vector<QVariant> valores;
    std::vector<QVariant> originais;
    std::vector<bool> alterados;
    Estado estado = Lida;
};

struct TDataSet::Impl final : fb::IUsuarioConexao {
    explicit Impl(TDataSet* d) : dono(d) {}

    void LiberaComandos() override { comando.Libera(); }
    void ConexaoDestruida() override {
        comando.Libera();
        dono->m_conexao = nullptr;
    }

    int Indice(const QString& nome) const {
        const auto it = indices.constFind(nome.toUpper());
        return it == indices.constEnd() ? -1 : it.value();
    }
    int IndiceExigido(const QString& nome) const {
        const int i = Indice(nome);
        if (i < 0) {
            throw EErroBanco(QStringLiteral("Campo '%1' não encontrado").arg(nome));
        }
        return i;
    }
    const QVariant& Valor(const QString& nome) const {
        static const QVariant kNulo;
        if (!dono->m_ativo) {
            throw EErroBanco(ErroFechado());
        }
        const int i = IndiceExigido(nome);
        if (linhas.empty()) {
            return kNulo;
        }
        return linhas[size_t(atual)].valores[size_t(i)];
    }
    void DefineParametro(const QString& nome, TValor valor) {
        const QString chave = nome.toUpper();
        if (!comando.Contem(chave)) {
            throw EErroBanco(QStringLiteral("Parâmetro '%1' não encontrado").arg(nome));
        }
        parametros[chave] = std::move(valor);
    }
    std::vector<const TValor*> ValoresParametros() const {
        std::vector<const TValor*> lista;
        for (const QString& nome : comando.Nomes()) {
            const auto it = parametros.find(nome);
            if (it == parametros.end()) {
                throw EErroBanco(QStringLiteral("Parâmetro '%1' sem valor").arg(nome));
            }
            lista.push_back(&it->second);
        }
        return lista;
    }

    void LeColunas(IMessageMetadata* meta) {
        TStatus st;
        colunas.clear();
        indices.clear();
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
            col.offset = meta->getOffset(&st, i);
            col.offsetNulo = meta->getNullOffset(&st, i);
            col.tipo = TipoDe(col.tipoSql, col.escala, col.subtipo);
            // A repeated name (a join) is told apart as NAME_1, NAME_2...
            QString chave = col.nome.toUpper();
            for (int k = 1; indices.contains(chave); ++k) {
                chave = col.nome.toUpper() + QStringLiteral("_%1").arg(k);
            }
            if (chave != col.nome.toUpper()) {
                col.nome = chave;
            }
            indices.insert(chave, int(colunas.size()));
            colunas.push_back(col);
        }
    }

    TDataSet* dono;
    TComando comando;
    std::map<QString, TValor> parametros;
    std::vector<TColuna> colunas;
    QHash<QString, int> indices;
    std::vector<Linha> linhas;
    int atual = 0;
    bool eof = true;
    // Editing (TDataSetEditavel)
    int editando = -1;
    Linha antesDaEdicao;
    bool novaNaoGravada = false;
    QString tabela;
    QStringList chaves;
};

// ---------------------------------------------------------------------------

TDataSet::TDataSet(QObject* dono) : QObject(dono), m_impl(std::make_unique<Impl>(this)) {}

TDataSet::~TDataSet() {
    if (m_conexao) {
        m_conexao->impl()->Desregistra(m_impl.get());
    }
}

void TDataSet::SetConnection(TConexao* conexao) {
    if (m_ativo) {
        throw EErroBanco(ErroAberto());
    }
    if (conexao == m_conexao) {
        return;
    }
    m_impl->comando.Libera();
    if (m_conexao) {
        m_conexao->impl()->Desregistra(m_impl.get());
    }
    m_conexao = conexao;
    if (m_conexao) {
        m_conexao->impl()->Registra(m_impl.get());
    }
}

void TDataSet::SetSQL(const QString& sql) {
    Close();
    m_impl->parametros.clear();
    if (sql != m_sql) {
        m_sql = sql;
        m_impl->comando.Define(sql);
    }
}

void TDataSet::ParamText(const QString& nome, const QString& valor) {
    TValor v;
    v.tipo = TValor::Texto;
    v.texto = valor;
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamDate(const QString& nome, const QDate& valor) {
    if (!valor.isValid()) {
        ParamNull(nome);
        return;
    }
    TValor v;
    v.tipo = TValor::Data;
    v.dataHora = QDateTime(valor, QTime(0, 0));
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamDateTime(const QString& nome, const QDateTime& valor) {
    if (!valor.isValid()) {
        ParamNull(nome);
        return;
    }
    TValor v;
    v.tipo = TValor::DataHora;
    v.dataHora = valor;
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamDouble(const QString& nome, double valor) {
    TValor v;
    v.tipo = TValor::Double;
    v.d = valor;
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamInteger(const QString& nome, int valor) {
    TValor v;
    v.tipo = TValor::Inteiro;
    v.i = valor;
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamNull(const QString& nome) {
    m_impl->DefineParametro(nome, TValor());
}

void TDataSet::Open() {
    if (m_ativo) {
        return;
    }
    Impl& d = *m_impl;
    TConexao::Impl& c = ExigeConexao(m_conexao);
    const std::vector<const TValor*> valores = d.ValoresParametros();
    std::vector<Linha> linhas;
    try {
        TStatus st(&c);
        TTransacaoUso uso(*m_conexao);
        ITransaction* tra = uso.Transacao();
        IStatement* stmt = d.comando.Prepara(c, tra);
        TRef<IMessageMetadata> saida(&c, stmt->getOutputMetadata(&st));
        if (!d.comando.Selecao() || saida->getCount(&st) == 0) {
            throw EErroBanco(QStringLiteral("A instrução não retornou registros"));
        }
        TRef<IMessageMetadata> entrada(&c);
        std::vector<unsigned char> bufEntrada;
        d.comando.MontaEntrada(c, valores, entrada, bufEntrada);
        d.LeColunas(saida.get());
        std::vector<unsigned char> buffer(saida->getMessageLength(&st));
        TRef<IResultSet> cursor(
            &c, stmt->openCursor(&st, tra, entrada.get(),
                                 bufEntrada.empty() ? nullptr : bufEntrada.data(), saida.get(), 0));
        while (cursor->fetchNext(&st, buffer.data()) == IStatus::RESULT_OK) {
            Linha linha;
            linha.valores.reserve(d.colunas.size());
            for (const TColuna& col : d.colunas) {
                linha.valores.push_back(LeValor(c, tra, col, buffer.data()));
            }
            linhas.push_back(std::move(linha));
        }
        cursor->close(&st);
        cursor.take();
        uso.Confirma();
    } catch (const FbException& e) {
        c.Falha(e);
    }
    for (Linha& linha : linhas) {
        linha.originais = linha.valores;
        linha.alterados.assign(linha.valores.size(), false);
    }
    d.linhas = std::move(linhas);
    d.atual = 0;
    d.eof = d.linhas.empty();
    d.editando = -1;
    m_ativo = true;
}

void TDataSet::Close() {
    m_ativo = false;
    m_impl->linhas.clear();
    m_impl->atual = 0;
    m_impl->eof = true;
    m_impl->editando = -1;
}

bool TDataSet::IsEmpty() const {
    return m_impl->linhas.empty();
}

int TDataSet::RecordCount() const {
    return int(m_impl->linhas.size());
}

bool TDataSet::Eof() const {
    return m_impl->eof;
}

void TDataSet::First() {
    if (!m_ativo) {
        throw EErroBanco(ErroFechado());
    }
    m_impl->atual = 0;
    m_impl->eof = m_impl->linhas.empty();
}

void TDataSet::Next() {
    if (!m_ativo) {
        throw EErroBanco(ErroFechado());
    }
    if (size_t(m_impl->atual) + 1 < m_impl->linhas.size()) {
        ++m_impl->atual;
    } else {
        m_impl->eof = true;
    }
}

void TDataSet::ExigeLinha() const {
    if (!m_ativo) {
        throw EErroBanco(ErroFechado());
    }
    if (m_impl->linhas.empty()) {
        throw EErroBanco(QStringLiteral("O conjunto de dados está vazio"));
    }
}

bool TDataSet::FieldExists(const QString& nome) const {
    return m_impl->Indice(nome) >= 0;
}

bool TDataSet::IsNull(const QString& nome) const {
    const QVariant& v = m_impl->Valor(nome);
    return !v.isValid() || v.isNull();
}

QString TDataSet::AsString(const QString& nome) const {
    return ComoTexto(m_impl->Valor(nome));
}

double TDataSet::AsFloat(const QString& nome) const {
    return ComoNumero(m_impl->Valor(nome));
}

int TDataSet::AsInteger(const QString& nome) const {
    return ComoInteiro(m_impl->Valor(nome));
}

QDate TDataSet::AsDate(const QString& nome) const {
    return ComoDataHora(m_impl->Valor(nome)).date();
}

QDateTime TDataSet::AsDateTime(const QString& nome) const {
    return ComoDataHora(m_impl->Valor(nome));
}

QStringList TDataSet::FieldNames() const {
    QStringList nomes;
    for (const TColuna& col : m_impl->colunas) {
        nomes.append(col.nome);
    }
    return nomes;
}

// ---------------------------------------------------------------------------

TQuery::TQuery(QObject* dono) : TDataSet(dono) {}
TQuery::~TQuery() = default;

int TQuery::ExecSQL() {
    Impl& d = *impl();
    TConexao::Impl& c = ExigeConexao(m_conexao);
    const std::vector<const TValor*> valores = d.ValoresParametros();
    ISC_UINT64 afetadas = 0;
    try {
        TStatus st(&c);
        TTransacaoUso uso(*m_conexao);
        ITransaction* tra = uso.Transacao();
        IStatement* stmt = d.comando.Prepara(c, tra);
        TRef<IMessageMetadata> entrada(&c);
        std::vector<unsigned char> bufEntrada;
        d.comando.MontaEntrada(c, valores, entrada, bufEntrada);
        unsigned char* in = bufEntrada.empty() ? nullptr : bufEntrada.data();
        if (d.comando.Selecao()) {
            TRef<IResultSet> cursor(&c, stmt->openCursor(&st, tra, entrada.get(), in, nullptr, 0));
            cursor->close(&st);
            cursor.take();
        } else {
            TRef<IMessageMetadata> saida(&c, stmt->getOutputMetadata(&st));
            std::vector<unsigned char> bufSaida;
            const bool temSaida = saida->getCount(&st) > 0;
            if (temSaida) {
                bufSaida.resize(saida->getMessageLength(&st));
            }
            stmt->execute(&st, tra, entrada.get(), in, temSaida ? saida.get() : nullptr,
                          temSaida ? bufSaida.data() : nullptr);
        }
        afetadas = stmt->getAffectedRecords(&st);
        uso.Confirma();
    } catch (const FbException& e) {
        c.Falha(e);
    }
    return int(afetadas);
}

// ---------------------------------------------------------------------------

TDataSetEditavel::TDataSetEditavel(QObject* dono) : TDataSet(dono) {}
TDataSetEditavel::~TDataSetEditavel() = default;

void TDataSetEditavel::SetTabela(const QString& tabela) {
    impl()->tabela = tabela;
}

void TDataSetEditavel::SetChaves(const QStringList& colunas) {
    impl()->chaves = colunas;
}

void TDataSetEditavel::Edit() {
    Impl& d = *impl();
    ExigeLinha();
    if (d.editando == d.atual) {
        return;
    }
    Post();
    d.editando = d.atual;
    d.antesDaEdicao = d.linhas[size_t(d.atual)];
    d.novaNaoGravada = false;
}

void TDataSetEditavel::Append() {
    Impl& d = *impl();
    if (!m_ativo) {
        throw EErroBanco(ErroFechado());
    }
    Post();
    Linha linha;
    linha.valores.assign(d.colunas.size(), QVariant());
    linha.originais = linha.valores;
    linha.alterados.assign(d.colunas.size(), false);
    linha.estado = Linha::Nova;
    d.linhas.push_back(std::move(linha));
    d.atual = int(d.linhas.size()) - 1;
    d.eof = false;
    d.editando = d.atual;
    d.novaNaoGravada = true;
}

void TDataSetEditavel::SetField(const QString& nome, const QVariant& valor) {
    Impl& d = *impl();
    if (!m_ativo) {
        throw EErroBanco(ErroFechado());
    }
    const int i = d.IndiceExigido(nome);
    if (d.editando < 0 || d.editando != d.atual) {
        throw EErroBanco(QStringLiteral("O conjunto de dados não está em edição"));
    }
    Linha& linha = d.linhas[size_t(d.editando)];
    linha.valores[size_t(i)] = Converte(valor, d.colunas[size_t(i)].tipo);
    linha.alterados[size_t(i)] = true;
}

void TDataSetEditavel::Post() {
    Impl& d = *impl();
    if (d.editando < 0) {
        return;
    }
    Linha& linha = d.linhas[size_t(d.editando)];
    if (linha.estado == Linha::Lida &&
        std::find(linha.alterados.begin(), linha.alterados.end(), true) != linha.alterados.end()) {
        linha.estado = Linha::Editada;
    }
    d.editando = -1;
    d.novaNaoGravada = false;
}

void TDataSetEditavel::Cancel() {
    Impl& d = *impl();
    if (d.editando < 0) {
        return;
    }
    if (d.novaNaoGravada) {
        d.linhas.erase(d.linhas.begin() + d.editando);
        d.atual = std::max(0, std::min(d.atual, int(d.linhas.size()) - 1));
        d.eof = d.linhas.empty();
    } else {
        d.linhas[size_t(d.editando)] = d.antesDaEdicao;
    }
    d.editando = -1;
    d.novaNaoGravada = false;
}

bool TDataSetEditavel::Modificado() const {
    const Impl& d = *impl();
    if (d.editando >= 0) {
        const Linha& l = d.linhas[size_t(d.editando)];
        if (l.estado != Linha::Lida ||
            std::find(l.alterados.begin(), l.alterados.end(), true) != l.alterados.end()) {
            return true;
        }
    }
    for (const Linha& linha : d.linhas) {
        if (linha.estado != Linha::Lida) {
            return true;
        }
    }
    return false;
}

namespace {

QString TabelaDaConsulta(const QString& sql) {
    static const QRegularExpression kFrom(QStringLiteral("\\bFROM\\s+([A-Za-z_][A-Za-z0-9_$]*)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kFrom.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Runs one generated statement with positional values; the rows it touched.
ISC_UINT64 ExecutaGerado(TConexao::Impl& c, ITransaction* tra, const QString& sql,
                         const std::vector<TValor>& valores) {
    TComando comando;
    comando.Define(sql);
    TStatus st(&c);
    IStatement* stmt = comando.Prepara(c, tra);
    std::vector<const TValor*> ponteiros;
    for (const TValor& v : valores) {
        ponteiros.push_back(&v);
    }
    TRef<IMessageMetadata> entrada(&c);
    std::vector<unsigned char> buffer;
    comando.MontaEntrada(c, ponteiros, entrada, buffer);
    stmt->execute(&st, tra, entrada.get(), buffer.empty() ? nullptr : buffer.data(), nullptr,
                  nullptr);
    return stmt->getAffectedRecords(&st);
}

}  // namespace

int TDataSetEditavel::ApplyUpdates() {
    Impl& d = *impl();
    Post();
    if (!Modificado()) {
        return 0;
    }
    const QString tabela = d.tabela.isEmpty() ? TabelaDaConsulta(m_sql) : d.tabela;
    if (tabela.isEmpty()) {
        throw EErroBanco(QStringLiteral("Tabela das alterações não definida"));
    }
    std::vector<int> chaves;
    if (d.chaves.isEmpty()) {
        for (size_t i = 0; i < d.colunas.size(); ++i) {
            if (d.colunas[i].tipoSql != SQL_BLOB && d.colunas[i].tipoSql != SQL_ARRAY) {
                chaves.push_back(int(i));
            }
        }
    } else {
        for (const QString& nome : d.chaves) {
            chaves.push_back(d.IndiceExigido(nome));
        }
    }

    TConexao::Impl& c = ExigeConexao(m_conexao);
    int gravadas = 0;
    try {
        TTransacaoUso uso(*m_conexao);
        ITransaction* tra = uso.Transacao();
        for (Linha& linha : d.linhas) {
            if (linha.estado == Linha::Lida) {
                continue;
            }
            QStringList colunas;
            std::vector<TValor> valores;
            for (size_t i = 0; i < d.colunas.size(); ++i) {
                if (linha.alterados[i]) {
                    colunas.append(d.colunas[i].campo);
                    valores.push_back(ValorDoCache(linha.valores[i]));
                }
            }
            QString sql;
            if (linha.estado == Linha::Nova) {
                if (colunas.isEmpty()) {
                    sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tabela);
                } else {
                    sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(tabela, colunas.join(QStringLiteral(", ")),
                                   QStringList(colunas.size(), QStringLiteral("?"))
                                       .join(QStringLiteral(", ")));
                }
            } else {
                QStringList sets;
                for (const QString& col : colunas) {
                    sets.append(col + QStringLiteral(" = ?"));
                }
                QStringList condicoes;
                for (int k : chaves) {
                    const QVariant& original = linha.originais[size_t(k)];
                    const QString& col = d.colunas[size_t(k)].campo;
                    if (!original.isValid() || original.isNull()) {
                        condicoes.append(col + QStringLiteral(" IS NULL"));
                    } else {
                        condicoes.append(col + QStringLiteral(" = ?"));
                        valores.push_back(ValorDoCache(original));
                    }
                }
                sql =
                    QStringLiteral("UPDATE %1 SET %2").arg(tabela, sets.join(QStringLiteral(", ")));
                if (!condicoes.isEmpty()) {
                    sql += QStringLiteral(" WHERE ") + condicoes.join(QStringLiteral(" AND "));
                }
            }
            const ISC_UINT64 n = ExecutaGerado(c, tra, sql, valores);
            if (linha.estado == Linha::Editada && n == 0) {
                throw EErroBanco(
                    QStringLiteral("Registro não encontrado ou alterado por outro usuário"));
            }
            if (linha.estado == Linha::Editada && n > 1) {
                throw EErroBanco(QStringLiteral("Mais de um registro encontrado para a alteração"));
            }
            ++gravadas;
        }
        uso.Confirma();
    } catch (const FbException& e) {
        c.Falha(e);
    }
    for (Linha& linha : d.linhas) {
        linha.estado = Linha::Lida;
        linha.originais = linha.valores;
        linha.alterados.assign(linha.valores.size(), false);
    }
    return gravadas;
}
