#include "ui/RelatorioErro.h"

#include <QScopeGuard>
#include <cstdio>

#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"

namespace {
TRelatorioErro* g_geral = nullptr;
}

QString TextoErroDesconhecido() {
    return QStringLiteral("Erro desconhecido.");
}

TRelatorioErro::TRelatorioErro(TDialogos& dialogos, TRegistroLog* log)
    : m_dialogos(dialogos), m_log(log) {}

TRelatorioErro* TRelatorioErro::Geral() {
    return g_geral;
}
void TRelatorioErro::DefineGeral(TRelatorioErro* relatorio) {
    g_geral = relatorio;
}

void TRelatorioErro::Registra(const QString& texto) {
    try {
        if (m_log) {
            m_log->GravaLogErro(texto);
            return;
        }
    } catch (...) {
    }
    // Nowhere else left to tell.
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
}

void TRelatorioErro::Reporta(const QString& texto) {
    if (m_aberta) {
        Registra(texto);
        return;
    }
    m_aberta = true;
    const auto fecha = qScopeGuard([this] { m_aberta = false; });
    try {
        m_dialogos.Erro(texto);
    } catch (...) {
        Registra(texto);
    }
}

void TRelatorioErro::Reporta(const std::exception& e) {
    Reporta(MensagemDe(e));
}

void TRelatorioErro::Executa(const std::function<void()>& acao) {
    try {
        acao();
    } catch (const std::exception& e) {
        Reporta(e);
    } catch (...) {
        Reporta(TextoErroDesconhecido());
    }
}
