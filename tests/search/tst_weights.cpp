// One rule for weights at every entry point of the search: an uncertainty of
// zero, below zero or not a number never becomes an infinite or a meaningless
// weight.
#include "SearchChecks.h"
#include "search/Peaks.h"
#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <numbers>

using namespace varilume;
using namespace varilume::searchchecks;

namespace {

// A star of period 3.118 d, with uncertainties; one of them is replaced per case.
SearchData star() {
    SearchData d;
    for (int i = 0; i < 120; ++i) {
        const double t = 2460000.3 + i * 1.37 + 0.2 * std::sin(i * 0.7);
        d.times.push_back(t);
        d.mags.push_back(11 + 0.4 * std::sin(2 * std::numbers::pi * t / 3.118) +
                         0.03 * std::sin(i * 12.9898));
        d.errors.push_back(0.02 + 0.01 * (i % 5));
    }
    return d;
}

enum class Entry { Statistic, Refine, Window, Prepare };

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestWeights : public QObject {
    Q_OBJECT

private slots:
    void unusableErrorsGiveUnweightedValues_data();
    void unusableErrorsGiveUnweightedValues();
    void searchRefusesUnusableErrors_data();
    void searchRefusesUnusableErrors();
};

namespace {

void errorCases() {
    QTest::addColumn<double>("error"); // put in for observation 17
    QTest::addRow("zero") << 0.0;
    QTest::addRow("negative") << -0.05;
    QTest::addRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    QTest::addRow("infinite") << std::numeric_limits<double>::infinity();
}

} // namespace

void TestWeights::unusableErrorsGiveUnweightedValues_data() {
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<double>("error");
    const std::pair<const char*, Entry> entries[] = {{"statisticAt", Entry::Statistic},
                                                     {"refinePeak", Entry::Refine},
                                                     {"spectralWindowAt", Entry::Window},
                                                     {"prepare", Entry::Prepare}};
    const std::pair<const char*, double> errors[] = {
        {"zero", 0.0},
        {"negative", -0.05},
        {"not a number", std::numeric_limits<double>::quiet_NaN()},
        {"infinite", std::numeric_limits<double>::infinity()}};
    for (const auto& [entryName, entry] : entries)
        for (const auto& [errorName, error] : errors)
            QTest::addRow("%s, error %s", entryName, errorName) << entry << error;
}

// Guards the single-frequency entry points: asked to weight data with an
// unusable uncertainty they compute unweighted (a zero gave an infinite
// weight and NaN), and finite.
void TestWeights::unusableErrorsGiveUnweightedValues() {
    QFETCH(Entry, entry);
    QFETCH(double, error);
    SearchData data = star();
    data.errors[17] = error;
    SearchSettings weighted;
    weighted.useWeights = true;
    SearchSettings plain;
    const double f = 1 / 3.118;
    double got = 0, expected = 0;
    switch (entry) {
    case Entry::Statistic:
        got = statisticAt(data, weighted, f);
        expected = statisticAt(data, plain, f);
        break;
    case Entry::Refine:
        got = refinePeak(data, weighted, f, 0.002).frequency;
        expected = refinePeak(data, plain, f, 0.002).frequency;
        break;
    case Entry::Window:
        got = spectralWindowAt(data, weighted, 0.9973);
        expected = spectralWindowAt(data, plain, 0.9973);
        break;
    case Entry::Prepare: {
        const detail::Prepared p = detail::prepare(data, true);
        got = p.w[17];
        expected = 1.0 / static_cast<double>(data.times.size());
        break;
    }
    }
    QVERIFY2(std::isfinite(got), qPrintable(QString::number(got)));
    QCOMPARE(got, expected);
}

void TestWeights::searchRefusesUnusableErrors_data() {
    errorCases();
}

// Guards the search itself: asked to weight, it says why it cannot, with the
// spectral window asked for too; without weights the same data search fine.
void TestWeights::searchRefusesUnusableErrors() {
    QFETCH(double, error);
    SearchData data = star();
    data.errors[17] = error;
    SearchSettings s;
    s.useWeights = true;
    s.spectralWindow = true;
    s.minPeriod = 2;
    s.maxPeriod = 5;
    QVERIFY(!weightsUsable(data));
    const SearchResult refused = runSearch(data, s);
    QCOMPARE(refused.status, SearchResult::Status::Failed);
    QCOMPARE(refused.reason,
             std::string("Weighting needs a positive uncertainty for every observation."));
    s.useWeights = false;
    const SearchResult r = runSearch(data, s);
    QVERIFY(r.ok());
    for (const Peak& p : r.peaks)
        QVERIFY(std::isfinite(p.power) && std::isfinite(p.sigmaPeriod) && p.fap >= 0);
    QVERIFY(std::all_of(r.spectrum.window.begin(), r.spectrum.window.end(),
                        [](double w) { return std::isfinite(w); }));
    QVERIFY(std::abs(r.peaks.front().period - 3.118) < 0.01);
}

QTEST_APPLESS_MAIN(TestWeights)
#include "tst_weights.moc"
