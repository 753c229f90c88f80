#include "screens/GradeBicos.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

QTableWidget* CriaGridBombas(int colunas, QWidget* pai) {
    auto* grid = new QTableWidget(1, colunas, pai);
    grid->setObjectName(QStringLiteral("GridBombas"));
    grid->setFrameShape(QFrame::NoFrame);
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setShowGrid(true);
    return grid;
}

QString TextoCelula(const QTableWidget* grid, int linha, int coluna) {
    const QTableWidgetItem* item = grid->item(linha, coluna);
    return item ? item->text() : QString();
}

void DefineTextoCelula(QTableWidget* grid, int linha, int coluna, const QString& texto) {
    QTableWidgetItem* item = grid->item(linha, coluna);
    if (item == nullptr) {
        item = new QTableWidgetItem();
        grid->setItem(linha, coluna, item);
    }
    item->setText(texto);
}

bool EngoleEnterEscape(QKeyEvent* evento) {
    switch (evento->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            evento->accept();
            return true;
        default:
            return false;
    }
}
