// The Fourier fit against numpy (tools/fit_reference.py) and known shapes.
#include "SearchChecks.h"
#include "search/FourierFit.h"

#include <QTest>
#include <cmath>
#include <map>
#include <numbers>

using namespace varilume;
using namespace varilume::searchchecks;

namespace {

SearchData rrab() {
    return readStar("fit_rrab.txt");
}

constexpr double Period = 0.5668;

FourierFit fit(const SearchData& d, int order, bool weighted, bool free = false,
               double frequency = 1 / Period) {
    FourierSettings s;
    s.frequency = frequency;
    s.order = order;
    s.useWeights = weighted;
    s.freeFrequency = free;
    return fitFourier(d, s);
}

// Coefficients and covariances as the script wrote them for one case.
struct Reference {
    std::vector<double> coef;
    std::vector<double> cov;
};
Reference reference(const char* file, int order, int weighted) {
    Reference r;
    for (const auto& row : readRows(file)) {
        if (static_cast<int>(row[0]) != order || static_cast<int>(row[1]) != weighted)
            continue;
        (row[2] == 0 ? r.coef : r.cov).push_back(row[5]);
    }
    return r;
}

// A coefficient is compared relative to the larger of itself and its error; a
// covariance entry relative to the product of the two errors (an entry near
// zero carries no relative precision of its own).
QString compareFit(const std::vector<double>& coef, const std::vector<double>& cov,
                   const Reference& ref, double tolerance) {
    const std::size_t p = ref.coef.size();
    if (coef.size() != p || cov.size() != p * p || ref.cov.size() != p * p)
        return QStringLiteral("sizes %1 %2, reference %3").arg(coef.size()).arg(cov.size()).arg(p);
    for (std::size_t i = 0; i < p; ++i) {
        const double scale = std::max(std::abs(ref.coef[i]), std::sqrt(ref.cov[i * p + i]));
        if (std::abs(coef[i] - ref.coef[i]) > tolerance * scale)
            return QStringLiteral("coefficient %1: %2, reference %3")
                .arg(i)
                .arg(coef[i], 0, 'g', 17)
                .arg(ref.coef[i], 0, 'g', 17);
        for (std::size_t j = 0; j < p; ++j) {
            const double s = std::sqrt(ref.cov[i * p + i] * ref.cov[j * p + j]);
            if (std::abs(cov[i * p + j] - ref.cov[i * p + j]) > tolerance * s)
                return QStringLiteral("covariance %1,%2: %3, reference %4")
                    .arg(i)
                    .arg(j)
                    .arg(cov[i * p + j], 0, 'g', 17)
                    .arg(ref.cov[i * p + j], 0, 'g', 17);
        }
    }
    return {};
}

std::map<QString, Estimate> table(const FourierFit& f) {
    std::map<QString, Estimate> t{{"mean", f.mean},
                                  {"amplitude_pp", f.amplitude},
                                  {"epoch_max", f.epochMax},
                                  {"epoch_min", f.epochMin}};
    for (int k = 1; k <= f.order; ++k) {
        t[QStringLiteral("A%1").arg(k)] = f.amplitudes[static_cast<std::size_t>(k - 1)];
        t[QStringLiteral("phi%1").arg(k)] = f.phases[static_cast<std::size_t>(k - 1)];
    }
    if (f.order >= 3) {
        t["R21"] = f.r21;
        t["R31"] = f.r31;
        t["phi21"] = f.phi21;
        t["phi31"] = f.phi31;
    }
    return t;
}

double angleBetween(double a, double b) {
    return std::abs(std::remainder(a - b, 2 * std::numbers::pi));
}

} // namespace

class TestFourierFit : public QObject {
    Q_OBJECT

private slots:
    void linearFitMatchesReference_data();
    void linearFitMatchesReference();
    void freePeriodMatchesReference_data();
    void freePeriodMatchesReference();
    void derivedMatchesReference_data();
    void derivedMatchesReference();
    void shapeRecovered();
    void timeOriginDoesNotMatter_data();
    void timeOriginDoesNotMatter();
    void autoOrderIsTheNestedFit();
    void modelCurveAndResiduals();
    void threadsGiveTheSameFit_data();
    void threadsGiveTheSameFit();
    void badInput_data();
    void badInput();
    void samplingThatCannotTellTermsApart();
};

void TestFourierFit::linearFitMatchesReference_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("weighted");
    for (int k : {1, 4, 8, 12})
        for (bool w : {false, true})
            QTest::addRow("order %d, %s", k, w ? "weighted" : "unweighted") << k << w;
}

// Guards the QR solution, the weights and the scaling of the covariance by
// the residual variance, up to order 12 on uneven sampling.
void TestFourierFit::linearFitMatchesReference() {
    QFETCH(int, order);
    QFETCH(bool, weighted);
    const FourierFit f = fit(rrab(), order, weighted);
    QVERIFY2(f.ok, f.reason.c_str());
    QCOMPARE(f.order, order);
    const QString diff = compareFit(f.coefficients, f.covariance,
                                    reference("fourier_linear.txt", order, weighted), 1e-9);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestFourierFit::freePeriodMatchesReference_data() {
    QTest::addColumn<int>("order");
    QTest::addRow("order 4") << 4;
    QTest::addRow("order 8") << 8;
}

// Guards the non-linear fit with the frequency free: the solution and its
// covariance (the frequency's error included), from a start 2e-6 off.
void TestFourierFit::freePeriodMatchesReference() {
    QFETCH(int, order);
    const FourierFit f = fit(rrab(), order, true, true, (1 + 2e-6) / Period);
    QVERIFY2(f.ok, f.reason.c_str());
    const Reference ref = reference("fourier_free.txt", order, 1);
    const QString diff = compareFit(f.coefficients, f.covariance, ref, 1e-9);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    const std::size_t p = ref.coef.size();
    QVERIFY(relative(f.frequency.sigma, std::sqrt(ref.cov.back())) < 1e-9);
    QVERIFY(relative(f.period.value, 1 / ref.coef[p - 1]) < 1e-12);
}

void TestFourierFit::derivedMatchesReference_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("kind"); // 0 unweighted, 1 weighted, 2 weighted with the period free
    for (int k : {4, 8})
        for (int kind : {0, 1, 2})
            QTest::addRow("order %d, %s", k,
                          kind == 0   ? "unweighted"
                          : kind == 1 ? "weighted"
                                      : "period free")
                << k << kind;
}

// Guards the table: epochs, amplitude, the sine-series phases at the epoch of
// maximum, R21, R31, phi21, phi31, and their errors by the chain rule against
// errors by central differences.
void TestFourierFit::derivedMatchesReference() {
    QFETCH(int, order);
    QFETCH(int, kind);
    const FourierFit f =
        fit(rrab(), order, kind > 0, kind == 2, kind == 2 ? (1 + 2e-6) / Period : 1 / Period);
    QVERIFY2(f.ok, f.reason.c_str());
    const std::map<QString, Estimate> got = table(f);
    int rows = 0;
    for (const auto& r : readRows("fourier_derived.txt")) {
        if (static_cast<int>(r[0]) != order || static_cast<int>(r[1]) != kind)
            continue;
        ++rows;
    }
    // readRows keeps numbers only: read the names again.
    QFile file(dataPath("fourier_derived.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    int checked = 0;
    while (!file.atEnd()) {
        const QStringList p = QString::fromUtf8(file.readLine()).split(u' ', Qt::SkipEmptyParts);
        if (p.size() != 5 || p[0].toInt() != order || p[1].toInt() != kind)
            continue;
        const QString name = p[2];
        const double value = p[3].toDouble(), sigma = p[4].toDouble();
        QVERIFY2(got.count(name), qPrintable(name));
        const Estimate e = got.at(name);
        const double miss = name.startsWith(QStringLiteral("phi")) ? angleBetween(e.value, value)
                            : name.startsWith(QStringLiteral("epoch")) ? std::abs(e.value - value)
                                                                       : relative(e.value, value);
        QVERIFY2(miss < 1e-9, qPrintable(QStringLiteral("%1: %2, reference %3")
                                             .arg(name)
                                             .arg(e.value, 0, 'g', 17)
                                             .arg(value, 0, 'g', 17)));
        // The reference errors come from differences: good to about 1e-7.
        QVERIFY2(relative(e.sigma, sigma) < 1e-6, qPrintable(QStringLiteral("sigma %1: %2, %3")
                                                                 .arg(name)
                                                                 .arg(e.sigma, 0, 'g', 17)
                                                                 .arg(sigma, 0, 'g', 17)));
        ++checked;
    }
    QCOMPARE(checked, rows);
    QVERIFY(checked >= 4 + 2 * order);
}

// Guards the known answer: the shape the star was made with comes back within
// twice its error, and so does the period when it is fitted.
void TestFourierFit::shapeRecovered() {
    const FourierFit f = fit(rrab(), 8, true, true, (1 + 2e-6) / Period);
    QVERIFY2(f.ok, f.reason.c_str());
    std::map<QString, double> truth;
    QFile file(dataPath("fit_rrab_truth.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    while (!file.atEnd()) {
        const QStringList p = QString::fromUtf8(file.readLine()).split(u' ', Qt::SkipEmptyParts);
        if (p.size() == 2)
            truth[p[0]] = p[1].toDouble();
    }
    const std::map<QString, Estimate> got = table(f);
    for (const char* name : {"R21", "R31", "phi21", "phi31"}) {
        const Estimate e = got.at(QLatin1String(name));
        const double miss = QLatin1String(name).startsWith(QLatin1String("phi"))
                                ? angleBetween(e.value, truth.at(QLatin1String(name)))
                                : std::abs(e.value - truth.at(QLatin1String(name)));
        QVERIFY2(miss <= 2 * e.sigma, qPrintable(QStringLiteral("%1 = %2 +- %3, made with %4")
                                                     .arg(QLatin1String(name))
                                                     .arg(e.value)
                                                     .arg(e.sigma)
                                                     .arg(truth.at(QLatin1String(name)))));
    }
    QVERIFY2(
        std::abs(f.period.value - Period) <= 2 * f.period.sigma,
        qPrintable(
            QStringLiteral("P = %1 +- %2").arg(f.period.value, 0, 'g', 12).arg(f.period.sigma)));
}

void TestFourierFit::timeOriginDoesNotMatter_data() {
    QTest::addColumn<double>("shift"); // days added to every time
    QTest::addRow("reduced JD") << -2400000.0;
    QTest::addRow("a third of a cycle later") << Period / 3;
    QTest::addRow("1000.37 days later") << 1000.37;
}

// Guards phi21 and phi31 (and the phases from the epoch of maximum) against
// any dependence on where the time scale starts; the epoch moves with it.
void TestFourierFit::timeOriginDoesNotMatter() {
    QFETCH(double, shift);
    const SearchData d = rrab();
    SearchData moved = d;
    for (double& t : moved.times)
        t += shift;
    const FourierFit a = fit(d, 6, true), b = fit(moved, 6, true);
    QVERIFY(a.ok && b.ok);
    QVERIFY2(angleBetween(a.phi21.value, b.phi21.value) < 1e-9,
             qPrintable(QString::number(b.phi21.value - a.phi21.value)));
    QVERIFY(angleBetween(a.phi31.value, b.phi31.value) < 1e-9);
    QVERIFY(angleBetween(a.phases[0].value, b.phases[0].value) < 1e-9);
    QVERIFY(relative(a.r21.value, b.r21.value) < 1e-9);
    QVERIFY(relative(a.phi21.sigma, b.phi21.sigma) < 1e-6);
    const double drift = std::remainder(b.epochMax.value - shift - a.epochMax.value, Period);
    QVERIFY2(std::abs(drift) < 1e-7, qPrintable(QString::number(drift)));
}

// Guards the order chosen by BIC: the same numbers as a fit of that order
// alone (the orders share one factorisation), and no neighbour scores better.
void TestFourierFit::autoOrderIsTheNestedFit() {
    const SearchData d = rrab();
    const FourierFit a = fit(d, 0, true);
    QVERIFY2(a.ok, a.reason.c_str());
    QVERIFY(a.order >= 5 && a.order < MaxFourierOrder);
    const FourierFit same = fit(d, a.order, true);
    for (std::size_t i = 0; i < a.coefficients.size(); ++i)
        QVERIFY(std::abs(a.coefficients[i] - same.coefficients[i]) < 1e-12);
    QVERIFY(relative(a.covariance.back(), same.covariance.back()) < 1e-10);
    QVERIFY(fit(d, a.order - 1, true).bic > a.bic);
    QVERIFY(fit(d, a.order + 1, true).bic > a.bic);
}

// Guards the values kept in memory for drawing and prewhitening: the curve
// starts at maximum brightness, residuals are data less model, and the
// subtraction leaves the input as it was.
void TestFourierFit::modelCurveAndResiduals() {
    const SearchData d = rrab();
    const FourierFit f = fit(d, 8, true);
    QVERIFY(f.ok);
    const std::vector<double> curve = fourierCurve(f, 400);
    QCOMPARE(curve.size(), std::size_t{400});
    QVERIFY(std::abs(curve[0] - *std::min_element(curve.begin(), curve.end())) < 1e-12);
    QVERIFY(std::abs(*std::max_element(curve.begin(), curve.end()) - curve[0] - f.amplitude.value) <
            1e-3);
    QCOMPARE(f.residuals.size(), d.times.size());
    const SearchData before = d;
    const SearchData rest = subtractModel(d, f);
    QCOMPARE(d.mags, before.mags);
    for (std::size_t i = 0; i < d.times.size(); i += 37) {
        QVERIFY(std::abs(f.residuals[i] - (d.mags[i] - fourierModel(f, d.times[i]))) < 1e-12);
        QVERIFY(std::abs(rest.mags[i] - f.mean.value - f.residuals[i]) < 1e-12);
    }
}

void TestFourierFit::threadsGiveTheSameFit_data() {
    QTest::addColumn<int>("threads");
    QTest::addRow("two threads") << 2;
    QTest::addRow("three threads") << 3;
}

// Guards the merge of the triangular factors that threads build from their
// shares of a large data set: the same solution as one thread's to rounding.
void TestFourierFit::threadsGiveTheSameFit() {
    QFETCH(int, threads);
    const SearchData small = rrab();
    SearchData d;
    for (int copy = 0; copy < 240; ++copy) // 100,800 points
        for (std::size_t i = 0; i < small.times.size(); ++i) {
            d.times.push_back(small.times[i] + 0.0001 * copy);
            d.mags.push_back(small.mags[i] + 0.001 * std::sin(copy * 1.3 + i));
            d.errors.push_back(small.errors[i]);
        }
    FourierSettings s;
    s.frequency = 1 / Period;
    s.order = 10;
    s.threads = 1;
    const FourierFit one = fitFourier(d, s);
    s.threads = threads;
    const FourierFit many = fitFourier(d, s);
    QVERIFY(one.ok && many.ok);
    const std::size_t p = one.coefficients.size();
    for (std::size_t i = 0; i < p; ++i) {
        const double sigma = std::sqrt(one.covariance[i * p + i]);
        QVERIFY(std::abs(one.coefficients[i] - many.coefficients[i]) < 1e-9 * sigma);
        for (std::size_t j = 0; j < p; ++j)
            QVERIFY(std::abs(one.covariance[i * p + j] - many.covariance[i * p + j]) <
                    1e-9 * sigma * std::sqrt(one.covariance[j * p + j]));
    }
    QVERIFY(relative(one.rms.value, many.rms.value) < 1e-12);
}

void TestFourierFit::badInput_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("period");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("reason");
    QTest::addRow("period zero") << 100 << 0.0 << 4
                                 << "The period must be a positive number of days.";
    QTest::addRow("order 13") << 100 << Period << 13 << "The order must be 1 to 12.";
    QTest::addRow("too few points")
        << 8 << Period << 4 << "Too few observations for a Fourier fit of order 4: 8.";
    QTest::addRow("no points") << 0 << Period << 0 << "No observations to fit.";
}

// Guards that an impossible fit says why instead of returning numbers.
void TestFourierFit::badInput() {
    QFETCH(int, points);
    QFETCH(double, period);
    QFETCH(int, order);
    QFETCH(QString, reason);
    SearchData d = rrab();
    d.times.resize(static_cast<std::size_t>(points));
    d.mags.resize(static_cast<std::size_t>(points));
    d.errors.resize(static_cast<std::size_t>(points));
    const FourierFit f = fit(d, order, true, false, period > 0 ? 1 / period : 0);
    QVERIFY(!f.ok);
    QCOMPARE(QString::fromStdString(f.reason), reason);
}

// Guards the condition check: observations that fall on four phases only
// cannot fix eight harmonics, and the fit says so instead of returning noise.
void TestFourierFit::samplingThatCannotTellTermsApart() {
    SearchData d;
    for (int i = 0; i < 200; ++i) {
        d.times.push_back(2460000 + Period * (i + 0.25 * (i % 4)));
        d.mags.push_back(12 + 0.1 * (i % 4) + 0.001 * std::sin(i));
    }
    const FourierFit f = fit(d, 8, false);
    QVERIFY(!f.ok);
    QVERIFY2(QString::fromStdString(f.reason).startsWith(
                 QStringLiteral("The observations cannot tell the model's terms apart")),
             f.reason.c_str());
    QVERIFY(fit(d, 1, false).ok);
}

QTEST_APPLESS_MAIN(TestFourierFit)
#include "tst_fourierfit.moc"
