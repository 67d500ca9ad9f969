#include "search/PeriodSearch.h"

#include "search/Assess.h"
#include "search/AutoHarmonics.h"
#include "search/Gls.h"
#include "search/GridWork.h"
#include "search/Peaks.h"
#include "search/Prepared.h"
#include "search/Threads.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <sstream>
#include <thread>

namespace varilume {

using detail::Prepared;

namespace {

using namespace searchlimits;

constexpr double ShortestDefaultPeriod = 0.05;

std::string number(double v) {
    std::ostringstream out;
    out.precision(6);
    out << v;
    return out.str();
}

bool finite(double v) {
    return std::isfinite(v);
}

// Automatic harmonics at one frequency: the one-harmonic statistic.
SearchSettings oneHarmonicWhenAuto(SearchSettings s) {
    if (s.harmonics == AutoHarmonics)
        s.harmonics = 1;
    return s;
}

} // namespace

bool higherIsBetter(SearchMethod method) {
    return methodInfo(method).higherIsBetter;
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
    const bool autoHarmonics = s.harmonics == AutoHarmonics;
    if (s.method == SearchMethod::Gls && !autoHarmonics &&
        (s.harmonics < MinHarmonics || s.harmonics > MaxHarmonics))
        return fail("The number of harmonics must be " + std::to_string(MinHarmonics) + " to " +
                    std::to_string(MaxHarmonics) + ", or automatic.");
    // Automatic harmonics try only as many as the points allow, at least one.
    if (s.method == SearchMethod::Gls && !autoHarmonics &&
        n < static_cast<std::size_t>(2 * s.harmonics + 3))
        return fail("GLS with " + std::to_string(s.harmonics) + " harmonics needs at least " +
                    std::to_string(2 * s.harmonics + 3) + " observations, not " +
                    std::to_string(n) + ".");
    if (s.method == SearchMethod::Pdm && (s.pdmBins < MinPdmBins || s.pdmBins > MaxPdmBins ||
                                          s.pdmCovers < MinPdmCovers || s.pdmCovers > MaxPdmCovers))
        return fail("PDM needs " + std::to_string(MinPdmBins) + " to " +
                    std::to_string(MaxPdmBins) + " bins and " + std::to_string(MinPdmCovers) +
                    " to " + std::to_string(MaxPdmCovers) + " covers.");
    if (!(s.oversample >= MinOversample && s.oversample <= MaxOversample))
        return fail("The oversampling must be " + number(MinOversample) + " to " +
                    number(MaxOversample) + ".");
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

// The state of one run, shared by the worker threads and the poller. The grid
// is cut into units of work of the method's kernel (a NUFFT segment, or a
// thousand frequencies of a direct sum); the spectral window's units follow.
// Refining the GLS peaks, the units are the narrow windows about them, known
// once the GLS spectrum is in.
struct PeriodSearch::Run {
    using Range = std::pair<std::size_t, std::size_t>;
    SearchData data;
    SearchSettings settings;
    SearchPlan plan;
    Prepared prepared;
    unsigned threads = 1;
    std::unique_ptr<detail::GridWork> work;
    std::unique_ptr<detail::GridWork> windowWork;
    std::vector<double> values;
    std::vector<std::vector<double>> moreLevels; // auto: the powers with 2 to autoLimit harmonics
    std::vector<double> window;
    std::vector<Range> units;       // of values; fixed once unitsReady
    std::vector<Range> windowUnits; // of the window
    std::unique_ptr<std::atomic<bool>[]> unitDone;
    std::atomic<bool> unitsReady{false};
    // Held while the finished values move into the result, and by partial().
    mutable std::mutex valuesLock;
    bool valuesMoved = false;
    bool background = false;   // started by start(): a window polls it
    std::vector<double> shown; // NaN on the grid, for the poller to take
    std::atomic<bool> shownReady{false};
    std::size_t totalCount = 0;
    std::atomic<std::size_t> nextUnit{0};
    std::atomic<std::size_t> doneCount{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    const std::atomic<bool>* externalCancel = nullptr;
    SearchProgress progress;
    std::thread coordinator;
    SearchResult result;
    bool autoHarmonics = false; // GLS with 1 to autoLimit harmonics; settings has 1
    int autoLimit = 1;

    bool stopping() const {
        return cancelled.load(std::memory_order_relaxed) ||
               (externalCancel && externalCancel->load(std::memory_order_relaxed));
    }

    static std::vector<Range> cut(std::size_t count, std::size_t size) {
        std::vector<Range> out;
        for (std::size_t k0 = 0; k0 < count; k0 += size)
            out.emplace_back(k0, std::min(count, k0 + size));
        return out;
    }

    void setUnits(std::vector<Range> u) {
        units = std::move(u);
        unitDone = std::make_unique<std::atomic<bool>[]>(units.size());
        for (std::size_t c = 0; c < units.size(); ++c)
            unitDone[c].store(false);
        totalCount = 0;
        for (const Range& r : units)
            totalCount += r.second - r.first;
        unitsReady.store(true, std::memory_order_release);
    }

    void workLoop() {
        for (;;) {
            if (stopping())
                return;
            const std::size_t c = nextUnit.fetch_add(1);
            if (c >= units.size() + windowUnits.size())
                return;
            if (c >= units.size()) {
                const auto [k0, k1] = windowUnits[c - units.size()];
                windowWork->compute(k0, k1, window.data() + k0);
                continue;
            }
            const auto [k0, k1] = units[c];
            if (autoHarmonics) {
                double* outs[detail::MaxHarmonics] = {values.data() + k0};
                for (std::size_t h = 0; h < moreLevels.size(); ++h)
                    outs[h + 1] = moreLevels[h].data() + k0;
                work->computeLevels(k0, k1, outs);
            } else {
                work->compute(k0, k1, values.data() + k0);
            }
            unitDone[c].store(true, std::memory_order_release);
            const std::size_t done = doneCount.fetch_add(k1 - k0) + (k1 - k0);
            if (progress)
                progress(done, totalCount);
        }
    }

    // Everything a run needs that takes memory or time, on the run's own
    // thread: at eleven million frequencies the spectra alone are 88 MB each,
    // and a window's thread must not wait while they are allocated.
    int harmonicsOfValues() const {
        return settings.method == SearchMethod::Gls ? settings.harmonics : 0;
    }

    void setUp() {
        prepared = detail::prepare(data, plan.weighted);
        const std::size_t count = plan.grid.count;
        if (autoHarmonics) {
            work = detail::makeLevelsWork(prepared, settings, plan.grid, threads, autoLimit);
            moreLevels.resize(static_cast<std::size_t>(autoLimit - 1));
            for (std::vector<double>& level : moreLevels)
                level.resize(count);
        } else {
            work = detail::makeGridWork(prepared, settings, plan.grid, threads);
        }
        values.assign(count, std::numeric_limits<double>::quiet_NaN());
        if (settings.spectralWindow) {
            windowWork = detail::makeWindowWork(prepared, settings, plan.grid, threads);
            windowUnits = cut(count, windowWork->unit());
            window.assign(count, std::numeric_limits<double>::quiet_NaN());
        }
        if (background) {
            // The poller's copy, handed over by its first partial().
            std::lock_guard lock(valuesLock);
            shown.assign(count, std::numeric_limits<double>::quiet_NaN());
        }
        shownReady.store(true, std::memory_order_release);
        if (!settings.refineGls)
            setUnits(cut(count, work->unit()));
    }

    void execute() {
        setUp();
        if (settings.refineGls)
            setUnits(glsPeakWindows());
        std::vector<std::thread> pool;
        const std::size_t count = std::max<std::size_t>(1, units.size() + windowUnits.size());
        const unsigned used = static_cast<unsigned>(std::min<std::size_t>(threads, count));
        for (unsigned i = 1; i < used; ++i)
            pool.emplace_back([this] { workLoop(); });
        workLoop();
        for (auto& t : pool)
            t.join();
        // The kernels' scratch goes before the peaks are refined.
        work.reset();
        windowWork.reset();
        result.spectrum.method = settings.method;
        result.spectrum.harmonics = harmonicsOfValues();
        result.spectrum.grid = plan.grid;
        {
            // Moved, not copied: at the cap a copy is another 160 MB.
            std::lock_guard lock(valuesLock);
            result.spectrum.values = std::move(values);
            if (!stopping())
                result.spectrum.window = std::move(window);
            valuesMoved = true;
        }
        if (stopping()) {
            // The part searched keeps its peaks, each marked as coming from it.
            result.status = SearchResult::Status::Cancelled;
            result.peaks = detail::peakList(prepared, settings, result.spectrum, plan.span,
                                            static_cast<int>(threads));
            for (Peak& peak : result.peaks)
                peak.note = peak.note.empty() ? std::string(kPartialNote)
                                              : std::string(kPartialNote) + "; " + peak.note;
        } else {
            result.peaks = detail::peakList(prepared, settings, result.spectrum, plan.span,
                                            static_cast<int>(threads));
            if (autoHarmonics)
                chooseHarmonics();
            if (!stopping()) {
                result.verdict = detail::assess(result.peaks, prepared, settings, plan.grid);
                result.status = SearchResult::Status::Done;
            } else {
                result.status = SearchResult::Status::Cancelled;
                for (Peak& peak : result.peaks)
                    peak.note = peak.note.empty() ? std::string(kPartialNote)
                                                  : std::string(kPartialNote) + "; " + peak.note;
            }
        }
        finished.store(true, std::memory_order_release);
    }

    // The spectra with 2 to autoLimit harmonics came from the same sums as the
    // one with 1: their candidates and its are ranked together by FAP, and the
    // spectrum of the best one's harmonics goes into the result.
    void chooseHarmonics() {
        std::vector<double> window = std::move(result.spectrum.window);
        std::vector<detail::HarmonicRun> runs(1);
        runs[0] = {1, std::move(result.spectrum), std::move(result.peaks)};
        for (int h = 2; h <= autoLimit && !stopping(); ++h) {
            SearchSettings one = settings;
            one.harmonics = h;
            detail::HarmonicRun run{h, {}, {}};
            run.spectrum.method = SearchMethod::Gls;
            run.spectrum.harmonics = h;
            run.spectrum.grid = plan.grid;
            run.spectrum.values = std::move(moreLevels[static_cast<std::size_t>(h - 2)]);
            run.peaks =
                detail::peakList(prepared, one, run.spectrum, plan.span, static_cast<int>(threads));
            runs.push_back(std::move(run));
        }
        moreLevels.clear();
        // Cancelled: the one-harmonic spectrum that was shown, and its peaks.
        std::size_t chosen = 0;
        if (stopping())
            result.peaks = std::move(runs[0].peaks);
        else
            result.peaks = detail::chooseHarmonics(
                prepared, runs, static_cast<std::size_t>(std::max(0, settings.peaks)), &chosen);
        result.spectrum = std::move(runs[chosen].spectrum);
        result.spectrum.window = std::move(window);
    }

    // The GLS spectrum of the same grid (by the NUFFT, in a second or so), its
    // best peaks, and about each of them and its harmonics and subharmonics a
    // window of the grid: where an eclipsing binary's period (twice the GLS
    // peak's) or a Cepheid's (the GLS peak's own) must lie.
    std::vector<Range> glsPeakWindows() {
        SearchSettings gls = settings;
        gls.method = SearchMethod::Gls;
        gls.harmonics = 1;
        gls.refineGls = false;
        gls.spectralWindow = false;
        gls.peaks = RefinePeaks;
        const SearchResult r = runSearch(data, gls, &cancelled);
        std::vector<Range> windows;
        const FrequencyGrid& g = plan.grid;
        for (const Peak& p : r.peaks)
            for (double ratio : {1.0, 2.0, 3.0, 0.5, 1.0 / 3}) {
                const double k = std::round((p.frequency * ratio - g.fmin) / g.step);
                if (k < -RefineHalfWidth || k > static_cast<double>(g.count) + RefineHalfWidth)
                    continue;
                const double lo = std::max(0.0, k - RefineHalfWidth);
                const double hi = std::min(static_cast<double>(g.count), k + RefineHalfWidth + 1);
                if (lo < hi)
                    windows.emplace_back(static_cast<std::size_t>(lo),
                                         static_cast<std::size_t>(hi));
            }
        std::sort(windows.begin(), windows.end());
        std::vector<Range> merged;
        for (const Range& w : windows) {
            if (!merged.empty() && w.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, w.second);
            else
                merged.push_back(w);
        }
        return merged;
    }

    // GLS peaks to refine, and grid steps either side of each candidate: the
    // grid step is a tenth of the resolution, so this is five resolutions.
    static constexpr int RefinePeaks = 5;
    static constexpr double RefineHalfWidth = 50;
};

PeriodSearch::PeriodSearch(SearchData data, SearchSettings settings)
    : run_(std::make_unique<Run>()) {
    if (settings.method == SearchMethod::Gls)
        settings.refineGls = false;
    run_->plan = planSearch(data, settings);
    // Automatic harmonics: this run's own grid has one, the others follow it.
    if (settings.method == SearchMethod::Gls && settings.harmonics == AutoHarmonics) {
        run_->autoHarmonics = true;
        run_->autoLimit = detail::autoHarmonicsLimit(run_->plan.points);
        settings.harmonics = 1;
    } else if (settings.harmonics == AutoHarmonics) {
        settings.harmonics = 1;
    }
    run_->data = std::move(data);
    run_->settings = settings;
    if (!run_->plan.ok) {
        run_->result.status = SearchResult::Status::Failed;
        run_->result.reason = run_->plan.reason;
        return;
    }
    run_->threads = detail::threadsFor(settings.threads);
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
    run_->background = true;
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

std::size_t PeriodSearch::total() const {
    if (!run_->plan.ok || !run_->unitsReady.load(std::memory_order_acquire))
        return 0;
    return run_->totalCount;
}

Spectrum PeriodSearch::partial() const {
    Spectrum s;
    s.method = run_->settings.method;
    s.harmonics = run_->harmonicsOfValues();
    s.grid = run_->plan.grid;
    s.values.assign(run_->plan.grid.count, std::numeric_limits<double>::quiet_NaN());
    partial(s);
    return s;
}

void PeriodSearch::partial(Spectrum& s,
                           std::vector<std::pair<std::size_t, std::size_t>>* copied) const {
    const bool fresh = s.method != run_->settings.method ||
                       s.harmonics != run_->harmonicsOfValues() ||
                       s.values.size() != run_->plan.grid.count ||
                       s.grid.fmin != run_->plan.grid.fmin || s.grid.step != run_->plan.grid.step;
    s.method = run_->settings.method;
    s.harmonics = run_->harmonicsOfValues();
    s.grid = run_->plan.grid;
    s.window.clear();
    if (copied)
        copied->clear();
    if (fresh && !run_->shownReady.load(std::memory_order_acquire)) {
        // Nothing computed yet, and the grid's worth of NaN not made yet.
        s.values.clear();
        return;
    }
    std::lock_guard lock(run_->valuesLock);
    if (fresh) {
        if (run_->shown.size() == run_->plan.grid.count)
            s.values.swap(run_->shown); // made on the run's thread
        else
            s.values.assign(run_->plan.grid.count, std::numeric_limits<double>::quiet_NaN());
    }
    if (!run_->unitsReady.load(std::memory_order_acquire))
        return;
    const std::vector<double>& from =
        run_->valuesMoved ? run_->result.spectrum.values : run_->values;
    if (from.size() != s.values.size())
        return; // the result was taken
    for (std::size_t c = 0; c < run_->units.size(); ++c) {
        if (!run_->unitDone[c].load(std::memory_order_acquire))
            continue;
        const auto [k0, k1] = run_->units[c];
        // A unit already copied is final: its first value is no longer NaN.
        if (fresh || k0 == k1 || std::isnan(s.values[k0])) {
            std::copy(from.begin() + k0, from.begin() + k1, s.values.begin() + k0);
            if (copied && k0 < k1)
                copied->emplace_back(k0, k1);
        }
    }
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

SearchResult PeriodSearch::takeResult() {
    result();
    // Under the lock that partial() reads the finished values under.
    std::lock_guard lock(run_->valuesLock);
    return std::move(run_->result);
}

SearchResult runSearch(const SearchData& data, const SearchSettings& settings,
                       const std::atomic<bool>* cancel, const SearchProgress& progress) {
    PeriodSearch search(data, settings);
    search.run_->externalCancel = cancel;
    search.run_->progress = progress;
    search.result();
    return std::move(search.run_->result);
}

RefinedPeak refinePeak(const SearchData& data, const SearchSettings& settings, double frequency,
                       double halfWidth) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::refine(p, oneHarmonicWhenAuto(settings), frequency, halfWidth);
}

double statisticAt(const SearchData& data, const SearchSettings& settings, double frequency) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::statistic(p, oneHarmonicWhenAuto(settings), frequency);
}

double estimateSeconds(const SearchData& data, const SearchSettings& settings) {
    const SearchPlan plan = planSearch(data, settings);
    if (!plan.ok)
        return 0;
    if (settings.method == SearchMethod::Gls && settings.harmonics == AutoHarmonics) {
        // One pass with the most harmonics gives the fewer too.
        SearchSettings most = settings;
        most.harmonics = detail::autoHarmonicsLimit(plan.points);
        return estimateSeconds(data, most);
    }
    const unsigned threads = detail::threadsFor(settings.threads);
    const Prepared p = detail::prepare(data, plan.weighted);
    const auto work = detail::makeGridWork(p, settings, plan.grid, threads);
    std::vector<double> out(std::min(work->unit(), plan.grid.count));
    const std::size_t count = plan.grid.count;
    std::size_t done = 0, size = 16;
    double elapsed = 0;
    // Ever larger runs of frequencies until 15 ms have passed: the window waits for it.
    while (done < count && elapsed < 0.015) {
        const std::size_t n = std::min({size, work->unit(), count - done});
        const auto t0 = std::chrono::steady_clock::now();
        work->compute(done, done + n, out.data());
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        done += n;
        size *= 2;
    }
    const double share = std::min<double>(
        threads, std::ceil(static_cast<double>(count) / static_cast<double>(work->unit())));
    return elapsed * static_cast<double>(count) / static_cast<double>(done) / std::max(1.0, share);
}

double spectralWindowAt(const SearchData& data, const SearchSettings& settings, double frequency) {
    const Prepared p = detail::prepare(data, settings.useWeights);
    return detail::windowAt(p, frequency);
}

} // namespace varilume
