#include "search/RedNoise.h"

#include "search/Gls.h"
#include "search/GridWork.h"
#include "search/Threads.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace varilume::detail {

namespace {

constexpr double Spacing = 1.02; // log step of the coarse frequencies
constexpr std::size_t MaxPoints = 800;
constexpr std::size_t MinPoints = 8; // fewer: no continuum can be told

struct Sample {
    double f;
    double power;
};

// Whittle's -log likelihood for given ln f0 and ln r, c in closed form.
double whittle(const std::vector<Sample>& s, double logCorner, double logRatio, double* scale) {
    const double f0 = std::exp(logCorner), r = std::exp(logRatio);
    double sumLogG = 0, sumRatio = 0;
    for (const Sample& x : s) {
        const double u = x.f / f0;
        const double g = r / (1 + u * u) + 1;
        sumLogG += std::log(g);
        sumRatio += x.power / g;
    }
    const double n = static_cast<double>(s.size());
    const double c = sumRatio / n;
    if (scale)
        *scale = c;
    if (!(c > 0))
        return std::numeric_limits<double>::infinity();
    return sumLogG + n * std::log(c) + n;
}

Continuum fit(const std::vector<Sample>& s, double fLow, double fHigh) {
    Continuum out;
    if (s.size() < MinPoints)
        return out;
    // A grid in ln f0 (a decade below the lowest frequency to the highest) and
    // ln r (a hundredth to a billion), then Nelder–Mead from its best point.
    const double a0 = std::log(fLow) - std::log(10.0), a1 = std::log(fHigh);
    const double b0 = std::log(1e-2), b1 = std::log(1e9);
    constexpr int Steps = 40;
    std::array<double, 2> best{a0, b0};
    double bestValue = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= Steps; ++i)
        for (int j = 0; j <= Steps; ++j) {
            const double a = a0 + (a1 - a0) * i / Steps, b = b0 + (b1 - b0) * j / Steps;
            const double v = whittle(s, a, b, nullptr);
            if (v < bestValue) {
                bestValue = v;
                best = {a, b};
            }
        }
    const double da = (a1 - a0) / Steps, db = (b1 - b0) / Steps;
    std::array<std::array<double, 2>, 3> x{
        {best, {best[0] + da, best[1]}, {best[0], best[1] + db}}};
    std::array<double, 3> v{};
    for (int k = 0; k < 3; ++k)
        v[k] = whittle(s, x[k][0], x[k][1], nullptr);
    for (int it = 0; it < 400; ++it) {
        std::array<int, 3> o{0, 1, 2};
        std::sort(o.begin(), o.end(), [&](int p, int q) { return v[p] < v[q]; });
        const int lo = o[0], mid = o[1], hi = o[2];
        if (std::abs(v[hi] - v[lo]) < 1e-12 * (1 + std::abs(v[lo])) &&
            std::hypot(x[hi][0] - x[lo][0], x[hi][1] - x[lo][1]) < 1e-9)
            break;
        const std::array<double, 2> m{(x[lo][0] + x[mid][0]) / 2, (x[lo][1] + x[mid][1]) / 2};
        auto along = [&](double t) {
            return std::array<double, 2>{m[0] + t * (x[hi][0] - m[0]),
                                         m[1] + t * (x[hi][1] - m[1])};
        };
        const auto xr = along(-1);
        const double vr = whittle(s, xr[0], xr[1], nullptr);
        if (vr < v[lo]) {
            const auto xe = along(-2);
            const double ve = whittle(s, xe[0], xe[1], nullptr);
            if (ve < vr)
                x[hi] = xe, v[hi] = ve;
            else
                x[hi] = xr, v[hi] = vr;
        } else if (vr < v[mid]) {
            x[hi] = xr, v[hi] = vr;
        } else {
            const auto xc = along(vr < v[hi] ? -0.5 : 0.5);
            const double vc = whittle(s, xc[0], xc[1], nullptr);
            if (vc < std::min(vr, v[hi])) {
                x[hi] = xc, v[hi] = vc;
            } else {
                for (int k : {mid, hi}) {
                    x[k] = {(x[k][0] + x[lo][0]) / 2, (x[k][1] + x[lo][1]) / 2};
                    v[k] = whittle(s, x[k][0], x[k][1], nullptr);
                }
            }
        }
    }
    const int lo = static_cast<int>(std::min_element(v.begin(), v.end()) - v.begin());
    out.corner = std::exp(x[lo][0]);
    out.ratio = std::exp(x[lo][1]);
    whittle(s, x[lo][0], x[lo][1], &out.scale);
    out.used = s.size();
    out.ok = out.scale > 0 && std::isfinite(out.scale);
    return out;
}

} // namespace

std::vector<double> continuumFrequencies(double span, double fmax) {
    std::vector<double> f;
    if (!(span > 0) || !(fmax > 0))
        return f;
    const double step = 1 / span;
    // The log step widens when the band would need more points than MaxPoints.
    double ratio = Spacing;
    const double decades = std::log(std::max(fmax * span, 1.0));
    ratio = std::max(ratio, std::exp(decades / static_cast<double>(MaxPoints)));
    for (double x = step; x <= fmax; x = std::max(x * ratio, x + step))
        f.push_back(x);
    return f;
}

std::size_t CoarsePower::index(double f) const {
    if (grid.count == 0)
        return 0;
    const double k = std::round((f - grid.fmin) / grid.step);
    return static_cast<std::size_t>(std::clamp(k, 0.0, static_cast<double>(grid.count - 1)));
}

double CoarsePower::near(double f) const {
    if (values.empty())
        return 0;
    const std::size_t k = index(f);
    double best = values[k];
    for (std::size_t j : {k - 1, k + 1})
        if (j < values.size() && std::abs(grid.frequency(j) - f) <= grid.step)
            best = std::max(best, values[j]);
    return best;
}

CoarsePower coarsePower(const Prepared& p, double top, int threads, bool measureFft) {
    CoarsePower c;
    if (!(p.span > 0) || !(top > 0))
        return c;
    const double step = 0.5 / p.span;
    c.grid = {step, step, static_cast<std::size_t>(std::floor(top / step))};
    c.values.resize(c.grid.count);
    SearchSettings one;
    one.harmonics = 1;
    one.measureFft = measureFft;
    const unsigned used = threadsFor(threads);
    const auto work = makeGridWork(p, one, c.grid, used);
    // Two million frequencies for a century of data: shared like the search's own grid.
    std::atomic<std::size_t> next{0};
    onThreads(used, [&](std::size_t) {
        for (std::size_t k0; (k0 = next.fetch_add(work->unit())) < c.grid.count;)
            work->compute(k0, std::min(c.grid.count, k0 + work->unit()), c.values.data() + k0);
    });
    return c;
}

Continuum fitContinuum(const Prepared& p, double fmax, const std::vector<double>& excluded) {
    return fitContinuum(p, coarsePower(p, fmax + 1 / p.span), fmax, excluded);
}

Continuum fitContinuum(const Prepared& p, const CoarsePower& coarse, double fmax,
                       const std::vector<double>& excluded) {
    const double span = p.span;
    std::vector<Sample> s;
    std::size_t last = coarse.grid.count;
    for (double target : continuumFrequencies(span, fmax)) {
        const std::size_t k = coarse.index(target);
        if (k == last || k >= coarse.values.size())
            continue; // two targets on one grid point count once
        last = k;
        const double f = coarse.grid.frequency(k);
        const bool nearPeak = std::any_of(excluded.begin(), excluded.end(),
                                          [&](double e) { return std::abs(f - e) < 2 / span; });
        if (!nearPeak)
            s.push_back({f, coarse.values[k]});
    }
    if (s.empty())
        return {};
    const double fLow = s.front().f, fHigh = s.back().f;
    Continuum c = fit(s, fLow, fHigh);
    if (!c.ok)
        return c;
    // What the model cannot explain is taken for signal, up to ClipRounds times.
    for (int round = 0; round < ClipRounds; ++round) {
        std::vector<Sample> kept;
        for (const Sample& x : s)
            if (x.power <= ClipRatio * c.at(x.f))
                kept.push_back(x);
        if (kept.size() == s.size())
            break;
        s = std::move(kept);
        c = fit(s, fLow, fHigh);
        if (!c.ok)
            break;
    }
    return c;
}

double continuumRatio(const Prepared& p, const Continuum& c, double f) {
    return c.ok && f > 0 ? glsPowerAt(p, 1, f) / c.at(f) : 0;
}

double redNoiseFap(const Prepared& p, const Continuum& c, double f, int harmonics,
                   double independent) {
    if (!c.ok || !(f > 0))
        return -1;
    const int h = std::clamp(harmonics, 1, MaxHarmonics);
    // The first k harmonics for the k that makes the peak least likely, paid
    // for by the h tries: weak upper harmonics do not dilute a strong fundamental.
    double t = 0, logBest = 0;
    for (int k = 1; k <= h; ++k) {
        t += continuumRatio(p, c, k * f);
        // The gamma tail with whole shape k, in logarithms: far below a double it stays exact.
        double term = 1, sum = 1;
        for (int j = 1; j < k; ++j) {
            term *= t / j;
            sum += term;
        }
        logBest = std::min(logBest, -t + std::log(sum));
    }
    const double single = std::min(1.0, h * std::exp(logBest));
    const double n = std::max(1.0, independent);
    if (single >= 1)
        return 1;
    // 1 - (1 - p)^N, with N p far below 1 kept exact.
    const double logOneMinus = single < 1e-300 ? -single : std::log1p(-single);
    return std::clamp(-std::expm1(n * logOneMinus), 0.0, 1.0);
}

Continuum setRedNoiseFaps(std::vector<Peak>& peaks, const Prepared& p, const CoarsePower& coarse,
                          const FrequencyGrid& grid) {
    // No frequencies left out: under red noise the best peaks are the low
    // frequencies the continuum must describe; a real signal's points are clipped.
    const Continuum c = fitContinuum(p, coarse, grid.fmax(), {});
    const double independent = (grid.fmax() - grid.fmin) * p.span;
    for (Peak& peak : peaks)
        peak.fapRed = redNoiseFap(p, c, peak.frequency, peak.harmonics, independent);
    return c;
}

} // namespace varilume::detail
