// Storing one fueling and one status pass, each against its floor on the same
// database file with forced writes (every commit waits for the disk). Run
// from a folder on a real disk: the databases are made there.
//
// BM_Razao* run both sides alternately in one loop and report the ratio.
// BM_RazaoDiario stores alternately with and without the journal of pending
// fuelings (a flushed line before, a cleared line after), on a database
// without (0) and with (1) forced writes.
#include <benchmark/benchmark.h>
#include <firebird/Interface.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "RelogioFixo.h"
#include "app/LogArquivos.h"
#include "capture/CapturaComDiario.h"
#include "capture/GravaAbastecimento.h"
#include "capture/ProcessaAbastecimento.h"
#include "concentrator/ClassConcentrador.h"
#include "concentrator/StatusBicos.h"
#include "data/Conexao.h"
#include "data/DataSet.h"
#include "data/DataSetEditavel.h"
#include "data/Dialogos.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"

namespace {

using Relogio = std::chrono::steady_clock;

double Ms(Relogio::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The activity log as the program writes it: the day's file, opened and
// closed for every line.

int ForcedWrites(TConexao& conexao) {
    TQuery fw;
    fw.SetConnection(&conexao);
    fw.SetSQL(QStringLiteral("Select Mon$Forced_Writes As FW From Mon$Database"));
    fw.Open();
    return fw.AsInteger(QStringLiteral("FW"));
}

// ------------------------------------------------------------ one fueling

// The INSERT of one MvAbast row and its commit over the raw client
// interface: statement prepared once, one transaction per row.
class TPisoInsert {
  public:
    explicit TPisoInsert(const QString& banco)
        : m_master(Firebird::fb_get_master_interface()), m_status(m_master->getStatus()) {
        using namespace Firebird;
        IXpbBuilder* dpb =
            m_master->getUtilInterface()->getXpbBuilder(&m_status, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&m_status, isc_dpb_user_name, "SYSDBA");
        dpb->insertString(&m_status, isc_dpb_password, "masterkey");
        const QByteArray caminho = QFile::encodeName(banco);
        m_att = m_master->getDispatcher()->attachDatabase(&m_status, caminho.constData(),
                                                          dpb->getBufferLength(&m_status),
                                                          dpb->getBuffer(&m_status));
        dpb->dispose();
        ITransaction* tra = m_att->startTransaction(&m_status, sizeof kTpb, kTpb);
        const char* sql =
            "INSERT INTO MvAbast (Data, Hora, CodBico, Combustivel, Litragem, Valor, CodProd, "
            "CodGrade, CodFid, PrecoUnit, Desconto, Emitido, Id, Sequencia, EncerranteFinal) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
        m_stmt = m_att->prepare(&m_status, tra, 0, sql, 1, IStatement::PREPARE_PREFETCH_METADATA);
        tra->commit(&m_status);
        m_meta = m_stmt->getInputMetadata(&m_status);
        m_buffer.assign(m_meta->getMessageLength(&m_status), 0);
        ISC_TIMESTAMP data;
        data.timestamp_date = m_master->getUtilInterface()->encodeDate(2024, 12, 25);
        data.timestamp_time = 0;
        Valor(0, &data, sizeof data);
        Texto(1, "14:35:00");
        Texto(2, "01");
        Texto(3, "GASOLINA COMUM");
        Numero(4, 4.25);
        Numero(5, 25.5);
        Texto(6, "001");
        Texto(7, "01");
        Nulo(8);
        Numero(9, 6.0);
        Numero(10, 0.0);
        Texto(11, "N");
        Inteiro(12, 42);
        Inteiro(13, 1);
        Numero(14, 10250.5);
    }
    ~TPisoInsert() {
        if (m_meta)
            m_meta->release();
        if (m_stmt)
            m_stmt->free(&m_status);
        if (m_att)
            m_att->detach(&m_status);
        m_status.dispose();
    }

    void Executa() {
        Firebird::ITransaction* tra = m_att->startTransaction(&m_status, sizeof kTpb, kTpb);
        m_stmt->execute(&m_status, tra, m_meta, m_buffer.data(), nullptr, nullptr);
        tra->commit(&m_status);
    }

  private:
    // Values in the statement's own input message, typed as declared.
    void Valor(unsigned i, const void* dado, std::size_t tamanho) {
        std::memcpy(m_buffer.data() + m_meta->getOffset(&m_status, i), dado, tamanho);
        const short naoNulo = 0;
        std::memcpy(m_buffer.data() + m_meta->getNullOffset(&m_status, i), &naoNulo,
                    sizeof naoNulo);
    }
    void Nulo(unsigned i) {
        const short nulo = -1;
        std::memcpy(m_buffer.data() + m_meta->getNullOffset(&m_status, i), &nulo, sizeof nulo);
    }
    void Texto(unsigned i, const char* texto) {
        const unsigned tamanho = m_meta->getLength(&m_status, i);
        std::vector<char> dado;
        const auto n = static_cast<unsigned short>(std::strlen(texto));
        if (m_meta->getType(&m_status, i) == SQL_VARYING) {
            dado.resize(sizeof n + n);
            std::memcpy(dado.data(), &n, sizeof n);
            std::memcpy(dado.data() + sizeof n, texto, n);
        } else {
            dado.assign(tamanho, ' ');
            std::memcpy(dado.data(), texto, n);
        }
        Valor(i, dado.data(), dado.size());
    }
    void Numero(unsigned i, double v) { Valor(i, &v, sizeof v); }
    void Inteiro(unsigned i, int v) { Valor(i, &v, sizeof v); }

    // What the program's connection uses: read committed, record versions,
    // waiting on locks.
    static constexpr unsigned char kTpb[] = {
        isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait};

    Firebird::IMaster* m_master;
    Firebird::ThrowStatusWrapper m_status;
    Firebird::IAttachment* m_att = nullptr;
    Firebird::IStatement* m_stmt = nullptr;
    Firebird::IMessageMetadata* m_meta = nullptr;
    std::vector<unsigned char> m_buffer;
};

// The station with the main window's datasets, and the capture over them.
struct TEstacaoBench {
    explicit TEstacaoBench(bool escritaForcada = false)
        : pasta(QDir::currentPath() + QStringLiteral("/bench-captura-XXXXXX")),
          banco(CriaBancoTeste(pasta.path(), true, QStringLiteral("estacao.fdb"), escritaForcada)),
          log(pasta.path() + QLatin1Char('/')) {
        ConfiguraConexaoTeste(conexao, banco);
        conexao.Open();
        forcedWrites = ForcedWrites(conexao);
        for (TDataSet* d : {static_cast<TDataSet*>(&bombas), static_cast<TDataSet*>(&paraPosto),
                            &mvAbast, static_cast<TDataSet*>(&sequenciaAbast)})
            d->SetConnection(&conexao);
        paraPosto.SetSQL(SqlParaPosto());
        paraPosto.Open();
        sequenciaAbast.SetSQL(SqlSequenciaAbast());
        sequenciaAbast.Open();
        const TCapturaAbastecimento::TAmbiente ambiente{
            .Conexao = conexao,
            .Bombas = bombas,
            .MvAbast = mvAbast,
            .ParaPosto = paraPosto,
            .SequenciaAbast = sequenciaAbast,
            .UsaFid = usaFid,
            .Log = log,
            .Dialogos = dialogos,
            .RestoreMainWindow = [] {},
            .ProcessaEventos = [] {},
        };
        captura = std::make_unique<TCapturaAbastecimento>(ambiente);
        comDiario = std::make_unique<TCapturaComDiario>(ambiente, pasta.path(), relogio);
        comDiario->CarregaPendentes();
        std::memset(registro.Bytes, 0xCC, sizeof registro.Bytes);
        registro.Bytes[TAbastecimento::OfsPresente] = 1;
        registro::Grava<std::int64_t>(registro.Bytes + TAbastecimento::OfsTotalDinheiro, 255000);
        registro::Grava<double>(registro.Bytes + TAbastecimento::OfsTotalLitros, 4.25);
        registro::Grava<std::int64_t>(registro.Bytes + TAbastecimento::OfsPU, 60000);
        registro::GravaShortString(registro.Bytes + TAbastecimento::OfsCodBico,
                                   TAbastecimento::TamCodBico, "04");
        registro::Grava<std::int32_t>(registro.Bytes + TAbastecimento::OfsRegistro, 42);
        registro::Grava<double>(registro.Bytes + TAbastecimento::OfsEncerrante, 10250.5);
    }
    ~TEstacaoBench() {
        captura.reset();
        comDiario.reset();
        for (TDataSet* d : {static_cast<TDataSet*>(&bombas), static_cast<TDataSet*>(&paraPosto),
                            &mvAbast, static_cast<TDataSet*>(&sequenciaAbast)})
            d->Close();
    }

    // A fueling a second after the previous one: its slot is free at once.
    void Armazena() {
        Proximo();
        captura->ProcessaAbastecimento(registro);
    }
    void ArmazenaComDiario() {
        Proximo();
        comDiario->ProcessaAbastecimento(registro);
    }
    void Proximo() {
        ++segundo;
        const QString hora = QStringLiteral("%1:%2:%3")
                                 .arg(segundo / 3600 % 24, 2, 10, QLatin1Char('0'))
                                 .arg(segundo / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(segundo % 60, 2, 10, QLatin1Char('0'));
        const int dia = 1 + segundo / 86400 % 28;
        registro::GravaShortString(
            registro.Bytes + TAbastecimento::OfsData, TAbastecimento::TamData,
            QStringLiteral("%1/01/2025").arg(dia, 2, 10, QLatin1Char('0')).toStdString());
        registro::GravaShortString(registro.Bytes + TAbastecimento::OfsHora,
                                   TAbastecimento::TamHora, hora.toStdString());
    }

    QTemporaryDir pasta;
    QString banco;
    TRegistroLogArquivos log;
    TConexao conexao;
    TQuery bombas, paraPosto;
    TDataSet mvAbast;
    TDataSetEditavel sequenciaAbast;
    TDialogosRoteiro dialogos;
    bool usaFid = false;
    TRelogioSistema relogio;
    std::unique_ptr<TCapturaAbastecimento> captura;
    std::unique_ptr<TCapturaComDiario> comDiario;
    TAbastecimento registro;
    int segundo = 0;
    int forcedWrites = 0;
};

TEstacaoBench& Estacao() {
    // As on a station: every commit waits for the disk.
    static TEstacaoBench e(true);
    return e;
}

TPisoInsert& Piso() {
    static TPisoInsert p(Estacao().banco);
    return p;
}

bool Confere(benchmark::State& state, const TEstacaoBench& e) {
    if (!e.dialogos.Caixas.empty()) {
        state.SkipWithError("a fueling was not stored");
        return false;
    }
    state.counters["forced_writes"] = e.forcedWrites;
    return true;
}

void BM_ArmazenaAbastecimento(benchmark::State& state) {
    TEstacaoBench& e = Estacao();
    for (auto _ : state)
        e.Armazena();
    Confere(state, e);
}

void BM_PisoInsertCommit(benchmark::State& state) {
    TPisoInsert& p = Piso();
    for (auto _ : state)
        p.Executa();
    state.counters["forced_writes"] = Estacao().forcedWrites;
}

void BM_RazaoAbastecimentoPiso(benchmark::State& state) {
    TEstacaoBench& e = Estacao();
    TPisoInsert& p = Piso();
    Relogio::duration captura{}, piso{};
    for (auto _ : state) {
        const auto t0 = Relogio::now();
        e.Armazena();
        const auto t1 = Relogio::now();
        p.Executa();
        captura += t1 - t0;
        piso += Relogio::now() - t1;
    }
    if (!Confere(state, e))
        return;
    const double n = double(state.iterations());
    state.counters["captura_ms"] = Ms(captura) / n;
    state.counters["piso_ms"] = Ms(piso) / n;
    state.counters["razao"] = Ms(captura) / Ms(piso);
}

void BM_RazaoDiario(benchmark::State& state) {
    static TEstacaoBench semEscritaForcada(false);
    static TEstacaoBench comEscritaForcada(true);
    TEstacaoBench& e = state.range(0) ? comEscritaForcada : semEscritaForcada;
    Relogio::duration com{}, sem{};
    for (auto _ : state) {
        const auto t0 = Relogio::now();
        e.ArmazenaComDiario();
        const auto t1 = Relogio::now();
        e.Armazena();
        com += t1 - t0;
        sem += Relogio::now() - t1;
    }
    if (!Confere(state, e))
        return;
    if (e.comDiario->Diario().TemPendentes()) {
        state.SkipWithError("a fueling was left in the journal");
        return;
    }
    const double n = double(state.iterations());
    state.counters["com_diario_ms"] = Ms(com) / n;
    state.counters["sem_diario_ms"] = Ms(sem) / n;
    state.counters["custo_diario_ms"] = Ms(com - sem) / n;
    state.counters["razao"] = Ms(com) / Ms(sem);
}

// ------------------------------------------------------------ status pass

class TConcentradorStatus final : public TConcentrador {
  public:
    QString GetLeStatus() override {
        // 48 letters, all of them published.
        return QStringLiteral("ABCEFLP").repeated(7).left(48);
    }
};

class TConcentradorUmaLetra final : public TConcentrador {
  public:
    QString GetLeStatus() override {
        QString status = QStringLiteral("ABCEFLP").repeated(7).left(48);
        m_troca = !m_troca;
        status[4] = m_troca ? QLatin1Char('A') : QLatin1Char('B');
        return status;
    }

  private:
    bool m_troca = false;
};

struct TStatusBench {
    TStatusBench()
        : pasta(QDir::currentPath() + QStringLiteral("/bench-status-XXXXXX")),
          banco(CriaBancoTeste(pasta.path(), false, QStringLiteral("estacao.fdb"), true)) {
        ConfiguraConexaoTeste(conexao, banco);
        conexao.Open();
        forcedWrites = ForcedWrites(conexao);
        TQuery bombas;
        bombas.SetConnection(&conexao);
        bombas.SetSQL(
            QStringLiteral("INSERT INTO Bombas (CodBico, CodConcentrador, statusbico) "
                           "WITH RECURSIVE n AS (SELECT 4 AS c FROM RDB$DATABASE UNION ALL "
                           "SELECT c + 1 FROM n WHERE c < 227) "
                           "SELECT LPAD(CAST(CAST(c AS INTEGER) AS VARCHAR(3)), 3, '0'), "
                           "LPAD(CAST(CAST(c AS INTEGER) AS VARCHAR(3)), 3, '0'), 'L' FROM n"));
        bombas.ExecSQL();
        update.SetConnection(&conexao);
        update.SetSQL(SqlAtualizaStatusBico());
    }

    // The pass as first written: the same 192 UPDATEs, each committed alone.
    void Autocommit() {
        const QString status = concentrador.GetLeStatus();
        for (qsizetype p = 1; p <= status.size(); ++p) {
            const TCanal canal =
                LocalizaCanal(QStringLiteral("%1").arg(p + 3, 3, 10, QLatin1Char('0')));
            for (const QString& codigo : canal.Codigos) {
                update.ParamText(QStringLiteral("PStatusBico"), QString(status[p - 1]));
                update.ParamText(QStringLiteral("PCodConcentrador"), codigo);
                update.ExecSQL();
            }
        }
    }

    QTemporaryDir pasta;
    QString banco;
    TConexao conexao;
    TConcentradorStatus concentrador;
    TRegistroLogArquivos log{pasta.path() + QLatin1Char('/')};
    // Every pass of `publicacao` is a full one: its clock moves ten minutes
    // before each. `ociosa` sees the same letters pass after pass; `umaLetra`
    // sees one nozzle change its letter at every pass.
    TRelogioFixo relogioCompleta;
    TStatusBicos publicacao{conexao, [this] { return &concentrador; }, log, &relogioCompleta};
    TRelogioFixo relogioOciosa;
    TStatusBicos ociosa{conexao, [this] { return &concentrador; }, log, &relogioOciosa};
    TConcentradorUmaLetra alternado;
    TStatusBicos umaLetra{conexao, [this] { return &alternado; }, log, &relogioOciosa};
    TQuery update;
    int forcedWrites = 0;
};

TStatusBench& Status() {
    static TStatusBench s;
    return s;
}

void PassagemCompleta(TStatusBench& s) {
    s.relogioCompleta.Avanca(TStatusBicos::IntervaloCompletaSegundos);
    s.publicacao.AtualizaStatusBicos();
}

void BM_PassagemStatus48(benchmark::State& state) {
    TStatusBench& s = Status();
    for (auto _ : state)
        PassagemCompleta(s);
    state.counters["forced_writes"] = s.forcedWrites;
}

void BM_StatusAutocommit192(benchmark::State& state) {
    TStatusBench& s = Status();
    for (auto _ : state)
        s.Autocommit();
    state.counters["forced_writes"] = s.forcedWrites;
}

void BM_RazaoStatusAutocommit(benchmark::State& state) {
    TStatusBench& s = Status();
    Relogio::duration passagem{}, autocommit{};
    for (auto _ : state) {
        const auto t0 = Relogio::now();
        PassagemCompleta(s);
        const auto t1 = Relogio::now();
        s.Autocommit();
        passagem += t1 - t0;
        autocommit += Relogio::now() - t1;
    }
    const double n = double(state.iterations());
    state.counters["passagem_ms"] = Ms(passagem) / n;
    state.counters["autocommit_ms"] = Ms(autocommit) / n;
    state.counters["razao"] = Ms(passagem) / Ms(autocommit);
    state.counters["forced_writes"] = s.forcedWrites;
}

// An idle station's pass (the same 48 letters as the pass before), one where
// a single nozzle's letter changed, and a full pass, alternately in one loop.
void BM_RazaoStatusOciosaCompleta(benchmark::State& state) {
    TStatusBench& s = Status();
    s.ociosa.AtualizaStatusBicos();
    s.umaLetra.AtualizaStatusBicos();
    Relogio::duration ociosa{}, umaLetra{}, completa{};
    for (auto _ : state) {
        const auto t0 = Relogio::now();
        s.ociosa.AtualizaStatusBicos();
        const auto t1 = Relogio::now();
        s.umaLetra.AtualizaStatusBicos();
        const auto t2 = Relogio::now();
        PassagemCompleta(s);
        ociosa += t1 - t0;
        umaLetra += t2 - t1;
        completa += Relogio::now() - t2;
    }
    if (s.ociosa.ProximaCompleta() || s.umaLetra.ProximaCompleta()) {
        state.SkipWithError("an incremental pass turned into a full one");
        return;
    }
    const double n = double(state.iterations());
    state.counters["ociosa_ms"] = Ms(ociosa) / n;
    state.counters["uma_letra_ms"] = Ms(umaLetra) / n;
    state.counters["completa_ms"] = Ms(completa) / n;
    state.counters["razao"] = Ms(ociosa) / Ms(completa);
    state.counters["forced_writes"] = s.forcedWrites;
}

BENCHMARK(BM_ArmazenaAbastecimento)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PisoInsertCommit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RazaoAbastecimentoPiso)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RazaoDiario)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassagemStatus48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusAutocommit192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RazaoStatusAutocommit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RazaoStatusOciosaCompleta)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
