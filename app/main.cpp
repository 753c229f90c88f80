#include <QObject>
#include <clocale>

#include "app/Menu.h"
#include "app/SinaisTermino.h"
#include "data/FormatSettings.h"
#include "ui/Aplicacao.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InicializaFormatSettings();

    TAplicacao aplicacao(argc, argv);
    // The application object sets the locale again; number conversions of
    // the C library must stay independent of it.
    std::setlocale(LC_NUMERIC, "C");
    // Message boxes come and go while the window sits in the tray.
    aplicacao.setQuitOnLastWindowClosed(false);

    TMenuPrin janela;
    janela.DefineVersao(QStringLiteral("v15.02ad"));

    TSinaisTermino sinais;
    QObject::connect(&sinais, &TSinaisTermino::Termino, &janela, &TMenuPrin::Sair1Click);

    janela.MostraInicial();
    return janela.Executa();
}
