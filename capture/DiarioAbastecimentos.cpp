#include "capture/DiarioAbastecimentos.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "data/Erro.h"
#include "data/RegistroLog.h"
#include "data/Relogio.h"
#include "data/Win1252.h"

namespace {

const QString kFormatoMomento = QStringLiteral("dd/MM/yyyy HH:mm:ss");

QString ErroArquivo(const QString& caminho) {
    return QStringLiteral("Erro ao gravar o arquivo %1: %2")
        .arg(caminho, QString::fromLocal8Bit(std::strerror(errno)));
}

// Reads one "P" line: P <n> <date> <time> <S|F> <hex>.
bool LeEntrada(const QList<QByteArray>& campos, TDiarioAbastecimentos::Entrada& e) {
    if (campos.size() != 6 || campos[0] != "P")
        return false;
    bool ok = false;
    e.Numero = campos[1].toLongLong(&ok);
    if (!ok || e.Numero <= 0)
        return false;
    e.Lido =
        QDateTime::fromString(QString::fromLatin1(campos[2] + ' ' + campos[3]), kFormatoMomento);
    if (!e.Lido.isValid())
        return false;
    if (campos[4] != "S" && campos[4] != "F")
        return false;
    e.Fid = campos[4] == "F";
    const QByteArray& hex = campos[5];
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return false;
    for (char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    e.Bytes = QByteArray::fromHex(hex);
    return true;
}

}  // namespace

TDiarioAbastecimentos::TDiarioAbastecimentos(QString diretorio, TRegistroLog& log,
                                             const TRelogio& relogio)
    : m_diretorio(std::move(diretorio)), m_log(log), m_relogio(relogio) {}

QString TDiarioAbastecimentos::Caminho(const QString& nome) const {
    return QDir(m_diretorio).filePath(nome);
}

void TDiarioAbastecimentos::Carrega() {
    m_pendentes.clear();
    QFile arquivo(Caminho(NomeArquivo()));
    if (!arquivo.exists())
        return;
    if (!arquivo.open(QIODevice::ReadOnly)) {
        throw EErro(QStringLiteral("Erro ao ler o arquivo %1: %2")
                        .arg(arquivo.fileName(), arquivo.errorString()));
    }
    const QByteArray conteudo = arquivo.readAll();
    const QList<QByteArray> linhas = conteudo.split('\n');
    int numeroLinha = 0;
    for (qsizetype i = 0; i < linhas.size(); ++i) {
        ++numeroLinha;
        QByteArray linha = linhas[i];
        const bool ultima = i == linhas.size() - 1;
        if (ultima && linha.isEmpty())
            break;  // the file ends with a line end
        // A last line without its line end was cut by a crash mid-write.
        bool danificada = ultima;
        if (linha.endsWith('\r'))
            linha.chop(1);
        const QList<QByteArray> campos = linha.split(' ');
        Entrada e;
        if (!danificada && LeEntrada(campos, e)) {
            m_proximo = std::max(m_proximo, e.Numero + 1);
            m_pendentes.push_back(std::move(e));
            continue;
        }
        bool ok = false;
        const std::int64_t concluida =
            campos.size() == 2 && campos[0] == "C" ? campos[1].toLongLong(&ok) : 0;
        if (!danificada && ok) {
            std::erase_if(m_pendentes, [&](const Entrada& p) { return p.Numero == concluida; });
            continue;
        }
        m_log.GravaLogErro(QStringLiteral("Linha %1 danificada no arquivo %2 ignorada: %3")
                               .arg(numeroLinha)
                               .arg(NomeArquivo(), De1252(linha.left(200))));
    }
    arquivo.close();
    // Start this run from a clean file: only what is pending, so a damaged
    // line is reported once and never runs into the next entry.
    Reescreve();
}

QByteArray TDiarioAbastecimentos::Linha(const Entrada& e) {
    return "P " + QByteArray::number(e.Numero) + ' ' + e.Lido.toString(kFormatoMomento).toLatin1() +
           ' ' + (e.Fid ? "F" : "S") + ' ' + e.Bytes.toHex().toUpper() + "\r\n";
}

void TDiarioAbastecimentos::Reescreve() {
    const QString destino = Caminho(NomeArquivo());
    const QString temporario = destino + QStringLiteral(".tmp");
    QFile::remove(temporario);
    QByteArray conteudo;
    for (const Entrada& e : m_pendentes)
        conteudo += Linha(e);
    Acrescenta(NomeArquivo() + QStringLiteral(".tmp"), conteudo, true);
    if (::rename(QFile::encodeName(temporario).constData(),
                 QFile::encodeName(destino).constData()) != 0) {
        throw EErro(ErroArquivo(destino));
    }
}

void TDiarioAbastecimentos::Acrescenta(const QString& arquivo, const QByteArray& linha,
                                       bool sincroniza) {
    const QByteArray caminho = QFile::encodeName(Caminho(arquivo));
    const auto falha = [&](int fd) {
        m_erroSistema = errno;
        if (fd >= 0)
            ::close(fd);
        errno = m_erroSistema;
        return EErro(ErroArquivo(Caminho(arquivo)));
    };
    m_erroSistema = 0;
    const int fd = ::open(caminho.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw falha(fd);
    const off_t antes = ::lseek(fd, 0, SEEK_END);
    qsizetype escrito = 0;
    while (escrito < linha.size()) {
        const ssize_t n =
            ::write(fd, linha.constData() + escrito, static_cast<size_t>(linha.size() - escrito));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            // No part of a line is left behind to run into the next one.
            const int erro = errno;
            if (antes >= 0)
                (void)::ftruncate(fd, antes);
            errno = erro;
            throw falha(fd);
        }
        escrito += n;
    }
    if (sincroniza && ::fdatasync(fd) != 0)
        throw falha(fd);
    ::close(fd);
}

bool TDiarioAbastecimentos::CabeRegistro() {
    const QByteArray pasta = QFile::encodeName(m_diretorio);
    if (::access(pasta.constData(), W_OK) != 0)
        return false;
    const QByteArray diario = QFile::encodeName(Caminho(NomeArquivo()));
    if (::access(diario.constData(), F_OK) == 0 && ::access(diario.constData(), W_OK) != 0)
        return false;
    if (!RefazReserva())
        return false;
    struct statvfs disco {};
    if (::statvfs(pasta.constData(), &disco) != 0)
        return false;
    return qint64(disco.f_bavail) * qint64(disco.f_frsize) >= EspacoMinimo;
}

bool TDiarioAbastecimentos::RefazReserva() {
    const QString caminho = Caminho(NomeArquivoReserva());
    if (QFileInfo(caminho).size() == TamanhoReserva)
        return true;
    const QByteArray nome = QFile::encodeName(caminho);
    const int fd = ::open(nome.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Blocks really taken, not a sparse file that would free nothing.
    const bool ok = ::posix_fallocate(fd, 0, TamanhoReserva) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        ::unlink(nome.constData());
    return ok;
}

void TDiarioAbastecimentos::LiberaReserva() {
    ::unlink(QFile::encodeName(Caminho(NomeArquivoReserva())).constData());
}

std::int64_t TDiarioAbastecimentos::Registra(const QByteArray& bytes, bool fid) {
    Entrada e;
    e.Numero = m_proximo;
    e.Lido = m_relogio.Agora();
    e.Fid = fid;
    e.Bytes = bytes;
    try {
        Acrescenta(NomeArquivo(), Linha(e), true);
    } catch (const EErro&) {
        // The disk filled between the check and this write: the reserve
        // makes room for the line of a fueling that is already out of the
        // concentrator.
        if (m_erroSistema != ENOSPC && m_erroSistema != EDQUOT)
            throw;
        LiberaReserva();
        Acrescenta(NomeArquivo(), Linha(e), true);
    }
    ++m_proximo;
    m_pendentes.push_back(std::move(e));
    return m_pendentes.back().Numero;
}

void TDiarioAbastecimentos::Conclui(std::int64_t numero) {
    const auto antes = m_pendentes.size();
    std::erase_if(m_pendentes, [&](const Entrada& p) { return p.Numero == numero; });
    if (m_pendentes.size() == antes)
        return;
    if (m_pendentes.empty()) {
        // Nothing left to keep: start the file afresh.
        QFile arquivo(Caminho(NomeArquivo()));
        if (arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
    }
    // A lost "C" line only means the entry is looked at again: its row is
    // found and it is cleared then, so no flush is needed here.
    Acrescenta(NomeArquivo(), "C " + QByteArray::number(numero) + "\r\n", false);
}

void TDiarioAbastecimentos::Retem(std::int64_t numero, const QString& motivo) {
    const Entrada* e = Procura(numero);
    if (!e)
        return;
    QString texto = motivo;
    texto.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray linha = e->Lido.toString(kFormatoMomento).toLatin1() + ' ' +
                             (e->Fid ? "F" : "S") + ' ' + e->Bytes.toHex().toUpper() + ' ' +
                             Para1252(texto) + "\r\n";
    Acrescenta(NomeArquivoRetidos(), linha, true);
    Conclui(numero);
}

const TDiarioAbastecimentos::Entrada* TDiarioAbastecimentos::Procura(std::int64_t numero) const {
    for (const Entrada& e : m_pendentes) {
        if (e.Numero == numero)
            return &e;
    }
    return nullptr;
}
