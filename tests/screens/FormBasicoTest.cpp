#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "TelaTeste.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "screens/FormBasico.h"
#include "tests/ImpressaoQt.h"

namespace {

// A screen on the base form with one control of each kind, in tab order:
// line edit, spin box, grid, combo box, button.
class TFormTeste final : public TFrmBasico {
  public:
    explicit TFormTeste(TAmbienteTela a) : TFrmBasico(std::move(a)) {
        Consulta = new TQuery(this);
        auto* coluna = new QVBoxLayout(this);
        Texto = new QLineEdit(this);
        Numero = new QSpinBox(this);
        Numero->setValue(5);
        Grade = new QTableWidget(3, 2, this);
        Lista = new QComboBox(this);
        Lista->addItems({QStringLiteral("um"), QStringLiteral("dois")});
        Botao = new QPushButton(QStringLiteral("&OK"), this);
        for (QWidget* w : {static_cast<QWidget*>(Texto), static_cast<QWidget*>(Numero),
                           static_cast<QWidget*>(Grade), static_cast<QWidget*>(Lista),
                           static_cast<QWidget*>(Botao)})
            coluna->addWidget(w);
        connect(Botao, &QPushButton::clicked, this, [this] { ++Cliques; });
        connect(Texto, &QLineEdit::returnPressed, this, [this] { ++EnterNoTexto; });
        FormCreate();
    }

    bool TeclaF1(quint16& k) override { return Anota(1, k); }
    bool TeclaF5(quint16& k) override { return Anota(5, k); }
    bool TeclaF12(quint16& k) override { return Anota(12, k); }
    bool PodeFechar(quint16& k) override {
        ++Perguntas;
        if (PerguntasFora)
            ++*PerguntasFora;
        return TFrmBasico::PodeFechar(k) && Fecha;
    }
    bool Anota(int f, quint16 k) {
        Funcoes.append(QStringLiteral("F%1:%2").arg(f).arg(k));
        return true;
    }

    TQuery* Consulta;
    QLineEdit* Texto;
    QSpinBox* Numero;
    QTableWidget* Grade;
    QComboBox* Lista;
    QPushButton* Botao;
    int Cliques = 0;
    int EnterNoTexto = 0;
    int Perguntas = 0;
    int* PerguntasFora = nullptr;  // outlives the screen
    bool Fecha = true;
    QStringList Funcoes;
};

class FormBasico : public ::testing::Test {
  protected:
    void SetUp() override {
        GaranteAplicacao();
        TAmbienteTela a;
        a.Conexao = &conexao;
        a.ReportaErro = [this](const QString& t) { Relatados.append(t); };
        tela = new TFormTeste(a);
        ASSERT_TRUE(MostraAtiva(tela));
    }
    void TearDown() override {
        delete tela.data();
        LiberaFechadas();
    }

    TConexao conexao;
    QPointer<TFormTeste> tela;
    QStringList Relatados;
};

TEST_F(FormBasico, FormaDaTelaEDataSetsLigadosAoCriar) {
    EXPECT_EQ(tela->windowTitle(), QStringLiteral("Formulário Básico"));
    EXPECT_EQ(tela->objectName(), QStringLiteral("FrmBasico"));
    EXPECT_EQ(tela->size(), QSize(474, 287));
    EXPECT_EQ(tela->minimumSize(), tela->maximumSize());
    const Qt::WindowFlags f = tela->windowFlags();
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(tela->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(tela->Consulta->Connection(), &conexao);
}

TEST_F(FormBasico, EnterNoCampoDeTextoVaiAoProximoEOCampoAindaRecebeOEnter) {
    tela->Texto->setFocus();
    Tecla(Qt::Key_Return);
    EXPECT_EQ(tela->EnterNoTexto, 1);
    EXPECT_EQ(QApplication::focusWidget(), tela->Numero);
    // Ctrl+Enter is Enter; from the spin box on to the grid.
    Tecla(Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), tela->Grade);
}

TEST_F(FormBasico, EnterNoUltimoControleVoltaAoPrimeiroENoBotaoPressionaOBotao) {
    tela->Lista->setFocus();
    Tecla(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), tela->Botao);
    EXPECT_EQ(tela->Cliques, 0);
    Tecla(Qt::Key_Return);
    EXPECT_EQ(tela->Cliques, 1);
    EXPECT_EQ(QApplication::focusWidget(), tela->Botao);
    // The Up arrow from the first control wraps to the last.
    tela->Texto->setFocus();
    Tecla(Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), tela->Botao);
}

TEST_F(FormBasico, SetaAcimaVaiAoAnteriorSemQueOCampoAjaSobreASeta) {
    tela->Numero->setFocus();
    Tecla(Qt::Key_Up);
    EXPECT_EQ(tela->Numero->value(), 5);
    EXPECT_EQ(QApplication::focusWidget(), tela->Texto);
    // The Down arrow is the control's.
    tela->Numero->setFocus();
    Tecla(Qt::Key_Down);
    EXPECT_EQ(tela->Numero->value(), 4);
    EXPECT_EQ(QApplication::focusWidget(), tela->Numero);
}

TEST_F(FormBasico, NaGradeEnterNaoSaiESetaAcimaMoveOCursorDaGrade) {
    tela->Grade->setFocus();
    tela->Grade->setCurrentCell(2, 1);
    Tecla(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), tela->Grade);
    Tecla(Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), tela->Grade);
    EXPECT_EQ(tela->Grade->currentRow(), 1);

    // A cell editor counts as its grid.
    tela->Grade->editItem(nullptr);
    tela->Grade->edit(tela->Grade->currentIndex());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, tela->Grade);
    EXPECT_TRUE(tela->ControleDonoDoTexto(editor));
    Tecla(Qt::Key_Up);
    EXPECT_TRUE(tela->Grade->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(FormBasico, ComAListaAbertaEnterEEscNaoMexemNaTela) {
    tela->Lista->setFocus();
    tela->Lista->showPopup();
    ASSERT_TRUE(tela->ListaAberta(tela->ControleAtivo()));
    Tecla(Qt::Key_Return);
    EXPECT_FALSE(tela->ListaAberta(tela->Lista));
    EXPECT_EQ(QApplication::focusWidget(), tela->Lista);

    tela->Lista->showPopup();
    Tecla(Qt::Key_Escape);
    EXPECT_FALSE(tela->ListaAberta(tela->Lista));
    EXPECT_TRUE(tela->isVisible());
    EXPECT_EQ(tela->Perguntas, 0);
}

TEST_F(FormBasico, EscFechaELiberaATelaQuandoPodeFechar) {
    tela->Fecha = false;
    tela->Texto->setFocus();
    Tecla(Qt::Key_Escape);
    EXPECT_EQ(tela->Perguntas, 1);
    EXPECT_TRUE(tela->isVisible());

    tela->Fecha = true;
    int perguntas = 0;
    tela->PerguntasFora = &perguntas;
    // From the grid's cell editor too.
    tela->Grade->setFocus();
    tela->Grade->setCurrentCell(0, 0);
    tela->Grade->edit(tela->Grade->currentIndex());
    Tecla(Qt::Key_Escape);
    EXPECT_EQ(perguntas, 1);
    EXPECT_TRUE(tela.isNull() || !tela->isVisible());
    LiberaFechadas();
    EXPECT_TRUE(tela.isNull());
}

TEST_F(FormBasico, FechadaPorQualquerCaminhoSeLibera) {
    tela->close();  // the close box
    LiberaFechadas();
    EXPECT_TRUE(tela.isNull());

    TAmbienteTela a;
    a.Conexao = &conexao;
    tela = new TFormTeste(a);
    ASSERT_TRUE(MostraAtiva(tela));
    tela->accept();  // a screen's own button
    LiberaFechadas();
    EXPECT_TRUE(tela.isNull());
}

TEST_F(FormBasico, UltimaTeclaValeEnquantoATeclaEstaPressionada) {
    tela->Grade->setFocus();
    QTest::keyPress(tela->Grade, Qt::Key_Return);
    EXPECT_EQ(tela->UltimaTecla, TFrmBasico::VkEnter);
    EXPECT_TRUE(tela->UltimaTeclaEnter());
    EXPECT_FALSE(tela->UltimaTeclaEsc());
    QTest::keyRelease(tela->Grade, Qt::Key_Return);
    EXPECT_EQ(tela->UltimaTecla, 0);
    EXPECT_FALSE(tela->UltimaTeclaEnter());

    // Any key is stored; any release clears; activation clears.
    tela->Texto->setFocus();
    QTest::keyPress(tela->Texto, Qt::Key_A);
    EXPECT_EQ(tela->UltimaTecla, 65);
    QTest::keyRelease(tela->Texto, Qt::Key_Shift);
    EXPECT_EQ(tela->UltimaTecla, 0);
    QTest::keyPress(tela->Texto, Qt::Key_F3);
    EXPECT_EQ(tela->UltimaTecla, 114);
    QApplication::setActiveWindow(nullptr);
    ASSERT_TRUE(MostraAtiva(tela));
    EXPECT_EQ(tela->UltimaTecla, 0);
}

TEST_F(FormBasico, TeclasDeFuncaoChamamOGanchoDaTeclaQualquerQueSejaOShift) {
    tela->Texto->setFocus();
    Tecla(Qt::Key_F1);
    Tecla(Qt::Key_F5, Qt::ShiftModifier);
    Tecla(Qt::Key_F12, Qt::AltModifier);
    Tecla(Qt::Key_F2);
    EXPECT_EQ(tela->Funcoes, (QStringList{QStringLiteral("F1:112"), QStringLiteral("F5:116"),
                                          QStringLiteral("F12:123")}));
    EXPECT_EQ(QApplication::focusWidget(), tela->Texto);
    EXPECT_TRUE(Relatados.isEmpty());
}

}  // namespace
