#include "data/Erro.h"

QString MensagemDe(const std::exception& e) {
    if (auto* erro = dynamic_cast<const EErro*>(&e)) {
        return erro->Mensagem();
    }
    return QString::fromUtf8(e.what());
}
