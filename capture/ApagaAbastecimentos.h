#pragma once

class TConexao;
class TDialogos;
class TRegistroLog;
class TRelogio;

// Deletes the issued fuelings (Emitido exactly "S") dated thirty days before
// today or earlier, in the connection's automatic commit. Handles its own
// database error: one information box, one error-log line, and it returns
// normally with nothing deleted.
void ApagaAbastecimentosAntigos(TConexao& conexao, const TRelogio& relogio, TDialogos& dialogos,
                                TRegistroLog& log);
