#include "app/LogArquivos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include "data/Erro.h"
#include "data/FormatSettings.h"
#include "data/Relogio.h"
#include "data/Utilitarios.h"
#include "data/Win1252.h"

namespace {
QString ComSeparador(QString diretorio) {
    if (!diretorio.isEmpty() && !diretorio.endsWith(QLatin1Char('/')))
        diretorio.append(QLatin1Char('/'));
    return diretorio;
}
}  // namespace

TLogArquivos::TLogArquivos(const TRelogio& relogio, QString diretorioPrograma,
                           std::function<void()> processaEvento)
    : m_relogio(relogio),
      m_diretorioPrograma(ComSeparador(std::move(diretorioPrograma))),
      m_processaEvento(std::move(processaEvento)) {}

QString TLogArquivos::MontaLinhaLog(const QString& data, const QString& hora,
                                    const QString& codBico, double litros, double total,
                                    double precoUnit, const QString& sequencia, const QString& id,
                                    const QString& canal) {
    QString linha;
    linha.reserve(96);
    linha += QLatin1Char(' ');
    linha += data;
    linha += QLatin1String("   ");
    linha += hora;
    linha += QLatin1String("   ");
    linha += codBico;
    linha += QLatin1String("   ");
    linha += FormataNumero(QStringLiteral("######0.000"), litros);
    linha += QLatin1String("     ");
    linha += FormataNumero(QStringLiteral("######0.000"), precoUnit);
    linha += QLatin1String("     ");
    linha += FormataNumero(QStringLiteral("#######0.00"), total);
    linha += QLatin1String("  ");
    linha += PreencheZeros(sequencia, 3);
    linha += QLatin1Char(' ');
    linha += PreencheZeros(id, 3);
    linha += QLatin1String("    ");
    linha += canal;
    return linha;
}

QStringList TLogArquivos::LinhasCabecalho() const {
    return {
        QString(17, QLatin1Char(' ')) +
            QStringLiteral("ARQUIVO DE LOG DO CONCENTRADOR COMPANYTEC  -  ") +
            DateToStr(m_relogio.Hoje()),
        QString(92, QLatin1Char('=')),
        QStringLiteral("DATA         HORA       BICO       LITRAGEM         VALOR UNIT        "
                       "TOTAL  SEQ  ID   CANAL"),
        QStringLiteral("----------   --------   -----   -----------        -----------  "
                       "-----------  ---  ---  -----"),
    };
}

QString TLogArquivos::ArquivoDoDia() const {
    QString data = DateToStr(m_relogio.Hoje());
    data.remove(QLatin1Char('/'));
    return m_diretorioPrograma + QStringLiteral("LogFluvio") + data;
}

QString TLogArquivos::ArquivoErros() const {
    return m_diretorioPrograma + QStringLiteral("LogErroConcentrador");
}

std::optional<QStringList> TLogArquivos::LeArquivoDoDia() const {
    const QString nome = ArquivoDoDia();
    if (!QFileInfo::exists(nome))
        return std::nullopt;
    QFile arquivo(nome);
    if (!arquivo.open(QIODevice::ReadOnly))
        throw EErro(QStringLiteral("Não foi possível ler o arquivo %1: %2")
                        .arg(QDir::toNativeSeparators(nome), arquivo.errorString()));
    return DivideLinhas(De1252(arquivo.readAll()));
}

void TLogArquivos::Espera(const bool& ocupado) const {
    // Only event handling on this same thread could find the flag set; the
    // writers let no events run, so in practice this never turns.
    while (ocupado && m_processaEvento)
        m_processaEvento();
}

void TLogArquivos::AcrescentaLinha(const QString& nome, const QString& linha) {
    QFile arquivo(nome);
    const auto falha = [&] {
        return EErro(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                         .arg(QDir::toNativeSeparators(nome), arquivo.errorString()));
    };
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Append))
        throw falha();
    const QByteArray bytes = Para1252(linha) + QByteArrayLiteral("\r\n");
    if (arquivo.write(bytes) != bytes.size() || !arquivo.flush())
        throw falha();
    arquivo.close();
    if (arquivo.error() != QFileDevice::NoError)
        throw falha();
}

void TLogArquivos::EscreveLinhaLog(const QString& linha,
                                   const std::function<void(const QString&)>& mostra) {
    Espera(m_ocupadoAtividade);
    m_ocupadoAtividade = true;
    const auto libera = qScopeGuard([this] { m_ocupadoAtividade = false; });
    AcrescentaLinha(ArquivoDoDia(), linha);
    if (mostra)
        mostra(linha);
}

void TLogArquivos::GravaLogErro(const QString& texto) {
    Espera(m_ocupadoErro);
    m_ocupadoErro = true;
    const auto libera = qScopeGuard([this] { m_ocupadoErro = false; });
    const QDateTime agora = m_relogio.Agora();
    const QDate dia = agora.date();
    const QChar sep = FormatSettings().DateSeparator;
    const QString data = QStringLiteral("%1%2%3%4%5")
                             .arg(dia.day(), 2, 10, QLatin1Char('0'))
                             .arg(sep)
                             .arg(dia.month(), 2, 10, QLatin1Char('0'))
                             .arg(sep)
                             .arg(dia.year() % 100, 2, 10, QLatin1Char('0'));
    AcrescentaLinha(ArquivoErros(),
                    data + QLatin1Char(' ') + TimeToStr(agora.time()) + QLatin1Char(' ') + texto);
}

QStringList DivideLinhas(const QString& texto) {
    QStringList linhas;
    QString atual;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            linhas.append(atual);
            atual.clear();
            if (c == QLatin1Char('\r') && i + 1 < texto.size() && texto[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            atual.append(c);
        }
    }
    if (!atual.isEmpty())
        linhas.append(atual);
    return linhas;
}
