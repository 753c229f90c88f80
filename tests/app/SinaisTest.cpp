#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>
#include <csignal>

#include "Falsos.h"
#include "app/FimAplicacao.h"
#include "app/SinaisTermino.h"

namespace {

// Lets events run until `feito` or about two seconds have passed.
template <typename F>
bool Aguarda(F feito) {
    for (int i = 0; i < 200 && !feito(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return feito();
}

TEST(SinaisTermino, SigtermESigintViramEventosDoLaco) {
    GaranteAplicacaoCore();
    struct sigaction antes = {};
    ::sigaction(SIGTERM, nullptr, &antes);
    {
        TSinaisTermino sinais;
        QList<int> recebidos;
        QObject::connect(&sinais, &TSinaisTermino::Termino,
                         [&](int sinal) { recebidos.append(sinal); });
        ::raise(SIGTERM);
        // Before Ativa (start-up still running) the signal waits.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        EXPECT_TRUE(recebidos.isEmpty());
        sinais.Ativa();
        EXPECT_TRUE(Aguarda([&] { return recebidos.size() == 1; }));
        ::raise(SIGINT);
        EXPECT_TRUE(Aguarda([&] { return recebidos.size() == 2; }));
        EXPECT_EQ(recebidos, (QList<int>{SIGTERM, SIGINT}));
    }
    struct sigaction depois = {};
    ::sigaction(SIGTERM, nullptr, &depois);
    EXPECT_EQ(depois.sa_handler, antes.sa_handler);
}

// Ends a loop that would otherwise never end, and says so.
class Guarda {
  public:
    Guarda() {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            disparou = true;
            QCoreApplication::exit(99);
        });
        m_timer.start(5000);
    }
    bool disparou = false;

  private:
    QTimer m_timer;
};

TEST(FimAplicacao, PedidoAntesDoLacoNaoSePerdeERodaDepoisDoQueJaFoiPostado) {
    GaranteAplicacaoCore();
    TFimAplicacao fim;
    QStringList ordem;
    QTimer::singleShot(0, [&] { ordem.append(QStringLiteral("fechamento")); });
    // A message box's own loop during start-up sees the request first.
    QEventLoop caixa;
    QTimer::singleShot(0, [&] {
        fim.Pede();
        caixa.quit();
    });
    caixa.exec();
    EXPECT_TRUE(fim.Pedido());
    QTimer::singleShot(0, [&] { ordem.append(QStringLiteral("depois")); });

    Guarda guarda;
    EXPECT_EQ(fim.Executa(), 0);
    EXPECT_FALSE(guarda.disparou);
    EXPECT_EQ(ordem, (QStringList{QStringLiteral("fechamento"), QStringLiteral("depois")}));
}

TEST(FimAplicacao, PedidoComOLacoRodandoOEncerra) {
    GaranteAplicacaoCore();
    TFimAplicacao fim;
    QTimer::singleShot(10, [&] { fim.Pede(); });
    Guarda guarda;
    EXPECT_EQ(fim.Executa(), 0);
    EXPECT_FALSE(guarda.disparou);
}

}  // namespace
