// Sniffing the head of a delimited light-curve table: the delimiter, the header,
// where the data begin, and a clear error for what is no table.
#include "import/TableLayout.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace varilume;

class TestTableLayout : public QObject {
    Q_OBJECT

private slots:
    void sniffs_data();
    void sniffs();
    void refuses_data();
    void refuses();
};

namespace {

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

// Guards the header rules: title lines, rules under the header, commented headers,
// quoted names, IPAC and ECSV heads, decimal commas.
void TestTableLayout::sniffs_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("decimalComma");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("units");
    QTest::addColumn<int>("headerLine");
    QTest::addColumn<int>("firstDataLine");
    QTest::addColumn<int>("sampleRows");

    QTest::addRow("plain CSV") << QByteArray("JD,Magnitude,Band\n2458000.5,7.2,V\n") << "," << false
                               << "JD|Magnitude|Band"
                               << "||" << 1 << 2 << 1;
    QTest::addRow("title, header and a rule under it")
        << QByteArray("R Leo, visual estimates\n\nJD,Mag,Err\n----------,------,-----\n"
                      "2458000.5,7.2,0.1\n2458001.5,7.3,0.1\n")
        << "," << false << "JD|Mag|Err"
        << "||" << 3 << 5 << 2;
    QTest::addRow("commented header, blanks")
        << QByteArray("# date mag err\n  2458000.5  7.2 0.1\n2458001.5\t7.3  0.1\n") << " " << false
        << "date|mag|err"
        << "||" << 1 << 2 << 2;
    QTest::addRow("comments before the commented header")
        << QByteArray("% made by hand\n# observer: A. Nonymous\n#\n# JD Mag\n2458000.5 7.2\n")
        << " " << false << "JD|Mag"
        << "|" << 4 << 5 << 1;
    QTest::addRow("quoted names with doubled quotes")
        << QByteArray("\"JD\",\"Mag \"\"V\"\", visual\",\"Err\"\n2458000.5,\"7.2\",0.1\n") << ","
        << false << "JD|Mag \"V\", visual|Err"
        << "||" << 1 << 2 << 1;
    QTest::addRow("semicolons and decimal commas")
        << QByteArray("JD;Mag\r\n2458000,5;7,2\r\n2458001,5;7,3\r\n") << ";" << true << "JD|Mag"
        << "|" << 1 << 2 << 2;
    QTest::addRow("semicolons and decimal points")
        << QByteArray("JD;Mag\n2458000.5;7.2\n") << ";" << false << "JD|Mag"
        << "|" << 1 << 2 << 1;
    QTest::addRow("TABs") << QByteArray("JD\tMag\tErr\n2458000.5\t7.2\t0.1\n") << "\t" << false
                          << "JD|Mag|Err"
                          << "||" << 1 << 2 << 1;
    QTest::addRow("no header") << QByteArray("2458000.5 7.2\n2458001.5 7.4\n") << " " << false
                               << "col1|col2"
                               << "|" << 0 << 1 << 2;
    QTest::addRow("IPAC with units")
        << QByteArray(
               "\\fixlen = T\n|  jd     | flux  |\n| double  | real  |\n|  d      | mJy   |\n"
               "| null    | null  |\n  2458000.5  1.5\n")
        << " " << false << "jd|flux"
        << "d|mJy" << 2 << 6 << 1;
    QTest::addRow("ECSV with commas")
        << QByteArray("# %ECSV 1.0\n# ---\n# delimiter: ','\n# datatype:\n"
                      "# - {name: jd, unit: d, datatype: float64}\n# - {name: flux, unit: mJy, "
                      "datatype: float64}\njd,flux\n2458000.5,1.5\n")
        << "," << false << "jd|flux"
        << "d|mJy" << 7 << 8 << 1;
    QTest::addRow("text columns among numbers")
        << QByteArray("HJD,UT Date,mag,Filter\n2458000.5,2017-09-04.0,12.3,V\n") << "," << false
        << "HJD|UT Date|mag|Filter"
        << "|||" << 1 << 2 << 1;
}

void TestTableLayout::sniffs() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const TableLayout l = sniffTable(written(dir, QStringLiteral("t.txt"), bytes));
    QVERIFY2(l.error.isEmpty(), qPrintable(l.error));
    QCOMPARE(l.kind, TableLayout::Kind::Delimited);
    QTEST(QString(l.delimiter), "delimiter");
    QTEST(l.decimalComma, "decimalComma");
    QTEST(l.columns.join(QLatin1Char('|')), "columns");
    QTEST(l.units.join(QLatin1Char('|')), "units");
    QTEST(l.headerLine, "headerLine");
    QTEST(l.firstDataLine, "firstDataLine");
    QTEST(int(l.sample.size()), "sampleRows");
    for (const QStringList& row : l.sample)
        QCOMPARE(row.size(), l.columns.size());
}

// Guards against a crash or a silent empty table on what is no table: each gives one
// line saying what was found.
void TestTableLayout::refuses_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    QTest::addRow("empty") << "e.csv" << QByteArray() << "The file is empty.";
    QTest::addRow("comments only") << "c.csv" << QByteArray("# nothing\n\n% here\n")
                                   << "The file holds no table rows, only comments or blank lines.";
    QTest::addRow("one field a line")
        << "o.txt" << QByteArray("2458000.5\n2458001.5\n")
        << "Found no columns: the lines hold one field each, such as \"2458001.5\".";
    QTest::addRow("header without rows") << "h.csv" << QByteArray("JD,Mag\nnone,yet\n")
                                         << "Found no rows of numbers under \"JD,Mag\".";
    QTest::addRow("binary junk") << "b.dat" << QByteArray("\x01\x02\x00\x7f\xff\x00junk", 10)
                                 << "The file holds binary data, not a table of text.";
    QTest::addRow("named FITS, not FITS")
        << "lc.fits" << QByteArray("JD,Mag\n2458000.5,7.2\n")
        << "The file is named as FITS but does not begin with a FITS header (no SIMPLE card).";
}

void TestTableLayout::refuses() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const TableLayout l = sniffTable(written(dir, name, bytes));
    QTEST(l.error, "error");
}

QTEST_GUILESS_MAIN(TestTableLayout)
#include "tst_tablelayout.moc"
