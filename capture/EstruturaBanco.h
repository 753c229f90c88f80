#pragma once

#include <QStringList>

class TConexao;

// What of the station database the capture and the status publishing read
// and write that the database lacks, as "tabela X" or "coluna X.Y" (upper
// case, the database's spelling); empty when nothing is missing. A station
// database is the management software's: the program creates nothing, so a
// missing piece is told at start-up instead of failing every fueling.
QStringList EstruturaQueFalta(TConexao& conexao, bool publicaStatus);

// The start-up error for what is missing.
QString TextoEstruturaQueFalta(const QStringList& faltas);
