#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// The computer's clock, injected so that logic can be tested at any moment.
class TRelogio {
  public:
    virtual ~TRelogio() = default;
    virtual QDateTime Agora() const = 0;
    QDate Hoje() const { return Agora().date(); }
};

class TRelogioSistema final : public TRelogio {
  public:
    QDateTime Agora() const override { return QDateTime::currentDateTime(); }
};
