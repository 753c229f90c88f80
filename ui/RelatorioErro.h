#pragma once

#include <QString>
#include <exception>
#include <functional>

class TDialogos;
class TRegistroLog;

// The general error report: what escapes a handler is shown in one error box
// with its text, and the event loop goes on. One box at a time: an error
// that comes while the box is open (a modal box lets events run) goes to the
// error log instead of stacking another box.
class TRelatorioErro final {
  public:
    TRelatorioErro(TDialogos& dialogos, TRegistroLog* log);
    TRelatorioErro(const TRelatorioErro&) = delete;
    TRelatorioErro& operator=(const TRelatorioErro&) = delete;

    void Reporta(const QString& texto);
    void Reporta(const std::exception& e);
    bool CaixaAberta() const { return m_aberta; }

    void DefineLog(TRegistroLog* log) { m_log = log; }

    // Runs `acao`, reporting whatever it raises; for every handler of ours.
    void Executa(const std::function<void()>& acao);

    // The report the application's event filter falls back to; may be empty.
    static TRelatorioErro* Geral();
    static void DefineGeral(TRelatorioErro* relatorio);

  private:
    void Registra(const QString& texto);

    TDialogos& m_dialogos;
    TRegistroLog* m_log;
    bool m_aberta = false;
};

// The text of an error caught as "...": no message of its own.
QString TextoErroDesconhecido();
