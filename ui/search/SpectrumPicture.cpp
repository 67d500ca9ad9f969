#include "ui/search/SpectrumPicture.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    switch (method) {
    case SearchMethod::Gls:
        return QStringLiteral("Power (higher is better)");
    case SearchMethod::Pdm:
        return QStringLiteral("\u03B8 (lower is better)");
    case SearchMethod::StringLength:
        return QStringLiteral("String length (lower is better)");
    }
    return QString();
}

SpectrumPicture::SpectrumPicture(const Spectrum& spectrum, const std::vector<Peak>& peaks,
                                 const SpectrumView& view, int widthPx, int heightPx)
    : spectrum_(spectrum), peaks_(peaks), view_(view), width_(std::max(widthPx, 80)),
      height_(std::max(heightPx, 60)), left_(64), top_(22), right_(width_ - 12),
      bottom_(height_ - 34), higherBetter_(higherIsBetter(spectrum.method)) {
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
    double mn = std::numeric_limits<double>::infinity();
    double mx = -mn;
    for (std::size_t i = 0; i < spectrum_.values.size(); ++i) {
        const double v = spectrum_.values[i];
        const double x = axisOf(view_.axis, spectrum_.grid.frequency(i));
        if (std::isfinite(v) && x >= lo_ && x <= hi_) {
            mn = std::min(mn, v);
            mx = std::max(mx, v);
        }
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
    for (double t : xTicks) {
        const double x = left_ + (t - lo_) / (hi_ - lo_) * (right_ - left_);
        canvas.line(x, top_, x, bottom_, kGrid);
        const QString label =
            view_.axis == SpectrumAxis::LogPeriod ? tickText(std::pow(10.0, t)) : tickText(t);
        canvas.setCurrentXY(x - canvas.textWidth(label) / 2, bottom_ + 3);
        canvas.print(label);
    }
    for (double t : niceTicks(vmin_, vmax_, 5)) {
        const double y = yOf(t);
        canvas.line(left_, y, right_, y, kGrid);
        const QString label = tickText(t);
        canvas.setCurrentXY(left_ - 4 - canvas.textWidth(label), y - canvas.textHeight(label) / 2);
        canvas.print(label);
    }
    canvas.rect(left_, top_, right_, bottom_);
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
    const auto trace = [&](const std::vector<double>& values, std::int32_t color,
                           bool scaleToUnit) {
        const int columns = right_ - left_;
        std::vector<double> cmin(columns, std::numeric_limits<double>::infinity());
        std::vector<double> cmax(columns, -std::numeric_limits<double>::infinity());
        for (std::size_t i = 0; i < values.size(); ++i) {
            double v = values[i];
            if (!std::isfinite(v))
                continue;
            if (scaleToUnit)
                v = higherBetter_ ? vmin_ + v * (vmax_ - vmin_) : vmax_ - v * (vmax_ - vmin_);
            const double x = axisOf(view_.axis, spectrum_.grid.frequency(i));
            if (x < lo_ || x > hi_)
                continue;
            const int c =
                std::min(columns - 1, static_cast<int>((x - lo_) / (hi_ - lo_) * columns));
            cmin[c] = std::min(cmin[c], v);
            cmax[c] = std::max(cmax[c], v);
        }
        double px = -1, py = 0;
        for (int c = 0; c < columns; ++c) {
            if (!std::isfinite(cmin[c]))
                continue;
            const double x = left_ + c + 0.5;
            const double yBest = yOf(higherBetter_ ? cmax[c] : cmin[c]);
            const double yWorst = yOf(higherBetter_ ? cmin[c] : cmax[c]);
            if (px >= 0)
                canvas.line(px, py, x, yWorst, color);
            canvas.line(x, yWorst, x, yBest, color);
            px = x;
            py = yBest;
        }
    };
    if (view_.showWindow && spectrum_.window.size() == spectrum_.values.size())
        trace(spectrum_.window, kWindow, true);
    trace(spectrum_.values, kTrace, false);

    // The main window's trial period.
    if (view_.trialPeriod > 0) {
        const double x = pixelOf(1.0 / view_.trialPeriod);
        if (x >= left_ && x <= right_)
            canvas.line(x, top_, x, bottom_, kTrial);
    }
    // Listed peaks, numbered by rank.
    for (const Peak& p : peaks_) {
        const double x = pixelOf(p.frequency);
        if (x < left_ || x > right_ || !std::isfinite(p.power))
            continue;
        const double y =
            std::clamp(yOf(p.power), static_cast<double>(top_), static_cast<double>(bottom_));
        canvas.dot(x, y, 3, kPeak);
        const QString label = QString::number(p.rank);
        canvas.setCurrentXY(x + 4, std::max<double>(top_, y - 14));
        canvas.print(label);
    }
}

} // namespace varilume
