#include "canvas/Canvas.h"
#include "plot/ModelCurve.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"
#include "ui/AppSession.h"
#include "ui/model/FrmFourierFit.h"
#include "ui/model/FrmOMinusC.h"
#include "ui/search/FrmSearch.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <cmath>

using namespace varilume;
using varilume::test::readFile;

namespace {

constexpr double kP1 = 3.118, kP2 = 1.7331;

// Two periods: 0.4 mag at 3.118 d and 0.15 mag at 1.7331 d, observed 300
// times over 900 days at scattered times, all in V.
QByteArray twoModeLines() {
    QByteArray lines;
    std::uint32_t seed = 4242;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double jd = 2450000.0 + i * 3.01 + (seed >> 8) / double(1 << 24) * 3.0;
        const double t = jd - 2450000.0;
        const double mag =
            9.5 + 0.4 * std::sin(2 * M_PI * t / kP1) + 0.15 * std::sin(2 * M_PI * t / kP2 + 1);
        lines += QByteArray::number(jd, 'f', 5) + "," + QByteArray::number(mag, 'f', 4) +
                 ",0.01,,V,ABC,,,,,,0,,Z,,,,v1 cep\r\n";
    }
    return lines;
}

struct Session : test::Session {
    Session() : test::Session(QByteArray(), twoModeLines()) {}
    void type(const QString& period) {
        child<QLineEdit>("txtPeriod")->setText(period);
        w().periodEntered();
    }
    FrmFourierFit& fitWindow() {
        w().mnuFourierFit();
        return *w().fourierWindow();
    }
    template <typename T> T* fitChild(const char* name) {
        return fitWindow().findChild<T*>(QLatin1String(name));
    }
    // Loads the star, plots it at P1 and fits order 2.
    void loadAndFit() {
        load();
        type(QStringLiteral("3.118"));
        fitChild<QComboBox>("cboOrder")->setCurrentIndex(1);
        fitWindow().cmdFit();
    }
    // Lines drawn in the model's colour on the plot since recording began.
    int modelLines() {
        int n = 0;
        for (const Canvas::Op& op : w().picView().ops())
            n += op.kind == Canvas::Op::Line && op.color == ModelCurveColor;
        return n;
    }
    // Count and sums of the stored observations: modelling must never change them.
    QString storeSums() {
        auto r = app->store().query(QStringLiteral(
            "SELECT COUNT(*) AS n, SUM(JD) AS j, SUM(Mag) AS m, SUM(LENGTH(Band)) AS b FROM Obs"));
        r.moveFirst();
        return QStringLiteral("%1 %2 %3 %4")
            .arg(r.number(QStringLiteral("n")))
            .arg(r.number(QStringLiteral("j")), 0, 'g', 17)
            .arg(r.number(QStringLiteral("m")), 0, 'g', 17)
            .arg(r.number(QStringLiteral("b")));
    }
    QString tableValue(const QString& name) {
        auto* t = fitChild<QTableWidget>("tblFit");
        for (int r = 0; r < t->rowCount(); ++r)
            if (t->item(r, 0)->text() == name)
                return t->item(r, 1)->text();
        return QString();
    }
};

} // namespace

class TestFourierFitWindow : public QObject {
    Q_OBJECT
private slots:
    // Guards the shortcut: Ctrl+K opens the fit window, also from the period
    // box, whose own Ctrl+K (delete to the end) must not take it.
    void ctrlKOpensWindow_data() {
        QTest::addColumn<bool>("inPeriodBox");
        QTest::addRow("main window") << false;
        QTest::addRow("period box") << true;
    }
    void ctrlKOpensWindow() {
        QFETCH(bool, inPeriodBox);
        Session t;
        t.load();
        QVERIFY(!t.w().fourierWindow());
        auto* box = t.child<QLineEdit>("txtPeriod");
        box->setText(QStringLiteral("3.118"));
        if (inPeriodBox) {
            box->setFocus();
            box->setCursorPosition(0);
        }
        QTest::keyClick(inPeriodBox ? static_cast<QWidget*>(box) : t.app->mainWindow(), Qt::Key_K,
                        Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("3.118"));
        QVERIFY(t.w().fourierWindow());
        QVERIFY(t.w().fourierWindow()->isVisible());
        QCOMPARE(t.w().findChild<QAction*>(QStringLiteral("mnuFourierFit"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+K")));
    }

    // Guards the table: the fit of the plotted observations at the trial
    // period, with the larger amplitude and the mean of the star.
    void tableShowsFit() {
        Session t;
        t.loadAndFit();
        QVERIFY(t.fitWindow().fit().has_value());
        QCOMPARE(t.fitWindow().fit()->points, std::size_t(300));
        QCOMPARE(t.fitWindow().fit()->order, 2);
        QVERIFY(std::fabs(t.tableValue(QStringLiteral("Mean magnitude")).toDouble() - 9.5) < 0.02);
        QVERIFY(std::fabs(t.tableValue(QStringLiteral("A1")).toDouble() - 0.4) < 0.03);
        QVERIFY(!t.tableValue(QStringLiteral("Epoch of maximum (JD)")).isEmpty());
        // Order 2: no third harmonic, so R31 is left empty.
        QVERIFY(t.tableValue(QStringLiteral("R31")).isEmpty());
        QVERIFY(!t.tableValue(QStringLiteral("R21")).isEmpty());
    }

    // Guards the model line on the plot across what a user does next: a new
    // period refits it (small data), the box and the menu hide it, a reload
    // or a hidden band drops it.
    void modelAcrossChanges_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<bool>("fitKept");
        QTest::addColumn<double>("fitPeriod");
        QTest::addRow("replot, same period") << "replot" << true << true << kP1;
        QTest::addRow("new period refits") << "period" << true << true << 3.2;
        QTest::addRow("box unticked hides") << "box" << false << true << kP1;
        QTest::addRow("menu unticked hides") << "menu" << false << true << kP1;
        QTest::addRow("reload drops") << "reload" << false << false << 0.0;
        QTest::addRow("two cycles still drawn") << "cycles" << true << true << kP1;
    }
    void modelAcrossChanges() {
        QFETCH(QString, action);
        QFETCH(bool, drawn);
        QFETCH(bool, fitKept);
        QFETCH(double, fitPeriod);
        Session t;
        t.loadAndFit();
        t.w().picView().setRecording(true);
        if (action == u"replot") {
            t.w().cmdRefresh();
        } else if (action == u"period") {
            t.type(QStringLiteral("3.2"));
        } else if (action == u"box") {
            t.fitChild<QCheckBox>("chkShowModel")->setChecked(false);
        } else if (action == u"menu") {
            t.w().findChild<QAction*>(QStringLiteral("mnuShowModel"))->trigger();
            QVERIFY(!t.fitChild<QCheckBox>("chkShowModel")->isChecked());
        } else if (action == u"reload") {
            t.platform.answers.push_back(Answer::Ok); // unload the star loaded
            t.load();
        } else if (action == u"cycles") {
            t.child<QRadioButton>("optTwoCycles")->click();
            t.w().cmdRefresh(); // the cycles change at the next refresh
        }
        QCOMPARE(t.modelLines() > 0, drawn);
        QCOMPARE(t.fitWindow().fit().has_value(), fitKept);
        if (fitKept)
            QVERIFY(std::fabs(t.fitWindow().fit()->period.value - fitPeriod) < 1e-5);
        if (action == u"cycles") // both cycles: twice the segments
            QCOMPARE(t.modelLines(), 2 * ModelCurveSegments);
    }

    // Guards the saved page: the model line is on it when shown, not when
    // hidden. The page takes the screen plot (inverted onto white paper), so
    // the line is there in its colour or in that colour's complement.
    void savedPageHasModel_data() {
        QTest::addColumn<bool>("shown");
        QTest::addRow("shown") << true;
        QTest::addRow("hidden") << false;
    }
    void savedPageHasModel() {
        QFETCH(bool, shown);
        Session t;
        t.loadAndFit();
        t.fitChild<QCheckBox>("chkShowModel")->setChecked(shown);
        const QString path = t.path(QStringLiteral("page.png"));
        t.platform.files.push_back(path);
        t.w().mnuSaveImage();
        QVERIFY(t.platform.messages.empty());
        const QImage page = QImage(path).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!page.isNull());
        const QColor line = rgbColor(ModelCurveColor);
        const QRgb colour = line.rgb() & 0xFFFFFF, complement = ~line.rgb() & 0xFFFFFF;
        int hits = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y) & 0xFFFFFF;
                hits += p == colour || p == complement;
            }
        QCOMPARE(hits > 100, shown);
    }

    // Guards prewhitening: the search takes the residuals and finds the second
    // period, the frequencies are fitted together, and Restore gives the
    // search the observations again, the store untouched throughout.
    void subtractAndRestore() {
        Session t;
        t.loadAndFit();
        const QString before = t.storeSums();
        t.fitWindow().cmdSubtract();
        FrmSearch* search = t.w().searchWindow();
        QVERIFY(search);
        QVERIFY(search->searchingResiduals());
        QVERIFY(search->windowTitle().contains(QStringLiteral("residuals")));
        QVERIFY(!search->findChild<QCheckBox*>(QStringLiteral("chkBandV"))->isEnabled());
        search->findChild<QLineEdit*>(QStringLiteral("txtMinPeriod"))->setText("1");
        search->findChild<QLineEdit*>(QStringLiteral("txtMaxPeriod"))->setText("10");
        search->cmdSearch();
        search->waitForRun();
        QVERIFY(search->lastResult().ok());
        const double found = search->lastResult().peaks.front().period;
        QVERIFY2(std::fabs(found - kP2) < 0.01, qPrintable(QString::number(found)));
        QCOMPARE(t.storeSums(), before);
        search->choosePeak(0);
        // The plot keeps the first period; the second joins the model.
        QCOMPARE(t.s().Period, float(kP1));
        const MultiFrequencyFit& m = t.fitWindow().frequencies();
        QVERIFY(m.ok);
        QCOMPARE(m.terms.size(), std::size_t(3)); // f1, 2f1, f2
        QCOMPARE(QString::fromStdString(m.terms[1].note), QStringLiteral("2f1"));
        QVERIFY(std::fabs(m.terms[2].period.value - kP2) < 3 * m.terms[2].period.sigma + 1e-4);
        QVERIFY(std::fabs(m.terms[0].period.value - kP1) < 3 * m.terms[0].period.sigma + 1e-4);
        QCOMPARE(t.fitChild<QTableWidget>("tblFrequencies")->rowCount(), 3);
        QCOMPARE(t.storeSums(), before);
        t.fitWindow().cmdRestore();
        QVERIFY(!search->searchingResiduals());
        QVERIFY(!search->windowTitle().contains(QStringLiteral("residuals")));
        QVERIFY(search->findChild<QCheckBox*>(QStringLiteral("chkBandV"))->isEnabled());
        QCOMPARE(t.fitChild<QTableWidget>("tblFrequencies")->rowCount(), 0);
        QCOMPARE(t.storeSums(), before);
    }

    // Guards the saved tables: header, one row per point, through the save dialog.
    void savedTables_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("lines");
        QTest::addRow("model curve") << "model"
                                     << "phase,magnitude" << 501;
        QTest::addRow("residuals") << "residuals"
                                   << "jd,residual" << 301;
        QTest::addRow("O-C table") << "oc"
                                   << "cycle,time_max,o_c,sigma" << -1;
    }
    void savedTables() {
        QFETCH(QString, what);
        QFETCH(QString, header);
        QFETCH(int, lines);
        Session t;
        t.loadAndFit();
        const QString path = t.path(QStringLiteral("out.csv"));
        t.platform.files.push_back(path);
        if (what == u"model") {
            t.fitWindow().cmdSaveModel();
        } else if (what == u"residuals") {
            t.fitWindow().cmdSaveResiduals();
        } else {
            t.fitWindow().cmdOMinusC();
            FrmOMinusC* oc = t.fitWindow().ocWindow();
            oc->findChild<QComboBox*>(QStringLiteral("cboGrouping"))->setCurrentIndex(1);
            oc->findChild<QLineEdit*>(QStringLiteral("txtGroupSize"))->setText("30");
            oc->cmdMeasure();
            QVERIFY2(oc->result().ok, oc->result().reason.c_str());
            lines = int(oc->result().points.size()) + 1;
            QVERIFY(lines > 4);
            oc->cmdSaveCsv();
            QVERIFY(oc->findChild<QLabel*>(QStringLiteral("lblLinear"))
                        ->text()
                        .startsWith(QStringLiteral("linear: P = ")));
        }
        QVERIFY(t.platform.messages.empty());
        const QStringList rows = QString::fromUtf8(readFile(path).value_or(QByteArray()))
                                     .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.value(0), header);
        QCOMPARE(rows.size(), lines);
    }

    // Guards the O–C picture saved through the save dialog, and a group size
    // that is no number refused with a message.
    void ocImageAndBadGroup() {
        Session t;
        t.loadAndFit();
        t.fitWindow().cmdOMinusC();
        FrmOMinusC* oc = t.fitWindow().ocWindow();
        oc->findChild<QComboBox*>(QStringLiteral("cboGrouping"))->setCurrentIndex(1);
        oc->findChild<QLineEdit*>(QStringLiteral("txtGroupSize"))->setText("x");
        t.platform.messages.clear();
        oc->cmdMeasure();
        QCOMPARE(t.platform.messages.size(), std::size_t(1));
        oc->findChild<QLineEdit*>(QStringLiteral("txtGroupSize"))->setText("30");
        oc->cmdMeasure();
        QVERIFY(oc->result().ok);
        const QString path = t.path(QStringLiteral("oc.png"));
        t.platform.files.push_back(path);
        oc->cmdSaveImage();
        const QImage image(path);
        QCOMPARE(image.size(), QSize(1000, 700));
    }
};

QTEST_MAIN(TestFourierFitWindow)
#include "tst_fourierfitwindow.moc"
