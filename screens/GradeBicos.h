#pragma once

class QKeyEvent;
class QString;
class QTableWidget;
class QWidget;

// The nozzle grid every screen shows ("GridBombas"): rows of a fixed 18
// pixels with no row header, grid lines, no frame of its own.
QTableWidget* CriaGridBombas(int colunas, QWidget* pai);

// A cell's text (empty where the cell has no item), and setting it, creating
// the item where there is none.
QString TextoCelula(const QTableWidget* grid, int linha, int coluna);
void DefineTextoCelula(QTableWidget* grid, int linha, int coluna, const QString& texto);

// Whether the key is Enter or Escape, accepted here: the screens handle both
// by their own rules, never as the dialog's default button or rejection.
bool EngoleEnterEscape(QKeyEvent* evento);
