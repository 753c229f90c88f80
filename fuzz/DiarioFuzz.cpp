// Any bytes as the journal of pending fuelings a crash left behind: loaded,
// its damaged lines skipped, what is pending written out again.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "capture/DiarioAbastecimentos.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"

namespace {

class TLogMudo final : public TRegistroLog {
  public:
    void GravaLogErro(const QString&) override {}
    void EscreveLinhaLog(const QString&, const QString&, const QString&, double, double, double,
                         const QString&, const QString&, const QString&) override {}
};

class TRelogioParado final : public TRelogio {
  public:
    QDateTime Agora() const override { return QDateTime(QDate(2024, 12, 25), QTime(14, 35)); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    static QTemporaryDir pasta;
    {
        QFile f(QDir(pasta.path()).filePath(TDiarioAbastecimentos::NomeArquivo()));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(dados), static_cast<qint64>(tamanho));
    }
    TLogMudo log;
    TRelogioParado relogio;
    TDiarioAbastecimentos diario(pasta.path(), log, relogio);
    try {
        diario.Carrega();
        for (const TDiarioAbastecimentos::Entrada& e : diario.Pendentes())
            (void)diario.Procura(e.Numero);
        if (diario.TemPendentes())
            diario.Conclui(diario.Pendentes().front().Numero);
    } catch (const std::exception&) {
        // A journal that cannot be written is reported by the program.
    }
    return 0;
}
