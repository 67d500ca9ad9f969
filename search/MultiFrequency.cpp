#include "search/MultiFrequency.h"

#include "search/FitPoints.h"
#include "search/LeastSquares.h"

#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

using detail::FitPoints;
using detail::turnAngle;
using detail::TwoPi;

// Rows for the parameters c, a_j, b_j (j = 1..N), f_j: the linear fit at fixed
// frequencies (y = data) or the Gauss–Newton step (y = residual, f columns).
RowFiller termRows(const FitPoints& pts, const std::vector<double>& params, std::size_t N,
                   bool step) {
    return [&pts, &params, N, step](std::size_t first, std::size_t count, double* a, double* y) {
        const std::size_t ld = count;
        for (std::size_t r = 0; r < count; ++r) {
            const std::size_t i = first + r;
            const double w = pts.sw[i];
            double model = params[0];
            a[r] = w;
            for (std::size_t j = 0; j < N; ++j) {
                const double th = turnAngle(params[2 * N + 1 + j], pts.x[i]);
                const double c = std::cos(th), s = std::sin(th);
                a[(2 * j + 1) * ld + r] = w * c;
                a[(2 * j + 2) * ld + r] = w * s;
                if (step) {
                    const double aj = params[2 * j + 1], bj = params[2 * j + 2];
                    model += aj * c + bj * s;
                    a[(2 * N + 1 + j) * ld + r] = w * TwoPi * pts.x[i] * (bj * c - aj * s);
                }
            }
            y[r] = w * (step ? pts.y[i] - model : pts.y[i]);
        }
    };
}

double termsAt(const std::vector<double>& params, std::size_t N, double x) {
    double v = 0;
    for (std::size_t j = 0; j < N; ++j) {
        const double th = turnAngle(params[2 * N + 1 + j], x);
        v += params[2 * j + 1] * std::cos(th) + params[2 * j + 2] * std::sin(th);
    }
    return v;
}

double sigmaOf(const std::vector<double>& g, const std::vector<double>& cov) {
    const std::size_t p = g.size();
    double v = 0;
    for (std::size_t i = 0; i < p; ++i)
        for (std::size_t j = 0; j < p; ++j)
            v += g[i] * cov[i * p + j] * g[j];
    return std::sqrt(std::max(0.0, v));
}

} // namespace

MultiFrequencyFit fitFrequencies(const SearchData& data, const std::vector<double>& start,
                                 bool useWeights, int threads) {
    MultiFrequencyFit fit;
    FitPoints pts;
    if (std::string why = detail::readFitPoints(data, useWeights, pts); !why.empty()) {
        fit.reason = why;
        return fit;
    }
    const std::size_t N = start.size(), n = pts.size();
    if (N == 0) {
        fit.reason = "No frequencies to fit.";
        return fit;
    }
    for (double f : start)
        if (!(f > 0) || !std::isfinite(f)) {
            fit.reason = "A frequency to fit is not a positive number.";
            return fit;
        }
    // Amplitudes at the start frequencies by linear least squares, then all free.
    std::vector<double> params(3 * N + 1, 0.0);
    std::copy(start.begin(), start.end(), params.begin() + static_cast<long>(2 * N + 1));
    const LinearSolution linear =
        accumulateRows(n, 2 * N + 1, termRows(pts, params, N, false), threads).solve();
    if (!linear.ok) {
        fit.reason = linear.reason;
        return fit;
    }
    std::copy(linear.x.begin(), linear.x.end(), params.begin());
    const double reach = 1 / std::max(pts.span, 1e-9);
    std::vector<double> at; // the parameters the rows are built at
    const NonlinearSolution s = gaussNewton(
        params, n,
        [&](const std::vector<double>& p) {
            at = p;
            return termRows(pts, at, N, true);
        },
        [&](const std::vector<double>& p) {
            for (std::size_t j = 0; j < N; ++j)
                if (std::abs(p[2 * N + 1 + j] - start[j]) > reach)
                    return std::string("A frequency does not settle near its start value.");
            return std::string();
        },
        1e-9, 80, threads);
    if (!s.ok) {
        fit.reason = s.reason;
        return fit;
    }
    fit.params = s.solution();
    fit.covariance = s.last.covariance;
    fit.tm = pts.tm;
    const std::vector<double>& p = fit.params;
    fit.mean = {p[0], s.last.sigma(0)};
    for (std::size_t j = 0; j < N; ++j) {
        FrequencyTerm t;
        const std::size_t ia = 2 * j + 1, ib = 2 * j + 2, jf = 2 * N + 1 + j;
        const double a = p[ia], b = p[ib], f = p[jf];
        const double A = std::hypot(a, b);
        std::vector<double> gA(p.size(), 0.0), gPhi(p.size(), 0.0);
        gA[ia] = a / A;
        gA[ib] = b / A;
        gPhi[ia] = b / (A * A);
        gPhi[ib] = -a / (A * A);
        t.frequency = {f, s.last.sigma(jf)};
        t.period = {1 / f, t.frequency.sigma / (f * f)};
        t.amplitude = {A, sigmaOf(gA, fit.covariance)};
        t.phase = {detail::wrapAngle(std::atan2(a, b)), sigmaOf(gPhi, fit.covariance)};
        fit.terms.push_back(t);
    }
    fit.residuals.resize(n);
    double wrr = 0;
    for (std::size_t i = 0; i < n; ++i) {
        fit.residuals[i] = pts.y[i] - p[0] - termsAt(p, N, pts.x[i]);
        wrr += pts.sw[i] * pts.sw[i] * fit.residuals[i] * fit.residuals[i];
    }
    fit.rms = std::sqrt(wrr / pts.wsum);
    fit.ok = true;
    return fit;
}

double multiFrequencyModel(const MultiFrequencyFit& fit, double t) {
    return termsAt(fit.params, fit.terms.size(), t - fit.tm);
}

SearchData subtractTerms(const SearchData& data, const MultiFrequencyFit& fit) {
    SearchData out = data;
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    out.mags.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        out.mags[i] = data.mags[i] - multiFrequencyModel(fit, data.times[i]);
    return out;
}

MultiFrequencyFit prewhitenStep(const SearchData& data, const MultiFrequencyFit& fit,
                                const SearchSettings& search) {
    const SearchData residual = fit.terms.empty() ? data : subtractTerms(data, fit);
    SearchSettings settings = search;
    settings.peaks = 1;
    const SearchResult found = runSearch(residual, settings);
    MultiFrequencyFit out;
    if (!found.ok() || found.peaks.empty()) {
        out.reason =
            found.reason.empty() ? "The search of the residuals found no peak." : found.reason;
        return out;
    }
    std::vector<double> start;
    for (const FrequencyTerm& t : fit.terms)
        start.push_back(t.frequency.value);
    start.push_back(found.peaks.front().frequency);
    return fitFrequencies(data, start, search.useWeights, search.threads);
}

MultiFrequencyFit prewhiten(const SearchData& data, int count, const SearchSettings& search) {
    MultiFrequencyFit fit;
    for (int k = 0; k < count; ++k) {
        MultiFrequencyFit next = prewhitenStep(data, fit, search);
        if (!next.ok) {
            next.reason = "Frequency " + std::to_string(k + 1) + ": " + next.reason;
            return next;
        }
        fit = std::move(next);
    }
    if (fit.ok) {
        const auto [lo, hi] = std::minmax_element(data.times.begin(), data.times.end());
        tagCombinations(fit.terms, 1 / std::max(*hi - *lo, 1e-9));
        computeSnr(data, fit, search.useWeights);
    }
    return fit;
}

void tagCombinations(std::vector<FrequencyTerm>& terms, double resolution) {
    for (std::size_t j = 1; j < terms.size(); ++j) {
        const double f = terms[j].frequency.value;
        std::string best;
        double bestOrder = 1e9, bestMiss = 1e9;
        auto consider = [&](int n1, std::size_t a, int n2, std::size_t b) {
            const double combo = n1 * terms[a].frequency.value + n2 * terms[b].frequency.value;
            const double miss = std::abs(f - combo);
            const int order = std::abs(n1) + std::abs(n2);
            if (combo <= 0 || miss > resolution)
                return;
            if (order > bestOrder || (order == bestOrder && miss >= bestMiss))
                return;
            auto part = [](int n, std::size_t i, bool first) {
                std::string s = n < 0 ? "-" : (first ? "" : "+");
                if (std::abs(n) != 1)
                    s += std::to_string(std::abs(n));
                return s + "f" + std::to_string(i + 1);
            };
            best = n2 == 0  ? part(n1, a, true)
                   : n1 > 0 ? part(n1, a, true) + part(n2, b, false)
                            : part(n2, b, true) + part(n1, a, false);
            bestOrder = order;
            bestMiss = miss;
        };
        for (std::size_t a = 0; a < j; ++a) {
            for (int k = 2; k <= 5; ++k)
                consider(k, a, 0, a);
            for (std::size_t b = a + 1; b < j; ++b)
                for (int n1 = -2; n1 <= 2; ++n1)
                    for (int n2 = -2; n2 <= 2; ++n2)
                        if (n1 != 0 && n2 != 0 && std::abs(n1) + std::abs(n2) <= 3)
                            consider(n1, a, n2, b);
        }
        terms[j].note = best;
    }
}

void computeSnr(const SearchData& data, MultiFrequencyFit& fit, bool useWeights) {
    FitPoints pts;
    if (!detail::readFitPoints(data, useWeights, pts).empty() || fit.residuals.size() != pts.size())
        return;
    const std::size_t n = pts.size();
    // Steps of a fifth of the resolution, at most 20,000 per box.
    const double step = std::max(1 / (5 * std::max(pts.span, 1e-9)), SnrBox / 20000);
    for (FrequencyTerm& term : fit.terms) {
        const double f = term.frequency.value;
        const double lo = std::max(step, f - SnrBox / 2), hi = f + SnrBox / 2;
        const auto count = static_cast<std::size_t>((hi - lo) / step) + 1;
        std::vector<double> re(count), im(count);
        // exp(-2 pi i nu x) along the box by rotation, re-anchored every 256 steps.
        for (std::size_t i = 0; i < n; ++i) {
            const double wr = pts.sw[i] * pts.sw[i] * fit.residuals[i];
            const double d = -turnAngle(step, pts.x[i]);
            const double tr = std::cos(d), ti = std::sin(d);
            double er = 1, ei = 0;
            for (std::size_t k = 0; k < count; ++k) {
                if (k % 256 == 0) {
                    const double a = -turnAngle(lo + step * static_cast<double>(k), pts.x[i]);
                    er = std::cos(a);
                    ei = std::sin(a);
                }
                re[k] += wr * er;
                im[k] += wr * ei;
                const double nr = er * tr - ei * ti;
                ei = er * ti + ei * tr;
                er = nr;
            }
        }
        double noise = 0;
        for (std::size_t k = 0; k < count; ++k)
            noise += 2 * std::hypot(re[k], im[k]) / pts.wsum;
        noise /= static_cast<double>(count);
        term.snr = noise > 0 ? term.amplitude.value / noise : 0;
    }
}

} // namespace varilume
