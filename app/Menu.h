#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "app/Comunicador.h"
#include "app/FimAplicacao.h"
#include "data/Relogio.h"
#include "ui/DialogosQt.h"
#include "ui/RelatorioErro.h"

class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QToolButton;
class TIconeBandeja;
class TMenuPrin;

// The place the operator screens plug in; each toolbar button calls one.
// Until the screens exist these open nothing.
class TLancadorTelas {
  public:
    virtual ~TLancadorTelas() = default;
    virtual void AbreTirarEncerrantes(TMenuPrin& /*menu*/) {}
    virtual void AbreAlteraPreco(TMenuPrin& /*menu*/) {}
    virtual void AbreBloqueiaBico(TMenuPrin& /*menu*/) {}
};

// What the program entry and the tests hand the main window; every empty
// member takes the program's own default.
struct TConfiguracaoMenu {
    TDialogos* Dialogos = nullptr;      // message boxes over Qt
    const TRelogio* Relogio = nullptr;  // the computer's clock
    QString DiretorioPrograma;          // the running program's directory
    QString DiretorioTrabalho;          // the process's current directory
    std::function<std::unique_ptr<TConcentrador>()> FabricaConcentrador;  // TCompanyTec
    int EsperaLigaBancoMs = 7000;
    // Wires the fueling decoder and the status publishing into the cycle,
    // before start-up runs.
    std::function<void(TComunicador&)> LigaCaptura;
    std::shared_ptr<TLancadorTelas> Telas;
    // Whether the window lives in the tray; by default, whether the desktop
    // has a tray host.
    std::optional<bool> UsaBandeja;
};

class TMenuPrin final : public QMainWindow, private TJanelaComunicador {
    Q_OBJECT
  public:
    // Creating the window runs the start-up sequence (FormCreate).
    explicit TMenuPrin(TConfiguracaoMenu configuracao = {});
    ~TMenuPrin() override;

    static QString TituloProjeto();

    void DefineVersao(const QString& versao);
    // At start the window stays in the tray; without a tray host it is an
    // ordinary minimised window.
    void MostraInicial();
    // The event loop, honouring an end request made during start-up.
    int Executa();

    TComunicador& Comunicador() { return *m_comunicador; }
    TRelatorioErro& Relatorio() { return m_relatorio; }
    TIconeBandeja& CoolTrayIcon1() { return *m_icone; }
    bool UsaBandeja() const { return m_usaBandeja; }
    bool FimPedido() const { return m_fim.Pedido(); }

    void RestoreMainWindow() override;
    void HideMainWindow() override;
    // The right button on the tray icon brings the program forward before
    // its menu shows.
    void AplicacaoEmPrimeiroPlano();

    void FormShow();
    bool FormCloseQuery() { return true; }
    void FormClose();
    void FormDestroy();

    void Sair1Click();
    void Abrir1Click();
    void CoolTrayIcon1DblClick();
    void SpEncerrantesClick();
    void SpAlteraPrecoClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void VisualizaLogChange();

    // Most recent lines the log view keeps.
    static constexpr int MaximoLinhasLog = 10000;

    QWidget* Panel1 = nullptr;
    QToolButton* SpEncerrantes = nullptr;
    QToolButton* SpAlteraPreco = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QPlainTextEdit* CabecalhoLog = nullptr;
    QPlainTextEdit* VisualizaLog = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Painel0 = nullptr;
    QLabel* Painel1 = nullptr;

  protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void changeEvent(QEvent* evento) override;

  private:
    void MontaTela();

    // TJanelaComunicador
    void MostraCabecalho(const QStringList& linhas) override;
    void LimpaLog() override;
    void CarregaLog(const QStringList& linhas) override;
    void AcrescentaLinhaLog(const QString& linha) override;
    void MostraStatus(const QString& texto) override;
    void PedeFechamento() override;
    void FechaJanela() override;
    void PedeFimAplicacao() override;
    void MostraSituacao(const TSituacaoEstacao& situacao) override;

    TRelogioSistema m_relogioSistema;
    TDialogosQt m_dialogosQt;
    TDialogos* m_dialogos;
    TRelatorioErro m_relatorio;
    TFimAplicacao m_fim;
    std::shared_ptr<TLancadorTelas> m_telas;
    bool m_usaBandeja;
    bool m_fechada = false;
    TIconeBandeja* m_icone = nullptr;
    std::unique_ptr<TComunicador> m_comunicador;
};
