#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <stdexcept>

#include "AplicacaoTeste.h"
#include "DialogosRoteiro.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "tests/ImpressaoQt.h"
#include "tests/LogMemoria.h"
#include "ui/RelatorioErro.h"

namespace {

TEST(RelatorioErro, UmaCaixaPorVezORestoVaiAoLog) {
    TDialogosRoteiro dialogos;
    TLogMemoria log;
    TRelatorioErro relatorio(dialogos, &log);
    dialogos.AoMostrar = [&](const TDialogosRoteiro::Caixa&) {
        EXPECT_TRUE(relatorio.CaixaAberta());
        if (dialogos.Caixas.size() == 1) {
            relatorio.Reporta(QStringLiteral("segundo"));
            relatorio.Reporta(QStringLiteral("terceiro"));
        }
    };
    relatorio.Reporta(QStringLiteral("primeiro"));
    EXPECT_FALSE(relatorio.CaixaAberta());
    ASSERT_EQ(dialogos.Caixas.size(), 1u);
    EXPECT_EQ(dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(dialogos.Caixas[0].Botoes, TBotoes::Ok);
    EXPECT_EQ(dialogos.Caixas[0].Texto, QStringLiteral("primeiro"));
    EXPECT_EQ(log.Erros, (QStringList{QStringLiteral("segundo"), QStringLiteral("terceiro")}));

    relatorio.Reporta(QStringLiteral("quarto"));
    EXPECT_EQ(dialogos.Caixas.size(), 2u);
}

TEST(RelatorioErro, ExecutaRelataOQueEscapa) {
    TDialogosRoteiro dialogos;
    TRelatorioErro relatorio(dialogos, nullptr);
    relatorio.Executa([] { throw EErro(QStringLiteral("Falha à vista")); });
    relatorio.Executa([] { throw std::runtime_error("sem tradução"); });
    relatorio.Executa([] { throw 42; });
    relatorio.Executa([] {});
    ASSERT_EQ(dialogos.Caixas.size(), 3u);
    EXPECT_EQ(dialogos.Caixas[0].Texto, QStringLiteral("Falha à vista"));
    EXPECT_EQ(dialogos.Caixas[1].Texto, QStringLiteral("sem tradução"));
    EXPECT_EQ(dialogos.Caixas[2].Texto, TextoErroDesconhecido());
}

// An object whose event handler raises, as a handler of ours might.
class TLancador final : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw EErro(QStringLiteral("Erro no tratador"));
        return QObject::event(e);
    }
};

TEST(Aplicacao, ExcecaoQueEscapaDeUmTratadorVaiAoRelatorioGeralEOLacoSegue) {
    GaranteAplicacao();
    TDialogosRoteiro dialogos;
    TRelatorioErro relatorio(dialogos, nullptr);
    TRelatorioErro::DefineGeral(&relatorio);
    TLancador lancador;
    QEvent direto(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&lancador, &direto));
    QCoreApplication::postEvent(&lancador, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    TRelatorioErro::DefineGeral(nullptr);
    ASSERT_EQ(dialogos.Caixas.size(), 2u);
    EXPECT_EQ(dialogos.Caixas[0].Texto, QStringLiteral("Erro no tratador"));
    EXPECT_EQ(dialogos.Caixas[1].Texto, QStringLiteral("Erro no tratador"));
}

}  // namespace
