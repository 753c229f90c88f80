#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT (logout, shutdown, a service stop, Ctrl+C) turned into
// an ordinary event of the event loop, so they take the same close path as
// the tray's "&Sair" and never interrupt a cycle. One instance at a time;
// the previous handlers come back when it is destroyed. Signals that come
// before Ativa() wait in the pipe, so one sent during start-up is handled
// as soon as start-up has finished.
class TSinaisTermino final : public QObject {
    Q_OBJECT
  public:
    explicit TSinaisTermino(QObject* dono = nullptr);
    ~TSinaisTermino() override;
    Q_DISABLE_COPY_MOVE(TSinaisTermino)

    void Ativa();

  signals:
    void Termino(int sinal);

  private:
    void Le();
    QSocketNotifier* m_notificador = nullptr;
};
