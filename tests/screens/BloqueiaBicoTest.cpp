#include <gtest/gtest.h>

#include <QCursor>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "PostoTelas.h"
#include "screens/BloqueiaBico.h"

namespace {

const QList<TBicoTeste> kBicos = {
    {QStringLiteral("01"), QStringLiteral("004"), 5.899},
    {QStringLiteral("02"), QStringLiteral("005"), 3.999},
    {QStringLiteral("03"), QStringLiteral("007"), 6.199},
    {QStringLiteral("04"), QStringLiteral("068"), 6.099},
    {QStringLiteral("05"), QStringLiteral("NULL"), 2.5},
};

// Hands the screen's calls to the program's driver, noting the cursor each
// block or release call found.
class TDriverCursor final : public TConcentrador {
  public:
    explicit TDriverCursor(TConcentrador& real) : m_real(real) {}
    QString GetLeStatus() override { return m_real.GetLeStatus(); }
    void FBloqueiaBico(const QString& Bico) override {
        Anota();
        m_real.FBloqueiaBico(Bico);
    }
    void FLiberaBico(const QString& Bico) override {
        Anota();
        m_real.FLiberaBico(Bico);
    }
    QList<Qt::CursorShape> Cursores;

  private:
    void Anota() {
        const QCursor* c = QApplication::overrideCursor();
        Cursores.append(c ? c->shape() : Qt::ArrowCursor);
    }
    TConcentrador& m_real;
};

class BloqueiaBico : public ::testing::Test {
  protected:
    void Inicia(const QList<TBicoTeste>& bicos = kBicos,
                const QStringList& status = QStringList()) {
        if (!status.isEmpty())
            p.sim.Simconc(QStringList{QStringLiteral("status")} + status);
        p.Inicia(bicos);
        cursor = std::make_unique<TDriverCursor>(*p.C().Concentrador);
        p.Driver = cursor.get();
        tela = std::make_unique<TFBloqDesbBico>(p.Ambiente());
    }

    // Opens the screen and, once it shows, does what the operator does; a
    // screen still open afterwards is closed with its close box.
    void AbreEFaz(const std::function<void()>& acao) {
        bool rodou = false;
        QTimer::singleShot(0, tela.get(), [&] {
            rodou = true;
            EXPECT_TRUE(MostraAtiva(tela.get()));
            tela->GridBombas->setFocus();
            acao();
            if (tela->isVisible())
                tela->close();
        });
        EXPECT_TRUE(tela->AbreTela());
        EXPECT_TRUE(rodou);
        EXPECT_FALSE(tela->isVisible());
    }

    QTableWidget* Grade() { return tela->GridBombas; }
    QList<int> Marcados() {
        QList<int> r;
        for (int l = 0; l < Grade()->rowCount(); ++l)
            if (tela->Marcado(l))
                r.append(l);
        return r;
    }
    // The background of a data row, right of the description's text.
    QColor Fundo(int linha) {
        const QRect r = Grade()->visualRect(Grade()->model()->index(linha, 1));
        return Grade()->viewport()->grab().toImage().pixelColor(r.right() - 10, r.center().y());
    }
    QList<QByteArray> Aplicados() {
        QList<QByteArray> r;
        for (const QByteArray& l : p.sim.Chamadas())
            if (l.startsWith("BloqueiaBico ") || l.startsWith("AutoLibera "))
                r.append(l);
        return r;
    }
    // A double click as the mouse sends it: press and release, then the
    // second press.
    void DuploClique(int linha) {
        const QPoint ponto = Grade()->visualRect(Grade()->model()->index(linha, 1)).center();
        QTest::mouseClick(Grade()->viewport(), Qt::LeftButton, {}, ponto);
        QTest::mouseDClick(Grade()->viewport(), Qt::LeftButton, {}, ponto);
    }
    void Espaco(int linha) {
        Grade()->setCurrentCell(linha, 0);
        Tecla(Qt::Key_Space);
    }

    TPostoTelas p;
    std::unique_ptr<TDriverCursor> cursor;
    std::unique_ptr<TFBloqDesbBico> tela;
};

TEST_F(BloqueiaBico, StatusLLLBMarcaSoO007EAsCoresSeguemMarcaESelecao) {
    Inicia(kBicos,
           {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("5")});
    AbreEFaz([&] {
        EXPECT_EQ(tela->windowTitle(), QStringLiteral("Bloqueia e Desbloqueia"));
        EXPECT_EQ(tela->BitBtn1->text(), QStringLiteral("&Bloquear / Desbloquear"));
        EXPECT_EQ(tela->BitBtn1->size(), QSize(160, 29));
        QStringList cabecalhos;
        for (int c = 0; c < 3; ++c)
            cabecalhos.append(Grade()->horizontalHeaderItem(c)->text());
        EXPECT_EQ(cabecalhos, (QStringList{QStringLiteral("Bico"), QStringLiteral("Descrição"),
                                           QStringLiteral("Concentrador")}));
        EXPECT_TRUE(Grade()->isColumnHidden(3));
        EXPECT_TRUE(Grade()->isColumnHidden(4));
        ASSERT_EQ(Grade()->rowCount(), 4);
        EXPECT_EQ(tela->Celula(2, 2), QStringLiteral("007"));
        EXPECT_EQ(Marcados(), QList<int>{2});

        const QPalette& paleta = Grade()->palette();
        const QColor vermelho(255, 0, 0), amarelo(255, 255, 0);
        EXPECT_EQ(Fundo(0), paleta.color(QPalette::Active, QPalette::Highlight));
        EXPECT_EQ(Fundo(1), paleta.color(QPalette::Active, QPalette::Base));
        EXPECT_EQ(Fundo(2), vermelho);
        Grade()->setCurrentCell(2, 0);
        EXPECT_EQ(Fundo(2), amarelo);
        EXPECT_EQ(Fundo(0), paleta.color(QPalette::Active, QPalette::Base));

        // Neither Escape nor Enter does anything here.
        Tecla(Qt::Key_Escape);
        Tecla(Qt::Key_Return);
        EXPECT_TRUE(tela->isVisible());
    });
    // The close box sends nothing.
    EXPECT_TRUE(Aplicados().isEmpty());
}

TEST_F(BloqueiaBico, BotaoSemMudancaReenviaOEstadoAtualComCursorDeEspera) {
    Inicia(kBicos, {QStringLiteral("5")});
    AbreEFaz([&] {
        EXPECT_EQ(Marcados(), QList<int>{0});
        QTest::mouseClick(tela->BitBtn1, Qt::LeftButton);
    });
    EXPECT_EQ(Aplicados(), (QList<QByteArray>{"BloqueiaBico \"04\"", "AutoLibera \"05\"",
                                              "AutoLibera \"07\"", "AutoLibera \"44\""}));
    EXPECT_EQ(cursor->Cursores, QList<Qt::CursorShape>(4, Qt::WaitCursor));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(p.Relatados.isEmpty());
}

TEST_F(BloqueiaBico, EspacoEDuploCliqueTrocamAMarcaEOBotaoAplica) {
    Inicia();
    AbreEFaz([&] {
        Espaco(1);
        Espaco(2);
        Espaco(2);
        DuploClique(3);
        EXPECT_EQ(Marcados(), (QList<int>{1, 3}));
        QTest::mouseClick(tela->BitBtn1, Qt::LeftButton);
    });
    EXPECT_EQ(Aplicados(), (QList<QByteArray>{"AutoLibera \"04\"", "BloqueiaBico \"05\"",
                                              "AutoLibera \"07\"", "BloqueiaBico \"44\""}));
    EXPECT_EQ(p.sim.Simconc({QStringLiteral("bloqueios")}),
              QByteArray("005 posicao=2\n068 posicao=1\n"));
}

TEST_F(BloqueiaBico, ListaVaziaNaoMarcaNemEnviaNada) {
    Inicia({{QStringLiteral("05"), QStringLiteral("NULL"), 2.5}});
    AbreEFaz([&] {
        ASSERT_EQ(Grade()->rowCount(), 1);
        Espaco(0);
        DuploClique(0);
        EXPECT_TRUE(Marcados().isEmpty());
        QTest::mouseClick(tela->BitBtn1, Qt::LeftButton);
    });
    EXPECT_TRUE(Aplicados().isEmpty());
    EXPECT_TRUE(p.Relatados.isEmpty());
}

TEST_F(BloqueiaBico, ChamadaQueFalhaParaOLacoRestauraOCursorEFechaATela) {
    QList<TBicoTeste> bicos = kBicos;
    bicos[1].CodConcentrador = QStringLiteral("X05");
    Inicia(bicos);
    AbreEFaz([&] { QTest::mouseClick(tela->BitBtn1, Qt::LeftButton); });
    EXPECT_EQ(Aplicados(), QList<QByteArray>{"AutoLibera \"04\""});
    EXPECT_EQ(p.Relatados, QStringList{QStringLiteral("'X05' não é um valor inteiro válido")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BloqueiaBico, StatusQueNaoSeLeNaoMostraATela) {
    QList<TBicoTeste> bicos = kBicos;
    bicos[1].CodConcentrador = QStringLiteral("X05");
    Inicia(bicos, {QStringLiteral("5")});
    EXPECT_THROW(tela->AbreTela(), EErro);
    EXPECT_FALSE(tela->isVisible());
}

}  // namespace
