#include "canvas/Canvas.h"
#include "plot/Bands.h"
#include "support/CanvasOps.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"
#include "ui/AppSession.h"
#include "ui/main/PeriodSteps.h"
#include "ui/search/FrmSearch.h"
#include "ui/search/SpectrumWidget.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidgetAction>
#include <cmath>

using namespace varilume;
using varilume::test::readFile;

namespace {

constexpr double kPeriod = 3.118;
constexpr std::int32_t kR = 255; // colours of the settings written below

// A 3.118-day sine observed 130 times over 400 days: 90 V points (with
// uncertainties), 30 R points and 10 discrepant ones.
QByteArray sineLines() {
    QByteArray lines;
    // Times scattered by a fixed generator, so that the sampling itself has no
    // period near the star's.
    std::uint32_t seed = 12345;
    for (int i = 0; i < 130; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double jd = 2450000.0 + i * 3.07 + (seed >> 8) / double(1 << 24) * 3.0;
        const double mag = 9.5 + 0.4 * std::sin(2 * M_PI * (jd - 2450000.0) / kPeriod);
        const QByteArray band = i % 13 == 5 ? "V" : (i % 4 == 1 ? "R" : "V");
        const QByteArray valid = i % 13 == 5 ? "D" : "Z";
        lines += QByteArray::number(jd, 'f', 4) + "," + QByteArray::number(mag, 'f', 3) + "," +
                 (band == "V" ? "0.02" : "") + ",," + band + ",ABC,,,,,,0,," + valid +
                 ",,,,rr lyr\r\n";
    }
    return lines;
}

// The started program with the sine star, and the search window's controls.
struct Session : test::Session {
    Session() : test::Session("ColorR=255\r\nColorDISC=12615680\r\n", sineLines()) {}
    Context ctx() { return Context{app->state(), app->store(), platform}; }
    void type(const QString& period) {
        child<QLineEdit>("txtPeriod")->setText(period);
        w().periodEntered();
    }
    FrmSearch& search() {
        w().mnuSearch();
        return *w().searchWindow();
    }
    template <typename T> T* searchChild(const char* name) {
        return search().findChild<T*>(QLatin1String(name));
    }
    int points() {
        const QString caption = child<QLabel>("lblStarName")->text();
        return caption.section(u'(', 1).section(u' ', 0, 0).toInt();
    }
};

} // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT
private slots:
    // Guards the history across the preview: its reset to 200 is one step back
    // from the period before, and Ctrl+Z in the period box steps, not edits.
    void undoAcrossPreview() {
        Session t;
        t.load();
        t.type(QStringLiteral("3.118"));
        t.continuePreview();
        t.w().mnuPreview();
        QApplication::setActiveWindow(t.app->mainWindow());
        QCOMPARE(t.s().Period, 200.0f);
        auto* box = t.child<QLineEdit>("txtPeriod");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(t.s().Period, 3.118f);
        QCOMPARE(box->text().trimmed(), QStringLiteral("3.118"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(t.s().Period, 200.0f);
        const auto& e = t.w().periodHistory().entries();
        QCOMPARE(periodSourceName(e.back().source), QStringLiteral("reset"));
    }

    // Guards redo being dropped by a new period, whichever way it comes.
    void redoClearedByNewPeriod_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<float>("expected");
        QTest::addRow("step") << "step" << 6.0f;
        QTest::addRow("typed") << "typed" << 9.0f;
        QTest::addRow("search") << "search" << 3.5f;
    }
    void redoClearedByNewPeriod() {
        QFETCH(QString, how);
        QFETCH(float, expected);
        Session t;
        t.load();
        t.type(QStringLiteral("5"));
        t.type(QStringLiteral("7"));
        t.w().periodBack();
        QCOMPARE(t.s().Period, 5.0f);
        if (how == u"step")
            t.w().cmdIncrUp();
        else if (how == u"typed")
            t.type(QStringLiteral("9"));
        else
            t.w().plotPeriod(3.5f, PeriodSource::Search);
        QCOMPARE(t.s().Period, expected);
        QVERIFY(!t.w().periodHistory().canGoForward());
        t.w().periodForward();
        QCOMPARE(t.s().Period, expected);
        // The submenu lists the newest first, with the source of each.
        t.w().fillHistoryMenu();
        auto* menu = t.w().findChild<QMenu*>(QStringLiteral("mnuPeriodHistory"));
        QVERIFY(menu->actions().first()->text().endsWith(u'(' + how + u')'));
    }

    // Guards `*` and `/`: the step in force and its display in the status bar.
    void incrementKeys() {
        Session t;
        t.load();
        t.type(QStringLiteral("3"));
        auto* box = t.child<QLineEdit>("txtPeriod");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Slash);
        QTest::keyClick(box, Qt::Key_Slash);
        QCOMPARE(box->text().trimmed(), QStringLiteral("3")); // not typed into the box
        QCOMPARE(t.child<QLabel>("staPlotIncrement")->text(), QStringLiteral("Increment = 0.01"));
        t.w().cmdIncrUp();
        QCOMPARE(t.s().Period, 3.01f);
        QTest::keyClick(box, Qt::Key_Asterisk);
        QCOMPARE(t.w().incrementInForce(), 0.1f);
        QCOMPARE(t.s().Increment, 1.0f); // the setting itself is left alone
    }

    // Guards the band filter: a hidden band leaves the phase plot, the preview
    // and the search input, and comes back when shown.
    void bandsFilter() {
        Session t;
        t.load();
        const int all = t.points();
        t.w().fillBandsMenu();
        auto* menu = t.w().findChild<QMenu*>(QStringLiteral("mnuBands"));
        QCOMPARE(menu->actions().size(), 3);
        auto* red = t.w().findChild<QAction*>(QStringLiteral("mnuBandR"));
        QVERIFY(red && red->isChecked());
        QVERIFY(red->text().startsWith(QStringLiteral("R  (")));
        const int redCount = red->text().section(u'(', 1).chopped(1).toInt();
        QVERIFY(redCount > 0);
        QVERIFY(test::countColour(t.child<CanvasWidget>("picView")->canvas().image(), kR) > 0);

        FrmSearch& search = t.search();
        Context ctx = t.ctx();
        const std::size_t before = searchInput(ctx, search.choice()).data.times.size();
        // The menu shows a check box per band, whose tick follows the band.
        auto* redBox = static_cast<QWidgetAction*>(red)->defaultWidget()->findChild<QCheckBox*>();
        QVERIFY(redBox && redBox->isChecked());
        red->setChecked(false);
        QVERIFY(!redBox->isChecked());
        QCOMPARE(t.points(), all - redCount);
        QCOMPARE(test::countColour(t.child<CanvasWidget>("picView")->canvas().image(), kR), 0);
        QVERIFY(!t.searchChild<QCheckBox>("chkBandR")->isChecked());
        const std::size_t after = searchInput(ctx, search.choice()).data.times.size();
        QCOMPARE(after, before - static_cast<std::size_t>(redCount));

        int previewRed = -1;
        t.continuePreview([&](QDialog& d) {
            previewRed = test::countColour(
                d.findChild<CanvasWidget*>(QStringLiteral("picView"))->canvas().image(), kR);
        });
        t.w().mnuPreview();
        QCOMPARE(previewRed, 0);

        redBox->click(); // shown again from the menu's check box
        QVERIFY(red->isChecked());
        QCOMPARE(t.points(), all);
        QVERIFY(t.searchChild<QCheckBox>("chkBandR")->isChecked());
    }

    // Guards what a search takes in by default: discrepant estimates out, and
    // weighting offered where uncertainties exist.
    void defaultInput() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        auto* disc = t.searchChild<QCheckBox>("chkBandDiscrepant");
        QVERIFY(disc);
        QVERIFY(!disc->isChecked());
        QVERIFY(disc->text().startsWith(QStringLiteral("Discrepant  (10)")));
        QVERIFY(!t.searchChild<QCheckBox>("chkWeight")->isHidden());
        t.searchChild<QCheckBox>("chkWeight")->setChecked(true);
        Context ctx = t.ctx();
        const SearchInput in = searchInput(ctx, search.choice());
        // Weighted, the R points (no uncertainty) cannot go in.
        QCOMPARE(in.leftOut, std::size_t{30});
        QCOMPARE(in.data.errors.size(), in.data.times.size());
        QCOMPARE(in.data.times.size(), std::size_t{90});
        // The choice holds while the window is closed (a period chosen, the
        // window put away, a new search from the menu).
        search.hide();
        QVERIFY(search.choice().weighted);
    }

    // Guards the whole road: a search finds the period, and a double-click on
    // its row or its peak plots it and records it as a search result.
    void doubleClickSetsPeriod_data() {
        QTest::addColumn<bool>("onPlot");
        QTest::addRow("row") << false;
        QTest::addRow("peak in the plot") << true;
    }
    void doubleClickSetsPeriod() {
        QFETCH(bool, onPlot);
        Session t;
        t.load();
        FrmSearch& search = t.search();
        search.cmdSearch();
        search.waitForRun();
        QVERIFY2(search.lastResult().ok(), search.lastResult().reason.c_str());
        const Peak best = search.lastResult().peaks.front();
        QVERIFY2(std::fabs(best.period - kPeriod) < 1e-3, qPrintable(QString::number(best.period)));
        if (onPlot) {
            auto* plot = t.searchChild<SpectrumWidget>("picSpectrum");
            const SpectrumPicture picture(plot->spectrum(), search.lastResult().peaks, plot->view(),
                                          plot->width(), plot->height());
            plot->doubleClickAt(picture.pixelOf(best.frequency) + 2);
        } else {
            search.choosePeak(0);
        }
        QCOMPARE(t.s().Period, static_cast<float>(best.period));
        QCOMPARE(t.child<QLineEdit>("txtPeriod")->text(), periodText(t.s().Period));
        QCOMPARE(t.w().periodHistory().entries().back().source, PeriodSource::Search);
    }

    // Guards the plot's zoom: a drag narrows it, a switch of axis keeps the same
    // frequencies in view, a double-click away from the peaks shows it all.
    void zoomAndUnzoom() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        search.cmdSearch();
        search.waitForRun();
        auto* plot = t.searchChild<SpectrumWidget>("picSpectrum");
        plot->resize(600, 300);
        const auto picture = [&] {
            return SpectrumPicture(plot->spectrum(), search.lastResult().peaks, plot->view(),
                                   plot->width(), plot->height());
        };
        const double f0 = picture().frequencyAt(200);
        const double f1 = picture().frequencyAt(300);
        plot->zoomPixels(300, 200);
        QCOMPARE(picture().frequencyAt(picture().left()), f0);
        QCOMPARE(picture().frequencyAt(picture().right()), f1);
        plot->setAxis(SpectrumAxis::LogPeriod);
        QVERIFY(std::fabs(picture().frequencyAt(picture().right()) - f0) < 1e-9 * f0);
        QVERIFY(std::fabs(picture().frequencyAt(picture().left()) - f1) < 1e-9 * f1);
        // Far from every listed peak: find a column with none within 6 pixels.
        double x = picture().left();
        while (picture().peakNear(x, 6))
            x += 7;
        plot->doubleClickAt(x);
        QCOMPARE(plot->view().from, plot->view().to);
    }

    // Guards the marker: the spectrum shows the main window's period after
    // every step, undo and typed period.
    void followsMainPeriod() {
        Session t;
        t.load();
        auto* plot = t.searchChild<SpectrumWidget>("picSpectrum");
        QCOMPARE(plot->view().trialPeriod, static_cast<double>(t.s().Period));
        t.type(QStringLiteral("3"));
        QCOMPARE(plot->view().trialPeriod, 3.0);
        t.w().cmdIncrUp();
        QCOMPARE(plot->view().trialPeriod, 4.0);
        t.w().periodBack();
        QCOMPARE(plot->view().trialPeriod, 3.0);
    }

    // Guards Cancel: the run stops, the peaks of the part searched stay and
    // are marked partial, the bar tells the share done; a new search runs.
    void cancelAndRestart() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        t.searchChild<QLineEdit>("txtOversample")->setText(QStringLiteral("500"));
        search.cmdSearch();
        QVERIFY2(search.running(), qPrintable(t.platform.transcript()));
        auto* bar = t.searchChild<QProgressBar>("prgSearch");
        QTRY_VERIFY(bar->value() > 0);
        QVERIFY2(bar->text().contains(u'%'), qPrintable(bar->text()));
        search.cmdCancel();
        search.waitForRun();
        QVERIFY(!search.running());
        QCOMPARE(search.lastResult().status, SearchResult::Status::Cancelled);
        QVERIFY(!search.lastResult().peaks.empty());
        for (const Peak& p : search.lastResult().peaks)
            QVERIFY(QString::fromStdString(p.note).startsWith(QStringLiteral("partial search")));
        const QString status = t.searchChild<QLabel>("lblStatus")->text();
        QVERIFY2(status.contains(QStringLiteral("cancelled")) &&
                     status.contains(QStringLiteral("partial")),
                 qPrintable(status));
        QVERIFY(t.searchChild<QPushButton>("cmdSave")->isEnabled());
        t.searchChild<QLineEdit>("txtOversample")->setText(QStringLiteral("5"));
        search.cmdSearch();
        search.waitForRun();
        QVERIFY(search.lastResult().ok());
    }

    // Guards bad numbers in the boxes: a message, and no run.
    void badSetting() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        t.searchChild<QLineEdit>("txtOversample")->setText(QStringLiteral("ten"));
        search.cmdSearch();
        QVERIFY(!search.running());
        QCOMPARE(t.platform.textsTitled(QStringLiteral("Period Search")),
                 QStringList{QStringLiteral("The oversampling \"ten\" is not a positive number.")});
    }

    // Guards the defaults and the verdict: harmonics "Auto" until a number is
    // chosen, and the best peak's verdict above the list once a run is done.
    void verdictAndAutoHarmonics() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        auto* harmonics = t.searchChild<QSpinBox>("spnHarmonics");
        QCOMPARE(harmonics->value(), AutoHarmonics);
        QCOMPARE(harmonics->text(), QStringLiteral("Auto"));
        auto* verdict = t.searchChild<QLabel>("lblVerdict");
        QCOMPARE(verdict->text(), QString());
        search.cmdSearch();
        search.waitForRun();
        QVERIFY2(search.lastResult().ok(), search.lastResult().reason.c_str());
        QCOMPARE(verdict->text(), QStringLiteral("Verdict: periodic"));
        QVERIFY(search.lastResult().peaks.front().harmonics >= 1);
        harmonics->setValue(2);
        search.cmdSearch();
        search.waitForRun();
        for (const Peak& p : search.lastResult().peaks)
            QCOMPARE(p.harmonics, 2);
    }

    // Guards Copy and Save: the peak list on the clipboard, both tables in the
    // file, and a file that cannot be written reported with its path.
    void copyAndSave() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        t.searchChild<QCheckBox>("chkWindow")->setChecked(true);
        search.cmdSearch();
        search.waitForRun();
        search.cmdCopy();
        const QStringList copied = QApplication::clipboard()->text().split(u'\n');
        QCOMPARE(copied.front(), QStringLiteral("rank,period,frequency,power,fap,sigma_period,"
                                                "note,harmonics,fap_red,verdict"));
        QVERIFY(copied[1].startsWith(QStringLiteral("1,3.11")));

        const QString path = t.dir.filePath(QStringLiteral("out.csv"));
        t.platform.files.push_back(path);
        search.cmdSave();
        const QByteArray saved = readFile(path).value_or(QByteArray());
        QVERIFY(saved.startsWith(
            "rank,period,frequency,power,fap,sigma_period,note,harmonics,fap_red,verdict\n"));
        QVERIFY(saved.contains("\n\nfrequency,period,power,window\n"));

        const QString bad = t.dir.filePath(QStringLiteral("missing/out.csv"));
        t.platform.files.push_back(bad);
        search.cmdSave();
        QCOMPARE(t.platform.textsTitled(QStringLiteral("Period Search")).size(), 1);
        QVERIFY(t.platform.textsTitled(QStringLiteral("Period Search")).front().contains(bad));
    }

    // Guards the false-alarm probability of the noiseless sine, far below the
    // smallest double: "< 1e-300" in the list, a number in the CSV, never "0".
    void fapBelowSmallestDouble() {
        Session t;
        t.load();
        FrmSearch& search = t.search();
        search.cmdSearch();
        search.waitForRun();
        QVERIFY2(search.lastResult().ok(), search.lastResult().reason.c_str());
        QCOMPARE(search.lastResult().peaks.front().fap, 0.0);
        auto* peaks = t.searchChild<QTableWidget>("grdPeaks");
        QCOMPARE(peaks->item(0, 4)->text(), QStringLiteral("< 1e-300"));
        search.cmdCopy();
        const QStringList best = QApplication::clipboard()->text().split(u'\n')[1].split(u',');
        QCOMPARE(best[4], QStringLiteral("4.94e-324"));
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
