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
