// The real core through a long run: the main window (offscreen), the driver
// over the simulated library feeding a fueling at every read, the capture
// with its journal, status publishing on, an embedded database with forced
// writes. Prints resident memory after 100 fuelings and at the end, and the
// cycle's time (median, 99th percentile, longest).
//
//   bench_soak [FUELINGS]     (default 50000; run from a folder on a real disk)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "app/Menu.h"
#include "capture/CapturaComDiario.h"
#include "concentrator/StatusBicos.h"
#include "data/EncerramentoBanco.h"
#include "data/FormatSettings.h"

namespace {

long RssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& linha : f.readAll().split('\n')) {
        if (linha.startsWith("VmRSS:"))
            return linha.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double Percentil(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    const auto k = static_cast<std::size_t>(p * double(v.size() - 1) + 0.5);
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    InicializaFormatSettings();
    QApplication aplicacao(argc, argv);
    aplicacao.setQuitOnLastWindowClosed(false);
    const int total = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50000;

    QTemporaryDir pasta(QDir::currentPath() + QStringLiteral("/bench-soak-XXXXXX"));
    const QString programa = pasta.filePath(QStringLiteral("programa")) + u'/';
    const QString trabalho = pasta.filePath(QStringLiteral("trabalho")) + u'/';
    const QString estado = pasta.filePath(QStringLiteral("sim"));
    for (const QString& d : {programa, trabalho, estado})
        QDir().mkpath(d);
    QFile::copy(QStringLiteral(COMPANYTEC_SIM_LIB), programa + QStringLiteral("libCompanytec.so"));
    qputenv("COMPANYTEC_SIM_DIR", QFile::encodeName(estado));
    if (QProcess::execute(QStringLiteral(SIMCONC_PATH),
                          {QStringLiteral("continuo"), QStringLiteral("004,005,068")}) != 0) {
        std::fprintf(stderr, "simconc failed\n");
        return 1;
    }

    const QString banco = CriaBancoTeste(pasta.filePath(QStringLiteral("db")), true,
                                         QStringLiteral("estacao.fdb"), true);
    {
        QFile ini(trabalho + QStringLiteral("Caminho.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[DATABASEESTOQUE]\r\nCAMINHO=" + banco.toUtf8() + "\r\nUSUARIO=SYSDBA\r\n");
    }

    TDialogosRoteiro dialogos;
    TRelogioSistema relogio;
    TConfiguracaoMenu configuracao;
    configuracao.Dialogos = &dialogos;
    configuracao.Relogio = &relogio;
    configuracao.DiretorioPrograma = programa;
    configuracao.DiretorioTrabalho = trabalho;
    configuracao.EsperaLigaBancoMs = 0;
    configuracao.LigaCaptura = [](TComunicador& c) {
        c.DefineCaptura(std::make_unique<TCapturaComDiario>(c.AmbienteCaptura(),
                                                            c.DiretorioPrograma(), c.Relogio()));
        c.DefinePublicacaoStatus(std::make_unique<TStatusBicos>(
            c.CnVarmeno, [&c] { return c.Concentrador.get(); }, c, &c.Relogio()));
    };

    long rss100 = -1;
    long rssInicio = -1;
    std::vector<double> ciclosMs;
    ciclosMs.reserve(std::size_t(total));
    {
        TMenuPrin janela(std::move(configuracao));
        TComunicador& c = janela.Comunicador();
        // Cycles run back to back here, not a second apart.
        c.LeConcentrador.stop();
        rssInicio = RssKb();
        const auto inicio = std::chrono::steady_clock::now();
        for (int i = 1; i <= total; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            c.DisparoLeConcentrador();
            ciclosMs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            c.LeConcentrador.stop();
            if (i == 100)
                rss100 = RssKb();
            if (i % 5000 == 0) {
                const double s =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio)
                        .count();
                std::fprintf(stderr, "%d ciclos, %.0f s, RSS %ld kB\n", i, s, RssKb());
            }
        }
        const long rssFim = RssKb();
        const QString linhas = ValorSql(banco, QStringLiteral("Select Count(*) From MvAbast"));
        QFile erros(programa + QStringLiteral("LogErroConcentrador"));
        int linhasErro = 0;
        if (erros.open(QIODevice::ReadOnly))
            linhasErro = int(erros.readAll().count('\n'));
        const double mediana = Percentil(ciclosMs, 0.5);
        const double p99 = Percentil(ciclosMs, 0.99);
        const double maior = *std::max_element(ciclosMs.begin(), ciclosMs.end());
        std::printf(
            "abastecimentos lidos: %d; linhas em MvAbast: %s; caixas: %zu; linhas no log de "
            "erros: %d\n"
            "RSS: início %ld kB, após 100 %ld kB, após %d %ld kB (diferença %ld kB)\n"
            "ciclo (status ligado): mediana %.2f ms, p99 %.2f ms, máximo %.2f ms\n",
            total, qPrintable(linhas), dialogos.Caixas.size(), linhasErro, rssInicio, rss100, total,
            rssFim, rssFim - rss100, mediana, p99, maior);
        // Where the slow cycles are: per tenth of the run.
        const std::size_t decimo = std::max<std::size_t>(1, ciclosMs.size() / 10);
        for (std::size_t i = 0; i < ciclosMs.size(); i += decimo) {
            const std::vector<double> parte(
                ciclosMs.begin() + std::ptrdiff_t(i),
                ciclosMs.begin() + std::ptrdiff_t(std::min(ciclosMs.size(), i + decimo)));
            const auto lentos =
                std::count_if(parte.begin(), parte.end(), [](double ms) { return ms > 20; });
            std::printf("  ciclos %zu a %zu: mediana %.2f ms, p99 %.2f ms, acima de 20 ms: %td\n",
                        i + 1, i + parte.size(), Percentil(parte, 0.5), Percentil(parte, 0.99),
                        lentos);
        }
        for (const auto& caixa : dialogos.Caixas)
            std::printf("caixa: %s\n", qPrintable(caixa.Texto));
        janela.close();
    }
    EncerraBanco();
    return 0;
}
