#pragma once

#include <QIcon>

// The program's images, drawn at run time: the tray icon and the glyphs of
// the four toolbar buttons.
QIcon IconePrograma();
QIcon IconeEncerrantes();
QIcon IconeAlteraPreco();
QIcon IconeDataHora();
QIcon IconeBloqueio();
