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
        QCOMPARE(lines.size(), 17); // sixteen lines and the empty rest after the last CRLF
        QCOMPARE(lines[0], QByteArray("[Varilume.exe]\r"));
        QCOMPARE(lines[1], QByteArray("FilePath=/data/stars\r"));
        QCOMPARE(lines[2], QByteArray("Increment=1.0\r"));
        QCOMPARE(lines[3], QByteArray("ColorVIS=65280\r"));
        QCOMPARE(lines[4], QByteArray("ColorFAINT=0\r"));
        QCOMPARE(lines[15], QByteArray("ColorJ=0\r"));
        QVERIFY(lines[16].isEmpty());
    }

    // Guards the reader's edge cases: names, keys, order, damaged lines.
    void reading_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<float>("increment");
        QTest::addColumn<double>("colorVIS");
        QTest::addColumn<int>("messages");
        QTest::addRow("lower-case file name counts as missing")
            << "varilume.ini" << QByteArray("[Varilume.exe]\r\nIncrement=2\r\n") << true << ""
            << 0.0f << 0.0 << 0;
        QTest::addRow("only the first = splits")
            << "Varilume.ini" << QByteArray("[Varilume.exe]\r\nFilePath=/a=b\r\n") << false
            << "/a=b" << 0.0f << 0.0 << 0;
        QTest::addRow("last of a repeated key wins, any order")
            << "Varilume.ini"
            << QByteArray("[Varilume.exe]\r\nColorVIS=1\r\nIncrement=3\r\nColorVIS=2\r\n") << false
            << "" << 3.0f << 2.0 << 0;
        QTest::addRow("wrong section line asks and reads on")
            << "Varilume.ini" << QByteArray("[Other]\r\nIncrement=0.5\r\n") << false << "" << 0.5f
            << 0.0 << 1;
        QTest::addRow("value that is not a number keeps the start value")
            << "Varilume.ini" << QByteArray("[Varilume.exe]\r\nIncrement=abc\r\nColorVIS=x1\r\n")
            << false << "" << 0.0f << 0.0 << 0;
        QTest::addRow("line without = ignored")
            << "Varilume.ini" << QByteArray("[Varilume.exe]\r\nnonsense\r\nIncrement=4\r\n")
            << false << "" << 4.0f << 0.0 << 0;
        QTest::addRow("lower-case key ignored")
            << "Varilume.ini" << QByteArray("[Varilume.exe]\r\ncolorvis=255\r\n") << false << ""
            << 0.0f << 0.0 << 0;
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
        QCOMPARE(int(platform.messages.size()), messages);
        if (messages) {
            QCOMPARE(platform.messages[0].title, QStringLiteral("INI File Missing"));
            QCOMPARE(platform.messages[0].text,
                     QStringLiteral("File Varilume.ini missing or corrupted."));
            QCOMPARE(platform.messages[0].buttons, Buttons::OkCancel);
        }
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
