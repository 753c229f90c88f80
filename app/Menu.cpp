#include "app/Menu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "concentrator/ClassConcentrador.h"
#include "ui/IconeBandeja.h"
#include "ui/Icones.h"

namespace {
QToolButton* Botao(QWidget* pai, const char* nome, const QString& texto, const QIcon& icone,
                   const QRect& geometria) {
    auto* b = new QToolButton(pai);
    b->setObjectName(QLatin1String(nome));
    b->setText(texto);
    b->setIcon(icone);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometria);
    return b;
}

void Cores(QWidget* w, const QColor& fundo, const QColor& texto) {
    QPalette p = w->palette();
    for (auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(grupo, QPalette::Base, fundo);
        p.setColor(grupo, QPalette::Window, fundo);
        p.setColor(grupo, QPalette::Text, texto);
    }
    w->setPalette(p);
}

QString DiretorioDoPrograma() {
    return QCoreApplication::applicationDirPath();
}
}  // namespace

QString TMenuPrin::TituloProjeto() {
    return QStringLiteral("Comunicação com o Concentrador CompanyTec v15.01ea");
}

TMenuPrin::TMenuPrin(TConfiguracaoMenu cfg)
    : m_dialogos(cfg.Dialogos ? cfg.Dialogos : &m_dialogosQt),
      m_relatorio(*m_dialogos, nullptr),
      m_telas(cfg.Telas ? cfg.Telas : std::make_shared<TLancadorTelas>()),
      m_usaBandeja(cfg.UsaBandeja.value_or(TIconeBandeja::Disponivel())) {
    MontaTela();

    TAmbienteComunicador ambiente;
    ambiente.Dialogos = m_dialogos;
    ambiente.Relogio = cfg.Relogio ? cfg.Relogio : &m_relogioSistema;
    ambiente.Janela = this;
    ambiente.DiretorioPrograma =
        cfg.DiretorioPrograma.isEmpty() ? DiretorioDoPrograma() : cfg.DiretorioPrograma;
    ambiente.DiretorioTrabalho =
        cfg.DiretorioTrabalho.isEmpty() ? QDir::currentPath() : cfg.DiretorioTrabalho;
    ambiente.FabricaConcentrador = std::move(cfg.FabricaConcentrador);
    ambiente.EsperaLigaBancoMs = cfg.EsperaLigaBancoMs;
    ambiente.ReportaErro = [this](const QString& texto) { m_relatorio.Reporta(texto); };
    m_comunicador = std::make_unique<TComunicador>(std::move(ambiente));

    // The general report's second error of a burst goes to the error log.
    m_relatorio.DefineLog(m_comunicador.get());
    TRelatorioErro::DefineGeral(&m_relatorio);

    if (cfg.LigaCaptura)
        cfg.LigaCaptura(*m_comunicador);

    m_relatorio.Executa([this] { m_comunicador->FormCreate(); });
}

TMenuPrin::~TMenuPrin() {
    FormDestroy();
    if (TRelatorioErro::Geral() == &m_relatorio)
        TRelatorioErro::DefineGeral(nullptr);
}

void TMenuPrin::MontaTela() {
    setObjectName(QStringLiteral("MenuPrin"));
    setWindowTitle(TituloProjeto());
    setWindowIcon(IconePrograma());
    // A title bar without a system menu, and so without caption buttons: the
    // program ends through the tray menu. Without a tray there is no such
    // menu, so the frame keeps its buttons, and its close box takes the same
    // path as "&Sair".
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!m_usaBandeja)
        flags |= Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setFixedSize(751, 447);
    move(201, 111);

    auto* centro = new QWidget(this);
    auto* coluna = new QVBoxLayout(centro);
    coluna->setContentsMargins(0, 0, 0, 0);
    coluna->setSpacing(0);

    Panel1 = new QWidget(centro);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(25);
    SpEncerrantes = Botao(Panel1, "SpEncerrantes", QStringLiteral("&Tirar Encerrantes"),
                          IconeEncerrantes(), QRect(0, 1, 126, 22));
    SpAlteraPreco = Botao(Panel1, "SpAlteraPreco", QStringLiteral("&Alterar Preços"),
                          IconeAlteraPreco(), QRect(126, 1, 126, 22));
    SpeedButton2 = Botao(Panel1, "SpeedButton2", QStringLiteral("Alterar &Data/Hora"),
                         IconeDataHora(), QRect(252, 1, 126, 22));
    SpeedButton1 = Botao(Panel1, "SpeedButton1", QStringLiteral("&Bloquear/Desbloquear Bico"),
                         IconeBloqueio(), QRect(378, 1, 175, 22));
    connect(SpEncerrantes, &QToolButton::clicked, this, &TMenuPrin::SpEncerrantesClick);
    connect(SpAlteraPreco, &QToolButton::clicked, this, &TMenuPrin::SpAlteraPrecoClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMenuPrin::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMenuPrin::SpeedButton1Click);
    coluna->addWidget(Panel1);

    QFont mono(QStringLiteral("Liberation Mono"), 8);
    mono.setStyleHint(QFont::TypeWriter);

    CabecalhoLog = new QPlainTextEdit(centro);
    CabecalhoLog->setObjectName(QStringLiteral("CabecalhoLog"));
    CabecalhoLog->setFixedHeight(52);
    QFont negrito = mono;
    negrito.setBold(true);
    CabecalhoLog->setFont(negrito);
    Cores(CabecalhoLog, Qt::black, Qt::blue);
    CabecalhoLog->setReadOnly(true);
    CabecalhoLog->setEnabled(false);
    CabecalhoLog->setFocusPolicy(Qt::NoFocus);
    CabecalhoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    CabecalhoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CabecalhoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    coluna->addWidget(CabecalhoLog);

    VisualizaLog = new QPlainTextEdit(centro);
    VisualizaLog->setObjectName(QStringLiteral("VisualizaLog"));
    VisualizaLog->setFrameShape(QFrame::NoFrame);
    VisualizaLog->setFont(mono);
    Cores(VisualizaLog, Qt::black, QColor(0, 255, 0));
    VisualizaLog->setReadOnly(true);
    VisualizaLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    VisualizaLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    VisualizaLog->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    VisualizaLog->setMaximumBlockCount(MaximoLinhasLog);
    connect(VisualizaLog, &QPlainTextEdit::textChanged, this, &TMenuPrin::VisualizaLogChange);
    coluna->addWidget(VisualizaLog, 1);
    setCentralWidget(centro);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    Painel0 = new QLabel(TComunicador::TextoStatusInicial(), StatusBar1);
    Painel0->setObjectName(QStringLiteral("Painel0"));
    Painel0->setFixedWidth(250);
    Painel1 = new QLabel(StatusBar1);
    Painel1->setObjectName(QStringLiteral("Painel1"));
    Painel1->setFixedWidth(50);
    StatusBar1->addWidget(Painel0);
    StatusBar1->addWidget(Painel1);
    setStatusBar(StatusBar1);

    m_icone = new TIconeBandeja(IconePrograma(), this);
    connect(m_icone, &TIconeBandeja::DuploClique, this, &TMenuPrin::CoolTrayIcon1DblClick);
    connect(m_icone, &TIconeBandeja::Abrir, this, &TMenuPrin::Abrir1Click);
    connect(m_icone, &TIconeBandeja::Sair, this, &TMenuPrin::Sair1Click);
    connect(m_icone, &TIconeBandeja::AntesDoMenu, this, &TMenuPrin::AplicacaoEmPrimeiroPlano);
}

void TMenuPrin::DefineVersao(const QString& versao) {
    m_comunicador->Versao = versao;
}

void TMenuPrin::MostraInicial() {
    if (m_usaBandeja)
        return;
    showMinimized();
}

int TMenuPrin::Executa() {
    return m_fim.Executa();
}

// ---------------------------------------------------------------- tray

void TMenuPrin::RestoreMainWindow() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TMenuPrin::HideMainWindow() {
    hide();
}

void TMenuPrin::AplicacaoEmPrimeiroPlano() {
    // In the tray nothing of the program is showing; the menu comes up alone.
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

void TMenuPrin::CoolTrayIcon1DblClick() {
    RestoreMainWindow();
}
void TMenuPrin::Abrir1Click() {
    RestoreMainWindow();
}
void TMenuPrin::Sair1Click() {
    close();
}

void TMenuPrin::changeEvent(QEvent* evento) {
    QMainWindow::changeEvent(evento);
    if (evento->type() == QEvent::WindowStateChange && m_usaBandeja && isMinimized()) {
        // Hiding from inside the state change confuses some window managers.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                HideMainWindow();
        });
    }
}

// ---------------------------------------------------------------- life

void TMenuPrin::showEvent(QShowEvent* evento) {
    QMainWindow::showEvent(evento);
    // A window manager's restore of a minimised window is no new showing.
    if (!evento->spontaneous())
        m_relatorio.Executa([this] { FormShow(); });
}

void TMenuPrin::FormShow() {
    m_icone->DefineHint(windowTitle());
    setWindowTitle(QStringLiteral("Varmeno for Windows - Comunicador CompanyTec ") +
                   m_comunicador->Versao);
}

void TMenuPrin::closeEvent(QCloseEvent* evento) {
    // Signals, the tray menu and a message box's own loop can all ask for
    // the close inside a cycle; the cycle finishes first.
    if (m_comunicador->CicloEmAndamento()) {
        evento->ignore();
        m_comunicador->ForaDoCiclo([this] { close(); });
        return;
    }
    // A second request (Ctrl+C twice, a signal after "&Sair") finds the
    // port already closed and the end already asked for.
    if (m_fechada) {
        evento->accept();
        return;
    }
    if (!FormCloseQuery()) {
        evento->ignore();
        return;
    }
    m_fechada = true;
    m_relatorio.Executa([this] { FormClose(); });
    evento->accept();
    // Closing the main window ends the application.
    m_fim.Pede();
}

void TMenuPrin::FormClose() {
    m_comunicador->FormClose();
}

void TMenuPrin::FormDestroy() {
    if (m_comunicador)
        m_comunicador->FormDestroy();
}

// ---------------------------------------------------------------- toolbar

void TMenuPrin::SpEncerrantesClick() {
    m_relatorio.Executa([this] { m_telas->AbreTirarEncerrantes(*this); });
}

void TMenuPrin::SpAlteraPrecoClick() {
    m_relatorio.Executa([this] { m_telas->AbreAlteraPreco(*this); });
}

void TMenuPrin::SpeedButton1Click() {
    m_relatorio.Executa([this] { m_telas->AbreBloqueiaBico(*this); });
}

void TMenuPrin::SpeedButton2Click() {
    m_relatorio.Executa([this] { m_comunicador->SpeedButton2Click(); });
}

// ---------------------------------------------------------------- log views

void TMenuPrin::VisualizaLogChange() {
    const QTextDocument* doc = VisualizaLog->document();
    const int linhas = doc->isEmpty() ? 0 : doc->blockCount();
    Painel1->setText(QStringLiteral("Total de Abastecimentos: ") + QString::number(linhas));
}

void TMenuPrin::MostraCabecalho(const QStringList& linhas) {
    CabecalhoLog->setPlainText(linhas.join(QLatin1Char('\n')));
}

void TMenuPrin::LimpaLog() {
    VisualizaLog->clear();
}

void TMenuPrin::CarregaLog(const QStringList& linhas) {
    const qsizetype inicio = std::max<qsizetype>(0, linhas.size() - MaximoLinhasLog);
    VisualizaLog->setPlainText(linhas.mid(inicio).join(QLatin1Char('\n')));
}

void TMenuPrin::AcrescentaLinhaLog(const QString& linha) {
    VisualizaLog->appendPlainText(linha);
    VisualizaLog->moveCursor(QTextCursor::End);
}

void TMenuPrin::MostraStatus(const QString& texto) {
    Painel0->setText(texto);
}

void TMenuPrin::MostraSituacao(const TSituacaoEstacao& situacao) {
    m_icone->DefineAlertas(TAlertasBandeja{.BancoInacessivel = situacao.BancoInacessivel,
                                           .Pendentes = situacao.Pendentes,
                                           .Retidos = situacao.Retidos});
    // Without a tray host the minimised window is what the station sees.
    if (!m_usaBandeja)
        setWindowIcon(m_icone->IconeAtual());
}

void TMenuPrin::PedeFechamento() {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void TMenuPrin::FechaJanela() {
    close();
}

void TMenuPrin::PedeFimAplicacao() {
    m_fim.Pede();
}
