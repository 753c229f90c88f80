#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include "AplicacaoTeste.h"
#include "tests/ImpressaoQt.h"
#include "ui/IconeBandeja.h"
#include "ui/Icones.h"

namespace {

TEST(IconeBandeja, MenuAbrirSairHintESemHostDeBandeja) {
    GaranteAplicacao();
    TIconeBandeja icone(IconePrograma());
    // The offscreen platform has no tray host.
    EXPECT_FALSE(TIconeBandeja::Disponivel());
    EXPECT_FALSE(icone.Visivel());

    QMenu* menu = icone.PopupMenu1();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0], icone.Abrir1());
    EXPECT_EQ(menu->actions()[1], icone.Sair1());
    EXPECT_EQ(icone.Abrir1()->text(), QStringLiteral("&Abrir"));
    EXPECT_EQ(icone.Sair1()->text(), QStringLiteral("&Sair"));

    QSignalSpy abrir(&icone, &TIconeBandeja::Abrir);
    QSignalSpy sair(&icone, &TIconeBandeja::Sair);
    icone.Abrir1()->trigger();
    EXPECT_EQ(abrir.count(), 1);
    EXPECT_EQ(sair.count(), 0);
    icone.Sair1()->trigger();
    EXPECT_EQ(sair.count(), 1);

    EXPECT_TRUE(icone.Hint().isEmpty());
    icone.DefineHint(QStringLiteral("Comunicação"));
    EXPECT_EQ(icone.Hint(), QStringLiteral("Comunicação"));
}

TEST(IconeBandeja, BotaoDireitoAvisaAntesDeMostrarOMenu) {
    GaranteAplicacao();
    TIconeBandeja icone(IconePrograma());
    bool menuVisivelNoAviso = true;
    int avisos = 0;
    QObject::connect(&icone, &TIconeBandeja::AntesDoMenu, [&] {
        ++avisos;
        menuVisivelNoAviso = icone.PopupMenu1()->isVisible();
    });
    icone.BotaoDireito(QPoint(40, 30));
    EXPECT_EQ(avisos, 1);
    EXPECT_FALSE(menuVisivelNoAviso);
    EXPECT_TRUE(icone.PopupMenu1()->isVisible());
    EXPECT_EQ(icone.PopupMenu1()->pos(), QPoint(40, 30));
    icone.PopupMenu1()->close();
}

// The icon follows the station's trouble; the balloon tells only the start
// and the end of a database outage, once each; the hint stays.
TEST(IconeBandeja, AlertaEBaloesDaQuedaEDaVoltaDoBanco) {
    GaranteAplicacao();
    TIconeBandeja icone(IconePrograma());
    icone.DefineHint(QStringLiteral("Comunicação"));
    QStringList baloes;
    QObject::connect(&icone, &TIconeBandeja::Balao,
                     [&](const QString& titulo, const QString&) { baloes << titulo; });
    const QString queda = TIconeBandeja::TituloQuedaBanco();
    const QString volta = TIconeBandeja::TituloVoltaBanco();
    using A = TAlertasBandeja;
    const struct {
        const char* Nome;
        A Alertas;
        bool Alerta;
        QStringList Baloes;
    } passos[] = {
        {"tudo bem", A{}, false, {}},
        {"abastecimento no diário", A{.Pendentes = true}, true, {}},
        {"gravado", A{}, false, {}},
        {"registro retido", A{.Retidos = true}, true, {}},
        {"banco cai", A{.BancoInacessivel = true, .Retidos = true}, true, {queda}},
        {"banco continua fora", A{.BancoInacessivel = true, .Retidos = true}, true, {}},
        {"e um abastecimento espera", A{true, true, true}, true, {}},
        {"banco volta", A{.Pendentes = true, .Retidos = true}, true, {volta}},
        {"retidos tratados, diário gravado", A{}, false, {}},
        {"cai de novo", A{.BancoInacessivel = true}, true, {queda}},
        {"volta de novo", A{}, false, {volta}},
    };
    for (const auto& p : passos) {
        SCOPED_TRACE(p.Nome);
        baloes.clear();
        icone.DefineAlertas(p.Alertas);
        EXPECT_EQ(icone.EmAlerta(), p.Alerta);
        EXPECT_EQ(icone.IconeAtual().cacheKey(),
                  (p.Alerta ? icone.IconeDeAlerta() : icone.IconeNormal()).cacheKey());
        EXPECT_EQ(baloes, p.Baloes);
        EXPECT_EQ(icone.Hint(), QStringLiteral("Comunicação"));
    }
    EXPECT_NE(icone.IconeDeAlerta().cacheKey(), icone.IconeNormal().cacheKey());
    EXPECT_NE(icone.IconeDeAlerta().pixmap(32, 32).toImage(),
              icone.IconeNormal().pixmap(32, 32).toImage());
}

TEST(Icones, TodasAsImagensTemConteudo) {
    GaranteAplicacao();
    for (const QIcon& i : {IconePrograma(), IconeAlerta(), IconeEncerrantes(), IconeAlteraPreco(),
                           IconeDataHora(), IconeBloqueio()}) {
        const QImage imagem = i.pixmap(16, 16).toImage();
        ASSERT_FALSE(imagem.isNull());
        int opacos = 0;
        for (int y = 0; y < imagem.height(); ++y)
            for (int x = 0; x < imagem.width(); ++x)
                opacos += qAlpha(imagem.pixel(x, y)) > 0;
        EXPECT_GT(opacos, 20);
    }
}

}  // namespace
