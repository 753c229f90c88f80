#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

#include "concentrator/PublicacaoStatus.h"

class TConcentrador;
class TConexao;
class TRegistroLog;
class TRelogio;

// The four concentrator codes of one channel: c, c + 64, c + 128, c + 192.
// Codigos[0] is the first column (the channel's own code).
struct TCanal {
    QString Codigos[4];
};

// The channel whose table row holds `Codigo` (exact text, three digits), or
// four empty texts.
TCanal LocalizaCanal(const QString& Codigo);

// The status UPDATE, one line of 150 characters; parameters PStatusBico and
// PCodConcentrador.
QString SqlAtualizaStatusBico();

// Copies the concentrator's status letters into Bombas.statusbico.
//
// One transaction per pass: 192 UPDATEs each committed on its own cost a disk
// flush apiece. When an UPDATE fails, the ones before it are committed so that
// what survives is what a pass of single UPDATEs would have left. A pass that
// finds a transaction already open on the connection (an operator screen's)
// neither starts nor commits one; its UPDATEs join that unit of work.
//
// An idle station should not write: a pass runs only the UPDATEs whose
// letter differs from what the last successful pass left, so with nothing
// changed it neither starts a transaction nor talks to the database. Every
// position is written again (a full pass) at the first pass, on a new link,
// after a failed pass or one whose commit belonged to somebody else, and
// every ten minutes, so a value another program changed is put right.
class TStatusBicos final : public TPublicacaoStatus {
  public:
    // The driver is asked for at every pass: it is created after the window.
    // Without a clock the computer's own is used.
    TStatusBicos(TConexao& conexao, std::function<TConcentrador*()> concentrador, TRegistroLog& log,
                 const TRelogio* relogio = nullptr);
    ~TStatusBicos() override;
    Q_DISABLE_COPY_MOVE(TStatusBicos)

    void AtualizaStatusBicos() override;

    static constexpr int IntervaloCompletaSegundos = 600;

    // Whether the next pass writes every position.
    bool ProximaCompleta() const;

  private:
    TConexao& m_conexao;
    std::function<TConcentrador*()> m_concentrador;
    TRegistroLog& m_log;
    std::unique_ptr<TRelogio> m_relogioProprio;
    const TRelogio& m_relogio;

    // Concentrator code -> letter, as the last successful pass left it.
    QHash<QString, QChar> m_publicado;
    // The status text of the last successful pass.
    QString m_statusPublicado;
    bool m_completaPendente = true;
    QDateTime m_ultimaCompleta;
    quint64 m_ligacao = 0;
};
