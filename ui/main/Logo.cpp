#include "ui/main/Logo.h"

#include <QPainter>
#include <QPainterPath>

namespace varilume {

QPixmap makeLogo(const QSize& size) {
    QPixmap pix(size);
    pix.fill(QColor(5, 8, 26));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 100.0, size.height() / 103.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (const QPointF& s : {QPointF(12, 14), QPointF(83, 9), QPointF(91, 40), QPointF(6, 60),
                             QPointF(70, 97), QPointF(28, 92)})
        p.drawEllipse(s, 0.9, 0.9);
    QRadialGradient glow(QPointF(50, 36), 26);
    glow.setColorAt(0, QColor(255, 230, 120));
    glow.setColorAt(0.6, QColor(255, 200, 60, 120));
    glow.setColorAt(1, QColor(255, 200, 60, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(50, 36), 26, 26);
    p.setBrush(QColor(255, 222, 90));
    p.drawEllipse(QPointF(50, 36), 13, 13);
    QPainterPath curve;
    curve.moveTo(4, 84);
    curve.cubicTo(18, 84, 22, 62, 32, 64);
    curve.cubicTo(42, 66, 44, 90, 56, 88);
    curve.cubicTo(66, 86, 70, 64, 80, 64);
    curve.cubicTo(88, 64, 90, 80, 96, 84);
    p.setPen(QPen(QColor(111, 227, 111), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(74, 168, 255));
    for (const QPointF& d : {QPointF(14, 80), QPointF(30, 63), QPointF(45, 84), QPointF(60, 87),
                             QPointF(75, 67), QPointF(90, 75)})
        p.drawEllipse(d, 2, 2);
    return pix;
}

QIcon makeBinsIcon() {
    QPixmap pix(24, 24);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF pts[] = {{3, 16}, {9, 8}, {15, 12}, {21, 6}};
    p.setPen(QPen(QColor(90, 90, 90), 1));
    for (const QPointF& pt : pts)
        p.drawLine(pt + QPointF(0, -4), pt + QPointF(0, 4));
    p.setPen(QPen(QColor(210, 20, 20), 2));
    p.drawPolyline(pts, 4);
    return QIcon(pix);
}

} // namespace varilume
