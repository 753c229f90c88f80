#include "app/Comunicador.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>

#include "capture/ApagaAbastecimentos.h"
#include "capture/Captura.h"
#include "capture/EstruturaBanco.h"
#include "capture/GravaAbastecimento.h"
#include "concentrator/ClassCompanyTec.h"
#include "concentrator/ClassConcentrador.h"
#include "concentrator/PublicacaoStatus.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/Erro.h"
#include "data/IniFile.h"
#include "data/Relogio.h"
#include "data/Utilitarios.h"

namespace {
const QString kSim = QStringLiteral("S");

QString ComSeparador(QString diretorio) {
    if (!diretorio.isEmpty() && !diretorio.endsWith(QLatin1Char('/')))
        diretorio.append(QLatin1Char('/'));
    return diretorio;
}

TAmbienteComunicador Completa(TAmbienteComunicador a) {
    Q_ASSERT(a.Dialogos && a.Relogio && a.Janela);
    a.DiretorioPrograma = ComSeparador(a.DiretorioPrograma);
    a.DiretorioTrabalho = ComSeparador(a.DiretorioTrabalho);
    if (!a.ProcessaEventos)
        a.ProcessaEventos = [] { QCoreApplication::processEvents(); };
    if (!a.FabricaConcentrador) {
        a.FabricaConcentrador = [dir = a.DiretorioPrograma]() -> std::unique_ptr<TConcentrador> {
            return std::make_unique<TCompanyTec>(dir);
        };
    }
    return a;
}
}  // namespace

QString TComunicador::TextoStatusInicial() {
    return QStringLiteral(" Procurando Abastecimentos");
}

QString TComunicador::TextoStatusBancoInacessivel() {
    return QStringLiteral(" Banco de dados inacessível");
}

TComunicador::TComunicador(TAmbienteComunicador ambiente, QObject* dono)
    : QObject(dono),
      ParaPosto(new TQuery(this)),
      SequenciaAbast(new TDataSetEditavel(this)),
      Bombas(new TQuery(this)),
      MvAbast(new TDataSet(this)),
      m_ambiente(Completa(std::move(ambiente))),
      m_arquivos(*m_ambiente.Relogio, m_ambiente.DiretorioPrograma,
                 [this] { m_ambiente.ProcessaEventos(); }),
      m_textoStatus(TextoStatusInicial()) {
    ParaPosto->setObjectName(QStringLiteral("ParaPosto"));
    SequenciaAbast->setObjectName(QStringLiteral("SequenciaAbast"));
    Bombas->setObjectName(QStringLiteral("Bombas"));
    MvAbast->setObjectName(QStringLiteral("MvAbast"));

    CnVarmeno.DefineParametrosPadrao();
    DbVarmeno.Params = {QStringLiteral("USER NAME=SYSDBA"), QStringLiteral("PASSWORD=tankgauge")};
    const QString bde =
        ProcuraArquivoSemCaixa(m_ambiente.DiretorioPrograma, QStringLiteral("BDE.ini"));
    DbVarmeno.ArquivoAliases =
        bde.isEmpty() ? m_ambiente.DiretorioPrograma + QStringLiteral("BDE.ini") : bde;

    ParaPosto->SetSQL(SqlParaPosto());
    SequenciaAbast->SetSQL(SqlSequenciaAbast());

    LeConcentrador.setObjectName(QStringLiteral("LeConcentrador"));
    LeConcentrador.setSingleShot(true);
    LeConcentrador.setInterval(1000);
    connect(&LeConcentrador, &QTimer::timeout, this, &TComunicador::DisparoLeConcentrador);
}

TComunicador::~TComunicador() {
    FormDestroy();
}

void TComunicador::DefineCaptura(std::unique_ptr<TCaptura> captura) {
    m_captura = std::move(captura);
}

void TComunicador::DefinePublicacaoStatus(std::unique_ptr<TPublicacaoStatus> publicacao) {
    m_publicacao = std::move(publicacao);
}

void TComunicador::RestoreMainWindow() {
    m_ambiente.Janela->RestoreMainWindow();
}

void TComunicador::ProcessaEventos() {
    m_ambiente.ProcessaEventos();
}

TCapturaAbastecimento::TAmbiente TComunicador::AmbienteCaptura() {
    return TCapturaAbastecimento::TAmbiente{
        .Conexao = CnVarmeno,
        .Bombas = *Bombas,
        .MvAbast = *MvAbast,
        .ParaPosto = *ParaPosto,
        .SequenciaAbast = *SequenciaAbast,
        .UsaFid = UsaFid,
        .Log = *this,
        .Dialogos = Dialogos(),
        .RestoreMainWindow = [this] { RestoreMainWindow(); },
        .ProcessaEventos = [this] { ProcessaEventos(); },
    };
}

QString TComunicador::CampoParaPosto(const QString& nome) const {
    if (!ParaPosto->Active() || ParaPosto->IsEmpty())
        return QString();
    return ParaPosto->AsString(nome);
}

// ---------------------------------------------------------------- start-up

void TComunicador::FormCreate() {
    TDialogos& dialogos = *m_ambiente.Dialogos;
    try {
        m_ambiente.Janela->LimpaLog();
        EscreveCabecalhoLog();
        LigaBanco();
        LigaDataSets(this, CnVarmeno);
        // With the connection still closed, opening makes one last attempt.
        if (!CnVarmeno.Connected())
            CnVarmeno.Open();
        ParaPosto->Open();
        // A table or column the management software's database lacks is
        // told now, not by every fueling that fails on it.
        const QStringList faltas = EstruturaQueFalta(
            CnVarmeno, CampoParaPosto(QStringLiteral("visualizastatusbomba")) == kSim);
        if (!faltas.isEmpty())
            throw EErro(TextoEstruturaQueFalta(faltas));
        SequenciaAbast->Open();
        // What a previous run could not store; the first cycle stores it.
        if (m_captura)
            m_captura->CarregaPendentes();

        if (CampoParaPosto(QStringLiteral("UsaConcentrador")) != kSim) {
            dialogos.Informacao(
                QStringLiteral("O sistema não foi configurado para usar concentrador. \r"
                               "O aplicativo Fluvio será finalizado."));
            m_ambiente.Janela->PedeFimAplicacao();
        }

        Concentrador = m_ambiente.FabricaConcentrador();
        Concentrador->PCarregaDllConcentrador();

        // Only the fourth character names the port: COM10 opens port 1.
        const int porta = StrToInt(CampoParaPosto(QStringLiteral("PortaConc")).mid(3, 1));
        if (!Concentrador->InicializaSerial(static_cast<std::uint8_t>(porta)))
            throw EErro(QStringLiteral("Erro ao tentar a conexão com a porta serial!!"));

        if (CampoParaPosto(QStringLiteral("AcertaDataConc")) == kSim)
            Concentrador->AcertaDataHora();

        LeConcentrador.start();

        {
            QString ini = ProcuraArquivoSemCaixa(m_ambiente.DiretorioPrograma,
                                                 QStringLiteral("VarmenoECF.INI"));
            if (ini.isEmpty())
                ini = m_ambiente.DiretorioPrograma + QStringLiteral("VarmenoECF.INI");
            const TIniFile arquivo(ini);
            UsaFid = arquivo.ReadString(QStringLiteral("POSTO"), QStringLiteral("USA_FID"),
                                        QStringLiteral("N")) == kSim;
        }

        ApagaAbastecimentosAntigos();
        // What a previous run left shows before the first cycle.
        AtualizaSituacao();
    } catch (const std::exception& e) {
        const QString motivo = MensagemDe(e);
        // The end request goes out even when the error log cannot be written.
        const auto fim = qScopeGuard([this] { m_ambiente.Janela->PedeFimAplicacao(); });
        dialogos.Erro(motivo);
        m_ambiente.Janela->PedeFechamento();
        GravaLogErro(QStringLiteral("Erro na inicialização: ") + motivo);
    }
}

void TComunicador::LigaBanco() {
    TDialogos& dialogos = *m_ambiente.Dialogos;
    try {
        const QString caminho =
            ProcuraArquivoSemCaixa(m_ambiente.DiretorioTrabalho, QStringLiteral("caminho.ini"));
        if (!caminho.isEmpty()) {
            const TIniFile ini(caminho);
            const QString secao = QStringLiteral("DATABASEESTOQUE");
            CnVarmeno.Close();
            CnVarmeno.DefineParametro(QStringLiteral("DataBase"),
                                      ini.ReadString(secao, QStringLiteral("CAMINHO"), QString()));
            CnVarmeno.DefineParametro(QStringLiteral("User_Name"),
                                      ini.ReadString(secao, QStringLiteral("USUARIO"), QString()));
            CnVarmeno.DefineParametro(QStringLiteral("Password"),
                                      ini.ReadString(secao, QStringLiteral("SENHA"), QString()));
        } else {
            CnVarmeno.Close();
            ConfiguraConexao(CnVarmeno, DbVarmeno);
        }

        if (AbreConexao())
            return;
        for (;;) {
            if (m_ambiente.EsperaLigaBancoMs > 0)
                QThread::msleep(static_cast<unsigned long>(m_ambiente.EsperaLigaBancoMs));
            if (AbreConexao())
                return;
            const TResposta resposta =
                dialogos.Mensagem(TTipoMensagem::Informacao,
                                  QStringLiteral("Impossível conectar ao banco de dados. \r"
                                                 "Deseja tentar novamente?"),
                                  TBotoes::SimNao);
            if (resposta != TResposta::Sim)
                return;
        }
    } catch (const std::exception& e) {
        dialogos.Informacao(
            QStringLiteral("Impossível conectar ao banco de dados pelo seguinte motivo: \r") +
            MensagemDe(e));
    }
}

bool TComunicador::AbreConexao() {
    try {
        CnVarmeno.Open();
        return CnVarmeno.Connected();
    } catch (...) {
        return false;
    }
}

void TComunicador::EscreveCabecalhoLog() {
    m_ambiente.Janela->MostraCabecalho(m_arquivos.LinhasCabecalho());
    if (const auto linhas = m_arquivos.LeArquivoDoDia())
        m_ambiente.Janela->CarregaLog(*linhas);
}

void TComunicador::ApagaAbastecimentosAntigos() {
    ::ApagaAbastecimentosAntigos(CnVarmeno, *m_ambiente.Relogio, *m_ambiente.Dialogos, *this);
}

// ---------------------------------------------------------------- polling cycle

void TComunicador::DisparoLeConcentrador() {
    try {
        LeConcentradorTimer();
    } catch (const std::exception& e) {
        if (m_ambiente.ReportaErro)
            m_ambiente.ReportaErro(MensagemDe(e));
        else
            GravaLogErro(MensagemDe(e));
    }
}

void TComunicador::LeConcentradorTimer() {
    LeConcentrador.stop();
    m_cicloEmAndamento = true;
    const auto fimDoCiclo = qScopeGuard([this] {
        LeConcentrador.start();
        m_cicloEmAndamento = false;
        AtualizaSituacao();
        // A close asked for during the cycle runs now, after the cycle's work.
        auto pendentes = std::move(m_aoFimDoCiclo);
        m_aoFimDoCiclo.clear();
        for (auto& acao : pendentes)
            QTimer::singleShot(0, this, std::move(acao));
    });

    // An operator screen's unit of work is open on the connection: the
    // fueling waits in the concentrator, so this cycle never commits or
    // rolls back the screen's work.
    const bool telaComTransacao = CnVarmeno.UnidadeDeTelaAberta();
    if (!telaComTransacao && CnVarmeno.InTransaction()) {
        // A unit of work nobody owns any more (one cut by a lost link whose
        // owner is gone): joined, it would keep the cycle's work uncommitted.
        try {
            DesfazTransacao(CnVarmeno);
        } catch (...) {
            // The transaction has ended whatever the server answered.
        }
    }
    const bool leConcentrador = !telaComTransacao && Concentrador && m_captura;

    // Without the database nothing is read and nothing published: the
    // fuelings wait in the concentrator until the link is back.
    if ((leConcentrador || (!telaComTransacao && m_publicacao)) && !BancoAcessivel()) {
        ProcessaEventos();
        return;
    }

    AnimaStatus();

    if (leConcentrador) {
        try {
            // What earlier cycles could not store goes first; while some of
            // it is still pending the next fueling stays in the concentrator.
            if (m_captura->DiscoDisponivel() && m_captura->RetomaPendentes()) {
                if (UsaFid) {
                    const TAbastecimentoFid registro = Concentrador->GetLeAbastecimentoFID();
                    m_captura->ProcessaAbastecimentoFID(registro);
                } else {
                    const TAbastecimento registro = Concentrador->GetLeAbastecimento();
                    m_captura->ProcessaAbastecimento(registro);
                }
            }
        } catch (const std::exception& e) {
            GravaLogErro(QStringLiteral("Erro ao ler abastecimento: ") + MensagemDe(e));
        }
        // The link went down under the fueling: the next cycle reconnects.
        if (!CnVarmeno.Connected()) {
            ProcessaEventos();
            return;
        }
    }

    // Storing waited a lock timeout already: the window must not wait a
    // second one for the status pass.
    const bool esperouBloqueio = leConcentrador && m_captura->EsperouBloqueio();
    if (!telaComTransacao && !esperouBloqueio && m_publicacao &&
        CampoParaPosto(QStringLiteral("visualizastatusbomba")) == kSim) {
        try {
            m_publicacao->AtualizaStatusBicos();
        } catch (...) {
            // A pass cut by a lost link is no error to report: the next
            // cycle reconnects.
            if (CnVarmeno.Connected())
                throw;
        }
    }

    ProcessaEventos();
}

bool TComunicador::BancoAcessivel() {
    bool responde = CnVarmeno.Connected() && CnVarmeno.Responde();
    QString motivo;
    // While the database is out of reach, attempts are spaced out: each may
    // take the whole connect timeout, and the window answers between them.
    const bool tenta = !m_bancoInacessivel || !m_ultimaReconexao.isValid() ||
                       m_ultimaReconexao.hasExpired(m_ambiente.IntervaloReconexaoMs);
    if (!responde && tenta) {
        // Lost or silent: once more with the same parameters.
        m_ultimaReconexao.start();
        try {
            CnVarmeno.Close();
            CnVarmeno.Open();
            responde = CnVarmeno.Connected();
        } catch (const std::exception& e) {
            motivo = MensagemDe(e);
        }
    }
    if (responde) {
        if (m_bancoInacessivel) {
            m_bancoInacessivel = false;
            GravaLogErro(QStringLiteral("Conexão com o banco de dados restabelecida"));
        }
        return true;
    }
    if (!m_bancoInacessivel) {
        m_bancoInacessivel = true;
        motivo.replace(QLatin1Char('\n'), QLatin1Char(' '));
        GravaLogErro(QStringLiteral("Conexão com o banco de dados perdida: ") + motivo);
    }
    m_textoStatus = TextoStatusBancoInacessivel();
    m_ambiente.Janela->MostraStatus(m_textoStatus);
    return false;
}

TSituacaoEstacao TComunicador::Situacao() const {
    TSituacaoEstacao s;
    s.BancoInacessivel = m_bancoInacessivel;
    if (m_captura) {
        s.Pendentes = m_captura->TemPendentes();
        s.Retidos = m_captura->TemRetidos();
    }
    return s;
}

void TComunicador::AtualizaSituacao() noexcept {
    try {
        m_ambiente.Janela->MostraSituacao(Situacao());
    } catch (...) {
        // The next cycle tells it again.
    }
}

void TComunicador::ForaDoCiclo(std::function<void()> acao) {
    if (m_cicloEmAndamento)
        m_aoFimDoCiclo.push_back(std::move(acao));
    else
        acao();
}

void TComunicador::AnimaStatus() {
    const QString base = TextoStatusInicial();
    qsizetype pontos = 0;
    if (m_textoStatus.startsWith(base)) {
        const QString resto = m_textoStatus.mid(base.size());
        if (resto.count(QLatin1Char('.')) == resto.size())
            pontos = resto.size();
    }
    pontos = pontos >= 13 ? 0 : pontos + 1;
    m_textoStatus = base + QString(pontos, QLatin1Char('.'));
    m_ambiente.Janela->MostraStatus(m_textoStatus);
}

// ---------------------------------------------------------------- clock

void TComunicador::SpeedButton2Click() {
    const QDateTime agora = m_ambiente.Relogio->Agora();
    const QString pergunta =
        QStringLiteral(
            "Deseja sincronizar a Data/Hora do Concentrador com a Data/Hora do "
            "Sistema?\rData: ") +
        DateToStr(agora.date()) + QStringLiteral("\r") + QStringLiteral("Hora: ") +
        TimeToStr(agora.time());
    if (!m_ambiente.Dialogos->Confirmacao(pergunta))
        return;
    if (!Concentrador)
        return;
    Concentrador->AcertaDataHora();
    m_ambiente.Dialogos->Informacao(QStringLiteral("Data/Hora sincronizada com sucesso!"));
    m_ambiente.Janela->FechaJanela();
}

// ---------------------------------------------------------------- shutdown

void TComunicador::FormClose() {
    if (Concentrador)
        Concentrador->FinalizaSerial();
}

void TComunicador::FormDestroy() {
    Concentrador.reset();
}

// ---------------------------------------------------------------- logs

void TComunicador::GravaLogErro(const QString& texto) {
    m_arquivos.GravaLogErro(texto);
}

void TComunicador::EscreveLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                                   double litros, double total, double precoUnit,
                                   const QString& sequencia, const QString& id,
                                   const QString& canal) {
    const QString linha = TLogArquivos::MontaLinhaLog(data, hora, codBico, litros, total, precoUnit,
                                                      sequencia, id, canal);
    m_arquivos.EscreveLinhaLog(
        linha, [this](const QString& l) { m_ambiente.Janela->AcrescentaLinhaLog(l); });
}
