// "&Tirar Encerrantes" on the main window opens the totalizer screen through
// the program's launcher, one at a time, freshly created at every click.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "Falsos.h"
#include "FormatSettingsTemporario.h"
#include "RelogioFixo.h"
#include "app/LancadorTelas.h"
#include "app/Menu.h"
#include "screens/TirarEncerrantes.h"
#include "tests/ImpressaoQt.h"

namespace {

class LancadorEncerrantes : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char nome[] = "app_lancador_encerrantes_test";
            static char* argv[] = {nome, nullptr};
            auto* app = new QApplication(argc, argv);
            app->setQuitOnLastWindowClosed(false);
        }
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("prog"));
        QDir(m_dir.path()).mkpath(QStringLiteral("trab"));
        const QString banco = CriaBancoTeste(m_dir.filePath(QStringLiteral("db")), true);
        GravaTexto(
            m_dir.filePath(QStringLiteral("trab/Caminho.ini")),
            QStringLiteral("[DATABASEESTOQUE]\r\nCAMINHO=%1\r\nUSUARIO=SYSDBA\r\n").arg(banco));

        TConfiguracaoMenu cfg;
        cfg.Dialogos = &m_dialogos;
        cfg.Relogio = &m_relogio;
        cfg.DiretorioPrograma = m_dir.filePath(QStringLiteral("prog")) + u'/';
        cfg.DiretorioTrabalho = m_dir.filePath(QStringLiteral("trab")) + u'/';
        cfg.EsperaLigaBancoMs = 0;
        cfg.FabricaConcentrador = [] { return std::make_unique<TConcentradorFalso>(); };
        cfg.Telas = std::make_shared<TLancadorTelasPrograma>();
        cfg.UsaBandeja = false;
        m_menu = std::make_unique<TMenuPrin>(std::move(cfg));
        ASSERT_TRUE(m_dialogos.Caixas.empty()) << m_dialogos.Caixas[0].Texto.toStdString();
    }

    void TearDown() override {
        m_menu.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Clicks the button; `naTela` runs once the screen's modal loop runs and
    // must close the screen.
    void Clica(const std::function<void(TFTirarEncerrantes&)>& naTela) {
        bool viu = false;
        QTimer::singleShot(0, [&] {
            viu = true;
            ASSERT_FALSE(FTirarEncerrantes.isNull());
            EXPECT_TRUE(FTirarEncerrantes->isModal());
            EXPECT_TRUE(FTirarEncerrantes->isVisible());
            naTela(*FTirarEncerrantes);
            if (!FTirarEncerrantes.isNull())
                FTirarEncerrantes->close();
        });
        m_menu->SpEncerrantes->click();
        EXPECT_TRUE(viu);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TFormatSettingsTemporario m_formato{TFormatSettings{}};
    QTemporaryDir m_dir;
    TDialogosRoteiro m_dialogos;
    TRelogioFixo m_relogio;
    std::unique_ptr<TMenuPrin> m_menu;
};

TEST_F(LancadorEncerrantes, CadaCliqueAbreUmaTelaNova) {
    QPointer<TFTirarEncerrantes> primeira;
    Clica([&](TFTirarEncerrantes& t) {
        primeira = &t;
        EXPECT_EQ(t.LinhasDados(), 4);
        t.BtMarcar->click();
        EXPECT_EQ(t.BtMarcar->text(), QStringLiteral("Desmarcar Todos"));
    });
    EXPECT_TRUE(primeira.isNull());
    EXPECT_TRUE(FTirarEncerrantes.isNull());

    Clica([&](TFTirarEncerrantes& t) {
        EXPECT_EQ(t.BtMarcar->text(), QStringLiteral("Marcar Todos"));
        EXPECT_TRUE(t.Celula(TFTirarEncerrantes::ColMarca, 1).isEmpty());
    });
    EXPECT_TRUE(FTirarEncerrantes.isNull());
    EXPECT_TRUE(m_dialogos.Caixas.empty());
}

TEST_F(LancadorEncerrantes, TelaExistenteEMostradaEmVezDeOutra) {
    QPointer<TFTirarEncerrantes> existente =
        new TFTirarEncerrantes(TLancadorTelasPrograma::AmbienteDe(*m_menu));
    FTirarEncerrantes = existente;
    Clica([&](TFTirarEncerrantes& t) { EXPECT_EQ(&t, existente.data()); });
    EXPECT_TRUE(existente.isNull());
    EXPECT_TRUE(FTirarEncerrantes.isNull());
}

}  // namespace
