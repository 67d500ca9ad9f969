#include "import/FitsTable.h"

#include "import/FitsHeaders.h"
#include "import/TableRows.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <fitsio.h>

namespace varilume {

namespace {

constexpr int kMaxHdus = 64;
constexpr long kRowsPerRead = 4096;
// Wider strings are no band names; the cap keeps a damaged header from asking for gigabytes.
constexpr long kMaxStringWidth = 1024;

/// An open FITS file, from disk or memory, closed on destruction.
class FitsFile {
public:
    explicit FitsFile(const QString& path) : path_(path), name_(QDir::toNativeSeparators(path)) {
        QFile in(path);
        if (in.open(QIODevice::ReadOnly) && refuse(checkFitsHeaders(in)))
            return;
        // The disk opener takes the name literally: no "[1]" or "+2" extension syntax.
        ffdkopn(&f_, QFile::encodeName(path).constData(), READONLY, &status_);
    }
    explicit FitsFile(const QByteArray& bytes)
        : name_(QStringLiteral("the FITS data")), mem_(bytes), bytes_(bytes.size()) {
        // cfitsio's memory driver reads whole 2880-byte records, past the end of a
        // buffer that is not a multiple of them; FITS files always are, so the
        // padding only completes a cut-short file.
        const qsizetype record = 2880;
        mem_.append(QByteArray((record - mem_.size() % record) % record, '\0'));
        ptr_ = mem_.data();
        size_ = std::size_t(mem_.size());
        QBuffer in(&mem_);
        if (in.open(QIODevice::ReadOnly) && refuse(checkFitsHeaders(in)))
            return;
        ffomem(&f_, "memory", READONLY, &ptr_, &size_, 0, nullptr, &status_);
    }
    ~FitsFile() {
        if (f_) {
            int s = 0;
            ffclos(f_, &s);
        }
        ffcmsg();
    }
    FitsFile(const FitsFile&) = delete;
    FitsFile& operator=(const FitsFile&) = delete;

    fitsfile* f() const { return f_; }
    /// Bytes in the file (or the memory).
    qint64 size() const { return path_.isEmpty() ? bytes_ : QFileInfo(path_).size(); }
    /// An error when the current table's rows run past the end of the file; cfitsio
    /// would read what lies beyond in memory as rows.
    QString cutShort(LONGLONG rows) {
        LONGLONG head = 0, data = 0, end = 0;
        int s = 0;
        ffghadll(f_, &head, &data, &end, &s);
        const double width = number("NAXIS1");
        const double heap = number("PCOUNT");
        const double need = double(data) + (std::isnan(width) ? 0 : width) * double(rows) +
                            (std::isnan(heap) ? 0 : heap);
        if (s != 0 || need <= double(size()))
            return QString();
        ffcmsg();
        return QStringLiteral("The table of %1 runs past its end: %2 of %3 bytes.")
            .arg(name_)
            .arg(size())
            .arg(qint64(need));
    }
    int& status() { return status_; }
    bool failed() const { return status_ != 0 || !f_; }
    /// cfitsio's reason for the last failure, naming the file.
    QString errorText(const QString& doing) {
        if (!refused_.isEmpty())
            return refused_;
        char text[FLEN_STATUS] = {};
        ffgerr(status_, text);
        ffcmsg();
        return QStringLiteral("Cannot %1 %2: %3.").arg(doing, name_, QString::fromLatin1(text));
    }
    double number(const char* key) {
        double v = std::nan("");
        int s = 0;
        if (ffgkyd(f_, key, &v, nullptr, &s) != 0) {
            ffcmsg();
            return std::nan("");
        }
        return v;
    }
    QString text(const char* key) {
        char v[FLEN_VALUE] = {};
        int s = 0;
        if (ffgkys(f_, key, v, nullptr, &s) != 0) {
            ffcmsg();
            return QString();
        }
        return QString::fromLatin1(v).trimmed();
    }

private:
    fitsfile* f_ = nullptr;
    int status_ = 0;
    QString path_;
    QString name_;
    QByteArray mem_;
    qint64 bytes_ = 0; // of the memory, before the padding
    QString refused_;  // why the headers were not handed to cfitsio

    bool refuse(const QString& why) {
        if (why.isEmpty())
            return false;
        refused_ = why;
        status_ = FILE_NOT_OPENED;
        return true;
    }
    void* ptr_ = nullptr;
    std::size_t size_ = 0;
};

struct ColumnType {
    int type = 0;
    long repeat = 0;
    long width = 0;
    bool scalar() const {
        return type == TSTRING ? width <= kMaxStringWidth && repeat == width : repeat == 1;
    }
};

double timeZero(FitsFile& file) {
    const auto pair = [&](const char* i, const char* f, const char* whole) {
        const double a = file.number(i);
        const double b = file.number(f);
        if (!std::isnan(a))
            return a + (std::isnan(b) ? 0 : b);
        return file.number(whole);
    };
    double zero = pair("BJDREFI", "BJDREFF", "BJDREF");
    if (std::isnan(zero))
        zero = pair("JDREFI", "JDREFF", "JDREF");
    if (std::isnan(zero)) {
        zero = pair("MJDREFI", "MJDREFF", "MJDREF");
        if (!std::isnan(zero))
            zero += 2400000.5;
    }
    const double timeZero = file.number("TIMEZERO");
    if (!std::isnan(timeZero))
        zero = (std::isnan(zero) ? 0 : zero) + timeZero;
    return zero;
}

/// Reads rows [first, first + n) of one column: numbers (NaN when undefined) or strings.
bool readColumn(FitsFile& file, int col, const ColumnType& t, LONGLONG first, long n,
                std::vector<double>& numbers, std::vector<char>& strings) {
    int anynul = 0;
    if (t.type == TSTRING) {
        const long w = t.width + 1;
        strings.assign(std::size_t(n * w), '\0');
        std::vector<char*> rows(static_cast<std::size_t>(n));
        for (long i = 0; i < n; ++i)
            rows[std::size_t(i)] = strings.data() + i * w;
        char nul[] = "";
        ffgcvs(file.f(), col, first, 1, n, nul, rows.data(), &anynul, &file.status());
    } else if (t.type == TLOGICAL) {
        std::vector<char> flags(static_cast<std::size_t>(n));
        ffgcvl(file.f(), col, first, 1, n, 0, flags.data(), &anynul, &file.status());
        numbers.resize(std::size_t(n));
        for (long i = 0; i < n; ++i)
            numbers[std::size_t(i)] = flags[std::size_t(i)] ? 1 : 0;
    } else {
        numbers.resize(std::size_t(n));
        ffgcvd(file.f(), col, first, 1, n, std::nan(""), numbers.data(), &anynul, &file.status());
    }
    return file.status() == 0;
}

TableLayout sniffOpen(FitsFile& file) {
    TableLayout layout;
    layout.kind = TableLayout::Kind::Fits;
    if (file.failed()) {
        layout.error = file.errorText(QStringLiteral("read the FITS file"));
        return layout;
    }
    QStringList tables;
    for (int hdu = 2; hdu <= kMaxHdus; ++hdu) {
        int type = 0;
        if (ffmahd(file.f(), hdu, &type, &file.status()) != 0)
            break;
        if (type != BINARY_TBL && type != ASCII_TBL)
            continue;
        int col = 0;
        char time[] = "TIME";
        if (ffgcno(file.f(), CASEINSEN, time, &col, &file.status()) != 0) {
            file.status() = 0;
            ffcmsg();
            tables << (file.text("EXTNAME").isEmpty() ? QStringLiteral("HDU %1").arg(hdu)
                                                      : file.text("EXTNAME"));
            continue;
        }
        int ncols = 0;
        LONGLONG rows = 0;
        ffgncl(file.f(), &ncols, &file.status());
        ffgnrwll(file.f(), &rows, &file.status());
        std::vector<ColumnType> types(std::size_t(std::max(ncols, 0)));
        for (int c = 1; c <= ncols; ++c) {
            char key[FLEN_KEYWORD];
            int s = 0;
            ffkeyn("TTYPE", c, key, &s);
            const QString name = file.text(key);
            layout.columns << (name.isEmpty() ? QStringLiteral("col%1").arg(c) : name);
            ffkeyn("TUNIT", c, key, &s);
            layout.units << file.text(key);
            ColumnType& t = types[std::size_t(c - 1)];
            ffgtcl(file.f(), c, &t.type, &t.repeat, &t.width, &file.status());
        }
        if (file.status() != 0) {
            layout.error = file.errorText(QStringLiteral("read the table header of"));
            return layout;
        }
        if (const QString cut = file.cutShort(rows); !cut.isEmpty()) {
            layout.error = cut;
            return layout;
        }
        layout.fitsHdu = hdu;
        layout.fitsRows = rows;
        const QString extname = file.text("EXTNAME");
        layout.fitsExtension = extname.isEmpty() ? QStringLiteral("HDU %1").arg(hdu) : extname;
        layout.fitsTimeZero = timeZero(file);
        layout.firstDataLine = rows > 0 ? 1 : 0;

        const long n = long(std::min<LONGLONG>(rows, TableLayout::kSampleRows));
        layout.sample.assign(std::size_t(n), QStringList());
        std::vector<double> numbers;
        std::vector<char> strings;
        for (int c = 1; c <= ncols; ++c) {
            const ColumnType& t = types[std::size_t(c - 1)];
            const bool ok = t.scalar() && n > 0 && readColumn(file, c, t, 1, n, numbers, strings);
            if (!ok) {
                file.status() = 0;
                ffcmsg();
            }
            for (long i = 0; i < n; ++i) {
                QString cell;
                if (!t.scalar())
                    cell = QStringLiteral("[%1 values]").arg(t.repeat);
                else if (ok && t.type == TSTRING)
                    cell = QString::fromLatin1(strings.data() + i * (t.width + 1)).trimmed();
                else if (ok)
                    cell = QString::number(numbers[std::size_t(i)], 'g', 15);
                layout.sample[std::size_t(i)] << cell;
            }
        }
        return layout;
    }
    file.status() = 0;
    ffcmsg();
    layout.error = tables.isEmpty()
                       ? QStringLiteral("The FITS file holds no table extension.")
                       : QStringLiteral("No FITS table has a TIME column; tables found: %1.")
                             .arg(tables.join(QStringLiteral(", ")));
    return layout;
}

TableReadResult readOpen(FitsFile& file, const TableLayout& layout, const TableMapping& mapping,
                         const ObservationSink& sink, const SkipSink& skipped,
                         const ReadProgress& progress) {
    TableReadResult result;
    if (const QString why = checkMapping(layout, mapping); !why.isEmpty()) {
        result.error = why;
        return result;
    }
    int type = 0;
    int ncols = 0;
    LONGLONG rows = 0;
    if (file.failed() || ffmahd(file.f(), layout.fitsHdu, &type, &file.status()) != 0 ||
        ffgncl(file.f(), &ncols, &file.status()) != 0 ||
        ffgnrwll(file.f(), &rows, &file.status()) != 0) {
        result.error = file.errorText(QStringLiteral("read the FITS table of"));
        return result;
    }
    if (const QString cut = file.cutShort(rows); !cut.isEmpty()) {
        result.error = cut;
        return result;
    }
    if (ncols != int(layout.columns.size())) {
        result.error = QStringLiteral("The FITS table has changed since it was looked at.");
        return result;
    }
    std::vector<int> used;
    std::vector<ColumnType> types(static_cast<std::size_t>(ncols));
    for (int c = 0; c < ncols; ++c) {
        if (mapping.roles[std::size_t(c)] == ColumnRole::Ignore)
            continue;
        ColumnType& t = types[std::size_t(c)];
        ffgtcl(file.f(), c + 1, &t.type, &t.repeat, &t.width, &file.status());
        if (file.status() != 0) {
            result.error = file.errorText(QStringLiteral("read the FITS table of"));
            return result;
        }
        if (!t.scalar() || t.type == TBIT || t.type == TCOMPLEX || t.type == TDBLCOMPLEX) {
            result.error = QStringLiteral("The column %1 holds %2 values per row; only columns "
                                          "of single numbers or names can be read.")
                               .arg(layout.columns[c])
                               .arg(t.repeat);
            return result;
        }
        used.push_back(c);
    }

    TableRows out(mapping, false, sink, skipped, result);
    std::vector<std::vector<double>> numbers(static_cast<std::size_t>(ncols));
    std::vector<std::vector<char>> strings(static_cast<std::size_t>(ncols));
    std::vector<TableCell> cells(static_cast<std::size_t>(ncols));
    for (LONGLONG first = 1; first <= rows; first += kRowsPerRead) {
        const long n = long(std::min<LONGLONG>(kRowsPerRead, rows - first + 1));
        for (const int c : used)
            if (!readColumn(file, c + 1, types[std::size_t(c)], first, n, numbers[std::size_t(c)],
                            strings[std::size_t(c)])) {
                result.error = file.errorText(QStringLiteral("read the rows of"));
                return result;
            }
        for (long i = 0; i < n; ++i) {
            for (const int c : used) {
                TableCell& cell = cells[std::size_t(c)];
                const ColumnType& t = types[std::size_t(c)];
                cell.numeric = t.type != TSTRING;
                if (cell.numeric)
                    cell.number = numbers[std::size_t(c)][std::size_t(i)];
                else
                    cell.text = QByteArrayView(strings[std::size_t(c)].data() + i * (t.width + 1));
            }
            const auto rowText = [&] {
                QStringList parts;
                for (const int c : used) {
                    const TableCell& cell = cells[std::size_t(c)];
                    parts << layout.columns[c] + QLatin1Char('=') +
                                 (cell.numeric ? QString::number(cell.number, 'g', 15)
                                               : QString::fromLatin1(cell.text).trimmed());
                }
                return parts.join(QLatin1Char(' '));
            };
            if (!out.add(cells, first + i, rowText)) {
                result.cancelled = true;
                result.error = QStringLiteral("Cancelled.");
                return result;
            }
        }
        if (progress)
            progress(first + n - 1, rows);
    }
    if (!out.flush()) {
        result.cancelled = true;
        result.error = QStringLiteral("Cancelled.");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

TableLayout sniffFits(const QString& path) {
    FitsFile file(path);
    return sniffOpen(file);
}

TableLayout sniffFitsMemory(const QByteArray& bytes) {
    FitsFile file(bytes);
    return sniffOpen(file);
}

TableReadResult readFitsTable(const QString& path, const TableLayout& layout,
                              const TableMapping& mapping, const ObservationSink& sink,
                              const SkipSink& skipped, const ReadProgress& progress) {
    FitsFile file(path);
    return readOpen(file, layout, mapping, sink, skipped, progress);
}

TableReadResult readFitsMemory(const QByteArray& bytes, const TableLayout& layout,
                               const TableMapping& mapping, const ObservationSink& sink,
                               const SkipSink& skipped, const ReadProgress& progress) {
    FitsFile file(bytes);
    return readOpen(file, layout, mapping, sink, skipped, progress);
}

} // namespace varilume
