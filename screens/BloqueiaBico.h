#pragma once

#include <QDialog>
#include <QString>

#include "screens/AmbienteTela.h"

class QPainter;
class QPushButton;
class QStyleOptionViewItem;
class QModelIndex;
class QTableWidget;
class TQuery;

// Lists the nozzles wired to the concentrator with their blocked state, lets
// the operator mark the ones to block and then blocks every marked nozzle and
// releases every other one. A plain screen: no Enter or Escape of its own.
//
// Grid rows are the nozzles, from 0; the headers are the grid's own.
// Columns 3 and 4 are hidden; column 4 holds the block mark "*".
class TFBloqDesbBico final : public QDialog {
    Q_OBJECT
  public:
    TFBloqDesbBico(TAmbienteTela ambiente, QWidget* pai = nullptr);
    ~TFBloqDesbBico() override;
    Q_DISABLE_COPY_MOVE(TFBloqDesbBico)

    // Binds, fills, marks the blocked nozzles and shows the screen modally;
    // true once it has closed. Errors reach the caller.
    bool AbreTela();

    QTableWidget* GridBombas = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TQuery* Bombas = nullptr;

    void GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers shift);
    void GridBombasDblClick();
    void GridBombasDrawCell(QPainter* pintor, const QStyleOptionViewItem& opcao,
                            const QModelIndex& celula) const;
    void BitBtn1Click();

    QString Celula(int linha, int coluna) const;
    bool Marcado(int linha) const;

    static constexpr int ColunaMarca = 4;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

  private:
    void PreencheGrid();
    void MarcaBicosBloqueados();
    void MarcaDesmarcaBico();
    void DefineCelula(int linha, int coluna, const QString& texto);

    TAmbienteTela m_ambiente;
};
