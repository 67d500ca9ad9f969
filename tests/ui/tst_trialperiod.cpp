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
        QTest::addColumn<QString>("box"); // what the box shows afterwards

        QTest::addRow("a number with blanks") << " 37.5 " << 37.5f << 0 << " 37.5 ";
        QTest::addRow("a negative number becomes 1") << "-4" << 1.0f << 0 << "-4";
        QTest::addRow("not a number: reported, period and its text back")
            << "twelve" << 50.0f << 1 << " 50";
        QTest::addRow("abc: reported, period and its text back") << "abc" << 50.0f << 1 << " 50";
    }

    // Guards a typed period that is not a number changing the period, passing
    // unreported or staying in the box after its message.
    void typed() {
        QFETCH(QString, text);
        QFETCH(float, period);
        QFETCH(int, messages);
        QFETCH(QString, box);

        ProjectState state;
        QLineEdit edit;
        TrialPeriod trial(state, edit);
        ScriptedPlatform platform;
        trial.set(50, Source::Step);
        edit.setText(text);
        QCOMPARE(trial.takeTyped(platform), messages == 0);
        QCOMPARE(state.Period, period);
        QCOMPARE(edit.text(), box);
        QCOMPARE(int(platform.messages.size()), messages);
    }

    void historyThroughSet_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<float>("period");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("sources");
        QTest::addColumn<bool>("canForward");

        QTest::addRow("every kind of set is recorded")
            << "t5 s6 e7 q3.5 r" << 200.0f << " 200"
            << "typed step estimate search reset" << false;
        QTest::addRow("back shows the earlier period in the box") << "t5 s6 <" << 5.0f << " 5"
                                                                  << "typed step" << true;
        QTest::addRow("back across a reset") << "t3.118 r <" << 3.118f << " 3.118"
                                             << "typed reset" << true;
        QTest::addRow("forward at the newest stays") << "t5 >" << 5.0f << " 5"
                                                     << "typed" << false;
    }

    // Guards the history missing a period that reached the plot by some road,
    // and a move through it leaving value and box apart.
    void historyThroughSet() {
        QFETCH(QString, script);
        QFETCH(float, period);
        QFETCH(QString, box);
        QFETCH(QString, sources);
        QFETCH(bool, canForward);

        ProjectState state;
        QLineEdit edit;
        TrialPeriod trial(state, edit);
        ScriptedPlatform platform;
        int changes = 0;
        trial.setOnChange([&] { ++changes; });
        int expectedChanges = 0;
        for (const QString& move : script.split(u' ')) {
            const QChar op = move.front();
            const float value = move.mid(1).toFloat();
            if (op == u'<') {
                expectedChanges += trial.back() ? 1 : 0;
            } else if (op == u'>') {
                expectedChanges += trial.forward() ? 1 : 0;
            } else if (op == u'r') {
                trial.reset();
                ++expectedChanges;
            } else if (op == u't') {
                edit.setText(QString::number(value));
                QVERIFY(trial.takeTyped(platform));
                ++expectedChanges;
            } else {
                trial.set(value, op == u's'   ? Source::Step
                                 : op == u'e' ? Source::Estimate
                                              : Source::Search);
                ++expectedChanges;
            }
        }
        QCOMPARE(state.Period, period);
        QCOMPARE(edit.text().trimmed(), box.trimmed());
        QStringList names;
        for (const auto& e : trial.history().entries())
            names << periodSourceName(e.source);
        QCOMPARE(names.join(u' '), sources);
        QCOMPARE(trial.history().canGoForward(), canForward);
        QCOMPARE(changes, expectedChanges);
    }
};

QTEST_MAIN(TestTrialPeriod)
#include "tst_trialperiod.moc"
