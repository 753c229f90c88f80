#pragma once

#include <QApplication>

// The application object. Handlers of ours report their own errors; this is
// the last guard, so that no exception ever leaves an event handler into Qt.
class TAplicacao final : public QApplication {
    Q_OBJECT
  public:
    TAplicacao(int& argc, char** argv);
    bool notify(QObject* receptor, QEvent* evento) override;
};
