#pragma once

#include <QDialog>
#include <QtGlobal>

#include "screens/AmbienteTela.h"

class QKeyEvent;

// The common ancestor of the screens that work on the station database: Enter
// moves to the next control, the Up arrow to the previous one, Escape closes
// the screen, one hook per function key; the form sees every key before the
// focused control does, binds its datasets to the main connection when it is
// created and frees itself once closed.
class TFrmBasico : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmBasico(TAmbienteTela ambiente, QWidget* pai = nullptr);
    ~TFrmBasico() override;
    Q_DISABLE_COPY_MOVE(TFrmBasico)

    // Virtual-key codes of the keys the form looks at.
    static constexpr quint16 VkClear = 12;
    static constexpr quint16 VkEnter = 13;
    static constexpr quint16 VkEscape = 27;
    static constexpr quint16 VkSetaAcima = 38;
    static constexpr quint16 VkF1 = 112;
    static constexpr quint16 VkF12 = 123;
    // The key's virtual-key code; 0 for a key without one.
    static quint16 CodigoTecla(const QKeyEvent& evento);

    // Last key pressed while the screen had the keyboard; 0 means none.
    quint16 UltimaTecla = 0;

    // The hooks, in slot order. A hook that changes Key keeps the key from
    // the focused control.
    virtual bool TeclaF1(quint16& Key);
    virtual bool TeclaF2(quint16& Key);
    virtual bool TeclaF3(quint16& Key);
    virtual bool TeclaF4(quint16& Key);
    virtual bool TeclaF5(quint16& Key);
    virtual bool TeclaF6(quint16& Key);
    virtual bool TeclaF7(quint16& Key);
    virtual bool TeclaF8(quint16& Key);
    virtual bool TeclaF9(quint16& Key);
    virtual bool TeclaF10(quint16& Key);
    virtual bool TeclaF11(quint16& Key);
    virtual bool TeclaF12(quint16& Key);
    virtual bool TeclaEsc(quint16& Key);
    virtual bool TeclaEnter(quint16& Key);
    virtual bool TeclaSetaAcima(quint16& Key);
    virtual bool PodeFechar(quint16& Key);
    virtual bool UltimaTeclaEnter() const;
    virtual bool UltimaTeclaEsc() const;

    // The two tests on the focused control: a grid or a multi-line text box
    // (a grid's cell editor counts as its grid), and a combo box whose list
    // is showing.
    bool ControleDonoDoTexto(const QWidget* controle) const;
    bool ListaAberta(const QWidget* controle) const;
    // The focused control, also while one of the screen's lists is open.
    QWidget* ControleAtivo() const;

    const TAmbienteTela& Ambiente() const { return m_ambiente; }

    void done(int resultado) override;

  protected:
    // Binds every dataset owned by the screen to the main connection; the
    // derived screen calls it once its datasets exist, before its own start.
    void FormCreate();
    void FormActivate();
    void FormKeyDown(quint16& Key, Qt::KeyboardModifiers shift);
    void FormKeyUp(quint16& Key, Qt::KeyboardModifiers shift);
    // The screen frees itself once closed; derived screens call this first
    // and then clear their own single-instance reference.
    virtual void FormClose();

    bool eventFilter(QObject* objeto, QEvent* evento) override;
    bool event(QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

  private:
    // The screen's own widget (or one of its lists) the key went to; null
    // for keys of other windows.
    QWidget* DestinoDaTecla(QObject* objeto) const;
    void FocoVizinho(bool proximo);

    TAmbienteTela m_ambiente;
    bool m_posicionada = false;
};
