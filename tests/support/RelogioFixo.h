#pragma once

#include <utility>

#include "data/Relogio.h"

// A clock that stands still until told otherwise.
class TRelogioFixo final : public TRelogio {
  public:
    explicit TRelogioFixo(QDateTime agora = QDateTime(QDate(2024, 12, 25), QTime(14, 35, 0)))
        : m_agora(std::move(agora)) {}
    QDateTime Agora() const override { return m_agora; }
    void Define(const QDateTime& agora) { m_agora = agora; }
    void Avanca(int segundos) { m_agora = m_agora.addSecs(segundos); }

  private:
    QDateTime m_agora;
};
