#include "search/GridWork.h"

#include "search/Gls.h"
#include "search/Pdm.h"
#include "search/Peaks.h"
#include "search/StringLength.h"
#include "search/TrigKernel.h"

#include <algorithm>

namespace varilume::detail {

namespace {

// Frequencies per unit of work of the direct methods: a few milliseconds.
constexpr std::size_t DirectUnit = 1024;

using GridFn = void (*)(const Prepared&, const SearchSettings&, const FrequencyGrid&, std::size_t,
                        std::size_t, double*);
using AtFn = double (*)(const Prepared&, const SearchSettings&, double);

// GLS and the window: powers from the trig sums of a kernel.
class SumsWork final : public GridWork {
public:
    SumsWork(const Prepared& p, SumsNeed need, const FrequencyGrid& grid, const SearchSettings& s,
             unsigned threads)
        : p_(p), need_(need),
          kernel_(makeTrigKernel(p, need, grid, s.sums, threads, s.measureFft)) {}
    std::size_t unit() const override { return kernel_->unit(); }
    bool usesFft() const override { return kernel_->usesFft(); }
    void computeLevels(std::size_t k0, std::size_t k1, double* const* outs) const override {
        const int H = std::clamp(need_.harmonics, 1, MaxHarmonics);
        kernel_->sums(k0, k1, [&](std::size_t k, const TrigSums& t) {
            double powers[MaxHarmonics];
            glsLevelsFromSums(H, t.c, t.s, t.yc, t.ys, p_.yy, powers);
            for (int h = 0; h < H; ++h)
                outs[h][k - k0] = powers[h];
        });
    }
    void compute(std::size_t k0, std::size_t k1, double* out) const override {
        const int H = std::clamp(need_.harmonics, 1, MaxHarmonics);
        if (need_.window)
            kernel_->sums(k0, k1, [&](std::size_t k, const TrigSums& t) {
                out[k - k0] = t.c[1] * t.c[1] + t.s[1] * t.s[1];
            });
        else
            kernel_->sums(k0, k1, [&](std::size_t k, const TrigSums& t) {
                out[k - k0] = glsFromSums(H, t.c, t.s, t.yc, t.ys, p_.yy);
            });
    }

private:
    const Prepared& p_;
    SumsNeed need_;
    std::unique_ptr<TrigKernel> kernel_;
};

// PDM and string length: exact direct methods, a frequency at a time.
class DirectWork final : public GridWork {
public:
    DirectWork(const Prepared& p, const SearchSettings& s, const FrequencyGrid& grid, GridFn fn)
        : p_(p), s_(s), grid_(grid), fn_(fn) {}
    std::size_t unit() const override { return DirectUnit; }
    void compute(std::size_t k0, std::size_t k1, double* out) const override {
        fn_(p_, s_, grid_, k0, k1, out);
    }

private:
    const Prepared& p_;
    SearchSettings s_;
    FrequencyGrid grid_;
    GridFn fn_;
};

struct MethodKernels {
    SearchMethod method;
    AtFn at;
    GridFn grid; // null: by trig sums
};

const MethodKernels Table[] = {
    {SearchMethod::Gls,
     [](const Prepared& p, const SearchSettings& s, double f) {
         return glsPowerAt(p, std::clamp(s.harmonics, 1, MaxHarmonics), f);
     },
     nullptr},
    {SearchMethod::Pdm,
     [](const Prepared& p, const SearchSettings& s, double f) {
         return pdmThetaAt(p, {s.pdmBins, s.pdmCovers}, f);
     },
     [](const Prepared& p, const SearchSettings& s, const FrequencyGrid& g, std::size_t k0,
        std::size_t k1, double* out) {
         pdmGrid(p, {s.pdmBins, s.pdmCovers}, g, k0, k1, out);
     }},
    {SearchMethod::StringLength,
     [](const Prepared& p, const SearchSettings&, double f) { return stringLengthAt(p, f); },
     [](const Prepared& p, const SearchSettings&, const FrequencyGrid& g, std::size_t k0,
        std::size_t k1, double* out) { stringGrid(p, g, k0, k1, out); }},
};

const MethodKernels& kernelsOf(SearchMethod method) {
    for (const MethodKernels& m : Table)
        if (m.method == method)
            return m;
    return Table[0];
}

} // namespace

std::unique_ptr<GridWork> makeGridWork(const Prepared& p, const SearchSettings& s,
                                       const FrequencyGrid& grid, unsigned threads) {
    const MethodKernels& m = kernelsOf(s.method);
    if (m.grid)
        return std::make_unique<DirectWork>(p, s, grid, m.grid);
    return std::make_unique<SumsWork>(p, SumsNeed{s.harmonics, false}, grid, s, threads);
}

std::unique_ptr<GridWork> makeLevelsWork(const Prepared& p, const SearchSettings& s,
                                         const FrequencyGrid& grid, unsigned threads, int levels) {
    return std::make_unique<SumsWork>(p, SumsNeed{std::clamp(levels, 1, MaxHarmonics), false}, grid,
                                      s, threads);
}

std::unique_ptr<GridWork> makeWindowWork(const Prepared& p, const SearchSettings& s,
                                         const FrequencyGrid& grid, unsigned threads) {
    return std::make_unique<SumsWork>(p, SumsNeed{1, true}, grid, s, threads);
}

double statistic(const Prepared& p, const SearchSettings& s, double f) {
    return kernelsOf(s.method).at(p, s, f);
}

} // namespace varilume::detail
