#include "search/PeriodSearch.h"

#include "search/Gls.h"
#include "search/Pdm.h"
#include "search/Peaks.h"
#include "search/Prepared.h"
#include "search/StringLength.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <sstream>
#include <thread>

namespace varilume {

using detail::Prepared;

namespace {

constexpr double ShortestDefaultPeriod = 0.05;
constexpr std::size_t MinPoints = 5;
// Beyond this the spectrum alone would take hundreds of megabytes, and the
// run many minutes: decades of data searched to 0.05 d stay well below it.
constexpr std::size_t MaxFrequencies = 20'000'000;
// Trial frequencies per unit of work handed to a thread: a few milliseconds.
constexpr std::size_t ChunkSize = 1024;

std::string number(double v) {
    std::ostringstream out;
    out.precision(6);
    out << v;
    return out.str();
}

bool finite(double v) {
    return std::isfinite(v);
}

} // namespace

bool higherIsBetter(SearchMethod method) {
    return method == SearchMethod::Gls;
}

bool weightsUsable(const SearchData& data) {
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    return data.errors.size() >= n &&
           std::all_of(data.errors.begin(), data.errors.begin() + static_cast<std::ptrdiff_t>(n),
                       usableError);
}

PeriodRange defaultRange(std::span<const double> times) {
    std::vector<double> t(times.begin(), times.end());
    std::sort(t.begin(), t.end());
    PeriodRange r;
    double spacing = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < t.size(); ++i)
        if (t[i] > t[i - 1])
            spacing = std::min(spacing, t[i] - t[i - 1]);
    r.minPeriod = ShortestDefaultPeriod;
    if (std::isfinite(spacing))
        r.minPeriod = std::max(r.minPeriod, 2 * spacing);
    r.maxPeriod = t.empty() ? 0 : (t.back() - t.front()) / 2;
    return r;
}

SearchPlan planSearch(const SearchData& data, const SearchSettings& s) {
    SearchPlan plan;
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    plan.points = n;
    auto fail = [&](std::string why) {
        plan.reason = std::move(why);
        return plan;
    };
    if (n < MinPoints)
        return fail("Too few observations for a period search: " + std::to_string(n) +
                    " (at least " + std::to_string(MinPoints) + " are needed).");
    for (std::size_t i = 0; i < n; ++i)
        if (!finite(data.times[i]) || !finite(data.mags[i]))
            return fail("Observation " + std::to_string(i + 1) +
                        " has a time or magnitude that is not a number.");
    const auto [tlo, thi] = std::minmax_element(data.times.begin(), data.times.begin() + n);
    plan.span = *thi - *tlo;
    if (!(plan.span > 0))
        return fail("All observations have the same time: a period search needs a time span.");
    const auto [mlo, mhi] = std::minmax_element(data.mags.begin(), data.mags.begin() + n);
    if (*mlo == *mhi)
        return fail("All magnitudes are equal (" + number(*mlo) +
                    "): there is no variation to search.");
    if (s.method == SearchMethod::Gls && (s.harmonics < 1 || s.harmonics > detail::MaxHarmonics))
        return fail("The number of harmonics must be 1 to 4.");
    if (s.method == SearchMethod::Gls && n < static_cast<std::size_t>(2 * s.harmonics + 3))
        return fail("GLS with " + std::to_string(s.harmonics) + " harmonics needs at least " +
                    std::to_string(2 * s.harmonics + 3) + " observations, not " +
                    std::to_string(n) + ".");
    if (s.method == SearchMethod::Pdm &&
        (s.pdmBins < 2 || s.pdmBins > 100 || s.pdmCovers < 1 || s.pdmCovers > 10))
        return fail("PDM needs 2 to 100 bins and 1 to 10 covers.");
    if (!(s.oversample >= 1 && s.oversample <= 1000))
        return fail("The oversampling must be 1 to 1000.");
    if (!(s.minPeriod >= 0) || !(s.maxPeriod >= 0) || !finite(s.minPeriod) || !finite(s.maxPeriod))
        return fail("Periods must be positive numbers of days.");
    // Without uncertainties the search runs unweighted; with some unusable, it
    // is refused rather than weighted by an infinite or a meaningless weight.
    plan.weighted = s.useWeights && weightsUsable(data);
    if (s.useWeights && data.errors.size() >= n && !plan.weighted)
        return fail("Weighting needs a positive uncertainty for every observation.");
    const PeriodRange def = defaultRange({data.times.data(), n});
    plan.range.minPeriod = s.minPeriod > 0 ? s.minPeriod : def.minPeriod;
    plan.range.maxPeriod = s.maxPeriod > 0 ? s.maxPeriod : def.maxPeriod;
    if (!(plan.range.minPeriod < plan.range.maxPeriod))
        return fail("The shortest period (" + number(plan.range.minPeriod) +
                    " d) must be less than the longest (" + number(plan.range.maxPeriod) + " d).");
    const double fmin = 1 / plan.range.maxPeriod, fmax = 1 / plan.range.minPeriod;
    const double step = 1 / (s.oversample * plan.span);
    const double count = std::floor((fmax - fmin) / step) + 1;
    if (count > static_cast<double>(MaxFrequencies))
        return fail("Too many trial frequencies (" + std::to_string(static_cast<long long>(count)) +
                    "): raise the shortest period or lower the oversampling.");
    plan.grid = {fmin, step, static_cast<std::size_t>(count)};
    plan.ok = true;
    return plan;
}

// The state of one run, shared by the worker threads and the poller.
struct PeriodSearch::Run {
    SearchData data;
    SearchSettings settings;
    SearchPlan plan;
    Prepared prepared;
    std::vector<double> values;
    std::vector<double> window;
    std::unique_ptr<std::atomic<bool>[]> chunkDone;
    std::size_t chunks = 0;
    std::atomic<std::size_t> nextChunk{0};
    std::atomic<std::size_t> doneCount{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    const std::atomic<bool>* externalCancel = nullptr;
    SearchProgress progress;
    std::thread coordinator;
    SearchResult result;

    bool stopping() const {
        return cancelled.load(std::memory_order_relaxed) ||
               (externalCancel && externalCancel->load(std::memory_order_relaxed));
    }

    void computeChunk(std::size_t c, std::vector<double>& out, bool windowPass) {
        const std::size_t k0 = c * ChunkSize;
        const std::size_t k1 = std::min(plan.grid.count, k0 + ChunkSize);
        double* dst = out.data() + k0;
        if (windowPass) {
            detail::windowGrid(prepared, plan.grid, k0, k1, dst);
            return;
        }
        switch (settings.method) {
        case SearchMethod::Gls:
            detail::glsGrid(prepared, settings.harmonics, plan.grid, k0, k1, dst);
            break;
        case SearchMethod::Pdm:
            detail::pdmGrid(prepared, {settings.pdmBins, settings.pdmCovers}, plan.grid, k0, k1,
                            dst);
            break;
        case SearchMethod::StringLength:
            detail::stringGrid(prepared, plan.grid, k0, k1, dst);
            break;
        }
    }

    void work() {
        const std::size_t total = 2 * chunks;
        for (;;) {
            if (stopping())
                return;
            const std::size_t c = nextChunk.fetch_add(1);
            if (c >= (settings.spectralWindow ? total : chunks))
                return;
            const bool windowPass = c >= chunks;
            computeChunk(windowPass ? c - chunks : c, windowPass ? window : values, windowPass);
            if (!windowPass) {
                chunkDone[c].store(true, std::memory_order_release);
                const std::size_t k1 = std::min(plan.grid.count, (c + 1) * ChunkSize);
                const std::size_t done =
                    doneCount.fetch_add(k1 - c * ChunkSize) + (k1 - c * ChunkSize);
                if (progress)
                    progress(done, plan.grid.count);
            }
        }
    }

    void execute() {
        unsigned threads = settings.threads > 0 ? static_cast<unsigned>(settings.threads)
                                                : std::max(1u, std::thread::hardware_concurrency());
        threads =
            static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(1, chunks)));
        std::vector<std::thread> pool;
        for (unsigned i = 1; i < threads; ++i)
            pool.emplace_back([this] { work(); });
        work();
        for (auto& t : pool)
            t.join();
        result.spectrum.method = settings.method;
        result.spectrum.grid = plan.grid;
        if (stopping()) {
            // The part searched keeps its peaks, each marked as coming from it.
            result.status = SearchResult::Status::Cancelled;
            result.spectrum.values = values;
            result.peaks = detail::peakList(prepared, settings, result.spectrum, plan.span,
                                            static_cast<int>(threads));
            for (Peak& peak : result.peaks)
                peak.note = peak.note.empty() ? std::string(kPartialNote)
                                              : std::string(kPartialNote) + "; " + peak.note;
        } else {
            result.spectrum.values = values;
            result.spectrum.window = window;
            result.peaks = detail::peakList(prepared, settings, result.spectrum, plan.span,
                                            static_cast<int>(threads));
            result.status = SearchResult::Status::Done;
        }
        finished.store(true, std::memory_order_release);
    }
};

PeriodSearch::PeriodSearch(SearchData data, SearchSettings settings)
    : run_(std::make_unique<Run>()) {
    run_->plan = planSearch(data, settings);
    run_->data = std::move(data);
    run_->settings = settings;
    if (!run_->plan.ok) {
        run_->result.status = SearchResult::Status::Failed;
        run_->result.reason = run_->plan.reason;
        return;
    }
    run_->prepared = detail::prepare(run_->data, run_->plan.weighted);
    const std::size_t count = run_->plan.grid.count;
    run_->values.assign(count, std::numeric_limits<double>::quiet_NaN());
    if (settings.spectralWindow)
        run_->window.assign(count, std::numeric_limits<double>::quiet_NaN());
    run_->chunks = (count + ChunkSize - 1) / ChunkSize;
    run_->chunkDone = std::make_unique<std::atomic<bool>[]>(run_->chunks);
    for (std::size_t c = 0; c < run_->chunks; ++c)
        run_->chunkDone[c].store(false);
}

PeriodSearch::~PeriodSearch() {
    cancel();
    if (run_->coordinator.joinable())
        run_->coordinator.join();
}

const SearchPlan& PeriodSearch::plan() const {
    return run_->plan;
}

void PeriodSearch::start() {
    if (!run_->plan.ok || run_->coordinator.joinable() || run_->finished.load())
        return;
    run_->coordinator = std::thread([run = run_.get()] { run->execute(); });
}

void PeriodSearch::cancel() {
    run_->cancelled.store(true);
}

bool PeriodSearch::finished() const {
    return !run_->plan.ok || run_->finished.load(std::memory_order_acquire);
}

std::size_t PeriodSearch::done() const {
    return run_->doneCount.load(std::memory_order_relaxed);
}

Spectrum PeriodSearch::partial() const {
    Spectrum s;
    s.method = run_->settings.method;
    s.grid = run_->plan.grid;
    s.values.assign(run_->plan.grid.count, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t c = 0; c < run_->chunks; ++c) {
        if (!run_->chunkDone[c].load(std::memory_order_acquire))
            continue;
        const std::size_t k0 = c * ChunkSize;
        const std::size_t k1 = std::min(run_->plan.grid.count, k0 + ChunkSize);
        std::copy(run_->values.begin() + k0, run_->values.begin() + k1, s.values.begin() + k0);
    }
    return s;
}

const SearchResult& PeriodSearch::result() {
    if (run_->plan.ok) {
        if (!run_->coordinator.joinable() && !run_->finished.load())
            run_->execute();
        else if (run_->coordinator.joinable())
            run_->coordinator.join();
    }
    return run_->result;
}

SearchResult runSearch(const SearchData& data, const SearchSettings& settings,
                       const std::atomic<bool>* cancel, const SearchProgress& progress) {
    PeriodSearch search(data, settings);
    search.run_->externalCancel = cancel;
    search.run_->progress = progress;
    return search.result();
}

RefinedPeak refinePeak(const SearchData& data, const SearchSettings& settings, double frequency,
                       double halfWidth) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::refine(p, settings, frequency, halfWidth);
}

double statisticAt(const SearchData& data, const SearchSettings& settings, double frequency) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::statistic(p, settings, frequency);
}

double spectralWindowAt(const SearchData& data, const SearchSettings& settings, double frequency) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::windowAt(p, frequency);
}

} // namespace varilume
