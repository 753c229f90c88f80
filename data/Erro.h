#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error carrying the system's Portuguese message (or the database's own
// text). Raised where the failure is, caught at the edge of a unit of work.
class EErro : public std::exception {
  public:
    explicit EErro(QString mensagem)
        : m_mensagem(std::move(mensagem)), m_utf8(m_mensagem.toUtf8()) {}
    const QString& Mensagem() const noexcept { return m_mensagem; }
    const char* what() const noexcept override { return m_utf8.constData(); }

  private:
    QString m_mensagem;
    QByteArray m_utf8;
};

// An error reported by the database layer. ConexaoPerdida tells the caller
// that the link to the database is gone (server down, network cut), and
// Bloqueio that a row it needed is held by another transaction (waited for
// in vain, or changed under it), as opposed to a statement the database
// refused. Both pass: the same work may succeed later.
class EErroBanco : public EErro {
  public:
    EErroBanco(QString mensagem, bool conexaoPerdida = false, bool bloqueio = false)
        : EErro(std::move(mensagem)), m_conexaoPerdida(conexaoPerdida), m_bloqueio(bloqueio) {}
    bool ConexaoPerdida() const noexcept { return m_conexaoPerdida; }
    bool Bloqueio() const noexcept { return m_bloqueio; }

  private:
    bool m_conexaoPerdida;
    bool m_bloqueio;
};

// Inside a handler: raises the error being handled again under the caller's
// own message, keeping whether it was a lost link or a held row.
[[noreturn]] void RelancaComMensagem(const QString& mensagem);

// The message of whatever was caught, for the places that report "any error".
QString MensagemDe(const std::exception& e);
