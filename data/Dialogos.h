#pragma once

#include <QString>
#include <QStringList>

// The modal message boxes of the system, behind an interface so that logic
// runs without a display and tests can preset the operator's answers.
// Captions: "Informação", "Erro", "Alerta", "Confirmação"; buttons "OK",
// "&Sim", "&Não".
enum class TTipoMensagem { Informacao, Erro, Alerta, Confirmacao };
enum class TBotoes { Ok, SimNao };
enum class TResposta { Ok, Sim, Nao };

class TDialogos {
  public:
    virtual ~TDialogos() = default;
    // Shows one modal box (events keep running while it is open) and returns
    // the button chosen; a box dismissed without a choice answers Nao.
    virtual TResposta Mensagem(TTipoMensagem tipo, const QString& texto, TBotoes botoes) = 0;

    void Informacao(const QString& texto) {
        Mensagem(TTipoMensagem::Informacao, texto, TBotoes::Ok);
    }
    void Erro(const QString& texto) { Mensagem(TTipoMensagem::Erro, texto, TBotoes::Ok); }
    void Alerta(const QString& texto) { Mensagem(TTipoMensagem::Alerta, texto, TBotoes::Ok); }
    bool Confirmacao(const QString& texto) {
        return Mensagem(TTipoMensagem::Confirmacao, texto, TBotoes::SimNao) == TResposta::Sim;
    }
};

QString Legenda(TTipoMensagem tipo);
