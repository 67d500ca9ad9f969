// A light-curve table through the window: Files → Open Light-Curve Table…, the
// mapping dialog, remembering its choice, bands by name, and the window and
// the batch command searching the same observations.
#include "app/BatchSearch.h"
#include "app/CommandLine.h"
#include "plot/SearchInput.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"
#include "ui/AppSession.h"
#include "ui/dialogs/FrmTableMapping.h"
#include "ui/search/FrmSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>

using namespace varilume;

namespace {

// 60 observations of a 3.118-day star, V and B alternating (one colour in the
// settings for both), written newest first.
QByteArray csvStar(const QByteArray& header) {
    QByteArray text = header + "\r\n";
    for (int i = 59; i >= 0; --i) {
        const double jd = 2450000.5 + i * 1.37;
        const double mag =
            9.5 + 0.4 * std::sin(2 * M_PI * (jd - 2450000.0) / 3.118) + (i % 2 ? 0.6 : 0.0);
        text += QByteArray::number(jd, 'f', 4) + "," + QByteArray::number(mag, 'f', 3) + "," +
                (i % 2 ? "B" : "V") + "\r\n";
    }
    return text;
}

struct Session : test::Session {
    Session() : test::Session("ColorV=16744448\r\nColorB=16744448\r\n", defaultLines()) {}
    // Opens file through the menu; script drives the mapping dialog (without
    // one it is taken as it opens, with Enter).
    void openTable(const QString& file, std::function<void(FrmTableMapping&)> script = {}) {
        platform.files.push_back(file);
        platform.dialogScripts.push_back([script](FrmTableMapping& d) {
            if (script)
                script(d);
            d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        continuePreview();
        w().mnuOpenTable();
    }
    FrmSearch& search() {
        w().mnuSearch();
        return *w().searchWindow();
    }
};

} // namespace

class TestTableWindow : public QObject {
    Q_OBJECT
private slots:
    // Guards the whole road of a spreadsheet's CSV: recognised for sure (Enter
    // suffices), every row loaded, the count in the status bar, and V and B
    // two bands though they share a colour.
    void openRecognisedTable() {
        Session t;
        const QString file = t.path(QStringLiteral("mira.csv"));
        QVERIFY(test::writeFile(file, csvStar("JD,Magnitude,Band")));
        QString status;
        t.openTable(file, [&](FrmTableMapping& d) {
            status = d.findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
        });
        QVERIFY2(status.startsWith(QStringLiteral("Recognised")), qPrintable(status));
        QVERIFY2(t.s().StarLoaded, qPrintable(t.platform.transcript()));
        QCOMPARE(t.s().StarName, QStringLiteral("mira"));
        QCOMPARE(t.app->store().count(), 60);
        QVERIFY(t.w().statusPanel(1).contains(QStringLiteral("60 loaded")));
        t.w().fillBandsMenu();
        QVERIFY(t.w().findChild<QAction*>(QStringLiteral("mnuBandV")));
        QVERIFY(t.w().findChild<QAction*>(QStringLiteral("mnuBandB")));
        // Hiding B leaves V alone, although both are drawn in one colour.
        t.w().findChild<QAction*>(QStringLiteral("mnuBandB"))->setChecked(false);
        Context ctx{t.app->state(), t.app->store(), t.platform};
        QCOMPARE(searchInput(ctx, t.search().choice()).data.times.size(), std::size_t{30});
    }

    // Guards the mapping kept per header: a column the user set by hand comes
    // back set for the next table of that kind.
    void mappingRemembered() {
        Session t;
        const QString first = t.path(QStringLiteral("a.csv")),
                      second = t.path(QStringLiteral("b.csv"));
        QVERIFY(test::writeFile(first, csvStar("t,m,f")));
        QVERIFY(test::writeFile(second, csvStar("t,m,f")));
        t.openTable(first, [](FrmTableMapping& d) {
            for (auto [box, role] : {std::pair("cboRole1", "Magnitude"), {"cboRole2", "Band"}}) {
                auto* b = d.findChild<QComboBox*>(QLatin1String(box));
                b->setCurrentIndex(b->findText(QLatin1String(role)));
            }
        });
        QVERIFY2(t.s().StarLoaded, qPrintable(t.platform.transcript()));
        t.platform.answers.push_back(Answer::Ok); // unload the first
        QString roles;
        t.openTable(second, [&](FrmTableMapping& d) {
            for (const char* box : {"cboRole0", "cboRole1", "cboRole2"})
                roles += d.findChild<QComboBox*>(QLatin1String(box))->currentText() + u' ';
        });
        QCOMPARE(roles, QStringLiteral("Time Magnitude Band "));
        QCOMPARE(t.s().StarName, QStringLiteral("b"));
    }

    // Guards one rule for both ways in: the window's default choice and the
    // batch command search the same observations (discrepant ones out, a
    // visual discrepant estimate too) and so find the same best peak.
    void windowAndBatchAgree() {
        Session t;
        QByteArray lines = test::orbisLines(80, 1.37, 9, 0.2);
        lines += "2450005.5,7.0,,,Vis.,ABC,,,,,,0,,D,,,,rr lyr\r\n"; // discrepant, visual
        lines += "2450007.5,7.2,,,V,ABC,,,,,,0,,D,,,,rr lyr\r\n";    // discrepant, V
        QVERIFY(test::writeFile(t.orbis, test::kOrbisHeader + lines));
        t.load();
        Context ctx{t.app->state(), t.app->store(), t.platform};
        const SearchInput in = searchInput(ctx, t.search().choice());
        QCOMPARE(in.data.times.size(), std::size_t{80});
        SearchSettings settings;
        settings.harmonics = AutoHarmonics; // the default of both
        settings.peaks = 1;
        const SearchResult window = runSearch(in.data, settings);
        QVERIFY(window.ok());
        const BatchOutcome batch =
            runBatchSearch(parseCommandLine({QStringLiteral("--search"), t.orbis,
                                             QStringLiteral("--top"), QStringLiteral("1")})
                               .batch);
        QCOMPARE(batch.exitCode, 0);
        QCOMPARE(batch.out.split(u'\n')[1], peakListCsv(window.peaks).split(u'\n')[1]);
    }
};

QTEST_MAIN(TestTableWindow)
#include "tst_tablewindow.moc"
