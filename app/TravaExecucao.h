#pragma once

#include <QString>
#include <QtGlobal>

// An advisory lock (flock) on a file in the program directory, held by the
// running program. The system lets it go when the process ends, however it
// ends, so a crash never leaves a stale lock behind. Tools beside the program
// take the same lock to refuse to run while it runs.
class TTravaExecucao final {
  public:
    static QString NomeArquivo() { return QStringLiteral("Comunicador.trava"); }

    explicit TTravaExecucao(const QString& diretorio);
    ~TTravaExecucao();
    Q_DISABLE_COPY_MOVE(TTravaExecucao)

    // Takes the lock without waiting; false when another process holds it.
    // Raises when the file cannot be created or opened.
    bool Adquire();
    bool Adquirida() const { return m_fd >= 0; }
    void Libera();

    const QString& Caminho() const { return m_caminho; }

  private:
    QString m_caminho;
    int m_fd = -1;
};
