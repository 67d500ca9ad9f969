#include "import/OrbisImport.h"

#include "import/ColorRule.h"
#include "import/OrbisLine.h"
#include "platform/BusyView.h"
#include "platform/EventPump.h"
#include "store/Context.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <cstring>
#include <exception>
#include <vector>

namespace varilume {

namespace {

constexpr qsizetype kChunk = 4 << 20;
constexpr int kProgressIntervalMs = 100;
const char kCrLf[] = "\r\n";

QString checkSourceText() {
    return QStringLiteral("Error in loading database. Check source file.");
}

/// Physical lines of a file, read in large chunks. A line is handed out as a
/// view into the buffer without its LF or CR LF; it stays valid until next().
class LineReader {
public:
    explicit LineReader(QFile& file) : file_(file) { buf_.resize(kChunk); }

    /// False at the end of the input or after a read error (see failed()).
    bool next(QByteArrayView& line) {
        for (;;) {
            const char* base = buf_.constData();
            const auto* nl =
                static_cast<const char*>(std::memchr(base + begin_, '\n', end_ - begin_));
            if (nl) {
                const qsizetype stop = nl - base;
                line = trimCr(QByteArrayView(base + begin_, stop - begin_));
                begin_ = stop + 1;
                return true;
            }
            if (eof_) {
                if (begin_ == end_)
                    return false;
                line = trimCr(QByteArrayView(base + begin_, end_ - begin_));
                begin_ = end_;
                return true;
            }
            fill();
            if (failed_)
                return false;
        }
    }
    bool failed() const { return failed_; }

private:
    static QByteArrayView trimCr(QByteArrayView v) {
        return (!v.isEmpty() && v.back() == '\r') ? v.chopped(1) : v;
    }
    void fill() {
        char* data = buf_.data();
        if (begin_ > 0) {
            std::memmove(data, data + begin_, static_cast<std::size_t>(end_ - begin_));
            end_ -= begin_;
            begin_ = 0;
        }
        if (end_ == buf_.size()) { // one line longer than the buffer
            buf_.resize(buf_.size() * 2);
            data = buf_.data();
        }
        const qint64 got = file_.read(data + end_, buf_.size() - end_);
        if (got < 0)
            failed_ = true;
        else if (got == 0)
            eof_ = true;
        else
            end_ += got;
    }

    QFile& file_;
    QByteArray buf_;
    qsizetype begin_ = 0;
    qsizetype end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
};

/// Copies text into a field of the reused record. Consecutive lines repeat most
/// fields, so an equal value is left alone; otherwise the field's buffer is
/// reused unless the store still holds a copy of it.
inline void assign(QString& dst, QStringView src) {
    if (QStringView(dst) == src)
        return;
    if (!dst.isDetached()) {
        dst = src.toString();
        return;
    }
    dst.resize(src.size());
    if (!src.isEmpty())
        std::memcpy(dst.data(), src.data(), static_cast<std::size_t>(src.size()) * sizeof(QChar));
}

ImportResult failure(ImportResult r, ImportResult::Status status, const QString& text,
                     const QString& title, Icon icon) {
    r.status = status;
    r.text = text;
    r.title = title;
    r.icon = icon;
    return r;
}

/// The line-by-line part of one import: recognises the layout, sorts each line
/// into stored, skipped, excluded or rejected, and fills the store.
class OrbisReader {
public:
    OrbisReader(Context& ctx, BusyView& busy, QFile& errors)
        : state_(ctx.state), store_(ctx.store), busy_(busy), errors_(errors) {}

    /// Throws StoreError from the store.
    void line(QByteArrayView raw) {
        if (firstLine_) {
            firstLine_ = false;
            if (raw.startsWith("\xEF\xBB\xBF"))
                raw = raw.sliced(3);
        }
        const QStringView text = decode(raw);
        if (!detected_) {
            if (orbis::trim(text).isEmpty()) {
                // The layout is not known yet; blank lines wait for it.
                pendingBlank_.emplace_back(raw.toByteArray());
                return;
            }
            detect(text);
        }
        process(raw, text);
    }

    /// Called after the last line.
    void finish() {
        if (!detected_)
            flushPendingBlank();
    }

    QStringView currentJD() const { return currentJD_; }
    int stored() const { return stored_; }
    int rejected() const { return rejected_; }
    int excluded() const { return excluded_; }

private:
    QStringView decode(QByteArrayView raw) {
        const qsizetype need = decoder_.requiredSpace(raw.size());
        if (lineBuf_.size() < need)
            lineBuf_.resize(need);
        QChar* begin = lineBuf_.data();
        QChar* end = decoder_.appendToBuffer(begin, raw);
        return QStringView(begin, end - begin);
    }

    void detect(QStringView firstLine) {
        detected_ = true;
        layout_ = orbis::detectLayout(firstLine).layout;
        delimiter_ = layout_ == orbis::Layout::CurrentTab ? u'\t' : u',';
        flushPendingBlank();
    }

    void flushPendingBlank() {
        // Under the 18-field rules a blank line has one field and is rejected;
        // the current layout passes over blank lines.
        if (layout_ == orbis::Layout::Legacy) {
            for (const QByteArray& raw : pendingBlank_)
                reject(raw);
        }
        pendingBlank_.clear();
    }

    void reject(QByteArrayView raw) {
        errors_.write(raw.data(), raw.size());
        errors_.write(kCrLf, 2);
        ++rejected_;
    }

    void process(QByteArrayView raw, QStringView text) {
        if (layout_ == orbis::Layout::Legacy) {
            if (orbis::splitLegacy(text, f_) != orbis::kLegacyFieldCount) {
                reject(raw);
                return;
            }
        } else {
            if (orbis::trim(text).isEmpty())
                return;
            if (orbis::splitCurrent(text, delimiter_, f_, scratch_) != orbis::SplitStatus::Ok ||
                f_.count != orbis::kCurrentFieldCount) {
                reject(raw);
                return;
            }
        }
        // Column headers (and anything else without a JD first) pass silently.
        if (!orbis::isJulianDate(f_[1]))
            return;
        if (layout_ != orbis::Layout::Legacy && orbis::trim(f_[20]) == u"DIF") {
            // Differential magnitudes are not on the standard scale.
            ++excluded_;
            return;
        }
        store();
    }

    void store() {
        const QStringView name = orbis::trim(f_[18]);
        if (!haveStar_ || name != state_.StarName) {
            state_.StarName = name.toString();
            rec_.Star = state_.StarName.toUpper();
            haveStar_ = true;
        }
        currentJD_ = orbis::trim(f_[1]);
        assign(rec_.JD, f_[1]);
        const orbis::Magnitude m = orbis::splitMagnitude(f_[2]);
        assign(rec_.Mag, m.mag);
        assign(rec_.Faint, m.faint);
        assign(rec_.Uncertain, orbis::trim(f_[3]));
        assign(rec_.HQUncertain, orbis::trim(f_[4]));
        assign(rec_.Band, orbis::trim(f_[5]));
        assign(rec_.Init, orbis::trim(f_[6]));
        assign(rec_.ComCod, orbis::trim(f_[7]));
        assign(rec_.Comp1, orbis::trim(f_[8]));
        assign(rec_.Comp2, orbis::trim(f_[9]));
        assign(rec_.Charts, orbis::trim(f_[10]));
        assign(rec_.Comments, orbis::trim(f_[11]));
        assign(rec_.XForm, orbis::trim(f_[12]));
        assign(rec_.AirMass, orbis::trim(f_[13]));
        assign(rec_.Valid, orbis::trim(f_[14]));
        assign(rec_.CMag, orbis::trim(f_[15]));
        assign(rec_.KMag, orbis::trim(f_[16]));
        assign(rec_.HQJD, orbis::trim(f_[17]));
        if (layout_ != orbis::Layout::Legacy) {
            assign(rec_.ObsAffil, orbis::trim(f_[19]));
            assign(rec_.MeasMethod, orbis::trim(f_[20]));
            assign(rec_.GroupMethod, orbis::trim(f_[21]));
            assign(rec_.ADSRef, orbis::trim(f_[22]));
            assign(rec_.Digitizer, orbis::trim(f_[23]));
            assign(rec_.Credit, orbis::trim(f_[24]));
        }
        rec_.PunktFarb = orbisColor(state_, f_[2], f_[5], f_[14]);

        store_.append(rec_);
        ++stored_;
        if (stored_ == 1) {
            busy_.showBusyCaption(QStringLiteral("Loading ") + QString::number(state_.NumRecords) +
                                  QStringLiteral(" Records for ") + state_.StarName.toUpper());
            progressTimer_.start();
        } else if ((stored_ & 1023) == 0 && progressTimer_.elapsed() >= kProgressIntervalMs) {
            // By time, not per record: widget updates would cost more than the import.
            busy_.setProgress(stored_);
            progressTimer_.restart();
        }
    }

    ProjectState& state_;
    ObsStore& store_;
    BusyView& busy_;
    QFile& errors_;

    QStringDecoder decoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QString lineBuf_;
    QString scratch_;
    orbis::Fields f_;
    ObsRecord rec_;
    QStringView currentJD_;
    bool haveStar_ = false;

    bool firstLine_ = true;
    bool detected_ = false;
    orbis::Layout layout_ = orbis::Layout::Legacy;
    QChar delimiter_ = u',';
    std::vector<QByteArray> pendingBlank_;

    int stored_ = 0;
    int rejected_ = 0;
    int excluded_ = 0;
    QElapsedTimer progressTimer_;
};

} // namespace

std::int32_t CountLines(const QString& fileName) {
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 0;
    QByteArray buf(kChunk, Qt::Uninitialized);
    std::int64_t lines = 0;
    char last = '\n';
    for (;;) {
        const qint64 got = file.read(buf.data(), buf.size());
        if (got <= 0)
            break;
        const char* p = buf.constData();
        const char* const end = p + got;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
            ++lines;
            ++p;
        }
        last = buf.at(got - 1);
    }
    if (last != '\n')
        ++lines;
    return static_cast<std::int32_t>(lines + 20);
}

ImportResult ImportOrbisFile(Context& ctx, BusyView& busy) {
    ProjectState& s = ctx.state;
    ImportResult result;
    const auto fail = [&](ImportResult::Status status, const QString& text, const QString& title,
                          Icon icon) {
        s.LoadOK = false;
        return failure(result, status, text, title, icon);
    };

    s.NumRecords = CountLines(s.FileName);

    // Made afresh first, so that rejected lines of an earlier load never linger.
    QFile errors(s.errorsPath());
    if (!errors.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(ImportResult::Status::FileError,
                    QStringLiteral("Cannot create ") + QDir::toNativeSeparators(s.errorsPath()) +
                        QStringLiteral(": ") + errors.errorString(),
                    QStringLiteral("Error"), Icon::Critical);
    }
    QFile in(s.FileName);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return fail(ImportResult::Status::FileError,
                    QStringLiteral("Cannot open ") + QDir::toNativeSeparators(s.FileName) +
                        QStringLiteral(": ") + in.errorString(),
                    QStringLiteral("Error"), Icon::Critical);
    }
    busy.showProgress(s.NumRecords);
    EventPump pump(ctx.platform);
    pump.now();

    LineReader lines(in);
    OrbisReader reader(ctx, busy, errors);
    bool anyLine = false;
    enum class Stop { End, ReadError, BadValue, Other } stop = Stop::End;
    QString badJD;
    QString description;

    ctx.store.beginAppend();
    try {
        QByteArrayView raw;
        while (lines.next(raw)) {
            anyLine = true;
            reader.line(raw);
            pump.tick();
        }
        reader.finish();
        if (lines.failed()) {
            stop = Stop::ReadError;
            description = in.errorString();
        }
    } catch (const StoreError& e) {
        if (e.code() == StoreError::ConversionError) {
            stop = Stop::BadValue;
            badJD = reader.currentJD().toString();
        } else {
            stop = Stop::Other;
        }
        description = e.description();
    } catch (const std::exception&) {
        stop = Stop::Other;
    }
    try {
        ctx.store.commitAppend();
    } catch (const StoreError&) {
        if (stop == Stop::End)
            stop = Stop::Other;
    }
    in.close();
    errors.close();
    busy.setProgress(reader.stored());
    busy.hideBusyCaption();
    busy.hideProgress();

    result.records = reader.stored();
    result.rejected = reader.rejected();
    result.excluded = reader.excluded();

    switch (stop) {
    case Stop::End:
        break;
    case Stop::ReadError:
        return fail(ImportResult::Status::FileError,
                    QStringLiteral("Cannot read ") + QDir::toNativeSeparators(s.FileName) +
                        QStringLiteral(": ") + description,
                    QStringLiteral("Error"), Icon::Critical);
    case Stop::BadValue:
        return fail(ImportResult::Status::BadValue,
                    QStringLiteral("Error in loading database. Check source file. Last JD loaded "
                                   "was: ") +
                        badJD + QStringLiteral(".\r\n") + description,
                    QStringLiteral("Error"), Icon::Critical);
    case Stop::Other:
        result.status = ImportResult::Status::Interrupted;
        return result;
    }
    if (!anyLine) {
        return fail(ImportResult::Status::EmptyFile,
                    checkSourceText() + QStringLiteral("\r\nInput past end of file"),
                    QStringLiteral("Error"), Icon::Critical);
    }
    if (result.records == 0) {
        return fail(ImportResult::Status::NoRecords, checkSourceText(), QStringLiteral("Varilume"),
                    Icon::None);
    }
    result.status = ImportResult::Status::Loaded;
    return result;
}

} // namespace varilume
