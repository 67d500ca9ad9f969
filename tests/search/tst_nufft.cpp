// The non-uniform FFT path of the GLS against the direct sums: the transform
// itself, the power over whole grids on awkward sampling, the peak lists, and
// the segments the grid is cut into.
#include "SearchChecks.h"
#include "Synthetic.h"
#include "search/Kernels.h"
#include "search/Nufft.h"
#include "search/PeriodSearch.h"
#include "search/Prepared.h"
#include "search/TrigKernel.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>

using namespace varilume;
using namespace varilume::searchchecks;
using namespace varilume::synthetic;

class TestNufft : public QObject {
    Q_OBJECT

private slots:
    void transformMatchesDirectSums_data();
    void transformMatchesDirectSums();
    void pathsAgreeOverWholeGrid_data();
    void pathsAgreeOverWholeGrid();
    void fullAndReducedJdSameList();
    void peakOnSegmentBoundaryFoundOnce();
    void badInputSameReasons_data();
    void badInputSameReasons();
    void segmentsReportProgressAndCancel();
};

namespace {

double sine(double t, double period) {
    return 12 + 0.5 * std::sin(pi2() * t / period) + 0.15 * std::sin(2 * pi2() * t / period + 1);
}

// Random times over a span, clustered into a few nights a month.
SearchData clustered(double start, double span, int n, double period, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 0.03);
    SearchData d;
    for (int i = 0; i < n; ++i) {
        const double night = std::floor(u(rng) * span / 30) * 30 + std::floor(u(rng) * 4);
        const double t = start + night + 0.2 * u(rng);
        d.times.push_back(t);
        d.mags.push_back(sine(t, period) + g(rng));
        d.errors.push_back(0.01 + 0.05 * u(rng));
    }
    return d;
}

// Observations over a century, most of them in its last decades.
SearchData century(double start, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    SearchData d;
    for (int i = 0; i < 1500; ++i) {
        const double t = start + 36525 * std::sqrt(u(rng));
        d.times.push_back(t);
        d.mags.push_back(sine(t, 5.366) + 0.1 * (u(rng) - 0.5));
        d.errors.push_back(0.02 + 0.2 * u(rng));
    }
    return d;
}

double maxDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        worst = std::max(worst, std::abs(a[k] - b[k]));
    return worst;
}

} // namespace

void TestNufft::transformMatchesDirectSums_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("modes");
    QTest::addColumn<double>("spread"); // positions span this many turns
    QTest::addColumn<bool>("measured"); // the FFT planned by timing it
    QTest::addRow("few points, few modes") << 7 << 10 << 1.0 << false;
    QTest::addRow("random, odd mode count") << 400 << 999 << 1.0 << false;
    QTest::addRow("positions well past one turn") << 300 << 512 << 37.5 << false;
    QTest::addRow("positions bunched in a tenth of a turn") << 500 << 4096 << 0.1 << false;
    QTest::addRow("measured plan") << 400 << 999 << 1.0 << true;
    QTest::addRow("measured plan, power-of-two grid") << 500 << 4096 << 3.0 << true;
}

// Guards the transform (with plans by estimate and by timing): spreading,
// folding the grid ends, the FFT's sign and the deconvolution, against the
// sums taken directly in long double.
void TestNufft::transformMatchesDirectSums() {
    QFETCH(int, points);
    QFETCH(int, modes);
    QFETCH(double, spread);
    QFETCH(bool, measured);
    std::mt19937_64 rng(static_cast<unsigned>(points * 31 + modes));
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> turns(points);
    std::vector<detail::Complex> c(points), d(points);
    double norm = 0;
    for (int j = 0; j < points; ++j) {
        turns[j] = spread * (u(rng) + 1) / 2;
        c[j] = {u(rng), u(rng)};
        d[j] = {u(rng), 0};
        norm += std::abs(c[j]) + std::abs(d[j]);
    }
    const detail::Nufft1 plan(static_cast<std::size_t>(modes), 2, measured);
    auto work = plan.workspace();
    std::vector<detail::Complex> outC(modes), outD(modes);
    const detail::Complex* in[2] = {c.data(), d.data()};
    detail::Complex* out[2] = {outC.data(), outD.data()};
    plan.transform(*work, turns, {}, in, out);
    double worst = 0;
    for (int m = 0; m < modes; ++m) {
        const long long k = m - modes / 2;
        long double cr = 0, ci = 0, dr = 0, di = 0;
        for (int j = 0; j < points; ++j) {
            const long double x = 2 * 3.14159265358979323846264338327950288L * k * turns[j];
            const long double cs = std::cos(x), sn = std::sin(x);
            cr += c[j].real() * cs - c[j].imag() * sn;
            ci += c[j].real() * sn + c[j].imag() * cs;
            dr += d[j].real() * cs;
            di += d[j].real() * sn;
        }
        worst = std::max({worst, std::abs(outC[m] - detail::Complex(double(cr), double(ci))),
                          std::abs(outD[m] - detail::Complex(double(dr), double(di)))});
    }
    QVERIFY2(worst / norm < 1e-13,
             qPrintable(QStringLiteral("relative error %1").arg(worst / norm)));
}

void TestNufft::pathsAgreeOverWholeGrid_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<double>("maxPeriod");
    const auto season = make(
        Sampling{2'460'000, 120, 0.8, 0, false, 3}, [](double t) { return sine(t, 0.731); }, 0.02,
        5);
    const auto gaps = make(
        Sampling{2'460'000, 3000, 0.3, 90, true, 1}, [](double t) { return sine(t, 17.3); }, 0.05,
        6);
    const auto nights = clustered(2'455'000, 2000, 900, 1.2345, 7);
    const auto old = century(2'400'000, 8);
    QTest::addRow("one season") << season << 0.0 << 0.0;
    QTest::addRow("long gaps, one hour a night") << gaps << 0.5 << 100.0;
    QTest::addRow("clustered nights") << nights << 0.3 << 50.0;
    // The short end of a century's default range: a million turns in f t.
    QTest::addRow("a century, short periods") << old << 0.05 << 0.05004;
    QTest::addRow("a century, long periods") << old << 3.0 << 20000.0;
}

// Guards the promise that the path is invisible: the power from the NUFFT and
// from the direct sums agree to 1e-9 at every grid frequency, for 1 to 4
// harmonics, weighted or not, and the peak lists are the same.
void TestNufft::pathsAgreeOverWholeGrid() {
    QFETCH(SearchData, data);
    QFETCH(double, minPeriod);
    QFETCH(double, maxPeriod);
    for (int h = searchlimits::MinHarmonics; h <= searchlimits::MaxHarmonics; ++h) {
        for (bool weighted : {false, true}) {
            SearchSettings s;
            s.harmonics = h;
            s.useWeights = weighted;
            s.minPeriod = minPeriod;
            s.maxPeriod = maxPeriod;
            s.spectralWindow = h == 1;
            s.threads = 2;
            s.sums = SumsPath::Direct;
            const SearchResult direct = runSearch(data, s);
            s.sums = SumsPath::Nufft;
            const SearchResult fft = runSearch(data, s);
            QVERIFY(direct.ok() && fft.ok());
            const QString what = QStringLiteral("H=%1 weighted=%2 M=%3")
                                     .arg(h)
                                     .arg(weighted)
                                     .arg(direct.spectrum.grid.count);
            const double worst = maxDifference(direct.spectrum.values, fft.spectrum.values);
            QVERIFY2(worst <= 1e-9, qPrintable(what + QStringLiteral(": %1").arg(worst)));
            if (s.spectralWindow)
                QVERIFY2(maxDifference(direct.spectrum.window, fft.spectrum.window) <= 1e-9,
                         qPrintable(what));
            QCOMPARE(fft.peaks.size(), direct.peaks.size());
            for (std::size_t i = 0; i < fft.peaks.size(); ++i) {
                QVERIFY2(relative(fft.peaks[i].frequency, direct.peaks[i].frequency) < 1e-12,
                         qPrintable(what + QStringLiteral("\n") + describe(fft.peaks) +
                                    describe(direct.peaks)));
                QCOMPARE(fft.peaks[i].note, direct.peaks[i].note);
            }
        }
    }
}

// Guards the time arguments of the NUFFT: a century in full JDs and in reduced
// JDs gives the same spectrum and the same list.
void TestNufft::fullAndReducedJdSameList() {
    const SearchData reduced = century(0, 9);
    SearchData full = reduced;
    for (double& t : full.times)
        t += 2'415'020.5;
    SearchSettings s;
    s.harmonics = 2;
    s.minPeriod = 1;
    s.sums = SumsPath::Nufft;
    const SearchResult a = runSearch(reduced, s), b = runSearch(full, s);
    QVERIFY(a.ok() && b.ok());
    QVERIFY(maxDifference(a.spectrum.values, b.spectrum.values) <= 1e-9);
    QCOMPARE(a.peaks.size(), b.peaks.size());
    // The full JDs lose a few bits of the times: peaks agree to far below the grid step.
    for (std::size_t i = 0; i < a.peaks.size(); ++i) {
        QVERIFY(relative(a.peaks[i].frequency, b.peaks[i].frequency) < 1e-10);
        QVERIFY(std::abs(a.peaks[i].power - b.peaks[i].power) < 1e-9);
        QCOMPARE(a.peaks[i].note, b.peaks[i].note);
    }
}

// Guards the segment boundaries: a peak whose top lies where one segment ends
// and the next begins is found once, where the direct sums find it.
void TestNufft::peakOnSegmentBoundaryFoundOnce() {
    const double span = 400, oversample = 10, fmin = 0.01;
    const std::size_t points = 800; // two a night
    const std::size_t segment = detail::nufftSegment({1, false}, points, 40'000, 2);
    const double step = 1 / (oversample * span);
    const double f0 = fmin + static_cast<double>(segment) * step; // the second segment's first
    SearchData d = make(
        Sampling{2'460'000, static_cast<int>(span), 1, 0, false, 2},
        [&](double t) { return 12 + 0.4 * std::sin(pi2() * f0 * (t - 2'460'000)); }, 0.02, 11);
    // Exactly the span the grid step assumes.
    d.times.front() = 2'460'000;
    d.times.back() = 2'460'000 + span;
    QCOMPARE(d.times.size(), points);
    SearchSettings s;
    s.maxPeriod = 1 / fmin;
    s.minPeriod = 1 / (fmin + 39'999.5 * step);
    s.threads = 2;
    s.sums = SumsPath::Nufft;
    const SearchResult fft = runSearch(d, s);
    s.sums = SumsPath::Direct;
    const SearchResult direct = runSearch(d, s);
    QVERIFY(fft.ok() && direct.ok());
    QVERIFY(fft.spectrum.grid.count > segment);
    QVERIFY(std::abs(fft.spectrum.grid.frequency(segment) - f0) < 1e-12);
    int near = 0;
    for (const Peak& p : fft.peaks)
        near += std::abs(p.frequency - f0) < 1 / span;
    QCOMPARE(near, 1);
    QVERIFY(std::abs(fft.peaks.front().frequency - f0) < 0.1 / span);
    QCOMPARE(fft.peaks.front().frequency, direct.peaks.front().frequency);
}

void TestNufft::badInputSameReasons_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<bool>("weighted");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<QString>("reason");
    const SearchData good = century(2'400'000, 3);
    SearchData inf = good;
    inf.times[10] = INFINITY;
    QTest::addRow("infinite time")
        << inf << false << 0.0 << "Observation 11 has a time or magnitude that is not a number.";
    SearchData nanError = good;
    nanError.errors[4] = std::nan("");
    QTest::addRow("weight not a number")
        << nanError << true << 0.0
        << "Weighting needs a positive uncertainty for every observation.";
    SearchData infError = good;
    infError.errors[4] = INFINITY;
    QTest::addRow("infinite weight")
        << infError << true << 0.0
        << "Weighting needs a positive uncertainty for every observation.";
    SearchData still = good;
    std::fill(still.times.begin(), still.times.end(), 2'451'545.0);
    QTest::addRow("zero span") << still << false << 0.0
                               << "All observations have the same time: a period search needs a "
                                  "time span.";
    QTest::addRow("grid over the cap") << good << false << 0.01
                                       << "Too many trial frequencies (35465256): raise the "
                                          "shortest period or lower the oversampling.";
}

// Guards that the NUFFT path changes nothing for hopeless input: the same
// one-line reasons, no spectrum, no run.
void TestNufft::badInputSameReasons() {
    QFETCH(SearchData, data);
    QFETCH(bool, weighted);
    QFETCH(double, minPeriod);
    QFETCH(QString, reason);
    SearchSettings s;
    s.useWeights = weighted;
    s.minPeriod = minPeriod;
    s.sums = SumsPath::Nufft;
    const SearchResult r = runSearch(data, s);
    QCOMPARE(r.status, SearchResult::Status::Failed);
    QCOMPARE(QString::fromStdString(r.reason), reason);
    QVERIFY(r.spectrum.values.empty());
}

// Guards the segments as units of work: progress counts them to the end, a
// partial spectrum is final wherever it has values, and cancelling stops the run.
void TestNufft::segmentsReportProgressAndCancel() {
    const SearchData d = century(2'400'000, 12);
    SearchSettings s;
    s.minPeriod = 0.5;
    s.threads = 2;
    s.sums = SumsPath::Nufft;
    std::atomic<std::size_t> calls{0}, last{0}, totals{0};
    const SearchResult r = runSearch(d, s, nullptr, [&](std::size_t done, std::size_t total) {
        ++calls;
        for (std::size_t seen = last.load();
             done > seen && !last.compare_exchange_weak(seen, done);) {
        }
        totals = total;
    });
    QVERIFY(r.ok());
    QCOMPARE(totals.load(), r.spectrum.grid.count);
    const std::size_t segment =
        detail::nufftSegment({1, false}, d.times.size(), r.spectrum.grid.count, 2);
    QCOMPARE(calls.load(), (r.spectrum.grid.count + segment - 1) / segment);
    QCOMPARE(last.load(), r.spectrum.grid.count);

    PeriodSearch search(d, s);
    search.start();
    Spectrum seen;
    search.partial(seen);
    search.partial(seen); // brought up to date in place
    const SearchResult& full = search.result();
    for (std::size_t k = 0; k < seen.values.size(); ++k)
        QVERIFY(std::isnan(seen.values[k]) || seen.values[k] == full.spectrum.values[k]);
    search.partial(seen);
    QVERIFY(seen.values == full.spectrum.values);

    PeriodSearch cancelled(d, s);
    cancelled.start();
    cancelled.cancel();
    QCOMPARE(cancelled.result().status, SearchResult::Status::Cancelled);
    QVERIFY(cancelled.result().peaks.empty());
}

QTEST_APPLESS_MAIN(TestNufft)
#include "tst_nufft.moc"
