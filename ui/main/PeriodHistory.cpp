#include "ui/main/PeriodHistory.h"

namespace varilume {

QString periodSourceName(PeriodSource source) {
    switch (source) {
    case PeriodSource::Typed:
        return QStringLiteral("typed");
    case PeriodSource::Step:
        return QStringLiteral("step");
    case PeriodSource::Estimate:
        return QStringLiteral("estimate");
    case PeriodSource::Search:
        return QStringLiteral("search");
    case PeriodSource::Reset:
        return QStringLiteral("reset");
    }
    return QString();
}

void PeriodHistory::record(float period, PeriodSource source, const QString& star) {
    if (!entries_.empty() && entries_[current_].period == period)
        return;
    if (!entries_.empty())
        entries_.resize(current_ + 1);
    entries_.push_back({period, source, star});
    if (entries_.size() > kCapacity)
        entries_.erase(entries_.begin(), entries_.begin() + (entries_.size() - kCapacity));
    current_ = entries_.size() - 1;
}

std::optional<PeriodHistory::Entry> PeriodHistory::back() {
    if (!canGoBack())
        return std::nullopt;
    return entries_[--current_];
}

std::optional<PeriodHistory::Entry> PeriodHistory::forward() {
    if (!canGoForward())
        return std::nullopt;
    return entries_[++current_];
}

std::optional<PeriodHistory::Entry> PeriodHistory::jumpTo(std::size_t index) {
    if (index >= entries_.size())
        return std::nullopt;
    current_ = index;
    return entries_[index];
}

std::vector<std::size_t> PeriodHistory::newest(std::size_t count) const {
    std::vector<std::size_t> out;
    for (std::size_t i = entries_.size(); i > 0 && out.size() < count; --i)
        out.push_back(i - 1);
    return out;
}

} // namespace varilume
