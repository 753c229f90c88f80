#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <exception>
#include <memory>

#include "data/Transacao.h"

// The one SQL connection of the program (CnVarmeno): name=value parameter
// lines, one attachment to a Firebird database in SQL dialect 1, and at most
// one explicit transaction.
//
// A "Database" without host opens the file through the embedded engine;
// "host:/path" or "host/port:/path" reaches a server. Errors are EErroBanco
// with Firebird's status text; a closed or lost connection raises, it never
// crashes. After an error with ConexaoPerdida the connection is closed; a
// dataset opened or executed on a closed connection connects once more first,
// and raises when that fails. An explicit transaction cut by a lost link stays
// open as lost: every statement and Commit raise the lost-link error until
// Rollback (DesfazTransacao) ends it, so nothing of the unit runs in
// autocommit in its place.
// How long the connection waits for the database. Each bound ends a wait that
// would otherwise freeze the program's only thread.
struct TLimitesConexao {
    int ConexaoSegundos = 5;   // a new attachment to a server
    int ChamadaMs = 10000;     // any call to the server; past it the link is dropped
    int BloqueioSegundos = 5;  // a row another transaction holds (WaitOnLocks=True)
};

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
    // Successful attachments since creation: a new value means a new link,
    // so whatever was known about the database's state may be stale.
    quint64 Ligacoes() const { return m_ligacoes; }

    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    // Ends the transaction also when the server refuses the rollback (the
    // handle is released and the error raised).
    void Rollback();

    // Recorded by the unit of work (TTransacao) that started the transaction.
    void DefineDonoTransacao(TDonoTransacao dono);
    // An operator screen's unit of work is open: the polling cycle waits.
    bool UnidadeDeTelaAberta() const;

    // A cheap round trip to the database; false when the link is gone.
    bool Responde();

    // Taken at the next Open (the connect and lock bounds) or call.
    void DefineLimites(const TLimitesConexao& limites);
    const TLimitesConexao& Limites() const;

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

  private:
    QStringList m_parametros;
    std::unique_ptr<Impl> m_impl;
    quint64 m_ligacoes = 0;
};

// A longer bound on the calls of one scope (a purge that may take long).
class TLimiteChamada final {
  public:
    TLimiteChamada(TConexao& conexao, int ms);
    ~TLimiteChamada();
    Q_DISABLE_COPY_MOVE(TLimiteChamada)

  private:
    TConexao& m_conexao;
    int m_anterior;
};

// Whether the link to the database went down under the failure: the error
// says so, or the connection has dropped its attachment.
bool ConexaoCaiu(const std::exception& erro, const TConexao& conexao);
// Whether a row the failed work needed was held by another transaction.
bool RegistroBloqueado(const std::exception& erro);

// Explicit transaction helpers: no nesting; confirm or undo without an active
// transaction does nothing.
void IniciaTransacao(TConexao& conexao);
void ConfirmaTransacao(TConexao& conexao);
void DesfazTransacao(TConexao& conexao);
