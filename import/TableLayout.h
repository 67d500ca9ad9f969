#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <limits>
#include <vector>

namespace varilume {

/// What the head of a light-curve table says about its shape: how to split its
/// lines, what its columns are called and where the data begin. Made by
/// sniffTable() from the first lines (or, for FITS, the header of the table
/// extension); the mapping dialog shows it and readTable() follows it.
struct TableLayout {
    enum class Kind {
        Delimited, // text: comma, semicolon, TAB or blank separated, IPAC, ECSV
        Fits,      // a FITS binary table (see import/FitsTable.h)
    };
    Kind kind = Kind::Delimited;
    /// ',', ';' or '\t' for one field between each pair; ' ' for fields separated by
    /// runs of blanks (also IPAC tables and blank-separated ECSV).
    QChar delimiter = QLatin1Char(',');
    /// Numbers are written with a decimal comma ("12,34"); only with a delimiter
    /// other than ','.
    bool decimalComma = false;
    /// Column names as written, quotes and blanks around them removed; "col1",
    /// "col2", ... when the file has no header.
    QStringList columns;
    /// Unit of each column when the file states one (IPAC unit line, ECSV "unit:",
    /// FITS TUNITn), else "". Same length as columns.
    QStringList units;
    /// 1-based line of the header (of the names line of an IPAC table); 0 when the
    /// names were generated.
    int headerLine = 0;
    /// 1-based line of the first data row; 0 when none was found. readTable()
    /// starts there and passes over comment, rule and IPAC lines after it.
    int firstDataLine = 0;
    /// The first data rows (up to kSampleRows), split into fields, for the dialog
    /// and for judging time systems from the values.
    std::vector<QStringList> sample;
    /// FITS only: the name (EXTNAME) or number ("HDU 2") of the table extension read.
    QString fitsExtension;
    /// FITS only: the number the header says to add to TIME for a full JD
    /// (BJDREFI + BJDREFF, JDREF, MJDREF + 2400000.5, plus TIMEZERO); NaN when the
    /// header gives none.
    double fitsTimeZero = std::numeric_limits<double>::quiet_NaN();
    /// FITS only: the HDU (1-based, the primary being 1) holding the table.
    int fitsHdu = 0;
    /// FITS only: the number of rows of the table.
    qint64 fitsRows = 0;
    /// Empty when the file can be read as a table; else one line saying what was
    /// found instead (no columns, binary bytes, not FITS, ...).
    QString error;

    static constexpr int kSampleRows = 20;
};

/// Looks at the head of a file (FITS or delimited text) and describes its layout.
/// Never reads more than the first few hundred lines.
TableLayout sniffTable(const QString& path);

/// The same for text lines already read (each without its line end), for tests
/// and for callers that have the head in hand. Lines are numbered from 1.
TableLayout sniffLines(const std::vector<QByteArrayView>& lines);

} // namespace varilume
