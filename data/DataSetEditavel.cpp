#include "data/DataSetEditavel.h"

#include <ibase.h>

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>

#include "data/Conexao.h"
#include "data/DataSetInterno.h"
#include "data/Erro.h"

using namespace Firebird;
using fb::TRef;
using fb::TStatus;

namespace {

// The hidden column that carries each row's RDB$DB_KEY.
const QString kChaveLinha = QStringLiteral("CHAVE$LINHA");

// "Select <list> From <table> [alias] ..." with the row's RDB$DB_KEY added to
// the list ("*" qualified, as Firebird wants it beside another column); the
// text unchanged when it is not a plain select on one table.
QString ComChaveDaLinha(const QString& sql) {
    static const QRegularExpression kSelecao(
        QStringLiteral("^\\s*SELECT\\s+(.+?)\\s+FROM\\s+([A-Za-z_][A-Za-z0-9_$]*)"
                       "(?:\\s+(?:AS\\s+)?([A-Za-z_][A-Za-z0-9_$]*))?"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression kListaComposta(
        QStringLiteral("\\b(DISTINCT|FIRST|SKIP|SELECT)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kVariasTabelas(
        QStringLiteral("\\b(JOIN|UNION|GROUP|HAVING)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QStringList kPalavras = {
        QStringLiteral("WHERE"), QStringLiteral("ORDER"), QStringLiteral("PLAN"),
        QStringLiteral("ROWS"),  QStringLiteral("FOR"),   QStringLiteral("WITH"),
    };
    const QRegularExpressionMatch m = kSelecao.match(sql);
    if (!m.hasMatch()) {
        return sql;
    }
    const QString lista = m.captured(1);
    const QString resto = sql.mid(m.capturedEnd(1));
    const bool outraTabela = sql.mid(m.capturedEnd(2)).trimmed().startsWith(QLatin1Char(','));
    if (kListaComposta.match(lista).hasMatch() || kVariasTabelas.match(resto).hasMatch() ||
        outraTabela) {
        return sql;
    }
    QString qualificador = m.captured(3);
    if (qualificador.isEmpty() || kPalavras.contains(qualificador.toUpper())) {
        qualificador = m.captured(2);
    }
    const QString novaLista =
        lista.trimmed() == QLatin1String("*") ? qualificador + QStringLiteral(".*") : lista;
    return sql.left(m.capturedStart(1)) + novaLista + QStringLiteral(", ") + qualificador +
           QStringLiteral(".RDB$DB_KEY AS ") + kChaveLinha + resto;
}

QString TabelaDaConsulta(const QString& sql) {
    static const QRegularExpression kFrom(QStringLiteral("\\bFROM\\s+([A-Za-z_][A-Za-z0-9_$]*)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kFrom.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The value a column held when read, bound so that the comparison is exact: a
// scaled integer as the same scaled integer, not as a double.
TValor ValorParaComparar(const TColuna& col, const QVariant& original) {
    if (col.tipo == TipoCampo::Numero && col.escala < 0 && original.typeId() == QMetaType::Double) {
        TValor v;
        v.tipo = TValor::Escalado;
        v.escala = col.escala;
        v.n = std::llround(original.toDouble() * std::pow(10.0, -col.escala));
        return v;
    }
    return ValorDoCache(original);
}

bool Nulo(const QVariant& v) {
    return !v.isValid() || v.isNull();
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

// ---------------------------------------------------------------------------

struct TDataSetEditavel::Edicao {
    enum Estado { Lida, Editada, Nova };
    // What the cache row needs beyond its values, row for row with them.
    struct Linha {
        Estado estado = Lida;
        TLinha originais;
        std::vector<bool> alterados;
        QByteArray chaveLinha;  // RDB$DB_KEY, when read
    };

    std::vector<Linha> linhas;
    int editando = -1;
    TLinha valoresAntes;
    Linha antes;
    bool novaNaoGravada = false;
    QString tabela;
    QStringList chaves;
    // The table's primary key, looked up once per table.
    QString tabelaDaChave;
    std::optional<QStringList> chavePrimaria;
};

TDataSetEditavel::TDataSetEditavel(QObject* dono)
    : TDataSet(dono), m_edicao(std::make_unique<Edicao>()) {}
TDataSetEditavel::~TDataSetEditavel() = default;

QString TDataSetEditavel::TextoParaAbrir() const {
    return ComChaveDaLinha(SQL());
}

void TDataSetEditavel::Aberto() {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    e.linhas.clear();
    e.editando = -1;
    e.novaNaoGravada = false;
    const bool comChave =
        !d.colunas.empty() && d.colunas.back().nome.compare(kChaveLinha, Qt::CaseInsensitive) == 0;
    e.linhas.resize(d.linhas.size());
    for (size_t i = 0; i < d.linhas.size(); ++i) {
        if (comChave) {
            e.linhas[i].chaveLinha = d.linhas[i].back().toByteArray();
            d.linhas[i].pop_back();
        }
    }
    if (comChave) {
        std::vector<TColuna> colunas = d.colunas;
        colunas.pop_back();
        d.DefineColunas(std::move(colunas));
    }
    for (size_t i = 0; i < d.linhas.size(); ++i) {
        e.linhas[i].originais = d.linhas[i];
        e.linhas[i].alterados.assign(d.colunas.size(), false);
    }
}

void TDataSetEditavel::Fechado() {
    m_edicao->linhas.clear();
    m_edicao->editando = -1;
    m_edicao->novaNaoGravada = false;
}

void TDataSetEditavel::SetTabela(const QString& tabela) {
    m_edicao->tabela = tabela;
}

void TDataSetEditavel::SetChaves(const QStringList& colunas) {
    m_edicao->chaves = colunas;
}

void TDataSetEditavel::Edit() {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    ExigeLinha();
    if (e.editando == d.atual) {
        return;
    }
    Post();
    e.editando = d.atual;
    e.valoresAntes = d.linhas[size_t(d.atual)];
    e.antes = e.linhas[size_t(d.atual)];
    e.novaNaoGravada = false;
}

void TDataSetEditavel::Append() {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    if (!Active()) {
        throw EErroBanco(ErroDataSetFechado());
    }
    Post();
    d.linhas.emplace_back(d.colunas.size(), QVariant());
    Edicao::Linha linha;
    linha.originais = d.linhas.back();
    linha.alterados.assign(d.colunas.size(), false);
    linha.estado = Edicao::Nova;
    e.linhas.push_back(std::move(linha));
    d.atual = int(d.linhas.size()) - 1;
    d.eof = false;
    e.editando = d.atual;
    e.novaNaoGravada = true;
}

void TDataSetEditavel::SetField(const QString& nome, const QVariant& valor) {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    if (!Active()) {
        throw EErroBanco(ErroDataSetFechado());
    }
    const int i = d.IndiceExigido(nome);
    if (e.editando < 0 || e.editando != d.atual) {
        throw EErroBanco(QStringLiteral("O conjunto de dados não está em edição"));
    }
    d.linhas[size_t(e.editando)][size_t(i)] = Converte(valor, d.colunas[size_t(i)].tipo);
    e.linhas[size_t(e.editando)].alterados[size_t(i)] = true;
}

void TDataSetEditavel::Post() {
    Edicao& e = *m_edicao;
    if (e.editando < 0) {
        return;
    }
    Edicao::Linha& linha = e.linhas[size_t(e.editando)];
    if (linha.estado == Edicao::Lida &&
        std::find(linha.alterados.begin(), linha.alterados.end(), true) != linha.alterados.end()) {
        linha.estado = Edicao::Editada;
    }
    e.editando = -1;
    e.novaNaoGravada = false;
}

void TDataSetEditavel::Cancel() {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    if (e.editando < 0) {
        return;
    }
    if (e.novaNaoGravada) {
        d.linhas.erase(d.linhas.begin() + e.editando);
        e.linhas.erase(e.linhas.begin() + e.editando);
        d.atual = std::max(0, std::min(d.atual, int(d.linhas.size()) - 1));
        d.eof = d.linhas.empty();
    } else {
        d.linhas[size_t(e.editando)] = e.valoresAntes;
        e.linhas[size_t(e.editando)] = e.antes;
    }
    e.editando = -1;
    e.novaNaoGravada = false;
}

bool TDataSetEditavel::Modificado() const {
    const Edicao& e = *m_edicao;
    for (size_t i = 0; i < e.linhas.size(); ++i) {
        const Edicao::Linha& l = e.linhas[i];
        if (l.estado != Edicao::Lida) {
            return true;
        }
        if (int(i) == e.editando &&
            std::find(l.alterados.begin(), l.alterados.end(), true) != l.alterados.end()) {
            return true;
        }
    }
    return false;
}

namespace {

QStringList LeChavePrimaria(TConexao* conexao, const QString& tabela) {
    TQuery q;
    q.SetConnection(conexao);
    q.SetSQL(QStringLiteral(
        "Select s.RDB$FIELD_NAME Campo From RDB$RELATION_CONSTRAINTS r"
        " Join RDB$INDEX_SEGMENTS s On s.RDB$INDEX_NAME = r.RDB$INDEX_NAME"
        " Where r.RDB$RELATION_NAME = :PTabela And r.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"
        " Order By s.RDB$FIELD_POSITION"));
    q.ParamText(QStringLiteral("PTabela"), tabela.toUpper());
    q.Open();
    QStringList campos;
    for (; !q.Eof(); q.Next()) {
        campos.append(q.AsString(QStringLiteral("Campo")).trimmed());
    }
    return campos;
}

int IndiceDoCampo(const std::vector<TColuna>& colunas, const QString& campo) {
    for (size_t i = 0; i < colunas.size(); ++i) {
        if (colunas[i].campo.compare(campo, Qt::CaseInsensitive) == 0) {
            return int(i);
        }
    }
    return -1;
}

}  // namespace

int TDataSetEditavel::ApplyUpdates() {
    Impl& d = Dados();
    Edicao& e = *m_edicao;
    Post();
    if (!Modificado()) {
        return 0;
    }
    const QString tabela = e.tabela.isEmpty() ? TabelaDaConsulta(SQL()) : e.tabela;
    if (tabela.isEmpty()) {
        throw EErroBanco(QStringLiteral("Tabela das alterações não definida"));
    }

    // What finds an edited row: the columns asked for, else the table's
    // primary key when every column of it was read, else the row's DB_KEY.
    std::vector<int> chaves;
    if (!e.chaves.isEmpty()) {
        for (const QString& nome : e.chaves) {
            chaves.push_back(d.IndiceExigido(nome));
        }
    } else {
        if (!e.chavePrimaria || e.tabelaDaChave != tabela) {
            e.chavePrimaria = LeChavePrimaria(d.conexao, tabela);
            e.tabelaDaChave = tabela;
        }
        for (const QString& campo : *e.chavePrimaria) {
            const int i = IndiceDoCampo(d.colunas, campo);
            if (i < 0) {
                chaves.clear();
                break;
            }
            chaves.push_back(i);
        }
    }

    TConexao::Impl& c = ExigeConexao(d.conexao);
    int gravadas = 0;
    TChamadaVigiada vigiada(c);
    try {
        TTransacaoUso uso(*d.conexao);
        ITransaction* tra = uso.Transacao();
        for (size_t l = 0; l < d.linhas.size(); ++l) {
            const Edicao::Linha& linha = e.linhas[l];
            if (linha.estado == Edicao::Lida) {
                continue;
            }
            QStringList colunas;
            std::vector<TValor> valores;
            for (size_t i = 0; i < d.colunas.size(); ++i) {
                if (linha.alterados[i]) {
                    colunas.append(d.colunas[i].campo);
                    valores.push_back(ValorDoCache(d.linhas[l][i]));
                }
            }
            QString sql;
            if (linha.estado == Edicao::Nova) {
                if (colunas.isEmpty()) {
                    sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tabela);
                } else {
                    sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(tabela, colunas.join(QStringLiteral(", ")),
                                   QStringList(colunas.size(), QStringLiteral("?"))
                                       .join(QStringLiteral(", ")));
                }
            } else {
                if (chaves.empty() && linha.chaveLinha.isEmpty()) {
                    throw EErroBanco(
                        QStringLiteral("Não há como localizar o registro alterado em %1")
                            .arg(tabela));
                }
                QStringList sets;
                for (const QString& col : colunas) {
                    sets.append(col + QStringLiteral(" = ?"));
                }
                // The row itself, and only while what is changed still holds
                // the values read: a change by someone else is never undone.
                QStringList condicoes;
                auto condicao = [&](size_t i) {
                    const QVariant& original = linha.originais[i];
                    if (Nulo(original)) {
                        condicoes.append(d.colunas[i].campo + QStringLiteral(" IS NULL"));
                    } else {
                        condicoes.append(d.colunas[i].campo + QStringLiteral(" = ?"));
                        valores.push_back(ValorParaComparar(d.colunas[i], original));
                    }
                };
                if (chaves.empty()) {
                    condicoes.append(QStringLiteral("RDB$DB_KEY = ?"));
                    TValor chave;
                    chave.tipo = TValor::Bytes;
                    chave.bytes = linha.chaveLinha;
                    valores.push_back(chave);
                } else {
                    for (int k : chaves) {
                        condicao(size_t(k));
                    }
                }
                for (size_t i = 0; i < d.colunas.size(); ++i) {
                    if (linha.alterados[i] &&
                        std::find(chaves.begin(), chaves.end(), int(i)) == chaves.end()) {
                        condicao(i);
                    }
                }
                sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                          .arg(tabela, sets.join(QStringLiteral(", ")),
                               condicoes.join(QStringLiteral(" AND ")));
            }
            const ISC_UINT64 n = ExecutaGerado(c, tra, sql, valores);
            if (linha.estado == Edicao::Editada && n == 0) {
                throw EErroBanco(
                    QStringLiteral("Registro não encontrado ou alterado por outro usuário"));
            }
            if (linha.estado == Edicao::Editada && n > 1) {
                throw EErroBanco(QStringLiteral("Mais de um registro encontrado para a alteração"));
            }
            ++gravadas;
        }
        uso.Confirma();
    } catch (const FbException& ex) {
        c.Falha(ex);
    }
    for (size_t l = 0; l < d.linhas.size(); ++l) {
        Edicao::Linha& linha = e.linhas[l];
        linha.estado = Edicao::Lida;
        linha.originais = d.linhas[l];
        linha.alterados.assign(d.colunas.size(), false);
    }
    return gravadas;
}
