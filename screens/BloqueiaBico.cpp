#include "screens/BloqueiaBico.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "concentrator/ClassConcentrador.h"
#include "data/Bde.h"
#include "data/DataSet.h"
#include "data/Utilitarios.h"
#include "screens/AlteraPreco.h"
#include "screens/FormBasico.h"
#include "screens/GradeBicos.h"

namespace {

constexpr int ColBico = 0;
constexpr int ColDescricao = 1;
constexpr int ColConcentrador = 2;

const QString kMarca = QStringLiteral("*");

class TDesenhoBico final : public QStyledItemDelegate {
  public:
    explicit TDesenhoBico(const TFBloqDesbBico* tela)
        : QStyledItemDelegate(const_cast<TFBloqDesbBico*>(tela)), m_tela(tela) {}
    void paint(QPainter* pintor, const QStyleOptionViewItem& opcao,
               const QModelIndex& celula) const override {
        m_tela->GridBombasDrawCell(pintor, opcao, celula);
    }

  private:
    const TFBloqDesbBico* m_tela;
};

}  // namespace

TFBloqDesbBico::TFBloqDesbBico(TAmbienteTela ambiente, QWidget* pai)
    : QDialog(pai), m_ambiente(std::move(ambiente)) {
    setObjectName(QStringLiteral("FBloqDesbBico"));
    setWindowTitle(QStringLiteral("Bloqueia e Desbloqueia"));
    // Resizable, with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    resize(424, 276);

    Bombas = new TQuery(this);
    Bombas->setObjectName(QStringLiteral("Bombas"));
    Bombas->SetSQL(TFAlteraPreco::SqlBombas());

    auto* coluna = new QVBoxLayout(this);
    coluna->setContentsMargins(0, 0, 0, 0);
    coluna->setSpacing(0);

    GridBombas = CriaGridBombas(5, this);
    GridBombas->setColumnHidden(3, true);
    GridBombas->setColumnHidden(ColunaMarca, true);
    GridBombas->setColumnWidth(ColBico, 65);
    GridBombas->setColumnWidth(ColDescricao, 253);
    GridBombas->setColumnWidth(ColConcentrador, 89);
    GridBombas->horizontalHeader()->setFixedHeight(18);
    // Whole rows are selected, so no cell is ever edited.
    GridBombas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GridBombas->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridBombas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridBombas->setTabKeyNavigation(false);
    GridBombas->setItemDelegate(new TDesenhoBico(this));
    GridBombas->installEventFilter(this);
    connect(GridBombas, &QAbstractItemView::doubleClicked, this,
            [this] { m_ambiente.Executa([this] { GridBombasDblClick(); }); });
    coluna->addWidget(GridBombas, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                              QStringLiteral("&Bloquear / Desbloquear"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(132, 8, 160, 29);
    // The button's modal result ends the screen also when applying failed.
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        const auto fecha = qScopeGuard([this] { accept(); });
        m_ambiente.Executa([this] { BitBtn1Click(); });
    });
    coluna->addWidget(Panel1);
}

TFBloqDesbBico::~TFBloqDesbBico() = default;

bool TFBloqDesbBico::AbreTela() {
    LigaDataSets(this, m_ambiente.CnVarmeno());
    PreencheGrid();
    MarcaBicosBloqueados();
    exec();
    return true;
}

QString TFBloqDesbBico::Celula(int linha, int coluna) const {
    return TextoCelula(GridBombas, linha, coluna);
}

void TFBloqDesbBico::DefineCelula(int linha, int coluna, const QString& texto) {
    DefineTextoCelula(GridBombas, linha, coluna, texto);
}

bool TFBloqDesbBico::Marcado(int linha) const {
    return Celula(linha, ColunaMarca) == kMarca;
}

void TFBloqDesbBico::PreencheGrid() {
    GridBombas->setHorizontalHeaderLabels({QStringLiteral("Bico"), QStringLiteral("Descrição"),
                                           QStringLiteral("Concentrador"), QString(), QString()});
    GridBombas->clearContents();
    GridBombas->setRowCount(1);

    Bombas->Close();
    Bombas->Open();
    int linhas = 0;
    for (Bombas->First(); !Bombas->Eof(); Bombas->Next()) {
        if (linhas >= GridBombas->rowCount())
            GridBombas->setRowCount(linhas + 1);
        DefineCelula(linhas, ColBico, Bombas->AsString(QStringLiteral("CodBico")));
        DefineCelula(linhas, ColDescricao, Bombas->AsString(QStringLiteral("Descricao")));
        DefineCelula(linhas, ColConcentrador, Bombas->AsString(QStringLiteral("CodConcentrador")));
        ++linhas;
    }
    GridBombas->setRowCount(std::max(linhas, 1));
    GridBombas->setCurrentCell(0, ColBico);
}

void TFBloqDesbBico::MarcaBicosBloqueados() {
    const QString letras = m_ambiente.Driver().GetLeStatus();
    // Status position p (from 1) belongs to the nozzle whose code is p + 3.
    for (int p = 1; p <= letras.size(); ++p) {
        if (letras[p - 1] != QLatin1Char('B'))
            continue;
        for (int linha = 0; linha < GridBombas->rowCount(); ++linha) {
            if (StrToInt(Celula(linha, ColConcentrador)) == p + 3)
                DefineCelula(linha, ColunaMarca, kMarca);
        }
    }
}

void TFBloqDesbBico::MarcaDesmarcaBico() {
    const int linha = GridBombas->currentRow();
    if (linha < 0 || Trim(Celula(linha, ColBico)).isEmpty())
        return;
    DefineCelula(linha, ColunaMarca, Marcado(linha) ? QString() : kMarca);
    GridBombas->viewport()->repaint();
}

void TFBloqDesbBico::GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers) {
    const int linha = GridBombas->currentRow();
    if (Key == 32 && linha >= 0 && !Trim(Celula(linha, ColBico)).isEmpty())
        MarcaDesmarcaBico();
    // Shown at once, whatever the key did.
    repaint();
}

void TFBloqDesbBico::GridBombasDblClick() {
    MarcaDesmarcaBico();
}

void TFBloqDesbBico::GridBombasDrawCell(QPainter* pintor, const QStyleOptionViewItem& opcao,
                                        const QModelIndex& celula) const {
    const int linha = celula.row();
    const bool selecionada =
        linha == GridBombas->currentRow() || (opcao.state & QStyle::State_Selected);
    const bool marcada = Marcado(linha);
    const QPalette& paleta = opcao.palette;
    QColor fundo = paleta.color(QPalette::Base);
    QColor texto = paleta.color(QPalette::Text);
    if (selecionada && marcada) {
        fundo = QColor(255, 255, 0);
        texto = QColor(255, 0, 0);
    } else if (selecionada) {
        fundo = paleta.color(QPalette::Highlight);
        texto = paleta.color(QPalette::HighlightedText);
    } else if (marcada && !Trim(Celula(linha, ColBico)).isEmpty()) {
        fundo = QColor(255, 0, 0);
        texto = QColor(255, 255, 0);
    }
    pintor->save();
    pintor->setClipRect(opcao.rect);
    pintor->fillRect(opcao.rect, fundo);
    pintor->setPen(texto);
    pintor->setFont(opcao.font);
    pintor->drawText(opcao.rect.adjusted(2, 2, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     celula.data(Qt::DisplayRole).toString());
    pintor->restore();
}

void TFBloqDesbBico::BitBtn1Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restaura = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TConcentrador& driver = m_ambiente.Driver();
    for (int linha = 0; linha < GridBombas->rowCount(); ++linha) {
        // The empty row of an empty list is no nozzle.
        if (Trim(Celula(linha, ColBico)).isEmpty())
            continue;
        if (Marcado(linha))
            driver.FBloqueiaBico(Celula(linha, ColConcentrador));
        else
            driver.FLiberaBico(Celula(linha, ColConcentrador));
    }
}

bool TFBloqDesbBico::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == GridBombas && evento->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        quint16 Key = TFrmBasico::CodigoTecla(*tecla);
        m_ambiente.Executa([&] { GridBombasKeyDown(Key, tecla->modifiers()); });
    }
    return QDialog::eventFilter(objeto, evento);
}

void TFBloqDesbBico::keyPressEvent(QKeyEvent* evento) {
    // No Enter or Escape of its own: neither presses a button nor closes.
    if (!EngoleEnterEscape(evento))
        QDialog::keyPressEvent(evento);
}
