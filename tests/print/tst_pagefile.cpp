#include "print/PageFile.h"
#include "support/Files.h"
#include "support/PageSample.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

using namespace varilume;
using varilume::test::pdfPageCount;
using varilume::test::readFile;
using varilume::test::samplePage;
using varilume::test::writeFile;

Q_DECLARE_METATYPE(varilume::PageFileType)

class TestPageFile : public QObject {
    Q_OBJECT

private slots:
    // Guards which kind of file is written: the name's own extension first,
    // else the filter chosen in the dialog.
    void type_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<PageFileType>("type");
        QTest::addRow("no extension, bitmap filter") << "plot" << 2 << PageFileType::Bitmap;
        QTest::addRow("no extension, all files") << "plot" << 1 << PageFileType::Bitmap;
        QTest::addRow("no extension, PNG filter") << "plot" << 3 << PageFileType::Png;
        QTest::addRow("no extension, PDF filter") << "plot" << 4 << PageFileType::Pdf;
        QTest::addRow("own extension wins") << "plot.bmp" << 3 << PageFileType::Bitmap;
        QTest::addRow("upper-case extension") << "PLOT.PNG" << 2 << PageFileType::Png;
        QTest::addRow("pdf extension, all files") << "plot.pdf" << 1 << PageFileType::Pdf;
        QTest::addRow("unknown extension follows filter") << "rr.lyr" << 4 << PageFileType::Pdf;
        QTest::addRow("dot in a folder name only") << "my.plots/plot" << 3 << PageFileType::Png;
    }
    void type() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(PageFileType, type);
        QCOMPARE(pageFileType(QStringLiteral("/data/") + name, filter), type);
    }

    // Guards what each kind of file holds: bitmap and PNG read back by Qt at
    // their sizes, the PDF one page; a file already there is replaced.
    void written_data() {
        QTest::addColumn<PageFileType>("type");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addRow("bitmap") << PageFileType::Bitmap << false << QByteArray("bmp")
                                << QSize(917, 636);
        QTest::addRow("bitmap over an old file")
            << PageFileType::Bitmap << true << QByteArray("bmp") << QSize(917, 636);
        QTest::addRow("png at twice the size")
            << PageFileType::Png << false << QByteArray("png") << QSize(1834, 1272);
        QTest::addRow("pdf") << PageFileType::Pdf << false << QByteArray("pdf") << QSize();
        QTest::addRow("pdf over an old file")
            << PageFileType::Pdf << true << QByteArray("pdf") << QSize();
    }
    void written() {
        QFETCH(PageFileType, type);
        QFETCH(bool, existing);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page"));
        if (existing)
            QVERIFY(writeFile(path, "an older picture"));
        const PrintResult result = ExportBitmap(path, type, samplePage());
        QVERIFY2(result.ok(), qPrintable(result.text));
        QVERIFY(result.text.isEmpty());
        const std::optional<QByteArray> bytes = readFile(path);
        QVERIFY(bytes);
        if (format == "pdf") {
            QVERIFY(bytes->startsWith("%PDF-"));
            QCOMPARE(pdfPageCount(*bytes), 1);
            return;
        }
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        const QImage read = reader.read();
        QCOMPARE(read.size(), size);
        if (type == PageFileType::Bitmap)
            QCOMPARE(read.convertToFormat(QImage::Format_RGB32),
                     renderPage(samplePage(), 1).convertToFormat(QImage::Format_RGB32));
    }

    // Guards a file that cannot be written: the message names the file and
    // the reason, and nothing is left behind.
    void unwritable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PageFileType>("type");
        QTest::addRow("missing folder, bitmap") << "none/page.bmp" << PageFileType::Bitmap;
        QTest::addRow("missing folder, pdf") << "none/page.pdf" << PageFileType::Pdf;
        QTest::addRow("a file for a folder") << "plain.txt/page.png" << PageFileType::Png;
        QTest::addRow("a folder for the file") << "folder" << PageFileType::Bitmap;
    }
    void unwritable() {
        QFETCH(QString, name);
        QFETCH(PageFileType, type);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("plain.txt")), "text"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QStringList before =
            QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        const QString path = dir.filePath(name);
        const PrintResult result = ExportBitmap(path, type, samplePage());
        QCOMPARE(result.status, PrintResult::Status::FileError);
        QCOMPARE(result.title, QStringLiteral("File Error"));
        QCOMPARE(result.icon, Icon::Exclamation);
        const QString head = QStringLiteral("The file \"%1\" cannot be written: ").arg(path);
        QVERIFY2(result.text.startsWith(head) && result.text.size() > head.size(),
                 qPrintable(result.text));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
    }
};

QTEST_MAIN(TestPageFile)
#include "tst_pagefile.moc"
