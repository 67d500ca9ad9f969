#pragma once

// Weighted linear least squares by Householder QR, accumulated block by block
// so that a design matrix of a million rows is never held whole, and the
// Gauss–Newton iteration the non-linear fits (free frequencies, template
// shifts) build on. The normal equations are never formed: their condition is
// the square of the design matrix's.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace varilume {

/// The solution of min sum (y - A x)^2 over already weighted rows (each row and
/// its y multiplied by sqrt(w)).
struct LinearSolution {
    bool ok = false;
    std::string reason;             // set when not ok
    std::vector<double> x;          // p coefficients
    std::vector<double> covariance; // p x p, row-major, scaled by the residual variance
    double rss = 0;                 // sum of squared (weighted) residuals
    double variance = 0;            // rss / (rows - p): the scale of the covariance
    double condition = 0;           // 1-norm condition of the column-scaled design
    std::size_t rows = 0;
    double sigma(std::size_t i) const;
    double cov(std::size_t i, std::size_t j) const { return covariance[i * x.size() + j]; }
};

/// The triangular factor R and Q^T y of the rows added so far.
class QrAccumulator {
public:
    explicit QrAccumulator(std::size_t columns);

    /// Adds `rows` rows: a holds them column by column (a[j * rows + i] is row
    /// i, column j); a and y are overwritten.
    void addRows(double* a, double* y, std::size_t rows);
    /// Adds the rows another accumulator has taken in (for work split by threads).
    void merge(const QrAccumulator& other);

    /// The solution with the first `columns` columns only (0: all), which the
    /// same factor gives at no extra cost: nested models for an order search.
    LinearSolution solve(std::size_t columns = 0) const;

    std::size_t columns() const { return p_; }
    std::size_t rows() const { return rows_; }
    /// Sum of y^2 over the rows added (for a Gauss–Newton step: chi^2 now).
    double sumOfSquares() const { return yy_; }

private:
    std::size_t p_;
    std::vector<double> r_; // p x p upper triangle, row-major
    std::vector<double> z_; // Q^T y
    double rss_ = 0;        // the part of y no column can reach
    double yy_ = 0;
    std::size_t rows_ = 0;
};

/// Fills `count` weighted rows starting at row `first`: a is count x p column
/// by column (a[j * count + i]), y the weighted right-hand side (for a
/// Gauss–Newton step, the weighted residual).
using RowFiller = std::function<void(std::size_t first, std::size_t count, double* a, double* y)>;

/// Accumulates all n rows (in blocks, on up to `threads` threads; 0: every
/// core) and returns the factor.
QrAccumulator accumulateRows(std::size_t n, std::size_t p, const RowFiller& fill, int threads = 0);

/// Largest 1-norm condition number a fit accepts: beyond it the columns
/// cannot be told apart with these data and the numbers would mean nothing.
constexpr double MaxCondition = 1e10;

/// Gauss–Newton with step halving for a model whose parameters start at
/// `start`. jacobian(params) returns a filler for the weighted Jacobian and
/// weighted residual y - model at params; `limit` may reject parameters
/// (returns a reason, or empty). Stops when every step is below `tolerance`
/// standard errors. The covariance of the result is that of the last
/// linearisation, at the solution.
struct NonlinearSolution {
    bool ok = false;
    std::string reason;
    std::vector<double> params;
    LinearSolution last; // x: the last step; covariance and variance at the solution
    int iterations = 0;
    /// The parameters with the last, negligible step taken too: the point the
    /// covariance belongs to.
    std::vector<double> solution() const {
        std::vector<double> p = params;
        for (std::size_t j = 0; j < p.size() && j < last.x.size(); ++j)
            p[j] += last.x[j];
        return p;
    }
};
NonlinearSolution gaussNewton(std::vector<double> start, std::size_t n,
                              const std::function<RowFiller(const std::vector<double>&)>& jacobian,
                              const std::function<std::string(const std::vector<double>&)>& limit,
                              double tolerance = 1e-7, int maxIterations = 60, int threads = 0);

} // namespace varilume
