#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "data/RegistroLog.h"
#include "data/Relogio.h"

// The two log files beside the program: the day's activity file
// "LogFluvio"+ddmmyyyy and "LogErroConcentrador". Windows-1252, CR LF, each
// file opened and closed for every line so other programs can read it
// between writes. The date is taken at every write, so the first line after
// midnight starts the next day's file.
class TLogArquivos final {
  public:
    // `processaEvento` lets one pending event run while a writer waits for
    // its busy flag.
    TLogArquivos(const TRelogio& relogio, QString diretorioPrograma,
                 std::function<void()> processaEvento = {});
    Q_DISABLE_COPY_MOVE(TLogArquivos)

    // The fueling line: eighteen pieces joined with nothing between them.
    // The total (5) comes after the unit price (6) in the line.
    static QString MontaLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                                 double litros, double total, double precoUnit,
                                 const QString& sequencia, const QString& id, const QString& canal);

    // The four lines of the on-screen header, dated today.
    QStringList LinhasCabecalho() const;

    QString ArquivoDoDia() const;
    QString ArquivoErros() const;

    // The lines of today's activity file; empty when the file does not exist.
    // Raises when it exists and cannot be read.
    std::optional<QStringList> LeArquivoDoDia() const;

    // Appends `linha` to today's file and then hands it to `mostra`, both
    // under the activity busy flag. A file error raises and `mostra` is not
    // called.
    void EscreveLinhaLog(const QString& linha, const std::function<void(const QString&)>& mostra);

    // "dd/mm/yy hh:mm:ss texto", the text unchanged (it may hold CRs).
    void GravaLogErro(const QString& texto);

  private:
    static void AcrescentaLinha(const QString& arquivo, const QString& linha);
    void Espera(const bool& ocupado) const;

    const TRelogio& m_relogio;
    QString m_diretorioPrograma;
    std::function<void()> m_processaEvento;
    bool m_ocupadoAtividade = false;
    bool m_ocupadoErro = false;
};

// Splits a text file's content into lines the way the view shows them: CR LF,
// LF or CR end a line; the empty piece after the last line end is no line.
QStringList DivideLinhas(const QString& texto);

// The two log files as the register of a program with no window (the
// kept-records tool, the benchmarks): fueling lines go to the day's file
// only, both timed by the computer's clock.
class TRegistroLogArquivos final : public TRegistroLog {
  public:
    explicit TRegistroLogArquivos(const QString& diretorioPrograma)
        : m_arquivos(m_relogio, diretorioPrograma) {}
    Q_DISABLE_COPY_MOVE(TRegistroLogArquivos)

    void GravaLogErro(const QString& texto) override { m_arquivos.GravaLogErro(texto); }
    void EscreveLinhaLog(const QString& data, const QString& hora, const QString& codBico,
                         double litros, double total, double precoUnit, const QString& sequencia,
                         const QString& id, const QString& canal) override {
        m_arquivos.EscreveLinhaLog(TLogArquivos::MontaLinhaLog(data, hora, codBico, litros, total,
                                                               precoUnit, sequencia, id, canal),
                                   [](const QString&) {});
    }

  private:
    TRelogioSistema m_relogio;
    TLogArquivos m_arquivos;
};
