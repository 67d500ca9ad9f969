// The multi-frequency fit and prewhitening against numpy
// (tools/fit_reference.py) and a double-mode Cepheid of known periods.
#include "SearchChecks.h"
#include "search/MultiFrequency.h"

#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::searchchecks;

namespace {

SearchData twoMode() {
    return readStar("fit_twomode.txt");
}

constexpr double Fundamental = 4.5, Overtone = 0.746 * Fundamental;

FrequencyTerm term(double f) {
    FrequencyTerm t;
    t.frequency = {f, 1e-5};
    return t;
}

} // namespace

class TestMultiFrequency : public QObject {
    Q_OBJECT

private slots:
    void fitMatchesReference();
    void prewhiteningFindsBothModes();
    void combinationsTagged_data();
    void combinationsTagged();
    void badStart_data();
    void badStart();
};

// Guards the simultaneous fit with every frequency free: parameters and
// covariance to 1e-9 of an independent Gauss–Newton on numpy's lstsq.
void TestMultiFrequency::fitMatchesReference() {
    std::vector<double> start;
    for (const auto& r : readRows("multi_start.txt"))
        start.push_back(r[0]);
    const MultiFrequencyFit f = fitFrequencies(twoMode(), start);
    QVERIFY2(f.ok, f.reason.c_str());
    std::vector<double> coef, cov;
    for (const auto& r : readRows("multi_fit.txt"))
        (r[0] == 0 ? coef : cov).push_back(r[3]);
    const std::size_t p = coef.size();
    QCOMPARE(f.params.size(), p);
    QCOMPARE(f.covariance.size(), p * p);
    for (std::size_t i = 0; i < p; ++i) {
        const double scale = std::max(std::abs(coef[i]), std::sqrt(cov[i * p + i]));
        QVERIFY2(std::abs(f.params[i] - coef[i]) <= 1e-9 * scale,
                 qPrintable(QStringLiteral("parameter %1: %2, reference %3")
                                .arg(i)
                                .arg(f.params[i], 0, 'g', 17)
                                .arg(coef[i], 0, 'g', 17)));
        for (std::size_t j = 0; j < p; ++j)
            QVERIFY2(std::abs(f.covariance[i * p + j] - cov[i * p + j]) <=
                         1e-9 * std::sqrt(cov[i * p + i] * cov[j * p + j]),
                     qPrintable(QStringLiteral("covariance %1,%2: %3, reference %4")
                                    .arg(i)
                                    .arg(j)
                                    .arg(f.covariance[i * p + j], 0, 'g', 17)
                                    .arg(cov[i * p + j], 0, 'g', 17)));
    }
    for (std::size_t j = 0; j < start.size(); ++j)
        QVERIFY(relative(f.terms[j].frequency.sigma, std::sqrt(cov[(9 + j) * p + 9 + j])) < 1e-9);
}

// Guards prewhitening end to end: from the periodogram's estimates the fit
// converges on both modes (within twice their errors), and the harmonic and
// the combination found after them are named as such.
void TestMultiFrequency::prewhiteningFindsBothModes() {
    SearchSettings s;
    s.minPeriod = 1;
    s.maxPeriod = 20;
    const MultiFrequencyFit f = prewhiten(twoMode(), 4, s);
    QVERIFY2(f.ok, f.reason.c_str());
    QCOMPARE(f.terms.size(), std::size_t{4});
    QString list;
    for (const FrequencyTerm& t : f.terms)
        list += QStringLiteral("P=%1+-%2 A=%3 snr=%4 [%5]\n")
                    .arg(t.period.value, 0, 'g', 10)
                    .arg(t.period.sigma, 0, 'g', 3)
                    .arg(t.amplitude.value)
                    .arg(t.snr)
                    .arg(QString::fromStdString(t.note));
    const FrequencyTerm& p0 = f.terms[0];
    const FrequencyTerm& p1 = f.terms[1];
    QVERIFY2(std::abs(p0.period.value - Fundamental) <= 2 * p0.period.sigma, qPrintable(list));
    QVERIFY2(std::abs(p1.period.value - Overtone) <= 2 * p1.period.sigma, qPrintable(list));
    QVERIFY2(p0.note.empty() && p1.note.empty(), qPrintable(list));
    QCOMPARE(QString::fromStdString(f.terms[2].note), QStringLiteral("2f1"));
    QCOMPARE(QString::fromStdString(f.terms[3].note), QStringLiteral("f1+f2"));
    for (const FrequencyTerm& t : f.terms)
        QVERIFY2(t.snr > 4, qPrintable(list));
}

void TestMultiFrequency::combinationsTagged_data() {
    QTest::addColumn<std::vector<double>>("frequencies");
    QTest::addColumn<QStringList>("notes");
    const double a = 0.2222, b = 0.2979;
    QTest::addRow("harmonic") << std::vector<double>{a, 2 * a + 1e-5} << QStringList{"", "2f1"};
    QTest::addRow("sum and difference")
        << std::vector<double>{a, b, a + b, b - a} << QStringList{"", "", "f1+f2", "f2-f1"};
    QTest::addRow("2f1-f2 and 2f2-f1") << std::vector<double>{b, a, 2 * b - a, 2 * a - b + 0.2}
                                       << QStringList{"", "", "2f1-f2", ""};
    QTest::addRow("outside the resolution")
        << std::vector<double>{a, 2 * a + 3e-3} << QStringList{"", ""};
    QTest::addRow("lowest order first")
        << std::vector<double>{a, 3 * a, 2 * a} << QStringList{"", "3f1", "2f1"};
}

// Guards the combination notes: which earlier terms, which order, and the
// resolution as the tolerance.
void TestMultiFrequency::combinationsTagged() {
    QFETCH(std::vector<double>, frequencies);
    QFETCH(QStringList, notes);
    std::vector<FrequencyTerm> terms;
    for (double f : frequencies)
        terms.push_back(term(f));
    tagCombinations(terms, 1e-3);
    QStringList got;
    for (const FrequencyTerm& t : terms)
        got << QString::fromStdString(t.note);
    QCOMPARE(got, notes);
}

void TestMultiFrequency::badStart_data() {
    QTest::addColumn<std::vector<double>>("start");
    QTest::addColumn<QString>("reason");
    QTest::addRow("nothing to fit") << std::vector<double>{} << "No frequencies to fit.";
    QTest::addRow("negative frequency")
        << std::vector<double>{0.2, -1} << "A frequency to fit is not a positive number.";
    QTest::addRow("the same frequency twice")
        << std::vector<double>{1 / Fundamental, 1 / Fundamental}
        << "The observations cannot tell the model's terms apart";
}

// Guards that a fit that cannot be made says why.
void TestMultiFrequency::badStart() {
    QFETCH(std::vector<double>, start);
    QFETCH(QString, reason);
    const MultiFrequencyFit f = fitFrequencies(twoMode(), start);
    QVERIFY(!f.ok);
    QVERIFY2(QString::fromStdString(f.reason).startsWith(reason), f.reason.c_str());
}

QTEST_APPLESS_MAIN(TestMultiFrequency)
#include "tst_multifrequency.moc"
