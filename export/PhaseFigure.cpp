#include "export/PhaseFigure.h"

#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

// The frame of the plot inside the figure: room for the title above and for
// the tick labels and axis titles left and below.
const QRectF kFrame(150, 80, FigureWidth - 150 - 40, FigureHeight - 80 - 120);
constexpr double TickLength = 12;
constexpr double LabelGap = 10; // between the frame and a tick label
constexpr double PhaseLo = -0.08, PhaseHi = 2.08;

double x(double phase) {
    return kFrame.left() + (phase - PhaseLo) / (PhaseHi - PhaseLo) * kFrame.width();
}

QFont font(double pixels, bool bold = false) {
    QFont f;
    f.setPixelSize(static_cast<int>(pixels));
    f.setBold(bold);
    return f;
}

} // namespace

Ticks niceTicks(double lo, double hi, int least) {
    Ticks t;
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi))
        return t;
    const double raw = (hi - lo) / std::max(1, least);
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {5.0, 2.0, 1.0})
        if (m * power <= raw) {
            step = m * power;
            break;
        }
    t.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + step * 1e-9; v += step)
        t.values.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    return t;
}

void drawPhaseFigure(QPainter& p, const PhaseFigure& fig) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, FigureWidth, FigureHeight), Qt::white);

    const auto [lo, hi] = std::minmax_element(fig.mags.begin(), fig.mags.end());
    double magLo = fig.mags.empty() ? 0 : *lo, magHi = fig.mags.empty() ? 1 : *hi;
    if (!(magHi > magLo)) {
        magLo -= 0.5;
        magHi += 0.5;
    }
    // A margin of 6 % keeps the brightest and faintest points inside the frame.
    const double pad = 0.06 * (magHi - magLo);
    magLo -= pad;
    magHi += pad;
    // Brighter (smaller magnitude) up.
    const auto y = [&](double mag) {
        return kFrame.top() + (mag - magLo) / (magHi - magLo) * kFrame.height();
    };

    // The points first, clipped to the frame; each observation at its phase
    // and one cycle later.
    p.save();
    p.setClipRect(kFrame);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const double r = 3.2;
    for (std::size_t i = 0; i < std::min(fig.times.size(), fig.mags.size()); ++i) {
        double phase = std::fmod((fig.times[i] - fig.epoch) / fig.period, 1.0);
        if (phase < 0)
            phase += 1;
        for (double cycle : {0.0, 1.0})
            p.drawEllipse(QPointF(x(phase + cycle), y(fig.mags[i])), r, r);
    }
    if (!fig.model.empty()) {
        const std::size_t n = fig.model.size();
        QPolygonF line;
        for (std::size_t i = 0; i <= 2 * n; ++i)
            line << QPointF(x(double(i) / double(n)), y(fig.model[i % n]));
        p.setPen(QPen(QColor(224, 96, 0), 3.2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(line);
    }
    p.restore();

    QPen pen(Qt::black, 1.6);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(kFrame);

    // Ticks point into the frame on all four sides; the labels stand outside
    // it, left and below, so no tick can run through a label.
    p.setFont(font(22));
    const QFontMetricsF metrics(p.font());
    for (double phase : niceTicks(0, 2, 4).values) {
        const double px = x(phase);
        p.drawLine(QPointF(px, kFrame.bottom()), QPointF(px, kFrame.bottom() - TickLength));
        p.drawLine(QPointF(px, kFrame.top()), QPointF(px, kFrame.top() + TickLength));
        p.drawText(QRectF(px - 60, kFrame.bottom() + LabelGap, 120, metrics.height()),
                   Qt::AlignHCenter | Qt::AlignTop, QString::number(phase, 'f', 1));
    }
    const Ticks magTicks = niceTicks(magLo, magHi, 5);
    for (double mag : magTicks.values) {
        const double py = y(mag);
        p.drawLine(QPointF(kFrame.left(), py), QPointF(kFrame.left() + TickLength, py));
        p.drawLine(QPointF(kFrame.right(), py), QPointF(kFrame.right() - TickLength, py));
        p.drawText(QRectF(0, py - metrics.height() / 2, kFrame.left() - LabelGap, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(mag, 'f', magTicks.decimals));
    }

    // Axis titles.
    p.setFont(font(26));
    p.drawText(QRectF(kFrame.left(), kFrame.bottom() + LabelGap + metrics.height() + 14,
                      kFrame.width(), 40),
               Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("Phase (epoch JD %1)").arg(fig.epoch, 0, 'f', 4));
    p.save();
    p.translate(30, kFrame.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-kFrame.height() / 2, -16, kFrame.height(), 40), Qt::AlignCenter,
               QStringLiteral("Magnitude (brighter up)"));
    p.restore();

    // The title: the star and the period, above the frame.
    p.setFont(font(30, true));
    p.drawText(
        QRectF(0, 0, FigureWidth, kFrame.top() - 12), Qt::AlignHCenter | Qt::AlignBottom,
        QStringLiteral("%1    P = %2 d").arg(fig.star, QString::number(fig.period, 'g', 10)));
    p.restore();
}

FigureFormat figureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png"))
        return FigureFormat::Png;
    if (suffix == QStringLiteral("bmp"))
        return FigureFormat::Bmp;
    if (suffix == QStringLiteral("pdf"))
        return FigureFormat::Pdf;
    return FigureFormat::None;
}

QString writePhaseFigure(const PhaseFigure& figure, const QString& path) {
    const FigureFormat format = figureFormatOf(path);
    if (format == FigureFormat::None)
        return QStringLiteral("%1: a plot is written as .png, .bmp or .pdf.").arg(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
    bool drawn = false;
    if (format == FigureFormat::Pdf) {
        // Vector output: 6 x 4 inches, the figure's units mapped onto the page.
        QPdfWriter pdf(&out);
        pdf.setPageSize(QPageSize(QSizeF(6, 4), QPageSize::Inch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        pdf.setTitle(figure.star);
        pdf.setCreator(QStringLiteral("Varilume"));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn) {
            painter.setWindow(0, 0, FigureWidth, FigureHeight);
            drawPhaseFigure(painter, figure);
            drawn = painter.end();
        }
    } else {
        QImage image(FigureWidth, FigureHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        drawPhaseFigure(painter, figure);
        painter.end();
        drawn = image.save(&out, format == FigureFormat::Png ? "PNG" : "BMP");
    }
    if (!drawn || !out.commit())
        return QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
    return {};
}

} // namespace varilume
