#include "ui/Icones.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {
QIcon Desenha(int lado, const std::function<void(QPainter&)>& desenho) {
    QPixmap imagem(lado, lado);
    imagem.fill(Qt::transparent);
    QPainter p(&imagem);
    p.setRenderHint(QPainter::Antialiasing);
    desenho(p);
    p.end();
    return QIcon(imagem);
}
}  // namespace

QIcon IconePrograma() {
    // A fuel pump: body, display, hose and nozzle.
    QIcon icone;
    for (int lado : {16, 22, 32, 48}) {
        const QIcon parcial = Desenha(lado, [lado](QPainter& p) {
            p.scale(lado / 32.0, lado / 32.0);
            p.setPen(QPen(QColor(20, 20, 20), 1.5));
            p.setBrush(QColor(200, 30, 30));
            p.drawRoundedRect(QRectF(5, 4, 16, 25), 2, 2);
            p.setBrush(QColor(230, 240, 200));
            p.drawRect(QRectF(8, 7, 10, 6));
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(20, 20, 20), 2));
            QPainterPath mangueira;
            mangueira.moveTo(21, 10);
            mangueira.cubicTo(28, 10, 28, 18, 27, 24);
            p.drawPath(mangueira);
            p.setBrush(QColor(20, 20, 20));
            p.drawRect(QRectF(25, 23, 4, 5));
        });
        icone.addPixmap(parcial.pixmap(lado, lado));
    }
    return icone;
}

QIcon IconeAlerta() {
    const QIcon bomba = IconePrograma();
    QIcon icone;
    for (int lado : {16, 22, 32, 48}) {
        const QIcon parcial = Desenha(lado, [lado, &bomba](QPainter& p) {
            p.drawPixmap(0, 0, bomba.pixmap(lado, lado));
            p.scale(lado / 32.0, lado / 32.0);
            // A yellow triangle with an exclamation mark over the lower right.
            QPainterPath triangulo;
            triangulo.moveTo(22, 12);
            triangulo.lineTo(32, 31);
            triangulo.lineTo(12, 31);
            triangulo.closeSubpath();
            p.setPen(QPen(QColor(20, 20, 20), 1.5));
            p.setBrush(QColor(255, 200, 0));
            p.drawPath(triangulo);
            p.setPen(QPen(QColor(20, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(22, 18), QPointF(22, 25));
            p.drawPoint(QPointF(22, 28.5));
        });
        icone.addPixmap(parcial.pixmap(lado, lado));
    }
    return icone;
}

QIcon IconeEncerrantes() {
    // A totalizer counter.
    return Desenha(16, [](QPainter& p) {
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(0.5, 3.5, 15, 9));
        p.setPen(QColor(0, 0, 140));
        QFont fonte = p.font();
        fonte.setPixelSize(8);
        fonte.setBold(true);
        p.setFont(fonte);
        p.drawText(QRectF(0.5, 3.5, 15, 9), Qt::AlignCenter, QStringLiteral("123"));
    });
}

QIcon IconeAlteraPreco() {
    // A price tag.
    return Desenha(16, [](QPainter& p) {
        QPainterPath etiqueta;
        etiqueta.moveTo(1, 5);
        etiqueta.lineTo(10, 5);
        etiqueta.lineTo(15, 8);
        etiqueta.lineTo(10, 11);
        etiqueta.lineTo(1, 11);
        etiqueta.closeSubpath();
        p.setPen(QPen(QColor(120, 80, 0), 1));
        p.setBrush(QColor(250, 200, 60));
        p.drawPath(etiqueta);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(11, 8), 1.2, 1.2);
        p.setPen(QColor(60, 40, 0));
        QFont fonte = p.font();
        fonte.setPixelSize(7);
        fonte.setBold(true);
        p.setFont(fonte);
        p.drawText(QRectF(1, 5, 9, 6), Qt::AlignCenter, QStringLiteral("$"));
    });
}

QIcon IconeDataHora() {
    // A clock face.
    return Desenha(16, [](QPainter& p) {
        p.setPen(QPen(QColor(30, 30, 90), 1.2));
        p.setBrush(QColor(235, 240, 255));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(QColor(30, 30, 30), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
        p.drawLine(QPointF(8, 8), QPointF(11.5, 9.5));
    });
}

QIcon IconeBloqueio() {
    // A padlock.
    return Desenha(16, [](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 1, 8, 10), 0, 180 * 16);
        p.drawLine(QPointF(4, 6), QPointF(4, 8));
        p.drawLine(QPointF(12, 6), QPointF(12, 8));
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(230, 180, 40));
        p.drawRoundedRect(QRectF(2.5, 7.5, 11, 8), 1, 1);
        p.setBrush(QColor(60, 40, 0));
        p.drawEllipse(QPointF(8, 11.5), 1.2, 1.2);
    });
}
