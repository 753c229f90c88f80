#pragma once

#include <QApplication>

#include "ui/Aplicacao.h"

// The program's own application object, once for the test process.
inline void GaranteAplicacao() {
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nome[] = "ui_test";
    static char* argv[] = {nome, nullptr};
    auto* app = new TAplicacao(argc, argv);
    app->setQuitOnLastWindowClosed(false);
}
