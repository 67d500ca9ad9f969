#include "plot/Phase.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <vector>

using namespace varilume;

class TestPhase : public QObject {
    Q_OBJECT

private slots:
    void phaseOrError_data();
    void phaseOrError();
    void keepsPrecisionFarFromEpoch();
    void batchStopsAtFirstFailure_data();
    void batchStopsAtFirstFailure();
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

void TestPhase::batchStopsAtFirstFailure_data() {
    QTest::addColumn<float>("period");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("badAt"); // indices whose JD is infinite
    QTest::addColumn<int>("done");
    QTest::addColumn<QString>("error");
    QTest::addRow("all sound, in bands") << 0.37f << 200000 << QList<int>() << 200000 << "";
    QTest::addRow("few dates, one band") << 0.37f << 100 << QList<int>() << 100 << "";
    QTest::addRow("failure in a later band only")
        << 0.37f << 200000 << QList<int>{170001} << 170001 << "Overflow";
    QTest::addRow("earliest of failures in two bands")
        << 0.37f << 200000 << QList<int>{150000, 20000} << 20000 << "Overflow";
    QTest::addRow("period zero: nothing done")
        << 0.0f << 200000 << QList<int>() << 0 << "Division by zero";
}

// Guards the phases computed on several cores: each the phase the rule gives
// alone, and the batch ending at the first date that fails whichever core
// reached its own failure first.
void TestPhase::batchStopsAtFirstFailure() {
    QFETCH(float, period);
    QFETCH(int, count);
    QFETCH(QList<int>, badAt);
    QFETCH(int, done);
    QFETCH(QString, error);
    ProjectState s;
    s.MidJD = 2450000.0;
    s.Period = period;
    std::vector<double> jd;
    for (int i = 0; i < count; ++i)
        jd.push_back(2440000.0 + 0.13 * i);
    for (int i : badAt)
        jd[std::size_t(i)] = std::numeric_limits<double>::infinity();
    std::vector<float> out(jd.size());
    const PhaseRule rule(s);
    const PhaseBatch batch = phasesOf(rule, jd, out);
    QCOMPARE(int(batch.done), done);
    QCOMPARE(batch.error, error);
    for (int i = 0; i < done; ++i) {
        if (out[std::size_t(i)] != rule(jd[std::size_t(i)]))
            QFAIL(qPrintable(QStringLiteral("phase %1 differs").arg(i)));
    }
}

QTEST_GUILESS_MAIN(TestPhase)
#include "tst_phase.moc"
