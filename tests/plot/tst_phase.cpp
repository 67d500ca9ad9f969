#include "plot/Phase.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace varilume;

class TestPhase : public QObject {
    Q_OBJECT

private slots:
    void phaseOrError_data();
    void phaseOrError();
    void keepsPrecisionFarFromEpoch();
};

void TestPhase::phaseOrError_data() {
    QTest::addColumn<float>("period");
    QTest::addColumn<bool>("twoCycles");
    QTest::addColumn<double>("jd"); // MidJD 2450000
    QTest::addColumn<float>("expected");
    QTest::addColumn<QString>("error");

    QTest::addRow("at MidJD") << 2.0f << false << 2450000.0 << 0.0f << "";
    QTest::addRow("1 cycle, x 2.5 keeps edge") << 2.0f << false << 2450005.0 << 0.5f << "";
    QTest::addRow("1 cycle, x -2.5 keeps edge") << 2.0f << false << 2449995.0 << -0.5f << "";
    QTest::addRow("1 cycle, x 2.7 folds") << 2.0f << false << 2450005.4 << -0.3f << "";
    QTest::addRow("1 cycle, x -2.7 folds") << 2.0f << false << 2449994.6 << 0.3f << "";
    QTest::addRow("2 cycles, x 2.7") << 2.0f << true << 2450005.4 << 0.7f << "";
    QTest::addRow("2 cycles, x -2.7") << 2.0f << true << 2449994.6 << -0.7f << "";
    QTest::addRow("2 cycles, x just below 3")
        << 2.0f << true << std::nextafter(2450006.0, 0.0) << 0.99999994f << "";
    QTest::addRow("period zero") << 0.0f << false << 2450012.5 << 0.0f << "Division by zero";
    QTest::addRow("period NaN") << std::numeric_limits<float>::quiet_NaN() << false << 2450012.5
                                << 0.0f << "Overflow";
    QTest::addRow("x beyond any double")
        << std::numeric_limits<float>::denorm_min() << false << 1e300 << 0.0f << "Overflow";
}

// Guards the folding rule and its edges (one cycle in [-0.5, 0.5], two in (-1, 1)
// with the sign of x, never rounded onto 1), and that a phase that cannot be
// computed is an error with a description, not a garbage value.
void TestPhase::phaseOrError() {
    QFETCH(float, period);
    QFETCH(bool, twoCycles);
    QFETCH(double, jd);
    QFETCH(float, expected);
    QFETCH(QString, error);

    ProjectState s;
    s.MidJD = 2450000.0;
    s.Period = period;
    s.TwoCycles = twoCycles;
    float phase = 0;
    QString caught;
    try {
        phase = PhaseOf(s, jd);
    } catch (const PhaseError& e) {
        caught = e.description();
    }
    QCOMPARE(caught, error);
    QVERIFY2(std::fabs(phase - expected) < 1e-6f && std::fabs(phase) < 1.0f,
             qPrintable(QString::number(phase, 'g', 9)));
}

// Guards against taking the fraction of a single-precision cycle count, which
// leaves steps of 1/4096 of a cycle some thousands of cycles from the epoch.
void TestPhase::keepsPrecisionFarFromEpoch() {
    ProjectState s;
    s.MidJD = 2451234.56789;
    s.Period = 0.0421f; // some 240000 cycles each way over 20000 days
    for (int i = 0; i <= 5000; ++i) {
        const double jd = s.MidJD - 10000 + 4.0 * i + 0.000123 * (i % 7);
        // Distance on the circle of one cycle from the cycle count in long double.
        const long double x = (static_cast<long double>(jd) - s.MidJD) / s.Period;
        const long double d = std::fabs(PhaseOf(s, jd) - x);
        const double error = static_cast<double>(std::min(d - std::floor(d), std::ceil(d) - d));
        QVERIFY2(error < 1e-6, qPrintable(QStringLiteral("phase off by %1 at JD %2")
                                              .arg(error, 0, 'g', 3)
                                              .arg(jd, 0, 'f', 5)));
    }
}

QTEST_GUILESS_MAIN(TestPhase)
#include "tst_phase.moc"
