#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringDecoder>
#include <cstdint>

class QIODevice;

namespace varilume {

/// Lines of an observation file, read through ordinary buffered reads.
///
/// Line ends may be LF, CR LF or a lone CR (old Mac files), mixed at will. The
/// text may be UTF-8 with or without a byte-order mark, or UTF-16 with one (little
/// or big endian); lines always come out as UTF-8 bytes, without their line end
/// and without the mark. A last line without a line end counts; a line end at the
/// very end adds no empty line.
///
/// When it reads a named file, the reader notices the file shrinking, growing or
/// being rewritten under it (the size and modification time taken at the start are
/// checked again while reading and at the end) and stops with an error, so a
/// partial read never passes for a whole one.
class LineReader {
public:
    enum class Error {
        None,
        ReadFailed, // the device reported an error
        Changed,    // the file shrank, grew or was rewritten while being read
        TooLong,    // a line longer than kMaxLineBytes
    };
    /// Longer lines are no observations; the cap keeps a file without line ends
    /// from being held whole in memory.
    static constexpr qsizetype kMaxLineBytes = 64 << 20;

    /// Reads an open device. path, when not empty, names the file behind it so
    /// that changes to it can be noticed.
    LineReader(QIODevice& device, const QString& path);

    /// The next line; false at the end of the input or on an error (see error()).
    /// The view stays valid until the next call.
    bool next(QByteArrayView& line);

    Error error() const { return error_; }
    /// The error in words, naming the file when there is one.
    QString errorText() const;
    /// Number of the line last handed out, counting from 1.
    std::int64_t lineNumber() const { return lineNumber_; }
    /// True when the input began with a UTF-16 byte-order mark.
    bool wasUtf16() const { return utf16_; }

private:
    bool fill();
    bool readChunk(QByteArray& into);
    bool checkUnchanged();
    void fail(Error e, const QString& detail = QString());

    QIODevice& device_;
    QString path_;
    qint64 expectedSize_ = -1;
    QDateTime expectedTime_;
    qint64 bytesRead_ = 0;

    QByteArray buf_; // UTF-8 text not yet handed out, from begin_ to end_
    qsizetype begin_ = 0;
    qsizetype end_ = 0;
    bool started_ = false;
    bool eof_ = false;
    bool utf16_ = false;
    QStringDecoder decoder_;
    QByteArray raw_; // a chunk as read, before conversion from UTF-16

    Error error_ = Error::None;
    QString detail_;
    std::int64_t lineNumber_ = 0;
};

} // namespace varilume
