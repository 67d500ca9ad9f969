#include "search/Peaks.h"

#include "search/Gls.h"
#include "search/Kernels.h"
#include "search/Pdm.h"
#include "search/StringLength.h"
#include "search/Threads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>

namespace varilume::detail {

namespace {

// Night-bound sampling repeats after a solar day, observing at one hour angle
// after a sidereal day: aliases of either spacing are tagged as daily.
constexpr double SolarDay = 1.0;             // cycles per day
constexpr double SiderealDay = 1.0027379093; // cycles per solar day
constexpr double SiderealYear = 365.25636;   // days

bool better(bool higher, double a, double b) {
    return higher ? a > b : a < b;
}

bool near(double a, double b, double tol) {
    return std::abs(a - b) <= tol;
}

// Appended piecewise: GCC 12 warns falsely on operator+ chains at -O3.
std::string tag(const char* what, int rank) {
    std::string s(what);
    s += " of #";
    s += std::to_string(rank);
    return s;
}

// The maximum of a smooth function on [a, b] from x inside it (Brent 1973,
// "localmin", turned over): to within about tol.
template <typename F> RefinedPeak brentMax(F value, double a, double b, double x, double tol) {
    const double golden = 0.5 * (3 - std::sqrt(5.0));
    double w = x, v = x, fx = -value(x), fw = fx, fv = fx;
    double d = 0, e = 0;
    for (int it = 0; it < 100; ++it) {
        const double m = 0.5 * (a + b);
        if (std::abs(x - m) <= 2 * tol - 0.5 * (b - a))
            break;
        double p = 0, q = 0, r = 0;
        if (std::abs(e) > tol) {
            r = (x - w) * (fx - fv);
            q = (x - v) * (fx - fw);
            p = (x - v) * q - (x - w) * r;
            q = 2 * (q - r);
            if (q > 0)
                p = -p;
            else
                q = -q;
            r = e;
            e = d;
        }
        if (std::abs(p) < std::abs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x)) {
            d = p / q; // a parabola's step
            const double u = x + d;
            if (u - a < 2 * tol || b - u < 2 * tol)
                d = x < m ? tol : -tol;
        } else {
            e = (x < m ? b : a) - x; // a golden section
            d = golden * e;
        }
        const double u = x + (std::abs(d) >= tol ? d : (d > 0 ? tol : -tol));
        const double fu = -value(u);
        if (fu <= fx) {
            (u < x ? b : a) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            (u < x ? a : b) = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    return {x, -fx};
}

} // namespace

std::vector<std::size_t> pickPeaks(const Spectrum& spectrum, std::size_t wanted,
                                   double minSeparation) {
    const bool higher = higherIsBetter(spectrum.method);
    const auto& v = spectrum.values;
    std::vector<std::size_t> local;
    for (std::size_t k = 0; k < v.size(); ++k) {
        // Beside a part not searched (a cancelled run) a rising slope is no top.
        if (std::isnan(v[k]) || (k > 0 && std::isnan(v[k - 1])) ||
            (k + 1 < v.size() && std::isnan(v[k + 1])))
            continue;
        const bool leftOk = k == 0 || !better(higher, v[k - 1], v[k]);
        const bool rightOk = k + 1 == v.size() || !better(higher, v[k + 1], v[k]);
        // A flat top counts once, at its first point.
        const bool firstOfFlat = k == 0 || v[k - 1] != v[k];
        if (leftOk && rightOk && firstOfFlat)
            local.push_back(k);
    }
    // Best first, taken from a heap: only the few tops looked at are ordered,
    // not the millions of small maxima of a long grid.
    const auto after = [&](std::size_t a, std::size_t b) {
        return better(higher, v[b], v[a]) || (v[a] == v[b] && b < a);
    };
    std::make_heap(local.begin(), local.end(), after);
    std::vector<std::size_t> chosen;
    for (auto end = local.end(); end != local.begin() && chosen.size() < wanted; --end) {
        std::pop_heap(local.begin(), end, after);
        const std::size_t k = *(end - 1);
        const double f = spectrum.grid.frequency(k);
        const bool apart = std::none_of(chosen.begin(), chosen.end(), [&](std::size_t c) {
            return std::abs(spectrum.grid.frequency(c) - f) < minSeparation;
        });
        if (apart)
            chosen.push_back(k);
    }
    return chosen;
}

RefinedPeak refine(const Prepared& p, const SearchSettings& s, double f, double halfWidth) {
    const bool higher = higherIsBetter(s.method);
    if (s.method == SearchMethod::Gls) {
        // The power is smooth and the grid's best point lies within a step of
        // the top: Brent's method (parabolas, golden sections where they fail)
        // narrows that to a hundred-millionth in a dozen evaluations.
        return brentMax([&](double x) { return statistic(p, s, x); },
                        std::max(f - halfWidth, 0.5 * f), f + halfWidth, f, 1e-8 * halfWidth);
    }
    // PDM and string length change in steps as points cross bin edges or
    // swap order: nested scans, each a tenth as wide as the last.
    RefinedPeak best{f, statistic(p, s, f)};
    constexpr int Steps = 10;
    for (int level = 0; level < 4; ++level) {
        const double centre = best.frequency;
        for (int j = -Steps; j <= Steps; ++j) {
            const double g = centre + halfWidth * j / Steps;
            if (j == 0 || g <= 0)
                continue;
            const double v = statistic(p, s, g);
            if (better(higher, v, best.value))
                best = {g, v};
        }
        halfWidth /= Steps;
    }
    return best;
}

double baluevLogFap(const Prepared& p, double z, double fmax, int harmonics) {
    const double n = static_cast<double>(p.size());
    const int h = std::clamp(harmonics, 1, MaxHarmonics);
    const double d = 2.0 * h;    // parameters the periodic model adds
    const double nh = n - 1;     // degrees of freedom of the constant model
    const double nk = n - 1 - d; // and of the periodic one
    if (nk <= 1 || !(z > 0))
        return 0;
    z = std::min(z, 1.0);
    // Weighted variance of the times sets the effective span.
    double mean = 0, var = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        mean += p.w[i] * p.t[i];
    for (std::size_t i = 0; i < p.size(); ++i)
        var += p.w[i] * (p.t[i] - mean) * (p.t[i] - mean);
    // Harmonic k moves k times as fast with frequency: the mean of k^2 over the
    // harmonics widens the effective band (its square root bounds the crossings
    // from above, so the probability stays an upper bound).
    const double meanK2 = (h + 1) * (2 * h + 1) / 6.0;
    const double w = fmax * std::sqrt(4 * std::numbers::pi * var * meanK2);
    const double log1mz = std::log1p(-z);
    // Expected upcrossings of z by the fraction of variance explained, a beta
    // process with (d/2, nk/2): Baluev (2008) for d = 2, the same Rice
    // integral for any d.
    const double logTau = std::log(w) + std::lgamma(nh / 2) - std::lgamma(d / 2) -
                          std::lgamma((nk + 1) / 2) + 0.5 * (d - 1) * std::log(z) +
                          0.5 * (nk - 1) * log1mz;
    // Single-frequency probability: the beta tail, closed form for whole d/2.
    double term = 1, sum = 1;
    for (int j = 1; j < h; ++j) {
        term *= (nk / 2 + j - 1) / j * z;
        sum += term;
    }
    const double logSingle = std::min(0.0, 0.5 * nk * log1mz + std::log(sum));
    // FAP = 1 - (1 - single) exp(-tau) = 1 - exp(-a), a = tau - log(1 - single),
    // all in logarithms: a strong signal's probability lies far below the
    // smallest double, and its logarithm is still exact.
    const double logMinusLog1mSingle =
        logSingle < -30 ? logSingle : std::log(-std::log1p(-std::exp(logSingle)));
    const double hi = std::max(logTau, logMinusLog1mSingle);
    const double lo = std::min(logTau, logMinusLog1mSingle);
    if (hi == -INFINITY)
        return -INFINITY; // z = 1: a perfect fit
    const double logA = hi + std::log1p(std::exp(lo - hi));
    // 1 - exp(-a) = a (1 - a/2 + ...): below e^-30 the log of a is exact to 1e-13.
    return logA < -30 ? logA : std::log(-std::expm1(-std::exp(logA)));
}

double baluevFap(const Prepared& p, double z, double fmax, int harmonics) {
    return std::clamp(std::exp(baluevLogFap(p, z, fmax, harmonics)), 0.0, 1.0);
}

double periodError(const Prepared& p, int harmonics, double f) {
    const HarmonicFit fit = glsFit(p, std::clamp(harmonics, 1, MaxHarmonics), f);
    const double n = static_cast<double>(p.size());
    if (!(fit.amplitude > 0) || !(p.span > 0) || !(f > 0))
        return -1;
    const double sigmaF =
        std::sqrt(6 / n) * fit.residualRms / (std::numbers::pi * p.span * fit.amplitude);
    return sigmaF / (f * f);
}

void tagAliases(std::vector<Peak>& peaks, const Prepared& p, double span) {
    const double tol = 0.5 / span;
    for (std::size_t j = 0; j < peaks.size(); ++j) {
        const double fj = peaks[j].frequency;
        std::string note;
        for (std::size_t k = 0; k < j && note.empty(); ++k) {
            const double fk = peaks[k].frequency;
            const int ref = peaks[k].rank;
            // Both sides within the resolution: a refined frequency is far more
            // exact than that, so m times it would call unrelated peaks harmonics.
            for (int m = 2; m <= 3 && note.empty(); ++m) {
                if (near(fj, m * fk, tol))
                    note = tag("harmonic", ref);
                else if (near(fj * m, fk, m * tol))
                    note = tag("subharmonic", ref);
            }
            for (int m = 1; m <= 5 && note.empty(); ++m) {
                for (double day : {m * SolarDay, m * SiderealDay})
                    if (near(std::abs(fj - fk), day, tol) || near(fj + fk, day, tol))
                        note = tag("1/day alias", ref);
            }
            // Yearly aliases need seasons: more than a year of data.
            for (int m = 1; m <= 2 && note.empty() && span > 400; ++m) {
                const double year = m / SiderealYear;
                if (near(std::abs(fj - fk), year, tol) || near(fj + fk, year, tol))
                    note = tag("1/year alias", ref);
            }
        }
        // A peak the sampling alone makes: the window is near its own maximum.
        if (note.empty() && windowAt(p, fj) > 0.5)
            note = "sampling";
        peaks[j].note = note;
    }
}

std::vector<Peak> peakList(const Prepared& p, const SearchSettings& s, const Spectrum& spectrum,
                           double span, int threads) {
    const std::size_t wanted = static_cast<std::size_t>(std::max(0, s.peaks));
    const std::vector<std::size_t> picked = pickPeaks(spectrum, wanted, 1.0 / span);
    std::vector<Peak> peaks(picked.size());
    // Each peak on its own: shared out over the threads.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < picked.size();) {
            const RefinedPeak r =
                refine(p, s, spectrum.grid.frequency(picked[i]), spectrum.grid.step);
            peaks[i].frequency = r.frequency;
            peaks[i].period = 1 / r.frequency;
            peaks[i].power = r.value;
            peaks[i].sigmaPeriod =
                periodError(p, s.method == SearchMethod::Gls ? s.harmonics : 1, r.frequency);
        }
    };
    onThreads(
        std::clamp<std::size_t>(picked.size(), 1, static_cast<std::size_t>(std::max(threads, 1))),
        [&](std::size_t) { work(); });
    const bool higher = higherIsBetter(s.method);
    std::stable_sort(peaks.begin(), peaks.end(), [&](const Peak& a, const Peak& b) {
        return better(higher, a.power, b.power);
    });
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        Peak& peak = peaks[i];
        peak.rank = static_cast<int>(i + 1);
        if (s.method == SearchMethod::Gls)
            peak.fap = baluevFap(p, peak.power, spectrum.grid.fmax(), s.harmonics);
    }
    tagAliases(peaks, p, span);
    return peaks;
}

} // namespace varilume::detail
