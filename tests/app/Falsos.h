#pragma once

// Stand-ins for what the shell's logic talks to: the window, the
// concentrator, the fueling decoder and the status publishing.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "app/Comunicador.h"
#include "capture/Captura.h"
#include "concentrator/ClassConcentrador.h"
#include "concentrator/PublicacaoStatus.h"
#include "data/Erro.h"
#include "data/Win1252.h"

class TJanelaFalsa final : public TJanelaComunicador {
  public:
    void MostraCabecalho(const QStringList& linhas) override { Cabecalho = linhas; }
    void LimpaLog() override {
        Log.clear();
        ++Limpezas;
    }
    void CarregaLog(const QStringList& linhas) override { Log = linhas; }
    void AcrescentaLinhaLog(const QString& linha) override { Log.append(linha); }
    void MostraStatus(const QString& texto) override { Status = texto; }
    void RestoreMainWindow() override { ++Restauracoes; }
    void HideMainWindow() override {}
    void PedeFechamento() override { ++PedidosFechamento; }
    void FechaJanela() override { ++Fechamentos; }
    void PedeFimAplicacao() override { ++PedidosFim; }
    void MostraSituacao(const TSituacaoEstacao& situacao) override {
        Situacao = situacao;
        ++Situacoes;
    }

    QStringList Cabecalho;
    QStringList Log;
    QString Status;
    int Limpezas = 0;
    int Restauracoes = 0;
    int PedidosFechamento = 0;
    int Fechamentos = 0;
    int PedidosFim = 0;
    TSituacaoEstacao Situacao;
    int Situacoes = 0;
};

// Counts calls; each operation can be made to fail.
class TConcentradorFalso final : public TConcentrador {
  public:
    void PCarregaDllConcentrador() override {
        ++Carregamentos;
        if (FalhaCarga)
            throw EErro(*FalhaCarga);
    }
    bool InicializaSerial(std::uint8_t porta) override {
        Portas.append(porta);
        return SerialAbre;
    }
    void AcertaDataHora() override {
        ++AcertosRelogio;
        if (FalhaRelogio)
            throw EErro(*FalhaRelogio);
    }
    void FinalizaSerial() override { ++Finalizacoes; }
    TAbastecimento GetLeAbastecimento() override {
        ++Leituras;
        if (FalhaLeitura)
            throw EErro(*FalhaLeitura);
        TAbastecimento r;
        r.Bytes[0] = 1;
        return r;
    }
    TAbastecimentoFid GetLeAbastecimentoFID() override {
        ++LeiturasFid;
        if (FalhaLeitura)
            throw EErro(*FalhaLeitura);
        return TAbastecimentoFid();
    }

    int Carregamentos = 0;
    QList<int> Portas;
    int AcertosRelogio = 0;
    int Finalizacoes = 0;
    int Leituras = 0;
    int LeiturasFid = 0;
    bool SerialAbre = true;
    std::optional<QString> FalhaCarga;
    std::optional<QString> FalhaRelogio;
    std::optional<QString> FalhaLeitura;
};

class TCapturaFalsa final : public TCaptura {
  public:
    void ProcessaAbastecimento(const TAbastecimento& registro) override {
        ++Padrao;
        Presente = registro.Presente();
    }
    void ProcessaAbastecimentoFID(const TAbastecimentoFid&) override { ++Fid; }
    int Padrao = 0;
    int Fid = 0;
    bool Presente = false;
};

class TPublicacaoFalsa final : public TPublicacaoStatus {
  public:
    void AtualizaStatusBicos() override {
        ++Passes;
        if (Falha)
            throw EErro(*Falha);
    }
    int Passes = 0;
    std::optional<QString> Falha;
};

// A QCoreApplication for the whole test process: timers need one.
inline void GaranteAplicacaoCore() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char nome[] = "app_test";
    static char* argv[] = {nome, nullptr};
    new QCoreApplication(argc, argv);
}

inline void GravaTexto(const QString& caminho, const QString& texto) {
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("não abriu " + caminho.toStdString());
    f.write(Para1252(texto));
}

inline QByteArray LeBytes(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// The lines of a CR LF file, without their line ends.
inline QStringList LinhasArquivo(const QString& caminho) {
    QStringList linhas = De1252(LeBytes(caminho)).split(QStringLiteral("\r\n"));
    if (!linhas.isEmpty() && linhas.last().isEmpty())
        linhas.removeLast();
    return linhas;
}
