#pragma once

#include <sys/mount.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <string>

// A small tmpfs mounted over a folder for one test: a disk that fills up or
// turns read-only on demand. Needs root; Montado() says whether it worked
// (the test skips otherwise).
class TTmpfs {
  public:
    TTmpfs(const QString& pasta, int kilobytes)
        : m_pasta(QFile::encodeName(pasta)),
          m_opcoes("size=" + QByteArray::number(kilobytes) + "k") {
        m_montado = ::mount("tmpfs", m_pasta.constData(), "tmpfs", 0, m_opcoes.constData()) == 0;
        if (!m_montado)
            m_erro = std::strerror(errno);
    }
    ~TTmpfs() {
        if (m_montado)
            ::umount2(m_pasta.constData(), MNT_DETACH);
    }
    TTmpfs(const TTmpfs&) = delete;
    TTmpfs& operator=(const TTmpfs&) = delete;

    bool Montado() const { return m_montado; }
    const std::string& Erro() const { return m_erro; }

    bool SomenteLeitura(bool sim) {
        const QByteArray opcoes = m_opcoes + (sim ? ",ro" : ",rw");
        return ::mount("tmpfs", m_pasta.constData(), "tmpfs", MS_REMOUNT | (sim ? MS_RDONLY : 0),
                       opcoes.constData()) == 0;
    }

    // Fills the disk with one file, leaving about `livres` bytes free.
    void Enche(qint64 livres) {
        QFile f(QFile::decodeName(m_pasta) + QStringLiteral("/enchimento"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const QByteArray bloco(4096, 'x');
        while (f.write(bloco) == bloco.size() && f.flush()) {
        }
        f.close();
        if (livres > 0)
            f.resize(std::max<qint64>(0, f.size() - livres));
    }
    void Esvazia() { QFile::remove(QFile::decodeName(m_pasta) + QStringLiteral("/enchimento")); }

  private:
    QByteArray m_pasta;
    QByteArray m_opcoes;
    bool m_montado = false;
    std::string m_erro;
};
