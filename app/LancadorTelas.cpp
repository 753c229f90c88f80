#include "app/LancadorTelas.h"

#include "concentrator/ClassConcentrador.h"
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
    FTirarEncerrantes->exec();
}

void TLancadorTelasPrograma::AbreAlteraPreco(TMenuPrin& menu) {
    TLancadorTelas::AbreAlteraPreco(menu);
}

void TLancadorTelasPrograma::AbreBloqueiaBico(TMenuPrin& menu) {
    TLancadorTelas::AbreBloqueiaBico(menu);
}
