// Period search timings. First the sizes the search window must handle quickly
// (N = 10,000 observations against M = 100,000 trial frequencies), then the
// direct sums and the NUFFT side by side with the largest power difference for
// N = 1k, 10k, 100k and M = 100k, 1M, 10M (where the direct sums would take
// more than a minute they run on a slice and are scaled up), then a synthetic
// archive of delta Cephei over 150 years (48,137 observations, the default grid
// of about 11 million frequencies) with 1 and 4 harmonics. Each small case
// runs several times and the best is shown: other work on the machine only
// ever slows a run down.
//
//   varilume_search_bench [repeats] [--archive FILE]
//
// --archive FILE also writes the synthetic archive as a two-column file, for
// timing the batch command on it end to end.
#include "SyntheticArchive.h"
#include "search/Kernels.h"
#include "search/PeriodSearch.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

using namespace varilume;

namespace {

using Clock = std::chrono::steady_clock;

SearchData star(std::size_t n, double span) {
    std::mt19937_64 rng(12);
    std::uniform_real_distribution<double> when(0, span);
    std::normal_distribution<double> noise(0, 0.05);
    SearchData d;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2'460'000 + when(rng);
        d.times.push_back(t);
        d.mags.push_back(12 + 0.4 * std::sin(2 * M_PI * t / 3.118) + noise(rng));
        d.errors.push_back(0.05);
    }
    return d;
}

// A grid of exactly m frequencies from 0.01 c/d with the default step.
SearchSettings settingsFor(SearchMethod method, int harmonics, std::size_t m, const SearchData& d) {
    const auto [lo, hi] = std::minmax_element(d.times.begin(), d.times.end());
    const double span = *hi - *lo;
    SearchSettings s;
    s.method = method;
    s.harmonics = harmonics;
    s.maxPeriod = 100;
    const double step = 1 / (s.oversample * span);
    s.minPeriod = 1 / (0.01 + (static_cast<double>(m) - 0.5) * step);
    return s;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

double maxRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024;
}

struct Timed {
    double wall = 1e300, grid = 1e300, cpu = 1e300;
    SearchResult result;
};

// Wall time of the whole run (grid, refinement, notes), wall time of the grid
// alone, and processor time of the whole run over all threads: on a machine
// shared with other work the processor time says what the run itself costs.
Timed timed(const SearchData& d, const SearchSettings& s, int repeats) {
    Timed best;
    for (int r = 0; r < repeats; ++r) {
        std::atomic<long long> gridEnd{0};
        const auto t0 = Clock::now();
        const double c0 = cpuSeconds();
        SearchResult res = runSearch(d, s, nullptr, [&](std::size_t done, std::size_t total) {
            if (done == total)
                gridEnd = (Clock::now() - t0).count();
        });
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        best.wall = std::min(best.wall, wall);
        best.grid = std::min(
            best.grid, std::chrono::duration<double>(Clock::duration(gridEnd.load())).count());
        best.cpu = std::min(best.cpu, cpuSeconds() - c0);
        best.result = std::move(res);
    }
    return best;
}

void time(const char* name, const SearchData& d, const SearchSettings& s, int repeats,
          const char* reference) {
    const Timed t = timed(d, s, repeats);
    std::printf("%-26s N=%zu M=%zu  wall %.3f s (grid %.3f s), cpu %.3f s  [%s]\n", name,
                d.times.size(), t.result.spectrum.grid.count, t.wall, t.grid, t.cpu, reference);
}

double maxDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k)
        worst = std::max(worst, std::abs(a[k] - b[k]));
    return worst;
}

// Direct and NUFFT grid times for one size, and the largest power difference.
void sideBySide(std::size_t n, std::size_t m, int harmonics) {
    const SearchData d = star(n, 1000);
    SearchSettings s = settingsFor(SearchMethod::Gls, harmonics, m, d);
    s.peaks = 1;
    s.sums = SumsPath::Nufft;
    const Timed fft = timed(d, s, m <= 1'000'000 ? 2 : 1);
    // The direct sums on a slice first: a second's worth says how long the whole would take.
    SearchSettings slice =
        settingsFor(SearchMethod::Gls, harmonics,
                    std::min<std::size_t>(m, std::max<std::size_t>(2048, 2'000'000'000 / n)), d);
    slice.peaks = 1;
    slice.sums = SumsPath::Direct;
    const Timed part = timed(d, slice, 1);
    const double sliceCount = static_cast<double>(part.result.spectrum.grid.count);
    const double scale = static_cast<double>(m) / sliceCount;
    const double estimate = part.grid * scale;
    double directTime = part.grid, directCpu = part.cpu;
    double worst = maxDifference(part.result.spectrum.values, fft.result.spectrum.values);
    const char* how = "";
    if (sliceCount < static_cast<double>(m) && estimate <= 60) {
        s.sums = SumsPath::Direct;
        const Timed direct = timed(d, s, 1);
        directTime = direct.grid;
        directCpu = direct.cpu;
        worst = maxDifference(direct.result.spectrum.values, fft.result.spectrum.values);
    } else if (sliceCount < static_cast<double>(m)) {
        directTime = estimate;
        directCpu = part.cpu * scale;
        how = " (estimated from a slice; difference on the slice)";
    }
    std::printf("N=%7zu M=%9zu H=%d  direct %9.3f s (cpu %8.3f)  nufft %7.3f s (cpu %6.3f)  "
                "max |dP| %.1e%s\n",
                n, m, harmonics, directTime, directCpu, fft.grid, fft.cpu, worst, how);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int repeats = 3;
    const char* archiveFile = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--archive") == 0 && i + 1 < argc)
            archiveFile = argv[++i];
        else
            repeats = std::max(1, std::atoi(argv[i]));
    }
    std::printf("threads %u, wide kernels %s\n", std::thread::hardware_concurrency(),
                detail::wideKernels() ? "yes" : "no");
    const SearchData d = star(10'000, 1000);
    time("GLS, 1 harmonic", d, settingsFor(SearchMethod::Gls, 1, 100'000, d), repeats,
         "target 0.1 s");
    time("GLS, 4 harmonics", d, settingsFor(SearchMethod::Gls, 4, 100'000, d), repeats,
         "target 2 s");
    time("PDM, 10 bins x 2 covers", d, settingsFor(SearchMethod::Pdm, 1, 100'000, d), repeats,
         "target 1.5 s");
    time("String length", d, settingsFor(SearchMethod::StringLength, 1, 10'000, d), repeats,
         "target 1 s");
    std::fflush(stdout);

    std::printf("\nGrid times, direct sums against the NUFFT (GLS, 1 harmonic):\n");
    for (std::size_t n : {1'000, 10'000, 100'000})
        for (std::size_t m : {100'000, 1'000'000, 10'000'000})
            sideBySide(n, m, 1);
    sideBySide(10'000, 1'000'000, 4);

    std::printf("\nSynthetic delta Cep archive, 150 years, default grid:\n");
    const SearchData cep = archive();
    if (archiveFile) {
        if (FILE* f = std::fopen(archiveFile, "w")) {
            for (std::size_t i = 0; i < cep.times.size(); ++i)
                std::fprintf(f, "%.5f %.3f\n", cep.times[i], cep.mags[i]);
            std::fclose(f);
        }
    }
    for (int h : {1, 4}) {
        SearchSettings s;
        s.harmonics = h;
        const Timed t = timed(cep, s, 1);
        std::printf("GLS H=%d  N=%zu M=%zu  wall %.2f s (grid %.2f s), cpu %.2f s, best P %.6f d  "
                    "[target %s]\n",
                    h, cep.times.size(), t.result.spectrum.grid.count, t.wall, t.grid, t.cpu,
                    t.result.peaks.empty() ? 0.0 : t.result.peaks.front().period,
                    h == 1 ? "2 s" : "6 s");
    }
    SearchSettings pdm;
    pdm.method = SearchMethod::Pdm;
    pdm.refineGls = true;
    const Timed refined = timed(cep, pdm, 1);
    std::printf("PDM refining the GLS peaks  wall %.2f s, best P %.6f d\n", refined.wall,
                refined.result.peaks.empty() ? 0.0 : refined.result.peaks.front().period);
    pdm.refineGls = false;
    std::printf("PDM over the whole grid would take about %.0f s\n", estimateSeconds(cep, pdm));
    std::printf("peak resident memory of this benchmark %.0f MB\n", maxRssMb());
    return 0;
}
