#include <QCoreApplication>
#include <QObject>
#include <clocale>
#include <memory>

#include "app/LancadorTelas.h"
#include "app/Menu.h"
#include "app/SinaisTermino.h"
#include "app/TravaExecucao.h"
#include "capture/CapturaComDiario.h"
#include "concentrator/StatusBicos.h"
#include "data/DataSet.h"
#include "data/EncerramentoBanco.h"
#include "data/FormatSettings.h"
#include "ui/Aplicacao.h"
#include "ui/DialogosQt.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InicializaFormatSettings();

    TAplicacao aplicacao(argc, argv);
    // The application object sets the locale again; number conversions of
    // the C library must stay independent of it.
    std::setlocale(LC_NUMERIC, "C");
    // Message boxes come and go while the window sits in the tray.
    aplicacao.setQuitOnLastWindowClosed(false);

    // Held while the program runs. A second copy beside it (autostart and a
    // manual start) would share the journal, the logs and the serial port:
    // it says so and ends before touching any of them.
    TTravaExecucao trava(QCoreApplication::applicationDirPath());
    try {
        if (!trava.Adquire()) {
            TDialogosQt().Informacao(QStringLiteral("O comunicador já está em execução."));
            return 0;
        }
    } catch (const std::exception&) {
        // A folder that cannot hold the file: the program runs all the same,
        // and takes no fueling while its journal cannot be written there.
    }

    // Installed before start-up, handled once it has finished.
    TSinaisTermino sinais;

    TConfiguracaoMenu configuracao;
    configuracao.LigaCaptura = [](TComunicador& c) {
        // The journal of pending fuelings lives beside the program.
        c.DefineCaptura(std::make_unique<TCapturaComDiario>(c.AmbienteCaptura(),
                                                            c.DiretorioPrograma(), c.Relogio()));
        // The driver exists only once start-up has created it.
        c.DefinePublicacaoStatus(std::make_unique<TStatusBicos>(
            c.CnVarmeno, [&c] { return c.Concentrador.get(); }, c, &c.Relogio()));
    };
    configuracao.Telas = std::make_shared<TLancadorTelasPrograma>();
    int codigo = 0;
    {
        TMenuPrin janela(std::move(configuracao));
        janela.DefineVersao(QStringLiteral("v15.02ad"));

        QObject::connect(&sinais, &TSinaisTermino::Termino, &janela, &TMenuPrin::Sair1Click);
        sinais.Ativa();

        janela.MostraInicial();
        codigo = janela.Executa();
    }
    // The window has closed its connection: the engine's threads stop now,
    // before the process's own exit handlers run.
    EncerraBanco();
    return codigo;
}
