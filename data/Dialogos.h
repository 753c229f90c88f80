#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

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

// Scripted answers for tests: records every box and answers Sim/Não boxes
// from a preset queue (Nao when it runs dry).
class TDialogosRoteiro final : public TDialogos {
  public:
    struct Caixa {
        TTipoMensagem Tipo;
        QString Texto;
        TBotoes Botoes;
    };

    TResposta Mensagem(TTipoMensagem tipo, const QString& texto, TBotoes botoes) override {
        Caixas.push_back({tipo, texto, botoes});
        if (AoMostrar)
            AoMostrar(Caixas.back());
        if (botoes == TBotoes::Ok)
            return TResposta::Ok;
        if (Respostas.empty())
            return TResposta::Nao;
        TResposta r = Respostas.front();
        Respostas.pop_front();
        return r;
    }

    std::vector<Caixa> Caixas;
    std::deque<TResposta> Respostas;
    // Runs while a box is "open", as a modal box would let events run.
    std::function<void(const Caixa&)> AoMostrar;
};
