#include "screens/TirarEncerrantes.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

#include "concentrator/ClassConcentrador.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Transacao.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"
#include "screens/GradeBicos.h"

QPointer<TFTirarEncerrantes> FTirarEncerrantes;
QString SqlEncerrante;

namespace {

const QString Mascara = QStringLiteral("0.000");
const QString MarcarTodos = QStringLiteral("Marcar Todos");
const QString DesmarcarTodos = QStringLiteral("Desmarcar Todos");
const QString Marca = QStringLiteral("*");
// The reading mode of the totalizer in litres, the letter L.
constexpr char ModoLeitura = 76;

QString Formata(double valor) {
    return FormataNumero(Mascara, valor);
}

// Marked rows are painted by the screen; no cell opens an editor.
class TDesenhoBombas final : public QStyledItemDelegate {
  public:
    explicit TDesenhoBombas(TFTirarEncerrantes& tela)
        : QStyledItemDelegate(tela.GridBombas), m_tela(tela) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!m_tela.GridBombasDrawCell(*painter, index.column(), index.row() + 1, option.rect))
            QStyledItemDelegate::paint(painter, option, index);
    }

    // GridBombasGetEditText: the editor is closed before it opens.
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }

  private:
    TFTirarEncerrantes& m_tela;
};

// The grid's own keys: the space bar reaches GridBombasKeyDown and then the
// grid, which still acts on it.
class TTeclasGrid final : public QObject {
  public:
    explicit TTeclasGrid(TFTirarEncerrantes& tela) : QObject(&tela), m_tela(tela) {}

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::KeyPress) {
            const auto* tecla = static_cast<QKeyEvent*>(evento);
            quint16 Key = TFrmBasico::CodigoTecla(*tecla);
            m_tela.GridBombasKeyDown(Key, tecla->modifiers());
        }
        return QObject::eventFilter(objeto, evento);
    }

  private:
    TFTirarEncerrantes& m_tela;
};

// Re-enables the buttons however the reading pass ends.
class THabilitaAoSair {
  public:
    explicit THabilitaAoSair(std::function<void()> acao) : m_acao(std::move(acao)) {}
    ~THabilitaAoSair() { m_acao(); }
    Q_DISABLE_COPY_MOVE(THabilitaAoSair)

  private:
    std::function<void()> m_acao;
};

}  // namespace

TFTirarEncerrantes::TFTirarEncerrantes(TAmbienteTela ambiente, QWidget* pai)
    : TFrmBasico(std::move(ambiente), pai) {
    setObjectName(QStringLiteral("FTirarEncerrantes"));
    MontaTela();
    FormCreate();
}

TFTirarEncerrantes::~TFTirarEncerrantes() = default;

void TFTirarEncerrantes::MontaTela() {
    setWindowTitle(QStringLiteral("Tirar Encerrantes"));
    setFixedSize(565, 412);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 565, 366);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(1, 1, 1, 1);

    GridBombas = CriaGridBombas(ColunasGrid, Panel1);
    GridBombas->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int larguras[] = {65, 225, 86, 83, 82};
    for (int c = 0; c < 5; ++c)
        GridBombas->setColumnWidth(c, larguras[c]);
    GridBombas->setColumnHidden(ColConcentrador, true);
    GridBombas->setColumnHidden(ColMarca, true);
    GridBombas->setSelectionMode(QAbstractItemView::ContiguousSelection);
    GridBombas->setSelectionBehavior(QAbstractItemView::SelectItems);
    GridBombas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridBombas->setItemDelegate(new TDesenhoBombas(*this));
    GridBombas->installEventFilter(new TTeclasGrid(*this));
    connect(GridBombas, &QTableWidget::cellDoubleClicked, this,
            [this] { Ambiente().Executa([this] { GridBombasDblClick(); }); });
    layout->addWidget(GridBombas);

    auto botao = [this](const char* nome, const QString& texto, QRect r,
                        QStyle::StandardPixmap glifo, void (TFTirarEncerrantes::*clique)()) {
        auto* b = new QPushButton(style()->standardIcon(glifo), texto, this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setGeometry(r);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this,
                [this, clique] { Ambiente().Executa([this, clique] { (this->*clique)(); }); });
        return b;
    };
    BtMarcar = botao("BtMarcar", MarcarTodos, QRect(4, 370, 135, 25), QStyle::SP_DialogApplyButton,
                     &TFTirarEncerrantes::BtMarcarClick);
    BtEncerrantes =
        botao("BtEncerrantes", QStringLiteral("Tirar Encerrantes das Bombas Selecionadas"),
              QRect(144, 370, 263, 25), QStyle::SP_BrowserReload,
              &TFTirarEncerrantes::BtEncerrantesClick);
    QPalette navy = BtEncerrantes->palette();
    navy.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    BtEncerrantes->setPalette(navy);
    BtOk = botao("BtOk", QStringLiteral("&OK"), QRect(411, 370, 75, 25), QStyle::SP_DialogOkButton,
                 &TFTirarEncerrantes::BtOkClick);
    BtCancelar = botao("BtCancelar", QStringLiteral("&Cancelar"), QRect(487, 370, 75, 25),
                       QStyle::SP_DialogCancelButton, &TFTirarEncerrantes::BtCancelarClick);

    StRodape = new QStatusBar(this);
    StRodape->setObjectName(QStringLiteral("StRodape"));
    StRodape->setGeometry(0, 412 - 16, 565, 16);
    StRodape->setSizeGripEnabled(false);
    PainelRodape = new QLabel(StRodape);
    StRodape->addWidget(PainelRodape, 1);

    setTabOrder(GridBombas, BtOk);
    setTabOrder(BtOk, BtCancelar);
    setTabOrder(BtCancelar, BtEncerrantes);
    setTabOrder(BtEncerrantes, BtMarcar);

    // Owned by the screen, so the base form binds them to the connection.
    Bombas = new TQuery(this);
    Bombas->setObjectName(QStringLiteral("Bombas"));
    Bombas->SetSQL(QStringLiteral(
        "Select CodBico, Descricao, CodConcentrador, EncerranteIni From Bombas Order By CodBico"));
    MvTurno = new TDataSet(this);
    MvTurno->setObjectName(QStringLiteral("MvTurno"));
    MvEncerrantes = new TDataSetEditavel(this);
    MvEncerrantes->setObjectName(QStringLiteral("MvEncerrantes"));
}

void TFTirarEncerrantes::FormCreate() {
    TFrmBasico::FormCreate();
    PreencheGrid();
}

void TFTirarEncerrantes::FormClose() {
    TFrmBasico::FormClose();
    if (FTirarEncerrantes == this)
        FTirarEncerrantes = nullptr;
}

// --- The grid --------------------------------------------------------------

int TFTirarEncerrantes::LinhasDados() const {
    return GridBombas->rowCount();
}

QString TFTirarEncerrantes::Celula(int coluna, int linha) const {
    return TextoCelula(GridBombas, linha - 1, coluna);
}

void TFTirarEncerrantes::DefineCelula(int coluna, int linha, const QString& texto) {
    QTableWidgetItem* item = GridBombas->item(linha - 1, coluna);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        GridBombas->setItem(linha - 1, coluna, item);
    }
    item->setText(texto);
}

bool TFTirarEncerrantes::Marcada(int linha) const {
    return !Celula(ColMarca, linha).isEmpty();
}

void TFTirarEncerrantes::PreencheGrid() {
    GridBombas->setHorizontalHeaderLabels({QStringLiteral("Bico"), QStringLiteral("Descrição"),
                                           QStringLiteral("Inicial"), QStringLiteral("Final"),
                                           QStringLiteral("Saida"), QString(), QString()});
    GridBombas->clearContents();
    GridBombas->setRowCount(1);

    Bombas->Close();
    Bombas->Open();
    int linha = 0;
    for (Bombas->First(); !Bombas->Eof(); Bombas->Next()) {
        ++linha;
        GridBombas->setRowCount(linha);
        const QString inicial = Formata(Bombas->AsFloat(QStringLiteral("EncerranteIni")));
        DefineCelula(ColBico, linha, Bombas->AsString(QStringLiteral("CodBico")));
        DefineCelula(ColDescricao, linha, Bombas->AsString(QStringLiteral("Descricao")));
        DefineCelula(ColInicial, linha, inicial);
        DefineCelula(ColFinal, linha, inicial);
        DefineCelula(
            ColSaida, linha,
            Formata(StrToFloat(Celula(ColFinal, linha)) - StrToFloat(Celula(ColInicial, linha))));
        DefineCelula(ColConcentrador, linha, Bombas->AsString(QStringLiteral("CodConcentrador")));
        DefineCelula(ColMarca, linha, QString());
    }
    Bombas->Close();
}

bool TFTirarEncerrantes::GridBombasDrawCell(QPainter& canvas, int coluna, int linha,
                                            const QRect& rect) {
    if (Celula(ColMarca, linha) != Marca)
        return false;
    canvas.save();
    canvas.fillRect(rect, QColor(164, 255, 209));
    canvas.setPen(QColor(0, 0, 255));
    canvas.setFont(GridBombas->font());
    canvas.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, Celula(coluna, linha));
    canvas.restore();
    return true;
}

void TFTirarEncerrantes::AlternaMarca() {
    const int linha = GridBombas->currentRow() + 1;
    if (linha < 1)
        return;
    DefineCelula(ColMarca, linha, Marcada(linha) ? QString() : Marca);
    GridBombas->viewport()->repaint();
}

void TFTirarEncerrantes::GridBombasKeyDown(quint16& Key, Qt::KeyboardModifiers /*shift*/) {
    if (Key == 32)
        AlternaMarca();
}

void TFTirarEncerrantes::GridBombasDblClick() {
    AlternaMarca();
}

void TFTirarEncerrantes::BtMarcarClick() {
    if (BtMarcar->text() == MarcarTodos) {
        for (int linha = 1; linha <= LinhasDados(); ++linha)
            DefineCelula(ColMarca, linha, Marca);
        BtMarcar->setText(DesmarcarTodos);
    } else if (BtMarcar->text() == DesmarcarTodos) {
        for (int linha = 1; linha <= LinhasDados(); ++linha)
            DefineCelula(ColMarca, linha, QString());
        BtMarcar->setText(MarcarTodos);
    }
    GridBombas->viewport()->repaint();
}

// --- Reading ---------------------------------------------------------------

void TFTirarEncerrantes::HabilitaBotoes(bool habilitados) {
    for (QPushButton* b : {BtEncerrantes, BtMarcar, BtOk, BtCancelar})
        b->setEnabled(habilitados);
}

void TFTirarEncerrantes::MostraRodape(const QString& texto) {
    PainelRodape->setText(texto);
    QCoreApplication::processEvents();
}

void TFTirarEncerrantes::BtEncerrantesClick() {
    HabilitaBotoes(false);
    // Also when something other than a reading fails, the screen stays usable.
    const THabilitaAoSair habilita([this] { HabilitaBotoes(true); });
    for (int linha = 1; linha <= LinhasDados(); ++linha) {
        // The rows can change while events run between two readings.
        if (!Marcada(linha) || Celula(ColBico, linha).isEmpty())
            continue;
        const QString codigo = Celula(ColConcentrador, linha);
        double valor = 0;
        QString lido;
        try {
            TConcentrador& driver = Ambiente().Driver();
            driver.LerEncerrante(ModoLeitura, codigo);
            const std::string c = driver.Encerrante.Codigo();
            lido = De1252(c.data(), qsizetype(c.size()));
            valor = driver.Encerrante.Valor();
        } catch (const std::exception&) {
            Ambiente().Dialogos->Informacao(
                QStringLiteral("Erro ao consultar o encerrante do Bico: ") + codigo);
            return;
        }
        // A reading of another nozzle, or none, counts as zero; the zero
        // follows the decimal separator like every other number here.
        DefineCelula(ColFinal, linha, Formata(valor > 0 && lido == codigo ? valor : 0));
        DefineCelula(
            ColSaida, linha,
            Formata(StrToFloat(Celula(ColFinal, linha)) - StrToFloat(Celula(ColInicial, linha))));
        MostraRodape(QStringLiteral("Aguarde, Pesquisando Encerrante do Bico: ") +
                     Celula(ColBico, linha));
    }
    MostraRodape(QStringLiteral("Ok, encerrantes lidos com sucesso..."));
    HabilitaBotoes(true);
    BtMarcarClick();
}

// --- Storing ---------------------------------------------------------------

void TFTirarEncerrantes::BtOkClick() {
    TDialogos& dialogos = *Ambiente().Dialogos;
    const QDateTime agora = Ambiente().Relogio->Agora();
    if (!BuscaTurnoAberto(*MvTurno, DateToStr(agora.date()), TimeToStr(agora.time()), dialogos)) {
        dialogos.Informacao(
            QStringLiteral("Não há turno aberto. Os encerrantes não serão gravados!"));
        return;
    }
    GravaEncerrantes();
    close();
}

void TFTirarEncerrantes::GravaEncerrantes() {
    TDialogos& dialogos = *Ambiente().Dialogos;
    TTransacao transacao(Ambiente().CnVarmeno(), TDonoTransacao::Tela);
    try {
        for (int linha = 1; linha <= LinhasDados(); ++linha) {
            const QString bico = Celula(ColBico, linha);
            if (bico.isEmpty())
                continue;
            SqlEncerrante = QStringLiteral("Select * From MvEncerrantes") +
                            QStringLiteral(" Where CodEmpresa = :PCodEmpresa") +
                            QStringLiteral(" And CodTurno     = :PCodTurno") +
                            QStringLiteral(" And CodBico      = :PCodBico");
            MvEncerrantes->Close();
            MvEncerrantes->SetSQL(SqlEncerrante);
            MvEncerrantes->ParamText(QStringLiteral("PCodEmpresa"), QStringLiteral("00"));
            MvEncerrantes->ParamText(QStringLiteral("PCodTurno"), ControleTurno);
            MvEncerrantes->ParamText(QStringLiteral("PCodBico"), bico);
            MvEncerrantes->Open();
            if (MvEncerrantes->IsEmpty()) {
                MvEncerrantes->Append();
            } else {
                MvEncerrantes->First();
                MvEncerrantes->Edit();
            }
            const QDateTime agora = Ambiente().Relogio->Agora();
            MvEncerrantes->SetField(QStringLiteral("CodEmpresa"), QStringLiteral("00"));
            MvEncerrantes->SetField(QStringLiteral("CodTurno"), ControleTurno);
            MvEncerrantes->SetField(QStringLiteral("CodBico"), bico);
            MvEncerrantes->SetField(QStringLiteral("EncerranteIni"), Celula(ColInicial, linha));
            MvEncerrantes->SetField(QStringLiteral("EncerranteFim"), Celula(ColFinal, linha));
            MvEncerrantes->SetField(QStringLiteral("Saida"), Celula(ColSaida, linha));
            MvEncerrantes->SetField(QStringLiteral("DataLeitura"), agora);
            MvEncerrantes->SetField(QStringLiteral("HoraLeitura"),
                                    agora.time().toString(QStringLiteral("hh:mm:ss")));
            MvEncerrantes->Post();
            MvEncerrantes->ApplyUpdates();
            MostraRodape(QStringLiteral("Aguarde, gravando Encerrante do Bico: ") + bico);
        }
    } catch (...) {
        // Undone before the error is shown, so nothing of it waits open.
        transacao.Desfaz();
        throw;
    }
    try {
        transacao.Confirma();
    } catch (const std::exception& e) {
        transacao.Desfaz();
        dialogos.Informacao(QStringLiteral("Erro ao gravar as informações no banco ") +
                            MensagemDe(e));
        return;
    }
    dialogos.Informacao(QStringLiteral("Encerrantes gravados com sucesso!"));
}

void TFTirarEncerrantes::BtCancelarClick() {
    close();
}
