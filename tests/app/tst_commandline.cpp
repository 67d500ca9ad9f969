// The program's command line, run as a user would: every mode with its exit
// status, bad arguments in one line, nothing left behind, and a window session
// ended by a signal.
#include "ProgramRun.h"
#include "app/CommandLine.h"
#include "support/Files.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <unistd.h>

using namespace varilume;
using namespace varilume::test;

Q_DECLARE_METATYPE(varilume::Mode)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void badOptions_data();
    void badOptions();
    void goodOptions_data();
    void goodOptions();
    void everySearchOption();
    void modesWithoutWindow_data();
    void modesWithoutWindow();
    void badCommandLine_data();
    void badCommandLine();
    void signalEndsWindowSession_data();
    void signalEndsWindowSession();
};

void TestCommandLine::badOptions_data() {
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
                                            << "--harmonics must be auto or 1 to 4, not \"5\".";
    QTest::addRow("harmonics not whole") << QStringList{"--search", "a", "--harmonics", "1.5"}
                                         << "--harmonics must be auto or 1 to 4, not \"1.5\".";
    QTest::addRow("negative period")
        << QStringList{"--search", "a", "--min-period", "-1"}
        << "--min-period must be a positive number of days, not \"-1\".";
    QTest::addRow("period not a number")
        << QStringList{"--search", "a", "--max-period", "nan"}
        << "--max-period must be a positive number of days, not \"nan\".";
    QTest::addRow("refine by GLS") << QStringList{"--search", "a", "--refine", "gls"}
                                   << "--refine must be pdm or string, not \"gls\".";
    QTest::addRow("oversampling zero") << QStringList{"--search", "a", "--oversample", "0"}
                                       << "--oversample must be 1 to 1000, not \"0\".";
    QTest::addRow("top zero") << QStringList{"--search", "a", "--top", "0"}
                              << "--top must be a whole number 1 to 1000, not \"0\".";
    QTest::addRow("unknown option") << QStringList{"--search", "a", "--fast", "1"}
                                    << "Unknown option --fast. See Varilume --help.";
    QTest::addRow("unknown option alone")
        << QStringList{"--fast"} << "Unknown option --fast. See Varilume --help.";
    QTest::addRow("several files without --summary")
        << QStringList{"--search", "a", "b"}
        << "Several files need --summary OUT.csv. See Varilume --help.";
    QTest::addRow("list without --summary")
        << QStringList{"--files", "list.txt"}
        << "--files needs --summary OUT.csv. See Varilume --help.";
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
void TestCommandLine::badOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QCOMPARE(parseCommandLine(args).error, error);
}

void TestCommandLine::goodOptions_data() {
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
    QTest::addRow("several files with a summary")
        << QStringList{"--search", "a.txt", "b.txt", "--summary", "s.csv"} << Mode::Search;
    QTest::addRow("a list with a summary")
        << QStringList{"--files", "l.txt", "--summary", "s.csv"} << Mode::Search;
}

// Guards the choice of mode, with the options each takes.
void TestCommandLine::goodOptions() {
    QFETCH(QStringList, args);
    QFETCH(Mode, mode);
    const CommandLine c = parseCommandLine(args);
    QCOMPARE(c.error, QString());
    QCOMPARE(c.mode, mode);
}

void TestCommandLine::everySearchOption() {
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
    // Harmonics chosen by the data unless a number is named.
    QCOMPARE(parseCommandLine({"--search", "x.txt"}).batch.settings.harmonics, AutoHarmonics);
    QCOMPARE(
        parseCommandLine({"--search", "x.txt", "--harmonics", "auto"}).batch.settings.harmonics,
        AutoHarmonics);
    const CommandLine many = parseCommandLine(
        {"--search", "a.txt", "b.txt", "c.txt", "--summary", "s.csv", "--files", "l.txt"});
    QCOMPARE(many.error, QString());
    QCOMPARE(many.batch.file, QStringLiteral("a.txt"));
    QCOMPARE(many.batch.moreFiles, (QStringList{"b.txt", "c.txt"}));
    QCOMPARE(many.batch.listFile, QStringLiteral("l.txt"));
    QCOMPARE(many.batch.summaryFile, QStringLiteral("s.csv"));
}

void TestCommandLine::modesWithoutWindow_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("output"); // lines standard output must hold
    const QStringList usage{"Usage:",
                            "  Varilume ",
                            "  Varilume --search FILE [options]",
                            "  --method gls|pdm|string",
                            "  --harmonics auto|H",
                            "  --min-period D",
                            "  --max-period D",
                            "  --oversample K",
                            "  --top N",
                            "  --plot OUT",
                            "  --files LIST",
                            "  --summary OUT.csv",
                            "  Varilume --search FILE FILE... --summary OUT.csv [options]",
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
void TestCommandLine::modesWithoutWindow() {
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

void TestCommandLine::badCommandLine_data() {
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
void TestCommandLine::badCommandLine() {
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

void TestCommandLine::signalEndsWindowSession_data() {
    QTest::addColumn<int>("signal");
    QTest::addRow("SIGTERM") << int(SIGTERM);
    QTest::addRow("SIGINT") << int(SIGINT);
}

// Guards a window session ended by a signal (a logout, kill, Ctrl+C): the
// normal shutdown runs, so the working store is removed and the settings are
// written, as when the window is closed.
void TestCommandLine::signalEndsWindowSession() {
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

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
