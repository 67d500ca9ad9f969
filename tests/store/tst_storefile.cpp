// The store file itself: missing, damaged or foreign files refused with a clear
// reason, and the file released by unbind() so that it can be replaced.
#include "store/ObsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace varilume;

namespace {

QString copyTemplate(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(VARILUME_TEMPLATE), path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Makes a SQLite file with the given schema, bypassing the store.
bool makeDatabase(const QString& path, const char* schema) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, schema, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Descriptors of this process open on the file (Linux); elsewhere the removal
// check below is all there is.
int openHandles(const QString& path) {
    int n = 0;
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd :
         fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (!target.isEmpty() && fd.symLinkTarget() == target)
            ++n;
    return n;
}

void appendRows(ObsStore& store, int n) {
    store.beginAppend();
    for (int i = 0; i < n; ++i) {
        ObsRecord r;
        r.JD = QString::number(2450000 + i);
        r.Mag = QStringLiteral("9.5");
        store.append(r);
    }
    store.commitAppend();
}

} // namespace

class TestStoreFile : public QObject {
    Q_OBJECT

private slots:
    void unusableFile_data();
    void unusableFile();
    void fileInUse();
    void unbindReleasesFile();
    void bindReplacesBoundFile();
    void openBatchKeptAtUnbind();
    void resultSetOutlivesFile();
};

// Guards a wrong or damaged store file being taken as an empty store, or
// failing with a message that does not say which file and why.
void TestStoreFile::unusableFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::addRow("missing file") << QStringLiteral("missing")
                                  << QStringLiteral("Could not find file");
    QTest::addRow("garbage bytes")
        << QStringLiteral("garbage") << QStringLiteral("file is not a database");
    QTest::addRow("folder") << QStringLiteral("folder") << QStringLiteral("folder");
    QTest::addRow("empty file") << QStringLiteral("empty") << QStringLiteral("no table Obs");
    QTest::addRow("database without Obs")
        << QStringLiteral("other table") << QStringLiteral("no table Obs");
    QTest::addRow("Obs lacking fields")
        << QStringLiteral("short table") << QStringLiteral("lacks fields");
}

void TestStoreFile::unusableFile() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varilume.mdb"));
    if (kind == u"garbage") {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 37 + 11) % 251));
        QVERIFY(writeFile(path, junk));
    } else if (kind == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Varilume.mdb")));
    } else if (kind == u"empty") {
        QVERIFY(writeFile(path, QByteArray()));
    } else if (kind == u"other table") {
        QVERIFY(makeDatabase(path, "CREATE TABLE Other (ID INTEGER PRIMARY KEY)"));
    } else if (kind == u"short table") {
        QVERIFY(makeDatabase(path, "CREATE TABLE Obs (ID INTEGER PRIMARY KEY, JD REAL)"));
    }

    ObsStore store;
    try {
        store.bind(path);
        QFAIL("an unusable file was bound");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::Engine);
        QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
        QVERIFY2(e.description().contains(QDir::toNativeSeparators(path)),
                 qPrintable(e.description()));
    }
    QVERIFY(!store.isBound());
    QCOMPARE(openHandles(path), 0);
    QVERIFY_THROWS_EXCEPTION(StoreError, store.count());

    // The same store then takes a good file.
    store.bind(copyTemplate(dir, QStringLiteral("Good.mdb")));
    QCOMPARE(store.count(), qint64(0));
}

// Guards two stores writing one file at once: the second is turned away.
void TestStoreFile::fileInUse() {
    QTemporaryDir dir;
    const QString path = copyTemplate(dir, QStringLiteral("Varilume.mdb"));
    ObsStore first;
    first.bind(path);
    appendRows(first, 3);
    ObsStore second;
    try {
        second.bind(path);
        QFAIL("a file in use was bound twice");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::Engine);
        QVERIFY2(e.description().contains(QDir::toNativeSeparators(path)),
                 qPrintable(e.description()));
    }
    QVERIFY(!second.isBound());
    QCOMPARE(first.count(), qint64(3));
}

// Guards the clear and shutdown path: the file must be free to delete and
// replace by a fresh copy, which then binds empty.
void TestStoreFile::unbindReleasesFile() {
    QTemporaryDir dir;
    const QString path = copyTemplate(dir, QStringLiteral("Varilume.mdb"));
    ObsStore store;
    store.bind(path);
    appendRows(store, 50);
    QVERIFY(openHandles(path) > 0 || !QDir(QStringLiteral("/proc/self/fd")).exists());
    store.unbind();
    QVERIFY(!store.isBound());
    QCOMPARE(openHandles(path), 0);
    QVERIFY(QFile::remove(path));

    QCOMPARE(copyTemplate(dir, QStringLiteral("Varilume.mdb")), path);
    store.bind(path);
    QCOMPARE(store.count(), qint64(0));
    QVERIFY(store.plotColumns().jd.empty());
    QVERIFY(!store.extremes().has_value());
}

// Guards rows or plot columns of the old file surviving a bind to another.
void TestStoreFile::bindReplacesBoundFile() {
    QTemporaryDir dir;
    const QString a = copyTemplate(dir, QStringLiteral("A.mdb"));
    const QString b = copyTemplate(dir, QStringLiteral("B.mdb"));
    ObsStore store;
    store.bind(a);
    appendRows(store, 4);
    store.bind(b);
    QCOMPARE(store.count(), qint64(0));
    QVERIFY(store.plotColumns().jd.empty());
    QCOMPARE(openHandles(a), 0);
    store.bind(a);
    QCOMPARE(store.count(), qint64(4));
    QCOMPARE(store.plotColumns().jd.size(), std::size_t(4));
}

// Guards an import that fails half-way: unbinding with the batch still open
// keeps its rows and leaves a file that binds again.
void TestStoreFile::openBatchKeptAtUnbind() {
    QTemporaryDir dir;
    const QString path = copyTemplate(dir, QStringLiteral("Varilume.mdb"));
    ObsStore store;
    store.bind(path);
    store.beginAppend();
    for (int i = 0; i < 37; ++i) {
        ObsRecord r;
        r.JD = QString::number(2450000 + i);
        r.Mag = QStringLiteral("9");
        store.append(r);
    }
    ObsRecord bad;
    bad.JD = QStringLiteral("2450100");
    bad.Mag = QStringLiteral("bright");
    QVERIFY_THROWS_EXCEPTION(StoreError, store.append(bad));
    store.unbind();
    QCOMPARE(openHandles(path), 0);
    store.bind(path);
    QCOMPARE(store.count(), qint64(37));
    QCOMPARE(store.plotColumns().jd.size(), std::size_t(37));
}

// Guards a result set still held when the file is released: it must neither
// keep the file open nor crash, only report that it is closed.
void TestStoreFile::resultSetOutlivesFile() {
    QTemporaryDir dir;
    const QString path = copyTemplate(dir, QStringLiteral("Varilume.mdb"));
    ObsStore store;
    store.bind(path);
    appendRows(store, 5);
    Recordset rs = store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    rs.moveNext();
    store.unbind();
    QCOMPARE(openHandles(path), 0);
    QVERIFY(QFile::remove(path));
    QVERIFY(rs.eof());
    try {
        rs.moveFirst();
        QFAIL("a closed result set moved");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::Engine);
    }
}

QTEST_GUILESS_MAIN(TestStoreFile)
#include "tst_storefile.moc"
