// How sure a search is: the harmonics chosen by the data, significance against
// red noise, peaks the sampling makes from power outside the range, and the
// verdict they give.
#include "SearchChecks.h"
#include "Synthetic.h"
#include "search/AutoHarmonics.h"
#include "search/Prepared.h"
#include "search/RedNoise.h"
#include "search/SamplingPeaks.h"

#include <QTest>
#include <cmath>
#include <random>

using namespace varilume;
using namespace varilume::searchchecks;
using namespace varilume::synthetic;

Q_DECLARE_METATYPE(varilume::SearchData)

class TestVerdict : public QObject {
    Q_OBJECT

private slots:
    void verdictTexts_data();
    void verdictTexts();
    void harmonicsChosen_data();
    void harmonicsChosen();
    void fixedHarmonicsUnchanged();
    void continuumMatchesReference();
    void redNoiseFapMatchesReference_data();
    void redNoiseFapMatchesReference();
    void randomWalksRarelyPeriodic_data();
    void randomWalksRarelyPeriodic();
    void samplingParentOutsideRange();
    void eclipsesRarelySampling();
};

namespace {

double sawtooth(double t, double period) {
    return 12 + 0.8 * frac(t / period);
}

// Two narrow eclipses a cycle, the second half as deep.
double eclipses(double t, double period) {
    const double ph = frac(t / period), d0 = std::min(ph, 1 - ph), d1 = std::abs(ph - 0.5);
    return 13 + 0.1 * std::exp(-0.5 * (d0 / 0.03) * (d0 / 0.03)) +
           0.05 * std::exp(-0.5 * (d1 / 0.03) * (d1 / 0.03));
}

// Visits of a few hours around local midnight on random nights over so many
// years, several points in each.
template <typename Shape>
SearchData visits(int count, int perVisit, double years, Shape shape, double noise, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    SearchData d;
    for (int v = 0; v < count; ++v) {
        const double night = std::floor(u(rng) * years * 365.25) + 0.4 + 0.05 * u(rng);
        for (int k = 0; k < perVisit; ++k) {
            const double t = night + 0.25 * (k + 0.3 * u(rng)) / perVisit;
            d.times.push_back(2'455'000 + t);
            d.mags.push_back(shape(t) + noise * g(rng));
            d.errors.push_back(noise);
        }
    }
    return d;
}

// Fast rise, slow decline: an RRab star's shape.
double rrLyrae(double t, double period) {
    const double ph = frac(t / period);
    return ph < 0.15 ? 15.0 - 1.0 * ph / 0.15 : 14.0 + 1.0 * (ph - 0.15) / 0.85;
}

// A sparse survey: n epochs at random moments over so many years, in seasons
// of eight months.
template <typename Shape>
SearchData sparse(int n, double years, Shape shape, double noise, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    SearchData d;
    while (static_cast<int>(d.times.size()) < n) {
        const double t = 365.25 * years * u(rng);
        if (std::fmod(t, 365.25) > 240)
            continue;
        d.times.push_back(2'455'000 + t);
        d.mags.push_back(shape(t) + noise * g(rng));
        d.errors.push_back(noise);
    }
    return d;
}

// A damped random walk (an Ornstein–Uhlenbeck process, drawn exactly between
// the observed times) of this time scale and rms, plus white noise, observed
// on OGLE-like nights: eight-month seasons, about half of the nights.
SearchData randomWalk(double tau, double rms, double noise, int years, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    SearchData d;
    double x = rms * g(rng), last = 0;
    for (int night = 0; night < 365 * years; ++night) {
        if (std::fmod(night, 365.25) >= 240 || u(rng) > 0.4)
            continue;
        const double t = night + 0.2 * u(rng);
        if (!d.times.empty()) {
            const double a = std::exp(-(t - last) / tau);
            x = a * x + rms * std::sqrt(1 - a * a) * g(rng);
        }
        last = t;
        d.times.push_back(2'456'000 + t);
        d.mags.push_back(17 + x + noise * g(rng));
        d.errors.push_back(noise);
    }
    return d;
}

SearchSettings autoGls() {
    SearchSettings s;
    s.harmonics = AutoHarmonics;
    return s;
}

SearchData referenceCurve() {
    SearchData d;
    for (const auto& r : readRows("rednoise_points.txt")) {
        d.times.push_back(r[0]);
        d.mags.push_back(r[1]);
    }
    return d;
}

} // namespace

void TestVerdict::verdictTexts_data() {
    QTest::addColumn<double>("fap");
    QTest::addColumn<double>("fapRed");
    QTest::addColumn<bool>("sampling");
    QTest::addColumn<QString>("text");
    QTest::addRow("significant against both") << 1e-5 << 1e-3 << false << "periodic";
    QTest::addRow("just under alpha") << 0.0099 << 0.0099 << false << "periodic";
    QTest::addRow("at alpha is not significant") << 0.01 << 1e-9 << false << "not significant";
    QTest::addRow("white only: red noise") << 1e-20 << 0.3 << false << "red noise";
    QTest::addRow("no red-noise fap: red noise") << 1e-20 << -1.0 << false << "red noise";
    QTest::addRow("image of the sampling") << 1e-20 << 1e-20 << true << "not significant";
    QTest::addRow("white noise") << 0.5 << 0.9 << false << "not significant";
    QTest::addRow("no fap at all") << -1.0 << -1.0 << false << "not significant";
}

// Guards the three words the batch output and the window print.
void TestVerdict::verdictTexts() {
    QFETCH(double, fap);
    QFETCH(double, fapRed);
    QFETCH(bool, sampling);
    QFETCH(QString, text);
    const std::string_view got = verdictText(verdictOf(fap, fapRed, sampling));
    QCOMPARE(QString::fromUtf8(got.data(), static_cast<qsizetype>(got.size())), text);
}

void TestVerdict::harmonicsChosen_data() {
    QTest::addColumn<SearchData>("star");
    QTest::addColumn<double>("period");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("verdict");
    Sampling nightly;
    nightly.nights = 200;
    nightly.fraction = 0.6;
    QTest::addRow("sinusoid: one harmonic")
        << make(
               nightly, [](double t) { return 12 + 0.3 * std::sin(pi2() * t / 3.1416); }, 0.05, 1)
        << 3.1416 << 1 << 1 << "periodic";
    QTest::addRow("sawtooth: two or more")
        << make(
               nightly, [](double t) { return sawtooth(t, 1.7321); }, 0.05, 2)
        << 1.7321 << 2 << 4 << "periodic";
    // One harmonic prefers a longer false period here; three find the truth.
    QTest::addRow("sparse RR Lyrae, 50 epochs over 8 years")
        << sparse(
               50, 8, [](double t) { return rrLyrae(t, 0.5801); }, 0.05, 3)
        << 0.5801 << 2 << 4 << "periodic";
}

// Guards the automatic choice of harmonics: the simplest fit that the data
// support, the true period under it, and a verdict of a real period.
void TestVerdict::harmonicsChosen() {
    QFETCH(SearchData, star);
    QFETCH(double, period);
    QFETCH(int, least);
    QFETCH(int, most);
    QFETCH(QString, verdict);
    // Periods down to 0.2 d: the sparse survey's default range would start
    // at twice its closest pair of epochs.
    SearchSettings s = autoGls();
    s.minPeriod = 0.2;
    const SearchResult r = runSearch(star, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    const Peak& best = r.peaks.front();
    QVERIFY2(std::abs(best.period - period) < 1e-3 * period, qPrintable(describe(r.peaks)));
    QVERIFY2(best.harmonics >= least && best.harmonics <= most,
             qPrintable(QStringLiteral("H = %1\n").arg(best.harmonics) + describe(r.peaks)));
    QCOMPARE(QString::fromUtf8(verdictText(r.verdict).data()), verdict);
    // The power and FAP are those of the chosen fit.
    SearchSettings fixed;
    fixed.harmonics = best.harmonics;
    QVERIFY(relative(statisticAt(star, fixed, best.frequency), best.power) < 1e-9);
    // The spectrum shown is that of the best peak's harmonics, all of it: the
    // one pass that gives every number of harmonics gives each as its own search.
    SearchSettings alone = s;
    alone.harmonics = best.harmonics;
    const SearchResult own = runSearch(star, alone);
    QCOMPARE(r.spectrum.harmonics, best.harmonics);
    QCOMPARE(r.spectrum.values.size(), own.spectrum.values.size());
    double worst = 0;
    for (std::size_t k = 0; k < own.spectrum.values.size(); ++k)
        worst = std::max(worst, std::abs(r.spectrum.values[k] - own.spectrum.values[k]));
    QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
    // The list runs from the least likely to be noise: its FAP column rises.
    for (std::size_t i = 1; i < r.peaks.size(); ++i)
        QVERIFY2(r.peaks[i].fap >= r.peaks[i - 1].fap, qPrintable(describe(r.peaks)));
}

// Guards settings 1 to 4: the automatic search leaves them as they were.
void TestVerdict::fixedHarmonicsUnchanged() {
    Sampling nightly;
    nightly.nights = 120;
    const SearchData star = make(
        nightly, [](double t) { return sawtooth(t, 0.61); }, 0.05, 7);
    for (int h = 1; h <= 4; ++h) {
        SearchSettings s;
        s.harmonics = h;
        const SearchResult r = runSearch(star, s);
        QVERIFY(r.ok());
        for (const Peak& p : r.peaks) {
            QCOMPARE(p.harmonics, h);
            QVERIFY(relative(statisticAt(star, s, p.frequency), p.power) < 1e-12);
        }
    }
}

// Guards the continuum fit against the offline computation
// (tools/rednoise_reference.py): the same model fitted by another optimiser.
void TestVerdict::continuumMatchesReference() {
    const detail::Prepared p = detail::prepare(referenceCurve(), false);
    const auto rows = readRows("rednoise_continuum.txt");
    QCOMPARE(rows.size(), std::size_t{1});
    const auto& ref = rows.front(); // fmax excluded scale ratio corner used
    const detail::Continuum c = detail::fitContinuum(p, ref[0], {ref[1]});
    QVERIFY(c.ok);
    QCOMPARE(static_cast<double>(c.used), ref[5]);
    QVERIFY2(relative(c.scale, ref[2]) < 1e-5, qPrintable(QString::number(c.scale, 'g', 10)));
    QVERIFY2(relative(c.ratio, ref[3]) < 1e-5, qPrintable(QString::number(c.ratio, 'g', 10)));
    QVERIFY2(relative(c.corner, ref[4]) < 1e-5, qPrintable(QString::number(c.corner, 'g', 10)));
}

void TestVerdict::redNoiseFapMatchesReference_data() {
    QTest::addColumn<double>("frequency");
    QTest::addColumn<int>("harmonics");
    QTest::addColumn<double>("independent");
    QTest::addColumn<double>("logFap");
    for (const auto& r : readRows("rednoise_fap.txt"))
        QTest::addRow("f %.6g, H %d, N %.0f", r[0], static_cast<int>(r[1]), r[2])
            << r[0] << static_cast<int>(r[1]) << r[2] << r[3];
}

// Guards the red-noise FAP: the gamma tail over the harmonics and the number
// of independent frequencies, against the offline computation (as natural
// logarithms, for the tiny ones).
void TestVerdict::redNoiseFapMatchesReference() {
    QFETCH(double, frequency);
    QFETCH(int, harmonics);
    QFETCH(double, independent);
    QFETCH(double, logFap);
    const detail::Prepared p = detail::prepare(referenceCurve(), false);
    const auto ref = readRows("rednoise_continuum.txt").front();
    const detail::Continuum c = detail::fitContinuum(p, ref[0], {ref[1]});
    const double fap = detail::redNoiseFap(p, c, frequency, harmonics, independent);
    QVERIFY2(std::abs(std::log(fap) - logFap) < 1e-6 * std::max(1.0, std::abs(logFap)),
             qPrintable(QStringLiteral("%1 vs %2").arg(std::log(fap)).arg(std::exp(logFap))));
}

void TestVerdict::randomWalksRarelyPeriodic_data() {
    QTest::addColumn<double>("tau");
    QTest::addRow("tau 50 d") << 50.0;
    QTest::addRow("tau 200 d") << 200.0;
    QTest::addRow("tau 1000 d") << 1000.0;
}

// Guards the red-noise test: stochastic light curves with real sampling are
// called periodic at most alpha + 3 sigma of the time, though white noise
// alone would call most of them certain; and a sinusoid on white noise with
// the same sampling still is periodic.
void TestVerdict::randomWalksRarelyPeriodic() {
    QFETCH(double, tau);
    constexpr int Stars = 30;
    // Periods from 0.2 d: the red noise lives at long periods, and a fifth of
    // the default grid keeps 90 searches quick.
    SearchSettings walkSettings = autoGls();
    walkSettings.minPeriod = 0.2;
    int periodic = 0, whiteSignificant = 0;
    QString seen;
    for (int i = 0; i < Stars; ++i) {
        const SearchData star = randomWalk(tau, 0.2, 0.02, 4, 1000 + i);
        const SearchResult r = runSearch(star, walkSettings);
        QVERIFY(r.ok());
        periodic += r.verdict == Verdict::Periodic;
        whiteSignificant += r.peaks.front().fap < VerdictAlpha;
        if (r.verdict == Verdict::Periodic)
            seen += describe({r.peaks.front()});
    }
    const double share = static_cast<double>(periodic) / Stars;
    const double limit = VerdictAlpha + 3 * std::sqrt(VerdictAlpha * (1 - VerdictAlpha) / Stars);
    QVERIFY2(share <= limit,
             qPrintable(QStringLiteral("%1 of %2 periodic\n").arg(periodic).arg(Stars) + seen));
    QVERIFY2(whiteSignificant > Stars / 2, qPrintable(QString::number(whiteSignificant)));
    // The same sampling, a sinusoid of 0.05 mag in 0.02 mag of white noise.
    SearchData sine = randomWalk(tau, 0, 0.02, 4, 7);
    for (std::size_t k = 0; k < sine.times.size(); ++k)
        sine.mags[k] += 0.05 * std::sin(pi2() * sine.times[k] / 13.37);
    const SearchResult r = runSearch(sine, walkSettings);
    QVERIFY(r.ok());
    QVERIFY2(std::abs(r.peaks.front().period - 13.37) < 0.01, qPrintable(describe(r.peaks)));
    QCOMPARE(r.verdict, Verdict::Periodic);
}

// Guards the sampling note without the parent in the list: a 432 d signal
// searched from 0.015 to 100 d leaves its daily image as the best peak,
// which must be noted "sampling" and not be called periodic.
void TestVerdict::samplingParentOutsideRange() {
    Sampling nightly;
    nightly.nights = 1400;
    nightly.fraction = 0.5;
    nightly.seasonDays = 240;
    nightly.sameHour = true;
    const SearchData star = make(
        nightly, [](double t) { return 17 + 0.3 * std::sin(pi2() * t / 432); }, 0.02, 11);
    SearchSettings s = autoGls();
    s.minPeriod = 0.015;
    s.maxPeriod = 100;
    const SearchResult r = runSearch(star, s);
    QVERIFY(r.ok());
    const Peak& best = r.peaks.front();
    QVERIFY2(std::abs(best.frequency - 1) < 0.01, qPrintable(describe(r.peaks)));
    QCOMPARE(best.note, std::string("sampling"));
    QVERIFY(r.verdict != Verdict::Periodic);
    // The same star over its whole range: the 432 d peak itself is no image
    // (three cycles of it cannot be told from red noise, so no verdict is asked).
    const SearchResult whole = runSearch(star, autoGls());
    QVERIFY(whole.ok());
    QVERIFY2(std::abs(whole.peaks.front().period - 432) < 5, qPrintable(describe(whole.peaks)));
    QCOMPARE(whole.peaks.front().note, std::string());
}

// Guards the sampling note on fits of several harmonics: an eclipsing
// binary's weak fundamental beside its daily alias, about as high, made the
// true period an "image" of noise one day away, in 18 of these 40 stars. With
// 100 visits of five points, a period and its daily alias are at times
// truly hard to tell apart: a few such notes remain (7).
void TestVerdict::eclipsesRarelySampling() {
    constexpr int Stars = 40;
    constexpr int MostNoted = 10;
    const double period = 1.857;
    SearchSettings s = autoGls();
    s.minPeriod = 0.1;
    s.maxPeriod = 200;
    int found = 0, noted = 0;
    QString seen;
    for (unsigned seed = 1; seed <= Stars; ++seed) {
        const SearchData star = visits(
            100, 5, 2, [&](double t) { return eclipses(t, period); }, 0.06, seed);
        const SearchResult r = runSearch(star, s);
        QVERIFY2(r.ok(), r.reason.c_str());
        const Peak& best = r.peaks.front();
        if (std::abs(best.period - period) > 1e-2 * period &&
            std::abs(best.period - period / 2) > 1e-2 * period)
            continue;
        ++found;
        if (best.note == "sampling") {
            ++noted;
            seen += describe({best});
        }
    }
    QVERIFY2(found >= Stars - 2, qPrintable(QString::number(found)));
    QVERIFY2(noted <= MostNoted,
             qPrintable(QStringLiteral("%1 of %2 noted sampling\n").arg(noted).arg(found) + seen));
}

QTEST_GUILESS_MAIN(TestVerdict)
#include "tst_verdict.moc"
