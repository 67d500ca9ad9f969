#include "export/TextFileWriter.h"

#include <QDir>

namespace varilume {

namespace {
constexpr qsizetype kBlock = 1 << 20;
}

TextFileWriter::TextFileWriter(const QString& path) : file_(path) {
    buffer_.reserve(kBlock + 4096);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("Cannot create"));
}

TextFileWriter::~TextFileWriter() {
    close();
}

void TextFileWriter::flushIfFull() {
    if (buffer_.size() >= kBlock)
        writeBuffer();
}

void TextFileWriter::close() {
    if (!file_.isOpen())
        return;
    writeBuffer();
    if (!file_.flush() && !failed())
        fail(QStringLiteral("Cannot write"));
    file_.close();
}

void TextFileWriter::writeBuffer() {
    if (!failed() && !buffer_.isEmpty() && file_.write(buffer_) != buffer_.size())
        fail(QStringLiteral("Cannot write"));
    buffer_.clear();
}

void TextFileWriter::fail(const QString& what) {
    if (failed())
        return;
    error_ = what + u' ' + QDir::toNativeSeparators(file_.fileName()) + QStringLiteral(": ") +
             file_.errorString();
}

} // namespace varilume
