#include <gtest/gtest.h>

#include <QDate>

#include "EstacaoTeste.h"
#include "capture/ProcessaAbastecimento.h"
#include "data/Erro.h"
#include "tests/ImpressaoQt.h"

namespace {

const QString kTodasAsLinhas = QStringLiteral("Select Count(*) N From MvAbast");

QString ErroLeitura(const QString& mensagem) {
    return QStringLiteral("Ocorreu um erro ao realizar a leitura do abastecimento:\r") + mensagem +
           QStringLiteral(
               "\rFeche o sistema de conexão com o concentrador e o reinicie novamente!");
}

TCampos ComCodigo(const std::string& codigo) {
    TCampos c;
    c.Codigo = codigo;
    return c;
}

TEST(CodigoConcentrador, HexadecimalViraTresDigitosDecimais) {
    const struct {
        const char* Hex;
        const char* Decimal;
    } casos[] = {{"1F", "031"}, {"05", "005"}, {"ff", "255"},
                 {"0A", "010"}, {"00", "000"}, {"7", "007"}};
    for (const auto& c : casos)
        EXPECT_EQ(CodigoConcentradorDe(QString::fromLatin1(c.Hex)), QString::fromLatin1(c.Decimal))
            << c.Hex;
    for (const char* invalido : {"", "G1", "1G", " 5", "-1", "0x"})
        EXPECT_THROW(CodigoConcentradorDe(QString::fromLatin1(invalido)), EErro) << invalido;
}

TEST(Captura, GravaAsQuinzeColunasEALinhaDoLog) {
    TEstacaoTeste e;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(TCampos()));

    ASSERT_TRUE(e.Dialogos.Caixas.empty());
    auto q = e.Consulta(QStringLiteral("Select * From MvAbast"));
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->AsDate(QStringLiteral("Data")), QDate(2024, 12, 25));
    EXPECT_EQ(q->AsString(QStringLiteral("Hora")), QStringLiteral("14:35:00"));
    EXPECT_EQ(q->AsString(QStringLiteral("CodBico")), QStringLiteral("01"));
    EXPECT_EQ(q->AsString(QStringLiteral("Combustivel")), QStringLiteral("GASOLINA COMUM"));
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("Litragem")), 4.25);
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("Valor")), 25.5);
    EXPECT_EQ(q->AsString(QStringLiteral("CodProd")), QStringLiteral("001"));
    EXPECT_EQ(q->AsString(QStringLiteral("CodGrade")), QStringLiteral("12A"));
    EXPECT_TRUE(q->IsNull(QStringLiteral("CodFid")));
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("PrecoUnit")), 6.0);
    EXPECT_FALSE(q->IsNull(QStringLiteral("Desconto")));
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("Desconto")), 0.0);
    EXPECT_EQ(q->AsString(QStringLiteral("Emitido")), QStringLiteral("N"));
    EXPECT_EQ(q->AsInteger(QStringLiteral("Id")), 42);
    EXPECT_EQ(q->AsInteger(QStringLiteral("Sequencia")), 7);
    EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("EncerranteFinal")), 10250.5);

    ASSERT_EQ(e.Log.Linhas.size(), 1u);
    const TLogFalso::Linha& l = e.Log.Linhas[0];
    EXPECT_EQ(l.Data, QStringLiteral("25/12/2024"));
    EXPECT_EQ(l.Hora, QStringLiteral("14:35:00"));
    EXPECT_EQ(l.CodBico, QStringLiteral("01"));
    EXPECT_DOUBLE_EQ(l.Litros, 4.25);
    EXPECT_DOUBLE_EQ(l.Total, 25.5);
    EXPECT_DOUBLE_EQ(l.PrecoUnit, 6.0);
    EXPECT_EQ(l.Sequencia, QStringLiteral("7"));
    EXPECT_EQ(l.Id, QStringLiteral("42"));
    EXPECT_EQ(l.Canal, QStringLiteral("031"));
    EXPECT_TRUE(e.Log.Erros.isEmpty());
    EXPECT_FALSE(e.Conexao.InTransaction());
    // The new line is painted before the cycle goes on.
    EXPECT_EQ(e.Eventos, 1);
    EXPECT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::Gravado);
}

TEST(Captura, RegistrosSemAbastecimentoSaoDescartadosSemRastro) {
    TCampos vazio;
    vazio.Presente = false;
    TCampos volume;
    volume.Litros = 0.004;
    TCampos preco;
    preco.PrecoUnit = 49;  // 0,0049
    const struct {
        const char* Nome;
        TCampos Campos;
    } casos[] = {{"sem abastecimento", vazio}, {"volume 0,004", volume}, {"preço 0,0049", preco}};

    TEstacaoTeste e;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(ComCodigo("05")));
    ASSERT_EQ(e.Captura->CodigoConcentrador(), QStringLiteral("005"));
    for (const auto& c : casos) {
        for (bool fid : {false, true}) {
            SCOPED_TRACE(std::string(c.Nome) + (fid ? " (FID)" : ""));
            if (fid)
                e.Captura->ProcessaAbastecimentoFID(RegistroFid(c.Campos));
            else
                e.Captura->ProcessaAbastecimento(RegistroPadrao(c.Campos));
            EXPECT_EQ(e.Conta(kTodasAsLinhas), 1);
            EXPECT_EQ(e.Log.Linhas.size(), 1u);
            EXPECT_TRUE(e.Log.Erros.isEmpty());
            EXPECT_TRUE(e.Dialogos.Caixas.empty());
            EXPECT_EQ(e.Eventos, 1);
            EXPECT_EQ(e.Captura->CodigoConcentrador(), QStringLiteral("005"));
            EXPECT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::SemAbastecimento);
        }
    }
}

TEST(Captura, ValoresPequenosMasNaoNulosSaoGravados) {
    TCampos meioCentavo;
    meioCentavo.Litros = 0.005;
    meioCentavo.PrecoUnit = 50000;
    TCampos semValor;
    semValor.Dinheiro = 0;
    TEstacaoTeste e;
    e.Captura->ProcessaAbastecimento(RegistroPadrao(meioCentavo));
    e.Captura->ProcessaAbastecimento(RegistroPadrao(semValor));
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Litragem = 0.005")), 1);
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Valor = 0")), 1);
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
}

TEST(Captura, CodigoHexadecimalEncontraOBicoPeloCodigoDecimal) {
    const struct {
        const char* Hex;
        const char* Concentrador;
        const char* Bico;
    } casos[] = {{"1F", "031", "01"}, {"05", "005", "02"}, {"ff", "255", "03"}};
    TEstacaoTeste e;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Hex);
        e.Captura->ProcessaAbastecimento(RegistroPadrao(ComCodigo(c.Hex)));
        EXPECT_EQ(e.Captura->CodigoConcentrador(), QLatin1String(c.Concentrador));
        ASSERT_FALSE(e.Log.Linhas.empty());
        EXPECT_EQ(e.Log.Linhas.back().CodBico, QLatin1String(c.Bico));
        EXPECT_EQ(e.Log.Linhas.back().Canal, QLatin1String(c.Concentrador));
        EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where CodBico = '%1'")
                              .arg(QLatin1String(c.Bico))),
                  1);
    }
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
}

TEST(Captura, CodigoInvalidoTomaOCaminhoDeErroEPollingContinua) {
    TEstacaoTeste e;
    for (const char* codigo : {"", "G1", "1G"}) {
        SCOPED_TRACE(codigo);
        e.Dialogos.Caixas.clear();
        e.Restauracoes = 0;
        e.Captura->ProcessaAbastecimento(RegistroPadrao(ComCodigo(codigo)));
        ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
        EXPECT_EQ(e.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
        EXPECT_EQ(e.Dialogos.Caixas[0].Botoes, TBotoes::Ok);
        EXPECT_EQ(
            e.Dialogos.Caixas[0].Texto,
            ErroLeitura(
                QStringLiteral("'%1' não é um valor inteiro válido").arg(QLatin1String(codigo))));
        EXPECT_EQ(e.Restauracoes, 1);
        EXPECT_EQ(e.Conta(kTodasAsLinhas), 0);
        EXPECT_TRUE(e.Log.Linhas.empty());
        EXPECT_TRUE(e.Log.Erros.isEmpty());
        EXPECT_FALSE(e.Conexao.InTransaction());
        EXPECT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::Falhou);
    }
    e.Captura->ProcessaAbastecimento(RegistroPadrao(TCampos()));
    EXPECT_EQ(e.Conta(kTodasAsLinhas), 1);
}

TEST(Captura, ErroDepoisDoInsertDesfazTudoEMostraACaixa) {
    TEstacaoTeste e;
    e.Log.AoEscrever = [] { throw EErro(QStringLiteral("disco cheio")); };
    e.Captura->ProcessaAbastecimento(RegistroPadrao(TCampos()));

    ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
    // Storage replaces whatever went wrong by its own message.
    EXPECT_EQ(e.Dialogos.Caixas[0].Texto,
              ErroLeitura(QStringLiteral("Erro ao Gravar o Abastecimento")));
    EXPECT_EQ(e.Restauracoes, 1);
    EXPECT_EQ(e.Conta(kTodasAsLinhas), 0);
    EXPECT_FALSE(e.Conexao.InTransaction());
    EXPECT_EQ(e.Eventos, 0);
}

TEST(Captura, BicoDesconhecidoGravaUmaLinhaDeErroESoIsso) {
    const struct {
        const char* Hex;
        std::int32_t Registro;
        const char* Linha;
    } casos[] = {
        {"0A", 42,
         "O sistema não encontrou nenhum bico relacionado com o concentrador 010 ID: 042 "
         "Dinheiro: 25,5 Litros: 4,25"},
        {"FE", 1234,
         "O sistema não encontrou nenhum bico relacionado com o concentrador 254 ID: 234 "
         "Dinheiro: 25,5 Litros: 4,25"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Hex);
        TEstacaoTeste e;
        bool emTransacao = true;
        e.Log.AoGravarErro = [&] { emTransacao = e.Conexao.InTransaction(); };
        TCampos campos = ComCodigo(c.Hex);
        campos.Registro = c.Registro;
        e.Captura->ProcessaAbastecimento(RegistroPadrao(campos));
        EXPECT_EQ(e.Log.Erros, QStringList{QString::fromUtf8(c.Linha)});
        EXPECT_FALSE(emTransacao);
        EXPECT_TRUE(e.Dialogos.Caixas.empty());
        EXPECT_EQ(e.Restauracoes, 0);
        EXPECT_TRUE(e.Log.Linhas.empty());
        EXPECT_EQ(e.Conta(kTodasAsLinhas), 0);
        EXPECT_EQ(e.Captura->Desfecho(), TDesfechoCaptura::BicoDesconhecido);
    }
}

class DescricaoDoCombustivel
    : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DescricaoDoCombustivel, SoOSExatoEscolheADescricaoDoBico) {
    TEstacaoTeste::Opcoes opcoes;
    opcoes.ImpreDescBico = QString::fromLatin1(GetParam().first);
    TEstacaoTeste e(opcoes);
    e.Captura->ProcessaAbastecimento(RegistroPadrao(TCampos()));
    auto q = e.Consulta(QStringLiteral("Select Combustivel From MvAbast"));
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->AsString(QStringLiteral("Combustivel")), QString::fromLatin1(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(ImpreDescBico, DescricaoDoCombustivel,
                         ::testing::Values(std::pair{"S", "BICO 01 GASOLINA"},
                                           std::pair{"N", "GASOLINA COMUM"},
                                           std::pair{"", "GASOLINA COMUM"},
                                           std::pair{"s", "GASOLINA COMUM"}));

TEST(CapturaFid, EtiquetaSegueAsRegrasDeNulo) {
    const QString dezesseis = QStringLiteral("ABCDEFGHIJKLMNOP");
    const struct {
        const char* Nome;
        bool UsaFid;
        std::string Etiqueta;
        int TamanhoFid;
        bool Nulo;
        QString Gravada;
    } casos[] = {
        {"16 caracteres inteiros", true, "ABCDEFGHIJKLMNOP", -1, false, dezesseis},
        {"comprimento 30 cortado em 16", true, "ABCDEFGHIJKLMNOP", 30, false, dezesseis},
        {"zeros viram nulo", true, "0000000000000000", -1, true, QString()},
        {"vazia fica vazia", true, "", -1, false, QString()},
        {"sem FID sempre nulo", false, "ABCDEFGHIJKLMNOP", -1, true, QString()},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TEstacaoTeste e;
        e.UsaFid = c.UsaFid;
        TCampos campos;
        campos.Fid = c.Etiqueta;
        campos.TamanhoFid = c.TamanhoFid;
        campos.Hora = "09:05:07";
        campos.Registro = 77;
        campos.Encerrante = 333.5;
        e.Captura->ProcessaAbastecimentoFID(RegistroFid(campos));
        auto q = e.Consulta(QStringLiteral("Select * From MvAbast"));
        ASSERT_EQ(q->RecordCount(), 1);
        EXPECT_EQ(q->IsNull(QStringLiteral("CodFid")), c.Nulo);
        if (!c.Nulo) {
            EXPECT_EQ(q->AsString(QStringLiteral("CodFid")), c.Gravada);
        }
        // The fields past offset 54 sit elsewhere in this layout.
        EXPECT_EQ(q->AsString(QStringLiteral("Hora")), QStringLiteral("09:05:07"));
        EXPECT_EQ(q->AsInteger(QStringLiteral("Id")), 77);
        EXPECT_DOUBLE_EQ(q->AsFloat(QStringLiteral("EncerranteFinal")), 333.5);
    }
}

}  // namespace
