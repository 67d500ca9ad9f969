#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace varilume {

/// Where a period came from.
enum class PeriodSource {
    Typed,    // typed into the period box
    Step,     // a step up or down by the increment
    Estimate, // two clicks in the preview
    Search,   // chosen from a period search
    Reset,    // the default, on start, unload and a new preview
};

/// "typed", "step", "estimate", "search", "reset".
QString periodSourceName(PeriodSource source);

/// The periods taken, in order, with a cursor on the one in force: back and
/// forward step through them as a browser steps through pages, so a reset to
/// the default period or a slip of the keys loses nothing.
class PeriodHistory {
public:
    struct Entry {
        float period;
        PeriodSource source;
        QString star; // the star it was taken for, as the caption names it
    };
    /// Oldest entries go beyond this many.
    static constexpr std::size_t kCapacity = 200;

    /// A new period. Entries ahead of the cursor are dropped, as a
    /// new page drops a browser's forward list; the period already in force
    /// records nothing.
    void record(float period, PeriodSource source, const QString& star = QString());
    /// The entry before / after the cursor, which moves there; nullopt at an end.
    std::optional<Entry> back();
    std::optional<Entry> forward();
    /// Moves the cursor to entry index (0 = oldest).
    std::optional<Entry> jumpTo(std::size_t index);

    bool canGoBack() const { return !entries_.empty() && current_ > 0; }
    bool canGoForward() const { return current_ + 1 < entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::vector<Entry>& entries() const { return entries_; }
    /// Index of the entry in force; meaningless when empty().
    std::size_t current() const { return current_; }
    /// Indices of the newest count entries, newest first.
    std::vector<std::size_t> newest(std::size_t count) const;

private:
    std::vector<Entry> entries_;
    std::size_t current_ = 0;
};

} // namespace varilume
