#include "store/State.h"
#include "support/ScriptedPlatform.h"
#include "ui/main/TrialPeriod.h"

#include <QLineEdit>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

using Source = TrialPeriod::Source;

class TestTrialPeriod : public QObject {
    Q_OBJECT
private slots:
    void valueAndBoxInStep_data() {
        QTest::addColumn<Source>("source");
        QTest::addColumn<float>("period");
        QTest::addColumn<QString>("box");

        QTest::addRow("a step shows the new period") << Source::Step << 37.5f << " 37.5";
        QTest::addRow("an estimate shows the same form") << Source::Estimate << 37.5f << " 37.5";
        QTest::addRow("a search result shows the same form") << Source::Search << 0.5f << " .5";
        QTest::addRow("a reset shows the default") << Source::Reset << 200.0f << " 200";
        QTest::addRow("a typed period keeps the text as typed")
            << Source::Typed << 12.0f << "typed text";
    }

    // Guards the value the plot folds with and the text in the period box
    // drifting apart, and two text forms for one period.
    void valueAndBoxInStep() {
        QFETCH(Source, source);
        QFETCH(float, period);
        QFETCH(QString, box);

        ProjectState state;
        QLineEdit edit;
        edit.setText(QStringLiteral("typed text"));
        TrialPeriod trial(state, edit);
        trial.set(period, source);
        QCOMPARE(state.Period, period);
        QCOMPARE(trial.value(), period);
        QCOMPARE(edit.text(), box);
    }

    void typed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("period");
        QTest::addColumn<int>("messages");

        QTest::addRow("a number with blanks") << " 37.5 " << 37.5f << 0;
        QTest::addRow("a negative number becomes 1") << "-4" << 1.0f << 0;
        QTest::addRow("not a number: reported, period kept") << "twelve" << 50.0f << 1;
    }

    // Guards a typed period that is not a number changing the period or
    // passing unreported.
    void typed() {
        QFETCH(QString, text);
        QFETCH(float, period);
        QFETCH(int, messages);

        ProjectState state;
        QLineEdit edit;
        TrialPeriod trial(state, edit);
        ScriptedPlatform platform;
        trial.set(50, Source::Step);
        edit.setText(text);
        QCOMPARE(trial.takeTyped(platform), messages == 0);
        QCOMPARE(state.Period, period);
        QCOMPARE(edit.text(), text);
        QCOMPARE(int(platform.messages.size()), messages);
    }

    // Guards the default drifting between start, unload and a new preview.
    void resetGivesTheDefault() {
        ProjectState state;
        QLineEdit edit;
        TrialPeriod trial(state, edit);
        trial.set(3, Source::Step);
        trial.reset();
        QCOMPARE(state.Period, kDefaultPeriod);
        QCOMPARE(edit.text(), QStringLiteral(" 200"));
    }
};

QTEST_MAIN(TestTrialPeriod)
#include "tst_trialperiod.moc"
