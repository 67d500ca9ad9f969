#include "plot/SearchInput.h"
#include "ui/AppSession.h"
#include "ui/preview/FrmPreview.h"
#include "ui/search/FrmSearch.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

using namespace varilume;

namespace {

// The started program with two stars of different spans, and the search window.
struct Session : test::Session {
    QString other;
    Session() {
        other = path("del cep.txt");
        test::writeFile(other, test::kOrbisHeader +
                                   test::orbisLines(60, 7.0, 5, 0.2, QByteArray("del cep")));
    }
    FrmSearch& search() {
        w().mnuSearch();
        return *w().searchWindow();
    }
    QLineEdit* box(const char* name) { return search().findChild<QLineEdit*>(name); }
    QString text(const char* name) { return search().findChild<QLabel*>(name)->text(); }
    QString range() { return box("txtMinPeriod")->text() + ".." + box("txtMaxPeriod")->text(); }
    // The range the data of the current window suggest, as the boxes write it.
    QString dataRange() {
        Context ctx{s(), app->store(), platform};
        const SearchPlan plan =
            planSearch(searchInput(ctx, search().choice()).data, SearchSettings{});
        return QString::number(plan.range.minPeriod, 'g', 6) + ".." +
               QString::number(plan.range.maxPeriod, 'g', 6);
    }
    void typeRange(const QString& from, const QString& to) {
        QLineEdit* min = box("txtMinPeriod");
        QLineEdit* max = box("txtMaxPeriod");
        for (auto [edit, value] : {std::pair{min, from}, std::pair{max, to}}) {
            edit->selectAll();
            if (value.isEmpty())
                QTest::keyClick(edit, Qt::Key_Delete);
            else
                QTest::keyClicks(edit, value);
        }
    }
    // Narrows the JD window in the preview to its first half.
    void narrowWindow() {
        continuePreview([this](QDialog& d) {
            auto& preview = static_cast<FrmPreview&>(d);
            preview.cmdZoom();
            preview.clickAt(s().MinJD);
            preview.clickAt((s().MinJD + s().MaxJD) / 2);
        });
        w().mnuPreview();
    }
};

} // namespace

class TestStarChange : public QObject {
    Q_OBJECT

private slots:
    void range_data() {
        QTest::addColumn<QString>("steps"); // t: type 1..20, e: empty the boxes,
                                            // o: load the other star, a: this star again,
                                            // n: narrow the JD window
        QTest::addColumn<bool>("own");      // the range typed stays
        QTest::addRow("another star loaded: its own data's range") << "to" << false;
        QTest::addRow("another star after emptied boxes") << "teo" << false;
        QTest::addRow("the same star again: the range set for it") << "toa" << true;
        QTest::addRow("narrower JD window: the window's range") << "n" << false;
        QTest::addRow("narrower JD window, range set by the user") << "tn" << true;
        QTest::addRow("range set, then emptied") << "te" << false;
    }

    // Guards the period range across loads and JD windows: the data's own unless
    // the user set it for this star, and the window says which.
    void range() {
        QFETCH(QString, steps);
        QFETCH(bool, own);
        Session t;
        t.load();
        t.search();
        for (QChar step : steps) {
            if (step == u't')
                t.typeRange("1", "20");
            else if (step == u'e')
                t.typeRange("", "");
            else if (step == u'o' || step == u'a')
                t.loadOrbis(step == u'o' ? t.other : t.orbis);
            else if (step == u'n')
                t.narrowWindow();
        }
        for (const auto& m : t.platform.messages) // only the question before a load
            QVERIFY2(m.title == "Unload Current Star?", qPrintable(t.platform.transcript()));
        QTRY_COMPARE(t.range(), own ? QString("1..20") : t.dataRange());
        QCOMPARE(t.text("lblRangeSource"), own ? "set by you" : "from the data");
        if (steps.contains(u'n') && !own) {
            QVERIFY(t.s().JDTo < t.s().MaxJD);
            t.continuePreview(); // the whole data again: its wider range
            t.w().cmdReset();
            QTRY_COMPARE(t.range(), t.dataRange());
        }
    }

    void resultsCleared_data() {
        QTest::addColumn<bool>("failed");
        QTest::addRow("another star loaded") << false;
        QTest::addRow("a load that failed") << true;
    }

    // Guards the last star's status line and peaks: gone with a new load.
    void resultsCleared() {
        QFETCH(bool, failed);
        Session t;
        t.load();
        FrmSearch& search = t.search();
        search.cmdSearch();
        search.waitForRun();
        QVERIFY(t.text("lblStatus").contains("searched in"));
        QVERIFY(!search.lastResult().peaks.empty());
        QString file = t.other;
        if (failed) {
            file = t.path("broken.txt");
            test::writeFile(file, "no observations here\r\n");
        }
        t.loadOrbis(file);
        QCOMPARE(t.s().StarLoaded, !failed);
        QCOMPARE(t.text("lblStatus"), QString());
        QVERIFY(search.lastResult().peaks.empty());
        auto* grid = search.findChild<QTableWidget*>("grdPeaks");
        QVERIFY(!grid->item(0, 0) || grid->item(0, 0)->text().isEmpty());
    }

    void statusPath_data() {
        QTest::addColumn<int>("folderLength"); // characters of the folder's name
        QTest::addColumn<bool>("elided");
        QTest::addRow("short path: whole") << 3 << false;
        QTest::addRow("long path: its middle left out") << 200 << true;
    }

    // Guards the loaded file's path in the status bar: a long one keeps its
    // start and its file name, the whole path in the tooltip.
    void statusPath() {
        QFETCH(int, folderLength);
        QFETCH(bool, elided);
        Session t;
        const QString folder = t.path(QString(folderLength, u'f'));
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/del cep.txt";
        QVERIFY(QFile::copy(t.other, file));
        t.loadOrbis(file);
        auto* panel = t.child<QLabel>("staPlotPanel1");
        QCOMPARE(panel->toolTip(), "File: " + file);
        QCOMPARE(t.w().statusPanel(1), "File: " + file);
        // The label elides again when the status bar's layout gives it its
        // width, a posted event that a slow run may not have handled yet.
        QTRY_COMPARE(panel->text() != panel->toolTip(), elided);
        if (elided) {
            QVERIFY(panel->text().startsWith("File: /"));
            QVERIFY(panel->text().endsWith("del cep.txt"));
            QVERIFY(panel->text().contains(QChar(0x2026)));
            QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <=
                    panel->contentsRect().width());
        }
    }

    void history_data() {
        QTest::addColumn<QString>("loads");    // r: rr lyr, d: del cep, each then given 5 and 7
        QTest::addColumn<QStringList>("menu"); // newest first
        QTest::addRow("one star") << "r"
                                  << QStringList{"7 d  RR LYR  (typed)", "5 d  RR LYR  (typed)",
                                                 "200 d  RR LYR  (reset)"};
        QTest::addRow("another star: its own periods")
            << "rd"
            << QStringList{"7 d  DEL CEP  (typed)", "5 d  DEL CEP  (typed)",
                           "200 d  DEL CEP  (reset)"};
        QTest::addRow("the first star again: its periods back")
            << "rdr" << QStringList{"7 d  RR LYR  (typed)",   "5 d  RR LYR  (typed)",
                                    "200 d  RR LYR  (reset)", "7 d  RR LYR  (typed)",
                                    "5 d  RR LYR  (typed)",   "200 d  RR LYR  (reset)"};
    }

    // Guards the period history: each entry names its star, and each star keeps
    // its own across loads of the same file.
    void history() {
        QFETCH(QString, loads);
        QFETCH(QStringList, menu);
        Session t;
        for (QChar star : loads) {
            t.loadOrbis(star == u'r' ? t.orbis : t.other);
            for (const char* period : {"5", "7"}) {
                t.child<QLineEdit>("txtPeriod")->setText(period);
                t.w().periodEntered();
            }
        }
        t.w().fillHistoryMenu();
        QStringList shown;
        for (QAction* a : t.child<QMenu>("mnuPeriodHistory")->actions())
            shown << a->text();
        QCOMPARE(shown, menu);
    }
};

QTEST_MAIN(TestStarChange)
#include "tst_starchange.moc"
