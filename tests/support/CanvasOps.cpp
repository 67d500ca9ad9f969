#include "support/CanvasOps.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

namespace varilume::test {

int countColour(const QImage& image, std::int32_t rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += rgbValue(image.pixelColor(x, y)) == rgb ? 1 : 0;
    return n;
}

std::vector<Canvas::Op> opsOf(const Canvas& c, Canvas::Op::Kind kind) {
    std::vector<Canvas::Op> out;
    for (const Canvas::Op& op : c.ops())
        if (op.kind == kind)
            out.push_back(op);
    return out;
}

QList<double> tickXs(const Canvas& c, double top) {
    QList<double> xs;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Line))
        if (op.y1 == top && op.y2 == 20 && op.x1 == op.x2)
            xs.append(op.x1);
    return xs;
}

QList<double> tickYs(const Canvas& c, double length) {
    QList<double> ys;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Line))
        if (op.x1 == 0 && op.x2 == length && op.y1 == op.y2)
            ys.append(op.y1);
    return ys;
}

QList<double> userSystem(const Canvas& c) {
    return {c.scaleLeft(), c.scaleTop(), c.scaleWidth(), c.scaleHeight()};
}

QList<double> insetSystem(const Canvas& c, int xPx, int yPx) {
    const QPointF a = c.toUser(QPointF(xPx, yPx));
    const QPointF b = c.toUser(QPointF(c.widthPx() - xPx, c.heightPx() - yPx));
    return {a.x(), a.y(), b.x() - a.x(), b.y() - a.y()};
}

bool sameSystem(const QList<double>& a, const QList<double>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!(std::fabs(a[i] - b[i]) <= 1e-9 * std::max({std::fabs(a[i]), std::fabs(b[i]), 1.0})))
            return false;
    return true;
}

QString describeSystem(const QList<double>& s) {
    QStringList parts;
    for (double v : s)
        parts << QString::number(v, 'g', 17);
    return parts.join(u' ');
}

QStringList textsOf(const Canvas& c) {
    QStringList texts;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Text))
        texts.append(op.text);
    return texts;
}

QString describeTexts(const Canvas& c) {
    QStringList parts;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Text))
        parts << QStringLiteral("'%1' at (%2, %3)")
                     .arg(op.text, QString::number(op.x1, 'g', 12),
                          QString::number(op.y1, 'g', 12));
    return parts.join(QStringLiteral("; "));
}

namespace {
// A text's rectangle in device pixels.
QRectF deviceRect(const Canvas& c, double x, double y, const QString& text) {
    return QRectF(c.toDevice(x, y), QSizeF(c.textWidth(text) / std::fabs(c.pixelWidth()),
                                           c.textHeight(text) / std::fabs(c.pixelHeight())));
}
} // namespace

QString textsCut(const Canvas& c) {
    const QRectF whole(0, 0, c.widthPx(), c.heightPx());
    QStringList parts;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Text)) {
        const QRectF r = deviceRect(c, op.x1, op.y1, op.text);
        // A thousandth of a pixel is rounding, not a cut.
        if (!whole.adjusted(-1e-3, -1e-3, 1e-3, 1e-3).contains(r))
            parts << QStringLiteral("'%1' at (%2, %3)")
                         .arg(op.text, QString::number(op.x1, 'g', 12),
                              QString::number(op.y1, 'g', 12));
    }
    return parts.join(QStringLiteral("; "));
}

bool textSpansX(const Canvas& c, const Canvas::Op& text, double x) {
    const QRectF r = deviceRect(c, text.x1, text.y1, text.text);
    const double at = c.toDevice(x, text.y1).x();
    // Within the pixel an end label keeps clear of the edge, and rounding.
    return r.left() - 2 <= at && at <= r.right() + 2;
}

bool textSpansY(const Canvas& c, const Canvas::Op& text, double y) {
    const QRectF r = deviceRect(c, text.x1, text.y1, text.text);
    const double at = c.toDevice(text.x1, y).y();
    return r.top() - 2 <= at && at <= r.bottom() + 2;
}

} // namespace varilume::test
