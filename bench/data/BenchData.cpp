// One UPDATE committed on its own against the same UPDATE inside an explicit
// transaction, on a database file with forced writes (each commit waits for
// the disk). Run from a folder on a real disk: the database is made there.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "BancoTeste.h"
#include "data/Conexao.h"
#include "data/DataSet.h"

namespace {

struct Banco {
    Banco()
        : pasta(QDir::currentPath() + QStringLiteral("/bench-banco-XXXXXX")),
          arquivo(CriaBancoTeste(pasta.path(), true, QStringLiteral("bench.fdb"), true)) {
        ConfiguraConexaoTeste(conexao, arquivo);
        conexao.Open();
        TQuery fw;
        fw.SetConnection(&conexao);
        fw.SetSQL(QStringLiteral("Select Mon$Forced_Writes As FW From Mon$Database"));
        fw.Open();
        forcedWrites = fw.AsInteger(QStringLiteral("FW"));
        update.SetConnection(&conexao);
        update.SetSQL(
            QStringLiteral("UPDATE BOMBAS SET BOMBAS.statusbico = :PStatusBico Where "
                           "BOMBAS.codconcentrador = :PCodConcentrador "));
    }

    void Executa(int i) {
        update.ParamText(QStringLiteral("PStatusBico"),
                         i % 2 ? QStringLiteral("A") : QStringLiteral("L"));
        update.ParamText(QStringLiteral("PCodConcentrador"), QStringLiteral("004"));
        benchmark::DoNotOptimize(update.ExecSQL());
    }

    QTemporaryDir pasta;
    QString arquivo;
    TConexao conexao;
    TQuery update;
    int forcedWrites = 0;
};

Banco& Compartilhado() {
    static Banco banco;
    return banco;
}

// state.range(0) UPDATEs, each committed at once.
void BM_UpdateAutocommit(benchmark::State& state) {
    Banco& b = Compartilhado();
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < state.range(0); ++k) {
            b.Executa(++i);
        }
    }
    state.counters["forced_writes"] = b.forcedWrites;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// state.range(0) UPDATEs in one explicit transaction, one commit.
void BM_UpdateEmTransacao(benchmark::State& state) {
    Banco& b = Compartilhado();
    int i = 0;
    for (auto _ : state) {
        IniciaTransacao(b.conexao);
        for (int k = 0; k < state.range(0); ++k) {
            b.Executa(++i);
        }
        ConfirmaTransacao(b.conexao);
    }
    state.counters["forced_writes"] = b.forcedWrites;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_UpdateAutocommit)->Arg(1)->Arg(192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateEmTransacao)->Arg(1)->Arg(192)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
