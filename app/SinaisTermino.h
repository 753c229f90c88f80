#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT (logout, shutdown, a service stop, Ctrl+C) turned into
// an ordinary event of the event loop, so they take the same close path as
// the tray's "&Sair" and never interrupt a cycle. One instance at a time;
// the previous handlers come back when it is destroyed.
class TSinaisTermino final : public QObject {
    Q_OBJECT
  public:
    explicit TSinaisTermino(QObject* dono = nullptr);
    ~TSinaisTermino() override;
    Q_DISABLE_COPY_MOVE(TSinaisTermino)

  signals:
    void Termino(int sinal);

  private:
    void Le();
    QSocketNotifier* m_notificador = nullptr;
};
