#include "ui/Aplicacao.h"

#include <cstdio>

#include "data/Erro.h"
#include "ui/RelatorioErro.h"

namespace {
void Reporta(const QString& texto) {
    if (TRelatorioErro* relatorio = TRelatorioErro::Geral())
        relatorio->Reporta(texto);
    else
        std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
}
}  // namespace

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv) {}

bool TAplicacao::notify(QObject* receptor, QEvent* evento) {
    try {
        return QApplication::notify(receptor, evento);
    } catch (const std::exception& e) {
        Reporta(MensagemDe(e));
    } catch (...) {
        Reporta(TextoErroDesconhecido());
    }
    return false;
}
