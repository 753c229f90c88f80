#pragma once

// Internal to data/: the Firebird side of TConexao and the datasets. Only
// data/*.cpp may include this header (the vendor headers are private there).

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/Conexao.h"
#include "data/Vigia.h"

namespace fb {

Firebird::IMaster* Master();

// Something bound to a connection that holds statements of its attachment:
// they are freed before the attachment goes, and the link is cut when the
// connection itself is destroyed first.
class IUsuarioConexao {
  public:
    virtual void LiberaComandos() = 0;
    virtual void ConexaoDestruida() = 0;

  protected:
    ~IUsuarioConexao() = default;
};

// The text of a status vector: one line per message, as Firebird words it.
QString TextoStatus(const Firebird::IStatus* status);
// Whether the status says the link to the database is gone.
bool StatusConexaoPerdida(const Firebird::IStatus* status);
// Whether it says a row was held by another transaction.
bool StatusBloqueio(const Firebird::IStatus* status);

}  // namespace fb

struct TConexao::Impl {
    // Set as soon as an error says the link is gone: from then on nothing is
    // sent to the server (a killed attachment may leave a socket that never
    // answers), handles are dropped unreleased.
    bool perdida = false;
    Firebird::IMaster* master = nullptr;
    Firebird::IUtil* util = nullptr;
    Firebird::IProvider* provider = nullptr;
    Firebird::IAttachment* att = nullptr;
    Firebird::ITransaction* tra = nullptr;      // the explicit transaction
    Firebird::ITransaction* traAuto = nullptr;  // the one of a single statement
    // The explicit transaction was cut by a lost link and not yet undone.
    bool traPerdida = false;
    TDonoTransacao dono = TDonoTransacao::Ciclo;
    QByteArray tpb;
    unsigned dialeto = 1;
    TLimitesConexao limites;
    TVigia vigia;
    int chamadasEmCurso = 0;
    std::vector<fb::IUsuarioConexao*> usuarios;

    Firebird::ITransaction* NovaTransacao();
    // Frees everything without asking the server, after the link is gone.
    void Descarta();
    // Raises the error of a failed call, first dropping a lost link.
    [[noreturn]] void Falha(const Firebird::FbException& erro);
    // Raises the lost-link error while a cut explicit transaction is not undone.
    void ExigeTransacaoViva() const;

    void Registra(fb::IUsuarioConexao* usuario);
    void Desregistra(fb::IUsuarioConexao* usuario);
};

namespace fb {

// A status that throws FbException and, before throwing, marks the
// connection's link as lost when the error says so, so the cleanup that runs
// while the error travels sends nothing more to the server.
class TStatus final : public Firebird::BaseStatusWrapper<TStatus> {
  public:
    explicit TStatus(TConexao::Impl* con = nullptr)
        : BaseStatusWrapper(Master()->getStatus()), m_con(con) {}
    ~TStatus() { dispose(); }
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;
    static void checkException(TStatus* st);

  private:
    TConexao::Impl* m_con;
};

// Frees a Firebird object, unless the link is lost (freeing would talk to
// the server); then it is dropped.
template <typename T>
void Solta(T*& objeto, const TConexao::Impl* con) {
    if (objeto && !(con && con->perdida)) {
        objeto->release();
    }
    objeto = nullptr;
}

// Solta with the scope.
template <typename T>
class TRef final {
  public:
    explicit TRef(const TConexao::Impl* con, T* p = nullptr) : m_con(con), m_p(p) {}
    ~TRef() { Solta(m_p, m_con); }
    TRef(const TRef&) = delete;
    TRef& operator=(const TRef&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    void reset(T* p) {
        Solta(m_p, m_con);
        m_p = p;
    }
    T* take() {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

  private:
    const TConexao::Impl* m_con;
    T* m_p;
};

}  // namespace fb

// One operation's calls to the server, bounded by the watchdog; nested
// operations share the outermost bound.
class TChamadaVigiada final {
  public:
    explicit TChamadaVigiada(TConexao::Impl& c) : m_con(c) {
        if (m_con.chamadasEmCurso++ == 0 && m_con.att)
            m_con.vigia.Arma(m_con.att, m_con.limites.ChamadaMs);
    }
    ~TChamadaVigiada() {
        if (--m_con.chamadasEmCurso == 0)
            m_con.vigia.Desarma();
    }
    TChamadaVigiada(const TChamadaVigiada&) = delete;
    TChamadaVigiada& operator=(const TChamadaVigiada&) = delete;

  private:
    TConexao::Impl& m_con;
};

// The transaction a statement runs in: the explicit one, or one of its own
// that Confirma commits and the destructor rolls back when not confirmed.
class TTransacaoUso final {
  public:
    explicit TTransacaoUso(TConexao& conexao);
    ~TTransacaoUso();
    TTransacaoUso(const TTransacaoUso&) = delete;
    TTransacaoUso& operator=(const TTransacaoUso&) = delete;

    Firebird::ITransaction* Transacao() const;
    void Confirma();

  private:
    TConexao::Impl* m_con;
    bool m_propria = false;
};

// The connection open, reconnecting once when it is closed.
TConexao::Impl& ExigeConexao(TConexao* conexao);
