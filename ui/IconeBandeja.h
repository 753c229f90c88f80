#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The notification-area icon with its hint and its right-button menu
// "&Abrir" / "&Sair". The right button first lets the program come forward
// (AntesDoMenu), then shows the menu. The left button shows no menu; a
// double click is reported as DuploClique. Where the desktop has no tray host the icon
// cannot be shown and Disponivel() says so: the window then has to stay
// reachable on its own.
class TIconeBandeja final : public QObject {
    Q_OBJECT
  public:
    explicit TIconeBandeja(const QIcon& icone, QObject* dono = nullptr);
    ~TIconeBandeja() override;

    static bool Disponivel();

    void DefineHint(const QString& hint);
    QString Hint() const;
    bool Visivel() const;

    QMenu* PopupMenu1() const { return m_menu.get(); }
    QAction* Abrir1() const { return m_abrir; }
    QAction* Sair1() const { return m_sair; }

    // The right button on the icon: AntesDoMenu, then the menu at `posicao`.
    void BotaoDireito(const QPoint& posicao);

  signals:
    void AntesDoMenu();
    void DuploClique();
    void Abrir();
    void Sair();

  private:
    std::unique_ptr<QMenu> m_menu;
    QAction* m_abrir = nullptr;
    QAction* m_sair = nullptr;
    QSystemTrayIcon* m_icone = nullptr;
};
