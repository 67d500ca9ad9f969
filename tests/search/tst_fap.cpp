#include "search/PeriodSearch.h"

#include <QTest>
#include <cmath>
#include <cstdint>

using namespace varilume;

namespace {

// A fixed generator, so that every run and every library draws the same stars.
struct Noise {
    std::uint64_t state;
    double uniform() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    }
    double gaussian() {
        return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * M_PI * uniform());
    }
};

// Pure noise at irregular times over 100 days.
SearchData noiseStar(Noise& rng, int points) {
    SearchData d;
    for (int i = 0; i < points; ++i)
        d.times.push_back(100 * rng.uniform());
    for (int i = 0; i < points; ++i)
        d.mags.push_back(10 + 0.1 * rng.gaussian());
    return d;
}

} // namespace

class TestFap : public QObject {
    Q_OBJECT
private slots:
    void noiseFalseAlarms_data() {
        QTest::addColumn<int>("harmonics");
        QTest::addColumn<double>("level");
        for (int h = 1; h <= 4; ++h)
            for (double level : {0.05, 0.2})
                QTest::addRow("%d harmonics, %g", h, level) << h << level;
    }

    // Guards the false-alarm probability of the best peak of pure noise: at a
    // level alpha, at most about alpha of the noise stars may fall below it
    // (an upper bound), and not far fewer (a bound of no use).
    void noiseFalseAlarms() {
        QFETCH(int, harmonics);
        QFETCH(double, level);
        SearchSettings s;
        s.harmonics = harmonics;
        s.minPeriod = 0.5;
        s.maxPeriod = 50;
        s.oversample = 5;
        s.peaks = 1;
        s.threads = 1;
        Noise rng{static_cast<std::uint64_t>(977 * harmonics)};
        constexpr int Stars = 600;
        int alarms = 0;
        for (int k = 0; k < Stars; ++k) {
            const SearchResult r = runSearch(noiseStar(rng, 60), s);
            QVERIFY2(r.ok(), r.reason.c_str());
            QVERIFY(r.peaks.front().fap >= 0 && r.peaks.front().fap <= 1);
            alarms += r.peaks.front().fap < level ? 1 : 0;
        }
        const double rate = static_cast<double>(alarms) / Stars;
        const double spread = std::sqrt(level * (1 - level) / Stars);
        const QByteArray seen =
            QByteArray::number(rate) + " of the noise stars below " + QByteArray::number(level);
        QVERIFY2(rate <= level + 3 * spread, seen.constData());
        QVERIFY2(rate >= level / 3, seen.constData());
    }
};

QTEST_GUILESS_MAIN(TestFap)
#include "tst_fap.moc"
