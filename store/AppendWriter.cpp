#include "store/AppendWriter.h"

#include <cstring>

namespace varilume {

namespace {

// The text fields in the order of the INSERT's columns after ID, JD, Mag, PunktFarb.
struct TextField {
    const char* name;
    QString ObsRecord::*member;
};
constexpr std::array<TextField, 25> kTextFields{{
    {"Star", &ObsRecord::Star},
    {"Faint", &ObsRecord::Faint},
    {"Uncertain", &ObsRecord::Uncertain},
    {"HQUncertain", &ObsRecord::HQUncertain},
    {"Band", &ObsRecord::Band},
    {"Init", &ObsRecord::Init},
    {"ComCod", &ObsRecord::ComCod},
    {"Comp1", &ObsRecord::Comp1},
    {"Comp2", &ObsRecord::Comp2},
    {"Charts", &ObsRecord::Charts},
    {"Comments", &ObsRecord::Comments},
    {"XForm", &ObsRecord::XForm},
    {"AirMass", &ObsRecord::AirMass},
    {"Valid", &ObsRecord::Valid},
    {"CMag", &ObsRecord::CMag},
    {"KMag", &ObsRecord::KMag},
    {"HQJD", &ObsRecord::HQJD},
    {"ObsAffil", &ObsRecord::ObsAffil},
    {"MeasMethod", &ObsRecord::MeasMethod},
    {"GroupMethod", &ObsRecord::GroupMethod},
    {"ADSRef", &ObsRecord::ADSRef},
    {"Digitizer", &ObsRecord::Digitizer},
    {"Credit", &ObsRecord::Credit},
    {"Marked", &ObsRecord::Marked},
    {"Edited", &ObsRecord::Edited},
}};
constexpr int kNumberParams = 4; // ID, JD, Mag, PunktFarb
// Rows per INSERT: one statement step per row costs more than the row itself.
constexpr int kRowsPerInsert = 32;
// Rows handed to the thread at once, and chunks queued before the caller waits:
// enough to keep both cores busy, little enough memory.
constexpr std::size_t kChunkRows = 2048;
constexpr std::size_t kMaxQueued = 4;

constexpr std::uint32_t kAllFields = (1u << kTextFields.size()) - 1;
// Distinct sets of filled fields given statements of their own; past that the
// full statement serves, so an odd file cannot prepare without end.
constexpr std::size_t kMaxShapes = 16;

// An INSERT naming only the fields in mask: the others take the table's default
// '', and a row of few fields costs SQLite far less than one of thirty.
QByteArray insertSql(std::uint32_t mask, int rows) {
    QByteArray sql = "INSERT INTO Obs (ID, JD, Mag, PunktFarb";
    int params = kNumberParams;
    for (std::size_t f = 0; f < kTextFields.size(); ++f) {
        if (mask & (1u << f)) {
            sql += QByteArray(", ") + kTextFields[f].name;
            ++params;
        }
    }
    sql += ") VALUES ";
    QByteArray one = "(?";
    for (int i = 1; i < params; ++i)
        one += ", ?";
    one += ')';
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            sql += ", ";
        sql += one;
    }
    return sql;
}

// A copy of its own, in the buffer it already has: a shared copy would make
// the importer's next change to its record allocate a fresh string.
void keepCopy(QString& dst, const QString& src) {
    if (!dst.isDetached()) {
        dst = QString(src.constData(), src.size());
        return;
    }
    dst.resize(src.size());
    if (!src.isEmpty())
        std::memcpy(dst.data(), src.constData(), std::size_t(src.size()) * sizeof(QChar));
}

// The text fields that the table fills with '' when an INSERT leaves them out.
// A store made from another template may lack that default, and a field left
// NULL would drop its row from every query that compares the field.
std::uint32_t emptyByDefault(sqlite3* db) {
    std::uint32_t mask = 0;
    sqlite::Stmt info = sqlite::prepare(db, "PRAGMA table_info(Obs)");
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
        const auto* preset = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 4));
        if (!name || !preset || std::strcmp(preset, "''") != 0)
            continue;
        for (std::size_t f = 0; f < kTextFields.size(); ++f)
            if (sqlite3_stricmp(name, kTextFields[f].name) == 0)
                mask |= 1u << f;
    }
    return mask;
}

} // namespace

std::uint32_t AppendWriter::Chunk::add(const QByteArray& text) {
    spans.emplace_back(std::uint32_t(bytes.size()), std::uint32_t(text.size()));
    bytes.append(text.constData(), std::size_t(text.size()));
    return std::uint32_t(spans.size() - 1);
}

void AppendWriter::Chunk::clear() {
    filled = 0;
    rows.clear();
    bytes.clear();
    spans.clear();
}

AppendWriter::Shape::Shape(sqlite3* db, std::uint32_t fieldMask)
    : mask(fieldMask), many(sqlite::prepare(db, insertSql(fieldMask, kRowsPerInsert).constData())),
      one(sqlite::prepare(db, insertSql(fieldMask, 1).constData())) {
    for (std::size_t f = 0; f < kTextFields.size(); ++f)
        if (fieldMask & (1u << f))
            fields.push_back(int(f));
    paramsPerRow = kNumberParams + int(fields.size());
}

AppendWriter::AppendWriter(sqlite3* db) : db_(db) {
    static_assert(std::tuple_size_v<decltype(slots_)> == kRowsPerInsert);
    static_assert(std::tuple_size_v<decltype(lastText_)> == kTextFields.size());
    // The full statement first: it proves that the table has every field.
    shapes_.push_back(std::make_unique<Shape>(db, kAllFields));
    active_ = shapes_.front().get();
    always_ = kAllFields & ~emptyByDefault(db);
    current_.fill(-1);
    building_.serial = nextSerial_++;
}

AppendWriter::~AppendWriter() {
    stopThread();
}

void AppendWriter::append(std::int64_t id, double jd, double mag, std::int32_t color,
                          const ObsRecord& r, bool threaded) {
    Row& row = building_.rows.emplace_back();
    row.id = id;
    row.jd = jd;
    row.mag = mag;
    row.color = color;
    for (std::size_t f = 0; f < kTextFields.size(); ++f) {
        const QString& value = r.*kTextFields[f].member;
        const QString& last = lastText_[f];
        // Importers often hand over the same text again (the star name, the
        // many empty fields): same size and data, nothing to convert.
        const bool same = haveLast_ && value.size() == last.size() &&
                          (value.constData() == last.constData() || value == last);
        if (!same) {
            keepCopy(lastText_[f], value);
            lastUtf8_[f] = value.toUtf8();
            current_[f] = -1;
            if (lastUtf8_[f].isEmpty())
                lastFilled_ &= ~(1u << f);
            else
                lastFilled_ |= 1u << f;
        }
        if (current_[f] < 0)
            current_[f] = building_.add(lastUtf8_[f]);
        row.text[f] = std::uint32_t(current_[f]);
    }
    haveLast_ = true;
    building_.filled |= lastFilled_;
    if (building_.rows.size() == kChunkRows)
        handOver(threaded);
}

void AppendWriter::handOver(bool threaded) {
    if (building_.rows.empty())
        return;
    Chunk next;
    if (!threaded) {
        waitIdle();
        writeChunk(building_);
        building_.clear();
        next = std::move(building_);
    } else {
        std::unique_lock lock(m_);
        cv_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
        queue_.push_back(std::move(building_));
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        cv_.notify_all();
        if (!thread_.joinable()) {
            stop_ = false;
            thread_ = std::thread([this] { run(); });
        }
    }
    building_ = std::move(next);
    building_.serial = nextSerial_++;
    current_.fill(-1);
}

void AppendWriter::run() {
    std::unique_lock lock(m_);
    for (;;) {
        cv_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Chunk c = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        writeChunk(c);
        c.clear();
        lock.lock();
        spare_.push_back(std::move(c));
        busy_ = false;
        cv_.notify_all();
    }
}

void AppendWriter::waitIdle() {
    std::unique_lock lock(m_);
    cv_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void AppendWriter::stopThread() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(m_);
        stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

void AppendWriter::bindSlot(sqlite3_stmt* s, int first, const Slot& slot, bool text) {
    sqlite3_bind_int64(s, first, slot.id);
    sqlite3_bind_double(s, first + 1, slot.jd);
    sqlite3_bind_double(s, first + 2, slot.mag);
    sqlite3_bind_int(s, first + 3, slot.color);
    if (!text)
        return;
    for (std::size_t k = 0; k < active_->fields.size(); ++k) {
        const std::string& u = slot.utf8[std::size_t(active_->fields[k])];
        // The slot owns the bytes until they change, so SQLite need not copy them.
        sqlite3_bind_text(s, first + kNumberParams + int(k), u.data(), int(u.size()),
                          SQLITE_STATIC);
    }
}

// The statement for a chunk's filled fields. Rows still waiting for the
// previous statement are written first, and every slot binds its text afresh.
bool AppendWriter::useShape(std::uint32_t filled, std::int64_t firstId) {
    Shape* shape = nullptr;
    for (const auto& candidate : shapes_)
        if (candidate->mask == filled)
            shape = candidate.get();
    if (!shape && shapes_.size() >= kMaxShapes)
        shape = shapes_.front().get();
    if (shape == active_)
        return true;
    writePending();
    if (lost_)
        return false;
    if (!shape) {
        try {
            shapes_.push_back(std::make_unique<Shape>(db_, filled));
        } catch (const StoreError& e) {
            fail(firstId, e.description());
            return false;
        }
        shape = shapes_.back().get();
    }
    active_ = shape;
    for (Slot& slot : slots_)
        slot.bound = false;
    return true;
}

void AppendWriter::writeChunk(const Chunk& c) {
    if (c.rows.empty() || lost_)
        return;
    if (!useShape(c.filled | always_, c.rows.front().id))
        return;
    sqlite3_stmt* s = active_->many.get();
    const Shape& shape = *active_;
    for (const Row& row : c.rows) {
        if (lost_)
            return;
        Slot& slot = slots_[std::size_t(pending_)];
        slot.id = row.id;
        slot.jd = row.jd;
        slot.mag = row.mag;
        slot.color = row.color;
        const int first = pending_ * shape.paramsPerRow + 1;
        bindSlot(s, first, slot, false);
        // Each slot keeps its text bound, so a field equal to the last one in
        // that slot (the star name, the many empty fields) is not bound again.
        const bool sameChunk = slot.bound && slot.serial == c.serial;
        for (std::size_t k = 0; k < shape.fields.size(); ++k) {
            const auto f = std::size_t(shape.fields[k]);
            if (sameChunk && slot.idx[f] == row.text[f])
                continue;
            slot.idx[f] = row.text[f];
            const std::string_view value = c.text(row.text[f]);
            std::string& u = slot.utf8[f];
            if (slot.bound && std::string_view(u) == value)
                continue;
            u.assign(value);
            sqlite3_bind_text(s, first + kNumberParams + int(k), u.data(), int(u.size()),
                              SQLITE_STATIC);
        }
        slot.serial = c.serial;
        slot.bound = true;
        if (++pending_ == kRowsPerInsert) {
            step(s, 0);
            pending_ = 0;
        }
    }
}

// Runs an INSERT holding the waiting rows from slot `from` on.
void AppendWriter::step(sqlite3_stmt* s, int from) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) {
        sqlite3_reset(s);
        return;
    }
    const QString why = sqlite::engineMessage(db_);
    sqlite3_reset(s);
    fail(slots_[std::size_t(from)].id, why);
}

void AppendWriter::fail(std::int64_t firstLostId, const QString& why) {
    failure_ = Failure{firstLostId, why};
    lost_ = true;
    failed_.store(true, std::memory_order_release);
}

// Inserts the rows waiting in slots (fewer than a full statement), one by one.
void AppendWriter::writePending() {
    for (int k = 0; k < pending_ && !lost_; ++k) {
        bindSlot(active_->one.get(), 1, slots_[std::size_t(k)], true);
        step(active_->one.get(), k);
    }
    pending_ = 0;
}

std::optional<AppendWriter::Failure> AppendWriter::sync() {
    handOver(false);
    waitIdle();
    if (!lost_)
        writePending();
    pending_ = 0;
    std::optional<Failure> f = std::move(failure_);
    failure_.reset();
    lost_ = false;
    failed_.store(false, std::memory_order_release);
    return f;
}

void AppendWriter::discard() {
    stopThread();
    queue_.clear();
    building_.clear();
    pending_ = 0;
    lost_ = false;
    failure_.reset();
    failed_.store(false);
    haveLast_ = false;
    lastFilled_ = 0;
    current_.fill(-1);
    for (Slot& s : slots_)
        s = Slot();
}

} // namespace varilume
