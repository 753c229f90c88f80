#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "data/Dialogos.h"

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
