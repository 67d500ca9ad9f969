#include "store/Cursor.h"

#include "format/NumberFormat.h"
#include "store/Sqlite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace varilume {

namespace {

[[noreturn]] void failNoRecord() {
    throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
}

} // namespace

void failConversion() {
    throw StoreError(StoreError::ConversionError, QStringLiteral("Data type conversion error."));
}

Cursor::Cursor(CursorRegistry* r, sqlite3_stmt* s) : registry(r), stmt(s) {
    const int n = sqlite3_column_count(s);
    names.reserve(n);
    single.reserve(n);
    for (int c = 0; c < n; ++c) {
        names.push_back(QString::fromUtf8(sqlite3_column_name(s, c)));
        const char* decl = sqlite3_column_decltype(s, c);
        single.push_back(decl && qstricmp(decl, "FLOAT") == 0);
    }
    registry->open.push_back(this);
}

void Cursor::detach() {
    if (registry) {
        auto& v = registry->open;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        registry = nullptr;
    }
    sqlite3_finalize(stmt);
    stmt = nullptr;
    state = State::Eof;
}

void Cursor::requireOpen() const {
    if (!stmt)
        throw StoreError(StoreError::Engine,
                         QStringLiteral("The result set was closed with its store file."));
}

bool Cursor::step() {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    state = State::Eof;
    if (rc != SQLITE_DONE) {
        const QString why = sqlite::engineMessage(sqlite3_db_handle(stmt));
        sqlite3_reset(stmt);
        throw StoreError(StoreError::Engine, why);
    }
    sqlite3_reset(stmt);
    return false;
}

void Cursor::rerun() {
    sqlite3_reset(stmt);
    if (step()) {
        state = State::Row;
        atFirst = true;
    } else {
        knownEmpty = true;
    }
}

void Cursor::moveFirst() {
    requireOpen();
    if (state == State::Row && atFirst)
        return;
    if (knownEmpty)
        failNoRecord();
    rerun();
    if (state != State::Row)
        failNoRecord();
}

void Cursor::moveLast() {
    requireOpen();
    if (state == State::Copied)
        return;
    if (state == State::Eof) {
        if (knownEmpty)
            failNoRecord();
        rerun();
        if (state != State::Row)
            failNoRecord();
    }
    // A forward cursor cannot look ahead: keep a copy of each row until the end shows.
    const int n = int(names.size());
    copied.resize(n);
    do {
        for (int c = 0; c < n; ++c)
            copyValue(c, copied[c]);
    } while (step());
    state = State::Copied;
    atFirst = false;
}

void Cursor::moveNext() {
    requireOpen();
    switch (state) {
    case State::Row:
        atFirst = false;
        step();
        break;
    case State::Copied:
        state = State::Eof;
        break;
    case State::Eof:
        failNoRecord();
    }
}

Cursor::Value Cursor::liveValue(int c) const {
    Value v{sqlite3_column_type(stmt, c), 0, 0, nullptr, 0, single[c]};
    switch (v.type) {
    case SQLITE_INTEGER:
        v.i = sqlite3_column_int64(stmt, c);
        break;
    case SQLITE_FLOAT:
        v.d = sqlite3_column_double(stmt, c);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        v.text = static_cast<const char*>(sqlite3_column_blob(stmt, c));
        v.bytes = sqlite3_column_bytes(stmt, c);
        break;
    default:
        break;
    }
    return v;
}

void Cursor::copyValue(int c, CopiedValue& v) const {
    const Value live = liveValue(c);
    v.type = live.type;
    v.i = live.i;
    v.d = live.d;
    // Resizing keeps the buffer of the row before: no allocation per row.
    v.bytes.resize(live.bytes);
    if (live.bytes > 0)
        std::memcpy(v.bytes.data(), live.text, std::size_t(live.bytes));
}

int Cursor::column(const QString& field) const {
    requireOpen();
    for (const auto& [name, index] : lookups)
        if (name == field)
            return index;
    for (int c = 0; c < int(names.size()); ++c) {
        if (names[c].compare(field, Qt::CaseInsensitive) == 0) {
            lookups.emplace_back(field, c);
            return c;
        }
    }
    throw StoreError(StoreError::Engine,
                     QStringLiteral("Item not found in this collection: field '%1'.").arg(field));
}

Cursor::Value Cursor::value(const QString& field) const {
    const int c = column(field);
    if (state == State::Eof)
        failNoRecord();
    Value v{SQLITE_NULL, 0, 0, nullptr, 0, single[c]};
    if (state == State::Copied) {
        const CopiedValue& cv = copied[c];
        v.type = cv.type;
        v.i = cv.i;
        v.d = cv.d;
        v.text = cv.bytes.constData();
        v.bytes = int(cv.bytes.size());
        return v;
    }
    return liveValue(c);
}

double Cursor::number(const QString& field) const {
    const Value v = value(field);
    switch (v.type) {
    case SQLITE_INTEGER:
        return double(v.i);
    case SQLITE_FLOAT:
        return v.d;
    case SQLITE_TEXT: {
        const auto parsed = fmt::parseNumber(QString::fromUtf8(v.text, v.bytes));
        if (!parsed)
            failConversion();
        return *parsed;
    }
    case SQLITE_NULL:
        throw StoreError(StoreError::InvalidUseOfNull,
                         QStringLiteral("Invalid use of Null: field '%1'.").arg(field));
    default:
        failConversion();
    }
}

Recordset::Recordset(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

void Recordset::moveFirst() {
    d->moveFirst();
}
void Recordset::moveLast() {
    d->moveLast();
}
void Recordset::moveNext() {
    d->moveNext();
}
bool Recordset::eof() const {
    return d->state == Cursor::State::Eof;
}

double Recordset::number(const QString& field) const {
    return d->number(field);
}

float Recordset::single(const QString& field) const {
    return float(d->number(field));
}

std::int32_t Recordset::integer(const QString& field) const {
    const Cursor::Value v = d->value(field);
    double x = 0;
    if (v.type == SQLITE_INTEGER) {
        if (v.i >= std::numeric_limits<std::int32_t>::min() &&
            v.i <= std::numeric_limits<std::int32_t>::max())
            return std::int32_t(v.i);
        x = double(v.i);
    } else {
        // Rounds half to even under the default rounding mode, as whole-number fields do.
        x = std::nearbyint(d->number(field));
    }
    if (!(x >= std::numeric_limits<std::int32_t>::min() &&
          x <= std::numeric_limits<std::int32_t>::max()))
        throw StoreError(StoreError::Engine, QStringLiteral("Overflow: field '%1'.").arg(field));
    return std::int32_t(x);
}

QString Recordset::text(const QString& field) const {
    const Cursor::Value v = d->value(field);
    switch (v.type) {
    case SQLITE_INTEGER:
        return QString::number(v.i);
    case SQLITE_FLOAT:
        return v.single ? fmt::general(float(v.d)) : fmt::general(v.d);
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return QString::fromUtf8(v.text, v.bytes);
    default:
        return QString();
    }
}

bool Recordset::isNull(const QString& field) const {
    return d->value(field).type == SQLITE_NULL;
}
} // namespace varilume
