#include "platform/QtPlatform.h"
#include "print/PrintPlot.h"
#include "support/Files.h"
#include "support/PageSample.h"
#include "support/ScriptedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace varilume;
using varilume::test::pdfPageCount;
using varilume::test::readFile;
using varilume::test::samplePage;
using varilume::test::ScriptedPlatform;
using varilume::test::writeFile;

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

    // Guards printing for real, with a PDF file standing in for the printer:
    // one landscape page; a file that cannot be made is named with the reason.
    void realPdfPrinter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("writable");
        QTest::addRow("new file") << "printed.pdf" << true;
        QTest::addRow("over an old file") << "old.pdf" << true;
        QTest::addRow("missing folder") << "none/printed.pdf" << false;
        QTest::addRow("a file for a folder") << "old.pdf/printed.pdf" << false;
    }
    void realPdfPrinter() {
        QFETCH(QString, name);
        QFETCH(bool, writable);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("old.pdf")), "not a pdf yet"));
        QtPlatform platform;
        const QString path = dir.filePath(name);
        const PrintResult result = PrintPlot(platform, QString(), path, samplePage());
        if (!writable) {
            QCOMPARE(result.status, PrintResult::Status::FileError);
            QVERIFY2(result.text.startsWith(
                         QStringLiteral("The file \"%1\" cannot be written: ").arg(path)),
                     qPrintable(result.text));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.pdf"});
            return;
        }
        QVERIFY2(result.ok(), qPrintable(result.text));
        const std::optional<QByteArray> pdf = readFile(path);
        QVERIFY(pdf);
        QVERIFY(pdf->startsWith("%PDF-"));
        QCOMPARE(pdfPageCount(*pdf), 1);
        // Landscape: the page box is wider than high.
        const QRegularExpressionMatch box =
            QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]"))
                .match(QString::fromLatin1(*pdf));
        QVERIFY(box.hasMatch());
        QVERIFY2(box.captured(1).toDouble() > box.captured(2).toDouble(),
                 qPrintable(box.captured(0)));
    }
};

QTEST_MAIN(TestPrintPlot)
#include "tst_printplot.moc"
