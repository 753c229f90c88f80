#include "screens/AmbienteTela.h"

#include <cstdio>

#include "concentrator/ClassConcentrador.h"
#include "data/Erro.h"
#include "ui/RelatorioErro.h"

TConcentrador& TAmbienteTela::Driver() const {
    TConcentrador* c = Concentrador ? Concentrador() : nullptr;
    if (c == nullptr)
        throw EErro(QStringLiteral("O concentrador não está disponível."));
    return *c;
}

TConexao& TAmbienteTela::CnVarmeno() const {
    if (Conexao == nullptr)
        throw EErro(QStringLiteral("A conexão com o banco de dados não está disponível."));
    return *Conexao;
}

void TAmbienteTela::Reporta(const QString& texto) const {
    if (ReportaErro) {
        ReportaErro(texto);
        return;
    }
    if (TRelatorioErro* geral = TRelatorioErro::Geral()) {
        geral->Reporta(texto);
        return;
    }
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
}

void TAmbienteTela::Executa(const std::function<void()>& acao) const {
    try {
        acao();
    } catch (const std::exception& e) {
        Reporta(MensagemDe(e));
    } catch (...) {
        Reporta(TextoErroDesconhecido());
    }
}
