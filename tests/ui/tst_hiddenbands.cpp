#include "canvas/Canvas.h"
#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "ui/AppSession.h"
#include "ui/widgets/CanvasWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace varilume;
using varilume::test::readFile;

namespace {

constexpr std::int32_t kH = 16744703; // the H colour of the settings below

// 40 V observations from 9 to 10.75 (AppSession's lines) and 10 H observations
// at 5 and 5.5, between them in time.
QByteArray lines() {
    QByteArray h;
    for (int i = 0; i < 10; ++i)
        h += QByteArray::number(2450001.25 + i * 7.5, 'f', 4) + (i % 2 ? ",5.50" : ",5.00") +
             ",,,H,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
    return test::orbisLines() + h;
}

struct Session : test::Session {
    Session() : test::Session("ColorH=16744703\r\n", lines()) {}
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    // The magnitudes the strip spans, top and bottom.
    QString strip() {
        const QList<double> s =
            test::insetSystem(child<CanvasWidget>("picMagScale")->canvas(), 0, kPlotEdgePx);
        return QString::number(s[1], 'g', 6) + ".." + QString::number(s[1] + s[3], 'g', 6);
    }
    void showH(bool shown) { child<QAction>("mnuBandH")->setChecked(shown); }
};

} // namespace

class TestHiddenBands : public QObject {
    Q_OBJECT

private slots:
    void follows_data() {
        QTest::addColumn<QString>("steps"); // h: hide H, s: show H, r: Refresh, p: Reset
        QTest::addColumn<QString>("range"); // Min Mag .. Max Mag, labels and strip alike
        QTest::addRow("every band shown") << ""
                                          << "5..10.75";
        QTest::addRow("H hidden") << "h"
                                  << "9..10.75";
        QTest::addRow("H hidden, Refresh") << "hr"
                                           << "9..10.75";
        QTest::addRow("H hidden, Reset through the preview") << "hp"
                                                             << "9..10.75";
        QTest::addRow("H hidden and shown again") << "hs"
                                                  << "5..10.75";
    }

    // Guards the magnitude scale and the Min/Max Mag labels with a band hidden:
    // they span the bands shown, through Refresh and Reset too.
    void follows() {
        QFETCH(QString, steps);
        QFETCH(QString, range);
        Session t;
        t.load();
        for (QChar step : steps) {
            if (step == u'h' || step == u's')
                t.showH(step == u's');
            else if (step == u'r')
                t.w().cmdRefresh();
            else if (step == u'p') {
                t.continuePreview();
                t.w().cmdReset();
            }
        }
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        const QStringList ends = range.split("..");
        QCOMPARE(t.label("Label6"), "Min Mag = " + ends[0]);
        QCOMPARE(t.label("Label3"), "Max Mag = " + ends[1]);
        QCOMPARE(t.strip(), range);
    }

    void bins_data() {
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<float>("faintest"); // the brightest bin mean allowed
        QTest::addRow("every band: the H points pull the means up") << false << 0.0f;
        QTest::addRow("H hidden: the means of V alone") << true << 9.0f;
    }

    // Guards the phase-bin means: hidden bands take no part.
    void bins() {
        QFETCH(bool, hidden);
        QFETCH(float, faintest);
        Session t;
        t.load();
        t.showH(!hidden);
        t.platform.dialogScripts.push_back([](QDialog& d) {
            d.findChild<QLineEdit*>("txtBinWid")->setText("0.25");
            d.findChild<QPushButton*>("cmdEnter")->click();
        });
        t.w().mnuAverage();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QVERIFY(!t.s().BinMag.empty());
        float brightest = 99;
        for (float m : t.s().BinMag)
            if (m != 0)
                brightest = std::min(brightest, m);
        QVERIFY2(brightest >= faintest, qPrintable(QString::number(brightest)));
        if (!hidden)
            QVERIFY(brightest < 9);
    }

    void exportsKeepAll_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("lines"); // header and data lines
        QTest::addRow("sorted") << "mnuSaveSort" << 4 + 50;
        QTest::addRow("JD order") << "mnuSaveJD" << 4 + 50;
    }

    // Guards that the exports keep every observation, hidden bands included.
    void exportsKeepAll() {
        QFETCH(QString, command);
        QFETCH(int, lines);
        Session t;
        t.load();
        t.showH(false);
        const QString path = t.path("out.txt");
        t.platform.files.push_back(path);
        t.w().findChild<QAction*>(command)->trigger();
        QCOMPARE(readFile(path).value_or(QByteArray()).count("\r\n"), lines);
    }
};

QTEST_MAIN(TestHiddenBands)
#include "tst_hiddenbands.moc"
