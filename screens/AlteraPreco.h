#pragma once

#include <QPointer>
#include <QString>

#include "screens/FormBasico.h"

class QPushButton;
class QStatusBar;
class QTableWidget;
class TQuery;

// Lists the nozzles wired to the concentrator with their price, takes new
// prices and, on OK, stores each one and sends it to its pump.
//
// Grid rows are the nozzles, from 0; the headers are the grid's own.
// Column 3 is hidden and holds the concentrator code.
class TFAlteraPreco final : public TFrmBasico {
    Q_OBJECT
  public:
    explicit TFAlteraPreco(TAmbienteTela ambiente, QWidget* pai = nullptr);
    ~TFAlteraPreco() override;
    Q_DISABLE_COPY_MOVE(TFAlteraPreco)

    static QString SqlBombas();

    QWidget* Panel1 = nullptr;
    QTableWidget* GridBombas = nullptr;
    QPushButton* BtOk = nullptr;
    QPushButton* BtCancelar = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    TQuery* Bombas = nullptr;

    // Whether a cell editor may open: code and description are read-only.
    bool GridBombasGetEditText(int coluna, int linha) const;
    void GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers shift);
    bool ValidaCampo(int coluna, int linha);
    void BtOkClick();
    void BtCancelarClick();

    QString Celula(int linha, int coluna) const;

  protected:
    void FormCreate();
    void FormClose() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

  private:
    void PreencheGrid();
    void DefineCelula(int linha, int coluna, const QString& texto);
    // Refuses the cell with a message and leaves the cursor in the price
    // column of the row it is on.
    bool Recusa(const QString& mensagem);
    void GravaPreco(TQuery& grava, int linha);
    void EnviaPreco(int linha);
};

// The single price screen of the process, empty while none exists; the
// screen empties it when it closes.
extern QPointer<TFAlteraPreco> FAlteraPreco;
