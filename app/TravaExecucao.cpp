#include "app/TravaExecucao.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "data/Erro.h"

TTravaExecucao::TTravaExecucao(const QString& diretorio)
    : m_caminho(QDir(diretorio).filePath(NomeArquivo())) {}

TTravaExecucao::~TTravaExecucao() {
    Libera();
}

bool TTravaExecucao::Adquire() {
    if (m_fd >= 0)
        return true;
    // Not inherited by a program started from here: it would hold the lock
    // after this one ended.
    const QByteArray caminho = QFile::encodeName(m_caminho);
    const int fd = ::open(caminho.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw EErro(QStringLiteral("Não foi possível abrir o arquivo ") + m_caminho +
                    QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        const int erro = errno;
        ::close(fd);
        if (erro == EWOULDBLOCK)
            return false;
        throw EErro(QStringLiteral("Não foi possível travar o arquivo ") + m_caminho +
                    QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(erro)));
    }
    m_fd = fd;
    return true;
}

void TTravaExecucao::Libera() {
    if (m_fd < 0)
        return;
    // Closing the descriptor lets the lock go; the file stays for the next.
    ::close(m_fd);
    m_fd = -1;
}
