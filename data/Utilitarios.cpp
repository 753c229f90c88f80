#include "data/Utilitarios.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "data/Erro.h"
#include "data/FormatSettings.h"

namespace {

// A finite double as a decimal: its digits without leading zeros and the
// position of the decimal point among them (value = 0.D x 10^ponto).
struct TDecimal {
    bool Negativo = false;
    std::string Digitos;  // empty for zero
    int Ponto = 0;
};

// The number as its 15-significant-digit decimal text reads, so that 0.125
// and 1.005 round as written, not as their binary approximations.
TDecimal Decompoe(double valor) {
    TDecimal d;
    d.Negativo = std::signbit(valor);
    char buf[64];
    auto [fim, ec] =
        std::to_chars(buf, buf + sizeof buf, std::fabs(valor), std::chars_format::scientific, 14);
    (void)ec;
    const std::string s(buf, fim);
    const auto e = s.find('e');
    std::string mantissa = s.substr(0, e);
    const int expoente = std::atoi(s.c_str() + e + 1);
    mantissa.erase(1, 1);  // the point after the first digit
    while (!mantissa.empty() && mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.empty() || mantissa == "0") {
        d.Digitos.clear();
        d.Negativo = false;
        return d;
    }
    d.Digitos = mantissa;
    d.Ponto = expoente + 1;
    return d;
}

// Rounds half away from zero to `decimais` places; returns the integer and
// fractional digits (the fraction exactly `decimais` long).
void ArredondaDecimal(const TDecimal& d, int decimais, std::string& inteiro, std::string& fracao,
                      bool& negativo) {
    // All digits placed on a fixed grid: integer digits, then decimais places.
    const int nInteiro = d.Ponto > 0 ? d.Ponto : 0;
    std::string grade(static_cast<std::size_t>(nInteiro + decimais), '0');
    bool arredondaParaCima = false;
    for (int i = 0; i < static_cast<int>(d.Digitos.size()); ++i) {
        const int pos = d.Ponto - 1 - i;  // power of ten of this digit
        const int idx = nInteiro - 1 - pos;
        if (idx < 0)
            continue;
        if (idx < static_cast<int>(grade.size())) {
            grade[static_cast<std::size_t>(idx)] = d.Digitos[static_cast<std::size_t>(i)];
        } else if (idx == static_cast<int>(grade.size())) {
            arredondaParaCima = d.Digitos[static_cast<std::size_t>(i)] >= '5';
            break;
        } else {
            break;
        }
    }
    if (arredondaParaCima) {
        int i = static_cast<int>(grade.size()) - 1;
        for (; i >= 0; --i) {
            if (grade[static_cast<std::size_t>(i)] == '9') {
                grade[static_cast<std::size_t>(i)] = '0';
            } else {
                ++grade[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0)
            grade.insert(grade.begin(), '1');
    }
    const std::size_t nInt = grade.size() - static_cast<std::size_t>(decimais);
    inteiro = grade.substr(0, nInt);
    fracao = grade.substr(nInt);
    const auto primeiro = inteiro.find_first_not_of('0');
    inteiro = primeiro == std::string::npos ? std::string() : inteiro.substr(primeiro);
    negativo =
        d.Negativo && (!inteiro.empty() || fracao.find_first_not_of('0') != std::string::npos);
}

QString TextoNaoFinito(double valor) {
    if (std::isnan(valor))
        return QStringLiteral("NAN");
    return valor < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

bool EhBranco(QChar c) {
    return c.unicode() <= 32;
}

}  // namespace

QString Trim(const QString& texto) {
    qsizetype ini = 0, fim = texto.size();
    while (ini < fim && EhBranco(texto[ini]))
        ++ini;
    while (fim > ini && EhBranco(texto[fim - 1]))
        --fim;
    return texto.mid(ini, fim - ini);
}

QString Direita(const QString& texto, int n) {
    if (n <= 0)
        return texto;
    QString r = texto.size() > n ? texto.right(n) : texto;
    return Espacos(n - static_cast<int>(r.size())) + r;
}

QString Espacos(int n) {
    return n > 0 ? QString(n, QLatin1Char(' ')) : QString();
}

QString PreencheZeros(const QString& texto, int largura) {
    QString r = Trim(texto);
    if (largura <= 0)
        return r;
    if (r.size() > largura)
        r = Direita(r, largura);
    while (r.size() < largura)
        r.prepend(QLatin1Char('0'));
    return r;
}

QString Preenche(const QString& texto, const QString& preenchimento, int largura, bool esquerda) {
    const qsizetype k = largura - texto.size();
    if (k <= 0)
        return texto;
    const QString extra = preenchimento.repeated(k);
    return esquerda ? extra + texto : texto + extra;
}

bool ContemTexto(const QString& procurado, const QString& texto) {
    if (texto.isEmpty())
        return false;
    return texto.contains(procurado, Qt::CaseSensitive);
}

QString SubstituiTexto(const QString& texto, const QString& antigo, const QString& novo) {
    if (antigo.isEmpty())
        return texto;
    if (novo != antigo && novo.contains(antigo))
        return texto;
    // Some rewrites that keep to the rules above still grow forever; past
    // this many passes the text is returned as it stands.
    constexpr int kMaxPassos = 10000;
    QString r = texto;
    for (int passo = 0; passo < kMaxPassos; ++passo) {
        const qsizetype i = r.lastIndexOf(antigo);
        if (i < 0)
            return r;
        r = r.left(i) + novo + r.mid(i + antigo.size());
        if (antigo == novo || !ContemTexto(antigo, r))
            return r;
    }
    return r;
}

QString FormatFloat(const QString& mascara, double valor) {
    if (!std::isfinite(valor))
        return TextoNaoFinito(valor);
    const qsizetype ponto = mascara.indexOf(QLatin1Char('.'));
    const QString parteInteira = ponto < 0 ? mascara : mascara.left(ponto);
    const QString parteDecimal = ponto < 0 ? QString() : mascara.mid(ponto + 1);
    const int minInteiro = static_cast<int>(parteInteira.count(QLatin1Char('0')));
    const int minDecimais = static_cast<int>(parteDecimal.count(QLatin1Char('0')));
    const int maxDecimais = minDecimais + static_cast<int>(parteDecimal.count(QLatin1Char('#')));

    std::string inteiro, fracao;
    bool negativo = false;
    ArredondaDecimal(Decompoe(valor), maxDecimais, inteiro, fracao, negativo);
    while (static_cast<int>(inteiro.size()) < minInteiro)
        inteiro.insert(inteiro.begin(), '0');
    while (static_cast<int>(fracao.size()) > minDecimais && fracao.back() == '0')
        fracao.pop_back();

    QString r;
    if (negativo)
        r += QLatin1Char('-');
    r += QString::fromLatin1(inteiro.data(), static_cast<qsizetype>(inteiro.size()));
    if (!fracao.empty()) {
        r += FormatSettings().DecimalSeparator;
        r += QString::fromLatin1(fracao.data(), static_cast<qsizetype>(fracao.size()));
    }
    return r;
}

QString FormataNumero(const QString& mascara, double valor) {
    return Preenche(FormatFloat(mascara, valor), QStringLiteral(" "),
                    static_cast<int>(mascara.size()), true);
}

double Arredonda(double valor, int decimais) {
    if (!std::isfinite(valor))
        return valor;
    std::string inteiro, fracao;
    bool negativo = false;
    ArredondaDecimal(Decompoe(valor), decimais > 0 ? decimais : 0, inteiro, fracao, negativo);
    const std::string texto = (negativo ? "-" : "") +
                              (inteiro.empty() ? std::string("0") : inteiro) +
                              (fracao.empty() ? std::string() : "." + fracao);
    double r = 0;
    std::from_chars(texto.data(), texto.data() + texto.size(), r);
    return r;
}

QString FloatToStr(double valor) {
    if (!std::isfinite(valor))
        return TextoNaoFinito(valor);
    const TDecimal d = Decompoe(valor);
    if (d.Digitos.empty())
        return QStringLiteral("0");
    const QChar sep = FormatSettings().DecimalSeparator;
    QString r = d.Negativo ? QStringLiteral("-") : QString();
    const QString digitos =
        QString::fromLatin1(d.Digitos.data(), static_cast<qsizetype>(d.Digitos.size()));
    const int expoente = d.Ponto - 1;
    if (expoente >= 15 || expoente < -5) {
        r += digitos.left(1);
        if (digitos.size() > 1)
            r += sep + digitos.mid(1);
        return r + QLatin1Char('E') + QString::number(expoente);
    }
    if (d.Ponto <= 0) {
        return r + QLatin1Char('0') + sep + QString(-d.Ponto, QLatin1Char('0')) + digitos;
    }
    if (d.Ponto >= digitos.size()) {
        return r + digitos + QString(d.Ponto - digitos.size(), QLatin1Char('0'));
    }
    return r + digitos.left(d.Ponto) + sep + digitos.mid(d.Ponto);
}

double StrToFloat(const QString& texto) {
    const auto erro = [&] {
        return EErro(QStringLiteral("'%1' is not a valid floating point value").arg(texto));
    };
    const QString t = Trim(texto);
    const QChar sep = FormatSettings().DecimalSeparator;
    if (t.isEmpty())
        throw erro();
    std::string s;
    for (QChar c : t) {
        if (c == sep) {
            s += '.';
        } else if (c.isDigit() && c.unicode() < 128) {
            s += static_cast<char>(c.unicode());
        } else if (c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('e') ||
                   c == QLatin1Char('E')) {
            s += static_cast<char>(c.unicode());
        } else {
            throw erro();
        }
    }
    const char* ini = s.data();
    if (*ini == '+')
        ++ini;
    double r = 0;
    auto [fim, ec] = std::from_chars(ini, s.data() + s.size(), r);
    if (ec != std::errc() || fim != s.data() + s.size())
        throw erro();
    return r;
}

int StrToInt(const QString& texto) {
    const auto erro = [&] {
        return EErro(QStringLiteral("'%1' não é um valor inteiro válido").arg(texto));
    };
    qsizetype i = 0;
    while (i < texto.size() && texto[i] == QLatin1Char(' '))
        ++i;
    std::string s;
    for (; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c.unicode() >= 128)
            throw erro();
        s += static_cast<char>(c.unicode());
    }
    const char* ini = s.data();
    if (!s.empty() && s[0] == '+')
        ++ini;
    long long v = 0;
    auto [fim, ec] = std::from_chars(ini, s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || fim != s.data() + s.size() || v < INT32_MIN ||
        v > INT32_MAX)
        throw erro();
    return static_cast<int>(v);
}

QString DateToStr(const QDate& data) {
    const QChar sep = FormatSettings().DateSeparator;
    return QStringLiteral("%1%2%3%4%5")
        .arg(data.day(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(data.month(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(data.year(), 4, 10, QLatin1Char('0'));
}

QString TimeToStr(const QTime& hora) {
    return QStringLiteral("%1:%2:%3")
        .arg(hora.hour(), 2, 10, QLatin1Char('0'))
        .arg(hora.minute(), 2, 10, QLatin1Char('0'))
        .arg(hora.second(), 2, 10, QLatin1Char('0'));
}

namespace {
// Splits "a<sep>b<sep>c" into decimal parts of at most four digits each.
bool Partes(const QString& texto, QChar sep, int minimo, int maximo, int* partes, int& n) {
    const QStringList pedacos = Trim(texto).split(sep);
    n = static_cast<int>(pedacos.size());
    if (n < minimo || n > maximo)
        return false;
    for (int i = 0; i < n; ++i) {
        const QString& p = pedacos[i];
        if (p.isEmpty() || p.size() > 4)
            return false;
        for (QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        partes[i] = p.toInt();
    }
    return true;
}
}  // namespace

QDate StrToDate(const QString& texto) {
    int p[3] = {0, 0, 0};
    int n = 0;
    QDate data;
    if (Partes(texto, FormatSettings().DateSeparator, 3, 3, p, n)) {
        int ano = p[2];
        const qsizetype digitosAno = Trim(texto).section(FormatSettings().DateSeparator, 2).size();
        if (digitosAno <= 2)
            ano += ano < 50 ? 2000 : 1900;
        data = QDate(ano, p[1], p[0]);
    }
    if (!data.isValid())
        throw EErro(QStringLiteral("'%1' não é uma data válida").arg(texto));
    return data;
}

QTime StrToTime(const QString& texto) {
    int p[3] = {0, 0, 0};
    int n = 0;
    QTime hora;
    if (Partes(texto, QLatin1Char(':'), 2, 3, p, n))
        hora = QTime(p[0], p[1], n == 3 ? p[2] : 0);
    if (!hora.isValid())
        throw EErro(QStringLiteral("'%1' não é uma hora válida").arg(texto));
    return hora;
}
