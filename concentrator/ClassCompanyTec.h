#pragma once

#include <QString>

#include "concentrator/ClassConcentrador.h"
#include "concentrator/CompanytecApi.h"

// The concentrator over the vendor's library, loaded at run time by name. The
// driver translates and nothing more: it keeps no state between calls apart
// from Encerrante, checks nothing before a call and ignores every library
// result except InicializaSerial's.
class TCompanyTec final : public TConcentrador {
  public:
    // An empty directory means the directory of the running program.
    explicit TCompanyTec(QString diretorioPrograma = QString());

    QString GetLeStatus() override;
    QString FGetStStatusBico() override;
    void FBloqueiaBico(const QString& Bico) override;
    void FLiberaBico(const QString& Bico) override;
    QByteArray GetLeVisualizacao() override;
    TAbastecimento GetLeAbastecimento() override;
    TAbastecimentoFid GetLeAbastecimentoFID() override;
    void ConsultaEncerrante(const QString& Bico, TLeituraEncerrante& Destino) override;
    void LerEncerrante(char Tipo, const QString& Bico) override;
    void AlteraPrecoBico(const QString& Bico, std::uint8_t Modo, double Preco) override;
    // Raises "Não foi possível carregar ..." when the library cannot be loaded;
    // an entry point the library lacks stays empty and only its operation fails.
    void PCarregaDllConcentrador() override;
    bool InicializaSerial(std::uint8_t Porta) override;
    double PrecoUnitario(const QString& Bico) override;
    void FinalizaSerial() override;
    void AcertaDataHora() override;

    // The bound entry points, one per export, named after it.
    const companytec::TEntradas& Entradas() const { return m_entradas; }

    // The library's file name, and the decimal nozzle code as the library's
    // upper-case hexadecimal address ("004" -> "04"); raises the integer
    // conversion error on a code that is not a decimal integer.
    static QString NomeBiblioteca();
    static QString EnderecoBico(const QString& codigo);

  private:
    QString m_diretorioPrograma;
    companytec::TEntradas m_entradas;
};
