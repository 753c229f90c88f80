#pragma once

// The simulated concentrator's state, kept in files of its own folder so that
// the library (inside the program) and the control tool (another process)
// share it, and so that it survives a restart of either. Every access holds an
// exclusive lock on the folder's lock file for the whole read-modify-write.

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

namespace sim {

// Fills every byte of a record that no field claims, so a test can prove that
// nobody reads them.
inline constexpr unsigned char Padrao = 0xCC;

inline constexpr int PrimeiroRegistro = 1;
inline constexpr int UltimoRegistro = 9999;

// A finished fueling waiting in the concentrator.
struct TPendente {
    int Codigo = 0;  // decimal nozzle code
    // Replaces the two hexadecimal digits in the record (malformed codes).
    std::optional<QByteArray> CodigoBruto;
    double Litros = 0;
    std::int64_t Valor = 0;  // ten-thousandths
    std::int64_t Preco = 0;  // ten-thousandths
    QByteArray Data;         // "dd/mm/yyyy"
    QByteArray Hora;         // "hh:mm:ss" or "hh:mm"
    int Registro = 0;
    double Encerrante = 0;  // nozzle totalizer after this fueling
    QByteArray Tag;
    // Length bytes written as given instead of the text's length; -1 = none.
    int TamCodigo = -1, TamData = -1, TamHora = -1, TamTag = -1;
};

struct TEstado {
    QList<TPendente> Fila;
    std::map<int, double> Encerrantes;
    // Code a totalizer reading of the nozzle reports instead of the one asked.
    std::map<int, QByteArray> CodigosEncerrante;
    std::array<unsigned char, 48> Status{};
    std::set<int> Bloqueados;
    std::map<int, double> Precos;
    bool PortaAberta = false;
    int Porta = 0;
    std::int32_t ResultadoInicializa = 1;
    QByteArray RelogioModo;              // argument of the last SetClock
    QString RelogioInstante;             // when it came, ISO 8601
    std::optional<QByteArray> TextoPPL;  // forced answer of RefLePPL
    int ProximoRegistro = PrimeiroRegistro;
    int AutoIntervalo = 0;  // seconds; 0 = off
    QList<int> AutoBicos;
    std::int64_t AutoUltimo = 0;  // ms since the epoch
    int AutoProximo = 0;          // index into AutoBicos
    std::uint32_t Semente = 12345;
    // Continuous feed for long runs: every read that finds the queue empty
    // gets a fueling, round-robin over ContinuoBicos, each one minute after
    // the previous one (a clock of its own), so no two share a second.
    QList<int> ContinuoBicos;  // empty = off
    int ContinuoProximo = 0;
    std::int64_t ContinuoMomento = 0;  // ms since the epoch of the next one

    // Status bytes as LeStatus reports them: a blocked nozzle shows 5 at the
    // position of its channel.
    std::array<unsigned char, 48> StatusReportado() const;
    int NovoRegistro();
    // Queues a fueling: assigns the register number (unless given), advances
    // the nozzle's totalizer and records it in the fueling.
    TPendente& Enfileira(TPendente abastecimento, std::optional<int> registro);
    // One automatic fueling when its interval has elapsed.
    void GeraAutomatico(std::int64_t agoraMs);
    // One continuous-feed fueling when the queue is empty.
    void GeraContinuo();
};

// Status position (1..48) of a decimal nozzle code, 0 when it has none.
int PosicaoStatus(int codigo);

// The nozzle code as the record carries it: two upper-case hex digits.
QByteArray CodigoHex(int codigo);
// A nozzle address or code read as hexadecimal / decimal text.
std::optional<int> LeHex(const QByteArray& texto);
std::optional<int> LeDecimal(const QByteArray& texto);

// Money and numbers written the same way everywhere (C locale).
QByteArray TextoDinheiro(std::int64_t decimosMilesimos);
QByteArray TextoNumero(double valor);

// Byte-exact records. An empty queue gives an all-zero record.
void PreencheRegistro(const TPendente& a, unsigned char* bytes, bool fid);

// The folder named by COMPANYTEC_SIM_DIR, otherwise "companytec-sim" beside
// the module (library or executable) holding this code.
QString PastaPadrao();

// One locked access to the state folder. The lock is held until destruction.
class TSessao {
  public:
    explicit TSessao(const QString& pasta);
    ~TSessao();
    TSessao(const TSessao&) = delete;
    TSessao& operator=(const TSessao&) = delete;

    TEstado& Estado() { return m_estado; }
    void Salva();
    // Salva in two steps: the new state written aside, then put in place
    // with one rename.
    void PreparaSalva();
    void ConcluiSalva();
    // Appends one line to the journal; sincroniza forces it to disk first.
    void Registra(const QByteArray& linha, bool sincroniza = false);
    void Reinicia();

    QString CaminhoDiario() const;

  private:
    QString m_pasta;
    int m_trava = -1;
    TEstado m_estado;
};

// Journal lines.
QByteArray LinhaChamada(const char* nome, const QByteArray& argumentos = QByteArray());
QByteArray LinhaEntregue(const char* nome, const TPendente& a, const unsigned char* bytes,
                         std::size_t tamanho);
QByteArray Aspas(const char* texto);

}  // namespace sim
