#include "import/DataFileKind.h"
#include "support/Files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace varilume;

class TestDataFileKind : public QObject {
    Q_OBJECT
private slots:
    // Guards the choice of importer for a file that came without a command
    // (dropped, or from the recent files): each layout is told by content.
    void lines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<DataFileKind>("kind");
        QTest::addRow("18-field ORBIS line")
            << "2450000.1234,9.25,,,V,ABC,,,,,,0,,Z,,,,rr lyr" << DataFileKind::Orbis;
        QTest::addRow("18-field header then data")
            << "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp "
               "Star 1,Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,"
               "HJD,Star Name\n2450000.1,9.2,,,V,A,,,,,,0,,Z,,,,x"
            << DataFileKind::Orbis;
        QTest::addRow("current layout, TAB, no header")
            << "2458000.5\t8.1\t\t\tV\tABC\t\t\t\t\t\t0\t\tZ\t\t\t\tS Syn\tA\tB\tC\tD\tSTD\tE"
            << DataFileKind::Orbis;
        QTest::addRow("two columns, blanks")
            << "2456000.5123  10.21\n2456000.6 10.3" << DataFileKind::TwoColumn;
        QTest::addRow("three columns, commas, fainter-than")
            << "2456000.5, <11.2, 0.02" << DataFileKind::TwoColumn;
        QTest::addRow("blank lines and a title first")
            << "\r\n\r\nEB Syn observations\r\n2456000.5\t10.2\r\n"
            << DataFileKind::TwoColumn;
        QTest::addRow("survey CSV, ten named columns")
            << "HJD,UT Date,Camera,FWHM,Limit,mag,mag_err,flux(mJy),flux_err,Filter\n"
               "2458000.1,2017-09-01,bd,1.5,17.2,12.1,0.02,54.3,1.1,V"
            << DataFileKind::Table;
        QTest::addRow("spreadsheet CSV with a band, CRLF")
            << "JD,Magnitude,Band\r\n2450001.5,10.1,V\r\n"
            << DataFileKind::Table;
        QTest::addRow("commented header over three numbers")
            << "# date mag err\n2450000.5 10.1 0.02\n"
            << DataFileKind::Table;
        QTest::addRow("named columns without a time") << "name,colour\nVega,white\n"
                                                      << DataFileKind::Unknown;
        QTest::addRow("prose") << "Dear observer,\nthank you for your data.\n"
                               << DataFileKind::Unknown;
        QTest::addRow("four numbers a line") << "1 2 3 4\n5 6 7 8" << DataFileKind::Unknown;
        QTest::addRow("empty") << "" << DataFileKind::Unknown;
        QTest::addRow("numbers only after many title lines")
            << "a\nb\nc\nd\ne\nf\n2456000.5 10.2" << DataFileKind::Unknown;
    }
    void lines() {
        QFETCH(QString, text);
        QFETCH(DataFileKind, kind);
        QCOMPARE(recogniseDataLines(text.split(u'\n')), kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("star file.txt"));
        QVERIFY(test::writeFile(path, text.toUtf8()));
        QCOMPARE(recogniseDataFile(path), kind);
    }

    // Guards a file that cannot be read: no importer is chosen.
    void unreadable() {
        QCOMPARE(recogniseDataFile(QStringLiteral("/nonexistent/varilume/star.txt")),
                 DataFileKind::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestDataFileKind)
#include "tst_datafilekind.moc"
