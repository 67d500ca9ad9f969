#include "search/Nufft.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <numbers>

namespace varilume::detail {

namespace {

// Grid points beyond each end of the fine grid that spreading may touch; they
// are folded back (the grid is periodic) before the FFT.
constexpr std::size_t Pad = 16;
static_assert(Pad >= Nufft1::Width);
// Shape for a grid twice as fine as the modes (Barnett et al. 2019, section 4):
// error about 10^-(width - 1).
constexpr double BetaPerWidth = 2.30;
constexpr std::size_t Alignment = 64;

// FFTW's planner is not thread-safe; executing a plan is.
std::mutex& plannerLock() {
    static std::mutex lock;
    return lock;
}

// The smallest 2^a 3^b 5^c at least n: sizes FFTW transforms fastest.
std::size_t niceSize(std::size_t n) {
    for (std::size_t m = std::max<std::size_t>(n, 2);; ++m) {
        std::size_t r = m;
        for (std::size_t p : {2, 3, 5})
            while (r % p == 0)
                r /= p;
        if (r == 1)
            return m;
    }
}

// Gauss-Legendre nodes and weights on [-1, 1] (Newton on the Legendre polynomial).
void gaussLegendre(int n, std::vector<double>& x, std::vector<double>& w) {
    x.assign(n, 0);
    w.assign(n, 0);
    for (int i = 0; i < (n + 1) / 2; ++i) {
        double z = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
        double dp = 1;
        for (int it = 0; it < 100; ++it) {
            double p0 = 1, p1 = z;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (z * p1 - p0) / (z * z - 1);
            const double dz = p1 / dp;
            z -= dz;
            if (std::abs(dz) < 1e-16)
                break;
        }
        x[i] = -z;
        x[n - 1 - i] = z;
        w[i] = w[n - 1 - i] = 2 / ((1 - z * z) * dp * dp);
    }
}

using AlignedGrid = std::unique_ptr<Complex[], Nufft1::GridDelete>;

AlignedGrid alignedGrid(std::size_t n) {
    auto* raw =
        static_cast<Complex*>(::operator new[](n * sizeof(Complex), std::align_val_t{Alignment}));
    return AlignedGrid(raw);
}

} // namespace

void Nufft1::GridDelete::operator()(Complex* p) const {
    ::operator delete[](p, std::align_val_t{Alignment});
}

Nufft1::Nufft1(std::size_t modes, int sets, bool measured)
    : modes_(std::max<std::size_t>(modes, 1)),
      grid_(niceSize(std::max<std::size_t>(2 * modes_, 4 * Width))), sets_(std::max(sets, 1)),
      beta_(BetaPerWidth * Width) {
    // The kernel's Fourier transform at every mode k: its integral over
    // [-1, 1] (Gauss-Legendre; the kernel is even, so cosines only) with the
    // cosines advanced by rotation, re-anchored exactly now and then.
    const double half = Width / 2.0;
    std::vector<double> x, wq;
    gaussLegendre(2 * (2 + 3 * Width / 2), x, wq);
    const std::size_t q = x.size() / 2; // the positive nodes
    std::vector<double> phi(q), wz(q);
    std::vector<Complex> rot(q), z(q);
    const double scale = 2 * std::numbers::pi * half / static_cast<double>(grid_);
    for (std::size_t i = 0; i < q; ++i) {
        const double node = x[x.size() - 1 - i];
        phi[i] = std::exp(beta_ * (std::sqrt(std::max(0.0, 1 - node * node)) - 1));
        wz[i] = node * scale;
        rot[i] = std::polar(1.0, wz[i]);
    }
    deconvolve_.resize(modes_);
    const long long lo = -static_cast<long long>(modes_ / 2);
    for (std::size_t m = 0; m < modes_; ++m) {
        const long long k = lo + static_cast<long long>(m);
        double sum = 0;
        for (std::size_t i = 0; i < q; ++i) {
            if (m % 256 == 0)
                z[i] = std::polar(1.0, wz[i] * static_cast<double>(k));
            else
                z[i] *= rot[i];
            sum += wq[x.size() - 1 - i] * phi[i] * z[i].real();
        }
        deconvolve_[m] = 1 / (2 * half * sum);
    }
    AlignedGrid probe = alignedGrid(grid_ + 2 * Pad);
    auto* data = reinterpret_cast<fftw_complex*>(probe.get() + Pad);
    std::lock_guard lock(plannerLock());
    // A length measured once is planned from FFTW's wisdom after: at once.
    plan_ = fftw_plan_dft_1d(static_cast<int>(grid_), data, data, FFTW_BACKWARD,
                             measured ? FFTW_MEASURE : FFTW_ESTIMATE);
}

Nufft1::~Nufft1() {
    std::lock_guard lock(plannerLock());
    fftw_destroy_plan(static_cast<fftw_plan>(plan_));
}

std::unique_ptr<Nufft1::Work> Nufft1::workspace() const {
    auto work = std::make_unique<Work>();
    for (int s = 0; s < sets_; ++s)
        work->grids.push_back(alignedGrid(grid_ + 2 * Pad));
    return work;
}

std::size_t Nufft1::workspaceBytes() const {
    return static_cast<std::size_t>(sets_) * (grid_ + 2 * Pad) * sizeof(Complex);
}

std::uint32_t Nufft1::weights(double turns, double low, double* ker) const {
    const double half = Width / 2.0, n = static_cast<double>(grid_);
    const double inv = 1 / half;
    const double u = (turns - std::floor(turns)) * n; // in [0, grid)
    const double first = std::ceil(u - half);
    // first - u is exact; the low part only shifts the kernel by a sliver.
    double z = ((first - u) - low * n) * inv;
    for (int i = 0; i < Width; ++i, z += inv)
        ker[i] = std::exp(beta_ * (std::sqrt(std::max(0.0, 1 - z * z)) - 1));
    // first >= -half > -Pad, and first + Width <= grid + Pad.
    return static_cast<std::uint32_t>(static_cast<long long>(first) + static_cast<long long>(Pad));
}

void Nufft1::clear(Work& work, std::size_t used) const {
    for (std::size_t s = 0; s < used; ++s)
        std::fill_n(work.grids[s].get(), grid_ + 2 * Pad, Complex{});
}

Nufft1::Spread Nufft1::spread(std::span<const double> turns, std::span<const double> low) const {
    Spread sp;
    sp.at.resize(turns.size());
    sp.ker.resize(turns.size() * Width);
    for (std::size_t j = 0; j < turns.size(); ++j)
        sp.at[j] = weights(turns[j], low.empty() ? 0.0 : low[j], sp.ker.data() + j * Width);
    return sp;
}

void Nufft1::transform(Work& work, std::span<const double> turns, std::span<const double> low,
                       std::span<const Complex* const> strengths,
                       std::span<Complex* const> out) const {
    const std::size_t used = std::min<std::size_t>(strengths.size(), work.grids.size());
    clear(work, used);
    double ker[Width];
    for (std::size_t j = 0; j < turns.size(); ++j) {
        const std::uint32_t at = weights(turns[j], low.empty() ? 0.0 : low[j], ker);
        for (std::size_t s = 0; s < used; ++s) {
            Complex* g = work.grids[s].get() + at;
            const Complex c = strengths[s][j];
            for (int i = 0; i < Width; ++i)
                g[i] += c * ker[i];
        }
    }
    finish(work, out, used);
}

void Nufft1::transform(Work& work, const Spread& spread, std::span<const Complex* const> strengths,
                       std::span<Complex* const> out) const {
    const std::size_t used = std::min<std::size_t>(strengths.size(), work.grids.size());
    clear(work, used);
    for (std::size_t s = 0; s < used; ++s) {
        Complex* grid = work.grids[s].get();
        const Complex* c = strengths[s];
        for (std::size_t j = 0; j < spread.points(); ++j) {
            Complex* g = grid + spread.at[j];
            const double* ker = spread.ker.data() + j * Width;
            const double re = c[j].real(), im = c[j].imag();
            // Written out on the parts: std::complex times double keeps NaN
            // checks that stop the compiler vectorising.
            auto* gd = reinterpret_cast<double*>(g);
            for (int i = 0; i < Width; ++i) {
                gd[2 * i] += re * ker[i];
                gd[2 * i + 1] += im * ker[i];
            }
        }
    }
    finish(work, out, used);
}

void Nufft1::finish(Work& work, std::span<Complex* const> out, std::size_t used) const {
    const std::size_t modes = modes_;
    const std::size_t lo = modes / 2; // modes below zero
    for (std::size_t s = 0; s < used; ++s) {
        Complex* b = work.grids[s].get();
        Complex* main = b + Pad;
        for (std::size_t i = 0; i < Pad; ++i) {
            main[grid_ - Pad + i] += b[i];
            main[i] += b[Pad + grid_ + i];
        }
        auto* data = reinterpret_cast<fftw_complex*>(main);
        fftw_execute_dft(static_cast<fftw_plan>(plan_), data, data);
        Complex* o = out[s];
        // Mode k sits at index k mod grid of the transform.
        for (std::size_t m = 0; m < lo; ++m)
            o[m] = main[grid_ - lo + m] * deconvolve_[m];
        for (std::size_t m = lo; m < modes; ++m)
            o[m] = main[m - lo] * deconvolve_[m];
    }
}

} // namespace varilume::detail
