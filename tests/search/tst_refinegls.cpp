// "Refine the GLS peaks": PDM and string length only in narrow windows about
// the best GLS peaks, their harmonics and subharmonics.
#include "SearchChecks.h"
#include "Synthetic.h"
#include "search/PeriodSearch.h"

#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::searchchecks;
using namespace varilume::synthetic;

class TestRefineGls : public QObject {
    Q_OBJECT

private slots:
    void findsTruePeriod_data();
    void findsTruePeriod();
};

namespace {

// A deep and a shallow eclipse half a cycle apart: GLS peaks at half the period.
double eclipsing(double t, double period) {
    const double ph = frac(t / period);
    auto dip = [](double x, double depth) {
        return std::abs(x) < 0.08 ? depth * (1 - std::abs(x) / 0.08) : 0;
    };
    return 10 + dip(ph < 0.5 ? ph : ph - 1, 0.9) + dip(ph - 0.5, 0.3);
}

// Fast rise, slow decline: GLS peaks at the period itself.
double cepheid(double t, double period) {
    const double ph = frac(t / period);
    return ph < 0.2 ? 6.5 - 0.8 * ph / 0.2 : 5.7 + 0.8 * (ph - 0.2) / 0.8;
}

} // namespace

void TestRefineGls::findsTruePeriod_data() {
    QTest::addColumn<SearchData>("data");
    QTest::addColumn<int>("method");
    QTest::addColumn<double>("period");
    // Eight seasons, two observations on most nights: half a million trial
    // frequencies at the default range.
    const Sampling seasons{2'455'000, 2920, 0.7, 150, false, 2};
    const double eb = 2.8713, ceph = 5.366;
    const SearchData binary = make(
        seasons, [&](double t) { return eclipsing(t, eb); }, 0.02, 21);
    const SearchData pulsator = make(
        seasons, [&](double t) { return cepheid(t, ceph); }, 0.03, 22);
    const int pdm = static_cast<int>(SearchMethod::Pdm);
    const int str = static_cast<int>(SearchMethod::StringLength);
    QTest::addRow("eclipsing binary, PDM: twice the GLS peak") << binary << pdm << eb;
    QTest::addRow("eclipsing binary, string length") << binary << str << eb;
    QTest::addRow("Cepheid, PDM: the GLS peak itself") << pulsator << pdm << ceph;
}

// Guards the refine mode: the true period is found, as precisely as a whole
// run finds it, with the statistic computed on a small part of the grid.
void TestRefineGls::findsTruePeriod() {
    QFETCH(SearchData, data);
    QFETCH(int, method);
    QFETCH(double, period);
    SearchSettings s;
    s.method = static_cast<SearchMethod>(method);
    s.refineGls = true;
    PeriodSearch search(data, s);
    search.start();
    const SearchResult& r = search.result();
    QVERIFY2(r.ok(), r.reason.c_str());
    QVERIFY(!r.peaks.empty());
    QVERIFY2(std::abs(r.peaks.front().period - period) < 1e-4 * period,
             qPrintable(describe(r.peaks)));
    QVERIFY(search.total() > 0);
    QVERIFY(search.total() * 100 < search.plan().grid.count);
    QCOMPARE(search.done(), search.total());
}

QTEST_APPLESS_MAIN(TestRefineGls)
#include "tst_refinegls.moc"
