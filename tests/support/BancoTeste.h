#pragma once

#include <QString>

class TConexao;

// Throwaway station databases for tests. Each is a new file made through the
// embedded engine from data/schema/estacao.sql, independently of the access
// layer under test.

// Creates `nome` in `pasta` (dialect 1, character set NONE), with the demo
// data when asked; returns its full path. Forced writes are off unless asked
// for (a commit then waits for the disk, as on a station). Raises
// std::runtime_error with Firebird's text on failure.
QString CriaBancoTeste(const QString& pasta, bool demo = false,
                       const QString& nome = QStringLiteral("estacao.fdb"),
                       bool escritaForcada = false);

// The tests' private Firebird server (a CTest fixture, see CMakeLists.txt):
// "127.0.0.1/<port>", to put before ":/path/file.fdb", and its SYSDBA password.
QString ServidorTeste();
QString SenhaServidorTeste();
// The process of that server, to freeze it (SIGSTOP) as a hung server or a
// pulled cable would leave it; 0 when it is not running.
qint64 PidServidorTeste();

// Runs a script of statements separated by ";" on the database (embedded,
// dialect 1); "COMMIT" commits, isql's SET lines are skipped, texts go as
// Windows-1252 bytes. `banco` may also name a database on the test server.
void ExecutaSql(const QString& banco, const QString& script);

// The first column of the first row of a SELECT, as text ("<null>" for
// NULL, "<nenhuma>" without a row), read over the raw client interface.
QString ValorSql(const QString& banco, const QString& consulta);

// The design-time connection lines with this database (a path, or
// host[/port]:path) and SYSDBA with the given password.
void ConfiguraConexaoTeste(TConexao& conexao, const QString& banco,
                           const QString& senha = QStringLiteral("masterkey"));

// The folder of the schema scripts in the source tree.
QString PastaEsquema();
