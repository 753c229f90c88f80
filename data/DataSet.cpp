#include "data/DataSet.h"

#include "data/Conexao.h"
#include "data/DataSetInterno.h"
#include "data/Erro.h"

using namespace Firebird;
using fb::TRef;
using fb::TStatus;

namespace {

QString ErroAberto() {
    return QStringLiteral("Não é possível executar esta operação com o conjunto de dados aberto");
}

}  // namespace

QString ErroDataSetFechado() {
    return QStringLiteral("Não é possível executar esta operação com o conjunto de dados fechado");
}

// ---------------------------------------------------------------------------

void TDataSet::Impl::DefineColunas(std::vector<TColuna> lidas) {
    colunas = std::move(lidas);
    indices.clear();
    for (size_t i = 0; i < colunas.size(); ++i) {
        indices.insert(colunas[i].nome.toUpper(), int(i));
    }
}

int TDataSet::Impl::Indice(const QString& nome) const {
    const auto it = indices.constFind(nome.toUpper());
    return it == indices.constEnd() ? -1 : it.value();
}

int TDataSet::Impl::IndiceExigido(const QString& nome) const {
    const int i = Indice(nome);
    if (i < 0) {
        throw EErroBanco(QStringLiteral("Campo '%1' não encontrado").arg(nome));
    }
    return i;
}

const QVariant& TDataSet::Impl::Valor(const QString& nome) const {
    static const QVariant kNulo;
    if (!ativo) {
        throw EErroBanco(ErroDataSetFechado());
    }
    const int i = IndiceExigido(nome);
    if (linhas.empty()) {
        return kNulo;
    }
    return linhas[size_t(atual)][size_t(i)];
}

void TDataSet::Impl::DefineParametro(const QString& nome, TValor valor) {
    const QString chave = nome.toUpper();
    if (!comando.Contem(chave)) {
        throw EErroBanco(QStringLiteral("Parâmetro '%1' não encontrado").arg(nome));
    }
    parametros[chave] = std::move(valor);
}

std::vector<const TValor*> TDataSet::Impl::ValoresParametros() const {
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

// ---------------------------------------------------------------------------

TDataSet::TDataSet(QObject* dono) : QObject(dono), m_impl(std::make_unique<Impl>(this)) {}

TDataSet::~TDataSet() {
    if (m_impl->conexao) {
        m_impl->conexao->impl()->Desregistra(m_impl.get());
    }
}

TConexao* TDataSet::Connection() const {
    return m_impl->conexao;
}

const QString& TDataSet::SQL() const {
    return m_impl->sql;
}

bool TDataSet::Active() const {
    return m_impl->ativo;
}

QString TDataSet::TextoParaAbrir() const {
    return m_impl->sql;
}

void TDataSet::SetConnection(TConexao* conexao) {
    Impl& d = *m_impl;
    if (d.ativo) {
        throw EErroBanco(ErroAberto());
    }
    if (conexao == d.conexao) {
        return;
    }
    d.comando.Libera();
    if (d.conexao) {
        d.conexao->impl()->Desregistra(&d);
    }
    d.conexao = conexao;
    if (d.conexao) {
        d.conexao->impl()->Registra(&d);
    }
}

void TDataSet::SetSQL(const QString& sql) {
    Close();
    Impl& d = *m_impl;
    d.parametros.clear();
    if (sql != d.sql) {
        d.sql = sql;
        d.comando.Define(TextoParaAbrir());
    }
}

void TDataSet::ParamText(const QString& nome, const QString& valor) {
    TValor v;
    v.tipo = TValor::Texto;
    v.texto = valor;
    m_impl->DefineParametro(nome, std::move(v));
}

void TDataSet::ParamDate(const QString& nome, const QDate& valor) {
    ParamDateTime(nome, QDateTime(valor, QTime(0, 0)));
}

void TDataSet::ParamDateTime(const QString& nome, const QDateTime& valor) {
    // Bound as NULL it would match nothing, or store nothing, without a word.
    if (!valor.isValid()) {
        throw EErroBanco(QStringLiteral("Data inválida no parâmetro '%1'").arg(nome));
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
    Impl& d = *m_impl;
    if (d.ativo) {
        return;
    }
    TConexao::Impl& c = ExigeConexao(d.conexao);
    const std::vector<const TValor*> valores = d.ValoresParametros();
    std::vector<TLinha> linhas;
    TChamadaVigiada vigiada(c);
    std::vector<TColuna> colunas;
    try {
        TStatus st(&c);
        TTransacaoUso uso(*d.conexao);
        ITransaction* tra = uso.Transacao();
        IStatement* stmt = d.comando.Prepara(c, tra);
        TRef<IMessageMetadata> saida(&c, stmt->getOutputMetadata(&st));
        if (!d.comando.Selecao() || saida->getCount(&st) == 0) {
            throw EErroBanco(QStringLiteral("A instrução não retornou registros"));
        }
        TRef<IMessageMetadata> entrada(&c);
        std::vector<unsigned char> bufEntrada;
        d.comando.MontaEntrada(c, valores, entrada, bufEntrada);
        colunas = LeColunas(saida.get());
        std::vector<unsigned char> buffer(saida->getMessageLength(&st));
        TRef<IResultSet> cursor(
            &c, stmt->openCursor(&st, tra, entrada.get(),
                                 bufEntrada.empty() ? nullptr : bufEntrada.data(), saida.get(), 0));
        while (cursor->fetchNext(&st, buffer.data()) == IStatus::RESULT_OK) {
            TLinha linha;
            linha.reserve(colunas.size());
            for (const TColuna& col : colunas) {
                linha.push_back(LeValor(c, tra, col, buffer.data()));
            }
            linhas.push_back(std::move(linha));
        }
        cursor->close(&st);
        cursor.take();
        uso.Confirma();
    } catch (const FbException& e) {
        c.Falha(e);
    }
    d.DefineColunas(std::move(colunas));
    d.linhas = std::move(linhas);
    d.atual = 0;
    d.eof = d.linhas.empty();
    d.ativo = true;
    Aberto();
}

void TDataSet::Close() {
    Impl& d = *m_impl;
    d.ativo = false;
    d.linhas.clear();
    d.atual = 0;
    d.eof = true;
    Fechado();
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
    if (!m_impl->ativo) {
        throw EErroBanco(ErroDataSetFechado());
    }
    m_impl->atual = 0;
    m_impl->eof = m_impl->linhas.empty();
}

void TDataSet::Next() {
    if (!m_impl->ativo) {
        throw EErroBanco(ErroDataSetFechado());
    }
    if (size_t(m_impl->atual) + 1 < m_impl->linhas.size()) {
        ++m_impl->atual;
    } else {
        m_impl->eof = true;
    }
}

void TDataSet::ExigeLinha() const {
    if (!m_impl->ativo) {
        throw EErroBanco(ErroDataSetFechado());
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
    Impl& d = Dados();
    TConexao::Impl& c = ExigeConexao(d.conexao);
    const std::vector<const TValor*> valores = d.ValoresParametros();
    ISC_UINT64 afetadas = 0;
    TChamadaVigiada vigiada(c);
    try {
        TStatus st(&c);
        TTransacaoUso uso(*d.conexao);
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
