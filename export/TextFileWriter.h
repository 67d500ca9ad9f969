#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace varilume {

/// A text file written from scratch in large blocks. Every failure is kept as
/// the system's reason with the path, and later writes are skipped, so a loop
/// can write on and ask once at the end. What was written before a failure
/// stays in the file.
class TextFileWriter {
public:
    /// Creates or truncates the file.
    explicit TextFileWriter(const QString& path);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    /// The block lines are appended to; written out once it is large.
    QByteArray& buffer() { return buffer_; }
    /// Writes the block if it is large enough to be worth a system call.
    void flushIfFull();
    /// Writes what is left and closes the file.
    void close();

    bool failed() const { return !error_.isEmpty(); }
    /// "Cannot write <path>: <reason>" for the first failure.
    QString error() const { return error_; }

private:
    void writeBuffer();
    void fail(const QString& what);

    QFile file_;
    QByteArray buffer_;
    QString error_;
};

} // namespace varilume
