#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "BancoTeste.h"
#include "data/Conexao.h"
#include "data/DataSet.h"

inline QString Texto(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A fresh demo station database in a temporary folder and a connection set
// up for it; `m_banco` is what the connection names (a path, or
// host/port:path on the test server).
class TBancoFixture : public ::testing::Test {
  protected:
    void CriaBanco(bool noServidor = false) {
        ASSERT_TRUE(m_pasta.isValid());
        const QString arquivo = CriaBancoTeste(m_pasta.path(), true);
        m_banco = noServidor ? ServidorTeste() + QLatin1Char(':') + arquivo : arquivo;
        m_senha = noServidor ? SenhaServidorTeste() : QStringLiteral("masterkey");
        ConfiguraConexaoTeste(m_con, m_banco, m_senha);
    }

    // A second connection to the same database, open.
    std::unique_ptr<TConexao> Outra() {
        auto con = std::make_unique<TConexao>();
        ConfiguraConexaoTeste(*con, m_banco, m_senha);
        con->Open();
        return con;
    }

    static int Executa(TConexao& con, const QString& sql) {
        TQuery q;
        q.SetConnection(&con);
        q.SetSQL(sql);
        return q.ExecSQL();
    }

    // How the connection reaches the database: "<null>" in-process (as
    // ValorSql writes NULL), "TCPv4" over the network.
    QString Protocolo() {
        TQuery q;
        q.SetConnection(&m_con);
        q.SetSQL(
            Texto("Select Mon$Remote_Protocol As P From Mon$Attachments"
                  " Where Mon$Attachment_Id = Current_Connection"));
        q.Open();
        return q.IsNull(Texto("P")) ? Texto("<null>") : q.AsString(Texto("P")).trimmed();
    }

    // What another connection reads: only what is committed.
    QString Valor(const char* consulta) { return ValorSql(m_banco, Texto(consulta)); }

    QTemporaryDir m_pasta;
    QString m_banco;
    QString m_senha;
    TConexao m_con;
};
