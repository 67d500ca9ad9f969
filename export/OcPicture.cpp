#include "export/OcPicture.h"

#include "export/PhaseFigure.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

double ephemerisAt(const Ephemeris& e, double cycle) {
    double v = 0, power = 1;
    for (double c : e.coefficients) {
        v += c * power;
        power *= cycle;
    }
    return v;
}

} // namespace

void drawOcPicture(Canvas& canvas, const OcResult& r) {
    canvas.setBackground(0xFFFFFF);
    canvas.setForeground(0x000000);
    canvas.clear();
    if (r.points.empty())
        return;
    double c0 = double(r.points.front().cycle), c1 = c0;
    double y0 = r.points.front().oc, y1 = y0;
    for (const OcPoint& p : r.points) {
        c0 = std::min(c0, double(p.cycle));
        c1 = std::max(c1, double(p.cycle));
        y0 = std::min(y0, p.oc - p.sigma);
        y1 = std::max(y1, p.oc + p.sigma);
    }
    for (const Ephemeris* e : {&r.linear, &r.quadratic})
        if (e->ok)
            for (double c : {c0, (c0 + c1) / 2, c1}) {
                y0 = std::min(y0, ephemerisAt(*e, c));
                y1 = std::max(y1, ephemerisAt(*e, c));
            }
    if (c1 - c0 < 1) {
        c0 -= 1;
        c1 += 1;
    }
    if (y1 - y0 < 1e-6) {
        y0 -= 1e-3;
        y1 += 1e-3;
    }
    const double padX = (c1 - c0) * 0.05, padY = (y1 - y0) * 0.08;
    const double xl = c0 - padX, xr = c1 + padX, yb = y0 - padY, yt = y1 + padY;
    // Room for the labels left of and under the frame, and for the axis
    // title above it: a few lines of the canvas's font, however small the picture.
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height() * canvas.dpi() / 96;
    const double widthPx = std::max(canvas.widthPx(), 1), heightPx = std::max(canvas.heightPx(), 1);
    const double kLeft = std::min(0.4, (metrics.horizontalAdvance(QStringLiteral("-0.0000")) *
                                            canvas.dpi() / 96 +
                                        12) /
                                           widthPx),
                 kBottom = std::min(0.4, 2.6 * line / heightPx),
                 kTop = std::min(0.3, 1.6 * line / heightPx), kRight = std::min(0.2, 16 / widthPx);
    const double w = (xr - xl) / (1 - kLeft - kRight), h = (yt - yb) / (1 - kTop - kBottom);
    canvas.setCoords(xl - kLeft * w, yt + kTop * h, xr + kRight * w, yb - kBottom * h);

    canvas.setLineWidth(1);
    canvas.rect(xl, yt, xr, yb);
    const double tickX = (xr - xl) * 0.01, tickY = (yt - yb) * 0.015;
    for (double v : niceTicks(xl, xr, 4).values) {
        if (v < xl || v > xr)
            continue;
        canvas.line(v, yb, v, yb + tickY);
        const QString text = QString::number(v, 'g', 8);
        canvas.setCurrentXY(v - canvas.textWidth(text) / 2, yb - tickY);
        canvas.print(text);
    }
    const Ticks ty = niceTicks(yb, yt, 4);
    for (double v : ty.values) {
        if (v < yb || v > yt)
            continue;
        canvas.line(xl, v, xl + tickX, v);
        const QString text = QString::number(v, 'f', ty.decimals);
        canvas.setCurrentXY(xl - tickX - canvas.textWidth(text), v + canvas.textHeight(text) / 2);
        canvas.print(text);
    }
    const QString xTitle = QStringLiteral("Cycle");
    canvas.setCurrentXY((xl + xr) / 2 - canvas.textWidth(xTitle) / 2,
                        yb - tickY - 1.2 * canvas.textHeight(xTitle));
    canvas.print(xTitle);
    canvas.setCurrentXY(canvas.scaleLeft() + canvas.pixelWidth() * 4,
                        yt + canvas.textHeight(QStringLiteral("O")) * 1.3);
    canvas.print(QStringLiteral("O\u2013C (d)"));

    if (0 >= yb && 0 <= yt)
        canvas.line(xl, 0, xr, 0, 0xC0C0C0);
    constexpr int kSegments = 200;
    canvas.setLineWidth(2);
    for (const auto& [e, color] :
         {std::pair{&r.linear, OcLinearColor}, std::pair{&r.quadratic, OcQuadraticColor}}) {
        if (!e->ok)
            continue;
        for (int i = 0; i < kSegments; ++i) {
            const double a = c0 + (c1 - c0) * i / kSegments,
                         b = c0 + (c1 - c0) * (i + 1) / kSegments;
            canvas.line(a, ephemerisAt(*e, a), b, ephemerisAt(*e, b), color);
        }
    }
    canvas.setLineWidth(1);
    const double r4 = std::fabs(canvas.pixelWidth()) * 3;
    for (const OcPoint& p : r.points) {
        const double c = double(p.cycle);
        canvas.line(c, p.oc - p.sigma, c, p.oc + p.sigma, OcPointColor);
        canvas.dot(c, p.oc, r4, OcPointColor);
    }
}

QString saveOcPicture(const OcResult& result, const QString& path, int widthPx, int heightPx) {
    Canvas canvas(widthPx, heightPx, 0xFFFFFF, 0x000000);
    drawOcPicture(canvas, result);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix == QStringLiteral("bmp") ? "BMP" : "PNG";
    QImageWriter writer(path, format);
    if (!writer.write(canvas.image()))
        return QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString());
    return QString();
}

} // namespace varilume
