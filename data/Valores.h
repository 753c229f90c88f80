#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

// Values as the datasets keep and bind them, and the conversions between the
// kinds a field is read as. Pure: no database here.

// A parameter value as the program gave it.
struct TValor {
    enum Tipo { Texto, Data, DataHora, Double, Inteiro, Escalado, Bytes, Nulo } tipo = Nulo;
    QString texto;
    QDateTime dataHora;
    double d = 0;
    int i = 0;
    qint64 n = 0;      // Escalado: n * 10^escala, exact
    int escala = 0;    // Escalado
    QByteArray bytes;  // Bytes: sent as they are (a row's RDB$DB_KEY)
};

// How a column's value is kept in the cache.
enum class TipoCampo { Texto, Inteiro, Numero, DataHora, Data, Hora, Logico, Outro };

// A scaled integer (NUMERIC/DECIMAL kept as n * 10^escala, escala <= 0) as
// the nearest double to its decimal value: 35 at scale -2 is 0.35.
double NumeroEscalado(qint64 n, int escala);

// A field's value read as text, number, integer or date-time, the way a typed
// field answers: text is read with the format settings, NULL is empty or 0.
QString ComoTexto(const QVariant& v);
double ComoNumero(const QVariant& v);
int ComoInteiro(const QVariant& v);
QDateTime ComoDataHora(const QVariant& v);

// A value given to a field, converted to the column's kind; an empty text
// empties a field that is not text.
QVariant Converte(const QVariant& v, TipoCampo tipo);

// A cached value as a parameter value of its own kind.
TValor ValorDoCache(const QVariant& v);
