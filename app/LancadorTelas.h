#pragma once

#include "app/Menu.h"
#include "screens/AmbienteTela.h"

// The program's operator screens behind the toolbar buttons, over the main
// window's connection, driver, dialogs and general error report.
class TLancadorTelasPrograma final : public TLancadorTelas {
  public:
    void AbreTirarEncerrantes(TMenuPrin& menu) override;
    void AbreAlteraPreco(TMenuPrin& menu) override;
    void AbreBloqueiaBico(TMenuPrin& menu) override;

    // What the screens take from the window.
    static TAmbienteTela AmbienteDe(TMenuPrin& menu);
};
