#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "capture/registros/Abastecimento.h"

// The concentrator as the rest of the system sees it: fifteen operations in
// slot order, each doing nothing by default.
class TConcentrador {
  public:
    TConcentrador() = default;
    virtual ~TConcentrador() = default;
    TConcentrador(const TConcentrador&) = delete;
    TConcentrador& operator=(const TConcentrador&) = delete;

    // clang-format off
    virtual QString GetLeStatus() { return QString(); }                       // 0
    virtual QString FGetStStatusBico() { return QStringLiteral("F"); }        // 1
    virtual void FBloqueiaBico(const QString& /*Bico*/) {}                    // 2
    virtual void FLiberaBico(const QString& /*Bico*/) {}                      // 3
    virtual QByteArray GetLeVisualizacao() { return QByteArray(); }           // 4
    virtual TAbastecimento GetLeAbastecimento() { return TAbastecimento(); }  // 5
    virtual TAbastecimentoFid GetLeAbastecimentoFID() { return TAbastecimentoFid(); }  // 6
    virtual void ConsultaEncerrante(const QString& /*Bico*/, TLeituraEncerrante& /*Destino*/) {}  // 7
    virtual void LerEncerrante(char /*Tipo*/, const QString& /*Bico*/) {}     // 8
    virtual void AlteraPrecoBico(const QString& /*Bico*/, std::uint8_t /*Modo*/, double /*Preco*/) {}  // 9
    virtual void PCarregaDllConcentrador() {}                                 // 10
    virtual bool InicializaSerial(std::uint8_t /*Porta*/) { return true; }   // 11
    virtual double PrecoUnitario(const QString& /*Bico*/) { return 0; }      // 12
    virtual void FinalizaSerial() {}                                          // 13
    virtual void AcertaDataHora() {}                                          // 14
    // clang-format on

    // The last totalizer reading, overwritten whole by LerEncerrante.
    TLeituraEncerrante Encerrante;
};
