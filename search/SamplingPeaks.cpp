#include "search/SamplingPeaks.h"

#include "search/Gls.h"

#include <algorithm>
#include <cmath>

namespace varilume::detail {

namespace {

constexpr double SiderealDay = 1.0027379093; // cycles per solar day
constexpr double SiderealYear = 365.25636;   // days

// The largest value of fn over [f - width/span, f + width/span], in steps
// points each side, and where it is.
template <typename Fn>
WindowPeak scanTop(const Prepared& p, double f, double width, int steps, Fn fn) {
    WindowPeak best{f, fn(f)};
    const double half = width / p.span;
    for (int k = -steps; k <= steps; ++k) {
        const double x = f + half * k / steps;
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
        const WindowPeak top = scanTop(p, c, 1, 4, [&](double x) { return windowAt(p, x); });
        const bool seen = std::any_of(out.begin(), out.end(), [&](const WindowPeak& w) {
            return std::abs(w.frequency - top.frequency) < 1 / p.span;
        });
        if (top.height >= StrongWindow && !seen)
            out.push_back(top);
    }
    return out;
}

double localPower(const Prepared& p, double f) {
    // The image lies where the parent does, shifted by the window peak, both
    // known far better than a resolution: half of one either side suffices,
    // and each point costs a sum over every observation.
    return scanTop(p, f, 0.5, 2, [&](double x) { return glsPowerAt(p, 1, x); }).height;
}

bool samplingImage(const Prepared& p, const CoarsePower& coarse,
                   const std::vector<WindowPeak>& window, double f, double own,
                   const Continuum& c) {
    if (!(own > 0))
        return false;
    // Between grid points a top may be up to half as high again as the grid
    // says (a resolution's sinc at a quarter of one): only then is it summed.
    const auto parentPower = [&](double x) {
        const double grid = coarse.near(x);
        return grid > own || 1.7 * grid < own ? grid : localPower(p, x);
    };
    for (const WindowPeak& w : window)
        for (double parent : {f + w.frequency, std::abs(f - w.frequency)}) {
            // Below half a resolution the parent would be the mean, which the
            // fit removes (a slow trend, between that and 1/span, is still
            // power); nor can a peak be its own parent (f near half a window peak).
            if (parent < 0.5 / p.span || std::abs(parent - f) < 2 / p.span)
                continue;
            // A single parent's image has about the window's height h times its
            // power; a real peak's own image, taken for its parent, h times the
            // peak's. Near a strong window peak (0.8 at 1 c/d) the two are
            // almost as high, and noise decides which is higher: the parent
            // must pass the geometric mean of the two cases. Red power is
            // another matter: the image gathers a whole band of it, far more
            // than its highest frequency alone, so where the continuum stands
            // well above the white level, more power than the peak's suffices.
            const double power = parentPower(parent);
            const bool red = c.ok && c.at(parent) > RedParent * c.scale;
            const double needed = red ? own : own / std::sqrt(w.height);
            if (power > needed && w.height * power >= 0.5 * own)
                return true;
        }
    return false;
}

void tagSamplingPeaks(std::vector<Peak>& peaks, const Prepared& p, const CoarsePower& coarse,
                      const Continuum& c) {
    const std::vector<WindowPeak> window = strongWindowPeaks(p);
    if (window.empty())
        return;
    for (Peak& peak : peaks) {
        if (!peak.note.empty())
            continue;
        // With several harmonics, each carries its share of the fit (its power
        // over the continuum there): the peak is an image when those shares
        // that are images (a harmonic on 1 or 2 c/d, say, fed by slow power)
        // carry half of it. The fundamental of an eclipsing binary found at
        // its true period can be weak and lie below a noise peak one day
        // away; alone it must not make the whole fit an image.
        const int h = std::clamp(peak.harmonics, 1, MaxHarmonics);
        bool image = false;
        if (h == 1 || !c.ok) {
            image = samplingImage(p, coarse, window, peak.frequency,
                                  glsPowerAt(p, 1, peak.frequency), c);
        } else {
            // The largest shares first, until the rest cannot change the answer:
            // each test sums over every observation, many times.
            struct Share {
                double ratio, power; // over the continuum; the one-harmonic power
                int k;
            };
            Share shares[MaxHarmonics];
            double total = 0;
            for (int k = 1; k <= h; ++k) {
                const double power = glsPowerAt(p, 1, k * peak.frequency);
                shares[k - 1] = {power / c.at(k * peak.frequency), power, k};
                total += shares[k - 1].ratio;
            }
            std::sort(shares, shares + h,
                      [](const Share& a, const Share& b) { return a.ratio > b.ratio; });
            double images = 0, rest = total;
            for (int i = 0; i < h && images < 0.5 * total && images + rest >= 0.5 * total; ++i) {
                rest -= shares[i].ratio;
                if (samplingImage(p, coarse, window, shares[i].k * peak.frequency, shares[i].power,
                                  c))
                    images += shares[i].ratio;
            }
            image = total > 0 && images >= 0.5 * total;
        }
        if (image)
            peak.note = "sampling";
    }
}

} // namespace varilume::detail
