#include "store/Sqlite.h"

#include "store/ObsStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varilume::sqlite {

Stmt noStmt() {
    return Stmt(nullptr, &sqlite3_finalize);
}

QString engineMessage(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

[[noreturn]] void failEngine(sqlite3* db) {
    throw StoreError(StoreError::Engine, engineMessage(db));
}

Stmt prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        failEngine(db);
    return Stmt(s, &sqlite3_finalize);
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        failEngine(db);
}

Transaction::Transaction(sqlite3* db) : db_(db), began_(sqlite3_get_autocommit(db) != 0) {
    if (began_)
        exec(db_, "BEGIN");
}

void Transaction::commit() {
    if (began_)
        exec(db_, "COMMIT");
    began_ = false;
}

Transaction::~Transaction() {
    // The journal is off, so a rollback cannot undo anything: keep what was written.
    if (began_)
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
}

namespace {

// Sample standard deviation by Welford's update, which stays exact for values
// like Julian Dates whose squares swamp their spread.
struct Welford {
    std::int64_t n;
    double mean;
    double m2;
};

void stdevStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        return; // nulls (and text that is no number) take no part
    auto* w = static_cast<Welford*>(sqlite3_aggregate_context(ctx, sizeof(Welford)));
    if (!w) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    const double x = sqlite3_value_double(argv[0]);
    ++w->n;
    const double delta = x - w->mean;
    w->mean += delta / double(w->n);
    w->m2 += delta * (x - w->mean);
}

void stdevFinal(sqlite3_context* ctx) {
    auto* w = static_cast<Welford*>(sqlite3_aggregate_context(ctx, 0));
    if (!w || w->n < 2) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_double(ctx, std::sqrt(std::max(0.0, w->m2 / double(w->n - 1))));
}

} // namespace

void registerStDev(sqlite3* db) {
    if (sqlite3_create_function_v2(db, "StDev", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   nullptr, &stdevStep, &stdevFinal, nullptr) != SQLITE_OK)
        failEngine(db);
}

} // namespace varilume::sqlite
