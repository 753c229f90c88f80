#pragma once

// Driving a screen as an operator does: keys go to whatever control has the
// focus, as the keyboard sends them.

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <QTest>
#include <QWidget>

#include "AplicacaoTeste.h"

// Shows the window and waits until it has the keyboard.
inline bool MostraAtiva(QWidget* janela) {
    janela->show();
    QApplication::setActiveWindow(janela);
    return QTest::qWaitForWindowActive(janela);
}

inline void Tecla(Qt::Key tecla, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), tecla, mods);
}

inline void Digita(const QString& texto) {
    for (QChar c : texto)
        QTest::keyClick(static_cast<QWidget*>(nullptr), c.toLatin1());
}

// Runs the deletions a closed screen asked for.
inline void LiberaFechadas() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
