#pragma once

class QKeyEvent;
class QTableWidget;
class QWidget;

// The nozzle grid every screen shows ("GridBombas"): rows of a fixed 18
// pixels with no row header, grid lines, no frame of its own.
QTableWidget* CriaGridBombas(int colunas, QWidget* pai);

// Whether the key is Enter or Escape, accepted here: the screens handle both
// by their own rules, never as the dialog's default button or rejection.
bool EngoleEnterEscape(QKeyEvent* evento);
