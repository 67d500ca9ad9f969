#include "search/SamplingPeaks.h"

#include "search/Gls.h"

#include <algorithm>
#include <cmath>

namespace varilume::detail {

namespace {

constexpr double SiderealDay = 1.0027379093; // cycles per solar day
constexpr double SiderealYear = 365.25636;   // days
constexpr int ScanSteps = 10;                // points each side in a resolution scan

// The largest value of fn over [f - 1/span, f + 1/span] and where it is.
template <typename Fn> WindowPeak scanTop(const Prepared& p, double f, Fn fn) {
    WindowPeak best{f, fn(f)};
    const double half = 1 / p.span;
    for (int k = -ScanSteps; k <= ScanSteps; ++k) {
        const double x = f + half * k / ScanSteps;
        if (k == 0 || x <= 0)
            continue;
        const double v = fn(x);
        if (v > best.height)
            best = {x, v};
    }
    return best;
}

} // namespace

std::vector<WindowPeak> strongWindowPeaks(const Prepared& p) {
    std::vector<WindowPeak> out;
    if (!(p.span > 0))
        return out;
    std::vector<double> candidates{1.0, SiderealDay, 2.0, 2 * SiderealDay};
    if (p.span > 2 * SiderealYear)
        candidates.push_back(1 / SiderealYear);
    for (double c : candidates) {
        const WindowPeak top = scanTop(p, c, [&](double x) { return windowAt(p, x); });
        const bool seen = std::any_of(out.begin(), out.end(), [&](const WindowPeak& w) {
            return std::abs(w.frequency - top.frequency) < 1 / p.span;
        });
        if (top.height >= StrongWindow && !seen)
            out.push_back(top);
    }
    return out;
}

double localPower(const Prepared& p, double f) {
    return scanTop(p, f, [&](double x) { return glsPowerAt(p, 1, x); }).height;
}

bool samplingImage(const Prepared& p, const std::vector<WindowPeak>& window, double f) {
    const double own = glsPowerAt(p, 1, f);
    if (!(own > 0))
        return false;
    for (const WindowPeak& w : window)
        for (double parent : {f + w.frequency, std::abs(f - w.frequency)}) {
            // Below half a resolution the parent would be the mean, which the
            // fit removes (a slow trend, between that and 1/span, is still
            // power); nor can a peak be its own parent (f near half a window peak).
            if (parent < 0.5 / p.span || std::abs(parent - f) < 2 / p.span)
                continue;
            const double power = localPower(p, parent);
            if (power > own && w.height * power >= 0.5 * own)
                return true;
        }
    return false;
}

void tagSamplingPeaks(std::vector<Peak>& peaks, const Prepared& p, const Continuum& c) {
    const std::vector<WindowPeak> window = strongWindowPeaks(p);
    if (window.empty())
        return;
    for (Peak& peak : peaks) {
        if (!peak.note.empty())
            continue;
        bool image = samplingImage(p, window, peak.frequency);
        // A harmonic on a window peak (the second of 0.5 c/d on 1 c/d) can make
        // a fit of several harmonics look strong: an image if it carries the fit.
        const int h = std::clamp(peak.harmonics, 1, MaxHarmonics);
        if (!image && h > 1 && c.ok) {
            double ratio[MaxHarmonics + 1] = {};
            double total = 0;
            for (int k = 1; k <= h; ++k)
                total += ratio[k] = continuumRatio(p, c, k * peak.frequency);
            for (int k = 2; k <= h && !image; ++k)
                image = ratio[k] >= 0.5 * total && samplingImage(p, window, k * peak.frequency);
        }
        if (image)
            peak.note = "sampling";
    }
}

} // namespace varilume::detail
