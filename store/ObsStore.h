#pragma once

#include <QString>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace varilume {

/// A failure of the store, numbered like the errors callers test for.
class StoreError : public std::runtime_error {
public:
    static constexpr int NoCurrentRecord = 3021;
    static constexpr int ConversionError = 3421;
    static constexpr int Engine = 3000;
    /// Reading a null field as a number.
    static constexpr int InvalidUseOfNull = 94;

    StoreError(int code, const QString& description);
    int code() const { return code_; }
    QString description() const { return description_; }

private:
    int code_;
    QString description_;
};

/// Field values of one observation as an importer hands them over: text, which
/// the store converts to the field's type (JD double, Mag single), and the colour.
struct ObsRecord {
    QString Star, JD, Mag, Faint, Uncertain, HQUncertain, Band, Init, ComCod, Comp1, Comp2, Charts,
        Comments, XForm, AirMass, Valid, CMag, KMag, HQJD;
    // The six trailing fields of the archive's current download layout.
    QString ObsAffil, MeasMethod, GroupMethod, ADSRef, Digitizer, Credit;
    std::int32_t PunktFarb = 0;
    QString Marked, Edited;
    /// JD and Mag as the importer already converted their texts, the way
    /// append() would: append() then takes these and converts nothing again.
    bool converted = false;
    double jdValue = 0;
    float magValue = 0;
};

/// The band code of the rows whose validation flag is "D".
inline constexpr std::uint16_t kDiscrepantBand = 0;

/// Whether a validation flag marks an observation discrepant.
inline bool isDiscrepant(QStringView valid) {
    return valid.trimmed() == u"D";
}

/// One observation as any importer can give it. The ORBIS fields beyond these
/// (observer, comparison stars, ...) are extras only ObsRecord carries.
struct Observation {
    double jd = 0;
    double mag = 0;
    double uncertainty = std::numeric_limits<double>::quiet_NaN(); // one sigma; NaN: none
    QString band;
    bool fainterThan = false; // an upper limit: fainter than mag
    bool discrepant = false;  // flagged by its source: kept, left out of searches by default
    std::int32_t color = 0;   // how the plot draws it
};

/// A result of a query: a forward cursor with MoveFirst / MoveLast / MoveNext /
/// EOF. Field names match without regard to case.
class Recordset {
public:
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    /// Throws StoreError 3021 when the result is empty.
    void moveFirst();
    void moveLast();
    void moveNext();
    bool eof() const;

    /// Values of the current record; throw StoreError 3021 without one,
    /// StoreError Engine for an unknown field name, StoreError 94 when a number
    /// is asked of a null field and StoreError 3421 for text that is no number.
    double number(const QString& field) const;
    float single(const QString& field) const;
    std::int32_t integer(const QString& field) const;
    /// Text of a field; numbers in their shortest decimal text (Mag and Phas as
    /// singles); "" for null.
    QString text(const QString& field) const;
    bool isNull(const QString& field) const;

private:
    friend class ObsStore;
    struct Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

/// The working store: the table Obs in one SQLite file. The only way to Obs.
///
/// Besides the file it keeps, in memory, the columns the plots need for every
/// observation that is not a fainter-than estimate, sorted by JD: plotting a
/// million rows then costs no query. Phases set through setPhase() are written
/// to Obs.Phas before any query() runs, so every reader of the table sees
/// exactly what the last plot computed.
class ObsStore {
public:
    ObsStore();
    ~ObsStore();
    ObsStore(const ObsStore&) = delete;
    ObsStore& operator=(const ObsStore&) = delete;

    /// Opens the store file (record source Obs) and loads the plot columns.
    /// InMemory (":memory:") gives a fresh, empty store that leaves nothing on disk.
    void bind(const QString& path);
    static inline const QString InMemory = QStringLiteral(":memory:");
    /// Releases the file so that it can be replaced or deleted. An open append
    /// batch is committed first; phases not yet flushed are dropped.
    void unbind();
    bool isBound() const;

    /// Runs a query text as it stands (SQLite dialect, plus the aggregate StDev).
    /// Only reading statements; the result stands on its first record.
    Recordset query(const QString& sql);
    /// The same for a query whose reader takes no phases: the phases of the last
    /// plot are not written to Obs.Phas first, which costs more than the query.
    /// Every field but Phas reads as query() would give it.
    Recordset queryWithoutPhases(const QString& sql);
    /// Runs statements that return no rows; the plot columns are reloaded when
    /// they changed the table.
    void execute(const QString& sql);
    /// Removes every row. The last plot's phases are dropped, not written first.
    void clear();

    /// Appending: begin, any number of append(), then commit. append() converts
    /// the text fields and throws StoreError 3421 when one does not convert; the
    /// rows appended so far stay in the open batch.
    void beginAppend();
    void append(const ObsRecord& record);
    /// The same for an observation without ORBIS extras (the star's name as given).
    void append(const Observation& observation, const QString& star);
    void commitAppend();
    std::int64_t appendedCount() const;

    std::int64_t count();

    struct Extremes {
        float minMag, maxMag;
        double minJD, maxJD;
        std::int64_t count;
    };
    /// Smallest and largest Mag and JD over all rows (fainter-than included);
    /// nullopt for an empty table.
    std::optional<Extremes> extremes();

    /// Plot columns of the rows not marked "<", ascending JD (ties in load order).
    /// band holds codes into bandKeys().
    struct PlotColumns {
        std::span<const double> jd;
        std::span<const float> mag;
        std::span<const std::int32_t> color;
        std::span<const std::uint16_t> band;
    };
    PlotColumns plotColumns() const;
    /// The stored bands by code: the Band text, trimmed (it may be empty). Code
    /// kDiscrepantBand stands for every row flagged discrepant, whatever its band.
    const std::vector<QString>& bandKeys() const;
    /// Index range [first, last) of plotColumns() with from <= JD <= to.
    std::pair<std::size_t, std::size_t> window(double from, double to) const;
    /// Sets the phase of plot row i (an index into plotColumns()).
    void setPhase(std::size_t i, float phase);
    /// Same for a contiguous block starting at first.
    void setPhases(std::size_t first, std::span<const float> phases);
    /// Writes pending phases into Obs.Phas. query() calls it first.
    void flushPhases();

    /// The phases as query() would read them from Obs.Phas, without writing
    /// them there first: one entry per row whose Faint is not "<", in the order
    /// of plotColumns(), with its ID, its phase (NaN for a null) and its Mag
    /// (NaN for a null). nullopt when some such row has no JD or a Faint holding
    /// "<" among other text: those rows only the queries themselves describe.
    struct PhaseColumns {
        std::span<const std::int64_t> id;
        std::span<const float> phase;
        std::span<const float> mag;
    };
    std::optional<PhaseColumns> phaseColumns() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace varilume
