#include "ui/IconeBandeja.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include "ui/Icones.h"

TIconeBandeja::TIconeBandeja(const QIcon& icone, QObject* dono)
    : QObject(dono), m_menu(std::make_unique<QMenu>()), m_normal(icone), m_alerta(IconeAlerta()) {
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_abrir = m_menu->addAction(QStringLiteral("&Abrir"));
    m_abrir->setObjectName(QStringLiteral("Abrir1"));
    m_sair = m_menu->addAction(QStringLiteral("&Sair"));
    m_sair->setObjectName(QStringLiteral("Sair1"));
    connect(m_abrir, &QAction::triggered, this, &TIconeBandeja::Abrir);
    connect(m_sair, &QAction::triggered, this, &TIconeBandeja::Sair);

    m_icone = new QSystemTrayIcon(icone, this);
    m_icone->setObjectName(QStringLiteral("CoolTrayIcon1"));
    // The menu is shown here rather than handed to the icon, which would
    // show it before anything else could run.
    connect(m_icone, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason motivo) {
                if (motivo == QSystemTrayIcon::DoubleClick)
                    emit DuploClique();
                else if (motivo == QSystemTrayIcon::Context)
                    BotaoDireito(QCursor::pos());
            });
    if (Disponivel())
        m_icone->show();
}

TIconeBandeja::~TIconeBandeja() {
    // The icon goes before its menu.
    delete m_icone;
    m_icone = nullptr;
}

void TIconeBandeja::BotaoDireito(const QPoint& posicao) {
    emit AntesDoMenu();
    m_menu->popup(posicao);
}

bool TIconeBandeja::Disponivel() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TIconeBandeja::DefineHint(const QString& hint) {
    m_icone->setToolTip(hint);
}

QString TIconeBandeja::Hint() const {
    return m_icone->toolTip();
}

bool TIconeBandeja::Visivel() const {
    return m_icone->isVisible();
}

QIcon TIconeBandeja::IconeAtual() const {
    return m_icone->icon();
}

void TIconeBandeja::DefineAlertas(const TAlertasBandeja& alertas) {
    const TAlertasBandeja antes = m_alertas;
    m_alertas = alertas;
    if (antes.Algum() != alertas.Algum())
        m_icone->setIcon(alertas.Algum() ? m_alerta : m_normal);
    if (antes.BancoInacessivel == alertas.BancoInacessivel)
        return;
    const QString titulo = alertas.BancoInacessivel ? TituloQuedaBanco() : TituloVoltaBanco();
    const QString texto = alertas.BancoInacessivel ? TextoQuedaBanco() : TextoVoltaBanco();
    if (Disponivel() && m_icone->isVisible())
        m_icone->showMessage(
            titulo, texto,
            alertas.BancoInacessivel ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    emit Balao(titulo, texto);
}

QString TIconeBandeja::TituloQuedaBanco() {
    return QStringLiteral("Banco de dados inacessível");
}

QString TIconeBandeja::TextoQuedaBanco() {
    return QStringLiteral(
        "Os abastecimentos aguardam no concentrador até a conexão com o banco de dados voltar.");
}

QString TIconeBandeja::TituloVoltaBanco() {
    return QStringLiteral("Conexão com o banco de dados restabelecida");
}

QString TIconeBandeja::TextoVoltaBanco() {
    return QStringLiteral("Os abastecimentos voltam a ser gravados.");
}
