#pragma once

#include <QIcon>

// The program's images, drawn at run time: the tray icon and the glyphs of
// the four toolbar buttons.
QIcon IconePrograma();
// The tray icon while the station has trouble: the same pump under a
// warning sign.
QIcon IconeAlerta();
QIcon IconeEncerrantes();
QIcon IconeAlteraPreco();
QIcon IconeDataHora();
QIcon IconeBloqueio();
