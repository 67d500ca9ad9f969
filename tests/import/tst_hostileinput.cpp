// Both importers against damaged and hostile files: impossible numbers, every
// line end and encoding, NUL bytes, huge lines and files, and files that change
// while they are read. Each row checks the message, what reached Errors.txt and
// that the store holds exactly the accepted rows.
#include "import/OrbisImport.h"
#include "import/TwoColumnImport.h"
#include "support/FakeViews.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

using namespace varilume;

namespace {

using Status = ImportResult::Status;
const QString kCheck = QStringLiteral("Error in loading database. Check source file.");

QByteArray orbisLine(const QByteArray& jd, const QByteArray& mag, const QByteArray& comment = "") {
    return jd + "," + mag + ",,,V,ABC,,,,," + comment + ",0,,Z,,,,R Syn";
}

QByteArray utf16(const QByteArray& utf8, QStringConverter::Encoding e) {
    QStringEncoder enc(e, QStringConverter::Flag::WriteBom);
    return enc(QString::fromUtf8(utf8));
}

struct Hostile {
    QByteArray content;
    QStringList stored = {}; // JD|Mag (ORBIS) or JD|Mag|Faint|Uncertain (two-column)
    QByteArray errors = {};  // ORBIS: Errors.txt afterwards
    Status status = Status::Loaded;
    QString text = {}; // the message, empty for none
};

const QByteArray kGood1 = orbisLine("2451234.5", "9.1");
const QByteArray kGood2 = orbisLine("2451235.5", "9.3", "ü");

} // namespace

Q_DECLARE_METATYPE(Hostile)

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void orbis_data();
    void orbis();
    void twoColumn_data();
    void twoColumn();
    void fileChangesDuringLoad_data();
    void fileChangesDuringLoad();
};

// Guards lines lost without a trace, invented values, line ends and encodings
// that turned a file into one rejected line, and memory or time blow-ups.
void TestHostileInput::orbis_data() {
    QTest::addColumn<Hostile>("h");
    const QStringList both = {"2451234.5|9.1", "2451235.5|9.3"};
    const auto between = [](const QByteArray& bad) {
        return kGood1 + "\r\n" + bad + "\r\n" + kGood2 + "\r\n";
    };
    const auto rejected = [](const QByteArray& bad) { return bad + "\r\n"; };

    for (const QByteArray& jd :
         {QByteArray("0000000.0"), QByteArray("0"), QByteArray("-2451234.5"),
          QByteArray("2451000.5e12"), QByteArray("9999999.9e99"), QByteArray("2451000.5e999")}) {
        const QByteArray bad = orbisLine(jd, "9.2");
        QTest::addRow("JD %s rejected", jd.constData())
            << Hostile{between(bad), both, rejected(bad)};
    }
    for (const QByteArray& mag : {QByteArray("1e-50"), QByteArray("1e39"), QByteArray("abc"),
                                  QByteArray(""), QByteArray("<1e999")}) {
        const QByteArray bad = orbisLine("2451234.75", mag);
        QTest::addRow("magnitude '%s' rejected", mag.constData())
            << Hostile{between(bad), both, rejected(bad)};
    }
    QTest::addRow("CR line ends (old Mac)") << Hostile{kGood1 + "\r" + kGood2 + "\r", both};
    QTest::addRow("LF line ends") << Hostile{kGood1 + "\n" + kGood2, both};
    QTest::addRow("mixed line ends, blank CR lines rejected")
        << Hostile{kGood1 + "\r\r\n" + kGood2 + "\n", both, "\r\n"};
    QTest::addRow("UTF-8 with byte-order mark")
        << Hostile{"\xEF\xBB\xBF" + between(""), both, "\r\n"};
    QTest::addRow("UTF-16 little endian")
        << Hostile{utf16(kGood1 + "\r\n" + kGood2 + "\r\n", QStringConverter::Utf16LE), both};
    QTest::addRow("UTF-16 big endian")
        << Hostile{utf16(kGood1 + "\n" + kGood2, QStringConverter::Utf16BE), both};
    QTest::addRow("empty") << Hostile{
        "", {}, "", Status::EmptyFile, kCheck + "\r\nInput past end of file"};
    const QByteArray nul("\0\0\0,\0", 5);
    QTest::addRow("NUL bytes") << Hostile{between(nul), both, rejected(nul)};
    const QByteArray huge = QByteArray(10 << 20, 'x');
    QTest::addRow("a 10 MB line") << Hostile{between(huge), both, rejected(huge)};
    const QByteArray fields = QByteArray(9999, ',');
    QTest::addRow("10,000 fields") << Hostile{between(fields), both, rejected(fields)};
    QByteArray garbage;
    for (int i = 0; i < 2'000'000; ++i)
        garbage += "#!garbage\n";
    // The reason, where the lines went (ERRORS stands for the test's Errors.txt)
    // and the loaders of other files follow the designed text.
    QTest::addRow("2 million garbage lines")
        << Hostile{garbage,
                   {},
                   garbage.replace("\n", "\r\n"),
                   Status::NoRecords,
                   kCheck + "\r\nNone of its 2000000 lines is an ORBIS observation. The lines "
                            "that could not be read are in ERRORS.\r\nFiles \u2192 Load 2-Column "
                            "File (JD, Mag) reads two or three columns of JD, magnitude and "
                            "uncertainty; Files \u2192 Open Light-Curve Table\u2026 reads tables "
                            "with named columns."};
}

void TestHostileInput::orbis() {
    QFETCH(Hostile, h);
    test::TestContext t;
    test::RecordingBusyView busy;
    t.folder.state.FileName = t.folder.path(QStringLiteral("star.txt"));
    QVERIFY(test::writeFile(t.folder.state.FileName, h.content));
    const ImportResult r = ImportOrbisFile(t.ctx, busy);
    QCOMPARE(r.status, h.status);
    QCOMPARE(QString(r.text).replace(QDir::toNativeSeparators(t.folder.state.errorsPath()),
                                     QStringLiteral("ERRORS")),
             h.text);
    QCOMPARE(test::storedRows(t.folder.store, {"JD", "Mag"}), h.stored);
    const QByteArray errors = test::readFile(t.folder.state.errorsPath()).value_or("(none)");
    QCOMPARE(errors.size(), h.errors.size());
    QVERIFY(errors == h.errors);
    if (!h.stored.isEmpty())
        QCOMPARE(test::storedRows(t.folder.store, {"Comments"}).last(), QStringLiteral("ü"));
}

// Guards the two-column importer against the same: impossible numbers end the
// load with their reason, every line end and encoding reads, nothing is invented.
void TestHostileInput::twoColumn_data() {
    QTest::addColumn<Hostile>("h");
    const auto failsOn = [](int line, const QString& reason) {
        return kCheck + QStringLiteral("\r\nLine %1: %2.").arg(line).arg(reason);
    };
    const QStringList one = {"2451000.5|10.5||"};
    const QByteArray good = "2451000.5 10.5\n";
    QTest::addRow("JD 1e18") << Hostile{good + "1e18 9.1\n",
                                        one,
                                        {},
                                        Status::BadValue,
                                        failsOn(2, "the JD \"1e18\" is outside 0 to 100000000")};
    QTest::addRow("JD 0") << Hostile{good + "0 9.1\n",
                                     one,
                                     {},
                                     Status::BadValue,
                                     failsOn(2, "the JD \"0\" is outside 0 to 100000000")};
    QTest::addRow("negative JD") << Hostile{good + "-5 9.1\n",
                                            one,
                                            {},
                                            Status::BadValue,
                                            failsOn(2, "the JD \"-5\" is outside 0 to 100000000")};
    QTest::addRow("JD beyond a double") << Hostile{good + "1e999 9.1\n",
                                                   one,
                                                   {},
                                                   Status::BadValue,
                                                   failsOn(2, "the JD \"1e999\" is not a number")};
    QTest::addRow("magnitude 1e-50")
        << Hostile{good + "2451001.5 1e-50\n",
                   one,
                   {},
                   Status::BadValue,
                   failsOn(2, "the magnitude \"1e-50\" is out of range")};
    QTest::addRow("magnitude beyond a single")
        << Hostile{good + "2451001.5 1e39\n",
                   one,
                   {},
                   Status::BadValue,
                   failsOn(2, "the magnitude \"1e39\" is out of range")};
    QTest::addRow("reduced JD accepted") << Hostile{"51234.5 10.5\n", {"51234.5|10.5||"}};
    const QStringList two = {"2451000.5|10.5||", "2451001.5|10.6|<|0.1"};
    QTest::addRow("CR line ends") << Hostile{"2451000.5 10.5\r2451001.5 <10.6 0.1\r", two};
    QTest::addRow("mixed line ends") << Hostile{"2451000.5 10.5\r\n\r2451001.5 <10.6 0.1", two};
    QTest::addRow("UTF-8 byte-order mark") << Hostile{"\xEF\xBB\xBF"
                                                      "2451000.5 10.5\n2451001.5 <10.6 0.1\n",
                                                      two};
    QTest::addRow("UTF-16 little endian") << Hostile{
        utf16("2451000.5 10.5\r\n2451001.5 <10.6 0.1\r\n", QStringConverter::Utf16LE), two};
    QTest::addRow("UTF-16 big endian")
        << Hostile{utf16("2451000.5 10.5\n2451001.5 <10.6 0.1", QStringConverter::Utf16BE), two};
    QTest::addRow("empty") << Hostile{"", {}};
    QTest::addRow("NUL bytes") << Hostile{
        good + QByteArray("2451001.5 10\0", 13) + "\n",
        one,
        {},
        Status::BadValue,
        failsOn(2, QStringLiteral("the magnitude \"10") + QChar(0) + "\" is not a number")};
    QTest::addRow("a 10 MB line") << Hostile{"2451000.5 10.5" + QByteArray(10 << 20, ' ') + "0.1\n",
                                             {"2451000.5|10.5||0.1"}};
    QByteArray many = "2451000.5 10.5";
    for (int i = 0; i < 9998; ++i)
        many += " 0.1";
    QTest::addRow("10,000 fields") << Hostile{many, one};
    QByteArray garbage;
    for (int i = 0; i < 2'000'000; ++i)
        garbage += ",\t ,\n";
    QTest::addRow("2 million lines without values") << Hostile{garbage + good, one};
}

void TestHostileInput::twoColumn() {
    QFETCH(Hostile, h);
    test::TestContext t;
    test::RecordingBusyView busy;
    const QString path = t.folder.path(QStringLiteral("star.txt"));
    QVERIFY(test::writeFile(path, h.content));
    const ImportResult r = ImportTwoColumnFile(t.ctx, busy, path);
    QCOMPARE(r.status, h.status);
    QCOMPARE(r.text, h.text);
    QCOMPARE(r.records, h.stored.size());
    QCOMPARE(test::storedRows(t.folder.store, {"JD", "Mag", "Faint", "Uncertain"}), h.stored);
}

// Guards the crash (a mapped file truncated under the program) and the partial
// load reported as success: the file shrinks or is rewritten while it is read.
void TestHostileInput::fileChangesDuringLoad_data() {
    QTest::addColumn<bool>("twoColumn");
    QTest::addColumn<bool>("shrink");
    QTest::addRow("ORBIS, truncated") << false << true;
    QTest::addRow("ORBIS, rewritten at its size") << false << false;
    QTest::addRow("two-column, truncated") << true << true;
    QTest::addRow("two-column, rewritten at its size") << true << false;
}

void TestHostileInput::fileChangesDuringLoad() {
    QFETCH(bool, twoColumn);
    QFETCH(bool, shrink);
    test::TestContext t;
    test::RecordingBusyView busy;
    const QString path = t.folder.path(QStringLiteral("star.txt"));
    QByteArray content;
    for (int i = 0; i < 200'000; ++i) {
        const QByteArray jd = QByteArray::number(2450000.5 + i, 'f', 1);
        content += (twoColumn ? jd + " 10.5" : orbisLine(jd, "10.5")) + "\r\n";
    }
    QVERIFY(test::writeFile(path, content));
    t.folder.state.FileName = path;
    t.platform.yieldInterval = 0;
    int yields = 0;
    t.platform.onProcessEvents = [&] {
        if (++yields != 3)
            return;
        QFile f(path);
        if (shrink) {
            QVERIFY(f.resize(1000));
        } else {
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(content.size() / 2);
            f.write("9");
            f.close();
            // Same size; a time stamp a second on, as a slow writer leaves it.
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(1),
                                  QFileDevice::FileModificationTime));
        }
    };
    const ImportResult r =
        twoColumn ? ImportTwoColumnFile(t.ctx, busy, path) : ImportOrbisFile(t.ctx, busy);
    QCOMPARE(r.status, Status::Changed);
    QVERIFY2(r.text.startsWith(kCheck + "\r\nWhile it was being read, the file "),
             qPrintable(r.text));
    QVERIFY2(r.text.contains(shrink ? "it ended after" : "it was written to"), qPrintable(r.text));
    QCOMPARE(r.icon, Icon::Critical);
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
