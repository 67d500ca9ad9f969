#pragma once

#include <QByteArrayView>
#include <QString>

namespace varilume {

/// One line of a two-column file split into values: tabs, commas and blanks
/// separate (runs of them count once), every "<" is dropped and marks the line
/// fainter-than. Only the first three values are kept, as spans of the line.
struct TwoColumnLine {
    struct Span {
        const char* begin = nullptr;
        const char* end = nullptr;
        bool hasMark = false; // a "<" inside, to be dropped
        /// The value's text without its "<" marks.
        QString text() const;
    };
    Span value[3];
    int values = 0; // every value of the line, not only the three kept
    bool faint = false;
};

TwoColumnLine splitTwoColumnLine(QByteArrayView line);

} // namespace varilume
