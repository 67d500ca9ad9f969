#include "ui/main/PeriodHistory.h"
#include "ui/main/PeriodSteps.h"

#include <QTest>

using namespace varilume;

namespace {

// Plays a script of history moves: "t3.1" records a typed 3.1, "s4" a step to 4,
// "e" an estimate, "q" a search result, "<" back, ">" forward, "j0" a jump.
void play(PeriodHistory& h, const QString& script) {
    for (const QString& move : script.split(u' ', Qt::SkipEmptyParts)) {
        const QChar op = move.front();
        const float value = move.mid(1).toFloat();
        if (op == u'<')
            h.back();
        else if (op == u'>')
            h.forward();
        else if (op == u'j')
            h.jumpTo(static_cast<std::size_t>(value));
        else
            h.record(value, op == u't'   ? PeriodSource::Typed
                            : op == u's' ? PeriodSource::Step
                            : op == u'e' ? PeriodSource::Estimate
                            : op == u'r' ? PeriodSource::Reset
                                         : PeriodSource::Search);
    }
}

} // namespace

class TestPeriodHistory : public QObject {
    Q_OBJECT
private slots:
    // Guards the browser-like order: back and forward through what was plotted,
    // a new period dropping what lay ahead, the period in force never twice.
    void moves_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<float>("current");
        QTest::addColumn<bool>("canBack");
        QTest::addColumn<bool>("canForward");
        QTest::addColumn<int>("entries");
        QTest::addRow("empty") << "" << 0.0f << false << false << 0;
        QTest::addRow("one") << "t3.1" << 3.1f << false << false << 1;
        QTest::addRow("back across a reset") << "t3.1 r200 <" << 3.1f << false << true << 2;
        QTest::addRow("back and forward") << "t3.1 r200 < >" << 200.0f << true << false << 2;
        QTest::addRow("redo cleared by a new period")
            << "t3.1 t5 t7 < < s4.1 >" << 4.1f << true << false << 2;
        QTest::addRow("same period records nothing")
            << "t3.1 q3.1 s3.1" << 3.1f << false << false << 1;
        QTest::addRow("back at the start stays") << "t1 < < <" << 1.0f << false << false << 1;
        QTest::addRow("jump keeps the forward list") << "t1 t2 t3 j0" << 1.0f << false << true << 3;
        QTest::addRow("jump past the end ignored") << "t1 t2 j7" << 2.0f << true << false << 2;
    }
    void moves() {
        QFETCH(QString, script);
        QFETCH(float, current);
        QFETCH(bool, canBack);
        QFETCH(bool, canForward);
        QFETCH(int, entries);
        PeriodHistory h;
        play(h, script);
        QCOMPARE(static_cast<int>(h.entries().size()), entries);
        if (!h.empty())
            QCOMPARE(h.entries()[h.current()].period, current);
        QCOMPARE(h.canGoBack(), canBack);
        QCOMPARE(h.canGoForward(), canForward);
    }

    // Guards a long session: the oldest periods go, the newest stay in order.
    void capacity() {
        PeriodHistory h;
        for (int i = 1; i <= 250; ++i)
            h.record(static_cast<float>(i), PeriodSource::Step);
        QCOMPARE(h.entries().size(), PeriodHistory::kCapacity);
        QCOMPARE(h.entries().front().period, 51.0f);
        QCOMPARE(h.current(), PeriodHistory::kCapacity - 1);
        const auto newest = h.newest(20);
        QCOMPARE(newest.size(), std::size_t{20});
        QCOMPARE(h.entries()[newest.front()].period, 250.0f);
        QCOMPARE(h.entries()[newest.back()].period, 231.0f);
    }

    // Guards `*` and `/`: powers of ten, and limits that a held key cannot pass.
    void incrementScale_data() {
        QTest::addColumn<float>("increment");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<float>("expected");
        QTest::addRow("up") << 1.0f << "*" << 10.0f;
        QTest::addRow("down twice") << 1.0f << "//" << 0.01f;
        QTest::addRow("down and up") << 0.5f << "/*" << 0.5f;
        QTest::addRow("held down stops at a millionth") << 1.0f << "//////////" << 1e-6f;
        QTest::addRow("held up stops at a million") << 1.0f << "**********" << 1e6f;
        QTest::addRow("zero stays zero") << 0.0f << "***" << 0.0f;
    }
    void incrementScale() {
        QFETCH(float, increment);
        QFETCH(QString, keys);
        QFETCH(float, expected);
        int power = 0;
        for (QChar key : keys)
            power = nextIncrementPower(increment, power, key == u'*');
        QCOMPARE(scaledIncrement(increment, power), expected);
    }
};

QTEST_GUILESS_MAIN(TestPeriodHistory)
#include "tst_periodhistory.moc"
