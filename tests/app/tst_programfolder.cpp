#include "app/ProgramFolder.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace varilume;
using varilume::test::readFile;
using varilume::test::writeFile;

namespace {

// A folder the way the build or the package lays it out: the template, a
// sample star in files/, the manual in Documentation/.
void layOut(const QString& folder, const QByteArray& version) {
    QDir().mkpath(folder + QStringLiteral("/files"));
    QDir().mkpath(folder + QStringLiteral("/Documentation/images"));
    writeFile(folder + QStringLiteral("/Template.mdb"), "template " + version);
    writeFile(folder + QStringLiteral("/files/R Syn ORBIS.txt"), "sample");
    writeFile(folder + QStringLiteral("/Documentation/Documentation.html"), "manual " + version);
    writeFile(folder + QStringLiteral("/Documentation/images/plot.png"), "png " + version);
}

QByteArray contentOf(const QString& path) {
    return readFile(path).value_or(QByteArray("(missing)"));
}

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT
private slots:
    // Guards the choice of program folder: a build or unpacked folder keeps
    // today's behaviour; an installed or read-only one moves to the per-user
    // folder, filled from the right place.
    void choice_data() {
        QTest::addColumn<QString>("templateIn"); // "exe", "share" or "none"
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected"); // "exe" or "user"
        QTest::addRow("build folder") << "exe" << true << "exe";
        QTest::addRow("unpacked folder made read-only") << "exe" << false << "user";
        QTest::addRow("installed under a prefix") << "share" << true << "user";
        QTest::addRow("installed system-wide") << "share" << false << "user";
        QTest::addRow("no template anywhere: start-up reports it") << "none" << false << "exe";
    }
    void choice() {
        QFETCH(QString, templateIn);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QString exe = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share/varilume"));
        const QString user = root.filePath(QStringLiteral("home/.local/share/Varilume"));
        QDir().mkpath(exe);
        if (templateIn != u"none")
            layOut(templateIn == u"exe" ? exe : share, "1");

        const auto got = chooseProgramFolder({exe, writable, share, user});
        QVERIFY2(got.error.isEmpty(), qPrintable(got.error));
        QCOMPARE(got.folder, expected == u"exe" ? exe : user);
        QCOMPARE(got.perUser, expected == u"user");
        QCOMPARE(got.seeded, expected == u"user");
        if (expected == u"exe") {
            QVERIFY(!QDir(user).exists());
            return;
        }
        QCOMPARE(contentOf(user + QStringLiteral("/Template.mdb")), QByteArray("template 1"));
        QCOMPARE(contentOf(user + QStringLiteral("/files/R Syn ORBIS.txt")), QByteArray("sample"));
        QCOMPARE(contentOf(user + QStringLiteral("/Documentation/Documentation.html")),
                 QByteArray("manual 1"));
        QCOMPARE(contentOf(user + QStringLiteral("/Documentation/images/plot.png")),
                 QByteArray("png 1"));
    }

    // Guards seeding "once": a later start leaves the user's files alone (a
    // deleted sample stays deleted, their own data stays), while an upgraded
    // template or manual replaces the old copy.
    void laterStarts_data() {
        QTest::addColumn<QByteArray>("installed");
        QTest::addRow("same version") << QByteArray("1");
        QTest::addRow("upgraded") << QByteArray("2");
    }
    void laterStarts() {
        QFETCH(QByteArray, installed);
        QTemporaryDir root;
        const QString exe = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share/varilume"));
        const QString user = root.filePath(QStringLiteral("user"));
        QDir().mkpath(exe);
        layOut(share, "1");
        QVERIFY(chooseProgramFolder({exe, false, share, user}).seeded);
        QVERIFY(QFile::remove(user + QStringLiteral("/files/R Syn ORBIS.txt")));
        QVERIFY(writeFile(user + QStringLiteral("/files/mine.txt"), "my star"));
        QVERIFY(writeFile(user + QStringLiteral("/Varilume.ini"), "[Varilume.exe]\r\n"));
        layOut(share, installed);

        const auto again = chooseProgramFolder({exe, false, share, user});
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        QCOMPARE(again.folder, user);
        QVERIFY(!again.seeded);
        QVERIFY(!QFile::exists(user + QStringLiteral("/files/R Syn ORBIS.txt")));
        QCOMPARE(contentOf(user + QStringLiteral("/files/mine.txt")), QByteArray("my star"));
        QCOMPARE(contentOf(user + QStringLiteral("/Varilume.ini")),
                 QByteArray("[Varilume.exe]\r\n"));
        QCOMPARE(contentOf(user + QStringLiteral("/Template.mdb")), "template " + installed);
        QCOMPARE(contentOf(user + QStringLiteral("/Documentation/Documentation.html")),
                 "manual " + installed);
    }

    // Guards a per-user folder that cannot be made: the reason is given and
    // the executable's folder is kept, nothing half-made is used.
    void perUserFolderBlocked() {
        QTemporaryDir root;
        const QString exe = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share"));
        QDir().mkpath(exe);
        layOut(share, "1");
        const QString blocker = root.filePath(QStringLiteral("a file"));
        QVERIFY(writeFile(blocker, "x"));
        const auto got =
            chooseProgramFolder({exe, true, share, blocker + QStringLiteral("/Varilume")});
        QCOMPARE(got.folder, exe);
        QVERIFY(!got.perUser);
        QVERIFY2(got.error.contains(blocker), qPrintable(got.error));
    }

    // Guards the writability probe: a writable folder says so and keeps no
    // trace; a missing folder is not writable.
    void writableProbe() {
        QTemporaryDir root;
        QVERIFY(folderIsWritable(root.path()));
        QCOMPARE(
            QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QVERIFY(!folderIsWritable(root.filePath(QStringLiteral("missing"))));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
