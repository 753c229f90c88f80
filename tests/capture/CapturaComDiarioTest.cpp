// The capture with its journal against a real station database: what a
// previous run left, records that can never be stored, entries whose row is
// already there, the kept-records file, the error box across attempts, a
// link lost in the middle.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <memory>
#include <utility>

#include "EstacaoTeste.h"
#include "RelogioFixo.h"
#include "capture/CapturaComDiario.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Win1252.h"
#include "tests/ImpressaoQt.h"

namespace {

const QString kTodasAsLinhas = QStringLiteral("Select Count(*) N From MvAbast");

QByteArray Bytes(const TAbastecimento& r) {
    return QByteArray(reinterpret_cast<const char*>(r.Bytes), sizeof r.Bytes);
}

// The station of the capture tests with a journal in a folder of its own; a
// new capture over the same folder is the program started again.
class CapturaComDiario : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(e.Pasta.path()).mkpath(QStringLiteral("programa")));
        Reinicia();
    }
    void Reinicia() {
        Captura = std::make_unique<TCapturaComDiario>(
            TCapturaAbastecimento::TAmbiente{
                .Conexao = e.Conexao,
                .Bombas = e.Bombas,
                .MvAbast = e.MvAbast,
                .ParaPosto = e.ParaPosto,
                .SequenciaAbast = e.SequenciaAbast,
                .UsaFid = e.UsaFid,
                .Log = e.Log,
                .Dialogos = e.Dialogos,
                .RestoreMainWindow = [this] { ++e.Restauracoes; },
                .ProcessaEventos = [] {},
            },
            Programa(), relogio);
        Captura->CarregaPendentes();
    }
    QString Programa() const { return QDir(e.Pasta.path()).filePath(QStringLiteral("programa")); }
    QByteArray Arquivo(const QString& nome) const {
        QFile f(QDir(Programa()).filePath(nome));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray Pendentes() const { return Arquivo(TDiarioAbastecimentos::NomeArquivo()); }
    QByteArray Retidos() const { return Arquivo(TDiarioAbastecimentos::NomeArquivoRetidos()); }
    int Linhas() { return e.Conta(kTodasAsLinhas); }

    TEstacaoTeste e;
    TRelogioFixo relogio{QDateTime(QDate(2024, 12, 25), QTime(14, 35, 7))};
    std::unique_ptr<TCapturaComDiario> Captura;
};

TEST_F(CapturaComDiario, OQueUmaExecucaoDeixouEGravadoEUmaUltimaLinhaDanificadaSoDaUmaLinhaDeErro) {
    const QByteArray registro = Bytes(RegistroPadrao(TCampos()));
    {
        QFile f(QDir(Programa()).filePath(TDiarioAbastecimentos::NomeArquivo()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("P 7 25/12/2024 14:30:00 S " + registro.toHex().toUpper() +
                "\r\nP 8 25/12/2024 14:3");
    }
    Reinicia();
    ASSERT_EQ(e.Log.Erros.size(), 1);
    EXPECT_TRUE(e.Log.Erros[0].startsWith(
        QStringLiteral("Linha 2 danificada no arquivo AbastecimentosPendentes")));
    EXPECT_EQ(Linhas(), 0) << "nothing is stored before the first cycle";

    EXPECT_TRUE(Captura->RetomaPendentes());
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where CodBico = '01' And "
                                     "Id = 42 And Hora = '14:35:00'")),
              1);
    EXPECT_TRUE(Pendentes().isEmpty());
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
    EXPECT_EQ(e.Log.Erros.size(), 1);
}

TEST_F(CapturaComDiario, EntradaComEtiquetaVoltaNaFormaComEtiqueta) {
    e.UsaFid = true;
    TCampos campos;
    campos.Fid = "TAG0000000000042";
    const TAbastecimentoFid registro = RegistroFid(campos);
    Captura->Diario().Registra(
        QByteArray(reinterpret_cast<const char*>(registro.Bytes), sizeof registro.Bytes), true);
    Reinicia();
    EXPECT_TRUE(Captura->RetomaPendentes());
    EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Id = 42 And "
                                     "CodFid = 'TAG0000000000042' And EncerranteFinal = 10250.5")),
              1);
    EXPECT_TRUE(Retidos().isEmpty());
    EXPECT_TRUE(Pendentes().isEmpty());
}

TEST_F(CapturaComDiario, RegistroQueNuncaSeGravaVaiAosRetidosNaPrimeiraFalhaEONaoTrava) {
    struct Caso {
        const char* Codigo;
        const char* Data;
        const char* Hora;
        const char* Motivo;
    } casos[] = {
        {"G1", "25/12/2024", "14:35", "'G1' não é um valor inteiro válido"},
        {"", "25/12/2024", "14:35", "'' não é um valor inteiro válido"},
        {"1F", "31/02/2024", "14:35", "'31/02/2024' não é uma data válida"},
        {"1F", "25/12/2024", "25:61", "'25:61' não é uma hora válida"},
    };
    int id = 100;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.Motivo);
        e.Dialogos.Caixas.clear();
        e.Log.Erros.clear();
        QFile::remove(QDir(Programa()).filePath(TDiarioAbastecimentos::NomeArquivoRetidos()));
        TCampos ruim;
        ruim.Codigo = c.Codigo;
        ruim.Data = c.Data;
        ruim.Hora = c.Hora;
        ruim.Registro = ++id;
        const TAbastecimento registro = RegistroPadrao(ruim);
        Captura->ProcessaAbastecimento(registro);

        // The error box once, then straight to the kept records.
        EXPECT_EQ(e.Dialogos.Caixas.size(), 1u);
        const QString motivo = QString::fromUtf8(c.Motivo);
        EXPECT_EQ(Retidos(), "25/12/2024 14:35:07 S " + Bytes(registro).toHex().toUpper() + ' ' +
                                 Para1252(motivo) + "\r\n");
        EXPECT_EQ(e.Log.Erros,
                  QStringList{QStringLiteral("Abastecimento guardado em AbastecimentosRetidos: ") +
                              motivo});
        EXPECT_TRUE(Pendentes().isEmpty());

        EXPECT_TRUE(Captura->RetomaPendentes());
        TCampos bom;
        bom.Registro = ++id;
        Captura->ProcessaAbastecimento(RegistroPadrao(bom));
        EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Id = %1").arg(id)),
                  1);
        EXPECT_EQ(e.Dialogos.Caixas.size(), 1u);
    }
    EXPECT_EQ(Linhas(), 4);
}

TEST_F(CapturaComDiario, EntradaCujaLinhaJaExisteSaiSemGravarDeNovo) {
    const TCampos base;  // nozzle 01, 25/12/2024, register 42, totalizer 10250.5
    Captura->ProcessaAbastecimento(RegistroPadrao(base));
    ASSERT_EQ(Linhas(), 1);

    struct Caso {
        const char* Nome;
        TCampos Campos;
        int LinhasDepois;
    };
    TCampos quaseIgual = base, outroEncerrante = base, outroId = base, outroDia = base,
            outroBico = base, outraHora = base;
    quaseIgual.Encerrante += 0.0004;
    outroEncerrante.Encerrante += 0.001;
    outroId.Registro = 43;
    outroDia.Data = "26/12/2024";
    outroBico.Codigo = "05";
    outraHora.Hora = "15:00";  // storing may have moved the time: not compared
    const Caso casos[] = {
        {"the same fueling", base, 1},
        {"a totalizer within half a thousandth", quaseIgual, 1},
        {"another time of day", outraHora, 1},
        {"another totalizer", outroEncerrante, 2},
        {"another register number", outroId, 2},
        {"another day", outroDia, 2},
        {"another nozzle", outroBico, 2},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.Nome);
        e.Executa(
            QStringLiteral("Delete From MvAbast Where Not (Id = 42 And Data = '25.12.2024' "
                           "And CodBico = '01' And Hora = '14:35:00')"));
        const auto linhasDeLog = e.Log.Linhas.size();
        // Left by a run killed after its commit, before the entry was cleared.
        Captura->Diario().Registra(Bytes(RegistroPadrao(c.Campos)), false);
        Reinicia();
        EXPECT_TRUE(Captura->RetomaPendentes());
        EXPECT_EQ(Linhas(), c.LinhasDepois);
        EXPECT_EQ(e.Log.Linhas.size(), linhasDeLog + std::size_t(c.LinhasDepois - 1));
        EXPECT_TRUE(Pendentes().isEmpty());
    }
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
    EXPECT_TRUE(Retidos().isEmpty());
}

TEST_F(CapturaComDiario, RetidosGuardamOBicoDesconhecidoEOInsertRecusadoComOMotivo) {
    e.Executa(
        QStringLiteral("ALTER TABLE MvAbast ADD CONSTRAINT CK_Litragem CHECK (Litragem < 1000)"));
    TCampos semBico;
    semBico.Codigo = "0A";
    semBico.Registro = 9998;
    TCampos grande;
    grande.Litros = 1500;
    grande.Registro = 9999;
    const TAbastecimento registros[] = {RegistroPadrao(semBico), RegistroPadrao(grande)};
    for (const TAbastecimento& r : registros)
        Captura->ProcessaAbastecimento(r);

    // Both reported as always, once: the unknown nozzle's line, the
    // refused INSERT's box, line and sequence increment.
    ASSERT_EQ(e.Log.Erros.size(), 2);
    EXPECT_EQ(e.Log.Erros[0], QStringLiteral("O sistema não encontrou nenhum bico relacionado com "
                                             "o concentrador 010 ID: 998 Dinheiro: 25,5 Litros: "
                                             "4,25"));
    const QString recusa =
        e.Log.Erros[1].mid(e.Log.Erros[1].indexOf(QStringLiteral(" Erro: ")) + 7);
    EXPECT_TRUE(recusa.contains(QStringLiteral("CK_LITRAGEM"))) << recusa.toStdString();
    EXPECT_EQ(e.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(e.Conta(QStringLiteral("Select SequenciaAbast N From ParaPosto")), 8);

    const QByteArray esperado = "25/12/2024 14:35:07 S " + Bytes(registros[0]).toHex().toUpper() +
                                ' ' + Para1252(e.Log.Erros[0]) + "\r\n" + "25/12/2024 14:35:07 S " +
                                Bytes(registros[1]).toHex().toUpper() + ' ' +
                                Para1252(QString(recusa).replace(u'\n', u' ')) + "\r\n";
    EXPECT_EQ(Retidos(), esperado);
    EXPECT_TRUE(Pendentes().isEmpty());

    // Never stored again: that would repeat the line and the increment.
    Reinicia();
    EXPECT_TRUE(Captura->RetomaPendentes());
    EXPECT_EQ(e.Log.Erros.size(), 2);
    EXPECT_EQ(e.Log.Linhas.size(), 1u);
    EXPECT_EQ(e.Conta(QStringLiteral("Select SequenciaAbast N From ParaPosto")), 8);
    EXPECT_EQ(Linhas(), 0);
}

TEST_F(CapturaComDiario, UmaCaixaPorAbastecimentoPorMaisTentativasQueLeve) {
    struct Caso {
        int FalhasAntes;  // attempts that fail before storing works
        bool Gravado;
    } casos[] = {{1, true}, {4, true}, {TCapturaComDiario::TentativasMaximas, false}};
    int id = 0;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.FalhasAntes);
        e.Dialogos.Caixas.clear();
        e.Log.Erros.clear();
        e.Restauracoes = 0;
        int falhas = 0;
        // The activity log cannot be written: everything is undone.
        e.Log.AoEscrever = [&] {
            if (falhas < c.FalhasAntes) {
                ++falhas;
                throw EErro(QStringLiteral("disco cheio"));
            }
        };
        TCampos campos;
        campos.Registro = ++id;
        Captura->ProcessaAbastecimento(RegistroPadrao(campos));
        int ciclos = 0;
        while (!Captura->RetomaPendentes()) {
            ASSERT_LT(++ciclos, 100);
            EXPECT_EQ(Linhas(), id - 1);
        }
        EXPECT_EQ(falhas, c.FalhasAntes);
        EXPECT_EQ(e.Dialogos.Caixas.size(), 1u);
        EXPECT_EQ(e.Restauracoes, 1);
        EXPECT_EQ(e.Conta(QStringLiteral("Select Count(*) N From MvAbast Where Id = %1").arg(id)),
                  c.Gravado ? 1 : 0);
        if (!c.Gravado) {
            EXPECT_EQ(e.Log.Erros, QStringList{QStringLiteral("Abastecimento guardado em "
                                                              "AbastecimentosRetidos: Erro ao "
                                                              "Gravar o Abastecimento")});
            EXPECT_TRUE(Retidos().endsWith(" Erro ao Gravar o Abastecimento\r\n"));
            --id;
        }
        EXPECT_TRUE(Pendentes().isEmpty());
    }
    e.Log.AoEscrever = nullptr;
}

TEST_F(CapturaComDiario, LigacaoPerdidaNoMeioNaoMostraCaixaEGravaDepoisUmaVezSo) {
    bool derruba = true;
    e.Log.AoEscrever = [&] {
        if (std::exchange(derruba, false))
            e.Executa(QStringLiteral(
                "Delete From Mon$Attachments Where Mon$Attachment_Id <> Current_Connection"));
    };
    Captura->ProcessaAbastecimento(RegistroPadrao(TCampos()));
    EXPECT_EQ(Captura->Captura().Desfecho(), TDesfechoCaptura::SemConexao);
    EXPECT_FALSE(e.Conexao.Connected());
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
    EXPECT_EQ(e.Restauracoes, 0);
    EXPECT_EQ(Linhas(), 0);
    EXPECT_TRUE(Pendentes().startsWith("P 1 "));

    e.Conexao.Open();
    EXPECT_TRUE(Captura->RetomaPendentes());
    EXPECT_EQ(Linhas(), 1);
    EXPECT_TRUE(Pendentes().isEmpty());
    EXPECT_TRUE(e.Dialogos.Caixas.empty());
    EXPECT_TRUE(e.Log.Erros.isEmpty());
}

TEST_F(CapturaComDiario, DiarioQueNaoSeGravaEDitoEOAbastecimentoAindaEGravado) {
    QFile::remove(QDir(Programa()).filePath(TDiarioAbastecimentos::NomeArquivo()));
    // A folder where the file should be: no entry can be written.
    ASSERT_TRUE(QDir(Programa()).mkdir(TDiarioAbastecimentos::NomeArquivo()));
    const TAbastecimento registro = RegistroPadrao(TCampos());
    Captura->ProcessaAbastecimento(registro);
    ASSERT_EQ(e.Log.Erros.size(), 1);
    EXPECT_TRUE(e.Log.Erros[0].startsWith(
        QStringLiteral("Abastecimento não registrado em AbastecimentosPendentes: ")));
    EXPECT_TRUE(e.Log.Erros[0].endsWith(QStringLiteral(" Registro: ") +
                                        QString::fromLatin1(Bytes(registro).toHex().toUpper())));
    ASSERT_EQ(e.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(e.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(e.Restauracoes, 1);
    EXPECT_EQ(Linhas(), 1);
}

}  // namespace
