#pragma once

// A test station: a fresh embedded database, a program directory and a
// working directory, the scripted dialogs, a fixed clock, a fake window, and
// the shell's logic built over them.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "BancoTeste.h"
#include "DialogosRoteiro.h"
#include "Falsos.h"
#include "FormatSettingsTemporario.h"
#include "RelogioFixo.h"
#include "app/Comunicador.h"
#include "data/Dialogos.h"
#include "data/FormatSettings.h"
#include "data/Relogio.h"
#include "tests/ImpressaoQt.h"

struct TParaPosto {
    QString UsaConcentrador = QStringLiteral("S");
    QString PortaConc = QStringLiteral("COM1");
    QString AcertaDataConc = QStringLiteral("N");
    QString VisualizaStatus = QStringLiteral("N");
    int SequenciaAbast = 1;
};

class TPosto {
  public:
    TPosto() : m_formato(TFormatSettings{}) {
        GaranteAplicacaoCore();
        EXPECT_TRUE(m_raiz.isValid());
        QDir(m_raiz.path()).mkpath(QStringLiteral("prog"));
        QDir(m_raiz.path()).mkpath(QStringLiteral("trab"));
        Banco = CriaBancoTeste(m_raiz.filePath(QStringLiteral("db")));
    }

    QString Programa() const { return m_raiz.filePath(QStringLiteral("prog")) + u'/'; }
    QString Trabalho() const { return m_raiz.filePath(QStringLiteral("trab")) + u'/'; }
    QString Raiz() const { return m_raiz.path() + u'/'; }

    void DefineParaPosto(const TParaPosto& p) {
        ExecutaSql(Banco,
                   QStringLiteral("DELETE FROM ParaPosto;"
                                  "INSERT INTO ParaPosto (SequenciaAbast, AcertaDataConc, "
                                  "PortaConc, ImpreDescBico, UsaConcentrador, "
                                  "CorrigeLitragem, visualizastatusbomba) VALUES "
                                  "(%1, '%2', '%3', 'N', '%4', 'N', '%5');"
                                  "COMMIT;")
                       .arg(p.SequenciaAbast)
                       .arg(p.AcertaDataConc, p.PortaConc, p.UsaConcentrador, p.VisualizaStatus));
    }

    void EscreveCaminhoIni(const QString& diretorio, const QString& caminho,
                           const QString& senha = QStringLiteral("masterkey"),
                           const QString& nome = QStringLiteral("Caminho.ini")) {
        GravaTexto(diretorio + nome, QStringLiteral("[DATABASEESTOQUE]\r\nCAMINHO=%1\r\n"
                                                    "USUARIO=SYSDBA\r\nSENHA=%2\r\n")
                                         .arg(caminho, senha));
    }

    // The usual station: Caminho.ini in the working directory, a row of
    // ParaPosto, the fake concentrator.
    void Prepara(const TParaPosto& p = {}) {
        DefineParaPosto(p);
        EscreveCaminhoIni(Trabalho(), Banco);
    }

    TComunicador& Cria() {
        TAmbienteComunicador a;
        a.Dialogos = &Dialogos;
        a.Relogio = &Relogio;
        a.Janela = &Janela;
        a.DiretorioPrograma = Programa();
        a.DiretorioTrabalho = Trabalho();
        a.EsperaLigaBancoMs = 0;
        a.IntervaloReconexaoMs = IntervaloReconexaoMs;
        if (Fabrica) {
            a.FabricaConcentrador = Fabrica;
        } else {
            a.FabricaConcentrador = [this]() -> std::unique_ptr<TConcentrador> {
                auto c = std::make_unique<TConcentradorFalso>();
                Concentrador = c.get();
                if (AoCriarConcentrador)
                    AoCriarConcentrador(*c);
                return c;
            };
        }
        a.ReportaErro = [this](const QString& t) {
            Relatados.append(t);
            if (Reporta)
                Reporta(t);
        };
        Comunicador = std::make_unique<TComunicador>(std::move(a));
        return *Comunicador;
    }

    TComunicador& Inicia(const TParaPosto& p = {}) {
        Prepara(p);
        Cria().FormCreate();
        return *Comunicador;
    }

    // For one more case on the same database: a fresh window, no boxes, no
    // error log.
    void Reinicia() {
        Comunicador.reset();
        Dialogos = TDialogosRoteiro();
        Janela = TJanelaFalsa();
        Concentrador = nullptr;
        QFile::remove(Programa() + QStringLiteral("LogErroConcentrador"));
    }

    QStringList ErrosLog() const {
        return LinhasArquivo(Programa() + QStringLiteral("LogErroConcentrador"));
    }

    // The time stamp every error-log line of the fixed clock starts with.
    static QString Carimbo() { return QStringLiteral("25/12/24 14:35:00 "); }

    QString Banco;
    TDialogosRoteiro Dialogos;
    TRelogioFixo Relogio;
    TJanelaFalsa Janela;
    std::function<std::unique_ptr<TConcentrador>()> Fabrica;
    // Reconnects at every cycle unless a test wants them spaced out.
    int IntervaloReconexaoMs = 0;
    std::function<void(TConcentradorFalso&)> AoCriarConcentrador;
    TConcentradorFalso* Concentrador = nullptr;
    QStringList Relatados;
    std::function<void(const QString&)> Reporta;
    std::unique_ptr<TComunicador> Comunicador;

  private:
    TFormatSettingsTemporario m_formato;
    QTemporaryDir m_raiz;
};
