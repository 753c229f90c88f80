#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class TCapturaAbastecimento;
class TConexao;

// One line of AbastecimentosRetidos: "<read at> <S|F> <record in hex> <reason>".
struct TRegistroRetido {
    QByteArray Linha;  // as in the file, without its line end
    QString LidoEm;    // "dd/mm/yyyy hh:mm:ss"
    bool Fid = false;
    QByteArray Bytes;
    QString Motivo;
    // Why the line itself cannot be read back; empty when it can.
    QString Defeito;
};

// The lines of the kept-records file; a missing file holds none. Raises when
// the file exists and cannot be read.
std::vector<TRegistroRetido> LeRegistrosRetidos(const QString& caminho);

// Date, time, nozzle code, litres, amount and reason, in one line.
QString DescreveRegistroRetido(const TRegistroRetido& registro);

// The line of a kept record with its (new) reason, Windows-1252 text.
QByteArray LinhaRegistroRetido(const TRegistroRetido& registro);

// Replaces the file's content whole (a copy written, flushed and renamed over
// it), so a crash leaves the old file or the new one, never half of one.
void ReescreveRegistrosRetidos(const QString& caminho,
                               const std::vector<TRegistroRetido>& registros);

struct TResultadoRetidos {
    int Gravados = 0;
    int JaGravados = 0;  // their row was in MvAbast already
    int Retidos = 0;
    // The link to the database went: what was not tried stays as it was.
    bool Interrompido = false;
};

// Stores each kept record again through `captura` (the program's own
// decoding and storing), skips one whose row is already in MvAbast, keeps
// what still fails with its new reason, and rewrites the file with what is
// still kept. `conexao` is the capture's; `usaFid` is the flag the capture
// reads, set per record.
// `relata` receives one Portuguese line per record.
TResultadoRetidos GravaRegistrosRetidos(const QString& caminho, TCapturaAbastecimento& captura,
                                        TConexao& conexao, bool& usaFid,
                                        const std::function<void(const QString&)>& relata);
