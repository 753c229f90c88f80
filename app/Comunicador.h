#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/LogArquivos.h"
#include "capture/ProcessaAbastecimento.h"
#include "data/Bde.h"
#include "data/Conexao.h"
#include "data/RegistroLog.h"

class TCaptura;
class TConcentrador;
class TDataSet;
class TDataSetEditavel;
class TDialogos;
class TPublicacaoStatus;
class TQuery;
class TRelogio;

// Trouble the station should see without opening the window.
struct TSituacaoEstacao {
    bool BancoInacessivel = false;
    bool Pendentes = false;  // fuelings in the journal, not yet stored
    bool Retidos = false;    // kept records exist
    bool operator==(const TSituacaoEstacao&) const = default;
};

// What the logic needs the main window to show or do.
class TJanelaComunicador {
  public:
    virtual ~TJanelaComunicador() = default;

    virtual void MostraCabecalho(const QStringList& linhas) = 0;
    virtual void LimpaLog() = 0;
    virtual void CarregaLog(const QStringList& linhas) = 0;
    virtual void AcrescentaLinhaLog(const QString& linha) = 0;
    // Status bar panel 0.
    virtual void MostraStatus(const QString& texto) = 0;

    virtual void RestoreMainWindow() = 0;
    virtual void HideMainWindow() = 0;
    // A close request the event loop handles later (start-up failure).
    virtual void PedeFechamento() = 0;
    // Closes the window now, the same path as the tray's "&Sair".
    virtual void FechaJanela() = 0;
    // Ends the event loop; a request made before the loop runs is kept.
    virtual void PedeFimAplicacao() = 0;
    // After start-up and after every cycle.
    virtual void MostraSituacao(const TSituacaoEstacao& /*situacao*/) {}
};

// Everything from outside that the logic uses.
struct TAmbienteComunicador {
    TDialogos* Dialogos = nullptr;
    const TRelogio* Relogio = nullptr;
    TJanelaComunicador* Janela = nullptr;
    // Directory of the running program (log files, VarmenoECF.INI, BDE.ini)
    // and the working directory (Caminho.ini).
    QString DiretorioPrograma;
    QString DiretorioTrabalho;
    std::function<std::unique_ptr<TConcentrador>()> FabricaConcentrador;
    // Pause between connection attempts; the thread sleeps, no events run.
    int EsperaLigaBancoMs = 7000;
    // Least time between two reconnect attempts while the database is out
    // of reach.
    int IntervaloReconexaoMs = 10000;
    // Lets pending events run; by default QCoreApplication::processEvents.
    std::function<void()> ProcessaEventos;
    // The general error report for what escapes a handler; by default the
    // error log.
    std::function<void(const QString&)> ReportaErro;
};

// The main window's logic without widgets: the connection and the long-lived
// datasets, the concentrator driver, the start-up sequence, the polling
// cycle and the logs. Its datasets are its direct children, so
// LigaDataSets(this, CnVarmeno) binds every one of them.
class TComunicador final : public QObject, public TRegistroLog {
    Q_OBJECT
  public:
    explicit TComunicador(TAmbienteComunicador ambiente, QObject* dono = nullptr);
    ~TComunicador() override;

    // Start-up steps 1-13 under one error handler.
    void FormCreate();
    void LigaBanco();
    bool AbreConexao();
    void EscreveCabecalhoLog();

    // One polling cycle. An error of the status publishing leaves it (the
    // timer is on again by then); the timer's own slot reports it.
    void LeConcentradorTimer();
    // What the timer's expiry runs: one cycle, with whatever escapes it sent
    // to the general error report.
    void DisparoLeConcentrador();
    void AnimaStatus();
    // Whether the database answers; once it stopped, every call tries to
    // reconnect. The error log gets one line when an outage starts and one
    // when it ends; panel 0 says so meanwhile.
    bool BancoAcessivel();
    bool BancoInacessivel() const { return m_bancoInacessivel; }
    TSituacaoEstacao Situacao() const;

    void ApagaAbastecimentosAntigos();

    // "Alterar &Data/Hora": asks, sets the concentrator clock and closes the
    // window. An error of the driver leaves it before the success box.
    void SpeedButton2Click();

    void FormClose();
    void FormDestroy();

    // Runs `acao` now, or right after the cycle in progress when called from
    // inside one, so a close never cuts a cycle.
    void ForaDoCiclo(std::function<void()> acao);
    bool CicloEmAndamento() const { return m_cicloEmAndamento; }

    // TRegistroLog: file first, then the view.
    void GravaLogErro(const QString& texto) override;
    void EscreveLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                         double litros, double total, double precoUnit, const QString& sequencia,
                         const QString& id, const QString& canal) override;

    // What the cycle hands records and status passes to; without them the
    // cycle leaves the fuelings waiting in the concentrator.
    void DefineCaptura(std::unique_ptr<TCaptura> captura);
    void DefinePublicacaoStatus(std::unique_ptr<TPublicacaoStatus> publicacao);

    void RestoreMainWindow();

    // What the fueling capture works with: this core's connection, datasets,
    // switches, log, dialogs and hooks.
    TCapturaAbastecimento::TAmbiente AmbienteCaptura();

    // A column of ParaPosto's current row as text; empty when the dataset
    // is closed or has no row.
    QString CampoParaPosto(const QString& nome) const;

    const QString& TextoStatus() const { return m_textoStatus; }
    TLogArquivos& Arquivos() { return m_arquivos; }
    TDialogos& Dialogos() { return *m_ambiente.Dialogos; }
    const TRelogio& Relogio() const { return *m_ambiente.Relogio; }
    const QString& DiretorioPrograma() const { return m_ambiente.DiretorioPrograma; }

    TConexao CnVarmeno;
    TDatabaseBde DbVarmeno;
    TQuery* ParaPosto;
    TDataSetEditavel* SequenciaAbast;
    TQuery* Bombas;
    TDataSet* MvAbast;
    QTimer LeConcentrador;
    std::unique_ptr<TConcentrador> Concentrador;
    bool UsaFid = false;
    QString Versao;

    static QString TextoStatusInicial();
    static QString TextoStatusBancoInacessivel();

  private:
    void ProcessaEventos();
    // Tells the window; a failure to find out is no reason to stop a cycle.
    void AtualizaSituacao() noexcept;

    TAmbienteComunicador m_ambiente;
    TLogArquivos m_arquivos;
    std::unique_ptr<TCaptura> m_captura;
    std::unique_ptr<TPublicacaoStatus> m_publicacao;
    QString m_textoStatus;
    bool m_cicloEmAndamento = false;
    bool m_bancoInacessivel = false;
    QElapsedTimer m_ultimaReconexao;
    std::vector<std::function<void()>> m_aoFimDoCiclo;
};
