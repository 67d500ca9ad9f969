#include "search/FourierFit.h"

#include "search/FitPoints.h"
#include "search/LeastSquares.h"
#include "search/Threads.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace varilume {

namespace {

// Below this many observations a second thread costs more than it saves.
constexpr std::size_t ResidualsPerThread = 50000;

using detail::FitPoints;
using detail::turnAngle;
using detail::TwoPi;
using detail::wrapAngle;

// cos k theta, sin k theta for k = 1..K by the angle-addition recurrence.
void harmonics(double theta, int K, double* c, double* s) {
    const double c1 = std::cos(theta), s1 = std::sin(theta);
    c[0] = c1;
    s[0] = s1;
    for (int k = 1; k < K; ++k) {
        c[k] = c[k - 1] * c1 - s[k - 1] * s1;
        s[k] = s[k - 1] * c1 + c[k - 1] * s1;
    }
}

// Rows of the linear fit at frequency f with K harmonics, or of the
// Gauss–Newton step (residuals and the f column) when coef is given.
RowFiller fourierRows(const FitPoints& pts, double f, int K, const std::vector<double>* coef) {
    return [&pts, f, K, coef](std::size_t first, std::size_t count, double* a, double* y) {
        double c[MaxFourierOrder], s[MaxFourierOrder];
        const std::size_t ld = count;
        for (std::size_t r = 0; r < count; ++r) {
            const std::size_t i = first + r;
            const double w = pts.sw[i];
            harmonics(turnAngle(f, pts.x[i]), K, c, s);
            a[r] = w;
            for (int k = 0; k < K; ++k) {
                a[(2 * k + 1) * ld + r] = w * c[k];
                a[(2 * k + 2) * ld + r] = w * s[k];
            }
            if (!coef) {
                y[r] = w * pts.y[i];
                continue;
            }
            const std::vector<double>& b = *coef;
            double model = b[0], slope = 0;
            for (int k = 0; k < K; ++k) {
                model += b[2 * k + 1] * c[k] + b[2 * k + 2] * s[k];
                slope += (k + 1) * (b[2 * k + 2] * c[k] - b[2 * k + 1] * s[k]);
            }
            a[(2 * K + 1) * ld + r] = w * TwoPi * pts.x[i] * slope;
            y[r] = w * (pts.y[i] - model);
        }
    };
}

// The series in theta (the angle from tm) and its first two derivatives.
struct Series {
    const std::vector<double>& b;
    int K;
    double value(double th) const {
        double v = b[0];
        for (int k = 1; k <= K; ++k)
            v += b[2 * k - 1] * std::cos(k * th) + b[2 * k] * std::sin(k * th);
        return v;
    }
    double d1(double th) const {
        double v = 0;
        for (int k = 1; k <= K; ++k)
            v += k * (b[2 * k] * std::cos(k * th) - b[2 * k - 1] * std::sin(k * th));
        return v;
    }
    double d2(double th) const {
        double v = 0;
        for (int k = 1; k <= K; ++k)
            v -= k * k * (b[2 * k - 1] * std::cos(k * th) + b[2 * k] * std::sin(k * th));
        return v;
    }
    // The least (sign +1) or greatest (-1) value's angle in [from, from + 2 pi).
    double extreme(double from, double sign) const {
        constexpr int Steps = 2048;
        double best = from, bestValue = sign * value(from);
        for (int i = 1; i < Steps; ++i) {
            const double th = from + TwoPi * i / Steps;
            const double v = sign * value(th);
            if (v < bestValue) {
                bestValue = v;
                best = th;
            }
        }
        for (int it = 0; it < 50; ++it) {
            const double h = d2(best);
            if (!(sign * h > 0))
                break;
            const double step = std::clamp(-d1(best) / h, -TwoPi / Steps, TwoPi / Steps);
            best += step;
            if (std::abs(step) < 1e-15)
                break;
        }
        return best;
    }
};

double modelFromMiddle(const FourierFit& fit, double x);

double quadraticForm(const std::vector<double>& g, const std::vector<double>& cov) {
    const std::size_t p = g.size();
    double v = 0;
    for (std::size_t i = 0; i < p; ++i)
        for (std::size_t j = 0; j < p; ++j)
            v += g[i] * cov[i * p + j] * g[j];
    return std::sqrt(std::max(0.0, v));
}

// Everything the table shows, from the coefficients, with errors by the chain rule.
void describe(FourierFit& fit) {
    const int K = fit.order;
    const std::vector<double>& b = fit.coefficients;
    const std::size_t np = b.size();
    const double f = fit.frequency.value;
    const Series series{b, K};
    auto sigma = [&](const std::vector<double>& g) { return quadraticForm(g, fit.covariance); };

    fit.mean = {b[0], std::sqrt(std::max(0.0, fit.covariance[0]))};

    const double thMax = series.extreme(-std::numbers::pi, +1);
    const double thMin = series.extreme(thMax, -1);
    // d theta*/d b_j from m'(theta*) = 0: -(d m'/d b_j) / m''.
    auto angleGradient = [&](double th) {
        std::vector<double> g(np, 0.0);
        const double h = series.d2(th);
        for (int k = 1; k <= K; ++k) {
            g[2 * k - 1] = k * std::sin(k * th) / h;
            g[2 * k] = -k * std::cos(k * th) / h;
        }
        return g;
    };
    auto epoch = [&](double th) {
        Estimate e;
        e.value = fit.tm + th / (TwoPi * f);
        std::vector<double> g = angleGradient(th);
        for (double& v : g)
            v /= TwoPi * f;
        if (np > static_cast<std::size_t>(2 * K + 1))
            g[2 * K + 1] = -th / (TwoPi * f * f);
        e.sigma = sigma(g);
        return e;
    };
    fit.epochMax = epoch(thMax);
    fit.epochMin = epoch(thMin);
    {
        std::vector<double> g(np, 0.0);
        for (int k = 1; k <= K; ++k) {
            g[2 * k - 1] = std::cos(k * thMin) - std::cos(k * thMax);
            g[2 * k] = std::sin(k * thMin) - std::sin(k * thMax);
        }
        fit.amplitude = {series.value(thMin) - series.value(thMax), sigma(g)};
    }

    // a cos k th + b sin k th = A sin(k th + psi), psi = atan2(a, b); from T0:
    // phi_k = psi_k + k theta*.
    const std::vector<double> gMax = angleGradient(thMax);
    std::vector<std::vector<double>> gA(K + 1), gPsi(K + 1);
    std::vector<double> A(K + 1), psi(K + 1);
    fit.amplitudes.clear();
    fit.phases.clear();
    for (int k = 1; k <= K; ++k) {
        const double a = b[2 * k - 1], c = b[2 * k];
        A[k] = std::hypot(a, c);
        psi[k] = std::atan2(a, c);
        gA[k].assign(np, 0.0);
        gPsi[k].assign(np, 0.0);
        gA[k][2 * k - 1] = a / A[k];
        gA[k][2 * k] = c / A[k];
        gPsi[k][2 * k - 1] = c / (A[k] * A[k]);
        gPsi[k][2 * k] = -a / (A[k] * A[k]);
        std::vector<double> gPhi = gPsi[k];
        for (std::size_t j = 0; j < np; ++j)
            gPhi[j] += k * gMax[j];
        fit.amplitudes.push_back({A[k], sigma(gA[k])});
        fit.phases.push_back({wrapAngle(psi[k] + k * thMax), sigma(gPhi)});
    }
    auto ratio = [&](int k) {
        if (K < k)
            return Estimate{std::nan(""), -1};
        std::vector<double> g(np);
        for (std::size_t j = 0; j < np; ++j)
            g[j] = gA[k][j] / A[1] - A[k] / (A[1] * A[1]) * gA[1][j];
        return Estimate{A[k] / A[1], sigma(g)};
    };
    auto phaseDifference = [&](int k) {
        if (K < k)
            return Estimate{std::nan(""), -1};
        std::vector<double> g(np);
        for (std::size_t j = 0; j < np; ++j)
            g[j] = gPsi[k][j] - k * gPsi[1][j];
        return Estimate{wrapAngle(psi[k] - k * psi[1]), sigma(g)};
    };
    fit.r21 = ratio(2);
    fit.r31 = ratio(3);
    fit.phi21 = phaseDifference(2);
    fit.phi31 = phaseDifference(3);
}

} // namespace

FourierFit fitFourier(const SearchData& data, const FourierSettings& settings) {
    FourierFit fit;
    const double f0 = settings.frequency;
    if (!(f0 > 0) || !std::isfinite(f0)) {
        fit.reason = "The period must be a positive number of days.";
        return fit;
    }
    if (settings.order < 0 || settings.order > MaxFourierOrder) {
        fit.reason = "The order must be 1 to " + std::to_string(MaxFourierOrder) + ".";
        return fit;
    }
    FitPoints pts;
    if (std::string why = detail::readFitPoints(data, settings.useWeights, pts); !why.empty()) {
        fit.reason = why;
        return fit;
    }
    const std::size_t n = pts.x.size();
    const int extra = settings.freeFrequency ? 1 : 0;
    // At least one degree of freedom left for the residual variance.
    const int most = static_cast<int>(std::min<std::size_t>(
        MaxFourierOrder, n >= static_cast<std::size_t>(3 + extra) ? (n - 2 - extra) / 2 : 0));
    const int wanted = settings.order == 0 ? most : settings.order;
    if (most < 1 || wanted > most) {
        fit.reason = "Too few observations for a Fourier fit of order " +
                     std::to_string(std::max(wanted, 1)) + ": " + std::to_string(n) + ".";
        return fit;
    }

    // Orders 1..wanted share one factorisation (the columns are nested).
    const QrAccumulator acc =
        accumulateRows(n, 2 * wanted + 1, fourierRows(pts, f0, wanted, nullptr), settings.threads);
    const double logn = std::log(static_cast<double>(n));
    auto bic = [&](double rss, std::size_t params) {
        return static_cast<double>(n) * std::log(rss / pts.wsum) +
               static_cast<double>(params) * logn;
    };
    int K = wanted;
    LinearSolution linear;
    if (settings.order == 0) {
        double best = INFINITY;
        for (int k = 1; k <= wanted; ++k) {
            LinearSolution s = acc.solve(2 * k + 1);
            if (!s.ok)
                break;
            const double b = bic(s.rss, 2 * k + 1 + extra);
            if (b < best) {
                best = b;
                K = k;
                linear = std::move(s);
            }
        }
    } else {
        linear = acc.solve();
    }
    if (!linear.ok) {
        fit.reason = linear.reason;
        return fit;
    }

    fit.order = K;
    fit.tm = pts.tm;
    fit.weighted = pts.weighted;
    fit.points = n;
    fit.frequency = {f0, -1};
    fit.coefficients = linear.x;
    fit.covariance = linear.covariance;
    double rss = linear.rss;
    if (settings.freeFrequency) {
        std::vector<double> start = linear.x;
        start.push_back(f0);
        const double reach = 1 / std::max(pts.span, 1e-9);
        std::vector<double> coef; // the model coefficients the rows are built at
        const NonlinearSolution s = gaussNewton(
            start, n,
            [&](const std::vector<double>& params) {
                coef.assign(params.begin(), params.end() - 1);
                return fourierRows(pts, params.back(), K, &coef);
            },
            [&](const std::vector<double>& params) {
                return std::abs(params.back() - f0) <= reach
                           ? std::string()
                           : std::string("The period does not settle near the one given.");
            },
            1e-9, 60, settings.threads);
        if (!s.ok) {
            fit.reason = s.reason;
            return fit;
        }
        fit.coefficients = s.solution();
        fit.covariance = s.last.covariance;
        const double fFit = fit.coefficients.back();
        fit.frequency = {fFit, s.last.sigma(fit.coefficients.size() - 1)};
        rss = s.last.rss;
    }
    const double f = fit.frequency.value;
    fit.period = {1 / f, fit.frequency.sigma < 0 ? -1 : fit.frequency.sigma / (f * f)};
    const std::size_t params = fit.coefficients.size();
    fit.bic = bic(rss, params);

    describe(fit);

    fit.residuals.resize(n);
    // The model at every observation costs as much as a factorisation at a
    // million of them: shared over the threads like the rows were.
    const std::size_t parts =
        std::clamp<std::size_t>(n / ResidualsPerThread, 1, detail::threadsFor(settings.threads));
    std::vector<double> partWrr(parts, 0.0);
    detail::onThreads(parts, [&](std::size_t part) {
        double sum = 0;
        for (std::size_t i = n * part / parts; i < n * (part + 1) / parts; ++i) {
            fit.residuals[i] = pts.y[i] - modelFromMiddle(fit, pts.x[i]);
            sum += pts.sw[i] * pts.sw[i] * fit.residuals[i] * fit.residuals[i];
        }
        partWrr[part] = sum;
    });
    double wrr = 0;
    for (double part : partWrr)
        wrr += part;
    const double rms = std::sqrt(wrr / pts.wsum);
    fit.rms = {rms, rms / std::sqrt(2.0 * static_cast<double>(n - params))};
    fit.ok = true;
    return fit;
}

double fourierModel(const FourierFit& fit, double t) {
    return modelFromMiddle(fit, t - fit.tm);
}

namespace {

double modelFromMiddle(const FourierFit& fit, double x) {
    double c[MaxFourierOrder], s[MaxFourierOrder];
    harmonics(turnAngle(fit.frequency.value, x), fit.order, c, s);
    const std::vector<double>& b = fit.coefficients;
    double v = b[0];
    for (int k = 0; k < fit.order; ++k)
        v += b[2 * k + 1] * c[k] + b[2 * k + 2] * s[k];
    return v;
}

} // namespace

double fourierSlope(const FourierFit& fit, double t) {
    double c[MaxFourierOrder], s[MaxFourierOrder];
    harmonics(turnAngle(fit.frequency.value, t - fit.tm), fit.order, c, s);
    const std::vector<double>& b = fit.coefficients;
    double v = 0;
    for (int k = 0; k < fit.order; ++k)
        v += (k + 1) * (b[2 * k + 2] * c[k] - b[2 * k + 1] * s[k]);
    return v * TwoPi * fit.frequency.value;
}

std::vector<double> fourierCurve(const FourierFit& fit, int points) {
    std::vector<double> out;
    if (!fit.ok || points <= 0)
        return out;
    out.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i)
        out.push_back(fourierModel(fit, fit.epochMax.value + fit.period.value * i / points));
    return out;
}

SearchData subtractModel(const SearchData& data, const FourierFit& fit) {
    SearchData out = data;
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    out.times.resize(n);
    out.mags.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        out.mags[i] = data.mags[i] - fourierModel(fit, data.times[i]) + fit.mean.value;
    return out;
}

} // namespace varilume
