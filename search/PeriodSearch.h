#pragma once

// Period search over a light curve: the generalised Lomb–Scargle periodogram
// (1 to 4 harmonics), phase dispersion minimisation and string length, with a
// peak list that says which peaks are aliases. Plain C++ over doubles: no Qt,
// so the kernels can be benchmarked and tested on their own, and the window
// only starts, polls, cancels and shows a run.

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "search/SearchMethods.h"
#include "search/Verdict.h"

namespace varilume {

/// How the GLS sums over the grid are computed: by the recurrence (cost N M)
/// or the non-uniform FFT (about M log M). Auto chooses by cost; the results
/// agree to 1e-9 either way, so only tests and benchmarks ever say.
enum class SumsPath { Auto, Direct, Nufft };

/// True when a higher value of the method's statistic means a better period.
bool higherIsBetter(SearchMethod method);

/// The observations to search. Times in days (full or reduced JD: the search
/// works relative to the first time, so both give the same answer). Errors
/// are one-sigma uncertainties, empty when there are none.
struct SearchData {
    std::vector<double> times;
    std::vector<double> mags;
    std::vector<double> errors;
};

/// The one rule for weights, at every entry point: data are weighted by
/// 1/error^2 only when every observation has a usable uncertainty, one that
/// is finite and positive (usableError).
/// A search asked to weight other data is refused (planSearch says why); the
/// single-frequency functions below compute them unweighted.
bool weightsUsable(const SearchData& data);
inline bool usableError(double e) {
    return e > 0 && e < std::numeric_limits<double>::infinity();
}

struct SearchSettings {
    SearchMethod method = SearchMethod::Gls;
    int harmonics = 1;           // GLS: 1 to 4, or AutoHarmonics: each peak's chosen by its FAP
    int pdmBins = 10;            // PDM: bins per cover
    int pdmCovers = 2;           // PDM: shifted bin sets
    bool useWeights = false;     // weight by 1/error^2 (see weightsUsable)
    double minPeriod = 0;        // days; 0: from the data (see defaultRange)
    double maxPeriod = 0;        // days; 0: from the data
    double oversample = 10;      // frequency step = 1 / (oversample * span)
    int peaks = 10;              // rows in the peak list
    int threads = 0;             // 0: every core
    bool spectralWindow = false; // also compute the window trace on the grid
    SumsPath sums = SumsPath::Auto;
    // Plan the FFTs by timing them (FFTW_MEASURE): up to 2.5 times as fast
    // as plans by estimate on common processors, but the first plan of each
    // length in a process takes 0.2 to 4 s. Worth it when many stars share
    // the lengths.
    bool measureFft = false;
    // PDM, string length: "Refine the GLS peaks": the statistic only in narrow
    // windows about the best GLS peaks, their harmonics and subharmonics.
    bool refineGls = false;
};

/// SearchSettings::harmonics for "Auto": GLS with 1 to 4 harmonics, each
/// candidate period with the number that gives it the lowest false-alarm probability.
inline constexpr int AutoHarmonics = 0;

/// The trial frequencies: fmin, fmin + step, ... (count of them), in cycles/day.
struct FrequencyGrid {
    double fmin = 0;
    double step = 0;
    std::size_t count = 0;
    double frequency(std::size_t i) const { return fmin + step * static_cast<double>(i); }
    double fmax() const { return count ? frequency(count - 1) : fmin; }
};

/// The period range that suits the data: from 0.05 d, or twice the smallest
/// spacing between distinct times when that is larger, up to half the span.
struct PeriodRange {
    double minPeriod = 0;
    double maxPeriod = 0;
};
PeriodRange defaultRange(std::span<const double> times);

/// What a search would do with these data and settings, checked before a run:
/// the grid (whose count the window shows) or the reason it cannot run.
struct SearchPlan {
    bool ok = false;
    std::string reason; // one line, for a message or standard error
    FrequencyGrid grid;
    PeriodRange range; // the range actually used (defaults filled in)
    double span = 0;   // days between first and last time
    std::size_t points = 0;
    bool weighted = false; // weights in use (settings asked and errors exist)
};
SearchPlan planSearch(const SearchData& data, const SearchSettings& settings);

/// One row of the peak list.
struct Peak {
    int rank = 0;         // 1 = best
    double period = 0;    // days
    double frequency = 0; // cycles/day
    double power = 0;     // GLS power, PDM theta or string length
    double fap = -1;      // GLS false-alarm probability (Baluev 2008), any harmonics; < 0: none;
                          // 0 where it is below the smallest double
    double sigmaPeriod =
        -1;             // standard error of the period (Montgomery & O'Donoghue 1999); < 0: none
    std::string note;   // "1/day alias of #1", "harmonic of #2", "sampling", ...
    int harmonics = 0;  // GLS: the harmonics of the fit behind power and fap; 0: other methods
    double fapRed = -1; // false-alarm probability against the red-noise continuum; < 0: none
    Verdict verdict = Verdict::NotSignificant; // of this peak (verdictOf); set when a run is done
};

/// The statistic over the grid. Values not computed yet are NaN.
struct Spectrum {
    SearchMethod method = SearchMethod::Gls;
    int harmonics = 0; // GLS: the harmonics of the power (automatic: those chosen); else 0
    FrequencyGrid grid;
    std::vector<double> values;
    std::vector<double> window; // spectral window on the same grid (empty unless asked)
};

/// The note of every peak of a cancelled run: found in the part searched.
inline constexpr const char* kPartialNote = "partial search";

struct SearchResult {
    enum class Status { Done, Cancelled, Failed };
    Status status = Status::Failed;
    std::string reason; // set when Failed
    Spectrum spectrum;
    /// Best first; after a cancel, those of the part searched (NaN elsewhere
    /// in the spectrum), each noted kPartialNote.
    std::vector<Peak> peaks;
    /// What the best peak says about the star: its verdict (NotSignificant after a cancel).
    Verdict verdict = Verdict::NotSignificant;
    bool ok() const { return status == Status::Done; }
};

/// Reports progress from worker threads: the number of trial frequencies
/// finished out of the total. Must be thread-safe and quick.
using SearchProgress = std::function<void(std::size_t done, std::size_t total)>;

/// Runs a search to the end on the calling thread (using worker threads for
/// the grid). Stops early with Status::Cancelled when *cancel becomes true.
SearchResult runSearch(const SearchData& data, const SearchSettings& settings,
                       const std::atomic<bool>* cancel = nullptr,
                       const SearchProgress& progress = {});

/// A search running in the background, for a window that polls it by timer:
/// start() returns at once; progress() and partial() can be read at any time;
/// cancel() stops it; the destructor cancels and waits.
class PeriodSearch {
public:
    PeriodSearch(SearchData data, SearchSettings settings);
    ~PeriodSearch();
    PeriodSearch(const PeriodSearch&) = delete;
    PeriodSearch& operator=(const PeriodSearch&) = delete;

    const SearchPlan& plan() const;
    void start();
    void cancel();
    bool finished() const;
    /// Trial frequencies done so far, out of total().
    std::size_t done() const;
    /// Trial frequencies the run computes: the grid, or (refining the GLS
    /// peaks) the windows about them, 0 until those are known.
    std::size_t total() const;
    /// The spectrum so far (NaN where not yet computed).
    Spectrum partial() const;
    /// The same, brought up to date in place: only the units of work finished
    /// since the last call are copied (a poll at 11 million frequencies then
    /// costs what is new, not the whole grid). When copied is given, it gets
    /// the index ranges copied; so started afresh (another grid) is NaN elsewhere.
    /// Until the run has set itself up, so's values stay empty: the grid's
    /// worth of NaN is made on the run's thread and handed over, not made here.
    void partial(Spectrum& so,
                 std::vector<std::pair<std::size_t, std::size_t>>* copied = nullptr) const;
    /// Waits for the end and returns the result (peaks included).
    const SearchResult& result();
    /// The same, moved out (no copy of a spectrum of millions of values); the
    /// search keeps an empty result.
    SearchResult takeResult();

private:
    friend SearchResult runSearch(const SearchData&, const SearchSettings&,
                                  const std::atomic<bool>*, const SearchProgress&);
    struct Run;
    std::unique_ptr<Run> run_;
};

/// Refines a frequency on the exact statistic within [f - halfWidth, f + halfWidth]
/// to far below the grid step. Returns the refined frequency and its value.
struct RefinedPeak {
    double frequency = 0;
    double value = 0;
};
RefinedPeak refinePeak(const SearchData& data, const SearchSettings& settings, double frequency,
                       double halfWidth);

/// The statistic at one frequency, computed directly (no recurrences).
double statisticAt(const SearchData& data, const SearchSettings& settings, double frequency);

/// Seconds a run would take on this machine, from a timed sample of the grid
/// (about 15 ms); 0 when the plan fails.
double estimateSeconds(const SearchData& data, const SearchSettings& settings);

/// The spectral window |sum w exp(2 pi i f t)|^2 / (sum w)^2 at one frequency:
/// 1 at f = 0, near 1 wherever the sampling itself repeats (1 c/d for nightly data).
double spectralWindowAt(const SearchData& data, const SearchSettings& settings, double frequency);

} // namespace varilume
