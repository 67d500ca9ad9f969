#include "app/BatchSearch.h"
#include "app/CommandLine.h"
#include "store/ObsStore.h"
#include "support/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <limits>
#include <numbers>
#include <unistd.h>

using namespace varilume;
using namespace varilume::test;

Q_DECLARE_METATYPE(varilume::Mode)

namespace {

const QString program = QStringLiteral(VARILUME_BIN_DIR "/Varilume");

// A star of period 3.118 d observed on 200 of 300 nights, in the two-column layout.
QByteArray twoColumnStar(double period = 3.118, double noise = 0.02) {
    QByteArray text;
    for (int night = 0, kept = 0; night < 300; ++night) {
        if ((night * 7) % 3 == 0)
            continue;
        ++kept;
        const double t = 2460000.3 + night + 0.37 * std::sin(night * 1.7);
        const double mag = 11 + 0.4 * std::sin(2 * std::numbers::pi * t / period) +
                           noise * std::sin(kept * 12.9898);
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

Run runProgram(const QStringList& args, const QString& workDir, int timeoutMs = 120000) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill(); // a window program that never ends, where none was asked for
        p.waitForFinished();
        return r;
    }
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
    void goodOptions_data();
    void goodOptions();
    void everySearchOption();
    void csvLayout();
    void fapTexts_data();
    void fapTexts();
    void modesWithoutWindow_data();
    void modesWithoutWindow();
    void badCommandLine_data();
    void badCommandLine();
    void plotFormats_data();
    void plotFormats();
    void signalEndsWindowSession_data();
    void signalEndsWindowSession();
    void fapBelowSmallestDouble();
    void commandLine_data();
    void commandLine();
    void badInputWritesOneLine_data();
    void badInputWritesOneLine();
};

void TestBatchSearch::badOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::addRow("option without its mode")
        << QStringList{"--method", "gls"} << "--method needs --search. See Varilume --help.";
    QTest::addRow("value missing")
        << QStringList{"--search"} << "--search needs a value. See Varilume --help.";
    QTest::addRow("value missing after another option")
        << QStringList{"--search", "a", "--top"} << "--top needs a value. See Varilume --help.";
    QTest::addRow("empty file name") << QStringList{"--search", ""} << "--search needs a file.";
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
    QTest::addRow("unknown option") << QStringList{"--search", "a", "--fast", "1"}
                                    << "Unknown option --fast. See Varilume --help.";
    QTest::addRow("unknown option alone")
        << QStringList{"--fast"} << "Unknown option --fast. See Varilume --help.";
    QTest::addRow("stray argument")
        << QStringList{"--search", "a", "b"} << "Unexpected argument \"b\". See Varilume --help.";
    QTest::addRow("plot as SVG") << QStringList{"--search", "a", "--plot", "fold.svg"}
                                 << "--plot must name a .png, .bmp or .pdf file, not \"fold.svg\".";
    QTest::addRow("plot without an extension")
        << QStringList{"--search", "a", "--plot", "fold"}
        << "--plot must name a .png, .bmp or .pdf file, not \"fold\".";
    QTest::addRow("plot as JPEG")
        << QStringList{"--search", "a", "--plot", "fold.jpg"}
        << "--plot must name a .png, .bmp or .pdf file, not \"fold.jpg\".";
}

// Guards that every unusable argument is named in a clear reason.
void TestBatchSearch::badOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QCOMPARE(parseCommandLine(args).error, error);
}

void TestBatchSearch::goodOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Mode>("mode");
    QTest::addRow("nothing: the window") << QStringList{} << Mode::Window;
    QTest::addRow("Qt's own options: the window")
        << QStringList{"-platform", "offscreen", "-reverse"} << Mode::Window;
    QTest::addRow("--help") << QStringList{"--help"} << Mode::Help;
    QTest::addRow("-h") << QStringList{"-h"} << Mode::Help;
    QTest::addRow("-?") << QStringList{"-?"} << Mode::Help;
    QTest::addRow("--help wins over a search")
        << QStringList{"--search", "x", "--top", "0", "--help"} << Mode::Help;
    QTest::addRow("--version") << QStringList{"--version"} << Mode::Version;
    QTest::addRow("-v") << QStringList{"-v"} << Mode::Version;
    QTest::addRow("search") << QStringList{"--search", "x.txt"} << Mode::Search;
    QTest::addRow("search, one dash") << QStringList{"-search", "x.txt"} << Mode::Search;
    QTest::addRow("search, value after =") << QStringList{"--search=x.txt"} << Mode::Search;
}

// Guards the choice of mode, with the options each takes.
void TestBatchSearch::goodOptions() {
    QFETCH(QStringList, args);
    QFETCH(Mode, mode);
    const CommandLine c = parseCommandLine(args);
    QCOMPARE(c.error, QString());
    QCOMPARE(c.mode, mode);
}

void TestBatchSearch::everySearchOption() {
    const CommandLine c = parseCommandLine({"--search", "x.txt", "--method", "pdm", "--harmonics",
                                            "3", "--min-period", "0.5", "--max-period", "40",
                                            "--oversample", "5", "--top", "3", "--plot", "p.PDF"});
    QCOMPARE(c.error, QString());
    const BatchOptions& o = c.batch;
    QCOMPARE(o.file, QStringLiteral("x.txt"));
    QCOMPARE(o.settings.method, SearchMethod::Pdm);
    QCOMPARE(o.settings.harmonics, 3);
    QCOMPARE(o.settings.minPeriod, 0.5);
    QCOMPARE(o.settings.maxPeriod, 40.0);
    QCOMPARE(o.settings.oversample, 5.0);
    QCOMPARE(o.settings.peaks, 3);
    QCOMPARE(o.plotFile, QStringLiteral("p.PDF"));
    QCOMPARE(parseCommandLine({"--search", "x.txt"}).batch.settings.peaks, 10);
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

void TestBatchSearch::modesWithoutWindow_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("output"); // lines standard output must hold
    const QStringList usage{"Usage:",
                            "  Varilume ",
                            "  Varilume --search FILE [options]",
                            "  --method gls|pdm|string",
                            "  --harmonics H",
                            "  --min-period D",
                            "  --max-period D",
                            "  --oversample K",
                            "  --top N",
                            "  --plot OUT",
                            "  --help, -h, -?",
                            "  --version, -v"};
    QTest::addRow("--help") << QStringList{"--help"} << usage;
    QTest::addRow("-h") << QStringList{"-h"} << usage;
    QTest::addRow("--help with a search") << QStringList{"--search", "x.txt", "--help"} << usage;
    QTest::addRow("--version") << QStringList{"--version"} << QStringList{"Varilume 2.0.47"};
    QTest::addRow("-v") << QStringList{"-v"} << QStringList{"Varilume 2.0.47"};
}

// Guards --help and --version: printed, exit 0, no window opened (it would
// never end here) and nothing left in the program folder (no working store).
void TestBatchSearch::modesWithoutWindow() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, output);
    QTemporaryDir work;
    const QStringList programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(args, work.path(), 20000);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    const QStringList lines = r.out.split(u'\n');
    for (const QString& line : output)
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString& l) { return l.startsWith(line); }),
                 qPrintable(line + QStringLiteral(" missing from:\n") + r.out));
    QCOMPARE(listing(work.path()), QStringList());
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
}

void TestBatchSearch::badCommandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");
    QTest::addRow("unknown option alone")
        << QStringList{"--fast"} << "Varilume: Unknown option --fast. See Varilume --help.\n";
    QTest::addRow("unknown option with a search")
        << QStringList{"--search", "x.txt", "--fast"}
        << "Varilume: Unknown option --fast. See Varilume --help.\n";
    QTest::addRow("missing value") << QStringList{"--search", "x.txt", "--plot"}
                                   << "Varilume: --plot needs a value. See Varilume --help.\n";
    QTest::addRow("option without --search")
        << QStringList{"--top", "3"} << "Varilume: --top needs --search. See Varilume --help.\n";
    QTest::addRow("stray argument")
        << QStringList{"star.txt"}
        << "Varilume: Unexpected argument \"star.txt\". See Varilume --help.\n";
    QTest::addRow("plot as SVG") << QStringList{"--search", "x.txt", "--plot", "fold.svg"}
                                 << "Varilume: --plot must name a .png, .bmp or .pdf file, not "
                                    "\"fold.svg\".\n";
}

// Guards arguments that cannot be used: one line on standard error, exit 2,
// no window, nothing written anywhere.
void TestBatchSearch::badCommandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    QTemporaryDir work;
    const QStringList programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(args, work.path(), 20000);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, QString());
    QCOMPARE(listing(work.path()), QStringList());
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
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
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    const QByteArray bytes = readFile(work.filePath(name)).value_or(QByteArray());
    QVERIFY2(bytes.startsWith(magic), bytes.left(8).toHex().constData());
    if (!imageFormat.isEmpty()) {
        QImage image;
        QVERIFY(image.loadFromData(bytes, imageFormat.constData()));
        QCOMPARE(image.size(), QSize(1200, 800));
    }
}

void TestBatchSearch::signalEndsWindowSession_data() {
    QTest::addColumn<int>("signal");
    QTest::addRow("SIGTERM") << int(SIGTERM);
    QTest::addRow("SIGINT") << int(SIGINT);
}

// Guards a window session ended by a signal (a logout, kill, Ctrl+C): the
// normal shutdown runs, so the working store is removed and the settings are
// written, as when the window is closed.
void TestBatchSearch::signalEndsWindowSession() {
    QFETCH(int, signal);
    // A program folder of its own: the executable beside a template and settings.
    QTemporaryDir folder(QStringLiteral(VARILUME_BIN_DIR "/../signal-XXXXXX"));
    QVERIFY(folder.isValid());
    const QString exe = folder.filePath(QStringLiteral("Varilume"));
    QVERIFY(::link(QFile::encodeName(program).constData(), QFile::encodeName(exe).constData()) ==
                0 ||
            QFile::copy(program, exe));
    QVERIFY(QFile::copy(QStringLiteral(VARILUME_BIN_DIR "/Template.mdb"),
                        folder.filePath(QStringLiteral("Template.mdb"))));
    const QString ini = folder.filePath(QStringLiteral("Varilume.ini"));
    const QByteArray written =
        "[Varilume.exe]\r\nFilePath=" + folder.path().toUtf8() + "\r\nIncrement=0.5\r\n";
    QVERIFY(writeFile(ini, written));
    const QString store = folder.filePath(QStringLiteral("Varilume.mdb"));

    QProcess p;
    p.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(exe, {});
    QVERIFY(p.waitForStarted());
    // The session is up once its working store exists.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(store), 30000);
    QTest::qWait(300);
    QCOMPARE(::kill(static_cast<pid_t>(p.processId()), signal), 0);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFile::exists(store));
    const QByteArray settings = readFile(ini).value_or(QByteArray());
    QVERIFY2(settings != written && settings.contains("Increment=0.5"), settings.constData());
}

QTEST_MAIN(TestBatchSearch)
#include "tst_batchsearch.moc"
