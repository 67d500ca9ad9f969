#pragma once

// A type-1 non-uniform FFT in one dimension: F(k) = sum_j c_j exp(i k x_j) for
// the modes k = -K/2 ... K - K/2 - 1, where the positions x_j are given in
// turns (x_j = 2 pi u_j). Each point is spread onto a uniform grid twice as
// fine with the "exponential of semicircle" kernel exp(beta (sqrt(1 - z^2) - 1))
// (Barnett, Magland & af Klinteberg 2019), one FFT (FFTW) transforms the grid,
// and dividing by the kernel's Fourier transform undoes the spreading. The
// error is about 1e-14 of sum |c_j|.

#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace varilume::detail {

using Complex = std::complex<double>;

class Nufft1 {
public:
    /// A plan for this many modes; sets is how many strength sets share the
    /// positions of one transform (each gets its own FFT). measured: the FFT
    /// planned by timing (see SearchSettings::measureFft).
    Nufft1(std::size_t modes, int sets, bool measured = false);
    ~Nufft1();
    Nufft1(const Nufft1&) = delete;
    Nufft1& operator=(const Nufft1&) = delete;

    std::size_t modes() const { return modes_; }
    std::size_t gridSize() const { return grid_; }
    int sets() const { return sets_; }

    /// The scratch one thread needs for transform(): the fine grids, aligned
    /// as FFTW's plan expects.
    struct GridDelete {
        void operator()(Complex* p) const;
    };
    class Work {
        friend class Nufft1;
        std::vector<std::unique_ptr<Complex[], GridDelete>> grids;
    };
    std::unique_ptr<Work> workspace() const;
    /// Bytes a workspace holds (for the memory bound).
    std::size_t workspaceBytes() const;

    /// For every set s < used (used <= sets()): out[s][k + K/2] = sum_j c[s][j] exp(2 pi i k u_j)
    /// with u_j = turns[j] + low[j] (low may be empty). turns[j] may be any finite number (only
    /// its fraction matters); low carries the rounding error of turns, which the highest modes
    /// (tens of thousands of turns) would otherwise multiply up to 1e-12.
    void transform(Work& work, std::span<const double> turns, std::span<const double> low,
                   std::span<const Complex* const> strengths, std::span<Complex* const> out) const;

    /// Where each point lands on the fine grid and its kernel weights there:
    /// worked out once for positions that many transforms share (every
    /// segment of a search spreads the same times), so that spreading is then
    /// multiply-adds only.
    struct Spread {
        std::vector<std::uint32_t> at; // first fine-grid index touched, padding included
        std::vector<double> ker;       // Width weights per point
        std::size_t points() const { return at.size(); }
        std::size_t bytes() const {
            return at.size() * (sizeof(std::uint32_t) + Width * sizeof(double));
        }
    };
    /// The spread of positions turns + low (as for transform below).
    Spread spread(std::span<const double> turns, std::span<const double> low) const;
    /// transform() for positions already spread.
    void transform(Work& work, const Spread& spread, std::span<const Complex* const> strengths,
                   std::span<Complex* const> out) const;

    /// Grid points the kernel covers: error about 10^-(Width - 1).
    static constexpr int Width = 15;

private:
    std::size_t modes_;
    std::size_t grid_;
    int sets_;
    double beta_;
    std::vector<double> deconvolve_; // 1 / kernel transform, per mode
    void* plan_ = nullptr;           // fftw_plan

    // The kernel weights of one point and the first grid index (padding included).
    std::uint32_t weights(double turns, double low, double* ker) const;
    void clear(Work& work, std::size_t used) const;
    // Folds the padding back, transforms and deconvolves into out.
    void finish(Work& work, std::span<Complex* const> out, std::size_t used) const;
};

} // namespace varilume::detail
