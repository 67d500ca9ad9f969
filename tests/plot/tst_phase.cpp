#include "plot/Phase.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace varilume;

namespace {

ProjectState phaseState(double midJD, float period, bool twoCycles) {
    ProjectState s;
    s.MidJD = midJD;
    s.Period = period;
    s.TwoCycles = twoCycles;
    return s;
}

// The phase computed in long double, folded the same way.
long double referencePhase(double jd, double midJD, float period, bool twoCycles) {
    const long double x = (static_cast<long double>(jd) - midJD) / static_cast<long double>(period);
    long double p = x - std::trunc(x);
    if (!twoCycles) {
        if (p < -0.5L)
            p += 1;
        if (p > 0.5L)
            p -= 1;
    }
    return p;
}

// Distance of two phases on the circle of one cycle (+0.5 and -0.5 are one point).
double cyclicDistance(long double a, long double b) {
    const long double d = std::fabs(a - b);
    const long double f = d - std::floor(d);
    return static_cast<double>(std::min(f, 1 - f));
}

} // namespace

class TestPhase : public QObject {
    Q_OBJECT

private slots:
    void foldsIntoRange_data();
    void foldsIntoRange();
    void keepsPrecisionFarFromEpoch_data();
    void keepsPrecisionFarFromEpoch();
    void twoCyclePhaseStaysInsideOpenRange();
    void failures_data();
    void failures();
};

void TestPhase::foldsIntoRange_data() {
    QTest::addColumn<bool>("twoCycles");
    QTest::addColumn<double>("offset"); // days from MidJD, with Period 2
    QTest::addColumn<float>("expected");

    QTest::addRow("one cycle, exactly at MidJD") << false << 0.0 << 0.0f;
    QTest::addRow("two cycles, exactly at MidJD") << true << 0.0 << 0.0f;
    QTest::addRow("one cycle, x = 2.5 keeps the edge") << false << 5.0 << 0.5f;
    QTest::addRow("one cycle, x = -2.5 keeps the edge") << false << -5.0 << -0.5f;
    QTest::addRow("one cycle, x = 2.7 folds down") << false << 5.4 << -0.3f;
    QTest::addRow("one cycle, x = -2.7 folds up") << false << -5.4 << 0.3f;
    QTest::addRow("two cycles, x = 2.7") << true << 5.4 << 0.7f;
    QTest::addRow("two cycles, x = -2.7") << true << -5.4 << -0.7f;
    QTest::addRow("one cycle, x = 0.25") << false << 0.5 << 0.25f;
}

// Guards the folding rule and its edges: one cycle in [-0.5, 0.5], two with the sign of x.
void TestPhase::foldsIntoRange() {
    QFETCH(bool, twoCycles);
    QFETCH(double, offset);
    QFETCH(float, expected);

    const double mid = 2450000.0;
    const ProjectState s = phaseState(mid, 2.0f, twoCycles);
    const float phase = PhaseOf(s, mid + offset);
    QVERIFY2(std::fabs(phase - expected) < 1e-6f,
             qPrintable(QStringLiteral("phase %1, expected %2").arg(phase).arg(expected)));
}

void TestPhase::keepsPrecisionFarFromEpoch_data() {
    QTest::addColumn<float>("period");
    QTest::addColumn<double>("days"); // length of the data, centred on MidJD
    QTest::addColumn<bool>("twoCycles");

    QTest::addRow("period 0.3 over 3000 days, one cycle") << 0.3f << 3000.0 << false;
    QTest::addRow("period 0.3 over 3000 days, two cycles") << 0.3f << 3000.0 << true;
    QTest::addRow("period 0.0421 over 20000 days") << 0.0421f << 20000.0 << false;
}

// Guards against taking the fraction of a single-precision cycle count, which
// leaves steps of 1/4096 of a cycle some thousands of cycles from the epoch.
void TestPhase::keepsPrecisionFarFromEpoch() {
    QFETCH(float, period);
    QFETCH(double, days);
    QFETCH(bool, twoCycles);

    const double mid = 2451234.56789;
    const ProjectState s = phaseState(mid, period, twoCycles);
    double worst = 0;
    double worstJD = 0;
    const int samples = 5000;
    for (int i = 0; i <= samples; ++i) {
        const double jd = mid - days / 2 + days * i / samples + 0.000123 * (i % 7);
        const double d = cyclicDistance(PhaseOf(s, jd), referencePhase(jd, mid, period, twoCycles));
        if (d > worst) {
            worst = d;
            worstJD = jd;
        }
    }
    QVERIFY2(worst < 1e-6, qPrintable(QStringLiteral("phase off by %1 at JD %2")
                                          .arg(worst, 0, 'g', 3)
                                          .arg(worstJD, 0, 'f', 5)));
}

// Guards against a two-cycle phase just short of a whole cycle rounding onto 1.
void TestPhase::twoCyclePhaseStaysInsideOpenRange() {
    const ProjectState s = phaseState(0.0, 1.0f, true);
    const float late = PhaseOf(s, 3 - 1e-10);
    const float early = PhaseOf(s, -3 + 1e-10);
    QVERIFY2(late < 1.0f && late > 0.9999f, qPrintable(QString::number(late, 'g', 9)));
    QVERIFY2(early > -1.0f && early < -0.9999f, qPrintable(QString::number(early, 'g', 9)));
}

void TestPhase::failures_data() {
    QTest::addColumn<float>("period");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QString>("description");

    QTest::addRow("period zero") << 0.0f << 12.5 << QStringLiteral("Division by zero");
    QTest::addRow("period zero at the epoch") << 0.0f << 0.0 << QStringLiteral("Division by zero");
    QTest::addRow("period not a number")
        << std::numeric_limits<float>::quiet_NaN() << 12.5 << QStringLiteral("Overflow");
    QTest::addRow("cycle count beyond any float")
        << std::numeric_limits<float>::denorm_min() << 1e300 << QStringLiteral("Overflow");
}

// Guards that a phase that cannot be computed is an error with a description, not a garbage value.
void TestPhase::failures() {
    QFETCH(float, period);
    QFETCH(double, offset);
    QFETCH(QString, description);

    const ProjectState s = phaseState(0.0, period, false);
    QString caught;
    try {
        PhaseOf(s, offset);
    } catch (const PhaseError& e) {
        caught = e.description();
    }
    QCOMPARE(caught, description);
}

QTEST_GUILESS_MAIN(TestPhase)
#include "tst_phase.moc"
