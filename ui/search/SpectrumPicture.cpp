#include "ui/search/SpectrumPicture.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"

#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace varilume {

namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kTrace = 0x902000;  // dark blue (R + 256 G + 65536 B)
constexpr std::int32_t kWindow = 0xC8C8C8; // faint grey
constexpr std::int32_t kTrial = 0x0000D0;  // red
constexpr std::int32_t kPeak = 0x008000;   // green
constexpr std::int32_t kGrid = 0xEEEEEE;

// Tick positions of a linear axis: 1, 2 or 5 times a power of ten apart.
std::vector<double> niceTicks(double lo, double hi, int wanted) {
    std::vector<double> ticks;
    if (!(hi > lo) || wanted < 1)
        return ticks;
    const double raw = (hi - lo) / wanted;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * mag >= raw) {
            step = m * mag;
            break;
        }
    for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9; t += step)
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    return ticks;
}

// Ticks of a log10 axis at 1, 2 and 5 times the powers of ten (log units).
std::vector<double> logTicks(double lo, double hi) {
    std::vector<double> ticks;
    for (double decade = std::floor(lo); decade <= std::ceil(hi); decade += 1)
        for (double m : {1.0, 2.0, 5.0}) {
            const double t = decade + std::log10(m);
            if (t >= lo && t <= hi)
                ticks.push_back(t);
        }
    if (ticks.size() > 12) // a wide range: decades alone
        std::erase_if(ticks, [](double t) { return std::fabs(t - std::round(t)) > 1e-9; });
    return ticks;
}

QString tickText(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

double SpectrumPicture::axisOf(SpectrumAxis axis, double f) {
    switch (axis) {
    case SpectrumAxis::Frequency:
        return f;
    case SpectrumAxis::Period:
        return 1.0 / f;
    case SpectrumAxis::LogPeriod:
        return std::log10(1.0 / f);
    }
    return f;
}

double SpectrumPicture::frequencyOf(SpectrumAxis axis, double v) {
    switch (axis) {
    case SpectrumAxis::Frequency:
        return v;
    case SpectrumAxis::Period:
        return 1.0 / v;
    case SpectrumAxis::LogPeriod:
        return 1.0 / std::pow(10.0, v);
    }
    return v;
}

QString SpectrumPicture::statisticLabel(SearchMethod method) {
    const std::string_view label = methodInfo(method).axisLabel;
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

SpectrumPicture::SpectrumPicture(const Spectrum& spectrum, const std::vector<Peak>& peaks,
                                 const SpectrumView& view, int widthPx, int heightPx,
                                 const SpectrumBlocks* valueBlocks,
                                 const SpectrumBlocks* windowBlocks)
    : spectrum_(spectrum), peaks_(peaks), view_(view), width_(std::max(widthPx, 80)),
      height_(std::max(heightPx, 60)), left_(64), top_(22), right_(width_ - 12),
      bottom_(height_ - 34), higherBetter_(higherIsBetter(spectrum.method)),
      windowBlocks_(windowBlocks) {
    const auto [a, b] = fullRange();
    lo_ = a;
    hi_ = b;
    if (view_.to != view_.from) {
        lo_ = std::min(view_.from, view_.to);
        hi_ = std::max(view_.from, view_.to);
    }
    if (!(hi_ > lo_))
        hi_ = lo_ + 1;
    // The statistic's range over what is in view.
    valueColumns_ = columns(spectrum_.values, valueBlocks);
    double mn = std::numeric_limits<double>::infinity();
    double mx = -mn;
    for (const Column& c : valueColumns_)
        if (c.min <= c.max) {
            mn = std::min(mn, c.min);
            mx = std::max(mx, c.max);
        }
    if (!std::isfinite(mn)) {
        mn = 0;
        mx = 1;
    }
    if (higherBetter_)
        mn = std::min(mn, 0.0); // power is read from zero
    if (!(mx > mn))
        mx = mn + 1;
    const double pad = (mx - mn) * 0.05;
    vmin_ = higherBetter_ ? mn : mn - pad;
    vmax_ = mx + pad;
}

std::vector<SpectrumPicture::Column> SpectrumPicture::columns(const std::vector<double>& values,
                                                              const SpectrumBlocks* blocks) const {
    // Each column covers a run of the (evenly spaced) grid: its ends are found
    // from the column's edges, so no logarithms per value; with a summary in
    // blocks, only the values at the columns' ends are looked at.
    const int count = std::max(right_ - left_, 1);
    std::vector<Column> out(
        static_cast<std::size_t>(count),
        Column{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()});
    const FrequencyGrid& g = spectrum_.grid;
    const std::size_t n = std::min<std::size_t>(values.size(), g.count);
    if (n == 0 || !(g.step > 0))
        return out;
    const auto indexAt = [&](double axisValue) {
        const double f = frequencyOf(view_.axis, axisValue);
        const double i = std::ceil((f - g.fmin) / g.step);
        return std::isfinite(i) ? std::clamp(i, 0.0, static_cast<double>(n)) : 0.0;
    };
    const double width = (hi_ - lo_) / count;
    double edge = indexAt(lo_);
    for (int c = 0; c < count; ++c) {
        const double next = indexAt(lo_ + (c + 1) * width);
        const double a = std::min(edge, next);
        const double b = std::max(edge, next);
        edge = next;
        Column& col = out[static_cast<std::size_t>(c)];
        // The last column also takes the grid point on its far edge.
        const std::size_t end = static_cast<std::size_t>(b) + (c == count - 1 && b < n ? 1 : 0);
        if (blocks) {
            std::tie(col.min, col.max) =
                blocks->range(values, static_cast<std::size_t>(a), std::min(end, n));
            continue;
        }
        for (std::size_t i = static_cast<std::size_t>(a); i < end; ++i) {
            const double v = values[i];
            if (v < col.min)
                col.min = v;
            if (v > col.max)
                col.max = v; // NaN (not computed yet) fails both tests
        }
    }
    return out;
}

std::pair<double, double> SpectrumPicture::fullRange() const {
    const FrequencyGrid& g = spectrum_.grid;
    if (g.count == 0 || !(g.fmin > 0))
        return {0.0, 1.0};
    const double a = axisOf(view_.axis, g.fmin);
    const double b = axisOf(view_.axis, g.fmax());
    return {std::min(a, b), std::max(a, b)};
}

double SpectrumPicture::axisAt(double px) const {
    return lo_ + (px - left_) / static_cast<double>(right_ - left_) * (hi_ - lo_);
}

double SpectrumPicture::frequencyAt(double px) const {
    return frequencyOf(view_.axis, axisAt(px));
}

double SpectrumPicture::pixelOf(double frequency) const {
    return left_ + (axisOf(view_.axis, frequency) - lo_) / (hi_ - lo_) * (right_ - left_);
}

double SpectrumPicture::yOf(double value) const {
    const double t = (value - vmin_) / (vmax_ - vmin_);
    // Better is up: high power, or low theta and string length.
    return higherBetter_ ? bottom_ - t * (bottom_ - top_) : top_ + t * (bottom_ - top_);
}

std::optional<std::size_t> SpectrumPicture::peakNear(double px, double tolerance) const {
    std::optional<std::size_t> best;
    double bestDistance = tolerance;
    for (std::size_t k = 0; k < peaks_.size(); ++k) {
        const double d = std::fabs(pixelOf(peaks_[k].frequency) - px);
        if (d <= bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

void SpectrumPicture::draw(Canvas& canvas) const {
    canvas.setBackground(kWhite);
    canvas.setForeground(kBlack);
    canvas.resize(width_, height_);
    canvas.setCoords(0, 0, width_, height_);
    canvas.clear();

    // Grid and tick labels.
    const auto xTicks = view_.axis == SpectrumAxis::LogPeriod
                            ? logTicks(lo_, hi_)
                            : niceTicks(lo_, hi_, std::max(2, (right_ - left_) / 90));
    double labelsEnd = -std::numeric_limits<double>::infinity();
    for (double t : xTicks) {
        const double x = left_ + (t - lo_) / (hi_ - lo_) * (right_ - left_);
        const QString label =
            view_.axis == SpectrumAxis::LogPeriod ? tickText(std::pow(10.0, t)) : tickText(t);
        // Centred on its tick, but whole at the picture's edges, and left out
        // rather than written over its neighbour.
        const double w = canvas.textWidth(label);
        const double at = std::clamp(x - w / 2, 1.0, width_ - w - 1);
        if (at < labelsEnd + 4)
            continue;
        canvas.setCurrentXY(at, bottom_ + 3);
        canvas.print(label);
        labelsEnd = at + w;
    }
    const auto yTicks = niceTicks(vmin_, vmax_, 5);
    for (double t : yTicks) {
        const double y = yOf(t);
        const QString label = tickText(t);
        canvas.setCurrentXY(left_ - 4 - canvas.textWidth(label), y - canvas.textHeight(label) / 2);
        canvas.print(label);
    }
    const QString xLabel =
        view_.axis == SpectrumAxis::Frequency
            ? QStringLiteral("Frequency (c/d)")
            : (view_.axis == SpectrumAxis::Period ? QStringLiteral("Period (d)")
                                                  : QStringLiteral("Period (d, logarithmic)"));
    canvas.setCurrentXY((left_ + right_) / 2.0 - canvas.textWidth(xLabel) / 2, bottom_ + 17);
    canvas.print(xLabel);
    canvas.setCurrentXY(left_, 3);
    canvas.print(statisticLabel(spectrum_.method));

    // Each pixel column shows the range of the values that fall in it, so a
    // million frequencies draw as fast as a few hundred and no peak is lost.
    // The traces are drawn on one image of the plot area with one painter, and
    // the image placed on the canvas.
    QImage area(right_ - left_ + 1, bottom_ - top_ + 1, QImage::Format_RGB32);
    area.fill(rgbColor(kWhite));
    {
        QPainter painter(&area);
        painter.translate(-left_, -top_);
        painter.setPen(rgbColor(kGrid));
        for (double t : xTicks) {
            const double x = left_ + (t - lo_) / (hi_ - lo_) * (right_ - left_);
            painter.drawLine(QPointF(x, top_), QPointF(x, bottom_));
        }
        for (double t : yTicks)
            painter.drawLine(QPointF(left_, yOf(t)), QPointF(right_, yOf(t)));
        const auto trace = [&](const std::vector<Column>& cols, std::int32_t color,
                               bool scaleToUnit) {
            painter.setPen(rgbColor(color));
            const auto scaled = [&](double v) {
                if (!scaleToUnit)
                    return v;
                return higherBetter_ ? vmin_ + v * (vmax_ - vmin_) : vmax_ - v * (vmax_ - vmin_);
            };
            QPointF previous(-1, 0);
            for (std::size_t c = 0; c < cols.size(); ++c) {
                if (!(cols[c].min <= cols[c].max))
                    continue;
                const double lowV = scaled(cols[c].min);
                const double highV = scaled(cols[c].max);
                const double x = left_ + static_cast<double>(c) + 0.5;
                const double yBest =
                    yOf(higherBetter_ ? std::max(lowV, highV) : std::min(lowV, highV));
                const double yWorst =
                    yOf(higherBetter_ ? std::min(lowV, highV) : std::max(lowV, highV));
                if (previous.x() >= 0)
                    painter.drawLine(previous, QPointF(x, yWorst));
                painter.drawLine(QPointF(x, yWorst), QPointF(x, yBest));
                previous = QPointF(x, yBest);
            }
        };
        if (view_.showWindow && spectrum_.window.size() == spectrum_.values.size())
            trace(columns(spectrum_.window, windowBlocks_), kWindow, true);
        painter.setPen(rgbColor(kBlack));
        painter.drawRect(left_, top_, right_ - left_, bottom_ - top_);
        // Drawn last: the first and last columns lie on the frame.
        trace(valueColumns_, kTrace, false);
    }
    canvas.drawImage(left_, top_, area.width(), area.height(), area, false);

    // The main window's trial period.
    if (view_.trialPeriod > 0) {
        const double x = pixelOf(1.0 / view_.trialPeriod);
        if (x >= left_ && x <= right_)
            canvas.line(x, top_, x, bottom_, kTrial);
    }
    // Listed peaks, numbered by rank. A number goes right of its dot, else
    // left of it, else below; one that would cover another is left out (the
    // better peaks come first and keep theirs).
    std::vector<QRectF> taken;
    for (const Peak& p : peaks_) {
        const double x = pixelOf(p.frequency);
        if (x < left_ || x > right_ || !std::isfinite(p.power))
            continue;
        const double y =
            std::clamp(yOf(p.power), static_cast<double>(top_), static_cast<double>(bottom_));
        canvas.dot(x, y, 3, kPeak);
        taken.push_back(QRectF(x - 3, y - 3, 6, 6));
    }
    std::size_t dotIndex = 0;
    for (const Peak& p : peaks_) {
        const double x = pixelOf(p.frequency);
        if (x < left_ || x > right_ || !std::isfinite(p.power))
            continue;
        const double y =
            std::clamp(yOf(p.power), static_cast<double>(top_), static_cast<double>(bottom_));
        const QString label = QString::number(p.rank);
        const double w = canvas.textWidth(label), h = canvas.textHeight(label);
        const double above = std::max<double>(top_, y - h);
        for (const QPointF at : {QPointF(x + 4, above), QPointF(x - 4 - w, above),
                                 QPointF(x - w / 2, std::min<double>(y + 4, bottom_ - h))}) {
            const QRectF box(at, QSizeF(w, h));
            const bool inside = box.left() >= left_ && box.right() <= right_;
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const QRectF& r) {
                return r.intersects(box) && r != taken[dotIndex];
            });
            if (inside && free) {
                canvas.setCurrentXY(at.x(), at.y());
                canvas.print(label);
                taken.push_back(box);
                break;
            }
        }
        ++dotIndex;
    }
}

} // namespace varilume
