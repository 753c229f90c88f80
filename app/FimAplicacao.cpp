#include "app/FimAplicacao.h"

#include <QCoreApplication>
#include <QMetaObject>

void TFimAplicacao::PostaSaida() {
    // exit(), not quit(): quit() would try to close the windows first, and an
    // end request must not run the main window's close path.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TFimAplicacao::Pede() {
    m_pedido = true;
    if (m_rodando)
        PostaSaida();
}

int TFimAplicacao::Executa() {
    m_rodando = true;
    if (m_pedido)
        PostaSaida();
    const int codigo = QCoreApplication::exec();
    m_rodando = false;
    return codigo;
}
