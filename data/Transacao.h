#pragma once

#include <QtGlobal>

class TConexao;

// Who a unit of work on the connection's explicit transaction belongs to.
// Only an operator screen's unit holds the polling cycle; the cycle's own
// units (storing a fueling, a status pass) never do.
enum class TDonoTransacao { Ciclo, Tela };

// One unit of work on the connection's explicit transaction. It starts the
// transaction only when none is open (transactions do not nest: an inner
// unit joins the outer one and leaves the commit to it), commits on
// Confirma(), and undoes in its destructor what it started and did not
// confirm. Undoing never raises: with the link gone the server has already
// undone it. The owner is recorded on the connection while the unit is open.
class TTransacao final {
  public:
    TTransacao(TConexao& conexao, TDonoTransacao dono);
    ~TTransacao();
    Q_DISABLE_COPY_MOVE(TTransacao)

    // Commits what this unit started; raises the connection's error, with the
    // transaction still open for Desfaz (or the destructor).
    void Confirma();
    // Undoes now what this unit started and did not confirm; quiet.
    void Desfaz();
    // Whether this unit started the transaction (and so commits or undoes it).
    bool Propria() const { return m_propria; }

  private:
    TConexao& m_conexao;
    bool m_propria = false;
    bool m_aberta = false;
};
