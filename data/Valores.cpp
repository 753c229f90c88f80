#include "data/Valores.h"

#include <cmath>
#include <limits>

#include "data/Utilitarios.h"

namespace {

// Dates as the program's date-time numbers count them: days since 30/12/1899.
const QDate kDataZero(1899, 12, 30);

double DataHoraParaNumero(const QDateTime& dt) {
    const double dias = double(kDataZero.daysTo(dt.date()));
    const double fracao = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return dias >= 0 ? dias + fracao : dias - fracao;
}

bool HoraZero(const QTime& t) {
    return t.msecsSinceStartOfDay() == 0;
}

QDateTime TextoParaDataHora(const QString& texto) {
    const QString t = Trim(texto);
    const qsizetype espaco = t.indexOf(QLatin1Char(' '));
    if (espaco < 0) {
        return QDateTime(StrToDate(t), QTime(0, 0));
    }
    return QDateTime(StrToDate(t.left(espaco)), StrToTime(t.mid(espaco + 1).trimmed()));
}

}  // namespace

double NumeroEscalado(qint64 n, int escala) {
    // Dividing by the exact power of ten rounds once; multiplying by its
    // inexact inverse would not (35 * 0.01 is 0.35000000000000003).
    if (escala >= 0)
        return double(n) * std::pow(10.0, escala);
    return double(n) / std::pow(10.0, -escala);
}

QString ComoTexto(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return QString();
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return v.toString();
        case QMetaType::LongLong:
        case QMetaType::Int:
            return QString::number(v.toLongLong());
        case QMetaType::Double:
            return FloatToStr(v.toDouble());
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            QString texto = DateToStr(dt.date());
            if (!HoraZero(dt.time())) {
                texto += QLatin1Char(' ') + TimeToStr(dt.time());
            }
            return texto;
        }
        case QMetaType::QDate:
            return DateToStr(v.toDate());
        case QMetaType::QTime:
            return TimeToStr(v.toTime());
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default:
            return v.toString();
    }
}

double ComoNumero(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return 0;
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return StrToFloat(v.toString());
        case QMetaType::QDateTime:
            return DataHoraParaNumero(v.toDateTime());
        case QMetaType::QDate:
            return DataHoraParaNumero(QDateTime(v.toDate(), QTime(0, 0)));
        case QMetaType::QTime:
            return v.toTime().msecsSinceStartOfDay() / 86400000.0;
        default:
            return v.toDouble();
    }
}

int ComoInteiro(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return 0;
    }
    switch (v.typeId()) {
        case QMetaType::QString:
            return StrToInt(v.toString());
        case QMetaType::Double:
            return int(std::lround(v.toDouble()));
        case QMetaType::QDateTime:
        case QMetaType::QDate:
        case QMetaType::QTime:
            return int(std::trunc(ComoNumero(v)));
        default:
            return int(v.toLongLong());
    }
}

QDateTime ComoDataHora(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return QDateTime();
    }
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v.toDateTime();
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return QDateTime(kDataZero, v.toTime());
        case QMetaType::QString:
            return TextoParaDataHora(v.toString());
        default: {
            const double n = v.toDouble();
            const double dias = std::trunc(n);
            const qint64 ms = std::llround(std::fabs(n - dias) * 86400000.0);
            return QDateTime(kDataZero.addDays(qint64(dias)), QTime(0, 0).addMSecs(int(ms)));
        }
    }
}

// A value given to a field, converted to the column's kind the way a typed
// field takes it: text is read with the format settings; an empty text
// empties a field that is not text.
QVariant Converte(const QVariant& v, TipoCampo tipo) {
    if (!v.isValid() || v.isNull()) {
        return QVariant();
    }
    const bool texto = v.typeId() == QMetaType::QString;
    if (texto && tipo != TipoCampo::Texto && v.toString().isEmpty()) {
        return QVariant();
    }
    switch (tipo) {
        case TipoCampo::Texto:
            return ComoTexto(v);
        case TipoCampo::Inteiro:
            return QVariant(qlonglong(ComoInteiro(v)));
        case TipoCampo::Numero:
            return QVariant(ComoNumero(v));
        case TipoCampo::DataHora:
            return QVariant(ComoDataHora(v));
        case TipoCampo::Data:
            return QVariant(ComoDataHora(v).date());
        case TipoCampo::Hora:
            return QVariant(ComoDataHora(v).time());
        case TipoCampo::Logico:
            return QVariant(
                texto ? v.toString().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
                      : v.toBool());
        case TipoCampo::Outro:
            break;
    }
    return v;
}

TValor ValorDoCache(const QVariant& v) {
    TValor valor;
    if (!v.isValid() || v.isNull()) {
        return valor;
    }
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            valor.tipo = TValor::DataHora;
            valor.dataHora = v.toDateTime();
            break;
        case QMetaType::QDate:
            valor.tipo = TValor::Data;
            valor.dataHora = QDateTime(v.toDate(), QTime(0, 0));
            break;
        case QMetaType::Double:
            valor.tipo = TValor::Double;
            valor.d = v.toDouble();
            break;
        case QMetaType::LongLong:
        case QMetaType::Int: {
            const qlonglong n = v.toLongLong();
            if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) {
                valor.tipo = TValor::Inteiro;
                valor.i = int(n);
            } else {
                valor.tipo = TValor::Double;
                valor.d = double(n);
            }
            break;
        }
        case QMetaType::QByteArray:
            valor.tipo = TValor::Bytes;
            valor.bytes = v.toByteArray();
            break;
        default:
            valor.tipo = TValor::Texto;
            valor.texto = ComoTexto(v);
            break;
    }
    return valor;
}
