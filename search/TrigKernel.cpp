#include "search/TrigKernel.h"

#include "search/Nufft.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <numbers>
#include <vector>

namespace varilume::detail {

namespace {

// Frequencies per unit of work of the recurrence: a few milliseconds.
constexpr std::size_t DirectUnit = 1024;
// Scratch the NUFFT segments in flight may hold at once, and one segment at most.
constexpr double SegmentBudget = 512.0 * 1024 * 1024;
constexpr double SegmentCap = 64.0 * 1024 * 1024;
constexpr std::size_t SmallestSegment = 4096;
// The kernel weights worked out once for all segments, when they fit in this.
constexpr double SpreadBudget = 128.0 * 1024 * 1024;
constexpr double SpreadBytesPerPoint = sizeof(std::uint32_t) + Nufft1::Width * sizeof(double);
constexpr std::size_t CachedSegment = std::size_t{1} << 17;
constexpr std::size_t LargestSegment = std::size_t{1} << 20;

int transforms(SumsNeed need) {
    return need.window ? 1 : 2 * need.harmonics;
}

bool spreadFits(SumsNeed need, std::size_t points) {
    return transforms(need) * static_cast<double>(points) * SpreadBytesPerPoint <= SpreadBudget;
}

class DirectKernel final : public TrigKernel {
public:
    DirectKernel(const Prepared& p, SumsNeed need, const FrequencyGrid& grid)
        : p_(p), need_(need), grid_(grid) {}
    std::size_t unit() const override { return DirectUnit; }
    bool usesFft() const override { return false; }
    void sums(std::size_t k0, std::size_t k1, const SumsDone& done) const override {
        trigSumsGrid(p_, need_.window ? 1 : need_.harmonics, grid_, k0, k1, done);
    }

private:
    const Prepared& p_;
    SumsNeed need_;
    FrequencyGrid grid_;
};

// Harmonic m at f_k = fc + (k - kc) step is the transform of the times scaled
// by m step, with strengths w exp(2 pi i m fc t) (and w y times that): every
// segment its own transform about its own centre fc.
class NufftKernel final : public TrigKernel {
public:
    NufftKernel(const Prepared& p, SumsNeed need, const FrequencyGrid& grid, std::size_t segment,
                bool measured)
        : p_(p), need_(need), grid_(grid), plan_(segment, need.window ? 1 : 2, measured) {
        const std::size_t n = p.size();
        const int mMax = transforms(need);
        positions_.resize(static_cast<std::size_t>(mMax) * n);
        low_.resize(positions_.size());
        for (int m = 1; m <= mMax; ++m)
            for (std::size_t j = 0; j < n; ++j) {
                // m step t to twice double precision: step t = a + b exactly, m a = c + d.
                const double a = grid.step * p.t[j], b = std::fma(grid.step, p.t[j], -a);
                const double c = m * a, d = std::fma(static_cast<double>(m), a, -c);
                positions_[(m - 1) * n + j] = c - std::floor(c);
                low_[(m - 1) * n + j] = d + m * b;
            }
        // Every segment spreads the same positions: their kernel weights once,
        // unless that would take more memory than the bound allows.
        if (spreadFits(need, n))
            for (int m = 1; m <= mMax; ++m)
                spreads_.push_back(plan_.spread({positions_.data() + (m - 1) * n, n},
                                                {low_.data() + (m - 1) * n, n}));
    }
    std::size_t unit() const override { return plan_.modes(); }
    bool usesFft() const override { return true; }

    void sums(std::size_t k0, std::size_t k1, const SumsDone& done) const override {
        std::unique_ptr<Scratch> s = take();
        const std::size_t n = p_.size(), modes = plan_.modes();
        const int H = need_.harmonics, mMax = transforms(need_);
        const std::size_t centre = k0 + modes / 2;
        // exp(2 pi i fc t) once per point; its powers (a few roundings each,
        // far inside the power's 1e-9) give the harmonics' strengths.
        for (std::size_t j = 0; j < n; ++j) {
            const double turns = gridTurns(grid_, centre, p_.t[j]);
            s->base[j] = std::polar(1.0, 2 * std::numbers::pi * (turns - std::floor(turns)));
            s->power[j] = Complex{1, 0};
        }
        for (int m = 1; m <= mMax; ++m) {
            const bool withY = !need_.window && m <= H;
            for (std::size_t j = 0; j < n; ++j) {
                const Complex e = s->power[j] * s->base[j];
                s->power[j] = e;
                s->cw[j] = p_.w[j] * e;
                if (withY)
                    s->cy[j] = p_.w[j] * p_.y[j] * e;
            }
            const Complex* in[2] = {s->cw.data(), s->cy.data()};
            Complex* out[2] = {s->outW[m - 1].data(), withY ? s->outY[m - 1].data() : nullptr};
            const std::size_t used = withY ? 2u : 1u;
            if (!spreads_.empty())
                plan_.transform(*s->work, spreads_[m - 1], {in, used}, {out, used});
            else
                plan_.transform(*s->work, {positions_.data() + (m - 1) * n, n},
                                {low_.data() + (m - 1) * n, n}, {in, used}, {out, used});
        }
        TrigSums t;
        t.c[0] = 1;
        for (std::size_t k = k0; k < k1; ++k) {
            const std::size_t i = k - k0;
            for (int m = 1; m <= mMax; ++m) {
                t.c[m] = s->outW[m - 1][i].real();
                t.s[m] = s->outW[m - 1][i].imag();
            }
            if (!need_.window)
                for (int m = 1; m <= H; ++m) {
                    t.yc[m] = s->outY[m - 1][i].real();
                    t.ys[m] = s->outY[m - 1][i].imag();
                }
            done(k, t);
        }
        give(std::move(s));
    }

private:
    struct Scratch {
        std::unique_ptr<Nufft1::Work> work;
        std::vector<Complex> base, power;
        std::vector<Complex> cw, cy;
        std::vector<std::vector<Complex>> outW, outY;
    };

    std::unique_ptr<Scratch> take() const {
        {
            std::lock_guard lock(poolLock_);
            if (!pool_.empty()) {
                auto s = std::move(pool_.back());
                pool_.pop_back();
                return s;
            }
        }
        auto s = std::make_unique<Scratch>();
        const std::size_t n = p_.size(), modes = plan_.modes();
        s->work = plan_.workspace();
        s->base.resize(n);
        s->power.resize(n);
        s->cw.resize(n);
        s->cy.resize(need_.window ? 0 : n);
        s->outW.assign(static_cast<std::size_t>(transforms(need_)), std::vector<Complex>(modes));
        if (!need_.window)
            s->outY.assign(static_cast<std::size_t>(need_.harmonics), std::vector<Complex>(modes));
        return s;
    }
    void give(std::unique_ptr<Scratch> s) const {
        std::lock_guard lock(poolLock_);
        pool_.push_back(std::move(s));
    }

    const Prepared& p_;
    SumsNeed need_;
    FrequencyGrid grid_;
    Nufft1 plan_;
    std::vector<double> positions_;       // per harmonic m: m step t in turns
    std::vector<double> low_;             // and what rounding left out of it
    std::vector<Nufft1::Spread> spreads_; // per harmonic m, when they fit the budget
    mutable std::mutex poolLock_;
    mutable std::vector<std::unique_ptr<Scratch>> pool_;
};

// Bytes a segment's scratch takes per frequency: the sums out and two fine grids.
double bytesPerFrequency(SumsNeed need) {
    const int sums = need.window ? 1 : 3 * need.harmonics;
    const int grids = need.window ? 1 : 2;
    return static_cast<double>(sizeof(Complex)) * (sums + 2 * grids);
}

// Rough processor costs in nanoseconds, measured on the benchmark: the
// recurrence per observation and frequency, the FFT per grid point and
// transform, and spreading per observation, kernel point and transform.
double directCost(std::size_t n, std::size_t m, SumsNeed need) {
    const double perPair = need.window || need.harmonics == 1 ? 0.55 : 0.3 * 3 * need.harmonics;
    return perPair * static_cast<double>(n) * static_cast<double>(m);
}

double nufftCost(std::size_t n, std::size_t m, SumsNeed need, std::size_t segment) {
    const double segments = std::ceil(static_cast<double>(m) / static_cast<double>(segment));
    const double grid = 2.0 * static_cast<double>(segment);
    const double t = transforms(need) * (need.window ? 1.0 : 1.5);
    const double fft = segments * t * grid * (0.6 * std::log2(grid) + 4);
    const double spread = segments * static_cast<double>(n) * transforms(need) * Nufft1::Width * 8;
    return fft + spread;
}

} // namespace

std::size_t nufftSegment(SumsNeed need, std::size_t points, std::size_t gridCount,
                         unsigned threads) {
    threads = std::max(1u, threads);
    const double budget = std::min(SegmentCap, SegmentBudget / threads);
    // Spreading costs about Width points of the grid per observation.
    std::size_t segment = SmallestSegment;
    // Weights spread once leave the FFT as the main cost: lengths that stay
    // in the processor's cache (a quarter of the time per point of 2^20).
    const std::size_t largest = spreadFits(need, points) ? CachedSegment : LargestSegment;
    while (segment < largest && segment < 16 * points)
        segment *= 2;
    while (segment > SmallestSegment &&
           static_cast<double>(segment) * bytesPerFrequency(need) > budget)
        segment /= 2;
    // Every thread gets a segment when the grid is short.
    const std::size_t share = (gridCount + threads - 1) / threads;
    while (segment > SmallestSegment && segment / 2 >= share)
        segment /= 2;
    return segment;
}

std::unique_ptr<TrigKernel> makeTrigKernel(const Prepared& p, SumsNeed need,
                                           const FrequencyGrid& grid, SumsPath path,
                                           unsigned threads, bool measureFft) {
    need.harmonics = std::clamp(need.harmonics, 1, MaxSumHarmonics);
    const std::size_t segment = nufftSegment(need, p.size(), grid.count, threads);
    if (path == SumsPath::Auto)
        path =
            nufftCost(p.size(), grid.count, need, segment) < directCost(p.size(), grid.count, need)
                ? SumsPath::Nufft
                : SumsPath::Direct;
    if (path == SumsPath::Nufft)
        return std::make_unique<NufftKernel>(p, need, grid, segment, measureFft);
    return std::make_unique<DirectKernel>(p, need, grid);
}

} // namespace varilume::detail
