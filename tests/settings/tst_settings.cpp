#include "settings/Settings.h"
#include "store/State.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"

#include <QTemporaryDir>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    // Guards against settings that do not survive a write/read cycle.
    void roundTrip_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<float>("increment");
        QTest::addColumn<float>("expectedIncrement");
        QTest::addColumn<double>("colorV");
        QTest::addRow("plain") << "/home/obs/data" << 0.1f << 0.1f << 16744448.0;
        QTest::addRow("increment rounded to four decimals")
            << "/d" << 12.34567f << 12.3457f << 255.0;
        QTest::addRow("folder with = and blanks") << "/data/a=b c" << 0.0005f << 0.0005f << 65280.0;
    }
    void roundTrip() {
        QFETCH(QString, folder);
        QFETCH(float, increment);
        QFETCH(float, expectedIncrement);
        QFETCH(double, colorV);
        QTemporaryDir dir;
        ProjectState out;
        out.ProgramFolder = dir.path();
        out.FilePath = folder;
        out.Increment = increment;
        out.ColorV = colorV;
        out.ColorJ = 4227200;
        QVERIFY(WriteSettings(out));

        ProjectState in;
        in.ProgramFolder = dir.path();
        ScriptedPlatform platform;
        ReadSettings(in, platform);
        QVERIFY(!in.IniMissing);
        QCOMPARE(in.FilePath, folder);
        QCOMPARE(in.Increment, expectedIncrement);
        QCOMPARE(in.ColorV, colorV);
        QCOMPARE(in.ColorJ, 4227200.0);
        QCOMPARE(platform.messages.size(), size_t(0));
    }

    // Guards the file's exact layout: section line, sixteen CRLF lines, number forms.
    void writtenLayout() {
        QTemporaryDir dir;
        ProjectState s;
        s.ProgramFolder = dir.path();
        s.FilePath = QStringLiteral("/data/stars");
        s.Increment = 1;
        s.ColorVIS = 65280;
        QVERIFY(WriteSettings(s));
        const auto content = readFile(dir.filePath(QStringLiteral("Varilume.ini")));
        QVERIFY(content);
        const QList<QByteArray> lines = content->split('\n');
        QCOMPARE(lines.size(), 18); // seventeen lines and the empty rest after the last CRLF
        QCOMPARE(lines[0], QByteArray("[Varilume.exe]\r"));
        QCOMPARE(lines[1], QByteArray("FilePath=/data/stars\r"));
        QCOMPARE(lines[2], QByteArray("Increment=1.0\r"));
        QCOMPARE(lines[3], QByteArray("ColorVIS=65280\r"));
        QCOMPARE(lines[4], QByteArray("ColorFAINT=0\r"));
        QCOMPARE(lines[15], QByteArray("ColorJ=0\r"));
        QCOMPARE(lines[16], QByteArray("DataURL=\r")); // no window kept, no files loaded yet
        QVERIFY(lines[17].isEmpty());
    }

    // Guards the reader's edge cases: names, keys, order, damaged lines, and the
    // values that broke the program: colours beyond an int (undefined conversion),
    // missing colours (black dots on black), increments that step the period
    // below zero or to infinity, and files of garbage or of huge size.
    void reading_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<float>("increment");
        QTest::addColumn<double>("colorVIS");
        QTest::addColumn<int>("messages");
        const double vis = DefaultColor::VIS;
        const QByteArray head = "[Varilume.exe]\r\n";
        QTest::addRow("lower-case file name counts as missing")
            << "varilume.ini" << head + "Increment=2\r\n"
            << true << "" << 0.0f << vis << 0;
        QTest::addRow("only the first = splits") << "Varilume.ini" << head + "FilePath=/a=b\r\n"
                                                 << false << "/a=b" << 0.0f << vis << 0;
        QTest::addRow("last of a repeated key wins, any order")
            << "Varilume.ini" << head + "ColorVIS=1\r\nIncrement=3\r\nColorVIS=2\r\n"
            << false << "" << 3.0f << 2.0 << 0;
        QTest::addRow("wrong section line asks and reads on")
            << "Varilume.ini" << QByteArray("[Other]\r\nIncrement=0.5\r\n") << false << "" << 0.5f
            << vis << 1;
        QTest::addRow("value that is not a number keeps the default")
            << "Varilume.ini" << head + "Increment=abc\r\nColorVIS=x1\r\n"
            << false << "" << 0.0f << vis << 0;
        QTest::addRow("line without = ignored")
            << "Varilume.ini" << head + "nonsense\r\nColorVIS\r\nIncrement=4\r\n"
            << false << "" << 4.0f << vis << 0;
        QTest::addRow("lower-case key ignored") << "Varilume.ini" << head + "colorvis=255\r\n"
                                                << false << "" << 0.0f << vis << 0;
        QTest::addRow("colour above 2^31 clamped to white")
            << "Varilume.ini" << head + "ColorVIS=3e9\r\n"
            << false << "" << 0.0f << 16777215.0 << 0;
        QTest::addRow("negative colour clamped to black")
            << "Varilume.ini" << head + "ColorVIS=-5\r\n"
            << false << "" << 0.0f << 0.0 << 0;
        QTest::addRow("negative increment ignored") << "Varilume.ini" << head + "Increment=-1\r\n"
                                                    << false << "" << 0.0f << vis << 0;
        QTest::addRow("huge increment ignored") << "Varilume.ini" << head + "Increment=1e300\r\n"
                                                << false << "" << 0.0f << vis << 0;
        QTest::addRow("increment below a single's range ignored")
            << "Varilume.ini" << head + "Increment=1e-50\r\n"
            << false << "" << 0.0f << vis << 0;
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919) % 251);
        QTest::addRow("garbage") << "Varilume.ini" << garbage << false << "" << 0.0f << vis << 1;
        QTest::addRow("huge file not read")
            << "Varilume.ini" << head + "Increment=5\r\n" + QByteArray(2 << 20, '=') << false << ""
            << 0.0f << vis << 1;
    }
    void reading() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, missing);
        QFETCH(QString, folder);
        QFETCH(float, increment);
        QFETCH(double, colorVIS);
        QFETCH(int, messages);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(fileName), content));
        ProjectState s;
        s.ProgramFolder = dir.path();
        ScriptedPlatform platform;
        ReadSettings(s, platform);
        QCOMPARE(s.IniMissing, missing);
        QCOMPARE(s.FilePath, folder);
        QCOMPARE(s.Increment, increment);
        QCOMPARE(s.ColorVIS, colorVIS);
        // Colours the file does not give keep their defaults.
        QCOMPARE(s.ColorJ, DefaultColor::J);
        QCOMPARE(int(platform.messages.size()), messages);
        if (messages) {
            QCOMPARE(platform.messages[0].title, QStringLiteral("INI File Missing"));
            QCOMPARE(platform.messages[0].text,
                     QStringLiteral("File Varilume.ini missing or corrupted."));
            QCOMPARE(platform.messages[0].buttons, Buttons::OkCancel);
        }
    }

    // Guards the keys added after the first sixteen: written, read back, and
    // files from before them (or with damaged values) still read.
    void laterKeys_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("dataUrl");
        QTest::addColumn<QList<int>>("window");
        QTest::addColumn<QStringList>("recent");
        QTest::addRow("old file without the keys")
            << QByteArray("[Varilume.exe]\r\nFilePath=/d\r\nIncrement=0.1\r\nColorJ=4227200\r\n")
            << "" << QList<int>{0, 0, 0, 0} << QStringList{};
        QTest::addRow("address with = and query")
            << QByteArray("[Varilume.exe]\r\nDataURL=https://example.org/get?star=a&x=1\r\n")
            << "https://example.org/get?star=a&x=1" << QList<int>{0, 0, 0, 0} << QStringList{};
        QTest::addRow("window place and size")
            << QByteArray("[Varilume.exe]\r\nWindowLeft=-300\r\nWindowTop=150\r\n"
                          "WindowWidth=11250\r\nWindowHeight=8250\r\n")
            << "" << QList<int>{-300, 150, 11250, 8250} << QStringList{};
        QTest::addRow("window value that is not a number or absurd")
            << QByteArray("[Varilume.exe]\r\nWindowLeft=x\r\nWindowWidth=1e12\r\n"
                          "WindowHeight=9000\r\n")
            << "" << QList<int>{0, 0, 0, 9000} << QStringList{};
        QTest::addRow("recent files in number order, gaps closed, sixth ignored")
            << QByteArray("[Varilume.exe]\r\nRecent3=/c.txt\r\nRecent1=/a b.txt\r\n"
                          "Recent6=/f.txt\r\nRecent0=/z.txt\r\n")
            << "" << QList<int>{0, 0, 0, 0} << QStringList{"/a b.txt", "/c.txt"};
    }
    void laterKeys() {
        QFETCH(QByteArray, content);
        QFETCH(QString, dataUrl);
        QFETCH(QList<int>, window);
        QFETCH(QStringList, recent);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("Varilume.ini")), content));
        ScriptedPlatform platform;
        ProjectState s;
        s.ProgramFolder = dir.path();
        ReadSettings(s, platform);
        const auto check = [&](const ProjectState& r) {
            QCOMPARE(r.DataURL, dataUrl);
            QCOMPARE((QList<int>{r.WindowLeft, r.WindowTop, r.WindowWidth, r.WindowHeight}),
                     window);
            QCOMPARE(r.RecentFiles, recent);
        };
        check(s);
        QCOMPARE(platform.messages.size(), size_t(0));
        // What was read survives a write and a second read unchanged.
        QVERIFY(WriteSettings(s));
        ProjectState again;
        again.ProgramFolder = dir.path();
        ReadSettings(again, platform);
        if (window[2] == 0 || window[3] == 0)
            window = {0, 0, 0, 0}; // a size never kept is not written
        check(again);
    }

    // Guards against reporting success when the settings cannot be written.
    void unwritableFolder() {
        ProjectState s;
        s.ProgramFolder = QStringLiteral("/nonexistent/folder/for/varilume");
        QString error;
        QVERIFY(!WriteSettings(s, &error));
        QVERIFY2(error.contains(QStringLiteral("Varilume.ini")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
