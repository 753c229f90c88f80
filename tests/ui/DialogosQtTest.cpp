#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "AplicacaoTeste.h"
#include "tests/ImpressaoQt.h"
#include "ui/DialogosQt.h"

namespace {

struct TCaixaVista {
    QString Titulo;
    QString Texto;
    QMessageBox::Icon Icone = QMessageBox::NoIcon;
    QStringList Botoes;
    Qt::TextFormat Formato = Qt::AutoText;
};

// Waits for the modal box, notes what it shows and lets `age` answer it.
void AoAbrir(TCaixaVista& vista, std::function<void(QMessageBox&)> age) {
    auto* sonda = new QTimer();
    sonda->setInterval(5);
    QObject::connect(sonda, &QTimer::timeout, [sonda, &vista, age] {
        auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caixa)
            return;
        sonda->stop();
        sonda->deleteLater();
        vista.Titulo = caixa->windowTitle();
        vista.Texto = caixa->text();
        vista.Icone = caixa->icon();
        vista.Formato = caixa->textFormat();
        for (QAbstractButton* b : caixa->buttons())
            vista.Botoes.append(b->text());
        age(*caixa);
    });
    sonda->start();
}

QAbstractButton* Botao(QMessageBox& caixa, const QString& texto) {
    for (QAbstractButton* b : caixa.buttons()) {
        if (b->text() == texto)
            return b;
    }
    return nullptr;
}

struct TCasoCaixa {
    const char* Nome;
    TTipoMensagem Tipo;
    TBotoes Botoes;
    const char* Clique;  // nullptr: Escape
    const char* Titulo;
    QMessageBox::Icon Icone;
    TResposta Resposta;
};

class CaixaQt : public ::testing::TestWithParam<TCasoCaixa> {
  protected:
    static void SetUpTestSuite() { GaranteAplicacao(); }
};

TEST_P(CaixaQt, LegendaIconeBotoesEResposta) {
    const TCasoCaixa& c = GetParam();
    TCaixaVista vista;
    AoAbrir(vista, [&](QMessageBox& caixa) {
        if (c.Clique) {
            QAbstractButton* b = Botao(caixa, QString::fromUtf8(c.Clique));
            ASSERT_NE(b, nullptr);
            b->click();
        } else {
            QTest::keyClick(&caixa, Qt::Key_Escape);
        }
    });
    TDialogosQt dialogos;
    const TResposta r = dialogos.Mensagem(
        c.Tipo, QStringLiteral("Primeira linha.\rSegunda <b>linha</b>"), c.Botoes);
    EXPECT_EQ(r, c.Resposta);
    EXPECT_EQ(vista.Titulo, QString::fromUtf8(c.Titulo));
    EXPECT_EQ(vista.Icone, c.Icone);
    EXPECT_EQ(vista.Texto, QStringLiteral("Primeira linha.\nSegunda <b>linha</b>"));
    EXPECT_EQ(vista.Formato, Qt::PlainText);
    if (c.Botoes == TBotoes::Ok)
        EXPECT_EQ(vista.Botoes, QStringList{QStringLiteral("OK")});
    else
        EXPECT_EQ(vista.Botoes, (QStringList{QStringLiteral("&Sim"), QStringLiteral("&Não")}));
}

INSTANTIATE_TEST_SUITE_P(
    Tipos, CaixaQt,
    ::testing::Values(TCasoCaixa{"Informacao", TTipoMensagem::Informacao, TBotoes::Ok, "OK",
                                 "Informação", QMessageBox::Information, TResposta::Ok},
                      TCasoCaixa{"Erro", TTipoMensagem::Erro, TBotoes::Ok, "OK", "Erro",
                                 QMessageBox::Critical, TResposta::Ok},
                      TCasoCaixa{"Alerta", TTipoMensagem::Alerta, TBotoes::Ok, nullptr, "Alerta",
                                 QMessageBox::Warning, TResposta::Ok},
                      TCasoCaixa{"ConfirmacaoSim", TTipoMensagem::Confirmacao, TBotoes::SimNao,
                                 "&Sim", "Confirmação", QMessageBox::Question, TResposta::Sim},
                      TCasoCaixa{"ConfirmacaoNao", TTipoMensagem::Confirmacao, TBotoes::SimNao,
                                 "&Não", "Confirmação", QMessageBox::Question, TResposta::Nao},
                      TCasoCaixa{"ConfirmacaoFechadaSemEscolha", TTipoMensagem::Confirmacao,
                                 TBotoes::SimNao, nullptr, "Confirmação", QMessageBox::Question,
                                 TResposta::Nao},
                      TCasoCaixa{"InformacaoComSimNao", TTipoMensagem::Informacao, TBotoes::SimNao,
                                 "&Sim", "Informação", QMessageBox::Information, TResposta::Sim}),
    [](const auto& info) { return std::string(info.param.Nome); });

TEST(CaixaQtEventos, CaixaAbertaDeixaOsTimersRodarem) {
    GaranteAplicacao();
    int disparos = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++disparos; });
    timer.start(5);
    TCaixaVista vista;
    AoAbrir(vista, [&](QMessageBox& caixa) {
        QTimer::singleShot(60, &caixa, [&caixa] { Botao(caixa, QStringLiteral("OK"))->click(); });
    });
    TDialogosQt().Informacao(QStringLiteral("espera"));
    EXPECT_GT(disparos, 2);
}

}  // namespace
