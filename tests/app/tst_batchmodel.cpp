// The batch command's modelling modes, run as the program itself.
#include "ProgramRun.h"
#include "search/SearchChecks.h"
#include "support/Files.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

// A reference star of the search tests in the two-column layout.
QByteArray twoColumns(const char* name) {
    QByteArray text;
    for (const auto& r : searchchecks::readRows(name))
        text += QByteArray::number(r[0], 'f', 7) + ' ' + QByteArray::number(r[1], 'f', 5) + '\n';
    return text;
}

} // namespace

class TestBatchModel : public QObject {
    Q_OBJECT

private slots:
    void layouts_data();
    void layouts();
    void badInput_data();
    void badInput();
    void fitPlot();
};

void TestBatchModel::layouts_data() {
    QTest::addColumn<QString>("star");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("firstColumn"); // every line's first field, header included
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("errPattern"); // standard error, as a regular expression
    QTest::addRow("fit, order 4, period free")
        << "fit_rrab.txt"
        << QStringList{"--fit", "@", "--period", "0.5668", "--order", "4", "--free-period"}
        << QStringList{"parameter", "period", "epoch_max", "mean", "amplitude_pp", "A1",   "A2",
                       "A3",        "A4",     "phi1",      "phi2", "phi3",         "phi4", "R21",
                       "R31",       "phi21",  "phi31",     "rms",  "order"}
        << 3 << "^$";
    QTest::addRow("fit, order 2: R31 and phi31 empty")
        << "fit_rrab.txt" << QStringList{"--fit", "@", "--period", "0.5668", "--order", "2"}
        << QStringList{"parameter", "period", "epoch_max", "mean", "amplitude_pp",
                       "A1",        "A2",     "phi1",      "phi2", "R21",
                       "R31",       "phi21",  "phi31",     "rms",  "order"}
        << 3 << "^$";
    QTest::addRow("frequencies, 3")
        << "fit_twomode.txt" << QStringList{"--frequencies", "@", "--count",      "3",
                                            "--min-period",  "1", "--max-period", "20"}
        << QStringList{"n", "1", "2", "3"} << 8 << "^$";
    // Three seasons: a line, and the reason there is no parabola.
    QTest::addRow("O-C by seasons")
        << "fit_twomode.txt" << QStringList{"--oc", "@", "--period", "4.5", "--order", "3"}
        << QStringList{"cycle", "*", "*", "*"} << 4
        << "^linear: P = [0-9.]+ ± [0-9.e-]+ d, E0 = 24[0-9.]+ ± [0-9.e-]+\\nquadratic: Too few "
           "times of maximum for the quadratic ephemeris: 3\\.\\n$";
    QTest::addRow("O-C every 100 days, epoch given")
        << "fit_twomode.txt"
        << QStringList{"--oc", "@", "--period", "4.5", "--epoch", "2459500.1", "--group", "100"}
        << QStringList{"cycle", "*", "*", "*", "*", "*", "*", "*", "*"} << 4
        << "^linear: P = [0-9.]+ ± [0-9.e-]+ d, E0 = 24[0-9.]+ ± [0-9.e-]+\\nquadratic: dP/dt = "
           "[-0-9.e]+ ± [0-9.e-]+ d/yr\\n$";
    // fit_twomode.txt: twelve 20-cycle groups of 4.5 days hold five observations or more.
    QTest::addRow("O-C every 20 cycles")
        << "fit_twomode.txt"
        << QStringList{"--oc", "@", "--period", "4.5", "--order", "3", "--cycles", "20"}
        << (QStringList{"cycle"} + QStringList(12, QStringLiteral("*"))) << 4
        << "^linear: P = [0-9.]+ ± [0-9.e-]+ d, E0 = 24[0-9.]+ ± [0-9.e-]+\\nquadratic: dP/dt = "
           "[-0-9.e]+ ± [0-9.e-]+ d/yr\\n$";
}

// Guards each mode's CSV: header, the rows in order, the number of fields,
// exit 0, the ephemerides on standard error, and nothing left behind.
void TestBatchModel::layouts() {
    QFETCH(QString, star);
    QFETCH(QStringList, options);
    QFETCH(QStringList, firstColumn);
    QFETCH(int, fields);
    QFETCH(QString, errPattern);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    QVERIFY(writeFile(file, twoColumns(qPrintable(star))));
    options.replaceInStrings(QStringLiteral("@"), file);
    const QStringList before = listing(work.path()), programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(options, work.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(QRegularExpression(errPattern).match(r.err).hasMatch(), qPrintable(r.err));
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QStringList first;
    for (const QString& line : lines) {
        const QStringList f = line.split(u',');
        QVERIFY2(f.size() == fields, qPrintable(line));
        first << (firstColumn.value(first.size()) == QStringLiteral("*") ? QStringLiteral("*")
                                                                         : f[0]);
    }
    QCOMPARE(first, firstColumn);
    if (options.contains(QStringLiteral("--fit"))) {
        const bool free = options.contains(QStringLiteral("--free-period"));
        QCOMPARE(lines[1].split(u',')[2].isEmpty(), !free); // sigma of the period
        QVERIFY(lines.last().startsWith(QStringLiteral("order,")));
        if (!free)
            QCOMPARE(lines[lines.size() - 3], QStringLiteral("phi31,,")); // order 2
    }
    QCOMPARE(listing(work.path()), before);
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
}

void TestBatchModel::badInput_data() {
    QTest::addColumn<QStringList>("args"); // "@": the star's file
    QTest::addColumn<QString>("message");
    QTest::addRow("fit without a period") << QStringList{"--fit", "@"} << "--fit needs --period.";
    QTest::addRow("period not a number")
        << QStringList{"--fit", "@", "--period", "abc"}
        << "--period must be a positive number of days, not \"abc\".";
    QTest::addRow("order 13") << QStringList{"--fit", "@", "--period", "2", "--order", "13"}
                              << "--order must be 1 to 12 or auto, not \"13\".";
    QTest::addRow("count zero") << QStringList{"--frequencies", "@", "--count", "0"}
                                << "--count must be a whole number 1 to 50, not \"0\".";
    QTest::addRow("option of another mode")
        << QStringList{"--oc", "@", "--period", "2", "--free-period"}
        << "Unknown option --free-period.";
    QTest::addRow("two modes") << QStringList{"--fit", "@", "--oc", "@", "--period", "2"}
                               << "--fit and --oc cannot be used together.";
    QTest::addRow("group zero") << QStringList{"--oc", "@", "--period", "2", "--group", "0"}
                                << "--group must be a positive number of days, not \"0\".";
    QTest::addRow("cycles not whole")
        << QStringList{"--oc", "@", "--period", "2", "--cycles", "2.5"}
        << "--cycles must be a whole number of cycles, not \"2.5\".";
    QTest::addRow("cycles and days together")
        << QStringList{"--oc", "@", "--period", "2", "--cycles", "5", "--group", "10"}
        << "--group and --cycles cannot be used together.";
    QTest::addRow("plot of no known type")
        << QStringList{"--fit", "@", "--period", "2", "--plot", "fit.gif"}
        << "--plot must name a .png, .bmp or .pdf file, not \"fit.gif\".";
    QTest::addRow("missing file") << QStringList{"--fit", "nosuch.txt", "--period", "2"}
                                  << "nosuch.txt: no such file.";
    QTest::addRow("too few observations for the order")
        << QStringList{"--fit", "@", "--period", "2", "--order", "12"}
        << "Too few observations for a Fourier fit of order 12: 20.";
}

// Guards bad input: exit 2, one line on standard error, nothing on standard
// output, nothing left behind.
void TestBatchModel::badInput() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    QByteArray text;
    for (int i = 0; i < 20; ++i)
        text += QByteArray::number(2460000.5 + i * 1.37, 'f', 4) + ' ' +
                QByteArray::number(11 + 0.3 * std::sin(i * 2.1), 'f', 3) + '\n';
    QVERIFY(writeFile(file, text));
    args.replaceInStrings(QStringLiteral("@"), file);
    const QStringList before = listing(work.path()), programBefore = listing(VARILUME_BIN_DIR);
    const Run r = runProgram(args, work.path());
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.endsWith(u'\n') && r.err.count(u'\n') == 1, qPrintable(r.err));
    QVERIFY2(r.err.startsWith(QStringLiteral("Varilume: ")) && r.err.contains(message),
             qPrintable(r.err));
    QCOMPARE(listing(work.path()), before);
    QCOMPARE(listing(VARILUME_BIN_DIR), programBefore);
}

// Guards --plot with --fit: the folded curve is written with the model line
// over it (its colour present), and the CSV still goes to standard output.
void TestBatchModel::fitPlot() {
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("star.txt"));
    QVERIFY(writeFile(file, twoColumns("fit_rrab.txt")));
    const QString plot = work.filePath(QStringLiteral("fit.png"));
    const Run r = runProgram({"--fit", file, "--period", "0.5668", "--order", "4", "--plot", plot},
                             work.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith(QStringLiteral("parameter,value,sigma\n")));
    const QImage image = QImage(plot).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    int model = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            model += (image.pixel(x, y) & 0xFFFFFF) == 0xE06000;
    QVERIFY2(model > 200, qPrintable(QString::number(model)));
}

QTEST_MAIN(TestBatchModel)
#include "tst_batchmodel.moc"
