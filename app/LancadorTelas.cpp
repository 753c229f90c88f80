#include "app/LancadorTelas.h"

#include <memory>

#include "concentrator/ClassConcentrador.h"
#include "screens/AlteraPreco.h"
#include "screens/BloqueiaBico.h"
#include "screens/TirarEncerrantes.h"

TAmbienteTela TLancadorTelasPrograma::AmbienteDe(TMenuPrin& menu) {
    TComunicador& c = menu.Comunicador();
    TAmbienteTela a;
    a.Conexao = &c.CnVarmeno;
    a.Concentrador = [&c] { return c.Concentrador.get(); };
    a.Dialogos = &c.Dialogos();
    a.Relogio = &c.Relogio();
    a.ReportaErro = [&menu](const QString& texto) { menu.Relatorio().Reporta(texto); };
    a.Janela = &menu;
    return a;
}

// One screen at a time, owned by no window: it frees itself once closed and
// empties FTirarEncerrantes, so every click opens a fresh one.
void TLancadorTelasPrograma::AbreTirarEncerrantes(TMenuPrin& menu) {
    if (FTirarEncerrantes.isNull())
        FTirarEncerrantes = new TFTirarEncerrantes(AmbienteDe(menu));
    if (FTirarEncerrantes->isVisible()) {
        FTirarEncerrantes->activateWindow();
        return;
    }
    FTirarEncerrantes->exec();
}

void TLancadorTelasPrograma::AbreAlteraPreco(TMenuPrin& menu) {
    // Owned by the application; it frees itself and empties the reference
    // when it closes, so every opening starts afresh.
    if (FAlteraPreco.isNull())
        FAlteraPreco = new TFAlteraPreco(AmbienteDe(menu));
    if (FAlteraPreco->isVisible()) {
        FAlteraPreco->activateWindow();
        return;
    }
    FAlteraPreco->exec();
}

void TLancadorTelasPrograma::AbreBloqueiaBico(TMenuPrin& menu) {
    // Freed here once closed, and also when opening it fails.
    const auto tela = std::make_unique<TFBloqDesbBico>(AmbienteDe(menu), &menu);
    tela->AbreTela();
}
