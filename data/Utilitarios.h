#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Fixed-width text and rounding helpers. Pure: they raise nothing of their own.

QString PreencheZeros(const QString& texto, int largura);
QString Direita(const QString& texto, int n);
QString Espacos(int n);
QString Preenche(const QString& texto, const QString& preenchimento, int largura, bool esquerda);
bool ContemTexto(const QString& procurado, const QString& texto);
// Replaces right to left, one occurrence a pass, until `antigo` no longer
// occurs. An empty `antigo`, or a `novo` that contains `antigo` (and differs
// from it), would never end: the text comes back unchanged.
QString SubstituiTexto(const QString& texto, const QString& antigo, const QString& novo);
double Arredonda(double valor, int decimais);
// The number written with a picture mask of "0", "#" and ".", right-aligned
// with blanks to the mask's length; never cut.
QString FormataNumero(const QString& mascara, double valor);

// The mask alone, without the right alignment (FormatFloat); rounds half away
// from zero on the number's shortest decimal text, so 1.005 reads as 1.005.
QString FormatFloat(const QString& mascara, double valor);

// Conversions that follow the process-wide format settings.
// The general number form: up to 15 significant digits, no trailing zeros.
QString FloatToStr(double valor);
// Raises "'%s' is not a valid floating point value".
double StrToFloat(const QString& texto);
// Raises "'%s' não é um valor inteiro válido".
int StrToInt(const QString& texto);
// Strips characters of code 32 or less at both ends.
QString Trim(const QString& texto);

// Short date "dd/mm/yyyy" with the date separator; long time hh:mm:ss.
QString DateToStr(const QDate& data);
QString TimeToStr(const QTime& hora);
// Raises "'%s' não é uma data válida" / "'%s' não é uma hora válida".
QDate StrToDate(const QString& texto);
// Hours and minutes, optionally seconds, separated by ":".
QTime StrToTime(const QString& texto);
