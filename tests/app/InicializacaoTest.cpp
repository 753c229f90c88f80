#include <gtest/gtest.h>

#include "DialogosRoteiro.h"
#include "Posto.h"
#include "concentrator/ClassCompanyTec.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "tests/sim/AmbienteSimulador.h"

namespace {

using Caixa = TDialogosRoteiro::Caixa;

// The message Firebird gives for a database path that does not exist.
QString ErroAbrir(const QString& banco) {
    TConexao c;
    ConfiguraConexaoTeste(c, banco);
    try {
        c.Open();
    } catch (const std::exception& e) {
        return MensagemDe(e);
    }
    ADD_FAILURE() << "abriu " << banco.toStdString();
    return QString();
}

QString ErroCargaBiblioteca() {
    TCompanyTec sem(QStringLiteral("/nenhum-diretorio"));
    try {
        sem.PCarregaDllConcentrador();
    } catch (const std::exception& e) {
        return MensagemDe(e);
    }
    ADD_FAILURE() << "a biblioteca carregou pelo nome";
    return QString();
}

bool TemLinha(const QStringList& linhas, const QString& nome) {
    for (const QString& l : linhas) {
        if (l.section(u'=', 0, 0).compare(nome, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace

TEST(Inicializacao, BoaPartidaComSimuladorLigaTimerLeFidEAcertaRelogio) {
    TAmbienteSimulador sim;
    TPosto posto;
    posto.Fabrica = [] {
        return std::make_unique<TCompanyTec>(TAmbienteSimulador::DiretorioPrograma());
    };
    GravaTexto(posto.Programa() + QStringLiteral("VarmenoECF.INI"),
               QStringLiteral("[POSTO]\r\nUSA_FID=S\r\n"));
    TParaPosto p;
    p.AcertaDataConc = QStringLiteral("S");
    p.PortaConc = QStringLiteral("COM3");
    TComunicador& c = posto.Inicia(p);

    EXPECT_TRUE(posto.Dialogos.Caixas.empty()) << posto.Dialogos.Caixas.front().Texto.toStdString();
    EXPECT_TRUE(c.LeConcentrador.isActive());
    EXPECT_TRUE(c.LeConcentrador.isSingleShot());
    EXPECT_EQ(c.LeConcentrador.interval(), 1000);
    EXPECT_TRUE(c.UsaFid);
    EXPECT_TRUE(c.CnVarmeno.Connected());
    EXPECT_TRUE(c.ParaPosto->Active());
    EXPECT_TRUE(c.SequenciaAbast->Active());
    EXPECT_EQ(posto.Janela.PedidosFim, 0);
    EXPECT_EQ(posto.Janela.PedidosFechamento, 0);
    EXPECT_FALSE(QFile::exists(posto.Programa() + QStringLiteral("LogErroConcentrador")));
    EXPECT_EQ(sim.Chamadas(), (QList<QByteArray>{"InicializaSerial 3", "SetClock \"AUTO\""}));

    // Closing closes the port; destroying frees the driver without a call.
    c.FormClose();
    c.FormDestroy();
    EXPECT_EQ(c.Concentrador, nullptr);
    EXPECT_EQ(sim.Chamadas(),
              (QList<QByteArray>{"InicializaSerial 3", "SetClock \"AUTO\"", "FechaSerial"}));
}

TEST(Inicializacao, CabecalhoELogDoDiaVemAntesDoBanco) {
    TPosto posto;
    TComunicador& c = posto.Inicia();
    EXPECT_EQ(posto.Janela.Limpezas, 1);
    ASSERT_EQ(posto.Janela.Cabecalho.size(), 4);
    EXPECT_TRUE(posto.Janela.Cabecalho[0].endsWith(QStringLiteral("25/12/2024")));
    EXPECT_TRUE(posto.Janela.Log.isEmpty());
    EXPECT_FALSE(c.UsaFid);
    EXPECT_EQ(posto.Concentrador->Carregamentos, 1);
}

// One row per failure of the start-up sequence that ends the program: an
// error box with the reason, a close request, one error-log line, the end
// request; the steps after the failing one do not run.
struct TFalhaPartida {
    const char* Nome;
    std::function<void(TPosto&)> Prepara;
    std::function<QString(TPosto&)> Motivo;
    int PerguntasEsperadas;
};

class FalhaPartida : public ::testing::TestWithParam<TFalhaPartida> {};

TEST_P(FalhaPartida, CaixaDeErroPedidoDeFechamentoLinhaDeLogEFim) {
    const TFalhaPartida& caso = GetParam();
    TPosto posto;
    posto.Prepara();
    caso.Prepara(posto);
    const QString motivo = caso.Motivo(posto);
    // What has happened by the time the error box is up.
    int fechamentosNaCaixa = -1;
    bool logNaCaixa = true;
    posto.Dialogos.AoMostrar = [&](const Caixa& caixa) {
        if (caixa.Tipo == TTipoMensagem::Erro) {
            fechamentosNaCaixa = posto.Janela.PedidosFechamento;
            logNaCaixa = QFile::exists(posto.Programa() + QStringLiteral("LogErroConcentrador"));
        }
    };
    TComunicador& c = posto.Cria();
    c.FormCreate();

    const auto& caixas = posto.Dialogos.Caixas;
    ASSERT_EQ(caixas.size(), std::size_t(caso.PerguntasEsperadas + 1));
    for (int i = 0; i < caso.PerguntasEsperadas; ++i) {
        EXPECT_EQ(caixas[i].Tipo, TTipoMensagem::Informacao);
        EXPECT_EQ(caixas[i].Botoes, TBotoes::SimNao);
        EXPECT_EQ(
            caixas[i].Texto,
            QStringLiteral("Impossível conectar ao banco de dados. \rDeseja tentar novamente?"));
    }
    EXPECT_EQ(caixas.back().Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(caixas.back().Botoes, TBotoes::Ok);
    EXPECT_EQ(caixas.back().Texto, motivo);
    EXPECT_EQ(fechamentosNaCaixa, 0);
    EXPECT_FALSE(logNaCaixa);
    EXPECT_EQ(posto.Janela.PedidosFechamento, 1);
    EXPECT_EQ(posto.Janela.PedidosFim, 1);
    EXPECT_EQ(posto.ErrosLog(),
              QStringList{TPosto::Carimbo() + QStringLiteral("Erro na inicialização: ") + motivo});
    EXPECT_FALSE(c.LeConcentrador.isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, FalhaPartida,
    ::testing::Values(
        TFalhaPartida{"BancoInacessivelRespostaNao",
                      [](TPosto& p) {
                          p.EscreveCaminhoIni(p.Trabalho(), p.Raiz() + QStringLiteral("nada.fdb"));
                      },
                      [](TPosto& p) { return ErroAbrir(p.Raiz() + QStringLiteral("nada.fdb")); },
                      1},
        TFalhaPartida{"BibliotecaNaoCarrega",
                      [](TPosto& p) {
                          p.Fabrica = [] {
                              return std::make_unique<TCompanyTec>(
                                  QStringLiteral("/nenhum-diretorio"));
                          };
                      },
                      [](TPosto&) { return ErroCargaBiblioteca(); }, 0},
        TFalhaPartida{"PortaCurta",
                      [](TPosto& p) {
                          TParaPosto pp;
                          pp.PortaConc = QStringLiteral("COM");
                          p.DefineParaPosto(pp);
                      },
                      [](TPosto&) { return QStringLiteral("'' não é um valor inteiro válido"); },
                      0},
        TFalhaPartida{"PortaSemDigito",
                      [](TPosto& p) {
                          TParaPosto pp;
                          pp.PortaConc = QStringLiteral("COMX");
                          p.DefineParaPosto(pp);
                      },
                      [](TPosto&) { return QStringLiteral("'X' não é um valor inteiro válido"); },
                      0},
        TFalhaPartida{
            "SerialNaoAbre",
            [](TPosto& p) {
                p.AoCriarConcentrador = [](TConcentradorFalso& c) { c.SerialAbre = false; };
            },
            [](TPosto&) { return QStringLiteral("Erro ao tentar a conexão com a porta serial!!"); },
            0}),
    [](const auto& info) { return std::string(info.param.Nome); });

TEST(Inicializacao, SerialDoSimuladorQueNaoAbreFalhaAPartida) {
    TAmbienteSimulador sim;
    sim.Simconc({QStringLiteral("resultado-serial"), QStringLiteral("0")});
    TPosto posto;
    posto.Fabrica = [] {
        return std::make_unique<TCompanyTec>(TAmbienteSimulador::DiretorioPrograma());
    };
    TComunicador& c = posto.Inicia();
    ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(posto.Dialogos.Caixas[0].Texto,
              QStringLiteral("Erro ao tentar a conexão com a porta serial!!"));
    EXPECT_FALSE(c.LeConcentrador.isActive());
    EXPECT_EQ(posto.ErrosLog().size(), 1);
}

TEST(Inicializacao, PortaConcSoOQuartoCaractereConta) {
    TPosto posto;
    for (const auto& [porta, numero] :
         std::vector<std::pair<QString, int>>{{QStringLiteral("COM1"), 1},
                                              {QStringLiteral("COM10"), 1},
                                              {QStringLiteral("COM7X"), 7}}) {
        posto.Reinicia();
        TParaPosto p;
        p.PortaConc = porta;
        TComunicador& c = posto.Inicia(p);
        EXPECT_EQ(posto.Concentrador->Portas, QList<int>{numero}) << porta.toStdString();
        EXPECT_TRUE(c.LeConcentrador.isActive()) << porta.toStdString();
        EXPECT_TRUE(posto.Dialogos.Caixas.empty()) << porta.toStdString();
    }
}

TEST(Inicializacao, SemUsoDeConcentradorAvisaPedeOFimEOsPassosSeguintesAindaRodam) {
    TPosto posto;
    for (const QString& valor : {QStringLiteral("N"), QStringLiteral("s")}) {
        posto.Reinicia();
        TParaPosto p;
        p.UsaConcentrador = valor;
        TComunicador& c = posto.Inicia(p);
        ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u) << valor.toStdString();
        EXPECT_EQ(posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Informacao);
        EXPECT_EQ(posto.Dialogos.Caixas[0].Texto,
                  QStringLiteral("O sistema não foi configurado para usar concentrador. \r"
                                 "O aplicativo Fluvio será finalizado."));
        EXPECT_EQ(posto.Janela.PedidosFim, 1);
        EXPECT_EQ(posto.Janela.PedidosFechamento, 0);
        EXPECT_EQ(posto.Concentrador->Portas, QList<int>{1});
        EXPECT_TRUE(c.LeConcentrador.isActive());
        EXPECT_TRUE(posto.ErrosLog().isEmpty());
    }
}

TEST(Inicializacao, ParaPostoVazioAvisaEFalhaNaConversaoDaPorta) {
    TPosto posto;
    posto.Prepara();
    ExecutaSql(posto.Banco, QStringLiteral("DELETE FROM ParaPosto; COMMIT;"));
    TComunicador& c = posto.Cria();
    c.FormCreate();
    const QString motivo = QStringLiteral("'' não é um valor inteiro válido");
    ASSERT_EQ(posto.Dialogos.Caixas.size(), 2u);
    EXPECT_EQ(posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Informacao);
    EXPECT_TRUE(posto.Dialogos.Caixas[0].Texto.startsWith(
        QStringLiteral("O sistema não foi configurado para usar concentrador.")));
    EXPECT_EQ(posto.Dialogos.Caixas[1].Tipo, TTipoMensagem::Erro);
    EXPECT_EQ(posto.Dialogos.Caixas[1].Texto, motivo);
    EXPECT_EQ(posto.Janela.PedidosFechamento, 1);
    EXPECT_EQ(posto.Janela.PedidosFim, 2);
    EXPECT_EQ(posto.ErrosLog(),
              QStringList{TPosto::Carimbo() + QStringLiteral("Erro na inicialização: ") + motivo});
    EXPECT_FALSE(c.LeConcentrador.isActive());
}

TEST(Inicializacao, ErroAoConfigurarConexaoAvisaESegueParaOPassoSeguinte) {
    // No Caminho.ini and no alias file: the alias lookup fails.
    TPosto posto;
    posto.DefineParaPosto({});
    TComunicador& c = posto.Cria();
    c.FormCreate();
    const auto& caixas = posto.Dialogos.Caixas;
    ASSERT_EQ(caixas.size(), 2u);
    EXPECT_EQ(caixas[0].Tipo, TTipoMensagem::Informacao);
    EXPECT_EQ(caixas[0].Botoes, TBotoes::Ok);
    EXPECT_EQ(caixas[0].Texto,
              QStringLiteral("Impossível conectar ao banco de dados pelo seguinte motivo: \r"
                             "Alias não encontrado: Varmeno"));
    // The last attempt of step 5 uses the design-time path and fails.
    EXPECT_EQ(caixas[1].Tipo, TTipoMensagem::Erro);
    const QStringList erros = posto.ErrosLog();
    ASSERT_EQ(erros.size(), 1);
    EXPECT_EQ(erros[0],
              TPosto::Carimbo() + QStringLiteral("Erro na inicialização: ") + caixas[1].Texto);
    EXPECT_FALSE(c.LeConcentrador.isActive());
}

TEST(Inicializacao, CaminhoIniQueNaoSeLeAvisaComOMotivoEmVezDeSerTidoPorVazio) {
    TPosto posto;
    posto.Prepara();
    // A Caminho.ini that is there but cannot be read: a link to nothing.
    ASSERT_TRUE(QFile::remove(posto.Trabalho() + QStringLiteral("Caminho.ini")));
    ASSERT_TRUE(QFile::link(posto.Trabalho() + QStringLiteral("sumiu.ini"),
                            posto.Trabalho() + QStringLiteral("Caminho.ini")));
    TComunicador& c = posto.Cria();
    c.FormCreate();
    const auto& caixas = posto.Dialogos.Caixas;
    ASSERT_GE(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].Tipo, TTipoMensagem::Informacao);
    EXPECT_TRUE(caixas[0].Texto.startsWith(
        QStringLiteral("Impossível conectar ao banco de dados pelo seguinte motivo: \r"
                       "Não foi possível ler o arquivo ")))
        << caixas[0].Texto.toStdString();
    EXPECT_TRUE(caixas[0].Texto.contains(QStringLiteral("Caminho.ini")));
}

// A station database without a table or column the capture or the status
// publishing uses: start-up names what is missing, logs it and ends, instead
// of failing every fueling later.
TEST(Inicializacao, EstruturaQueFaltaNoBancoENomeadaEAPartidaTermina) {
    const struct {
        const char* Nome;
        const char* Sql;
        const char* Falta;
    } casos[] = {
        {"tabela", "DROP TABLE MvAbast", "tabela MVABAST"},
        {"coluna", "ALTER TABLE Bombas DROP CodTanque", "coluna BOMBAS.CODTANQUE"},
        {"coluna do status", "ALTER TABLE Bombas DROP statusbico", "coluna BOMBAS.STATUSBICO"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TPosto posto;
        TParaPosto p;
        p.VisualizaStatus = QStringLiteral("S");
        posto.Prepara(p);
        ExecutaSql(posto.Banco, QString::fromLatin1(c.Sql) + QStringLiteral("; COMMIT;"));
        TComunicador& comunicador = posto.Cria();
        comunicador.FormCreate();
        const QString texto = QStringLiteral("O banco de dados não tem o que o comunicador usa: ") +
                              QLatin1String(c.Falta);
        ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u);
        EXPECT_EQ(posto.Dialogos.Caixas[0].Tipo, TTipoMensagem::Erro);
        EXPECT_EQ(posto.Dialogos.Caixas[0].Texto, texto);
        EXPECT_EQ(posto.ErrosLog(), QStringList{TPosto::Carimbo() +
                                                QStringLiteral("Erro na inicialização: ") + texto});
        EXPECT_EQ(posto.Janela.PedidosFechamento, 1);
        EXPECT_FALSE(comunicador.LeConcentrador.isActive());
        EXPECT_FALSE(comunicador.Concentrador) << "the concentrator is never touched";
    }
}

// Caminho.ini as a station may have it broken: binary bytes, no section, a
// path to nothing. Start-up asks, reports and ends, as with any database out
// of reach; nothing crashes and the concentrator is never opened.
TEST(Inicializacao, CaminhoIniEstragadoTerminaAPartidaComAvisoELinhaDeLog) {
    const struct {
        const char* Nome;
        QByteArray Conteudo;
    } casos[] = {
        {"bytes binarios",
         QByteArray("\x00\xff\xfe[DATABASE\x00ESTOQUE]\r\nCAMINHO=\x01\x02\x80\r\n\xff", 30)},
        {"sem secao", QByteArray("CAMINHO=/tmp/x.fdb\r\nUSUARIO=SYSDBA\r\n")},
        {"caminho inexistente",
         QByteArray("[DATABASEESTOQUE]\r\nCAMINHO=/nao/existe/posto.fdb\r\nUSUARIO=SYSDBA\r\n")},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.Nome);
        TPosto posto;
        posto.Prepara();
        QFile ini(posto.Trabalho() + QStringLiteral("Caminho.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(c.Conteudo);
        ini.close();
        TComunicador& comunicador = posto.Cria();
        comunicador.FormCreate();
        const auto& caixas = posto.Dialogos.Caixas;
        ASSERT_EQ(caixas.size(), 2u);
        EXPECT_EQ(
            caixas[0].Texto,
            QStringLiteral("Impossível conectar ao banco de dados. \rDeseja tentar novamente?"));
        EXPECT_EQ(caixas[1].Tipo, TTipoMensagem::Erro);
        EXPECT_FALSE(caixas[1].Texto.isEmpty());
        EXPECT_EQ(posto.ErrosLog(),
                  QStringList{TPosto::Carimbo() + QStringLiteral("Erro na inicialização: ") +
                              caixas[1].Texto});
        EXPECT_EQ(posto.Janela.PedidosFim, 1);
        EXPECT_FALSE(comunicador.Concentrador);
    }
}

TEST(Inicializacao, FalhaDaLimpezaMostraAvisoGravaLogEAPartidaTermina) {
    TPosto posto;
    posto.Prepara();
    // An old issued fueling that the database refuses to delete.
    ExecutaSql(posto.Banco,
               QStringLiteral("INSERT INTO MvAbast (Data, Hora, CodBico, Emitido) "
                              "VALUES ('01.01.2024', '10:00:00', '01', 'S');"
                              "CREATE EXCEPTION E_Apaga 'exclusao recusada'; COMMIT;"));
    {
        TConexao conexao;
        ConfiguraConexaoTeste(conexao, posto.Banco);
        TQuery gatilho;
        gatilho.SetConnection(&conexao);
        gatilho.SetSQL(QStringLiteral(
            "CREATE TRIGGER T_Apaga FOR MvAbast BEFORE DELETE AS BEGIN EXCEPTION E_Apaga; END"));
        gatilho.ExecSQL();
    }
    GravaTexto(posto.Programa() + QStringLiteral("VarmenoECF.INI"),
               QStringLiteral("[POSTO]\r\nUSA_FID=S\r\n"));
    TComunicador& c = posto.Cria();
    c.FormCreate();
    const auto& caixas = posto.Dialogos.Caixas;
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].Tipo, TTipoMensagem::Informacao);
    const QString prefixo = QStringLiteral("Erro ao tentar apagar os abastecimentos antigos. ");
    ASSERT_TRUE(caixas[0].Texto.startsWith(prefixo));
    const QString motivo = caixas[0].Texto.mid(prefixo.size());
    EXPECT_FALSE(motivo.isEmpty());
    EXPECT_EQ(posto.ErrosLog(),
              QStringList{TPosto::Carimbo() +
                          QStringLiteral("Erro ao apagar os abastecimentos antigos. ") + motivo});
    EXPECT_TRUE(c.LeConcentrador.isActive());
    EXPECT_TRUE(c.UsaFid);
    EXPECT_EQ(posto.Janela.PedidosFim, 0);
    EXPECT_EQ(posto.Janela.PedidosFechamento, 0);
}

TEST(Inicializacao, BancoQueVoltaDuranteAPerguntaConectaNoSim) {
    TPosto posto;
    posto.DefineParaPosto({});
    const QString depois = posto.Raiz() + QStringLiteral("depois/estacao.fdb");
    posto.EscreveCaminhoIni(posto.Trabalho(), depois);
    posto.Dialogos.Respostas = {TResposta::Sim};
    ASSERT_TRUE(QDir().mkpath(posto.Raiz() + QStringLiteral("depois")));
    posto.Dialogos.AoMostrar = [&](const Caixa&) {
        // The database comes up while the operator is being asked.
        EXPECT_TRUE(QFile::rename(posto.Banco, depois));
    };
    TComunicador& c = posto.Cria();
    c.FormCreate();
    ASSERT_EQ(posto.Dialogos.Caixas.size(), 1u);
    EXPECT_EQ(posto.Dialogos.Caixas[0].Botoes, TBotoes::SimNao);
    EXPECT_TRUE(c.CnVarmeno.Connected());
    EXPECT_TRUE(c.LeConcentrador.isActive());
    EXPECT_TRUE(posto.ErrosLog().isEmpty());
}

TEST(Inicializacao, CaminhoIniSoAoLadoDoProgramaNaoEUsado) {
    TPosto posto;
    posto.DefineParaPosto({});
    posto.EscreveCaminhoIni(posto.Programa(), posto.Raiz() + QStringLiteral("errado.fdb"));
    GravaTexto(
        posto.Programa() + QStringLiteral("BDE.ini"),
        QStringLiteral("[Varmeno]\r\nSERVER NAME=%1\r\nUSER NAME=SYSDBA\r\n").arg(posto.Banco));
    TComunicador& c = posto.Cria();
    c.FormCreate();
    EXPECT_TRUE(posto.Dialogos.Caixas.empty());
    EXPECT_EQ(c.CnVarmeno.Parametro(QStringLiteral("Database")), posto.Banco);
    EXPECT_TRUE(c.CnVarmeno.Connected());
    EXPECT_TRUE(c.LeConcentrador.isActive());
}

TEST(Inicializacao, CaminhoIniEncontradoSemConsiderarCaixaESenhaVaziaTiraALinha) {
    struct {
        QString Arquivo;
        QString Senha;
        bool LinhaSenha;
    } casos[] = {
        {QStringLiteral("CAMINHO.INI"), QString(), false},
        {QStringLiteral("caminho.ini"), QStringLiteral("segredo"), true},
    };
    TPosto posto;
    posto.DefineParaPosto({});
    for (const auto& caso : casos) {
        posto.Reinicia();
        for (const QString& antigo : QDir(posto.Trabalho()).entryList(QDir::Files))
            QFile::remove(posto.Trabalho() + antigo);
        posto.EscreveCaminhoIni(posto.Trabalho(), posto.Banco, caso.Senha, caso.Arquivo);
        TComunicador& c = posto.Cria();
        c.FormCreate();
        EXPECT_TRUE(posto.Dialogos.Caixas.empty()) << caso.Arquivo.toStdString();
        EXPECT_EQ(c.CnVarmeno.Parametro(QStringLiteral("Database")), posto.Banco);
        EXPECT_EQ(TemLinha(c.CnVarmeno.Parametros(), QStringLiteral("Password")), caso.LinhaSenha)
            << c.CnVarmeno.Parametros().join(u'|').toStdString();
        EXPECT_EQ(c.CnVarmeno.Parametro(QStringLiteral("User_Name")), QStringLiteral("SYSDBA"));
        EXPECT_TRUE(c.CnVarmeno.Connected());
    }
}

TEST(Inicializacao, UsaFidSoComSExato) {
    struct {
        const char* Conteudo;  // nullptr: no file
        bool Fid;
    } casos[] = {{nullptr, false},
                 {"[POSTO]\r\nUSA_FID=S\r\n", true},
                 {"[posto]\r\nusa_fid=S\r\n", true},
                 {"[POSTO]\r\nUSA_FID=s\r\n", false},
                 {"[POSTO]\r\nUSA_FID=N\r\n", false}};
    TPosto posto;
    for (const auto& caso : casos) {
        posto.Reinicia();
        QFile::remove(posto.Programa() + QStringLiteral("VarmenoECF.INI"));
        if (caso.Conteudo)
            GravaTexto(posto.Programa() + QStringLiteral("VarmenoECF.INI"),
                       QString::fromUtf8(caso.Conteudo));
        TComunicador& c = posto.Inicia();
        EXPECT_EQ(c.UsaFid, caso.Fid) << (caso.Conteudo ? caso.Conteudo : "sem arquivo");
    }
}

TEST(Inicializacao, AcertaRelogioSoComSExato) {
    TPosto posto;
    for (const auto& [valor, acertos] : std::vector<std::pair<QString, int>>{
             {QStringLiteral("S"), 1}, {QStringLiteral("s"), 0}, {QStringLiteral("N"), 0}}) {
        posto.Reinicia();
        TParaPosto p;
        p.AcertaDataConc = valor;
        posto.Inicia(p);
        EXPECT_EQ(posto.Concentrador->AcertosRelogio, acertos) << valor.toStdString();
    }
}
