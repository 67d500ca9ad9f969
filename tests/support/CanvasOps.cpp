#include "support/CanvasOps.h"

namespace varilume::test {

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

} // namespace varilume::test
