// Many stars per run through the program itself: one summary row per star in
// the order given, failures in their rows, exit codes, nothing left behind.
#include "ProgramRun.h"
#include "app/BatchSummary.h"
#include "support/Files.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <csignal>
#include <numbers>

using namespace varilume;
using namespace varilume::test;

namespace {

// A star of this period seen on two nights of three over `nights` nights.
QByteArray starOf(double period, int nights) {
    QByteArray text;
    for (int night = 0; night < nights; ++night) {
        if (night % 3 == 0)
            continue;
        const double t = 2460000.3 + night + 0.37 * std::sin(night * 1.7);
        const double mag = 11 + 0.4 * std::sin(2 * std::numbers::pi * t / period) +
                           0.02 * std::sin(night * 12.9898);
        text += QByteArray::number(t, 'f', 5) + ' ' + QByteArray::number(mag, 'f', 3) + '\n';
    }
    return text;
}

// A file's content by kind: "P" a star of period P over 300 nights, "long P"
// one over 3000 nights (searched far longer than the others), "flat" equal
// magnitudes, "garbage" bytes that are no light curve, "missing" no file.
QByteArray contentOf(const QString& kind) {
    if (kind == QStringLiteral("missing"))
        return {};
    if (kind == QStringLiteral("garbage"))
        return QByteArray("\x7f"
                          "ELF\x02\x01\x01\0\0\0\xff\xfe",
                          12);
    if (kind == QStringLiteral("flat")) {
        QByteArray flat;
        for (int i = 0; i < 40; ++i)
            flat += QByteArray::number(2460000.5 + i * 1.3, 'f', 4) + " 10.50\n";
        return flat;
    }
    if (kind.startsWith(QStringLiteral("long ")))
        return starOf(kind.mid(5).toDouble(), 3000);
    return starOf(kind.toDouble(), 300);
}

// Days between the first and the last time of a two-column file.
double spanOf(const QByteArray& content) {
    const QList<QByteArray> lines = content.trimmed().split('\n');
    return lines.back().split(' ')[0].toDouble() - lines.front().split(' ')[0].toDouble();
}

// The fields of one CSV line, quotes undone.
QStringList csvFields(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
            fields.back() += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields << QString();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

const QString header =
    QStringLiteral("file,points,span_days,period,frequency,power,harmonics,fap,fap_red,verdict,"
                   "note,error");

} // namespace

class TestBatchSummary : public QObject {
    Q_OBJECT

private slots:
    void rowsInInputOrder_data();
    void rowsInInputOrder();
    void badRunLeavesNothing_data();
    void badRunLeavesNothing();
    void csvFieldsQuoted_data();
    void csvFieldsQuoted();
    void signalLeavesNothing_data();
    void signalLeavesNothing();
};

void TestBatchSummary::rowsInInputOrder_data() {
    QTest::addColumn<QStringList>("kinds");   // one file each, in this order
    QTest::addColumn<bool>("byList");         // named by --files instead of after --search
    QTest::addColumn<QStringList>("options"); // for every star
    QTest::addColumn<int>("exitCode");
    // PDM takes the 3000-night star about ten times as long as the others.
    const QStringList pdm{"--method", "pdm", "--min-period", "0.2", "--max-period", "20"};
    QTest::addRow("three stars, the slowest first")
        << QStringList{"long 4.7", "3.118", "1.37"} << false << pdm << 0;
    QTest::addRow("a missing file in the middle")
        << QStringList{"long 2.2", "3.118", "missing", "5.9", "1.37"} << false << QStringList{}
        << 3;
    QTest::addRow("garbage and a flat star among good ones")
        << QStringList{"6.1", "garbage", "long 3.3", "flat", "2.71"} << false << QStringList{} << 3;
    QTest::addRow("list with comments, blank lines and relative paths")
        << QStringList{"long 2.6", "3.118", "1.37", "7.2"} << true << pdm << 0;
    QTest::addRow("list naming a missing file")
        << QStringList{"3.118", "missing", "1.9"} << true << QStringList{} << 3;
    QTest::addRow("every file fails")
        << QStringList{"missing", "garbage"} << false << QStringList{} << 3;
}

// Guards the summary: one row per file in the order given (the slow first star
// finishes last), each good row with its period, a failure's reason in its
// row and the rest still searched; exit 0 or 3; progress on standard error.
void TestBatchSummary::rowsInInputOrder() {
    QFETCH(QStringList, kinds);
    QFETCH(bool, byList);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    const bool gls = !options.contains(QStringLiteral("pdm"));
    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("stars")));
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("lists")));
    QStringList paths;
    QByteArray list = "# stars of the test\n\n";
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString name = QStringLiteral("star%1.txt").arg(i);
        const QString path = work.filePath(QStringLiteral("stars/") + name);
        const QByteArray content = contentOf(kinds[i]);
        if (kinds[i] != QStringLiteral("missing"))
            QVERIFY(writeFile(path, content));
        paths << path;
        // Every other line of the list relative to the list's folder, with spaces about it.
        list +=
            i % 2 ? ("  ../stars/" + name.toUtf8() + "  \n") : (path.toUtf8() + "\n# a comment\n");
    }
    QStringList args;
    if (byList) {
        const QString listPath = work.filePath(QStringLiteral("lists/list.txt"));
        QVERIFY(writeFile(listPath, list));
        args << QStringLiteral("--files") << listPath;
    } else {
        args << QStringLiteral("--search") << paths;
    }
    const QString out = work.filePath(QStringLiteral("summary.csv"));
    const Run r =
        runProgram(args + QStringList{"--summary", out, "--top", "5"} + options, work.path());
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("%1/%1 stars\n").arg(kinds.size())), qPrintable(r.err));
    const qsizetype failures = kinds.count(QStringLiteral("missing")) +
                               kinds.count(QStringLiteral("garbage")) +
                               kinds.count(QStringLiteral("flat"));
    QCOMPARE(r.err.contains(
                 QStringLiteral("Varilume: %1 of %2 stars failed").arg(failures).arg(kinds.size())),
             failures > 0);

    const std::optional<QByteArray> csv = readFile(out);
    QVERIFY(csv);
    const QStringList lines = QString::fromUtf8(*csv).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kinds.size() + 1);
    QCOMPARE(lines[0], header);
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QStringList f = csvFields(lines[i + 1]);
        const QString& kind = kinds[i];
        QCOMPARE(f.size(), 12);
        QCOMPARE(f[0], paths[i]);
        if (kind == QStringLiteral("missing") || kind == QStringLiteral("garbage") ||
            kind == QStringLiteral("flat")) {
            QVERIFY2(!f[11].isEmpty(), qPrintable(lines[i + 1]));
            for (int c = 1; c <= 10; ++c)
                QVERIFY2(f[c].isEmpty(), qPrintable(lines[i + 1]));
            if (kind == QStringLiteral("missing"))
                QCOMPARE(f[11], QStringLiteral("no such file."));
            if (kind == QStringLiteral("flat"))
                QVERIFY2(f[11].startsWith(QStringLiteral("All magnitudes are equal")),
                         qPrintable(f[11]));
            continue;
        }
        const bool isLong = kind.startsWith(QStringLiteral("long "));
        const double period = (isLong ? kind.mid(5) : kind).toDouble();
        QCOMPARE(f[1].toInt(), isLong ? 2000 : 200);
        QVERIFY2(std::abs(f[2].toDouble() - spanOf(contentOf(kind))) < 1e-6, qPrintable(f[2]));
        QVERIFY2(std::abs(f[3].toDouble() - period) < 1e-3 * period, qPrintable(lines[i + 1]));
        QVERIFY(std::abs(f[4].toDouble() * f[3].toDouble() - 1) < 1e-9);
        // GLS power near 1 with its FAP and harmonics; PDM theta near 0 without them.
        QVERIFY2(gls ? f[5].toDouble() > 0.9 : f[5].toDouble() < 0.1, qPrintable(f[5]));
        // Harmonics chosen by the data: a number for GLS.
        QVERIFY2(gls ? f[6].toInt() >= 1 && f[6].toInt() <= 4 : f[6].isEmpty(), qPrintable(f[6]));
        QVERIFY(gls ? f[7].toDouble() > 0 && f[7].toDouble() < 1e-10 : f[7].isEmpty());
        // A clean sine is periodic against white and red noise alike, whatever the method.
        QVERIFY2(!f[8].isEmpty() && f[8].toDouble() < 0.01, qPrintable(lines[i + 1]));
        QCOMPARE(f[9], QStringLiteral("periodic"));
        QCOMPARE(f[11], QString());
    }
    // Nothing beside the summary: its temporary file is gone.
    QCOMPARE(QDir(work.path()).entryList(QDir::Files), QStringList{"summary.csv"});
}

void TestBatchSummary::badRunLeavesNothing_data() {
    QTest::addColumn<QStringList>("args"); // "STAR" a good star, "OUT" the existing summary
    QTest::addColumn<QByteArray>("list");  // list.txt's content; null: no list
    QTest::addColumn<QString>("message");  // part of the one line on standard error
    QTest::addRow("several files without --summary")
        << QStringList{"--search", "STAR", "STAR"} << QByteArray()
        << "Several files need --summary OUT.csv.";
    QTest::addRow("--files without --summary")
        << QStringList{"--files", "list.txt"} << QByteArray("star.txt\n")
        << "--files needs --summary OUT.csv.";
    QTest::addRow("--plot with --summary")
        << QStringList{"--search", "STAR", "--summary", "OUT", "--plot", "f.png"} << QByteArray()
        << "--plot and --spectrum are for one star";
    QTest::addRow("--summary without --search")
        << QStringList{"--summary", "OUT"} << QByteArray() << "--summary needs --search.";
    QTest::addRow("bad search option")
        << QStringList{"--search", "STAR", "STAR", "--summary", "OUT", "--method", "fft"}
        << QByteArray() << "--method must be gls, pdm or string";
    QTest::addRow("list missing") << QStringList{"--files", "nolist.txt", "--summary", "OUT"}
                                  << QByteArray() << "Cannot read the list nolist.txt";
    QTest::addRow("list of comments only")
        << QStringList{"--files", "list.txt", "--summary", "OUT"}
        << QByteArray("# nothing yet\n\n   \n") << "list.txt names no files.";
    QTest::addRow("summary into a missing folder")
        << QStringList{"--search", "STAR", "--summary", "no/such/out.csv"} << QByteArray()
        << "Cannot write no/such/out.csv";
    QTest::addRow("summary onto a folder") << QStringList{"--search", "STAR", "--summary", "folder"}
                                           << QByteArray() << "Cannot write folder";
}

// Guards a run that cannot be done: exit 2, one line on standard error, no
// output, an existing summary untouched and no temporary file left behind.
void TestBatchSummary::badRunLeavesNothing() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, list);
    QFETCH(QString, message);
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath(QStringLiteral("star.txt")), starOf(3.118, 300)));
    QVERIFY(writeFile(work.filePath(QStringLiteral("out.csv")), "an earlier summary\n"));
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("folder")));
    if (!list.isNull())
        QVERIFY(writeFile(work.filePath(QStringLiteral("list.txt")), list));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^STAR$")), QStringLiteral("star.txt"));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^OUT$")), QStringLiteral("out.csv"));
    const QStringList before = listing(work.path());
    const Run r = runProgram(args, work.path());
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith(QStringLiteral("Varilume: ")) && r.err.count(u'\n') == 1 &&
                 r.err.contains(message),
             qPrintable(r.err));
    QCOMPARE(listing(work.path()), before);
    QCOMPARE(readFile(work.filePath(QStringLiteral("out.csv"))).value_or(QByteArray()),
             QByteArray("an earlier summary\n"));
}

void TestBatchSummary::csvFieldsQuoted_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("line");
    QTest::addRow("plain") << "a.txt"
                           << "no such file."
                           << "a.txt,,,,,,,,,,,no such file.\n";
    QTest::addRow("comma in the path and the reason")
        << "survey, field 3/a.txt"
        << "line 4: 3 columns, 2 expected"
        << "\"survey, field 3/a.txt\",,,,,,,,,,,\"line 4: 3 columns, 2 expected\"\n";
    QTest::addRow("quote and line break in the reason")
        << "b.csv"
        << "the column \"mag\"\nis empty"
        << "b.csv,,,,,,,,,,,\"the column \"\"mag\"\" is empty\"\n";
}

// Guards the row of a failed star: twelve fields whatever the path and the
// reason hold, every field but the file and the error empty.
void TestBatchSummary::csvFieldsQuoted() {
    QFETCH(QString, file);
    QFETCH(QString, error);
    QFETCH(QString, line);
    const QString written = summaryCsvLine(failedRow(file, error));
    QCOMPARE(written, line);
    QCOMPARE(csvFields(written.chopped(1)).size(), 12);
}

void TestBatchSummary::signalLeavesNothing_data() {
    QTest::addColumn<bool>("interrupt"); // SIGINT (Ctrl+C); otherwise SIGTERM
    QTest::addRow("SIGTERM") << false;
    QTest::addRow("SIGINT") << true;
}

// Guards a long run stopped by a signal while the summary is being written:
// exit 2, a line saying so, and no summary, partial or temporary, left behind.
void TestBatchSummary::signalLeavesNothing() {
    QFETCH(bool, interrupt);
    QTemporaryDir work;
    QStringList args{"--search"};
    for (int i = 0; i < 16; ++i) {
        const QString path = work.filePath(QStringLiteral("star%1.txt").arg(i));
        QVERIFY(writeFile(path, starOf(2.3 + 0.1 * i, 3000)));
        args << path;
    }
    args << QStringList{"--summary",    work.filePath(QStringLiteral("summary.csv")),
                        "--method",     "pdm",
                        "--min-period", "0.2",
                        "--max-period", "20"};
    const QStringList before = listing(work.path());
    QProcess p;
    p.start(program, args);
    QVERIFY(p.waitForStarted());
    // The first progress line shows the run under way (the summary being
    // written goes to a file without a name until complete, where the system has them).
    QByteArray err;
    // Generous: under the sanitizers on a loaded machine the first star takes 20 s and more.
    QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains(" stars\n"), 120000);
    if (interrupt)
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    else
        p.terminate();
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    err += p.readAllStandardError();
    QVERIFY2(
        QString::fromUtf8(err).endsWith(QStringLiteral("Varilume: Stopped; %1 was not written.\n")
                                            .arg(work.filePath(QStringLiteral("summary.csv")))),
        err.constData());
    QCOMPARE(listing(work.path()), before);
}

QTEST_GUILESS_MAIN(TestBatchSummary)
#include "tst_batchsummary.moc"
