#include "store/ObsStore.h"

#include "format/NumberFormat.h"
#include "store/Cursor.h"
#include "store/Schema.h"
#include "store/Sqlite.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace varilume {

StoreError::StoreError(int code, const QString& description)
    : std::runtime_error(description.toStdString()), code_(code), description_(description) {}

namespace {

constexpr char kInMemory[] = ":memory:";

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
constexpr int kParamsPerRow = kNumberParams + int(kTextFields.size());
// Rows per INSERT: one statement step per row costs more than the row itself.
constexpr int kRowsPerInsert = 32;

QByteArray insertSql(int rows) {
    QByteArray sql = "INSERT INTO Obs (ID, JD, Mag, PunktFarb";
    for (const TextField& f : kTextFields)
        sql += QByteArray(", ") + f.name;
    sql += ") VALUES ";
    QByteArray one = "(?";
    for (int i = 1; i < kParamsPerRow; ++i)
        one += ", ?";
    one += ')';
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            sql += ", ";
        sql += one;
    }
    return sql;
}

} // namespace

struct ObsStore::Impl {
    sqlite3* db = nullptr;
    QString path;
    CursorRegistry cursors;

    sqlite::Stmt insertMany = sqlite::noStmt();
    sqlite::Stmt insertOne = sqlite::noStmt();
    sqlite::Stmt updatePhase = sqlite::noStmt();

    // Append batch. Rows wait in slots until a multi-row INSERT is full; each
    // slot keeps its text bound, so a field equal to the last one in that slot
    // (the star name, the many empty fields) is neither converted nor bound again.
    struct Slot {
        std::int64_t id = 0;
        double jd = 0;
        double mag = 0;
        std::int32_t color = 0;
        std::array<QString, kTextFields.size()> text;
        std::array<QByteArray, kTextFields.size()> utf8;
        bool bound = false;
        bool plotted = false;
    };
    bool appending = false;
    std::int64_t appended = 0;
    std::int64_t nextId = 1;
    std::array<Slot, kRowsPerInsert> waiting;
    int pending = 0;

    // Plot columns: rows whose Faint is not "<", ascending JD, ties by ID.
    std::vector<double> jd;
    std::vector<float> mag;
    std::vector<std::int32_t> color;
    std::vector<std::int64_t> id;
    std::vector<float> phase;
    std::size_t dirtyFirst = 0, dirtyLast = 0;

    ~Impl() { close(); }

    void requireBound() const {
        if (!db)
            throw StoreError(StoreError::Engine, QStringLiteral("No store file is bound."));
    }

    void close() {
        while (!cursors.open.empty())
            cursors.open.back()->detach();
        if (db && appending) {
            try {
                writePending();
            } catch (const StoreError&) {
                // The file is being released; a failed insert leaves nothing to keep.
            }
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        insertMany.reset();
        insertOne.reset();
        updatePhase.reset();
        if (db)
            sqlite3_close(db);
        db = nullptr;
        path.clear();
        appending = false;
        appended = 0;
        nextId = 1;
        pending = 0;
        for (Slot& s : waiting)
            s = Slot();
        clearColumns();
    }

    void clearColumns() {
        // Swapping with empties gives the memory back, not just the size.
        std::vector<double>().swap(jd);
        std::vector<float>().swap(mag);
        std::vector<std::int32_t>().swap(color);
        std::vector<std::int64_t>().swap(id);
        std::vector<float>().swap(phase);
        dirtyFirst = dirtyLast = 0;
    }

    void open(const QString& file) {
        if (file == QLatin1String(kInMemory)) {
            openInMemory();
            return;
        }
        const QFileInfo info(file);
        const QString shown = QDir::toNativeSeparators(file);
        if (!info.exists())
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not find file '%1'.").arg(shown));
        if (!info.isFile())
            throw StoreError(
                StoreError::Engine,
                QStringLiteral("'%1' is not a store file: it is a folder.").arg(shown));
        const QByteArray name = QFile::encodeName(file);
        if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            const QString why = db ? sqlite::engineMessage(db) : QStringLiteral("out of memory");
            sqlite3_close(db);
            db = nullptr;
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not open store file '%1': %2.").arg(shown, why));
        }
        path = file;
        // One user, one process: no journal, no syncing, the lock held throughout.
        if (sqlite3_exec(db,
                         "PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_mode = OFF; "
                         "PRAGMA synchronous = OFF; PRAGMA cache_size = -65536",
                         nullptr, nullptr, nullptr) != SQLITE_OK) {
            const QString why = sqlite::engineMessage(db);
            switch (sqlite3_errcode(db)) {
            case SQLITE_NOTADB:
                throw StoreError(StoreError::Engine,
                                 QStringLiteral("'%1' is not a store file: %2.").arg(shown, why));
            case SQLITE_BUSY:
            case SQLITE_LOCKED:
                throw StoreError(
                    StoreError::Engine,
                    QStringLiteral("The store file '%1' is in use: %2.").arg(shown, why));
            default:
                throw StoreError(
                    StoreError::Engine,
                    QStringLiteral("Could not open store file '%1': %2.").arg(shown, why));
            }
        }
        {
            sqlite::Stmt has =
                sqlite::prepare(db, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = "
                                    "'Obs' COLLATE NOCASE");
            if (sqlite3_step(has.get()) != SQLITE_ROW)
                throw StoreError(
                    StoreError::Engine,
                    QStringLiteral("The store file '%1' holds no table Obs.").arg(shown));
        }
        sqlite::registerStDev(db);
        try {
            insertMany = sqlite::prepare(db, insertSql(kRowsPerInsert).constData());
            insertOne = sqlite::prepare(db, insertSql(1).constData());
            updatePhase = sqlite::prepare(db, "UPDATE Obs SET Phas = ? WHERE ID = ?");
        } catch (const StoreError& e) {
            throw StoreError(StoreError::Engine,
                             QStringLiteral("The table Obs in '%1' lacks fields: %2.")
                                 .arg(shown, e.description()));
        }
        try {
            loadColumns();
        } catch (const StoreError& e) {
            throw StoreError(
                StoreError::Engine,
                QStringLiteral("Could not read store file '%1': %2.").arg(shown, e.description()));
        }
    }

    // A private store with the template's empty table, for tools and fuzzing
    // that must not touch the disk.
    void openInMemory() {
        if (sqlite3_open_v2(kInMemory, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not make a store in memory."));
        }
        path = QLatin1String(kInMemory);
        sqlite::exec(db, kObsSchemaSql);
        sqlite::registerStDev(db);
        insertMany = sqlite::prepare(db, insertSql(kRowsPerInsert).constData());
        insertOne = sqlite::prepare(db, insertSql(1).constData());
        updatePhase = sqlite::prepare(db, "UPDATE Obs SET Phas = ? WHERE ID = ?");
        nextId = 1;
    }

    void loadColumns() {
        clearColumns();
        // Read in table order and sorted here: most files come sorted by date,
        // so this is one pass instead of SQLite sorting a million rows.
        sqlite::Stmt q = sqlite::prepare(db, "SELECT ID, JD, Mag, PunktFarb, Phas FROM Obs "
                                             "WHERE Faint <> '<' AND JD IS NOT NULL ORDER BY ID");
        int rc;
        while ((rc = sqlite3_step(q.get())) == SQLITE_ROW) {
            id.push_back(sqlite3_column_int64(q.get(), 0));
            jd.push_back(sqlite3_column_double(q.get(), 1));
            mag.push_back(sqlite3_column_type(q.get(), 2) == SQLITE_NULL
                              ? std::numeric_limits<float>::quiet_NaN()
                              : float(sqlite3_column_double(q.get(), 2)));
            color.push_back(std::int32_t(sqlite3_column_int64(q.get(), 3)));
            phase.push_back(sqlite3_column_type(q.get(), 4) == SQLITE_NULL
                                ? std::numeric_limits<float>::quiet_NaN()
                                : float(sqlite3_column_double(q.get(), 4)));
        }
        if (rc != SQLITE_DONE)
            sqlite::failEngine(db);
        sortColumns();
        sqlite::Stmt m = sqlite::prepare(db, "SELECT MAX(ID) FROM Obs");
        if (sqlite3_step(m.get()) != SQLITE_ROW)
            sqlite::failEngine(db);
        nextId = sqlite3_column_int64(m.get(), 0) + 1;
    }

    void bindSlot(sqlite3_stmt* s, int first, Slot& slot, bool rebindText) {
        sqlite3_bind_int64(s, first, slot.id);
        sqlite3_bind_double(s, first + 1, slot.jd);
        sqlite3_bind_double(s, first + 2, slot.mag);
        sqlite3_bind_int(s, first + 3, slot.color);
        if (!rebindText)
            return;
        for (std::size_t f = 0; f < kTextFields.size(); ++f) {
            const QByteArray& u = slot.utf8[f];
            // The slot owns the bytes until they change, so SQLite need not copy them.
            sqlite3_bind_text(s, first + kNumberParams + int(f), u.constData(), int(u.size()),
                              SQLITE_STATIC);
        }
    }

    // Runs an INSERT holding the waiting rows from slot `from` on.
    void stepInsert(sqlite3_stmt* s, int from) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE) {
            sqlite3_reset(s);
            return;
        }
        // Those rows are not in the table: forget them everywhere else too. Rows
        // not yet sorted stand at the end of the plot columns in load order.
        const QString why = sqlite::engineMessage(db);
        sqlite3_reset(s);
        std::size_t plotted = 0;
        for (int k = from; k < pending; ++k)
            plotted += waiting[k].plotted ? 1 : 0;
        const std::size_t keep = jd.size() - plotted;
        jd.resize(keep);
        mag.resize(keep);
        color.resize(keep);
        id.resize(keep);
        phase.resize(keep);
        dirtyLast = std::min(dirtyLast, keep);
        dirtyFirst = std::min(dirtyFirst, dirtyLast);
        nextId = waiting[from].id;
        appended -= pending - from;
        pending = 0;
        throw StoreError(StoreError::Engine, why);
    }

    // Inserts the rows waiting in slots (fewer than a full statement).
    void writePending() {
        for (int k = 0; k < pending; ++k) {
            bindSlot(insertOne.get(), 1, waiting[k], true);
            stepInsert(insertOne.get(), k);
        }
        pending = 0;
    }

    // Brings the table up to date with everything appended so far.
    void syncRows() {
        if (appending && pending > 0)
            writePending();
    }

    void append(const ObsRecord& r) {
        const auto jdValue = fmt::parseNumber(r.JD);
        const auto magValue = fmt::parseNumber(r.Mag);
        if (!jdValue || !magValue || !std::isfinite(*jdValue))
            failConversion();
        const float magSingle = float(*magValue);
        if (!std::isfinite(magSingle))
            failConversion();

        Slot& slot = waiting[pending];
        slot.id = nextId;
        slot.jd = *jdValue;
        slot.mag = magSingle;
        slot.color = r.PunktFarb;
        const int first = pending * kParamsPerRow + 1;
        sqlite3_stmt* s = insertMany.get();
        bindSlot(s, first, slot, false);
        for (std::size_t f = 0; f < kTextFields.size(); ++f) {
            const QString& value = r.*kTextFields[f].member;
            const QString& last = slot.text[f];
            // Importers often hand over the very same string again (a shared empty
            // text, the star name): same data, same size, no compare needed.
            if (slot.bound && value.size() == last.size() &&
                (value.constData() == last.constData() || value == last))
                continue;
            slot.text[f] = value;
            slot.utf8[f] = value.toUtf8();
            const QByteArray& u = slot.utf8[f];
            sqlite3_bind_text(s, first + kNumberParams + int(f), u.constData(), int(u.size()),
                              SQLITE_STATIC);
        }
        slot.bound = true;

        slot.plotted = r.Faint != u"<";
        if (slot.plotted) {
            jd.push_back(slot.jd);
            mag.push_back(magSingle);
            color.push_back(slot.color);
            id.push_back(slot.id);
            phase.push_back(std::numeric_limits<float>::quiet_NaN());
        }
        ++nextId;
        ++appended;
        if (++pending == kRowsPerInsert) {
            stepInsert(s, 0);
            pending = 0;
        }
    }

    void sortColumns() {
        const std::size_t n = jd.size();
        const auto before = [this](std::size_t a, std::size_t b) {
            return jd[a] < jd[b] || (jd[a] == jd[b] && id[a] < id[b]);
        };
        bool sorted = true;
        for (std::size_t i = 1; i < n && sorted; ++i)
            sorted = !before(i, i - 1);
        if (sorted)
            return; // files sorted by date, the common case
        std::vector<std::uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0u);
        // Ties keep load order: earlier rows have the smaller ID and stand first.
        std::stable_sort(order.begin(), order.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return jd[a] < jd[b]; });
        permute(jd, order);
        permute(mag, order);
        permute(color, order);
        permute(id, order);
        permute(phase, order);
    }

    template <typename T>
    static void permute(std::vector<T>& v, const std::vector<std::uint32_t>& order) {
        std::vector<T> out;
        out.reserve(v.size());
        for (std::uint32_t i : order)
            out.push_back(v[i]);
        v.swap(out);
    }

    void markDirty(std::size_t first, std::size_t last) {
        if (dirtyFirst == dirtyLast) {
            dirtyFirst = first;
            dirtyLast = last;
        } else {
            dirtyFirst = std::min(dirtyFirst, first);
            dirtyLast = std::max(dirtyLast, last);
        }
    }

    void flushPhases() {
        if (!db || dirtyFirst == dirtyLast)
            return;
        syncRows();
        // Updating in ID order walks the table's pages once instead of jumping about.
        std::vector<std::pair<std::int64_t, float>> rows;
        rows.reserve(dirtyLast - dirtyFirst);
        for (std::size_t i = dirtyFirst; i < dirtyLast; ++i)
            rows.emplace_back(id[i], phase[i]);
        if (!std::is_sorted(rows.begin(), rows.end()))
            std::sort(rows.begin(), rows.end());
        sqlite3_stmt* s = updatePhase.get();
        sqlite::Transaction txn(db);
        for (const auto& [rowId, p] : rows) {
            if (std::isnan(p))
                sqlite3_bind_null(s, 1);
            else
                sqlite3_bind_double(s, 1, p);
            sqlite3_bind_int64(s, 2, rowId);
            const int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc != SQLITE_DONE)
                sqlite::failEngine(db);
        }
        txn.commit();
        dirtyFirst = dirtyLast = 0;
    }

    void checkPlotRange(std::size_t first, std::size_t count) const {
        if (first > jd.size() || count > jd.size() - first)
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Plot row %1 is out of range (%2 rows).")
                                 .arg(first + count)
                                 .arg(jd.size()));
    }
};

ObsStore::ObsStore() : d(std::make_unique<Impl>()) {
    // SQLite's allocation statistics take a process-wide mutex on every
    // allocation, a third of the time of writing a million phases. Nothing here
    // reads them. Refused harmlessly once SQLite has started.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}
ObsStore::~ObsStore() = default;

void ObsStore::bind(const QString& path) {
    d->close();
    try {
        d->open(path);
    } catch (...) {
        d->close();
        throw;
    }
}

void ObsStore::unbind() {
    d->close();
}

bool ObsStore::isBound() const {
    return d->db != nullptr;
}

Recordset ObsStore::query(const QString& sql) {
    d->requireBound();
    d->syncRows();
    d->flushPhases();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(d->db, text.constData(), int(text.size()), &raw, &tail) != SQLITE_OK)
        sqlite::failEngine(d->db);
    sqlite::Stmt s(raw, &sqlite3_finalize);
    if (!s)
        throw StoreError(StoreError::Engine, QStringLiteral("The query text holds no statement."));
    for (const char* p = tail; p && *p; ++p)
        if (*p != ';' && !QChar::isSpace(uchar(*p)))
            throw StoreError(StoreError::Engine,
                             QStringLiteral("A query runs one statement; this text holds more."));
    // The plot columns mirror the table; a change has to go through execute().
    if (!sqlite3_stmt_readonly(s.get()))
        throw StoreError(StoreError::Engine,
                         QStringLiteral("A query only reads; statements that change the store "
                                        "run through execute()."));
    auto impl = std::make_unique<Recordset::Impl>(&d->cursors, s.release());
    impl->rerun();
    return Recordset(std::move(impl));
}

void ObsStore::execute(const QString& sql) {
    d->requireBound();
    d->syncRows();
    d->flushPhases();
    const QByteArray text = sql.toUtf8();
    const std::int64_t changesBefore = sqlite3_total_changes64(d->db);
    // Statements from outside are checked even in the middle of an append batch.
    if (d->appending)
        sqlite::exec(d->db, "PRAGMA ignore_check_constraints = OFF");
    const char* p = text.constData();
    const char* end = p + text.size();
    bool failed = false;
    QString why;
    while (p < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(d->db, p, int(end - p), &raw, &tail) != SQLITE_OK) {
            failed = true;
            why = sqlite::engineMessage(d->db);
            break;
        }
        sqlite::Stmt s(raw, &sqlite3_finalize);
        p = tail;
        if (!s)
            continue; // blanks or a lone semicolon
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            failed = true;
            why = sqlite::engineMessage(d->db);
            break;
        }
    }
    if (d->appending)
        sqlite::exec(d->db, "PRAGMA ignore_check_constraints = ON");
    // Keep the plot columns true to the table even when a later statement failed.
    if (sqlite3_total_changes64(d->db) != changesBefore)
        d->loadColumns();
    if (failed)
        throw StoreError(StoreError::Engine, why);
}

void ObsStore::beginAppend() {
    d->requireBound();
    if (d->appending)
        return;
    // append() has converted every number already; the table's checks would
    // only test it again, row by row.
    sqlite::exec(d->db, "PRAGMA ignore_check_constraints = ON; BEGIN");
    d->appending = true;
    d->appended = 0;
    d->pending = 0;
}

void ObsStore::append(const ObsRecord& record) {
    d->requireBound();
    if (!d->appending)
        throw StoreError(StoreError::Engine, QStringLiteral("append() outside an append batch."));
    d->append(record);
}

void ObsStore::commitAppend() {
    if (!d->db || !d->appending)
        return;
    d->writePending();
    sqlite::exec(d->db, "COMMIT; PRAGMA ignore_check_constraints = OFF");
    d->appending = false;
    d->sortColumns();
}

std::int64_t ObsStore::appendedCount() const {
    return d->appended;
}

std::int64_t ObsStore::count() {
    d->requireBound();
    d->syncRows();
    sqlite::Stmt s = sqlite::prepare(d->db, "SELECT COUNT(*) FROM Obs");
    if (sqlite3_step(s.get()) != SQLITE_ROW)
        sqlite::failEngine(d->db);
    return sqlite3_column_int64(s.get(), 0);
}

std::optional<ObsStore::Extremes> ObsStore::extremes() {
    d->requireBound();
    d->syncRows();
    sqlite::Stmt s =
        sqlite::prepare(d->db, "SELECT MIN(Mag), MAX(Mag), MIN(JD), MAX(JD), COUNT(*) FROM Obs");
    if (sqlite3_step(s.get()) != SQLITE_ROW)
        sqlite::failEngine(d->db);
    const std::int64_t n = sqlite3_column_int64(s.get(), 4);
    if (n == 0)
        return std::nullopt;
    const auto value = [&](int c) {
        return sqlite3_column_type(s.get(), c) == SQLITE_NULL
                   ? std::numeric_limits<double>::quiet_NaN()
                   : sqlite3_column_double(s.get(), c);
    };
    return Extremes{float(value(0)), float(value(1)), value(2), value(3), n};
}

ObsStore::PlotColumns ObsStore::plotColumns() const {
    return {d->jd, d->mag, d->color};
}

std::pair<std::size_t, std::size_t> ObsStore::window(double from, double to) const {
    if (std::isnan(from) || std::isnan(to))
        return {0, 0}; // as BETWEEN with a null bound: no row
    const auto begin = d->jd.begin();
    const auto first = std::lower_bound(begin, d->jd.end(), from);
    const auto last = std::upper_bound(first, d->jd.end(), to);
    return {std::size_t(first - begin), std::size_t(last - begin)};
}

void ObsStore::setPhase(std::size_t i, float phase) {
    d->checkPlotRange(i, 1);
    d->phase[i] = phase;
    d->markDirty(i, i + 1);
}

void ObsStore::setPhases(std::size_t first, std::span<const float> phases) {
    d->checkPlotRange(first, phases.size());
    if (phases.empty())
        return;
    std::copy(phases.begin(), phases.end(), d->phase.begin() + std::ptrdiff_t(first));
    d->markDirty(first, first + phases.size());
}

void ObsStore::flushPhases() {
    d->flushPhases();
}

} // namespace varilume
