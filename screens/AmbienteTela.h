#pragma once

#include <QString>
#include <functional>

class QWidget;
class TConcentrador;
class TConexao;
class TDialogos;
class TRelogio;

// What an operator screen takes from the main window. The program fills it
// from the window; tests hand in their own connection, driver and dialogs.
struct TAmbienteTela {
    TConexao* Conexao = nullptr;  // CnVarmeno
    // The driver of the moment; the window creates it during start-up, so it
    // is asked for at each use.
    std::function<TConcentrador*()> Concentrador;
    TDialogos* Dialogos = nullptr;
    const TRelogio* Relogio = nullptr;
    // The general error report: what a screen action raises ends there.
    std::function<void(const QString&)> ReportaErro;
    // The main window: owner of the screens it owns and the one they are
    // centred over. May be empty.
    QWidget* Janela = nullptr;

    // The driver; raises when there is none.
    TConcentrador& Driver() const;
    TConexao& CnVarmeno() const;

    // Runs one screen action and hands whatever it raises to the general
    // error report, so nothing escapes a Qt event handler.
    void Executa(const std::function<void()>& acao) const;
    void Reporta(const QString& texto) const;
};
