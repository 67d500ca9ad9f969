// The search statistics against independent computations of the same numbers.
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

class TestSearchStatistics : public QObject {
    Q_OBJECT

private slots:
    void glsMatchesReference_data();
    void glsMatchesReference();
    void gridMatchesDirectSums_data();
    void gridMatchesDirectSums();
    void fapMatchesReference();
    void logFapMatchesReference();
    void pdmMatchesDefinition_data();
    void pdmMatchesDefinition();
    void stringLengthMatchesSortedFold();
};

void TestSearchStatistics::glsMatchesReference_data() {
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<bool>("weighted");
    for (int h = 1; h <= 4; ++h)
        for (bool w : {false, true})
            QTest::addRow("%d harmonic(s), %s", h, w ? "weighted" : "unweighted") << h << w;
}

// Guards the normalisation (fraction of variance, floating mean, harmonics,
// weights) against an independent implementation, at every listed frequency,
// by the direct sums and by the grid recurrence alike.
void TestSearchStatistics::glsMatchesReference() {
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

void TestSearchStatistics::gridMatchesDirectSums_data() {
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("start");
    QTest::addRow("1 harmonic") << 1 << 0.01;
    QTest::addRow("2 harmonics") << 2 << 0.01;
    QTest::addRow("4 harmonics") << 4 << 0.01;
    QTest::addRow("1 harmonic, high frequencies") << 1 << 40.0;
}

// Guards the recurrence along a long grid: many re-anchorings, far from the
// start, a count that is no multiple of any block size.
void TestSearchStatistics::gridMatchesDirectSums() {
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
void TestSearchStatistics::fapMatchesReference() {
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

// Guards the probability of a strong signal, far below the smallest double:
// its logarithm against a computation in 1200-digit decimals
// (tools/fap_log_reference.py); the probability itself is 0 only there.
void TestSearchStatistics::logFapMatchesReference() {
    const SearchData star = referenceStar();
    const auto rows = readRows("gls_logfap.txt");
    QCOMPARE(rows.size(), std::size_t{20});
    for (const auto& r : rows) {
        const detail::Prepared p = detail::prepare(star, r[0] != 0);
        const double log10Fap = detail::baluevLogFap(p, r[2], r[1]) / std::log(10.0);
        QVERIFY2(std::abs(log10Fap - r[3]) < 1e-8,
                 qPrintable(QStringLiteral("z=%1 fmax=%2: log10 %3 vs %4")
                                .arg(r[2])
                                .arg(r[1])
                                .arg(log10Fap, 0, 'g', 17)
                                .arg(r[3], 0, 'g', 17)));
        const double fap = detail::baluevFap(p, r[2], r[1]);
        QVERIFY2(r[3] < -324 ? fap == 0 : relative(fap, std::pow(10.0, r[3])) < 1e-6,
                 qPrintable(QString::number(fap)));
    }
}

void TestSearchStatistics::pdmMatchesDefinition_data() {
    QTest::addColumn<int>("bins");
    QTest::addColumn<int>("covers");
    QTest::addRow("10 bins, 1 cover") << 10 << 1;
    QTest::addRow("10 bins, 2 covers") << 10 << 2;
    QTest::addRow("5 bins, 3 covers") << 5 << 3;
    QTest::addRow("8 bins, 4 covers") << 8 << 4;
}

// Guards theta against Stellingwerf's definition computed the plain way: each
// cover its own set of shifted bins, pooled variance over total variance.
void TestSearchStatistics::pdmMatchesDefinition() {
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
void TestSearchStatistics::stringLengthMatchesSortedFold() {
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

QTEST_APPLESS_MAIN(TestSearchStatistics)
#include "tst_searchstatistics.moc"
