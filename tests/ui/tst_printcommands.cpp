#include "canvas/Canvas.h"
#include "print/PageFile.h"
#include "support/CanvasOps.h"
#include "ui/AppSession.h"
#include "ui/preview/FrmPreview.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::writeFile;

namespace {

constexpr std::int32_t kVColour = 16744448; // the V band's dot on screen
constexpr std::int32_t kWhite = 0xFFFFFF;

// The platform double with a save dialog that can fail in an unforeseen way.
class Platform : public ScriptedPlatform {
public:
    bool dialogThrows = false;
    std::optional<SaveChoice> saveFileAs(const FileDialogSpec& spec) override {
        if (dialogThrows)
            throw std::runtime_error("Out of memory");
        return ScriptedPlatform::saveFileAs(spec);
    }
};

// A started program with two printers over a temporary program folder, and
// a star of 40 V observations from JD 2450000 to 2450097.5.
struct Session : test::ProgramFolder<Platform> {
    QString orbis;

    explicit Session(QStringList printers = {QStringLiteral("Laser"), QStringLiteral("Inkjet")})
        : ProgramFolder("Increment=1.0\r\nColorV=16744448\r\n") {
        platform.printers = printers;
        platform.defaultPrinter = printers.value(0);
        orbis = path(QStringLiteral("rr lyr.txt"));
        writeFile(orbis, test::kOrbisHeader + test::orbisLines());
        start();
    }
    // Loads the star; the preview runs the script (Continue when none).
    void load(std::function<void(FrmPreview&)> preview = {}) {
        loadOrbis(orbis, [preview](QDialog& d) {
            if (preview)
                preview(static_cast<FrmPreview&>(d));
        });
        platform.messages.clear();
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

} // namespace

class TestPrintCommands : public QObject {
    Q_OBJECT

private slots:
    // Guards both commands without a star: the message alone, no dialog, no page.
    void withoutStar_data() {
        QTest::addColumn<bool>("print");
        QTest::addRow("Print") << true;
        QTest::addRow("Save BMP File") << false;
    }
    void withoutStar() {
        QFETCH(bool, print);
        Session t;
        QVERIFY(!t.child<QAction>("mnuPrint")->isEnabled());
        QVERIFY(!t.child<QAction>("mnuSaveImage")->isEnabled());
        print ? t.w().mnuPrint() : t.w().mnuSaveImage();
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QCOMPARE(t.platform.messages[0].text, QStringLiteral("No star file is loaded."));
        QCOMPARE(t.platform.messages[0].title, QStringLiteral("No Star Loaded"));
        QCOMPARE(t.platform.messages[0].icon, Icon::Critical);
        QVERIFY(t.platform.fileRequests.empty());
        QVERIFY(t.platform.printedPages.empty());
    }

    // Guards the printer menu: the installed printers with the default checked,
    // and "Print to PDF file" always; with no printer, PDF is the one chosen.
    void printerMenu_data() {
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("checked");
        QTest::addRow("two printers")
            << QStringList{"Laser", "Inkjet"}
            << QStringList{"Laser", "Inkjet", "", "Print to PDF file"} << "Laser";
        QTest::addRow("no printer")
            << QStringList() << QStringList{"Print to PDF file"} << "Print to PDF file";
    }
    void printerMenu() {
        QFETCH(QStringList, printers);
        QFETCH(QStringList, entries);
        QFETCH(QString, checked);
        Session t(printers);
        auto* menu = t.child<QMenu>("mnuSelect");
        QVERIFY(menu->isEnabled());
        QStringList shown;
        QStringList ticked;
        for (QAction* a : menu->actions()) {
            shown << a->text();
            if (a->isChecked())
                ticked << a->text();
        }
        QCOMPARE(shown, entries);
        QCOMPARE(ticked, QStringList{checked});
    }

    // Guards printing on the chosen printer and its fallback to the default
    // when that printer has gone since; the check mark follows the choice.
    void printerChosen() {
        Session t;
        t.load();
        QVERIFY(t.child<QAction>("mnuPrint")->isEnabled());
        t.child<QAction>("mnuPrinters1")->trigger();
        QVERIFY(t.child<QAction>("mnuPrinters1")->isChecked());
        QVERIFY(!t.child<QAction>("mnuPrinters0")->isChecked());
        QCOMPARE(t.s().PrinterName, QStringLiteral("Inkjet"));
        t.child<QAction>("mnuPrint")->trigger();
        t.platform.printers = QStringList{QStringLiteral("Laser")};
        t.w().mnuPrint();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.platform.printedPages.size(), size_t(2));
        QCOMPARE(t.platform.printedPages[0].job.printerName, QStringLiteral("Inkjet"));
        QCOMPARE(t.platform.printedPages[1].job.printerName, QString());
        QCOMPARE(t.platform.busyDepth, 0);
    }

    // Guards that the page shows the plot on screen now, its colours inverted.
    void pageTakesScreenPlot() {
        Session t;
        t.load();
        QVERIFY(test::countColour(t.w().picView().image(), kVColour) > 0);
        t.w().mnuPrint();
        const QImage page = t.platform.printedPages.at(0).page;
        QVERIFY(test::countColour(page, kWhite ^ kVColour) > 0);
        QCOMPARE(test::countColour(page, kVColour), 0);
    }

    // Guards a printer that fails: its message, the normal pointer again, and
    // the program going on.
    void printerError() {
        Session t;
        t.load();
        t.platform.printFailure = PrintOutcome{PrintOutcome::PrinterFailed, QString()};
        t.w().mnuPrint();
        QCOMPARE(t.platform.textsTitled(QStringLiteral("Printer Error")),
                 QStringList{"Printer error! Correct printer problem and try again."});
        QCOMPARE(t.platform.messages[0].icon, Icon::Exclamation);
        QCOMPARE(t.platform.busyDepth, 0);
        QVERIFY(!t.app->ended());
        QVERIFY(t.s().StarLoaded);
    }

    // Guards "Print to PDF file": the dialog asks for the file; Cancel prints
    // nothing; the page goes to the file chosen.
    void printToPdf_data() {
        QTest::addColumn<QString>("name"); // empty: Cancel
        QTest::addRow("file chosen") << "plot.pdf";
        QTest::addRow("cancelled") << "";
    }
    void printToPdf() {
        QFETCH(QString, name);
        Session t;
        t.load();
        t.child<QAction>("mnuPrintPdf")->trigger();
        const QString path = name.isEmpty() ? QString() : t.dir.filePath(name);
        t.platform.files.push_back(path);
        t.w().mnuPrint();
        QCOMPARE(t.platform.fileRequests.back().spec.filter,
                 QStringLiteral("PDF Document (*.pdf)|*.pdf|"));
        QCOMPARE(t.platform.fileRequests.back().spec.initialFolder, t.s().FilePath);
        QVERIFY(t.platform.messages.empty());
        if (name.isEmpty()) {
            QVERIFY(t.platform.printedPages.empty());
            return;
        }
        QCOMPARE(t.platform.printedPages.size(), size_t(1));
        QCOMPARE(t.platform.printedPages[0].job.pdfFile, path);
    }

    // Guards Save BMP File: the dialog as designed, the type by the chosen
    // filter, the file read back at its size; FileName takes the path.
    void saveImage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("written"); // the name with the filter's extension
        QTest::addRow("bitmap as opened")
            << "plot" << 2 << QByteArray("bmp") << QSize(917, 636) << "plot.bmp";
        QTest::addRow("png by filter")
            << "plot" << 3 << QByteArray("png") << QSize(1834, 1272) << "plot.png";
        QTest::addRow("png by its name")
            << "plot.png" << 1 << QByteArray("png") << QSize(1834, 1272) << "plot.png";
    }
    void saveImage() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(QString, written);
        Session t;
        t.load();
        const QString path = t.dir.filePath(written);
        t.platform.files.push_back(t.dir.filePath(name));
        t.platform.chosenFilters.push_back(filter);
        t.w().mnuSaveImage();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        const FileDialogSpec& spec = t.platform.fileRequests.back().spec;
        QVERIFY(t.platform.fileRequests.back().save);
        QCOMPARE(spec.fileName, "rr lyr.bmp");
        QCOMPARE(spec.filter, pageFileFilter());
        QCOMPARE(spec.filterIndex, 2);
        QCOMPARE(spec.initialFolder, t.s().FilePath);
        QCOMPARE(t.s().FileName, path);
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.read().size(), size);
        QCOMPARE(t.platform.busyDepth, 0);
    }

    // Guards Cancel in the save dialog: nothing drawn or written, no message.
    void saveCancelled() {
        Session t;
        t.load();
        const QStringList before = t.files();
        const size_t dialogs = t.platform.fileRequests.size();
        t.w().mnuSaveImage();
        QCOMPARE(t.platform.fileRequests.size(), dialogs + 1);
        QVERIFY(t.platform.messages.empty());
        QCOMPARE(t.files(), before);
    }

    // Guards a path that cannot be written, and an unforeseen failure: each is
    // said, and the program goes on with its star, store and next save.
    void saveFailsAndGoesOn_data() {
        QTest::addColumn<bool>("dialogThrows");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addRow("unwritable path") << false << "File Error"
                                         << "The file \"%1\" cannot be";
        QTest::addRow("unforeseen error") << true << "Save Error"
                                          << "Error Out of memory occured in module mnuSaveImage";
    }
    void saveFailsAndGoesOn() {
        QFETCH(bool, dialogThrows);
        QFETCH(QString, title);
        QFETCH(QString, text);
        Session t;
        t.load();
        const QString bad = t.dir.filePath(QStringLiteral("no folder/plot.bmp"));
        t.platform.files.push_back(bad);
        t.platform.dialogThrows = dialogThrows;
        t.w().mnuSaveImage();
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QCOMPARE(t.platform.messages[0].title, title);
        QCOMPARE(t.platform.messages[0].icon, Icon::Exclamation);
        if (text.contains(QLatin1String("%1")))
            text = text.arg(bad);
        QVERIFY2(t.platform.messages[0].text.startsWith(text), qPrintable(t.platform.transcript()));
        QCOMPARE(t.platform.busyDepth, 0);
        QVERIFY(!t.app->ended());
        QVERIFY(QFile::exists(t.s().storePath()));
        QCOMPARE(t.app->store().count(), qint64(40));

        t.platform.dialogThrows = false;
        t.platform.files = {t.dir.filePath(QStringLiteral("good.bmp"))};
        t.w().mnuSaveImage();
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QVERIFY(QFile::exists(t.dir.filePath(QStringLiteral("good.bmp"))));
    }

    // Guards the extremes on the page after a zoomed preview: those of the
    // whole data, not of the JD window.
    void extremesAfterZoom() {
        Session t;
        t.load([](FrmPreview& preview) {
            preview.cmdZoom();
            preview.clickAt(2450050.0);
            preview.clickAt(2450080.0);
        });
        QCOMPARE(t.s().JDFrom, 2450050.0);
        Canvas page(917, 636, kWhite, 0);
        page.setRecording(true);
        drawPage(page, pageContent(t.s(), t.w().picView().image(), t.w().picMagScale().image()),
                 PageStyle::bitmap());
        const QStringList texts = varilume::test::textsOf(page);
        for (const char* expected :
             {"Min JD = 2450000", "Max JD = 2450097.5", "Min Mag = 9", "Max Mag = 10.75"})
            QVERIFY2(texts.contains(QLatin1String(expected)), qPrintable(texts.join(" | ")));
    }
};

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
