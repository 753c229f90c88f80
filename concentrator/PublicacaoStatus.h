#pragma once

// One nozzle status publishing pass; raises on failure.
class TPublicacaoStatus {
  public:
    virtual ~TPublicacaoStatus() = default;
    virtual void AtualizaStatusBicos() = 0;
};
