#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

class TRegistroLog;
class TRelogio;

// The journal of pending fuelings, beside the program. The concentrator
// hands a fueling over once; its raw record is written here, and flushed to
// disk, before anything else is done with it, and cleared only once its row
// is committed or the record is kept with its reason. So a fueling survives
// a database outage, a failed storing and a crash of the program.
//
// File "AbastecimentosPendentes", one entry a line, Windows line ends:
//   P <n> <dd/mm/yyyy hh:mm:ss> <S|F> <record bytes in hexadecimal>
//   C <n>
// "P" is a fueling read from the concentrator (S the standard record, F the
// one with the tag), "C" clears entry n. Once nothing is pending the file is
// emptied.
//
// File "AbastecimentosRetidos": fuelings that could not be stored and need
// the station's attention, one a line:
//   <dd/mm/yyyy hh:mm:ss> <S|F> <record bytes in hexadecimal> <reason>
class TDiarioAbastecimentos {
  public:
    struct Entrada {
        std::int64_t Numero = 0;
        QDateTime Lido;
        bool Fid = false;
        QByteArray Bytes;
    };

    TDiarioAbastecimentos(QString diretorio, TRegistroLog& log, const TRelogio& relogio);

    static QString NomeArquivo() { return QStringLiteral("AbastecimentosPendentes"); }
    static QString NomeArquivoRetidos() { return QStringLiteral("AbastecimentosRetidos"); }
    // Space set aside beside the journal: released when the disk fills, so
    // the line of a fueling already taken from the concentrator still fits.
    static QString NomeArquivoReserva() { return QStringLiteral("AbastecimentosReserva"); }
    static constexpr qint64 TamanhoReserva = 64 * 1024;
    // Free space below which no new fueling is taken from the concentrator.
    static constexpr qint64 EspacoMinimo = 32 * 1024;

    // Whether a new fueling can be written down before it is read: the
    // folder can be written, the reserve is in place and the disk has room
    // beyond it. Never raises.
    bool CabeRegistro();

    // Reads what a previous run left pending. A damaged line (a crash in the
    // middle of a write) is skipped with an error-log line.
    void Carrega();

    // Writes the record and flushes it to disk; returns its entry number.
    // Raises when the file cannot be written: the fueling must then not be
    // taken as safe.
    std::int64_t Registra(const QByteArray& bytes, bool fid);
    void Conclui(std::int64_t numero);
    // Keeps the record with its reason in AbastecimentosRetidos, then clears it.
    void Retem(std::int64_t numero, const QString& motivo);

    bool TemPendentes() const { return !m_pendentes.empty(); }
    const std::vector<Entrada>& Pendentes() const { return m_pendentes; }
    const Entrada* Procura(std::int64_t numero) const;
    // A file of this folder (NomeArquivo(), NomeArquivoRetidos()).
    QString Caminho(const QString& nome) const;

  private:
    static QByteArray Linha(const Entrada& e);
    void Acrescenta(const QString& arquivo, const QByteArray& linha, bool sincroniza);
    void Reescreve();
    bool RefazReserva();
    void LiberaReserva();

    QString m_diretorio;
    TRegistroLog& m_log;
    const TRelogio& m_relogio;
    std::vector<Entrada> m_pendentes;
    std::int64_t m_proximo = 1;
    int m_erroSistema = 0;  // errno of the last failed write
};
