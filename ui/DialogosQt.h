#pragma once

#include "data/Dialogos.h"

class QWidget;

// The system's message boxes over QMessageBox: captions "Informação", "Erro",
// "Alerta", "Confirmação", buttons "OK", "&Sim", "&Não", plain text with each
// carriage return as a line break.
class TDialogosQt final : public TDialogos {
  public:
    explicit TDialogosQt(QWidget* pai = nullptr) : m_pai(pai) {}
    TResposta Mensagem(TTipoMensagem tipo, const QString& texto, TBotoes botoes) override;

    // The text as the box shows it.
    static QString TextoExibido(const QString& texto);

  private:
    QWidget* m_pai;
};
