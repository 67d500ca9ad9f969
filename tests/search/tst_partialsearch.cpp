#include "Synthetic.h"
#include "search/PeriodSearch.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>

using namespace varilume;

Q_DECLARE_METATYPE(varilume::SearchMethod)

namespace {

// A 10-day sine seen on 300 nights: its frequency, 0.1 c/d, lies in the first
// hundredth of the default grid, which runs up from the longest period.
SearchData tenDayStar() {
    synthetic::Sampling s;
    s.fraction = 0.7;
    return synthetic::make(
        s, [](double t) { return 10 + 0.5 * std::sin(synthetic::pi2() * t / 10.0); }, 0.05, 7);
}

} // namespace

class TestPartialSearch : public QObject {
    Q_OBJECT

private slots:
    void cancelled_data() {
        QTest::addColumn<SearchMethod>("method");
        QTest::addColumn<double>("share"); // share of the grid done before the cancel
        QTest::addRow("GLS cancelled before any work") << SearchMethod::Gls << 0.0;
        QTest::addRow("GLS cancelled at half") << SearchMethod::Gls << 0.5;
        QTest::addRow("PDM cancelled at a third") << SearchMethod::Pdm << 0.33;
        QTest::addRow("string length cancelled at half") << SearchMethod::StringLength << 0.5;
    }

    // Guards a cancelled run: the peaks of the part searched, each marked
    // partial and lying where the spectrum was computed; none before any work.
    void cancelled() {
        QFETCH(SearchMethod, method);
        QFETCH(double, share);
        SearchSettings s;
        s.method = method;
        s.threads = 1;
        std::atomic<bool> cancel{share == 0};
        const SearchResult r =
            runSearch(tenDayStar(), s, &cancel, [&](std::size_t done, std::size_t total) {
                if (double(done) >= share * double(total))
                    cancel = true;
            });
        QCOMPARE(r.status, SearchResult::Status::Cancelled);
        if (share == 0) {
            QVERIFY(r.peaks.empty());
            return;
        }
        const auto& v = r.spectrum.values;
        QVERIFY(std::isnan(v.back()));
        QVERIFY(!r.peaks.empty());
        for (std::size_t i = 0; i < r.peaks.size(); ++i) {
            const Peak& p = r.peaks[i];
            QCOMPARE(p.rank, int(i + 1));
            QVERIFY2(QString::fromStdString(p.note).startsWith(kPartialNote), p.note.c_str());
            const auto k = std::size_t(
                std::lround((p.frequency - r.spectrum.grid.fmin) / r.spectrum.grid.step));
            QVERIFY(k < v.size() && !std::isnan(v[k]));
        }
        // The star's own period lies in the part searched, and is found there.
        QVERIFY(std::any_of(r.peaks.begin(), r.peaks.end(),
                            [](const Peak& p) { return std::abs(p.period - 10.0) < 0.05; }));
    }
};

QTEST_APPLESS_MAIN(TestPartialSearch)
#include "tst_partialsearch.moc"
