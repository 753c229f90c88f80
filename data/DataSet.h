#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

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
    TConexao* Connection() const;

    // Changing the text closes the dataset and forgets the parameter values.
    void SetSQL(const QString& sql);
    const QString& SQL() const;

    void ParamText(const QString& nome, const QString& valor);
    // An invalid date or date-time raises; NULL is ParamNull.
    void ParamDate(const QString& nome, const QDate& valor);
    void ParamDateTime(const QString& nome, const QDateTime& valor);
    void ParamDouble(const QString& nome, double valor);
    void ParamInteger(const QString& nome, int valor);
    void ParamNull(const QString& nome);

    void Open();
    void Close();
    bool Active() const;

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
    Impl& Dados() const { return *m_impl; }
    // The text actually run by Open; the editable dataset adds the row key.
    virtual QString TextoParaAbrir() const;
    // After Open has filled the cache, and after Close has emptied it.
    virtual void Aberto() {}
    virtual void Fechado() {}
    void ExigeLinha() const;

  private:
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
