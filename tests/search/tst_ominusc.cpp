// O–C: the ephemeris fits against numpy (tools/fit_reference.py), a Mira
// whose period shrinks, and seasons of unequal coverage.
#include "SearchChecks.h"
#include "Synthetic.h"
#include "search/OMinusC.h"

#include <QTest>
#include <cmath>
#include <numbers>
#include <random>

using namespace varilume;
using namespace varilume::searchchecks;

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// A saw-tooth-like light curve at a phase that the caller works out.
double shape(double phase) {
    return -1.6 * std::sin(TwoPi * phase + 0.3) - 0.5 * std::sin(2 * TwoPi * phase + 1.1) -
           0.2 * std::sin(3 * TwoPi * phase + 2.0);
}

// A Mira whose period falls by `rate` days per year: cycles = ln(P(t)/P0) / pdot.
SearchData mira(double p0, double ratePerYear, int years, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0, 0.15);
    std::uniform_real_distribution<double> u(0, 1);
    const double pdot = ratePerYear / 365.25, t0 = 2455000 + years * 365.25 / 2;
    SearchData d;
    for (double t = 2455000; t < 2455000 + years * 365.25; t += 2 + 3 * u(rng)) {
        if (std::fmod(t - 2455000, 365.25) > 290) // the star is behind the Sun
            continue;
        const double phase = std::log((p0 + pdot * (t - t0)) / p0) / pdot;
        d.times.push_back(t);
        d.mags.push_back(7 + shape(phase) + noise(rng));
        d.errors.push_back(0.15);
    }
    return d;
}

// A constant period, with seasons holding the given numbers of observations.
SearchData seasons(double period, const std::vector<int>& counts, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0, 0.03);
    std::uniform_real_distribution<double> u(0, 1);
    SearchData d;
    for (std::size_t s = 0; s < counts.size(); ++s)
        for (int i = 0; i < counts[s]; ++i) {
            const double t = 2458000 + 365.25 * static_cast<double>(s) + 150 * u(rng);
            d.times.push_back(t);
            d.mags.push_back(12 + 0.25 * shape(t / period) + noise(rng));
            d.errors.push_back(0.03);
        }
    return d;
}

} // namespace

class TestOMinusC : public QObject {
    Q_OBJECT

private slots:
    void ephemerisMatchesReference_data();
    void ephemerisMatchesReference();
    void miraPeriodChange();
    void unequalSeasons();
    void grouping_data();
    void grouping();
    void badInput_data();
    void badInput();
};

void TestOMinusC::ephemerisMatchesReference_data() {
    QTest::addColumn<int>("degree");
    QTest::addRow("linear") << 1;
    QTest::addRow("quadratic") << 2;
}

// Guards the weighted ephemeris fits (and their covariance scaled by the
// scatter) and what they mean: E0, P and dP/dt.
void TestOMinusC::ephemerisMatchesReference() {
    QFETCH(int, degree);
    std::vector<OcPoint> points;
    for (const auto& r : readRows("oc_table.txt")) {
        OcPoint o;
        o.cycle = std::llround(r[0]);
        o.oc = r[1];
        o.sigma = r[2];
        points.push_back(o);
    }
    std::vector<double> coef, cov;
    for (const auto& r : readRows("oc_fit.txt"))
        if (static_cast<int>(r[0]) == degree)
            (r[1] == 0 ? coef : cov).push_back(r[4]);
    const double E = 2450000.5, P = 310.25;
    const Ephemeris e = fitEphemeris(points, E, P, degree == 2);
    QVERIFY2(e.ok, e.reason.c_str());
    const std::size_t p = coef.size();
    QCOMPARE(e.coefficients.size(), p);
    for (std::size_t i = 0; i < p; ++i) {
        QVERIFY2(
            relative(e.coefficients[i], coef[i]) < 1e-9,
            qPrintable(QStringLiteral("%1: %2 %3").arg(i).arg(e.coefficients[i]).arg(coef[i])));
        for (std::size_t j = 0; j < p; ++j)
            QVERIFY(std::abs(e.covariance[i * p + j] - cov[i * p + j]) <=
                    1e-9 * std::sqrt(cov[i * p + i] * cov[j * p + j]));
    }
    QVERIFY(std::abs(e.epoch.value - (E + coef[0])) < 1e-9);
    QVERIFY(relative(e.period.value, P + coef[1]) < 1e-14);
    QVERIFY(relative(e.period.sigma, std::sqrt(cov[p + 1])) < 1e-9);
    if (degree == 2) {
        QVERIFY(relative(e.dPdt.value, 2 * coef[2] * 365.25 / (P + coef[1])) < 1e-9);
        QVERIFY(relative(e.dPdt.sigma, 2 * std::sqrt(cov[8]) * 365.25 / (P + coef[1])) < 1e-9);
    } else {
        QVERIFY(e.dPdt.sigma < 0);
    }
}

// Guards the rate of period change: a Mira made with dP/dt = -3.8 d/yr over
// 16 seasons gives it back within twice its error, and its O–C, counted
// continuously, grows to more than half a cycle away from a line.
void TestOMinusC::miraPeriodChange() {
    const SearchData d = mira(330, -3.8, 16, 7);
    FourierSettings fs;
    fs.frequency = 1 / 330.0;
    fs.order = 3;
    fs.freeFrequency = true;
    const FourierFit f = fitFourier(d, fs);
    QVERIFY2(f.ok, f.reason.c_str());
    OcSettings s;
    s.period = f.period.value;
    const OcResult r = measureOC(d, s);
    QVERIFY2(r.ok, r.reason.c_str());
    QCOMPARE(r.points.size(), std::size_t{16});
    QVERIFY2(r.quadratic.ok, r.quadratic.reason.c_str());
    const Estimate rate = r.quadratic.dPdt;
    QVERIFY2(std::abs(rate.value + 3.8) <= 2 * rate.sigma,
             qPrintable(QStringLiteral("dP/dt = %1 +- %2 d/yr").arg(rate.value).arg(rate.sigma)));
    QVERIFY(rate.sigma < 0.5);
    for (std::size_t i = 1; i < r.points.size(); ++i)
        QVERIFY(r.points[i].cycle > r.points[i - 1].cycle);
}

// Guards seasons of unequal coverage: each season is one group, whatever its
// size; every time of maximum agrees with the true ephemeris within three
// errors, and the sparse season's error is the larger.
void TestOMinusC::unequalSeasons() {
    const double P = 5.366249;
    const SearchData d = seasons(P, {12, 160, 35, 300, 8}, 3);
    OcSettings s;
    s.period = P;
    const OcResult r = measureOC(d, s);
    QVERIFY2(r.ok, r.reason.c_str());
    QCOMPARE(r.points.size(), std::size_t{5});
    // The made curve is brightest (least magnitude) where shape() is least.
    double brightest = 0;
    for (int i = 1; i < 1'000'000; ++i)
        if (shape(i / 1e6) < shape(brightest))
            brightest = i / 1e6;
    std::vector<std::size_t> sizes;
    for (const OcPoint& o : r.points) {
        sizes.push_back(o.points);
        const double lag = std::remainder(o.time - brightest * P, P);
        QVERIFY2(
            std::abs(lag) <= 3 * o.sigma + 1e-9,
            qPrintable(
                QStringLiteral("cycle %1 off by %2 +- %3").arg(o.cycle).arg(lag).arg(o.sigma)));
        QVERIFY(std::abs(o.oc - std::remainder(o.time - r.epoch, P)) < 1e-9);
    }
    QCOMPARE(sizes, (std::vector<std::size_t>{12, 160, 35, 300, 8}));
    QVERIFY(r.points[0].sigma > r.points[3].sigma);
    QVERIFY(r.points[4].sigma > r.points[1].sigma);
    QVERIFY(std::abs(r.linear.period.value - P) <= 3 * r.linear.period.sigma);
}

void TestOMinusC::grouping_data() {
    QTest::addColumn<int>("grouping");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("groups");
    QTest::addRow("seasons") << static_cast<int>(OcGrouping::Seasons) << 0.0 << 3;
    // Seasons of 150 days a year apart: bins of 200 days hold 1 + 2 + 2 pieces,
    // bins of 20 cycles (107 days) 2 + 2 + 3.
    QTest::addRow("every 200 days") << static_cast<int>(OcGrouping::Days) << 200.0 << 5;
    QTest::addRow("every 20 cycles") << static_cast<int>(OcGrouping::Cycles) << 20.0 << 7;
}

// Guards the three ways of grouping: a group never spans a season's gap
// when the step is shorter than a season.
void TestOMinusC::grouping() {
    QFETCH(int, grouping);
    QFETCH(double, size);
    QFETCH(int, groups);
    const double P = 5.366249;
    const SearchData d = seasons(P, {200, 200, 200}, 5);
    OcSettings s;
    s.period = P;
    s.epoch = 2458000.0;
    s.grouping = static_cast<OcGrouping>(grouping);
    s.groupSize = size;
    const OcResult r = measureOC(d, s);
    QVERIFY2(r.ok, r.reason.c_str());
    QCOMPARE(static_cast<int>(r.points.size()), groups);
    std::size_t total = 0;
    for (const OcPoint& o : r.points)
        total += o.points;
    QCOMPARE(total, std::size_t{600});
}

void TestOMinusC::badInput_data() {
    QTest::addColumn<double>("period");
    QTest::addColumn<int>("grouping");
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("reason");
    QTest::addRow("period zero") << 0.0 << 0 << 0.0
                                 << "The period must be a positive number of days.";
    QTest::addRow("days without a size") << 5.0 << static_cast<int>(OcGrouping::Days) << 0.0
                                         << "The group size must be a positive number.";
}

// Guards that an O–C that cannot be made says why.
void TestOMinusC::badInput() {
    QFETCH(double, period);
    QFETCH(int, grouping);
    QFETCH(double, size);
    QFETCH(QString, reason);
    OcSettings s;
    s.period = period;
    s.grouping = static_cast<OcGrouping>(grouping);
    s.groupSize = size;
    const OcResult r = measureOC(seasons(5.366249, {50, 50}, 1), s);
    QVERIFY(!r.ok);
    QCOMPARE(QString::fromStdString(r.reason), reason);
}

QTEST_APPLESS_MAIN(TestOMinusC)
#include "tst_ominusc.moc"
