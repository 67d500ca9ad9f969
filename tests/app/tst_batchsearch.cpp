#include "ProgramRun.h"
#include "app/BatchSearch.h"
#include "app/CommandLine.h"
#include "store/ObsStore.h"
#include "support/Files.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace varilume;
using namespace varilume::test;

class TestBatchSearch : public QObject {
    Q_OBJECT

private slots:
    void csvLayout();
    void fapTexts_data();
    void fapTexts();
    void plotFormats_data();
    void plotFormats();
    void fapBelowSmallestDouble();
    void commandLine_data();
    void commandLine();
    void badInputWritesOneLine_data();
    void badInputWritesOneLine();
    void spectrumFileAndRefine_data();
    void spectrumFileAndRefine();
};

// Guards the CSV layout: header, columns in order, empty fields where a value
// does not apply.
void TestBatchSearch::csvLayout() {
    Peak a;
    a.rank = 1;
    a.period = 3.118;
    a.frequency = 1 / 3.118;
    a.power = 0.93;
    a.fap = 1.5e-40;
    a.sigmaPeriod = 2.5e-5;
    a.harmonics = 2;
    a.fapRed = 1e-5;
    a.verdict = Verdict::Periodic;
    Peak b = a;
    b.rank = 2;
    b.period = 1.4754;
    b.frequency = 1 / 1.4754;
    b.fap = -1;
    b.sigmaPeriod = -1;
    b.note = "1/day alias of #1";
    b.harmonics = 0; // not GLS: empty
    b.fapRed = -1;
    b.verdict = Verdict::NotSignificant;
    QCOMPARE(peakListCsv({a, b}),
             QStringLiteral("rank,period,frequency,power,fap,sigma_period,note,harmonics,"
                            "fap_red,verdict\n"
                            "1,3.118,0.3207184092,0.93,1.5e-40,2.5e-05,,2,1e-05,periodic\n"
                            "2,1.4754,0.6777822963,0.93,,,1/day alias of #1,,,not significant\n"));
}

void TestBatchSearch::commandLine_data() {
    QTest::addColumn<QString>("sample"); // empty: the generated two-column star
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("period");   // of the first row; 0: not checked
    QTest::addColumn<QString>("warning"); // on standard error
    QTest::addRow("two-column, defaults") << QString() << QStringList{} << 10 << 3.118 << QString();
    QTest::addRow("two-column, PDM, top 3")
        << QString()
        << QStringList{"--method", "pdm", "--top", "3", "--min-period", "1", "--max-period", "10"}
        << 3 << 3.118 << QString();
    QTest::addRow("two-column, string length")
        << QString() << QStringList{"--method", "string", "--min-period", "1", "--max-period", "10"}
        << 10 << 3.118 << QString();
    QTest::addRow("two-column, with plot")
        << QString() << QStringList{"--plot", "fold.png"} << 10 << 3.118 << QString();
    // The sample keeps two broken lines on purpose: said, not fatal.
    QTest::addRow("ORBIS sample, two lines left out")
        << QStringLiteral(VARILUME_SAMPLES "/R Syn ORBIS.txt")
        << QStringList{"--min-period", "100", "--max-period", "1000"} << 10 << 0.0
        << QStringLiteral("Varilume: " VARILUME_SAMPLES
                          "/R Syn ORBIS.txt: 2 lines could not be read and were left out.\n");
    QTest::addRow("ORBIS current layout sample")
        << QStringLiteral(VARILUME_SAMPLES "/S Syn current layout.csv") << QStringList{} << 10
        << 0.0 << QString();
}

// Guards the whole command: CSV on standard output, nothing on standard
// error, exit 0, and no file left behind but the plot asked for.
void TestBatchSearch::commandLine() {
    QFETCH(QString, sample);
    QFETCH(QStringList, options);
    QFETCH(int, rows);
    QFETCH(double, period);
    QFETCH(QString, warning);
    QTemporaryDir work;
    QString file = sample;
    if (file.isEmpty()) {
        file = work.filePath(QStringLiteral("star.txt"));
        QVERIFY(writeFile(file, twoColumnStar()));
    }
    const QStringList before = listing(work.path()), programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(QStringList{"--search", file} + options, work.path());
    // Any warning, then the verdict as one line.
    QVERIFY2(r.err.startsWith(warning), qPrintable(r.err));
    const QString verdict = verdictOnError(r.err.mid(warning.size()), file);
    QVERIFY2(!verdict.isEmpty(), qPrintable(r.err));
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), rows + 1);
    QCOMPARE(lines[0], QStringLiteral("rank,period,frequency,power,fap,sigma_period,note,"
                                      "harmonics,fap_red,verdict"));
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u',');
        QCOMPARE(f.size(), 10);
        QCOMPARE(f[0].toInt(), i);
    }
    // The best row's verdict is the one on standard error.
    QCOMPARE(lines[1].split(u',')[9], verdict);
    if (period > 0)
        QVERIFY2(std::abs(lines[1].split(u',')[1].toDouble() - period) < 1e-3 * period,
                 qPrintable(r.out));
    QStringList after = listing(work.path());
    if (options.contains(QStringLiteral("--plot"))) {
        const QImage png(work.filePath(QStringLiteral("fold.png")));
        QVERIFY(!png.isNull());
        QVERIFY(png.width() > 600 && png.height() > 350);
        after = after.filter(QRegularExpression(QStringLiteral("^(?!.*fold\\.png)")));
    }
    QCOMPARE(after, before);
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
}

void TestBatchSearch::badInputWritesOneLine_data() {
    QTest::addColumn<QByteArray>("content"); // of the input file; null: no file at all
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message"); // part of the one line on standard error
    QTest::addRow("missing file") << QByteArray() << QStringList{} << "no such file.";
    QTest::addRow("empty file") << QByteArray("") << QStringList{} << "star.txt:";
    QTest::addRow("two points") << QByteArray("2460000.5 11.2\n2460003.1 11.9\n") << QStringList{}
                                << "Too few observations for a period search: 2";
    QByteArray flat;
    for (int i = 0; i < 40; ++i)
        flat += QByteArray::number(2460000.5 + i * 1.3, 'f', 4) + " 10.50\n";
    QTest::addRow("all magnitudes equal")
        << flat << QStringList{} << "All magnitudes are equal (10.5)";
    QTest::addRow("binary garbage") << QByteArray("\x7f"
                                                  "ELF\x02\x01\x01\0\0\0\xff\xfe",
                                                  12)
                                    << QStringList{} << "star.txt:";
    QTest::addRow("bad option") << twoColumnStar() << QStringList{"--method", "fft"}
                                << "--method must be gls, pdm or string";
    QTest::addRow("plot into a missing folder")
        << twoColumnStar() << QStringList{"--plot", "no/such/folder/fold.png"}
        << "Cannot write no/such/folder/fold.png";
    QTest::addRow("range upside down")
        << twoColumnStar() << QStringList{"--min-period", "10", "--max-period", "2"}
        << "The shortest period (10 d) must be less than the longest (2 d).";
}

// Guards bad input: exit status 2, one clear line on standard error, nothing
// on standard output, nothing left behind.
void TestBatchSearch::badInputWritesOneLine() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    if (!content.isNull())
        QVERIFY(writeFile(file, content));
    const QStringList before = listing(work.path()), programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(QStringList{"--search", file} + options, work.path());
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.endsWith(u'\n') && r.err.count(u'\n') == 1, qPrintable(r.err));
    QVERIFY2(r.err.startsWith(QStringLiteral("Varilume: ")) && r.err.contains(message),
             qPrintable(r.err));
    QCOMPARE(listing(work.path()), before);
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
}

void TestBatchSearch::fapTexts_data() {
    QTest::addColumn<double>("fap");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("csv");
    QTest::addRow("none") << -1.0 << QString() << QString();
    QTest::addRow("ordinary") << 0.0123456 << "0.0123"
                              << "0.0123";
    QTest::addRow("small") << 1.5e-40 << "1.5e-40"
                           << "1.5e-40";
    QTest::addRow("just above the window's floor") << 2e-300 << "2e-300"
                                                   << "2e-300";
    QTest::addRow("below the window's floor") << 3e-301 << "< 1e-300"
                                              << "3e-301";
    QTest::addRow("below the smallest double (underflow)") << 0.0 << "< 1e-300"
                                                           << "4.94e-324";
}

// Guards the false-alarm probability of a strong signal: never "0", which
// reads as certainty; the CSV keeps a number (the smallest positive double).
void TestBatchSearch::fapTexts() {
    QFETCH(double, fap);
    QFETCH(QString, window);
    QFETCH(QString, csv);
    QCOMPARE(fapText(fap), window);
    QCOMPARE(fapCsv(fap), csv);
    Peak p;
    p.rank = 1;
    p.period = 2;
    p.frequency = 0.5;
    p.power = 0.5;
    p.fap = fap;
    QCOMPARE(peakListCsv({p}).split(u'\n')[1].split(u',')[4], csv);
}

// Guards a whole run on a star whose false-alarm probability lies below the
// smallest double: its CSV field is the smallest positive double, not 0.
void TestBatchSearch::fapBelowSmallestDouble() {
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    QVERIFY(writeFile(file, twoColumnStar(3.118, 0.001)));
    const Run r = runProgram({"--search", file, "--top", "1"}, work.path());
    QCOMPARE(r.exitCode, 0);
    const QStringList first = r.out.split(u'\n')[1].split(u',');
    QCOMPARE(first[4], QStringLiteral("4.94e-324"));
    QCOMPARE(first[4].toDouble(), std::numeric_limits<double>::denorm_min());
}

void TestBatchSearch::plotFormats_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");       // the file's first bytes
    QTest::addColumn<QByteArray>("imageFormat"); // empty: no image to read back
    QTest::addRow("PNG") << "fold.png" << QByteArray("\x89PNG\r\n") << QByteArray("png");
    QTest::addRow("BMP") << "fold.bmp" << QByteArray("BM") << QByteArray("bmp");
    QTest::addRow("BMP, upper case") << "FOLD.BMP" << QByteArray("BM") << QByteArray("bmp");
    QTest::addRow("PDF") << "fold.pdf" << QByteArray("%PDF-") << QByteArray();
}

// Guards --plot: the format the extension names, not PNG data under any name.
void TestBatchSearch::plotFormats() {
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, imageFormat);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    QVERIFY(writeFile(file, twoColumnStar()));
    const Run r = runProgram({"--search", file, "--top", "1", "--plot", name}, work.path());
    QCOMPARE(verdictOnError(r.err, file), QStringLiteral("periodic"));
    QCOMPARE(r.exitCode, 0);
    const QByteArray bytes = readFile(work.filePath(name)).value_or(QByteArray());
    QVERIFY2(bytes.startsWith(magic), bytes.left(8).toHex().constData());
    if (!imageFormat.isEmpty()) {
        QImage image;
        QVERIFY(image.loadFromData(bytes, imageFormat.constData()));
        QCOMPARE(image.size(), QSize(1200, 800));
    }
}

void TestBatchSearch::spectrumFileAndRefine_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("header");
    QTest::addRow("GLS spectrum") << QStringList{} << "frequency,period,power";
    QTest::addRow("PDM spectrum") << QStringList{"--method", "pdm", "--min-period", "1"}
                                  << "frequency,period,theta";
    QTest::addRow("string length refining the GLS peaks")
        << QStringList{"--refine", "string"} << "frequency,period,string_length";
}

// Guards --spectrum (one row per trial frequency computed, the statistic named
// in the header) and --refine (the best period found from the GLS peaks).
void TestBatchSearch::spectrumFileAndRefine() {
    QFETCH(QStringList, options);
    QFETCH(QString, header);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    const QString csv = work.filePath(QStringLiteral("spectrum.csv"));
    QVERIFY(writeFile(file, twoColumnStar()));
    const CommandLine c =
        parseCommandLine(QStringList{"--search", file, "--spectrum", csv} + options);
    QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
    const BatchOutcome r = runBatchSearch(c.batch);
    QCOMPARE(r.exitCode, 0);
    const QStringList peaks = r.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(peaks.size() > 1);
    QVERIFY2(std::abs(peaks[1].split(u',')[1].toDouble() - 3.118) < 1e-3, qPrintable(r.out));
    const auto text = readFile(csv);
    QVERIFY(text);
    const QStringList rows = QString::fromUtf8(*text).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.front(), header);
    QVERIFY(rows.size() > 100);
    for (qsizetype i = 1; i < rows.size(); i += 97) {
        const QStringList f = rows[i].split(u',');
        QCOMPARE(f.size(), 3);
        QVERIFY(std::abs(f[0].toDouble() * f[1].toDouble() - 1) < 1e-8);
    }
}

QTEST_MAIN(TestBatchSearch)
#include "tst_batchsearch.moc"
