#pragma once

#include <QtGlobal>

// The request to end the application. A request made before the event loop
// runs (a start-up step, or a message box's own loop meanwhile) is kept and
// takes effect once the loop runs, after the events already posted.
class TFimAplicacao final {
  public:
    TFimAplicacao() = default;
    Q_DISABLE_COPY_MOVE(TFimAplicacao)

    void Pede();
    bool Pedido() const { return m_pedido; }
    // Runs the application's event loop and returns its exit code.
    int Executa();

  private:
    static void PostaSaida();
    bool m_pedido = false;
    bool m_rodando = false;
};
