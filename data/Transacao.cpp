#include "data/Transacao.h"

#include "data/Conexao.h"

TTransacao::TTransacao(TConexao& conexao, TDonoTransacao dono) : m_conexao(conexao) {
    if (m_conexao.InTransaction())
        return;
    IniciaTransacao(m_conexao);
    m_conexao.DefineDonoTransacao(dono);
    m_propria = true;
    m_aberta = true;
}

TTransacao::~TTransacao() {
    Desfaz();
}

void TTransacao::Confirma() {
    if (!m_aberta)
        return;
    ConfirmaTransacao(m_conexao);
    m_aberta = false;
}

void TTransacao::Desfaz() {
    if (!m_aberta)
        return;
    m_aberta = false;
    try {
        DesfazTransacao(m_conexao);
    } catch (...) {
        // A rollback the server could not take still ends the transaction
        // here (the connection drops its handle): nothing is left to undo.
    }
}
