#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "capture/Captura.h"
#include "capture/ContinuidadeAbastecimentos.h"
#include "capture/GravaAbastecimento.h"

class TConexao;
class TDataSet;
class TDataSetEditavel;
class TDialogos;
class TRegistroLog;

// The nozzle lookup by concentrator code, eleven lines.
QString SqlBombas();

// The concentrator's hexadecimal nozzle code ("1F", "ff") as the stored
// three-digit decimal code ("031", "255"). Raises on an empty or
// non-hexadecimal code.
QString CodigoConcentradorDe(const QString& codigoHexadecimal);

// The text of the box shown when capturing a fueling fails.
QString TextoErroLeitura(const QString& mensagem);

// Why a record can never be stored, whatever the database holds: a nozzle
// code that is not hexadecimal, a date or a time that cannot be read. Empty
// when nothing in the record itself stands in the way.
QString DefeitoPermanente(const TAbastecimento& registro);
QString DefeitoPermanente(const TAbastecimentoFid& registro);

// How the last record handed over ended; what the pending-fuelings journal
// needs to know whether it can forget the record.
enum class TDesfechoCaptura {
    SemAbastecimento,  // no fueling, or volume or price rounding to zero
    BicoDesconhecido,  // no nozzle with that code; logged
    Gravado,           // committed, its row with it
    GravadoSemLinha,   // committed, but the INSERT failed (reported)
    Falhou,            // rolled back, error box shown unless silenced
    SemConexao,        // rolled back: the link to the database is gone; no box
    Bloqueado,         // rolled back: a row it needs is held by another program; no box
};

// Decodes the records the concentrator hands over and stores each fueling in
// one transaction of its own.
class TCapturaAbastecimento final : public TCaptura {
  public:
    // Everything belongs to the main window and outlives this object.
    struct TAmbiente {
        TConexao& Conexao;
        TDataSet& Bombas;
        TDataSet& MvAbast;
        TDataSet& ParaPosto;
        TDataSetEditavel& SequenciaAbast;
        // Set by start-up after the window exists; read at every fueling.
        const bool& UsaFid;
        TRegistroLog& Log;
        TDialogos& Dialogos;
        std::function<void()> RestoreMainWindow;
        // Lets pending window events run, so the new log line gets painted.
        std::function<void()> ProcessaEventos;
    };

    explicit TCapturaAbastecimento(TAmbiente ambiente);
    Q_DISABLE_COPY_MOVE(TCapturaAbastecimento)

    void ProcessaAbastecimento(const TAbastecimento& registro) override;
    void ProcessaAbastecimentoFID(const TAbastecimentoFid& registro) override;

    // Looks up the current concentrator code; Bombas stays open on its first
    // row. True when a nozzle matched.
    bool AbreBicos();

    // Whether MvAbast already holds this fueling's row: the same nozzle,
    // date, register number and closing totalizer. False when the record
    // names no known nozzle or its date cannot be read; a database error
    // raises.
    bool JaGravado(const TAbastecimento& registro);
    bool JaGravado(const TAbastecimentoFid& registro);

    // Off, no continuity check runs (fuelings stored out of their order).
    void DefineConferencia(bool conferencia) { m_conferencia = conferencia; }

    // A record tried again after a failure shows no second error box.
    void DefineSilencioso(bool silencioso) { m_silencioso = silencioso; }

    // Kept between records: a skipped record leaves it as it was.
    const QString& CodigoConcentrador() const { return m_codigoConcentrador; }
    TDesfechoCaptura Desfecho() const { return m_desfecho; }
    // Why the record was not stored: the failure's message (Falhou,
    // SemConexao), the error-log line (BicoDesconhecido) or the database's
    // refusal of the INSERT (GravadoSemLinha).
    const QString& MotivoFalha() const { return m_motivo; }

    TGravacaoAbastecimento& Gravacao() { return m_gravacao; }
    TContinuidadeAbastecimentos& Continuidade() { return m_continuidade; }

  private:
    template <typename TRegistro>
    void Processa(const TRegistro& registro);
    template <typename TRegistro>
    bool Existe(const TRegistro& registro);
    void ErroLeitura(const QString& mensagem, bool conexaoPerdida, bool bloqueio);
    // Reads what came before from MvAbast, once, before the first fueling is
    // stored; quiet on failure (the check waits for a later fueling) unless
    // the link is gone.
    void PreparaContinuidade();

    TAmbiente m_ambiente;
    TGravacaoAbastecimento m_gravacao;
    TContinuidadeAbastecimentos m_continuidade;
    QString m_codigoConcentrador;
    // From the station parameters as loaded at start-up, read once.
    QString m_impreDescBico;
    bool m_impreDescBicoLido = false;
    TDesfechoCaptura m_desfecho = TDesfechoCaptura::SemAbastecimento;
    QString m_motivo;
    bool m_silencioso = false;
    bool m_conferencia = true;
};
