#include "screens/AlteraPreco.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "concentrator/ClassCompanyTec.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/Transacao.h"
#include "data/Utilitarios.h"
#include "screens/GradeBicos.h"

QPointer<TFAlteraPreco> FAlteraPreco;

namespace {

constexpr int ColBico = 0;
constexpr int ColDescricao = 1;
constexpr int ColPreco = 2;
constexpr int ColConcentrador = 3;

const QString kMascaraPreco = QStringLiteral("0.000");

// The cell editor of the price grid: opens only where the screen allows,
// and hands Enter to the screen's grid handling once the cell has its text.
class TEditorPreco final : public QStyledItemDelegate {
  public:
    explicit TEditorPreco(TFAlteraPreco* tela) : QStyledItemDelegate(tela), m_tela(tela) {}

    QWidget* createEditor(QWidget* pai, const QStyleOptionViewItem& opcao,
                          const QModelIndex& indice) const override {
        if (!m_tela->GridBombasGetEditText(indice.column(), indice.row()))
            return nullptr;
        return QStyledItemDelegate::createEditor(pai, opcao, indice);
    }

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::KeyPress) {
            auto* tecla = static_cast<QKeyEvent*>(evento);
            if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
                auto* editor = static_cast<QWidget*>(objeto);
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                quint16 Key = TFrmBasico::VkEnter;
                m_tela->Ambiente().Executa(
                    [&] { m_tela->GridBombasKeyDown(Key, tecla->modifiers()); });
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(objeto, evento);
    }

  private:
    TFAlteraPreco* m_tela;
};

}  // namespace

QString TFAlteraPreco::SqlBombas() {
    return QStringLiteral(
        "Select CodBico, Descricao, CodConcentrador, PrecoVenda From Bombas where "
        "Coalesce(bombas.codconcentrador, '') <> '' Order By CodBico");
}

TFAlteraPreco::TFAlteraPreco(TAmbienteTela ambiente, QWidget* pai)
    : TFrmBasico(std::move(ambiente), pai) {
    setObjectName(QStringLiteral("FAlteraPreco"));
    setWindowTitle(QStringLiteral("Alterar Preços das Bombas"));
    setFixedSize(429, 249);

    Bombas = new TQuery(this);
    Bombas->setObjectName(QStringLiteral("Bombas"));
    Bombas->SetSQL(SqlBombas());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    static_cast<QFrame*>(Panel1)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 429, 203);

    GridBombas = CriaGridBombas(4, Panel1);
    auto* camada = new QVBoxLayout(Panel1);
    camada->setContentsMargins(1, 1, 1, 1);
    camada->addWidget(GridBombas);
    GridBombas->setColumnHidden(ColConcentrador, true);
    GridBombas->setColumnWidth(ColBico, 65);
    GridBombas->setColumnWidth(ColDescricao, 253);
    GridBombas->setColumnWidth(ColPreco, 89);
    GridBombas->horizontalHeader()->setFixedHeight(18);
    GridBombas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GridBombas->setSelectionBehavior(QAbstractItemView::SelectItems);
    GridBombas->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed);
    GridBombas->setTabKeyNavigation(false);
    GridBombas->setItemDelegate(new TEditorPreco(this));

    BtOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&OK"),
                           this);
    BtOk->setObjectName(QStringLiteral("BtOk"));
    BtOk->setGeometry(277, 207, 75, 25);
    BtCancelar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                 QStringLiteral("&Cancelar"), this);
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    BtCancelar->setGeometry(353, 207, 75, 25);
    connect(BtOk, &QPushButton::clicked, this,
            [this] { Ambiente().Executa([this] { BtOkClick(); }); });
    connect(BtCancelar, &QPushButton::clicked, this,
            [this] { Ambiente().Executa([this] { BtCancelarClick(); }); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, 249 - 16, 429, 16);

    FormCreate();
}

TFAlteraPreco::~TFAlteraPreco() = default;

void TFAlteraPreco::FormCreate() {
    TFrmBasico::FormCreate();
    PreencheGrid();
}

void TFAlteraPreco::FormClose() {
    TFrmBasico::FormClose();
    if (FAlteraPreco == this)
        FAlteraPreco = nullptr;
}

QString TFAlteraPreco::Celula(int linha, int coluna) const {
    return TextoCelula(GridBombas, linha, coluna);
}

void TFAlteraPreco::DefineCelula(int linha, int coluna, const QString& texto) {
    DefineTextoCelula(GridBombas, linha, coluna, texto);
}

void TFAlteraPreco::PreencheGrid() {
    GridBombas->setHorizontalHeaderLabels(
        {QStringLiteral("Bico"), QStringLiteral("Descrição"), QStringLiteral("Preço"), QString()});
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
        DefineCelula(linhas, ColPreco,
                     FormatFloat(kMascaraPreco, Bombas->AsFloat(QStringLiteral("PrecoVenda"))));
        DefineCelula(linhas, ColConcentrador, Bombas->AsString(QStringLiteral("CodConcentrador")));
        ++linhas;
    }
    // With no nozzle one empty row stays.
    GridBombas->setRowCount(std::max(linhas, 1));
    GridBombas->setCurrentCell(0, ColBico);
}

bool TFAlteraPreco::GridBombasGetEditText(int coluna, int) const {
    return coluna != ColBico && coluna != ColDescricao;
}

bool TFAlteraPreco::Recusa(const QString& mensagem) {
    Ambiente().Dialogos->Informacao(mensagem);
    GridBombas->setCurrentCell(GridBombas->currentRow(), ColPreco);
    GridBombas->setFocus();
    return false;
}

bool TFAlteraPreco::ValidaCampo(int coluna, int linha) {
    if (coluna == ColBico) {
        GridBombas->setCurrentCell(GridBombas->currentRow(), ColDescricao);
        return true;
    }
    if (coluna != ColPreco)
        return true;
    if (Trim(Celula(linha, ColPreco)).isEmpty())
        return Recusa(QStringLiteral("O preço não pode ficar em branco!"));
    double preco = 0;
    try {
        preco = StrToFloat(Celula(linha, ColPreco));
    } catch (const EErro&) {
        return Recusa(QStringLiteral("Valor Inválido!"));
    }
    // What the cell shows is what counts: a price that rounds to 0,000 is no price.
    DefineCelula(linha, ColPreco, FormatFloat(kMascaraPreco, preco));
    if (!(StrToFloat(Celula(linha, ColPreco)) > 0))
        return Recusa(QStringLiteral("O preço tem que ser maior que zero!"));
    return true;
}

void TFAlteraPreco::GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers) {
    if (Key != VkEnter)
        return;
    if (!ValidaCampo(GridBombas->currentColumn(), GridBombas->currentRow()))
        return;
    const int coluna = GridBombas->currentColumn();
    const int linha = GridBombas->currentRow();
    if (coluna == ColBico || coluna == ColDescricao) {
        GridBombas->setCurrentCell(linha, coluna + 1);
    } else if (linha == GridBombas->rowCount() - 1) {
        BtOk->setFocus();
    } else {
        GridBombas->setCurrentCell(linha + 1, ColPreco);
    }
}

bool TFAlteraPreco::eventFilter(QObject* objeto, QEvent* evento) {
    // The form sees the key first, then the grid.
    if (TFrmBasico::eventFilter(objeto, evento))
        return true;
    if (objeto == GridBombas && evento->type() == QEvent::KeyPress && isVisible()) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            quint16 Key = VkEnter;
            Ambiente().Executa([&] { GridBombasKeyDown(Key, tecla->modifiers()); });
        }
    }
    return false;
}

void TFAlteraPreco::GravaPreco(TQuery& grava, int linha) {
    grava.ParamDouble(QStringLiteral("PPrecoVenda"), StrToFloat(Celula(linha, ColPreco)));
    grava.ParamText(QStringLiteral("PCodBico"), Celula(linha, ColBico));
    // A nozzle removed meanwhile must not pass for a stored price.
    if (grava.ExecSQL() == 0)
        throw EErro(QStringLiteral("O bico %1 não existe mais no banco de dados.")
                        .arg(Celula(linha, ColBico)));
}

void TFAlteraPreco::EnviaPreco(int linha) {
    const double preco = StrToFloat(Celula(linha, ColPreco));
    const QString endereco = TCompanyTec::EnderecoBico(Celula(linha, ColConcentrador));
    Ambiente().Driver().AlteraPrecoBico(endereco, 3, preco);
}

void TFAlteraPreco::BtOkClick() {
    TConexao& conexao = Ambiente().CnVarmeno();
    TTransacao unidade(conexao, TDonoTransacao::Tela);
    TQuery grava;
    grava.SetConnection(&conexao);
    grava.SetSQL(
        QStringLiteral("Update Bombas Set PrecoVenda = :PPrecoVenda Where CodBico = :PCodBico"));
    for (int linha = 0; linha < GridBombas->rowCount(); ++linha) {
        if (!ValidaCampo(ColPreco, linha)) {
            unidade.Desfaz();
            return;
        }
        try {
            GravaPreco(grava, linha);
        } catch (...) {
            // Undone before the error is shown: the box lets the polling
            // cycle run, and it must find no screen's work open.
            unidade.Desfaz();
            throw;
        }
        try {
            EnviaPreco(linha);
        } catch (...) {
            Ambiente().Dialogos->Informacao(QStringLiteral("Erro ao atualizar o preco na Bomba: ") +
                                            Celula(linha, ColConcentrador));
        }
    }
    unidade.Confirma();
}

void TFAlteraPreco::BtCancelarClick() {
    close();
}
