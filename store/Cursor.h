#pragma once

#include "store/ObsStore.h"

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace varilume {

/// Throws StoreError 3421: a text that should be a number is none.
[[noreturn]] void failConversion();

struct Cursor;

/// The open result sets of a connection, finalized when the file is released.
struct CursorRegistry {
    std::vector<Cursor*> open;
};

/// One column value copied out of a statement (the last row after moveLast).
struct CopiedValue {
    int type = SQLITE_NULL;
    std::int64_t i = 0;
    double d = 0;
    QByteArray bytes;
};

/// A forward cursor over one statement, which it owns until detach().
struct Cursor {
    enum class State { Row, Copied, Eof };

    CursorRegistry* registry = nullptr;
    sqlite3_stmt* stmt = nullptr;
    State state = State::Eof;
    bool atFirst = false; // positioned on the first row of a fresh run
    bool knownEmpty = false;
    std::vector<QString> names;
    std::vector<bool> single;
    std::vector<CopiedValue> copied;
    // Names asked before, with their column: callers ask the same few names per row.
    mutable std::vector<std::pair<QString, int>> lookups;

    Cursor(CursorRegistry* r, sqlite3_stmt* s);
    ~Cursor() { detach(); }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void detach();
    void requireOpen() const;
    // Steps once; true on a row, false at the end.
    bool step();
    // Runs the statement afresh and stands on its first row.
    void rerun();
    void moveFirst();
    void moveLast();
    void moveNext();
    void copyValue(int c, CopiedValue& v) const;
    int column(const QString& field) const;

    // Value of a field of the current record, wherever it lives.
    struct Value {
        int type;
        std::int64_t i;
        double d;
        const char* text;
        int bytes;
        bool single;
    };

    Value value(const QString& field) const;
    /// The current row's column c, read from the statement without copying.
    Value liveValue(int c) const;
    double number(const QString& field) const;
};

struct Recordset::Impl : Cursor {
    using Cursor::Cursor;
};

} // namespace varilume
