#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "concentrator/PublicacaoStatus.h"

class TConcentrador;
class TConexao;
class TRegistroLog;

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
class TStatusBicos final : public TPublicacaoStatus {
  public:
    // The driver is asked for at every pass: it is created after the window.
    TStatusBicos(TConexao& conexao, std::function<TConcentrador*()> concentrador,
                 TRegistroLog& log);
    Q_DISABLE_COPY_MOVE(TStatusBicos)

    void AtualizaStatusBicos() override;

  private:
    TConexao& m_conexao;
    std::function<TConcentrador*()> m_concentrador;
    TRegistroLog& m_log;
};
