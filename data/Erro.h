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
// that the link to the database is gone (server down, network cut), as
// opposed to a statement the database refused.
class EErroBanco : public EErro {
  public:
    EErroBanco(QString mensagem, bool conexaoPerdida = false)
        : EErro(std::move(mensagem)), m_conexaoPerdida(conexaoPerdida) {}
    bool ConexaoPerdida() const noexcept { return m_conexaoPerdida; }

  private:
    bool m_conexaoPerdida;
};

// The message of whatever was caught, for the places that report "any error".
QString MensagemDe(const std::exception& e);
