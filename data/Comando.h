#pragma once

// Internal to data/: one statement of the attachment.

#include <QString>
#include <QStringList>
#include <vector>

#include "data/FirebirdInterno.h"
#include "data/Valores.h"

// The program's text with its ":Name" parameters turned into "?", and the
// names in order of appearance (upper case; a name may repeat). Quoted text
// and comments are left alone.
struct TTextoComParametros {
    QString Sql;
    QStringList Nomes;
};
TTextoComParametros AnalisaParametros(const QString& sql);

// A statement prepared once and kept until the text or the link changes.
class TComando final {
  public:
    TComando() = default;
    ~TComando() { Libera(); }
    TComando(const TComando&) = delete;
    TComando& operator=(const TComando&) = delete;

    void Define(const QString& sql) {
        Libera();
        m_texto = AnalisaParametros(sql);
    }
    void Libera() { fb::Solta(m_stmt, m_con); }
    const QStringList& Nomes() const { return m_texto.Nomes; }
    bool Contem(const QString& nomeMaiusculo) const {
        return m_texto.Nomes.contains(nomeMaiusculo);
    }

    Firebird::IStatement* Prepara(TConexao::Impl& c, Firebird::ITransaction* tra);
    bool Selecao() const;

    // The input message, one value per "?" in order.
    void MontaEntrada(TConexao::Impl& c, const std::vector<const TValor*>& valores,
                      fb::TRef<Firebird::IMessageMetadata>& meta,
                      std::vector<unsigned char>& buffer);

  private:
    TTextoComParametros m_texto;
    Firebird::IStatement* m_stmt = nullptr;
    const TConexao::Impl* m_con = nullptr;  // alive while m_stmt is set
    unsigned m_tipo = 0;
};
