#include "print/PrintPlot.h"
#include "support/Files.h"
#include "support/PageSample.h"
#include "ui/platform/QtPlatform.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace varilume;
using varilume::test::pdfPageCount;
using varilume::test::readFile;
using varilume::test::samplePage;
using varilume::test::writeFile;

// Printing through the real platform layer, with a PDF file standing in for
// the printer (there is no printer to test with).
class TestPdfPrinter : public QObject {
    Q_OBJECT

private slots:
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

QTEST_MAIN(TestPdfPrinter)
#include "tst_pdfprinter.moc"
