#include "Synthetic.h"
#include "search/Gls.h"
#include "search/Pdm.h"
#include "search/Peaks.h"
#include "search/PeriodSearch.h"
#include "search/StringLength.h"

#include <QFile>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <map>

using namespace varilume;
using namespace varilume::synthetic;

namespace {

QString dataPath(const char* name) {
    return QStringLiteral(VARILUME_TEST_DATA "/search/data/") + QLatin1String(name);
}

std::vector<std::vector<double>> readRows(const char* name) {
    QFile file(dataPath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", name);
    std::vector<std::vector<double>> rows;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(u' ', Qt::SkipEmptyParts);
        std::vector<double> row;
        for (const QString& p : parts)
            row.push_back(p.toDouble());
        if (!row.empty())
            rows.push_back(row);
    }
    return rows;
}

SearchData referenceStar() {
    SearchData d;
    for (const auto& r : readRows("gls_points.txt")) {
        d.times.push_back(r[0]);
        d.mags.push_back(r[1]);
        d.errors.push_back(r[2]);
    }
    return d;
}

double relative(double a, double b) {
    return std::abs(a - b) / std::max(std::abs(b), 1e-300);
}

const Peak* peakNear(const std::vector<Peak>& peaks, double period, double tol) {
    for (const Peak& p : peaks)
        if (std::abs(p.period - period) <= tol * period)
            return &p;
    return nullptr;
}

QString describe(const std::vector<Peak>& peaks) {
    QString s;
    for (const Peak& p : peaks)
        s += QStringLiteral("#%1 P=%2 v=%3 fap=%4 [%5]\n")
                 .arg(p.rank)
                 .arg(p.period, 0, 'g', 8)
                 .arg(p.power, 0, 'g', 6)
                 .arg(p.fap, 0, 'g', 3)
                 .arg(QString::fromStdString(p.note));
    return s;
}

} // namespace

class TestPeriodSearch : public QObject {
    Q_OBJECT

private slots:
    void glsMatchesReference_data();
    void glsMatchesReference();
    void gridMatchesDirectSums_data();
    void gridMatchesDirectSums();
    void fapMatchesReference();
    void pdmMatchesDefinition_data();
    void pdmMatchesDefinition();
    void stringLengthMatchesSortedFold();
    void knownStars_data();
    void knownStars();
    void aliasesTagged_data();
    void aliasesTagged();
    void pureNoiseHasNoSignificantPeak();
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

void TestPeriodSearch::glsMatchesReference_data() {
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<bool>("weighted");
    for (int h = 1; h <= 4; ++h)
        for (bool w : {false, true})
            QTest::addRow("%d harmonic(s), %s", h, w ? "weighted" : "unweighted") << h << w;
}

// Guards the normalisation (fraction of variance, floating mean, harmonics,
// weights) against an independent implementation, at every listed frequency,
// by the direct sums and by the grid recurrence alike.
void TestPeriodSearch::glsMatchesReference() {
    QFETCH(int, harmonics);
    QFETCH(bool, weighted);
    const SearchData star = referenceStar();
    const detail::Prepared p = detail::prepare(star, weighted);
    std::vector<std::pair<double, double>> ref;
    for (const auto& r : readRows("gls_power.txt"))
        if (static_cast<int>(r[0]) == harmonics && (r[1] != 0) == weighted)
            ref.emplace_back(r[2], r[3]);
    QCOMPARE(ref.size(), std::size_t{200});
    for (const auto& [f, power] : ref) {
        const double direct = detail::glsPowerAt(p, harmonics, f);
        QVERIFY2(relative(direct, power) < 1e-9,
                 qPrintable(QStringLiteral("f=%1 direct %2 reference %3")
                                .arg(f)
                                .arg(direct, 0, 'g', 17)
                                .arg(power, 0, 'g', 17)));
    }
    // The first 150 frequencies are an even grid.
    const FrequencyGrid grid{ref[0].first, (ref[149].first - ref[0].first) / 149, 150};
    std::vector<double> out(grid.count);
    detail::glsGrid(p, harmonics, grid, 0, grid.count, out.data());
    for (std::size_t k = 0; k < grid.count; ++k)
        QVERIFY2(relative(out[k], ref[k].second) < 1e-9,
                 qPrintable(QStringLiteral("grid f=%1 %2 reference %3")
                                .arg(ref[k].first)
                                .arg(out[k], 0, 'g', 17)
                                .arg(ref[k].second, 0, 'g', 17)));
}

void TestPeriodSearch::gridMatchesDirectSums_data() {
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("start");
    QTest::addRow("1 harmonic") << 1 << 0.01;
    QTest::addRow("2 harmonics") << 2 << 0.01;
    QTest::addRow("4 harmonics") << 4 << 0.01;
    QTest::addRow("1 harmonic, high frequencies") << 1 << 40.0;
}

// Guards the recurrence along a long grid: many re-anchorings, far from the
// start, a count that is no multiple of any block size.
void TestPeriodSearch::gridMatchesDirectSums() {
    QFETCH(int, harmonics);
    QFETCH(double, start);
    const detail::Prepared p = detail::prepare(referenceStar(), true);
    const FrequencyGrid grid{start, 1 / (10 * p.span), 2777};
    std::vector<double> out(grid.count), window(grid.count);
    detail::glsGrid(p, harmonics, grid, 0, grid.count, out.data());
    detail::windowGrid(p, grid, 0, grid.count, window.data());
    for (std::size_t k = 0; k < grid.count; k += 7) {
        const double f = grid.frequency(k);
        QVERIFY2(relative(out[k], detail::glsPowerAt(p, harmonics, f)) < 1e-9,
                 qPrintable(QString::number(k)));
        QVERIFY2(relative(window[k], detail::windowAt(p, f)) < 1e-9,
                 qPrintable(QString::number(k)));
    }
}

// Guards the false-alarm probability against the reference's Baluev formula.
void TestPeriodSearch::fapMatchesReference() {
    const SearchData star = referenceStar();
    for (const auto& r : readRows("gls_fap.txt")) {
        const detail::Prepared p = detail::prepare(star, r[0] != 0);
        const double fap = detail::baluevFap(p, r[2], r[1]);
        QVERIFY2(
            relative(fap, r[3]) < 1e-6 || std::abs(fap - r[3]) < 1e-12,
            qPrintable(
                QStringLiteral("z=%1 fmax=%2: %3 vs %4").arg(r[2]).arg(r[1]).arg(fap).arg(r[3])));
    }
}

void TestPeriodSearch::pdmMatchesDefinition_data() {
    QTest::addColumn<int>("bins");
    QTest::addColumn<int>("covers");
    QTest::addRow("10 bins, 1 cover") << 10 << 1;
    QTest::addRow("10 bins, 2 covers") << 10 << 2;
    QTest::addRow("5 bins, 3 covers") << 5 << 3;
    QTest::addRow("8 bins, 4 covers") << 8 << 4;
}

// Guards theta against Stellingwerf's definition computed the plain way: each
// cover its own set of shifted bins, pooled variance over total variance.
void TestPeriodSearch::pdmMatchesDefinition() {
    QFETCH(int, bins);
    QFETCH(int, covers);
    const SearchData star = referenceStar();
    const detail::Prepared p = detail::prepare(star, false);
    const std::size_t n = p.size();
    double mean = 0;
    for (double y : p.y)
        mean += y / static_cast<double>(n);
    double total = 0;
    for (double y : p.y)
        total += (y - mean) * (y - mean);
    const double variance = total / static_cast<double>(n - 1);
    auto oracle = [&](double f) {
        double within = 0, dof = 0;
        for (int c = 0; c < covers; ++c) {
            const double shift = static_cast<double>(c) / (bins * covers);
            for (int b = 0; b < bins; ++b) {
                std::vector<double> in;
                for (std::size_t i = 0; i < n; ++i) {
                    const double ph = frac(frac(f * p.t[i]) - shift + 1);
                    if (std::min(bins - 1, static_cast<int>(ph * bins)) == b)
                        in.push_back(p.y[i]);
                }
                if (in.empty())
                    continue;
                double m = 0;
                for (double y : in)
                    m += y / static_cast<double>(in.size());
                for (double y : in)
                    within += (y - m) * (y - m);
                dof += static_cast<double>(in.size()) - 1;
            }
        }
        return within / dof / variance;
    };
    const FrequencyGrid grid{0.05, 0.0137, 300};
    std::vector<double> out(grid.count);
    detail::pdmGrid(p, {bins, covers}, grid, 0, grid.count, out.data());
    for (std::size_t k = 0; k < grid.count; k += 3) {
        const double f = grid.frequency(k);
        const double expected = oracle(f);
        QVERIFY2(std::abs(out[k] - expected) < 1e-9,
                 qPrintable(QStringLiteral("f=%1: %2 vs %3").arg(f).arg(out[k]).arg(expected)));
        QCOMPARE(detail::pdmThetaAt(p, {bins, covers}, f), out[k]);
    }
}

// Guards the bucket-sorted string length against a plain sort of the fold.
void TestPeriodSearch::stringLengthMatchesSortedFold() {
    const detail::Prepared p = detail::prepare(referenceStar(), false);
    const auto [lo, hi] = std::minmax_element(p.y.begin(), p.y.end());
    const FrequencyGrid grid{0.02, 0.0311, 200};
    std::vector<double> out(grid.count);
    detail::stringGrid(p, grid, 0, grid.count, out.data());
    for (std::size_t k = 0; k < grid.count; k += 5) {
        const double f = grid.frequency(k);
        std::vector<std::pair<double, double>> fold;
        for (std::size_t i = 0; i < p.size(); ++i)
            fold.emplace_back(frac(f * p.t[i]), (p.y[i] - *lo) / (2 * (*hi - *lo)) - 0.25);
        std::sort(fold.begin(), fold.end());
        double length = 0;
        for (std::size_t i = 0; i < fold.size(); ++i) {
            const auto& a = fold[i];
            const auto& b = fold[(i + 1) % fold.size()];
            const double dp = b.first - a.first + (i + 1 == fold.size() ? 1 : 0);
            length += std::hypot(dp, b.second - a.second);
        }
        QVERIFY2(relative(out[k], length) < 1e-12, qPrintable(QString::number(f)));
    }
}

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
    const SearchData eb = make(
        night, [](double t) { return eclipsing(t, 2.4); }, 0.01, 4);
    QTest::addRow("eclipsing binary, GLS 1 harmonic finds half")
        << eb << gls << 1 << 0.5 << 10.0 << 1.2 << 1e-3;
    QTest::addRow("eclipsing binary, PDM finds the period")
        << eb << pdm << 1 << 0.5 << 10.0 << 2.4 << 1e-3;
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
    PeriodSearch search(star, s);
    search.start();
    const Spectrum early = search.partial();
    const SearchResult& r = search.result();
    QVERIFY(r.ok());
    QCOMPARE(early.values.size(), r.spectrum.values.size());
    for (std::size_t k = 0; k < early.values.size(); ++k)
        QVERIFY(std::isnan(early.values[k]) || early.values[k] == r.spectrum.values[k]);
    const Spectrum late = search.partial();
    QVERIFY(std::none_of(late.values.begin(), late.values.end(),
                         [](double v) { return std::isnan(v); }));
}

QTEST_APPLESS_MAIN(TestPeriodSearch)
#include "tst_periodsearch.moc"
