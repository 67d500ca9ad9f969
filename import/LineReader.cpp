#include "import/LineReader.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace varilume {

namespace {

// Large enough that reading costs few calls, small enough to stay in the cache.
constexpr qsizetype kChunk = 64 << 10;

bool startsWith(const QByteArray& b, const char* mark, qsizetype n) {
    return b.size() >= n && std::memcmp(b.constData(), mark, std::size_t(n)) == 0;
}

} // namespace

LineReader::LineReader(QIODevice& device, const QString& path) : device_(device), path_(path) {
    if (!path_.isEmpty()) {
        const QFileInfo info(path_);
        expectedSize_ = info.size();
        expectedTime_ = info.lastModified();
    }
}

void LineReader::fail(Error e, const QString& detail) {
    if (error_ != Error::None)
        return;
    error_ = e;
    detail_ = detail;
}

QString LineReader::errorText() const {
    const QString name = path_.isEmpty()
                             ? QStringLiteral("the input")
                             : QStringLiteral("the file ") + QDir::toNativeSeparators(path_);
    switch (error_) {
    case Error::None:
        return QString();
    case Error::ReadFailed:
        return QStringLiteral("Cannot read ") + name + QStringLiteral(": ") + detail_;
    case Error::Changed:
        return QStringLiteral("While it was being read, ") + name + QStringLiteral(" changed (") +
               detail_ + QStringLiteral("). Load it again once nothing else writes to it.");
    case Error::TooLong:
        return QStringLiteral("Line %1 of %2 is longer than %3 MB; it cannot be an observation.")
            .arg(lineNumber_ + 1)
            .arg(name)
            .arg(kMaxLineBytes >> 20);
    }
    return QString();
}

bool LineReader::readChunk(QByteArray& into) {
    const qsizetype at = into.size();
    // A small file needs no whole chunk; one byte past its end still shows growth.
    const qint64 left = device_.isSequential() ? kChunk : device_.size() - device_.pos() + 1;
    const qsizetype want = qsizetype(std::clamp<qint64>(left, 1, kChunk));
    into.resize(at + want);
    const qint64 got = device_.read(into.data() + at, want);
    if (got < 0) {
        into.resize(at);
        fail(Error::ReadFailed, device_.errorString());
        return false;
    }
    into.resize(at + qsizetype(got));
    if (got == 0) {
        eof_ = true;
        return checkUnchanged();
    }
    bytesRead_ += got;
    if (expectedSize_ >= 0 && bytesRead_ > expectedSize_) {
        fail(Error::Changed, QStringLiteral("it grew beyond its %1 bytes").arg(expectedSize_));
        return false;
    }
    return true;
}

bool LineReader::checkUnchanged() {
    if (path_.isEmpty())
        return true;
    if (bytesRead_ < expectedSize_) {
        fail(
            Error::Changed,
            QStringLiteral("it ended after %1 of its %2 bytes").arg(bytesRead_).arg(expectedSize_));
        return false;
    }
    const QFileInfo now(path_);
    if (!now.exists()) {
        fail(Error::Changed, QStringLiteral("it was removed"));
        return false;
    }
    if (now.size() != expectedSize_ || now.lastModified() != expectedTime_) {
        fail(Error::Changed, QStringLiteral("it was written to"));
        return false;
    }
    return true;
}

// Appends the next piece of the input to buf_ as UTF-8. False at the end or on an error.
bool LineReader::fill() {
    if (begin_ > 0) {
        const qsizetype rest = end_ - begin_;
        std::memmove(buf_.data(), buf_.constData() + begin_, std::size_t(rest));
        begin_ = 0;
        end_ = rest;
    }
    buf_.resize(end_);
    if (end_ >= kMaxLineBytes) {
        fail(Error::TooLong);
        return false;
    }
    if (!started_) {
        started_ = true;
        raw_.clear();
        // The mark decides the encoding; a short first read may hold only part of it.
        while (raw_.size() < 4 && !eof_ && error_ == Error::None)
            readChunk(raw_);
        if (error_ != Error::None)
            return false;
        qsizetype skip = 0;
        if (startsWith(raw_, "\xEF\xBB\xBF", 3)) {
            skip = 3;
        } else if (startsWith(raw_, "\xFF\xFE", 2)) {
            utf16_ = true;
            decoder_ = QStringDecoder(QStringConverter::Utf16LE);
            skip = 2;
        } else if (startsWith(raw_, "\xFE\xFF", 2)) {
            utf16_ = true;
            decoder_ = QStringDecoder(QStringConverter::Utf16BE);
            skip = 2;
        }
        const QByteArrayView first = QByteArrayView(raw_).sliced(skip);
        if (utf16_)
            buf_ += QString(decoder_(first)).toUtf8();
        else
            buf_ += first;
        end_ = buf_.size();
        return end_ > 0 || !eof_;
    }
    if (eof_)
        return false;
    if (utf16_) {
        raw_.clear();
        if (!readChunk(raw_))
            return false;
        buf_ += QString(decoder_(raw_)).toUtf8();
    } else if (!readChunk(buf_)) {
        return false;
    }
    end_ = buf_.size();
    return true;
}

bool LineReader::next(QByteArrayView& line) {
    for (;;) {
        if (error_ != Error::None)
            return false;
        const char* base = buf_.constData();
        const char* from = base + begin_;
        const qsizetype avail = end_ - begin_;
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', std::size_t(avail)));
        const qsizetype crSpan = lf ? lf - from : avail;
        const auto* cr = static_cast<const char*>(std::memchr(from, '\r', std::size_t(crSpan)));
        qsizetype stop = -1; // end of the line's text
        qsizetype skip = 0;  // length of its line end
        if (cr && (cr + 1 < base + end_ || eof_)) {
            stop = cr - from;
            skip = (cr + 1 < base + end_ && cr[1] == '\n') ? 2 : 1;
        } else if (lf && !cr) {
            stop = lf - from;
            skip = 1;
        } else if (eof_ && avail > 0 && !cr) {
            stop = avail;
        }
        if (stop >= 0) {
            if (stop > kMaxLineBytes) {
                fail(Error::TooLong);
                return false;
            }
            line = QByteArrayView(from, stop);
            begin_ += stop + skip;
            ++lineNumber_;
            return true;
        }
        if (eof_)
            return false;
        fill(); // more text, the end, or an error: the loop looks again
    }
}

} // namespace varilume
