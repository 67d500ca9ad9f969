#include "store/ObsStore.h"

#include "format/NumberFormat.h"
#include "store/AppendWriter.h"
#include "store/Cursor.h"
#include "store/PlotRows.h"
#include "store/SchemaText.h"
#include "store/Sqlite.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace varilume {

StoreError::StoreError(int code, const QString& description)
    : std::runtime_error(description.toStdString()), code_(code), description_(description) {}

struct ObsStore::Impl : PlotRows {
    sqlite3* db = nullptr;
    QString path;
    CursorRegistry cursors;

    std::unique_ptr<AppendWriter> writer;
    sqlite::Stmt updatePhase = sqlite::noStmt();

    bool appending = false;
    ObsRecord scratch; // append(Observation)'s record
    std::int64_t appended = 0;
    std::int64_t nextId = 1;
    ~Impl() { close(); }

    void requireBound() const {
        if (!db)
            throw StoreError(StoreError::Engine, QStringLiteral("No store file is bound."));
    }

    void close() {
        while (!cursors.open.empty())
            cursors.open.back()->detach();
        if (db && appending) {
            // The file is being released; a failed insert leaves nothing to keep.
            writer->sync();
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        writer.reset();
        updatePhase.reset();
        if (db)
            sqlite3_close(db);
        db = nullptr;
        path.clear();
        appending = false;
        appended = 0;
        nextId = 1;
        clearColumns();
    }

    // A fresh store that lives and dies with the process: nothing on disk.
    void openInMemory() {
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not make a store in memory: out of memory."));
        }
        if (sqlite3_exec(db, kSchemaSql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            const QString why = sqlite::engineMessage(db);
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not make a store in memory: %1.").arg(why));
        }
    }

    void open(const QString& file) {
        const QFileInfo info(file);
        const QString shown = QDir::toNativeSeparators(file);
        const bool inMemory = file == ObsStore::InMemory;
        if (inMemory) {
            openInMemory();
        } else if (!info.exists())
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not find file '%1'.").arg(shown));
        else if (!info.isFile())
            throw StoreError(
                StoreError::Engine,
                QStringLiteral("'%1' is not a store file: it is a folder.").arg(shown));
        const QByteArray name = QFile::encodeName(file);
        if (!inMemory &&
            sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            const QString why = db ? sqlite::engineMessage(db) : QStringLiteral("out of memory");
            sqlite3_close(db);
            db = nullptr;
            throw StoreError(StoreError::Engine,
                             QStringLiteral("Could not open store file '%1': %2.").arg(shown, why));
        }
        path = file;
        // One user, one process: no journal, no syncing, the lock held throughout.
        // The working store is a scratch copy of the template, made afresh at
        // start and deleted at shutdown, so a crash loses nothing a journal
        // would have saved.
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
        // The store's own statements bind numbers it has converted; the table's
        // checks guard the statements from outside, and execute() turns them on
        // for those. Switching them per load would expire every prepared statement.
        sqlite::exec(db, "PRAGMA ignore_check_constraints = ON");
        try {
            writer = std::make_unique<AppendWriter>(db);
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

    void loadColumns() {
        readRows(db);
        sqlite::Stmt m = sqlite::prepare(db, "SELECT MAX(ID) FROM Obs");
        if (sqlite3_step(m.get()) != SQLITE_ROW)
            sqlite::failEngine(db);
        nextId = sqlite3_column_int64(m.get(), 0) + 1;
    }

    // Brings the table up to date with everything appended so far.
    void syncRows() {
        if (!appending)
            return;
        if (std::optional<AppendWriter::Failure> f = writer->sync())
            loseRows(*f);
    }

    // An INSERT failed: the rows from f.firstLostId on are not in the table, so
    // they are forgotten everywhere else too.
    [[noreturn]] void loseRows(const AppendWriter::Failure& f) {
        // Without a journal a refused statement keeps the rows it stored before
        // the refused one: the table says where the rows end.
        std::int64_t firstLost = f.firstLostId;
        sqlite::Stmt m = sqlite::prepare(db, "SELECT MAX(ID) FROM Obs");
        if (sqlite3_step(m.get()) == SQLITE_ROW && sqlite3_column_type(m.get(), 0) != SQLITE_NULL)
            firstLost =
                std::clamp<std::int64_t>(sqlite3_column_int64(m.get(), 0) + 1, firstLost, nextId);
        keepBefore(firstLost);
        appended -= nextId - firstLost;
        nextId = firstLost;
        throw StoreError(StoreError::Engine, f.why);
    }

    void append(const ObsRecord& r) {
        if (writer->failed())
            syncRows();
        double jdValue = r.jdValue;
        float magSingle = r.magValue;
        if (!r.converted) {
            const auto jdText = fmt::parseNumber(r.JD);
            const auto magText = fmt::parseNumber(r.Mag);
            if (!jdText || !magText)
                failConversion();
            jdValue = *jdText;
            magSingle = float(*magText);
        }
        if (!std::isfinite(jdValue) || !std::isfinite(magSingle))
            failConversion();

        const bool plotted = r.Faint != u"<";
        const std::uint16_t code = plotted ? bandCode(r.Band, isDiscrepant(r.Valid)) : 0;
        addRow(nextId, jdValue, magSingle, r.PunktFarb, code, plotted,
               plotted && r.Faint.contains(u'<'));
        // No result set may step on the connection while the writer's thread does.
        writer->append(nextId, jdValue, magSingle, r.PunktFarb, r, cursors.open.empty());
        ++nextId;
        ++appended;
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
    d->flushPhases();
    return queryWithoutPhases(sql);
}

Recordset ObsStore::queryWithoutPhases(const QString& sql) {
    d->requireBound();
    d->syncRows();
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
    sqlite::exec(d->db, "PRAGMA ignore_check_constraints = ON");
    // Keep the plot columns true to the table even when a later statement failed.
    if (sqlite3_total_changes64(d->db) != changesBefore)
        d->loadColumns();
    else
        d->rangeKnown = false; // a change of the table's shape counts no rows
    if (failed)
        throw StoreError(StoreError::Engine, why);
}

void ObsStore::clear() {
    d->requireBound();
    d->syncRows();
    sqlite::exec(d->db, "DELETE FROM Obs");
    d->loadColumns(); // drops the phases not yet written, with the rows
}

void ObsStore::beginAppend() {
    d->requireBound();
    if (d->appending)
        return;
    d->batchStart = d->jd.size();
    // Appending touches only the last pages of the table, so a small cache
    // serves it: pages are reused instead of a million rows' worth being
    // allocated, and the peak memory halves.
    sqlite::exec(d->db, "PRAGMA cache_size = -4096; BEGIN");
    d->appending = true;
    d->appended = 0;
}

void ObsStore::append(const ObsRecord& record) {
    d->requireBound();
    if (!d->appending)
        throw StoreError(StoreError::Engine, QStringLiteral("append() outside an append batch."));
    d->append(record);
}

void ObsStore::append(const Observation& o, const QString& star) {
    // One record reused: its strings keep their capacity from row to row.
    ObsRecord& r = d->scratch;
    r.Star = star;
    r.converted = true;
    r.jdValue = o.jd;
    r.magValue = float(o.mag);
    r.JD.clear();
    r.Mag.clear();
    if (std::isfinite(o.uncertainty))
        r.Uncertain = QString::number(o.uncertainty, 'g', QLocale::FloatingPointShortest);
    else
        r.Uncertain.clear();
    r.Band = o.band;
    r.Faint = o.fainterThan ? QStringLiteral("<") : QString();
    r.Valid = o.discrepant ? QStringLiteral("D") : QString();
    r.PunktFarb = o.color;
    append(r);
}

void ObsStore::commitAppend() {
    if (!d->db || !d->appending)
        return;
    d->syncRows();
    sqlite::exec(d->db, "COMMIT; PRAGMA cache_size = -65536");
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
    if (d->rangeKnown) {
        if (d->rowCount == 0)
            return std::nullopt;
        return Extremes{float(d->minMag), float(d->maxMag), d->minJD, d->maxJD, d->rowCount};
    }
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
    return {d->jd, d->mag, d->color, d->band};
}

const std::vector<QString>& ObsStore::bandKeys() const {
    return d->bandKeys;
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

std::optional<ObsStore::PhaseColumns> ObsStore::phaseColumns() const {
    if (!d->db || d->irregular != 0)
        return std::nullopt;
    return PhaseColumns{d->id, d->phase, d->mag};
}

} // namespace varilume
