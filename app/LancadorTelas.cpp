#include "app/LancadorTelas.h"

#include "concentrator/ClassConcentrador.h"

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

void TLancadorTelasPrograma::AbreTirarEncerrantes(TMenuPrin& menu) {
    TLancadorTelas::AbreTirarEncerrantes(menu);
}

void TLancadorTelasPrograma::AbreAlteraPreco(TMenuPrin& menu) {
    TLancadorTelas::AbreAlteraPreco(menu);
}

void TLancadorTelasPrograma::AbreBloqueiaBico(TMenuPrin& menu) {
    TLancadorTelas::AbreBloqueiaBico(menu);
}
