#include "ui/DialogosQt.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
QMessageBox::Icon Icone(TTipoMensagem tipo) {
    switch (tipo) {
        case TTipoMensagem::Informacao:
            return QMessageBox::Information;
        case TTipoMensagem::Erro:
            return QMessageBox::Critical;
        case TTipoMensagem::Alerta:
            return QMessageBox::Warning;
        case TTipoMensagem::Confirmacao:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

QString TDialogosQt::TextoExibido(const QString& texto) {
    QString t = texto;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

TResposta TDialogosQt::Mensagem(TTipoMensagem tipo, const QString& texto, TBotoes botoes) {
    QMessageBox caixa(m_pai);
    caixa.setWindowTitle(Legenda(tipo));
    caixa.setIcon(Icone(tipo));
    caixa.setTextFormat(Qt::PlainText);
    caixa.setText(TextoExibido(texto));
    caixa.setWindowModality(Qt::ApplicationModal);
    QPushButton* sim = nullptr;
    if (botoes == TBotoes::Ok) {
        QPushButton* ok = caixa.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        caixa.setDefaultButton(ok);
        caixa.setEscapeButton(ok);
    } else {
        sim = caixa.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
        QPushButton* nao = caixa.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
        caixa.setDefaultButton(sim);
        caixa.setEscapeButton(nao);
    }
    caixa.exec();
    if (botoes == TBotoes::Ok)
        return TResposta::Ok;
    return caixa.clickedButton() == sim && sim ? TResposta::Sim : TResposta::Nao;
}
