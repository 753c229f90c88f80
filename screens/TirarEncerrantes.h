#pragma once

#include <QPointer>
#include <QString>

#include "screens/ConsultaTurno.h"
#include "screens/FormBasico.h"

class QFrame;
class QLabel;
class QPainter;
class QPushButton;
class QStatusBar;
class QRect;
class QTableWidget;
class TDataSet;
class TDataSetEditavel;
class TQuery;

// "Tirar Encerrantes": every nozzle with its initial totalizer; the marked
// ones are read from the concentrator, and OK files one MvEncerrantes row per
// nozzle under the open shift.
class TFTirarEncerrantes final : public TFrmBasico {
    Q_OBJECT
  public:
    // Creating the screen fills the grid from Bombas (FormCreate).
    explicit TFTirarEncerrantes(TAmbienteTela ambiente, QWidget* pai = nullptr);
    ~TFTirarEncerrantes() override;
    Q_DISABLE_COPY_MOVE(TFTirarEncerrantes)

    // Grid columns; 5 and 6 are hidden.
    enum Coluna {
        ColBico,
        ColDescricao,
        ColInicial,
        ColFinal,
        ColSaida,
        ColConcentrador,
        ColMarca
    };
    static constexpr int ColunasGrid = 7;

    // Grid rows count from 1 below the header row, as the operator sees them.
    QString Celula(int coluna, int linha) const;
    int LinhasDados() const;
    bool Marcada(int linha) const;

    // Paints a cell of a marked row; false leaves the cell to the grid.
    bool GridBombasDrawCell(QPainter& canvas, int coluna, int linha, const QRect& rect);
    void GridBombasDblClick();
    void GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers shift);
    void BtMarcarClick();
    void BtEncerrantesClick();
    void BtOkClick();
    void BtCancelarClick();

    QFrame* Panel1 = nullptr;
    QTableWidget* GridBombas = nullptr;
    QPushButton* BtOk = nullptr;
    QPushButton* BtCancelar = nullptr;
    QPushButton* BtEncerrantes = nullptr;
    QPushButton* BtMarcar = nullptr;
    QStatusBar* StRodape = nullptr;
    QLabel* PainelRodape = nullptr;

    TQuery* Bombas = nullptr;
    TDataSet* MvTurno = nullptr;
    TDataSetEditavel* MvEncerrantes = nullptr;

  protected:
    void FormClose() override;

  private:
    void FormCreate();
    void MontaTela();
    void PreencheGrid();
    void DefineCelula(int coluna, int linha, const QString& texto);
    void AlternaMarca();
    void HabilitaBotoes(bool habilitados);
    void MostraRodape(const QString& texto);
    void GravaEncerrantes();
};

// The one totalizer screen open; empty while there is none.
extern QPointer<TFTirarEncerrantes> FTirarEncerrantes;

// The text of the MvEncerrantes statement, set for each nozzle stored.
extern QString SqlEncerrante;
