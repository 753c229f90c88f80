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
