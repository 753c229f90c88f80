#pragma once

#include "capture/registros/Abastecimento.h"

// What the polling cycle hands each record to: decode it and store the
// fueling. Implementations handle their own errors and let none escape.
class TCaptura {
  public:
    virtual ~TCaptura() = default;
    virtual void ProcessaAbastecimento(const TAbastecimento& registro) = 0;
    virtual void ProcessaAbastecimentoFID(const TAbastecimentoFid& registro) = 0;

    // What a previous run left unstored, read at start-up once the database
    // is open; raises when it cannot be read.
    virtual void CarregaPendentes() {}
    // Whether a fueling taken from the concentrator now could be written down
    // first (room on the disk, a folder that can be written). While not,
    // nothing is read or stored: the fuelings wait in the concentrator.
    virtual bool DiscoDisponivel() { return true; }
    // Stores again, oldest first, what earlier cycles or runs could not.
    // False while something is still pending: no new record may be read then.
    virtual bool RetomaPendentes() { return true; }
    // Whether this cycle's storing waited in vain for a row another program
    // holds; the cycle then leaves its status pass for a later one.
    virtual bool EsperouBloqueio() const { return false; }
    // Fuelings read but not yet stored, waiting for a later cycle.
    virtual bool TemPendentes() const { return false; }
    // Fuelings kept for a person because they could not be stored.
    virtual bool TemRetidos() const { return false; }
};
