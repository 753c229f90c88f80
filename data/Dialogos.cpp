#include "data/Dialogos.h"

QString Legenda(TTipoMensagem tipo) {
    switch (tipo) {
        case TTipoMensagem::Informacao:
            return QStringLiteral("Informação");
        case TTipoMensagem::Erro:
            return QStringLiteral("Erro");
        case TTipoMensagem::Alerta:
            return QStringLiteral("Alerta");
        case TTipoMensagem::Confirmacao:
            return QStringLiteral("Confirmação");
    }
    return QString();
}
