// The polling cycle with the journal-backed capture over a real embedded
// station database: the database going away and coming back, a fueling
// that keeps failing holding the next ones in the concentrator, and what a
// previous run left stored before anything new is read.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <deque>
#include <functional>
#include <memory>

#include "EstacaoTeste.h"
#include "Posto.h"
#include "RelogioFixo.h"
#include "Tmpfs.h"
#include "capture/CapturaComDiario.h"
#include "data/Conexao.h"
#include "data/DataSet.h"

namespace {

// Hands over the queued records one per call, as the concentrator does.
class TConcentradorFila final : public TConcentrador {
  public:
    TAbastecimento GetLeAbastecimento() override {
        ++Leituras;
        if (AoLer)
            AoLer();
        if (Fila.empty())
            return TAbastecimento();
        const TAbastecimento r = Fila.front();
        Fila.pop_front();
        return r;
    }
    std::deque<TAbastecimento> Fila;
    int Leituras = 0;
    std::function<void()> AoLer;
};

TAbastecimento Registro(int id) {
    TCampos c;
    c.Registro = id;
    c.Hora = QStringLiteral("10:%1").arg(id, 2, 10, QLatin1Char('0')).toStdString();
    // One litre each: the totalizers follow one another.
    c.Litros = 1;
    c.Encerrante = 1000 + id;
    return RegistroPadrao(c);
}

class CicloComDiario : public ::testing::Test {
  protected:
    void SetUp() override {
        ExecutaSql(posto.Banco,
                   QStringLiteral("INSERT INTO Produto VALUES ('001', 'GASOLINA COMUM');"
                                  "INSERT INTO Tanques VALUES ('01', '001');"
                                  "INSERT INTO Bombas (CodBico, Descricao, CodTanque, "
                                  "CodConcentrador) VALUES ('01', 'BICO 01', '01', '031');"
                                  "COMMIT;"));
    }

    TComunicador& Inicia(int abastecimentos) {
        TParaPosto p;
        p.VisualizaStatus = QStringLiteral("S");
        posto.Prepara(p);
        posto.Fabrica = [this, abastecimentos]() -> std::unique_ptr<TConcentrador> {
            auto c = std::make_unique<TConcentradorFila>();
            for (int id = 1; id <= abastecimentos; ++id)
                c->Fila.push_back(Registro(id));
            Concentrador = c.get();
            return c;
        };
        TComunicador& c = posto.Cria();
        auto ambiente = c.AmbienteCaptura();
        ambiente.ProcessaEventos = [] {};
        c.DefineCaptura(std::make_unique<TCapturaComDiario>(std::move(ambiente),
                                                            c.DiretorioPrograma(), c.Relogio()));
        auto publicacao = std::make_unique<TPublicacaoFalsa>();
        Publicacao = publicacao.get();
        c.DefinePublicacaoStatus(std::move(publicacao));
        c.FormCreate();
        EXPECT_TRUE(posto.Dialogos.Caixas.empty());
        return c;
    }

    int Linhas(const QString& filtro = QStringLiteral("1 = 1")) {
        return ValorSql(posto.Banco, QStringLiteral("Select Count(*) From MvAbast Where ") + filtro)
            .toInt();
    }

    // Kills every attachment of the program to its database.
    void Mata() {
        TConexao outra;
        ConfiguraConexaoTeste(outra, posto.Banco);
        outra.Open();
        TQuery q;
        q.SetConnection(&outra);
        q.SetSQL(QStringLiteral(
            "Delete From Mon$Attachments Where Mon$Attachment_Id <> Current_Connection"));
        q.ExecSQL();
    }
    // The attachment killed and the database file gone: the database is out
    // of reach until Volta.
    void Derruba() {
        Mata();
        ASSERT_TRUE(QFile::rename(posto.Banco, posto.Banco + QStringLiteral(".fora")));
        // The engine lets the database go only once the killed attachment
        // is purged, on a thread of its own; until then an attach by the old
        // path still joins the open database. The outage starts when a new
        // attach fails.
        QDeadlineTimer prazo(10000);
        for (;;) {
            TConexao sonda;
            ConfiguraConexaoTeste(sonda, posto.Banco);
            try {
                sonda.Open();
            } catch (const std::exception&) {
                break;
            }
            sonda.Close();
            ASSERT_FALSE(prazo.hasExpired()) << "the database stays open in the engine";
            QThread::msleep(20);
        }
    }
    void Volta() { ASSERT_TRUE(QFile::rename(posto.Banco + QStringLiteral(".fora"), posto.Banco)); }

    TPosto posto;
    TConcentradorFila* Concentrador = nullptr;
    TPublicacaoFalsa* Publicacao = nullptr;
};

TEST_F(CicloComDiario, BancoForaNadaSeLeNemPublicaEUmaLinhaMarcaCadaPonta) {
    TComunicador& c = Inicia(3);
    c.LeConcentradorTimer();
    ASSERT_EQ(Concentrador->Leituras, 1);
    ASSERT_EQ(Linhas(), 1);

    Derruba();
    for (int ciclo = 0; ciclo < 3; ++ciclo) {
        SCOPED_TRACE(ciclo);
        c.LeConcentradorTimer();
        EXPECT_EQ(Concentrador->Leituras, 1) << "the fuelings wait in the concentrator";
        EXPECT_EQ(Publicacao->Passes, 1);
        EXPECT_EQ(c.TextoStatus(), QStringLiteral(" Banco de dados inacessível"));
        EXPECT_EQ(posto.Janela.Status, c.TextoStatus());
        EXPECT_TRUE(c.LeConcentrador.isActive());
    }
    const QStringList erros = posto.ErrosLog();
    ASSERT_EQ(erros.size(), 1) << erros.join(u'\n').toStdString();
    EXPECT_TRUE(erros[0].startsWith(TPosto::Carimbo() +
                                    QStringLiteral("Conexão com o banco de dados perdida: ")))
        << erros[0].toStdString();
    EXPECT_GT(erros[0].size(),
              (TPosto::Carimbo() + QStringLiteral("Conexão com o banco de dados perdida: ")).size())
        << "the database's reason follows";

    Volta();
    c.LeConcentradorTimer();
    EXPECT_EQ(
        posto.ErrosLog(),
        (QStringList{erros[0], TPosto::Carimbo() +
                                   QStringLiteral("Conexão com o banco de dados restabelecida")}));
    EXPECT_EQ(c.TextoStatus(), TComunicador::TextoStatusInicial() + QStringLiteral("."));
    EXPECT_EQ(Concentrador->Leituras, 2);
    EXPECT_EQ(Publicacao->Passes, 2);
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(), 3);
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_TRUE(posto.Relatados.isEmpty());
    EXPECT_EQ(posto.ErrosLog().size(), 2);
}

TEST_F(CicloComDiario, LigacaoQueCaiNoMeioVoltaCaladaEOAbastecimentoEGravadoUmaVez) {
    TComunicador& c = Inicia(2);
    // The link goes as the record is handed over: storing fails on it.
    Concentrador->AoLer = [this] {
        Mata();
        Concentrador->AoLer = nullptr;
    };
    c.LeConcentradorTimer();
    EXPECT_EQ(Concentrador->Leituras, 1);
    EXPECT_FALSE(c.CnVarmeno.Connected());
    EXPECT_EQ(Publicacao->Passes, 0) << "no status pass over a lost link";
    EXPECT_EQ(Linhas(), 0);

    // Back at once: no outage to tell, the pending one first, then the next.
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(), 2);
    EXPECT_EQ(Linhas(QStringLiteral("Id = 1")), 1);
    EXPECT_EQ(Concentrador->Leituras, 2);
    EXPECT_EQ(Publicacao->Passes, 1);
    EXPECT_TRUE(posto.ErrosLog().isEmpty()) << posto.ErrosLog().join(u'\n').toStdString();
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_TRUE(posto.Relatados.isEmpty());
}

TEST_F(CicloComDiario, AbastecimentoQueFalhaSeguraOsProximosNoConcentradorComUmaSoCaixa) {
    TComunicador& c = Inicia(3);
    // The day's activity log cannot be written: storing is undone.
    const QString logDoDia = posto.Programa() + QStringLiteral("LogFluvio25122024");
    ASSERT_TRUE(QDir().mkpath(logDoDia));
    for (int ciclo = 0; ciclo < 4; ++ciclo)
        c.LeConcentradorTimer();
    EXPECT_EQ(Concentrador->Leituras, 1) << "nothing new is read while one is pending";
    EXPECT_EQ(Linhas(), 0);
    ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(posto.Janela.Restauracoes, 1);

    ASSERT_TRUE(QDir(logDoDia).removeRecursively());
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(QStringLiteral("Id = 1")), 1);
    EXPECT_EQ(Concentrador->Leituras, 2) << "the pending one first, then the next";
    EXPECT_EQ(Linhas(), 2);
    EXPECT_EQ(posto.Dialogos.Caixas.size(), 1u);
}

// What the tray shows: told after start-up and after every cycle, whatever
// the cycle met.
TEST_F(CicloComDiario, SituacaoDaEstacaoDepoisDeCadaCiclo) {
    using S = TSituacaoEstacao;
    const QString logDoDia = posto.Programa() + QStringLiteral("LogFluvio25122024");
    const QString retidos = posto.Programa() + TDiarioAbastecimentos::NomeArquivoRetidos();
    TComunicador& c = Inicia(3);
    EXPECT_EQ(posto.Janela.Situacoes, 1) << "after start-up";
    const struct {
        const char* Nome;
        std::function<void()> Antes;
        S Esperada;
    } passos[] = {
        {"tudo bem", [] {}, S{}},
        {"abastecimento que não grava fica no diário",
         [&] {
             // A folder in place of the day's activity log.
             QFile::remove(logDoDia);
             ASSERT_TRUE(QDir().mkpath(logDoDia));
         },
         S{.Pendentes = true}},
        {"gravado na volta", [&] { ASSERT_TRUE(QDir(logDoDia).removeRecursively()); }, S{}},
        {"banco fora", [&] { Derruba(); }, S{.BancoInacessivel = true}},
        {"banco de volta", [&] { Volta(); }, S{}},
        {"registro retido", [&] { GravaTexto(retidos, QStringLiteral("x\r\n")); },
         S{.Retidos = true}},
        {"retidos esvaziado por uma pessoa", [&] { GravaTexto(retidos, QString()); }, S{}},
    };
    for (const auto& p : passos) {
        SCOPED_TRACE(p.Nome);
        p.Antes();
        const int antes = posto.Janela.Situacoes;
        c.LeConcentradorTimer();
        EXPECT_EQ(posto.Janela.Situacoes, antes + 1);
        EXPECT_EQ(posto.Janela.Situacao, p.Esperada)
            << posto.Janela.Situacao.BancoInacessivel << posto.Janela.Situacao.Pendentes
            << posto.Janela.Situacao.Retidos;
    }
}

TEST_F(CicloComDiario, OQueAExecucaoAnteriorDeixouEGravadoNoPrimeiroCicloAntesDoNovo) {
    {
        TRelogioFixo relogio;
        TLogFalso log;
        TDiarioAbastecimentos diario(posto.Programa(), log, relogio);
        diario.Carrega();
        TAbastecimento deixado = Registro(7);
        diario.Registra(
            QByteArray(reinterpret_cast<const char*>(deixado.Bytes), sizeof deixado.Bytes), false);
    }
    TComunicador& c = Inicia(1);
    EXPECT_EQ(Linhas(), 0) << "start-up itself stores nothing";
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(), 2);
    // Stored in this order: the one left behind, then the one just read.
    ASSERT_EQ(posto.Janela.Log.size(), 2);
    EXPECT_TRUE(posto.Janela.Log[0].endsWith(QStringLiteral("001 007    031")))
        << posto.Janela.Log[0].toStdString();
    EXPECT_TRUE(posto.Janela.Log[1].endsWith(QStringLiteral("001 001    031")))
        << posto.Janela.Log[1].toStdString();
    EXPECT_EQ(Linhas(QStringLiteral("Id = 7")), 1);
    EXPECT_TRUE(LeBytes(posto.Programa() + TDiarioAbastecimentos::NomeArquivo()).isEmpty());
}

}  // namespace

namespace {

// The station's management software edits ParaPosto in a long transaction
// while a fueling with register number 9999 (whose storing adds one to the
// sequence) arrives: the cycle waits the lock bound, not for ever, shows no
// box, leaves the fueling in the journal and the status pass for later; once
// the row is free the fueling is stored once, the sequence added to once.
TEST_F(CicloComDiario, LinhaPresaPorOutroProgramaNaoPrendeOCicloNemPerdeOAbastecimento) {
    TComunicador& c = Inicia(0);
    TLimitesConexao limites;
    limites.BloqueioSegundos = 2;
    c.CnVarmeno.Close();
    c.CnVarmeno.DefineLimites(limites);
    c.CnVarmeno.Open();
    const QString sequencia =
        ValorSql(posto.Banco, QStringLiteral("Select SequenciaAbast From ParaPosto"));

    TConexao outro;
    ConfiguraConexaoTeste(outro, posto.Banco);
    outro.Open();
    IniciaTransacao(outro);
    TQuery edicao;
    edicao.SetConnection(&outro);
    edicao.SetSQL(QStringLiteral("Update ParaPosto Set CorrigeLitragem = 'N'"));
    edicao.ExecSQL();

    TCampos campos;
    campos.Registro = 9999;
    campos.Hora = "10:30";
    campos.Encerrante = 5000;
    Concentrador->Fila.push_back(RegistroPadrao(campos));
    QElapsedTimer bloqueado;
    qint64 maisLongo = 0;
    for (int ciclo = 0; ciclo < 2; ++ciclo) {
        bloqueado.start();
        c.LeConcentradorTimer();
        maisLongo = std::max(maisLongo, bloqueado.elapsed());
        EXPECT_EQ(Linhas(), 0);
        EXPECT_EQ(Concentrador->Leituras, 1) << "the next one waits behind the pending one";
        EXPECT_EQ(Publicacao->Passes, 0) << "no second wait for the status pass";
        EXPECT_TRUE(c.LeConcentrador.isActive());
    }
    std::printf("ciclo com linha presa: %lld ms no mais longo\n",
                static_cast<long long>(maisLongo));
    EXPECT_LT(maisLongo, 6000);
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_TRUE(posto.Relatados.isEmpty());
    EXPECT_FALSE(LeBytes(posto.Programa() + TDiarioAbastecimentos::NomeArquivo()).isEmpty());

    ConfirmaTransacao(outro);
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(QStringLiteral("Id = 9999")), 1);
    EXPECT_EQ(ValorSql(posto.Banco, QStringLiteral("Select SequenciaAbast From ParaPosto")),
              QString::number(sequencia.toInt() + 1));
    EXPECT_EQ(Publicacao->Passes, 1);
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_FALSE(QFile::exists(posto.Programa() + TDiarioAbastecimentos::NomeArquivoRetidos()));
}

// While the database is out of reach each attempt may cost the whole connect
// bound: they are spaced out, so the window answers between them.
TEST_F(CicloComDiario, ReconexoesEspacadasEnquantoOBancoEstaFora) {
    posto.IntervaloReconexaoMs = 1500;
    TComunicador& c = Inicia(1);
    c.LeConcentradorTimer();
    ASSERT_EQ(Linhas(), 1);
    Derruba();
    c.LeConcentradorTimer();  // the outage starts: one attempt
    Volta();
    c.LeConcentradorTimer();  // too soon for another
    EXPECT_TRUE(c.BancoInacessivel());
    EXPECT_EQ(c.TextoStatus(), QStringLiteral(" Banco de dados inacessível"));
    QThread::msleep(1600);
    c.LeConcentradorTimer();
    EXPECT_FALSE(c.BancoInacessivel());
    EXPECT_EQ(posto.ErrosLog().size(), 2);
}

// The program's disk full, or turned read-only: no fueling is taken from the
// concentrator while its journal line could not be written; one error-log
// line when that starts and one when it ends, no box; once space returns
// everything waiting is stored.
TEST_F(CicloComDiario, DiscoCheioDeixaOsAbastecimentosNoConcentradorAteHaverEspaco) {
    TTmpfs disco(posto.Programa(), 1024);
    if (!disco.Montado())
        GTEST_SKIP() << "sem tmpfs aqui (" << disco.Erro() << ")";
    TComunicador& c = Inicia(4);
    c.LeConcentradorTimer();
    ASSERT_EQ(Linhas(), 1);

    disco.Enche(8 * 1024);
    for (int ciclo = 0; ciclo < 3; ++ciclo)
        c.LeConcentradorTimer();
    EXPECT_EQ(Concentrador->Leituras, 1) << "nothing taken that could not be written down";
    EXPECT_EQ(Linhas(), 1);
    QStringList erros = posto.ErrosLog();
    ASSERT_EQ(erros.size(), 1) << erros.join(u'\n').toStdString();
    EXPECT_TRUE(erros[0].contains(QStringLiteral("Sem espaço em disco")));

    disco.Esvazia();
    c.LeConcentradorTimer();
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(), 3);
    erros = posto.ErrosLog();
    ASSERT_EQ(erros.size(), 2);
    EXPECT_TRUE(erros[1].contains(QStringLiteral("Há espaço de novo")));

    // Read-only: the same rule; the error log cannot take its line then.
    ASSERT_TRUE(disco.SomenteLeitura(true));
    c.LeConcentradorTimer();
    EXPECT_EQ(Concentrador->Leituras, 3);
    ASSERT_TRUE(disco.SomenteLeitura(false));
    c.LeConcentradorTimer();
    EXPECT_EQ(Linhas(), 4);
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_TRUE(posto.Relatados.isEmpty());
}

}  // namespace
