#pragma once

#include "store/ObsStore.h"
#include "store/Sqlite.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace varilume {

/// The INSERT side of an append batch. The caller's thread hands over rows with
/// their numbers converted; a thread of the writer's own binds them to one
/// prepared multi-row INSERT and steps it, so that reading and converting the
/// next lines runs on one core while SQLite stores on the other.
///
/// The connection is used by one thread at a time: the writer's thread only
/// while rows are queued, the caller only after sync(). While a result set of
/// the connection is open the caller writes the rows itself (threaded = false).
class AppendWriter {
public:
    /// Prepares the INSERT statements; throws StoreError when Obs lacks a field.
    explicit AppendWriter(sqlite3* db);
    ~AppendWriter();
    AppendWriter(const AppendWriter&) = delete;
    AppendWriter& operator=(const AppendWriter&) = delete;

    /// Queues one row; its text fields are taken from the record.
    void append(std::int64_t id, double jd, double mag, std::int32_t color, const ObsRecord& r,
                bool threaded);
    /// Whether a failed INSERT waits to be reported by sync(). Cheap.
    bool failed() const { return failed_.load(std::memory_order_acquire); }

    /// A failed INSERT: the rows from firstLostId on are not in the table.
    struct Failure {
        std::int64_t firstLostId;
        QString why;
    };
    /// Writes every row queued so far and waits for that; returns the failure,
    /// if any, since the last sync() (the rows queued after it are dropped).
    std::optional<Failure> sync();
    /// Stops the thread and forgets every row not yet written.
    void discard();

private:
    struct Row {
        std::int64_t id;
        double jd;
        double mag;
        std::int32_t color;
        std::array<std::uint32_t, 25> text; // into Chunk::spans
    };
    struct Chunk {
        std::uint64_t serial = 0;
        std::uint32_t filled = 0; // bit f: some row has text in field f
        std::vector<Row> rows;
        std::string bytes;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> spans; // offset, length
        std::uint32_t add(const QByteArray& text);
        std::string_view text(std::uint32_t i) const {
            return std::string_view(bytes).substr(spans[i].first, spans[i].second);
        }
        void clear();
    };
    struct Slot {
        std::int64_t id = 0;
        double jd = 0;
        double mag = 0;
        std::int32_t color = 0;
        std::array<std::string, 25> utf8;
        std::uint64_t serial = 0; // the chunk idx came from
        std::array<std::uint32_t, 25> idx{};
        bool bound = false;
    };

    /// One INSERT shape: the statements naming ID, JD, Mag, PunktFarb and the
    /// text fields in mask (by their bit), for 32 rows and for one.
    struct Shape {
        Shape(sqlite3* db, std::uint32_t fieldMask);
        std::uint32_t mask;
        sqlite::Stmt many;
        sqlite::Stmt one;
        std::vector<int> fields;
        int paramsPerRow = 0;
    };

    void handOver(bool threaded);
    bool useShape(std::uint32_t filled, std::int64_t firstId);
    void fail(std::int64_t firstLostId, const QString& why);
    void run();
    void waitIdle();
    void writeChunk(const Chunk& c);
    void bindSlot(sqlite3_stmt* s, int first, const Slot& slot, bool text);
    void step(sqlite3_stmt* s, int from);
    void writePending();
    void stopThread();

    sqlite3* db_;
    std::vector<std::unique_ptr<Shape>> shapes_;
    Shape* active_ = nullptr;  // the shape whose statements hold the slots' bindings
    std::uint32_t always_ = 0; // fields every INSERT names: the table has no '' for them

    // The caller's side: the chunk being filled and the last text of each field.
    Chunk building_;
    std::uint64_t nextSerial_ = 1;
    std::array<QString, 25> lastText_;
    std::array<QByteArray, 25> lastUtf8_;
    std::array<std::int64_t, 25> current_{};
    std::uint32_t lastFilled_ = 0; // bit f: lastText_[f] is not empty
    bool haveLast_ = false;

    // The writing side: touched by the thread while it runs, else by the caller.
    std::array<Slot, 32> slots_;
    int pending_ = 0;
    bool lost_ = false; // a failure seen; later rows are dropped until sync()
    std::optional<Failure> failure_;
    std::atomic<bool> failed_{false};

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Chunk> queue_;
    std::vector<Chunk> spare_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace varilume
