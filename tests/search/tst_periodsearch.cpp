// Finding the period of synthetic stars with known answers: the peak list, its
// notes, its precision and the run itself.
#include "SearchChecks.h"
#include "Synthetic.h"
#include "search/Gls.h"
#include "search/Pdm.h"
#include "search/Peaks.h"
#include "search/PeriodSearch.h"
#include "search/StringLength.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>

using namespace varilume;
using namespace varilume::searchchecks;
using namespace varilume::synthetic;

class TestPeriodSearch : public QObject {
    Q_OBJECT

private slots:
    void knownStars_data();
    void knownStars();
    void aliasesTagged_data();
    void aliasesTagged();
    void aliasNoteTolerance_data();
    void aliasNoteTolerance();
    void pureNoiseHasNoSignificantPeak();
    void samplingPeakTagged();
    void refinementBeatsGrid_data();
    void refinementBeatsGrid();
    void fullAndReducedJdAgree_data();
    void fullAndReducedJdAgree();
    void badInput_data();
    void badInput();
    void defaultRangeFromData_data();
    void defaultRangeFromData();
    void cancelStopsRun();
    void partialSpectrumIsFinalWhereDone();
};

namespace {

double sine(double t, double period) {
    return 12 + 0.5 * std::sin(pi2() * t / period);
}

// Fast rise over a fifth of the cycle, slow decline: a Cepheid's shape.
double cepheid(double t, double period) {
    const double ph = frac(t / period);
    return ph < 0.2 ? 6.5 - 0.8 * ph / 0.2 : 5.7 + 0.8 * (ph - 0.2) / 0.8;
}

// A deep and a shallow eclipse, half a cycle apart.
double eclipsing(double t, double period) {
    const double ph = frac(t / period);
    auto dip = [](double x, double depth) {
        return std::abs(x) < 0.1 ? depth * (1 - std::abs(x) / 0.1) : 0;
    };
    return 10 + dip(ph < 0.5 ? ph : ph - 1, 0.8) + dip(ph - 0.5, 0.25);
}

// A period that grows by a few per cent over the span.
double mira(double t) {
    const double t0 = 2'460'000, p0 = 330, rate = 0.01;
    const double x = t - t0;
    const double cycles = std::log1p(rate * x / p0) / rate;
    return 8 + 2.5 * std::sin(pi2() * cycles);
}

struct Case {
    SearchData data;
    SearchSettings settings;
};

} // namespace

void TestPeriodSearch::knownStars_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<double>("maxPeriod");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance"); // relative

    Sampling night;
    night.fraction = 0.7;
    const int gls = static_cast<int>(SearchMethod::Gls), pdm = static_cast<int>(SearchMethod::Pdm),
              str = static_cast<int>(SearchMethod::StringLength);
    const SearchData sineStar = make(
        night, [](double t) { return sine(t, 3.118); }, 0.05, 1);
    QTest::addRow("sine, GLS") << sineStar << gls << 1 << 0.0 << 0.0 << 3.118 << 1e-4;
    QTest::addRow("sine, PDM") << sineStar << pdm << 1 << 0.5 << 20.0 << 3.118 << 1e-3;
    QTest::addRow("sine, string length") << sineStar << str << 1 << 0.5 << 20.0 << 3.118 << 1e-3;
    const SearchData ceph = make(
        night, [](double t) { return cepheid(t, 5.366); }, 0.03, 2);
    QTest::addRow("sawtooth Cepheid, GLS 3 harmonics")
        << ceph << gls << 3 << 0.0 << 0.0 << 5.366 << 5e-4;
    QTest::addRow("sawtooth Cepheid, PDM") << ceph << pdm << 1 << 1.0 << 20.0 << 5.366 << 1e-3;
    Sampling longRun;
    longRun.nights = 3000;
    longRun.fraction = 0.15;
    QTest::addRow("Mira with a drifting period, GLS")
        << make(longRun, mira, 0.2, 3) << gls << 1 << 50.0 << 1000.0 << 340.0 << 0.05;
    // The eclipsing binary's best periods are checked with its alias notes.
    Sampling season;
    season.nights = 60;
    season.fraction = 0.8;
    season.perNight = 3;
    QTest::addRow("single season") << make(
                                          season, [](double t) { return sine(t, 7.3); }, 0.05, 5)
                                   << gls << 1 << 0.0 << 0.0 << 7.3 << 2e-3;
}

// Guards that each method finds the known period of a typical star.
void TestPeriodSearch::knownStars() {
    QFETCH(SearchData, data);
    QFETCH(int, method);
    QFETCH(int, harmonics);
    QFETCH(double, minPeriod);
    QFETCH(double, maxPeriod);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    SearchSettings s;
    s.method = static_cast<SearchMethod>(method);
    s.harmonics = harmonics;
    s.minPeriod = minPeriod;
    s.maxPeriod = maxPeriod;
    const SearchResult r = runSearch(data, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    QVERIFY(!r.peaks.empty());
    QVERIFY2(relative(r.peaks[0].period, expected) < tolerance, qPrintable(describe(r.peaks)));
    QVERIFY(r.peaks[0].sigmaPeriod > 0);
}

void TestPeriodSearch::aliasesTagged_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<int>("method");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<double>("maxPeriod");
    QTest::addColumn<double>("best");
    QTest::addColumn<double>("aliasPeriod");
    QTest::addColumn<QString>("note");

    Sampling nightly;
    nightly.nights = 200;
    nightly.sameHour = true;
    // 1.25 c/d, observed at one hour each night: aliases at 0.25 and 2.25 c/d.
    QTest::addRow("nightly gaps: 1/day alias")
        << make(
               nightly, [](double t) { return sine(t, 0.8); }, 0.05, 6)
        << static_cast<int>(SearchMethod::Gls) << 0.3 << 10.0 << 0.8 << 1 / (1.25 - 1.0)
        << "1/day alias of #1";
    Sampling yearly;
    yearly.nights = 5 * 365;
    yearly.fraction = 0.5;
    yearly.seasonDays = 100;
    // 1/30 c/d: the 1/year aliases lie at 1/30 +- 1/365.26 c/d.
    QTest::addRow("yearly gaps: 1/year alias")
        << make(
               yearly, [](double t) { return sine(t, 30); }, 0.1, 7)
        << static_cast<int>(SearchMethod::Gls) << 10.0 << 100.0 << 30.0
        << 1 / (1 / 30.0 + 1 / 365.25636) << "1/year alias of #1";
    Sampling night;
    night.fraction = 0.7;
    const SearchData eb = make(
        night, [](double t) { return eclipsing(t, 2.4); }, 0.01, 4);
    QTest::addRow("eclipsing binary, PDM: half period is a harmonic")
        << eb << static_cast<int>(SearchMethod::Pdm) << 0.5 << 10.0 << 2.4 << 1.2
        << "harmonic of #1";
    QTest::addRow("eclipsing binary, GLS: full period is a subharmonic")
        << eb << static_cast<int>(SearchMethod::Gls) << 0.5 << 10.0 << 1.2 << 2.4
        << "subharmonic of #1";
}

// Guards the alias notes: the alias is listed, and says what it is an alias of.
void TestPeriodSearch::aliasesTagged() {
    QFETCH(SearchData, data);
    QFETCH(int, method);
    QFETCH(double, minPeriod);
    QFETCH(double, maxPeriod);
    QFETCH(double, best);
    QFETCH(double, aliasPeriod);
    QFETCH(QString, note);
    SearchSettings s;
    s.method = static_cast<SearchMethod>(method);
    s.minPeriod = minPeriod;
    s.maxPeriod = maxPeriod;
    const SearchResult r = runSearch(data, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    QVERIFY2(relative(r.peaks[0].period, best) < 1e-3, qPrintable(describe(r.peaks)));
    const Peak* alias = peakNear(r.peaks, aliasPeriod, 2e-3);
    QVERIFY2(alias, qPrintable(describe(r.peaks)));
    QCOMPARE(QString::fromStdString(alias->note), note);
}

void TestPeriodSearch::aliasNoteTolerance_data() {
    QTest::addColumn<double>("frequency");
    QTest::addColumn<QString>("note");
    // Against a best peak at 1/330 c/d in 1,600 days of data: a frequency
    // resolution of about 1/1600 c/d.
    const double f = 1.0 / 330, day = 1.00273791, year = 1 / 365.25636;
    QTest::addRow("second harmonic") << 2 * f << "harmonic of #1";
    QTest::addRow("third harmonic, within the resolution") << 3 * f + 2e-4 << "harmonic of #1";
    QTest::addRow("well past the third harmonic") << 3 * f + 7e-4 << "";
    QTest::addRow("subharmonic") << f / 2 + 1e-4 << "subharmonic of #1";
    QTest::addRow("yearly alias") << f - year << "1/year alias of #1";
    QTest::addRow("daily alias") << day - f << "1/day alias of #1";
    QTest::addRow("unrelated") << 0.0171 << "";
}

// Guards how close a peak must lie to a harmonic or alias of a better one to
// be called one: within the frequency resolution of the data, not m times it
// (a peak 0.0009 c/d from three times the best frequency was once called its
// third harmonic).
void TestPeriodSearch::aliasNoteTolerance() {
    QFETCH(double, frequency);
    QFETCH(QString, note);
    Sampling sampling;
    sampling.nights = 1600;
    sampling.fraction = 0.2;
    const SearchData data = make(
        sampling, [](double) { return 10.0; }, 0.1, 7);
    const detail::Prepared p = detail::prepare(data, false);
    std::vector<Peak> peaks(2);
    peaks[0].rank = 1;
    peaks[0].frequency = 1.0 / 330;
    peaks[1].rank = 2;
    peaks[1].frequency = frequency;
    detail::tagAliases(peaks, p, 1600);
    QCOMPARE(QString::fromStdString(peaks[1].note), note);
}

// Guards the false-alarm probabilities against reporting noise as a detection.
void TestPeriodSearch::pureNoiseHasNoSignificantPeak() {
    Sampling night;
    night.nights = 400;
    night.fraction = 0.5;
    const SearchData noise = make(
        night, [](double) { return 12.0; }, 0.1, 8);
    const SearchResult r = runSearch(noise, SearchSettings{});
    QVERIFY2(r.ok(), r.reason.c_str());
    QCOMPARE(r.peaks.size(), std::size_t{10});
    for (const Peak& p : r.peaks)
        QVERIFY2(p.fap >= 0.01, qPrintable(describe(r.peaks)));
}

// Guards the "sampling" note: a nightly drift with the hour (an extinction
// trend) makes a peak at one cycle a day that the spectral window shares.
void TestPeriodSearch::samplingPeakTagged() {
    Sampling nightly;
    nightly.nights = 150;
    nightly.perNight = 6;
    nightly.sameHour = true;
    const SearchData star = make(
        nightly, [](double t) { return 12 + 3 * (frac(t) - 0.05); }, 0.002, 10);
    SearchSettings s;
    s.minPeriod = 0.5;
    s.maxPeriod = 2;
    const SearchResult r = runSearch(star, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    QVERIFY2(std::abs(r.peaks[0].frequency - 1) < 0.01, qPrintable(describe(r.peaks)));
    QCOMPARE(r.peaks[0].note, std::string("sampling"));
}

void TestPeriodSearch::refinementBeatsGrid_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("second");    // amplitude of the second harmonic
    QTest::addColumn<double>("tolerance"); // in grid steps
    // Curves the fit can match exactly put the true top at the true frequency.
    QTest::addRow("GLS 1 harmonic") << static_cast<int>(SearchMethod::Gls) << 1 << 0.0 << 1e-4;
    QTest::addRow("GLS 3 harmonics") << static_cast<int>(SearchMethod::Gls) << 3 << 0.2 << 1e-4;
    QTest::addRow("PDM") << static_cast<int>(SearchMethod::Pdm) << 1 << 0.2 << 0.5;
    QTest::addRow("string length")
        << static_cast<int>(SearchMethod::StringLength) << 1 << 0.2 << 0.5;
}

// Guards the refinement: a noiseless star's listed frequency lies far closer
// to the truth than the grid step, and its value is the exact statistic there,
// no worse than the best grid point.
void TestPeriodSearch::refinementBeatsGrid() {
    QFETCH(int, method);
    QFETCH(int, harmonics);
    QFETCH(double, second);
    QFETCH(double, tolerance);
    Sampling night;
    night.perNight = 4;
    const double f0 = 1 / 2.7182818;
    const SearchData star = make(
        night,
        [&](double t) {
            return 9 + 0.4 * std::sin(pi2() * f0 * t) + second * std::cos(2 * pi2() * f0 * t + 1);
        },
        0.0, 9);
    SearchSettings s;
    s.method = static_cast<SearchMethod>(method);
    s.harmonics = harmonics;
    s.minPeriod = 1;
    s.maxPeriod = 5;
    const SearchResult r = runSearch(star, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    const double step = r.spectrum.grid.step;
    const Peak& top = r.peaks[0];
    QVERIFY2(std::abs(top.frequency - f0) < tolerance * step,
             qPrintable(QStringLiteral("off by %1 steps").arg((top.frequency - f0) / step)));
    QCOMPARE(top.power, statisticAt(star, s, top.frequency));
    const auto& v = r.spectrum.values;
    const double gridBest = higherIsBetter(s.method) ? *std::max_element(v.begin(), v.end())
                                                     : *std::min_element(v.begin(), v.end());
    QVERIFY(higherIsBetter(s.method) ? top.power >= gridBest : top.power <= gridBest);
}

void TestPeriodSearch::fullAndReducedJdAgree_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("harmonics");
    QTest::addRow("GLS") << static_cast<int>(SearchMethod::Gls) << 2;
    QTest::addRow("PDM") << static_cast<int>(SearchMethod::Pdm) << 1;
    QTest::addRow("string length") << static_cast<int>(SearchMethod::StringLength) << 1;
}

// Guards the time arguments: the same star in full JDs (near 2,460,000) and in
// reduced JDs gives the very same peak list.
void TestPeriodSearch::fullAndReducedJdAgree() {
    QFETCH(int, method);
    QFETCH(int, harmonics);
    const SearchData reduced = referenceStar();
    SearchData full = reduced;
    for (double& t : full.times)
        t += 2'460'000;
    SearchSettings s;
    s.method = static_cast<SearchMethod>(method);
    s.harmonics = harmonics;
    s.minPeriod = 0.5;
    s.maxPeriod = 20;
    const SearchResult a = runSearch(reduced, s), b = runSearch(full, s);
    QVERIFY(a.ok() && b.ok());
    QCOMPARE(a.peaks.size(), b.peaks.size());
    for (std::size_t i = 0; i < a.peaks.size(); ++i) {
        QCOMPARE(a.peaks[i].frequency, b.peaks[i].frequency);
        QCOMPARE(a.peaks[i].power, b.peaks[i].power);
        QCOMPARE(a.peaks[i].sigmaPeriod, b.peaks[i].sigmaPeriod);
        QCOMPARE(a.peaks[i].note, b.peaks[i].note);
    }
}

void TestPeriodSearch::badInput_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<double>("maxPeriod");
    QTest::addColumn<QString>("reason");
    const SearchData good = referenceStar();
    QTest::addRow("two points")
        << SearchData{{2460000.1, 2460001.3}, {11.2, 11.5}, {}} << 0.0 << 0.0
        << "Too few observations for a period search: 2 (at least 5 are needed).";
    SearchData flat = good;
    std::fill(flat.mags.begin(), flat.mags.end(), 11.25);
    QTest::addRow("all magnitudes equal")
        << flat << 0.0 << 0.0
        << "All magnitudes are equal (11.25): there is no variation to search.";
    SearchData sameTime = good;
    std::fill(sameTime.times.begin(), sameTime.times.end(), 2460000.5);
    QTest::addRow("one moment")
        << sameTime << 0.0 << 0.0
        << "All observations have the same time: a period search needs a time span.";
    SearchData nan = good;
    nan.mags[3] = std::nan("");
    QTest::addRow("not a number") << nan << 0.0 << 0.0
                                  << "Observation 4 has a time or magnitude that is not a number.";
    SearchData seven = good;
    seven.times.resize(7);
    seven.mags.resize(7);
    seven.errors.resize(7);
    QTest::addRow("more harmonics than the points carry")
        << seven << 0.0 << 0.0 << "GLS with 3 harmonics needs at least 9 observations, not 7.";
    QTest::addRow("range upside down")
        << good << 10.0 << 2.0 << "The shortest period (10 d) must be less than the longest (2 d).";
    QTest::addRow("grid too large") << good << 0.0001 << 400.0
                                    << "Too many trial frequencies (51206212): raise the shortest "
                                       "period or lower the oversampling.";
}

// Guards that hopeless input is a clear reason, never a run or a crash.
void TestPeriodSearch::badInput() {
    QFETCH(SearchData, data);
    QFETCH(double, minPeriod);
    QFETCH(double, maxPeriod);
    QFETCH(QString, reason);
    SearchSettings s;
    s.harmonics = 3;
    s.minPeriod = minPeriod;
    s.maxPeriod = maxPeriod;
    const SearchPlan plan = planSearch(data, s);
    QVERIFY(!plan.ok);
    QCOMPARE(QString::fromStdString(plan.reason), reason);
    const SearchResult r = runSearch(data, s);
    QCOMPARE(r.status, SearchResult::Status::Failed);
    QCOMPARE(QString::fromStdString(r.reason), reason);
}

void TestPeriodSearch::defaultRangeFromData_data() {
    QTest::addColumn<std::vector<double>>("times");
    QTest::addColumn<double>("minPeriod");
    QTest::addColumn<double>("maxPeriod");
    QTest::addRow("dense: 0.05 d") << std::vector<double>{0, 0.001, 0.5, 1, 100} << 0.05 << 50.0;
    QTest::addRow("sparse: twice the smallest spacing")
        << std::vector<double>{10, 13, 14, 16, 40} << 2.0 << 15.0;
    QTest::addRow("repeated times ignored") << std::vector<double>{5, 5, 5.5, 7, 25} << 1.0 << 10.0;
}

// Guards the default period range: from 0.05 d or twice the smallest spacing,
// to half the span.
void TestPeriodSearch::defaultRangeFromData() {
    QFETCH(std::vector<double>, times);
    QFETCH(double, minPeriod);
    QFETCH(double, maxPeriod);
    const PeriodRange r = defaultRange(times);
    QCOMPARE(r.minPeriod, minPeriod);
    QCOMPARE(r.maxPeriod, maxPeriod);
}

// Guards cancelling: a cancelled run stops, says so, and lists no peaks.
void TestPeriodSearch::cancelStopsRun() {
    const SearchData star = referenceStar();
    std::atomic<bool> cancel{true};
    const SearchResult r = runSearch(star, SearchSettings{}, &cancel);
    QCOMPARE(r.status, SearchResult::Status::Cancelled);
    QVERIFY(r.peaks.empty());

    SearchSettings big;
    big.oversample = 200;
    PeriodSearch search(star, big);
    search.start();
    search.cancel();
    const SearchResult& res = search.result();
    QCOMPARE(res.status, SearchResult::Status::Cancelled);
    QVERIFY(search.finished());
    QVERIFY(search.done() < search.plan().grid.count);
}

// Guards the partial spectrum a window draws while the run goes on: what is
// there is final, the rest is NaN.
void TestPeriodSearch::partialSpectrumIsFinalWhereDone() {
    const SearchData star = referenceStar();
    SearchSettings s;
    s.oversample = 50;
    s.spectralWindow = true;
    PeriodSearch search(star, s);
    search.start();
    const Spectrum early = search.partial();
    const SearchResult& r = search.result();
    QVERIFY(r.ok());
    QCOMPARE(early.values.size(), r.spectrum.values.size());
    for (std::size_t k = 0; k < early.values.size(); ++k)
        QVERIFY(std::isnan(early.values[k]) || early.values[k] == r.spectrum.values[k]);
    // The window trace comes with the result, on the same grid.
    QCOMPARE(r.spectrum.window.size(), r.spectrum.values.size());
    for (std::size_t k = 0; k < r.spectrum.window.size(); k += 997)
        QVERIFY(relative(r.spectrum.window[k],
                         spectralWindowAt(star, s, r.spectrum.grid.frequency(k))) < 1e-9);
    const Spectrum late = search.partial();
    QVERIFY(std::none_of(late.values.begin(), late.values.end(),
                         [](double v) { return std::isnan(v); }));
}

QTEST_APPLESS_MAIN(TestPeriodSearch)
#include "tst_periodsearch.moc"
