#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

// The one SQL connection of the program (CnVarmeno): name=value parameter
// lines, one attachment to a Firebird database in SQL dialect 1, and at most
// one explicit transaction.
//
// A "Database" without host opens the file through the embedded engine;
// "host:/path" or "host/port:/path" reaches a server. Errors are EErroBanco
// with Firebird's status text; a closed or lost connection raises, it never
// crashes. After an error with ConexaoPerdida the connection is closed (no
// transaction any more); a dataset opened or executed on a closed connection
// connects once more first, and raises when that fails.
class TConexao final {
  public:
    TConexao();
    ~TConexao();
    Q_DISABLE_COPY_MOVE(TConexao)

    // The design-time lines of CnVarmeno (DriverName=Interbase, SQLDialect=1, ...).
    void DefineParametrosPadrao();
    // Names match without regard to case; an empty value removes the line.
    void DefineParametro(const QString& nome, const QString& valor);
    QString Parametro(const QString& nome) const;
    const QStringList& Parametros() const;

    void Open();
    void Close();  // closing a closed connection does nothing
    bool Connected() const;

    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    void Rollback();

    // A cheap round trip to the database; false when the link is gone.
    bool Responde();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

  private:
    QStringList m_parametros;
    std::unique_ptr<Impl> m_impl;
};

// Explicit transaction helpers: no nesting; confirm or undo without an active
// transaction does nothing.
void IniciaTransacao(TConexao& conexao);
void ConfirmaTransacao(TConexao& conexao);
void DesfazTransacao(TConexao& conexao);
