#include "data/Erro.h"

QString MensagemDe(const std::exception& e) {
    if (auto* erro = dynamic_cast<const EErro*>(&e)) {
        return erro->Mensagem();
    }
    return QString::fromUtf8(e.what());
}

void RelancaComMensagem(const QString& mensagem) {
    try {
        throw;
    } catch (const EErroBanco& e) {
        throw EErroBanco(mensagem, e.ConexaoPerdida(), e.Bloqueio());
    } catch (...) {
        throw EErro(mensagem);
    }
}
