#include "screens/FormBasico.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>

#include "data/Bde.h"
#include "screens/GradeBicos.h"

TFrmBasico::TFrmBasico(TAmbienteTela ambiente, QWidget* pai)
    : QDialog(pai), m_ambiente(std::move(ambiente)) {
    setObjectName(QStringLiteral("FrmBasico"));
    setWindowTitle(QStringLiteral("Formulário Básico"));
    // Fixed border with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(474, 287);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setAttribute(Qt::WA_DeleteOnClose);
    // Key preview: the form sees the keys of all its controls first, also of
    // those created later (a grid's cell editor, a combo box's list).
    qApp->installEventFilter(this);
}

TFrmBasico::~TFrmBasico() = default;

quint16 TFrmBasico::CodigoTecla(const QKeyEvent& evento) {
    const int k = evento.key();
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return quint16(VkF1 + (k - Qt::Key_F1));
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return quint16(k);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Clear:
            return VkClear;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VkEnter;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return VkEscape;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return VkSetaAcima;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------- hooks

bool TFrmBasico::TeclaF1(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF2(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF3(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF4(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF5(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF6(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF7(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF8(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF9(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF10(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF11(quint16&) {
    return true;
}
bool TFrmBasico::TeclaF12(quint16&) {
    return true;
}

bool TFrmBasico::TeclaEsc(quint16& Key) {
    if (ListaAberta(ControleAtivo()))
        return true;  // the list closes itself
    if (PodeFechar(Key))
        close();
    return true;
}

bool TFrmBasico::TeclaEnter(quint16&) {
    const QWidget* controle = ControleAtivo();
    if (ControleDonoDoTexto(controle) || ListaAberta(controle))
        return true;
    FocoVizinho(true);
    return true;
}

bool TFrmBasico::TeclaSetaAcima(quint16& Key) {
    const QWidget* controle = ControleAtivo();
    if (ControleDonoDoTexto(controle) || ListaAberta(controle))
        return true;
    Key = VkClear;
    FocoVizinho(false);
    return true;
}

bool TFrmBasico::PodeFechar(quint16&) {
    return true;
}

bool TFrmBasico::UltimaTeclaEnter() const {
    return UltimaTecla == VkEnter;
}

bool TFrmBasico::UltimaTeclaEsc() const {
    return UltimaTecla == VkEscape;
}

// ---------------------------------------------------------------- controls

bool TFrmBasico::ControleDonoDoTexto(const QWidget* controle) const {
    for (const QWidget* w = controle; w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
            qobject_cast<const QPlainTextEdit*>(w))
            return true;
    }
    return false;
}

bool TFrmBasico::ListaAberta(const QWidget* controle) const {
    const auto* combo = qobject_cast<const QComboBox*>(controle);
    return combo != nullptr && combo->view() != nullptr && combo->view()->isVisible();
}

QWidget* TFrmBasico::ControleAtivo() const {
    // While a combo box's list is showing the keyboard is the list's; the
    // control is still the combo box.
    if (QWidget* lista = QApplication::activePopupWidget()) {
        auto* combo = qobject_cast<QComboBox*>(lista->parentWidget());
        if (combo != nullptr && isAncestorOf(combo))
            return combo;
    }
    QWidget* foco = QApplication::focusWidget();
    if (foco != nullptr && foco->window() == this)
        return foco;
    return nullptr;
}

void TFrmBasico::FocoVizinho(bool proximo) {
    // The dialog's focus chain holds the tab stops in tab order and wraps.
    focusNextPrevChild(proximo);
}

// ---------------------------------------------------------------- events

void TFrmBasico::FormCreate() {
    LigaDataSets(this, m_ambiente.CnVarmeno());
}

void TFrmBasico::FormActivate() {
    UltimaTecla = 0;
}

void TFrmBasico::FormKeyDown(quint16& Key, Qt::KeyboardModifiers) {
    UltimaTecla = Key;
    // The shift state does not matter: Ctrl+Enter is Enter, Shift+F5 is F5.
    if (Key == VkEnter)
        TeclaEnter(Key);
    else if (Key == VkEscape)
        TeclaEsc(Key);
    else if (Key == VkSetaAcima)
        TeclaSetaAcima(Key);
    else if (Key >= VkF1 && Key <= VkF12) {
        bool (TFrmBasico::*const teclas[])(quint16&) = {
            &TFrmBasico::TeclaF1,  &TFrmBasico::TeclaF2,  &TFrmBasico::TeclaF3,
            &TFrmBasico::TeclaF4,  &TFrmBasico::TeclaF5,  &TFrmBasico::TeclaF6,
            &TFrmBasico::TeclaF7,  &TFrmBasico::TeclaF8,  &TFrmBasico::TeclaF9,
            &TFrmBasico::TeclaF10, &TFrmBasico::TeclaF11, &TFrmBasico::TeclaF12};
        (this->*teclas[Key - VkF1])(Key);
    }
}

void TFrmBasico::FormKeyUp(quint16&, Qt::KeyboardModifiers) {
    UltimaTecla = 0;
}

void TFrmBasico::FormClose() {
    deleteLater();
}

void TFrmBasico::done(int resultado) {
    QDialog::done(resultado);
    FormClose();
}

QWidget* TFrmBasico::DestinoDaTecla(QObject* objeto) const {
    if (!objeto->isWidgetType())
        return nullptr;
    // A closed screen sees no more keys, also not the rest of the one that
    // closed it on its way up.
    if (!isVisible())
        return nullptr;
    auto* w = static_cast<QWidget*>(objeto);
    QWidget* janela = w->window();
    if (janela == this) {
        // A key the focused control ignores travels up to its parents;
        // the form looks at it once, when it reaches the control.
        QWidget* foco = QApplication::focusWidget();
        if (foco != nullptr && foco->window() == this)
            return w == foco ? w : nullptr;
        return w == this ? w : nullptr;
    }
    auto* combo = qobject_cast<QComboBox*>(janela->parentWidget());
    if (combo != nullptr && isAncestorOf(combo) && janela == QApplication::activePopupWidget()) {
        QWidget* primeiro = janela->focusWidget() ? janela->focusWidget() : janela;
        return w == primeiro ? w : nullptr;
    }
    return nullptr;
}

bool TFrmBasico::eventFilter(QObject* objeto, QEvent* evento) {
    const QEvent::Type tipo = evento->type();
    if (tipo != QEvent::KeyPress && tipo != QEvent::KeyRelease)
        return false;
    if (DestinoDaTecla(objeto) == nullptr)
        return false;
    auto* tecla = static_cast<QKeyEvent*>(evento);
    quint16 Key = CodigoTecla(*tecla);
    if (tipo == QEvent::KeyRelease) {
        // A held key repeats as release and press pairs; it is still down.
        if (!tecla->isAutoRepeat())
            FormKeyUp(Key, tecla->modifiers());
        return false;
    }
    // Enter on a focused button presses it, as the toolkit does.
    if (Key == VkEnter && qobject_cast<QAbstractButton*>(objeto)) {
        UltimaTecla = Key;
        return false;
    }
    const quint16 original = Key;
    bool consumida = false;
    m_ambiente.Executa([&] {
        FormKeyDown(Key, tecla->modifiers());
        consumida = Key != original;
    });
    return consumida;
}

bool TFrmBasico::event(QEvent* evento) {
    if (evento->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(evento);
}

void TFrmBasico::keyPressEvent(QKeyEvent* evento) {
    // Enter and Escape belong to the form's own convention, not to the
    // dialog's default button and its rejection.
    if (!EngoleEnterEscape(evento))
        QDialog::keyPressEvent(evento);
}

void TFrmBasico::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!m_posicionada) {
        m_posicionada = true;
        if (const QScreen* tela = screen()) {
            QRect r = frameGeometry();
            r.moveCenter(tela->availableGeometry().center());
            move(r.topLeft());
        }
    }
}
