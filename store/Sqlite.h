#pragma once

#include <QString>
#include <memory>
#include <sqlite3.h>

namespace varilume::sqlite {

using Stmt = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Stmt noStmt();

QString engineMessage(sqlite3* db);

/// Throws StoreError Engine with the connection's last message.
[[noreturn]] void failEngine(sqlite3* db);

Stmt prepare(sqlite3* db, const char* sql);

void exec(sqlite3* db, const char* sql);

/// Begins a transaction unless one is open (an append batch), commits what it began.
class Transaction {
public:
    explicit Transaction(sqlite3* db);
    void commit();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    sqlite3* db_;
    bool began_;
};

/// Registers the aggregate StDev (sample standard deviation) on a connection.
void registerStDev(sqlite3* db);

} // namespace varilume::sqlite
