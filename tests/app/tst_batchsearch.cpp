#include "app/BatchSearch.h"
#include "store/ObsStore.h"
#include "support/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>

using namespace varilume;
using namespace varilume::test;

namespace {

const QString program = QStringLiteral(VARILUME_BIN_DIR "/Varilume");

// A star of period 3.118 d observed on 200 of 300 nights, in the two-column layout.
QByteArray twoColumnStar(double period = 3.118) {
    QByteArray text;
    for (int night = 0, kept = 0; night < 300; ++night) {
        if ((night * 7) % 3 == 0)
            continue;
        ++kept;
        const double t = 2460000.3 + night + 0.37 * std::sin(night * 1.7);
        const double mag = 11 + 0.4 * std::sin(2 * std::numbers::pi * t / period) +
                           0.02 * std::sin(kept * 12.9898);
        text += QByteArray::number(t, 'f', 5) + ' ' + QByteArray::number(mag, 'f', 3) + '\n';
    }
    return text;
}

// Every file under a folder, with its size: to see that a run left nothing behind.
QStringList listing(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files << it.filePath() + QStringLiteral(" ") + QString::number(it.fileInfo().size());
    }
    files.sort();
    return files;
}

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run runProgram(const QStringList& args, const QString& workDir) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestBatchSearch : public QObject {
    Q_OBJECT

private slots:
    void badOptions_data();
    void badOptions();
    void goodOptions();
    void csvLayout();
    void commandLine_data();
    void commandLine();
    void badInputWritesOneLine_data();
    void badInputWritesOneLine();
    void spectrumFileAndRefine_data();
    void spectrumFileAndRefine();
};

void TestBatchSearch::badOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::addRow("no file") << QStringList{"--method", "gls"} << "--search needs a file.";
    QTest::addRow("value missing") << QStringList{"--search"} << "--search needs a value.";
    QTest::addRow("unknown method") << QStringList{"--search", "a", "--method", "fft"}
                                    << "--method must be gls, pdm or string, not \"fft\".";
    QTest::addRow("harmonics out of range") << QStringList{"--search", "a", "--harmonics", "5"}
                                            << "--harmonics must be 1 to 4, not \"5\".";
    QTest::addRow("harmonics not whole") << QStringList{"--search", "a", "--harmonics", "1.5"}
                                         << "--harmonics must be 1 to 4, not \"1.5\".";
    QTest::addRow("negative period")
        << QStringList{"--search", "a", "--min-period", "-1"}
        << "--min-period must be a positive number of days, not \"-1\".";
    QTest::addRow("period not a number")
        << QStringList{"--search", "a", "--max-period", "nan"}
        << "--max-period must be a positive number of days, not \"nan\".";
    QTest::addRow("oversampling zero") << QStringList{"--search", "a", "--oversample", "0"}
                                       << "--oversample must be 1 to 1000, not \"0\".";
    QTest::addRow("top zero") << QStringList{"--search", "a", "--top", "0"}
                              << "--top must be a whole number 1 to 1000, not \"0\".";
    QTest::addRow("refine by GLS") << QStringList{"--search", "a", "--refine", "gls"}
                                   << "--refine must be pdm or string, not \"gls\".";
    QTest::addRow("unknown option")
        << QStringList{"--search", "a", "--fast", "1"} << "Unknown option --fast.";
    QTest::addRow("stray argument")
        << QStringList{"--search", "a", "b"} << "Unexpected argument \"b\".";
}

// Guards that every unusable argument is named in a clear reason.
void TestBatchSearch::badOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QCOMPARE(parseBatchOptions(args).error, error);
}

void TestBatchSearch::goodOptions() {
    const BatchOptions o = parseBatchOptions(
        {"--search", "x.txt", "--method", "pdm", "--harmonics", "3", "--min-period", "0.5",
         "--max-period", "40", "--oversample", "5", "--top", "3", "--plot", "p.png"});
    QVERIFY(o.error.isEmpty());
    QCOMPARE(o.file, QStringLiteral("x.txt"));
    QCOMPARE(o.settings.method, SearchMethod::Pdm);
    QCOMPARE(o.settings.harmonics, 3);
    QCOMPARE(o.settings.minPeriod, 0.5);
    QCOMPARE(o.settings.maxPeriod, 40.0);
    QCOMPARE(o.settings.oversample, 5.0);
    QCOMPARE(o.settings.peaks, 3);
    QCOMPARE(o.plotFile, QStringLiteral("p.png"));
}

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
    Peak b = a;
    b.rank = 2;
    b.period = 1.4754;
    b.frequency = 1 / 1.4754;
    b.fap = -1;
    b.sigmaPeriod = -1;
    b.note = "1/day alias of #1";
    QCOMPARE(peakListCsv({a, b}),
             QStringLiteral("rank,period,frequency,power,fap,sigma_period,note\n"
                            "1,3.118,0.3207184092,0.93,1.5e-40,2.5e-05,\n"
                            "2,1.4754,0.6777822963,0.93,,,1/day alias of #1\n"));
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
    QCOMPARE(r.err, warning);
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), rows + 1);
    QCOMPARE(lines[0], QStringLiteral("rank,period,frequency,power,fap,sigma_period,note"));
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u',');
        QCOMPARE(f.size(), 7);
        QCOMPARE(f[0].toInt(), i);
    }
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
    const BatchOptions o =
        parseBatchOptions(QStringList{"--search", file, "--spectrum", csv} + options);
    QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
    const BatchOutcome r = runBatchSearch(o);
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
