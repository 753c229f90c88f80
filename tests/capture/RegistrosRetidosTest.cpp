// The kept-records file read back, listed decoded, and stored again through
// the program's own capture: idempotent, what still fails stays kept with its
// new reason, an unreadable line stays as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "EstacaoTeste.h"
#include "FormatSettingsTemporario.h"
#include "capture/DiarioAbastecimentos.h"
#include "capture/RegistrosRetidos.h"
#include "data/Win1252.h"
#include "tests/ImpressaoQt.h"

namespace {

template <typename TRegistro>
QByteArray Bytes(const TRegistro& r) {
    return QByteArray(reinterpret_cast<const char*>(r.Bytes), sizeof r.Bytes);
}

QByteArray Linha(const char* tipo, const QByteArray& bytes, const QString& motivo) {
    return "25/12/2024 14:35:07 " + QByteArray(tipo) + ' ' + bytes.toHex().toUpper() + ' ' +
           Para1252(motivo) + "\r\n";
}

class RegistrosRetidos : public ::testing::Test {
  protected:
    RegistrosRetidos() {
        novo.Registro = 9999;  // stored again, it moves no sequence
        semBico.Codigo = "0A";
        semBico.Registro = 77;
        jaNoBanco.Codigo = "05";
        jaNoBanco.Registro = 50;
        jaNoBanco.Encerrante = 2000;
        comTag.Codigo = "FF";
        comTag.Registro = 51;
        comTag.Fid = "ABC123";
        comTag.Litros = 10;
        comTag.Dinheiro = 600000;
    }
    QString Arquivo() const {
        return QDir(e.Pasta.path()).filePath(TDiarioAbastecimentos::NomeArquivoRetidos());
    }
    void Escreve(const QByteArray& conteudo) {
        QFile f(Arquivo());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(conteudo);
    }
    QByteArray Conteudo() const {
        QFile f(Arquivo());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TResultadoRetidos Grava() {
        relatos.clear();
        e.Captura->DefineConferencia(false);
        e.Captura->Gravacao().DefineSemIncremento(true);
        return GravaRegistrosRetidos(Arquivo(), *e.Captura, e.Conexao, e.UsaFid,
                                     [this](const QString& l) { relatos << l; });
    }

    const TFormatSettingsTemporario virgula{TFormatSettings()};
    TEstacaoTeste e;
    TCampos novo, semBico, jaNoBanco, comTag;
    QStringList relatos;
};

TEST_F(RegistrosRetidos, ListaDecodificada) {
    Escreve(Linha("S", Bytes(RegistroPadrao(novo)), QStringLiteral("motivo é este")) +
            Linha("F", Bytes(RegistroFid(comTag)), QStringLiteral("outro")) + "lixo\r\n" +
            "25/12/2024 14:35:07 S 0102 curto\r\n\r\n");
    const std::vector<TRegistroRetido> r = LeRegistrosRetidos(Arquivo());
    ASSERT_EQ(r.size(), 4u);
    QStringList linhas;
    for (const TRegistroRetido& x : r)
        linhas << DescreveRegistroRetido(x);
    EXPECT_EQ(linhas,
              QStringList({
                  QStringLiteral("25/12/2024 14:35  bico 031 (1F)  4,250 litros  valor 25,50  "
                                 "motivo: motivo é este"),
                  QStringLiteral("25/12/2024 14:35  bico 255 (FF)  10,000 litros  valor 60,00  "
                                 "motivo: outro"),
                  QStringLiteral("linha ilegível (linha incompleta)  motivo: "),
                  QStringLiteral("linha ilegível (registro de 2 bytes, esperados 144)  motivo: "
                                 "curto"),
              }));
    EXPECT_TRUE(LeRegistrosRetidos(Arquivo() + QStringLiteral("-nao-existe")).empty());
}

TEST_F(RegistrosRetidos, GravaDeNovoUmaVezSoEOQueFalhaFicaComONovoMotivo) {
    // Stored already by an earlier run of the tool that was cut short.
    e.Captura->ProcessaAbastecimento(RegistroPadrao(jaNoBanco));
    ASSERT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 1);
    const QString sequencia = QStringLiteral("Select SequenciaAbast N From ParaPosto");
    const int sequenciaAntes = e.Conta(sequencia);

    Escreve(Linha("S", Bytes(RegistroPadrao(novo)), QStringLiteral("banco fora do ar")) +
            Linha("S", Bytes(RegistroPadrao(semBico)), QStringLiteral("motivo antigo")) +
            Linha("S", Bytes(RegistroPadrao(jaNoBanco)), QStringLiteral("x")) + "lixo\r\n" +
            Linha("F", Bytes(RegistroFid(comTag)), QStringLiteral("y")));

    TResultadoRetidos r = Grava();
    EXPECT_EQ(r.Gravados, 2);
    EXPECT_EQ(r.JaGravados, 1);
    EXPECT_EQ(r.Retidos, 2);
    EXPECT_FALSE(r.Interrompido);
    EXPECT_EQ(relatos.size(), 5);

    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 3);
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Id = 9999 And "
                                     "CodBico = '01' And Sequencia = %1")
                          .arg(sequenciaAntes)),
              1);
    EXPECT_EQ(e.Conta(QStringLiteral(
                  "Select Count(*) N From MvAbast Where Id = 51 And CodFid = 'ABC123'")),
              1);
    EXPECT_EQ(e.Conta(sequencia), sequenciaAntes) << "a kept 9999 moves no sequence";

    const QString motivoNovo = QStringLiteral(
        "O sistema não encontrou nenhum bico relacionado com o concentrador 010 ID: 077 "
        "Dinheiro: 25,5 Litros: 4,25");
    const QByteArray esperado = Linha("S", Bytes(RegistroPadrao(semBico)), motivoNovo) + "lixo\r\n";
    EXPECT_EQ(Conteudo(), esperado);

    // Again: nothing left to store, nothing stored twice, the file as it was.
    r = Grava();
    EXPECT_EQ(r.Gravados, 0);
    EXPECT_EQ(r.JaGravados, 0);
    EXPECT_EQ(r.Retidos, 2);
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast")), 3);
    EXPECT_EQ(Conteudo(), esperado);
}

}  // namespace
