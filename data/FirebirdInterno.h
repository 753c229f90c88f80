#pragma once

// Internal to data/: the Firebird side of TConexao and the datasets. Only
// data/*.cpp may include this header (the vendor headers are private there).

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/Conexao.h"

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

}  // namespace fb

struct TConexao::Impl {
    Firebird::IMaster* master = nullptr;
    Firebird::IUtil* util = nullptr;
    Firebird::IProvider* provider = nullptr;
    Firebird::IAttachment* att = nullptr;
    Firebird::ITransaction* tra = nullptr;      // the explicit transaction
    Firebird::ITransaction* traAuto = nullptr;  // the one of a single statement
    QByteArray tpb;
    unsigned dialeto = 1;
    std::vector<fb::IUsuarioConexao*> usuarios;

    Firebird::ITransaction* NovaTransacao();
    // Frees everything without asking the server, after the link is gone.
    void Descarta();
    // Raises the error of a failed call, first dropping a lost link.
    [[noreturn]] void Falha(const Firebird::FbException& erro);

    void Registra(fb::IUsuarioConexao* usuario);
    void Desregistra(fb::IUsuarioConexao* usuario);
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
