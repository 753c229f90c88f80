#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class TConexao;

// A dataset over the one connection: an SQL text with named parameters
// (":PData"), opened into cached rows. Datasets are QObjects owned by their
// window, so LigaDataSets can bind every one of them in the window's order.
//
// Statements run in the connection's explicit transaction when one is active;
// otherwise each runs in its own transaction, committed at once.
// Parameter and field names match without regard to case.
class TDataSet : public QObject {
    Q_OBJECT
  public:
    explicit TDataSet(QObject* dono = nullptr);
    ~TDataSet() override;

    // Binding an open dataset is an error.
    void SetConnection(TConexao* conexao);
    TConexao* Connection() const { return m_conexao; }

    // Changing the text closes the dataset and forgets the parameter values.
    void SetSQL(const QString& sql);
    const QString& SQL() const { return m_sql; }

    void ParamText(const QString& nome, const QString& valor);
    void ParamDate(const QString& nome, const QDate& valor);
    void ParamDateTime(const QString& nome, const QDateTime& valor);
    void ParamDouble(const QString& nome, double valor);
    void ParamInteger(const QString& nome, int valor);
    void ParamNull(const QString& nome);

    void Open();
    void Close();
    bool Active() const { return m_ativo; }

    bool IsEmpty() const;
    int RecordCount() const;
    bool Eof() const;
    void First();
    void Next();

    // Fields of the current row. CHAR columns keep their trailing blanks;
    // NULL reads as the empty text or 0. An unknown name raises.
    bool FieldExists(const QString& nome) const;
    bool IsNull(const QString& nome) const;
    QString AsString(const QString& nome) const;
    double AsFloat(const QString& nome) const;
    int AsInteger(const QString& nome) const;
    QDate AsDate(const QString& nome) const;
    QDateTime AsDateTime(const QString& nome) const;
    QStringList FieldNames() const;

    struct Impl;

  protected:
    struct Linha;
    Impl* impl() const { return m_impl.get(); }
    void ExigeLinha() const;

    TConexao* m_conexao = nullptr;
    QString m_sql;
    bool m_ativo = false;
    std::unique_ptr<Impl> m_impl;
};

// A query that can also execute statements that return no rows. The statement
// is prepared once and kept while its text and connection stay the same, so
// a loop of executions with new parameter values prepares only once.
class TQuery : public TDataSet {
    Q_OBJECT
  public:
    explicit TQuery(QObject* dono = nullptr);
    ~TQuery() override;
    // Returns the number of rows the statement affected.
    int ExecSQL();
};

// A cached, editable dataset (SequenciaAbast, the totalizer rows): opened from
// a SELECT on one table, rows edited or appended in the cache, then applied to
// the table. An applied edit finds its row by the key columns (all columns
// read, by default) with their values as read; an edit that finds no row
// (changed or gone since it was read) raises, it is never taken as success.
class TDataSetEditavel : public TDataSet {
    Q_OBJECT
  public:
    explicit TDataSetEditavel(QObject* dono = nullptr);
    ~TDataSetEditavel() override;

    // The table changes are applied to; by default the one after FROM.
    void SetTabela(const QString& tabela);
    // The columns that find an edited row; by default every column read.
    void SetChaves(const QStringList& colunas);

    void Edit();    // edit the current row
    void Append();  // a new row, all fields NULL
    void SetField(const QString& nome,
                  const QVariant& valor);  // QString, double, int, QDate, QDateTime or null
    void Post();
    void Cancel();
    bool Modificado() const;  // changes waiting to be applied
    // Applies every posted change within the connection's transaction (or its
    // own, committed at once) and returns how many rows were written.
    int ApplyUpdates();
};
