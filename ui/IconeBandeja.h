#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// What the station should see without opening the window.
struct TAlertasBandeja {
    bool BancoInacessivel = false;
    bool Pendentes = false;  // fuelings waiting in the journal to be stored
    bool Retidos = false;    // kept records that need a person
    bool Algum() const { return BancoInacessivel || Pendentes || Retidos; }
    bool operator==(const TAlertasBandeja&) const = default;
};

// The notification-area icon with its hint and its right-button menu
// "&Abrir" / "&Sair". The right button first lets the program come forward
// (AntesDoMenu), then shows the menu. The left button shows no menu; a
// double click is reported as DuploClique. Where the desktop has no tray host the icon
// cannot be shown and Disponivel() says so: the window then has to stay
// reachable on its own.
//
// While the station has trouble the icon shows an alert image instead, and
// the start and the end of a database outage are each told once in a
// balloon. The hint is left alone.
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

    void DefineAlertas(const TAlertasBandeja& alertas);
    const TAlertasBandeja& Alertas() const { return m_alertas; }
    bool EmAlerta() const { return m_alertas.Algum(); }
    QIcon IconeAtual() const;
    const QIcon& IconeNormal() const { return m_normal; }
    const QIcon& IconeDeAlerta() const { return m_alerta; }

    static QString TituloQuedaBanco();
    static QString TextoQuedaBanco();
    static QString TituloVoltaBanco();
    static QString TextoVoltaBanco();

  signals:
    void AntesDoMenu();
    void DuploClique();
    void Abrir();
    void Sair();
    // A balloon was asked of the desktop (also where none can be shown).
    void Balao(const QString& titulo, const QString& texto);

  private:
    std::unique_ptr<QMenu> m_menu;
    QAction* m_abrir = nullptr;
    QAction* m_sair = nullptr;
    QSystemTrayIcon* m_icone = nullptr;
    QIcon m_normal;
    QIcon m_alerta;
    TAlertasBandeja m_alertas;
};
