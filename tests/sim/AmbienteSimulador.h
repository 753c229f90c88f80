#pragma once

// A throwaway simulated concentrator for one test: a "program directory"
// holding a copy of the built library (the driver loads it from there as the
// program does) and a fresh state folder, pointed at by COMPANYTEC_SIM_DIR,
// which the library reads at every call. simconc runs as a separate process.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>

#include "tests/ImpressaoQt.h"

class TAmbienteSimulador {
  public:
    TAmbienteSimulador() {
        EXPECT_TRUE(m_estado.isValid());
        qputenv("COMPANYTEC_SIM_DIR", QFile::encodeName(m_estado.path()));
    }
    ~TAmbienteSimulador() { qunsetenv("COMPANYTEC_SIM_DIR"); }
    TAmbienteSimulador(const TAmbienteSimulador&) = delete;
    TAmbienteSimulador& operator=(const TAmbienteSimulador&) = delete;

    // One program directory per library for the whole test process: the
    // library stays loaded once loaded, so every test reuses the same copy
    // and only the state folder changes.
    static QString DiretorioPrograma(const char* biblioteca = COMPANYTEC_SIM_LIB) {
        static std::map<std::string, std::unique_ptr<QTemporaryDir>> diretorios;
        auto& dir = diretorios[biblioteca];
        if (dir == nullptr) {
            dir = std::make_unique<QTemporaryDir>();
            const QString destino = QDir(dir->path()).filePath(QStringLiteral("libCompanytec.so"));
            EXPECT_TRUE(QFile::copy(QFile::decodeName(biblioteca), destino)) << biblioteca;
        }
        return dir->path();
    }

    QString PastaEstado() const { return m_estado.path(); }

    // Runs simconc on this state folder; a failing run fails the test.
    QByteArray Simconc(const QStringList& argumentos, int saidaEsperada = 0) const {
        QProcess p;
        p.start(QStringLiteral(SIMCONC_PATH),
                QStringList{QStringLiteral("--dir"), PastaEstado()} + argumentos);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), saidaEsperada) << argumentos.join(u' ').toStdString() << ": "
                                               << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    }

    QList<QByteArray> Diario() const {
        QFile f(QDir(PastaEstado()).filePath(QStringLiteral("diario.txt")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> linhas = f.readAll().split('\n');
        if (!linhas.isEmpty() && linhas.last().isEmpty())
            linhas.removeLast();
        return linhas;
    }

    // The journal's calls received, without the time: `Nome args`.
    QList<QByteArray> Chamadas() const { return Depois(" CHAMADA "); }
    QList<QByteArray> Entregas() const { return Depois(" ENTREGUE "); }

  private:
    QList<QByteArray> Depois(const char* marca) const {
        QList<QByteArray> r;
        for (const QByteArray& linha : Diario()) {
            const qsizetype i = linha.indexOf(marca);
            if (i >= 0)
                r.append(linha.mid(i + qsizetype(qstrlen(marca))));
        }
        return r;
    }

    QTemporaryDir m_estado;
};
