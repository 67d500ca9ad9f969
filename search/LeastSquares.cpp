#include "search/LeastSquares.h"
#include "search/Threads.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace varilume {

namespace {

// Rows per block: the block's columns stay in the first-level cache.
constexpr std::size_t BlockRows = 128;
// Below this many rows a second thread costs more than it saves.
constexpr std::size_t RowsPerThread = 20000;

// Inverse of an upper triangular q x q matrix (row-major, leading dimension ld).
std::vector<double> invertUpper(const std::vector<double>& r, std::size_t ld, std::size_t q) {
    std::vector<double> inv(q * q, 0.0);
    for (std::size_t j = q; j-- > 0;) {
        inv[j * q + j] = 1 / r[j * ld + j];
        for (std::size_t i = j; i-- > 0;) {
            double s = 0;
            for (std::size_t k = i + 1; k <= j; ++k)
                s += r[i * ld + k] * inv[k * q + j];
            inv[i * q + j] = -s / r[i * ld + i];
        }
    }
    return inv;
}

// Four partial sums: no chain of dependent additions, and pairs the
// compiler can put in one vector register.
double dot(const double* a, const double* b, std::size_t m) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    std::size_t i = 0;
    for (; i + 4 <= m; i += 4) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
    }
    for (; i < m; ++i)
        s0 += a[i] * b[i];
    return (s0 + s1) + (s2 + s3);
}

double columnNorm1(const std::vector<double>& m, std::size_t ld, std::size_t q,
                   const std::vector<double>& scale, bool lower) {
    double best = 0;
    for (std::size_t j = 0; j < q; ++j) {
        double s = 0;
        for (std::size_t i = 0; i < q; ++i)
            s += std::abs(lower ? m[i * ld + j] * scale[i] : m[i * ld + j] / scale[j]);
        best = std::max(best, s);
    }
    return best;
}

} // namespace

double LinearSolution::sigma(std::size_t i) const {
    return std::sqrt(std::max(0.0, cov(i, i)));
}

QrAccumulator::QrAccumulator(std::size_t columns)
    : p_(columns), r_(columns * columns), z_(columns) {}

void QrAccumulator::addRows(double* a, double* y, std::size_t m) {
    const std::size_t p = p_;
    yy_ += dot(y, y, m);
    for (std::size_t j = 0; j < p; ++j) {
        double* aj = a + j * m;
        const double ss = dot(aj, aj, m);
        if (ss == 0)
            continue; // the block adds nothing to this column
        const double rjj = r_[j * p + j];
        const double norm = std::sqrt(rjj * rjj + ss);
        const double alpha = rjj >= 0 ? -norm : norm;
        const double v0 = rjj - alpha;
        const double beta = 1 / (v0 * v0 + ss);
        // Reflect the other columns and y: x -= v (2 v.x / v.v).
        for (std::size_t k = j + 1; k < p; ++k) {
            double* ak = a + k * m;
            const double s = (v0 * r_[j * p + k] + dot(aj, ak, m)) * 2 * beta;
            r_[j * p + k] -= s * v0;
            for (std::size_t i = 0; i < m; ++i)
                ak[i] -= s * aj[i];
        }
        const double s = (v0 * z_[j] + dot(aj, y, m)) * 2 * beta;
        z_[j] -= s * v0;
        for (std::size_t i = 0; i < m; ++i)
            y[i] -= s * aj[i];
        r_[j * p + j] = alpha;
    }
    rss_ += dot(y, y, m);
    rows_ += m;
}

void QrAccumulator::merge(const QrAccumulator& other) {
    const std::size_t p = p_;
    std::vector<double> a(p * p), y(other.z_);
    for (std::size_t i = 0; i < p; ++i)
        for (std::size_t j = 0; j < p; ++j)
            a[j * p + i] = other.r_[i * p + j];
    const std::size_t rows = rows_ + other.rows_;
    const double yy = yy_ + other.yy_;
    addRows(a.data(), y.data(), p);
    rows_ = rows;
    yy_ = yy;
    rss_ += other.rss_;
}

LinearSolution QrAccumulator::solve(std::size_t q) const {
    const std::size_t p = p_;
    if (q == 0 || q > p)
        q = p;
    LinearSolution s;
    s.rows = rows_;
    if (rows_ <= q) {
        s.reason = "Too few observations for " + std::to_string(q) +
                   " parameters: " + std::to_string(rows_) + ".";
        return s;
    }
    for (std::size_t j = 0; j < q; ++j)
        if (!(r_[j * p + j] != 0) || !std::isfinite(r_[j * p + j])) {
            s.reason = "The observations cannot tell the model's terms apart.";
            return s;
        }
    const std::vector<double> inv = invertUpper(r_, p, q);
    // Condition of R with unit columns (the design with unit columns): the
    // columns' own scales (a time-weighted one beside a constant) do not count.
    std::vector<double> scale(q);
    for (std::size_t j = 0; j < q; ++j) {
        double n2 = 0;
        for (std::size_t i = 0; i <= j; ++i)
            n2 += r_[i * p + j] * r_[i * p + j];
        scale[j] = std::sqrt(n2);
    }
    s.condition = columnNorm1(r_, p, q, scale, false) * columnNorm1(inv, q, q, scale, true);
    if (!(s.condition <= MaxCondition)) {
        char number[32];
        std::snprintf(number, sizeof number, "%.2g", s.condition);
        s.reason = std::string("The observations cannot tell the model's terms apart ") +
                   "(condition number " + number + ").";
        return s;
    }
    s.x.assign(q, 0.0);
    for (std::size_t i = 0; i < q; ++i) {
        double v = 0;
        for (std::size_t k = i; k < q; ++k)
            v += inv[i * q + k] * z_[k];
        s.x[i] = v;
    }
    s.rss = rss_;
    for (std::size_t j = q; j < p; ++j)
        s.rss += z_[j] * z_[j];
    s.variance = s.rss / static_cast<double>(rows_ - q);
    // (R^T R)^-1 = R^-1 R^-T.
    s.covariance.assign(q * q, 0.0);
    for (std::size_t i = 0; i < q; ++i)
        for (std::size_t j = i; j < q; ++j) {
            double v = 0;
            for (std::size_t k = j; k < q; ++k)
                v += inv[i * q + k] * inv[j * q + k];
            s.covariance[i * q + j] = s.covariance[j * q + i] = v * s.variance;
        }
    s.ok = true;
    return s;
}

QrAccumulator accumulateRows(std::size_t n, std::size_t p, const RowFiller& fill, int threads) {
    const std::size_t parts = std::max<std::size_t>(
        1, std::min<std::size_t>(detail::threadsFor(threads), n / RowsPerThread));
    std::vector<QrAccumulator> acc(parts, QrAccumulator(p));
    detail::onThreads(parts, [&](std::size_t part) {
        std::vector<double> a(BlockRows * p), y(BlockRows);
        const std::size_t to = n * (part + 1) / parts;
        for (std::size_t first = n * part / parts; first < to; first += BlockRows) {
            const std::size_t count = std::min(BlockRows, to - first);
            fill(first, count, a.data(), y.data());
            acc[part].addRows(a.data(), y.data(), count);
        }
    });
    for (std::size_t k = 1; k < parts; ++k)
        acc[0].merge(acc[k]);
    return std::move(acc[0]);
}

NonlinearSolution gaussNewton(std::vector<double> params, std::size_t n,
                              const std::function<RowFiller(const std::vector<double>&)>& jacobian,
                              const std::function<std::string(const std::vector<double>&)>& limit,
                              double tolerance, int maxIterations, int threads) {
    NonlinearSolution out;
    const std::size_t p = params.size();
    QrAccumulator acc = accumulateRows(n, p, jacobian(params), threads);
    double largest = INFINITY; // the largest step in standard errors
    for (int it = 1; it <= maxIterations; ++it) {
        out.iterations = it;
        const LinearSolution step = acc.solve();
        out.params = params;
        out.last = step;
        if (!step.ok) {
            out.reason = step.reason;
            return out;
        }
        largest = 0;
        for (std::size_t j = 0; j < p; ++j)
            largest = std::max(largest, std::abs(step.x[j]) / std::max(step.sigma(j), 1e-300));
        if (largest <= tolerance) {
            out.ok = true;
            return out;
        }
        // Take the step, halved while it does not lower the sum of squares.
        bool taken = false;
        const bool trusted = acc.sumOfSquares() - step.rss <= 1e-10 * acc.sumOfSquares();
        double factor = 1;
        for (int halving = 0; halving < 40 && !taken; ++halving, factor /= 2) {
            std::vector<double> trial = params;
            for (std::size_t j = 0; j < p; ++j)
                trial[j] += factor * step.x[j];
            if (limit) {
                const std::string why = limit(trial);
                if (!why.empty()) {
                    out.reason = why;
                    continue;
                }
            }
            QrAccumulator next = accumulateRows(n, p, jacobian(trial), threads);
            // When the linear model promises a drop below the rounding of the
            // sum itself, the sums cannot judge the step: it is taken on trust.
            if (trusted || next.sumOfSquares() <= acc.sumOfSquares()) {
                params = std::move(trial);
                acc = std::move(next);
                taken = true;
            }
        }
        if (!taken) {
            // No step lowers the sum: at the minimum as far as rounding can
            // tell, unless the step was still large.
            out.ok = largest < 1e-2 && out.reason.empty();
            if (!out.ok && out.reason.empty())
                out.reason = "The fit did not converge.";
            return out;
        }
        out.reason.clear();
    }
    // Steps that stay this small are rounding going round in circles.
    out.ok = largest < 1e-4;
    if (!out.ok)
        out.reason = "The fit did not converge in " + std::to_string(maxIterations) + " steps.";
    return out;
}

} // namespace varilume
