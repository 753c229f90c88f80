#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>

class TConexao;
class TRegistroLog;

// Tells the station, in the error log, about fuelings it never received: a
// register number skipped, or litres a nozzle's totalizer counted that no
// stored fueling accounts for. It only reports; it never refuses or changes
// a fueling, and a failure of its own never reaches the storing.
//
// What came before is read from MvAbast once, before the first fueling of
// the run is stored, and then followed in memory.
class TContinuidadeAbastecimentos final {
  public:
    // The concentrator rounds volume and totalizer on their own; a
    // difference up to this many litres is no gap.
    static constexpr double ToleranciaLitros = 0.02;
    static constexpr int UltimoRegistro = 9999;

    explicit TContinuidadeAbastecimentos(TRegistroLog& log);
    Q_DISABLE_COPY_MOVE(TContinuidadeAbastecimentos)

    // The last register number and each nozzle's last closing totalizer, from
    // the most recent rows by sequence and register number. Raises on a
    // database error (the check then stays off until it is read).
    void Carrega(TConexao& conexao);
    // The same from values at hand: the last register number handed over
    // (none when nothing was ever stored) and each nozzle's last closing
    // totalizer.
    void Inicia(std::optional<int> ultimoRegistro, QHash<QString, double> encerrantes);
    bool Carregado() const { return m_carregado; }

    // A record with a fueling that did not become a row (dropped, kept,
    // failed and waiting): its register number was handed over all the same.
    void Entregue(int id);
    // A committed fueling with its row in MvAbast. Writes one error-log line
    // per gap found.
    void Gravado(const QString& codBico, int id, double litros, double encerranteFinal);

    // What a gap looks like in the error log.
    static QString LinhaRegistros(int primeiro, int ultimo);
    static QString LinhaEncerrante(const QString& codBico, double anterior, double inicial);

  private:
    void ConfereRegistro(int id);
    void Grava(const QString& linha);

    TRegistroLog& m_log;
    bool m_carregado = false;
    std::optional<int> m_ultimoRegistro;
    QHash<QString, double> m_encerrantes;
};
