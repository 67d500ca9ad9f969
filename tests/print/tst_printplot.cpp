#include "print/PrintPlot.h"
#include "support/PageSample.h"
#include "support/ScriptedPlatform.h"

#include <QtTest>

using namespace varilume;
using varilume::test::samplePage;
using varilume::test::ScriptedPlatform;

namespace {

// Whether the frame's left edge is drawn on a printed page.
bool frameDrawn(const QImage& page) {
    return page.pixelColor(page.width() * 8 / 100, page.height() / 2) == Qt::black;
}

} // namespace

class TestPrintPlot : public QObject {
    Q_OBJECT

private slots:
    // Guards the printer a print goes to: the chosen one while it is there,
    // else the system's default.
    void printerChoice_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("used");
        const QStringList two{QStringLiteral("Laser"), QStringLiteral("Inkjet")};
        QTest::addRow("chosen printer installed") << two << "Inkjet"
                                                  << "Inkjet";
        QTest::addRow("no choice since start") << two << ""
                                               << "";
        QTest::addRow("chosen printer removed") << two << "Plotter"
                                                << "";
        QTest::addRow("no printer left") << QStringList() << "Laser"
                                         << "";
        QTest::addRow("name differs in case") << two << "laser"
                                              << "";
    }
    void printerChoice() {
        QFETCH(QStringList, installed);
        QFETCH(QString, chosen);
        QFETCH(QString, used);
        ScriptedPlatform platform;
        platform.printers = installed;
        const PrintResult result = PrintPlot(platform, chosen, QString(), samplePage());
        QVERIFY2(result.ok(), qPrintable(result.text));
        QCOMPARE(platform.printedPages.size(), size_t(1));
        const PrintJob& job = platform.printedPages[0].job;
        QCOMPARE(job.printerName, used);
        QVERIFY(job.pdfFile.isEmpty());
        QVERIFY(job.landscape);
        QCOMPARE(job.dpi, 300);
        QVERIFY(frameDrawn(platform.printedPages[0].page));
    }

    // Guards the printer's failure: the program's printer message, whatever
    // the printer said.
    void printerFails() {
        ScriptedPlatform platform;
        platform.printFailure = PrintOutcome{PrintOutcome::PrinterFailed, QStringLiteral("jam")};
        const PrintResult result = PrintPlot(platform, QString(), QString(), samplePage());
        QCOMPARE(result.status, PrintResult::Status::PrinterError);
        QCOMPARE(result.text,
                 QStringLiteral("Printer error! Correct printer problem and try again."));
        QCOMPARE(result.title, QStringLiteral("Printer Error"));
        QCOMPARE(result.icon, Icon::Exclamation);
    }
};

QTEST_MAIN(TestPrintPlot)
#include "tst_printplot.moc"
