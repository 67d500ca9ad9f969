#include "import/TableRows.h"

#include "import/ObsValues.h"
#include "import/TableFields.h"

#include <cmath>

namespace varilume {

namespace {

constexpr std::size_t kChunk = 8192;
// No magnitude of a star reaches it; tables write 99.99, 99.999, -99 or 999 for "none".
constexpr double kSentinel = 90;
constexpr double kMagPerLnFlux = 1.0857362047581294; // 2.5 / ln 10
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isWord(QByteArrayView t, const char* w) {
    qsizetype i = 0;
    for (; w[i]; ++i)
        if (i >= t.size() || lower(t[i]) != w[i])
            return false;
    return i == t.size();
}

/// Reads a cell as a number. mark, when given, takes a leading '<' or '>'.
FieldValue numberOf(const TableCell& c, bool decimalComma, double& v, bool* mark = nullptr) {
    if (c.numeric) {
        if (std::isnan(c.number))
            return FieldValue::Missing;
        if (!std::isfinite(c.number))
            return FieldValue::Bad;
        v = c.number;
        return FieldValue::Number;
    }
    QByteArrayView t = trimmedField(c.text);
    if (mark && !t.isEmpty() && (t[0] == '<' || t[0] == '>')) {
        *mark = true;
        t = t.sliced(1);
        if (!t.isEmpty() && t[0] == '=')
            t = t.sliced(1);
    }
    return readNumber(t, decimalComma, v);
}

/// A flag or limit cell that says yes: a nonzero number, or a word other than
/// "false", "no", "f", "n"; limits also by '<' or '>'.
bool says(const TableCell& c, bool decimalComma) {
    if (c.numeric)
        return !std::isnan(c.number) && c.number != 0;
    const QByteArrayView t = trimmedField(c.text);
    if (t.isEmpty())
        return false;
    double v = 0;
    switch (readNumber(t, decimalComma, v)) {
    case FieldValue::Number:
        return v != 0;
    case FieldValue::Missing:
        return false;
    case FieldValue::Bad:
        break;
    }
    return !(isWord(t, "false") || isWord(t, "no") || isWord(t, "f") || isWord(t, "n"));
}

} // namespace

TableRows::TableRows(const TableMapping& mapping, bool decimalComma, const ObservationSink& sink,
                     const SkipSink& skipped, TableReadResult& result)
    : mapping_(mapping), decimalComma_(decimalComma), sink_(sink), skipped_(skipped),
      result_(result) {
    const int n = int(mapping.roles.size());
    std::vector<int> mags, errs;
    int flux = -1;
    for (int c = 0; c < n; ++c) {
        switch (mapping.roles[std::size_t(c)]) {
        case ColumnRole::Time:
            time_ = c;
            break;
        case ColumnRole::Magnitude:
            mags.push_back(c);
            break;
        case ColumnRole::Flux:
            flux = c;
            break;
        case ColumnRole::Uncertainty:
            errs.push_back(c);
            break;
        case ColumnRole::Band:
            band_ = c;
            break;
        case ColumnRole::Flag:
            flags_.push_back(c);
            break;
        case ColumnRole::Limit:
            limits_.push_back(c);
            break;
        case ColumnRole::Ignore:
            break;
        }
    }
    const auto bandOf = [&](int c) {
        return c < int(mapping.bandOfColumn.size()) ? mapping.bandOfColumn[std::size_t(c)]
                                                    : QString();
    };
    if (mags.empty() && flux >= 0) {
        outputs_.push_back({flux, errs.empty() ? -1 : errs[0], true, bandOf(flux)});
    } else {
        flux_ = flux;
        for (const int m : mags) {
            Output o{m, -1, false, bandOf(m)};
            for (const int e : errs)
                if (o.err < 0 && (errs.size() == 1 || bandOf(e) == o.band))
                    o.err = e;
            outputs_.push_back(o);
        }
    }
    chunk_.reserve(kChunk);
}

const QString& TableRows::bandOf(const TableCell& cell, const QString& fallback) {
    const QByteArrayView t = trimmedField(cell.text);
    if (t.isEmpty())
        return fallback;
    // Tables hold few bands: the names already made are shared, not made again.
    for (const auto& [bytes, name] : bands_)
        if (t == QByteArrayView(bytes))
            return name;
    if (bands_.size() >= kBandCache)
        bands_.erase(bands_.begin());
    bands_.emplace_back(t.toByteArray(), QString::fromUtf8(t));
    return bands_.back().second;
}

void TableRows::skip(SkipReason reason) {
    ++result_.skipped[std::size_t(reason)];
    rowReasons_.push_back(reason);
}

void TableRows::report(qint64 line, const QString& text) {
    if (!skipped_)
        return;
    for (const SkipReason r : rowReasons_)
        skipped_(SkippedRow{line, r, text});
}

void TableRows::addRow(const std::vector<TableCell>& cells, qint64 line) {
    static const TableCell kEmpty;
    const auto cell = [&](int c) -> const TableCell& {
        return c >= 0 && c < int(cells.size()) ? cells[std::size_t(c)] : kEmpty;
    };
    double t = 0;
    switch (numberOf(cell(time_), decimalComma_, t)) {
    case FieldValue::Missing:
        return skip(SkipReason::MissingTime);
    case FieldValue::Bad:
        return skip(SkipReason::Unreadable);
    case FieldValue::Number:
        break;
    }
    const double jd = t + mapping_.timeOffset;
    if (!(jd > 0 && jd < kMaxJD))
        return skip(SkipReason::Unreadable);
    bool flagged = false;
    for (const int f : flags_)
        flagged = flagged || says(cell(f), decimalComma_);
    if (flagged && !mapping_.keepFlagged)
        return skip(SkipReason::Flagged);
    bool limitRow = false;
    for (const int l : limits_) {
        const QByteArrayView mark = trimmedField(cell(l).text);
        limitRow = limitRow || says(cell(l), decimalComma_) ||
                   (!mark.isEmpty() && (mark[0] == '<' || mark[0] == '>'));
    }

    for (const Output& o : outputs_) {
        double v = 0;
        bool mark = false;
        const FieldValue got =
            numberOf(cell(o.value), decimalComma_, v, o.isFlux ? nullptr : &mark);
        if (got == FieldValue::Bad) {
            skip(SkipReason::Unreadable);
            continue;
        }
        // A flux's uncertainty is in its units: no sentinel applies to it.
        const bool errOfFlux = o.isFlux || flux_ >= 0;
        double e = kNaN;
        const bool hasErr = numberOf(cell(o.err), decimalComma_, e) == FieldValue::Number &&
                            e >= 0 && (errOfFlux || e < kSentinel);
        TableObservation obs;
        if (o.isFlux) {
            if (got == FieldValue::Missing) {
                skip(SkipReason::NaNFlux);
                continue;
            }
            if (!(v > 0)) {
                skip(SkipReason::NonPositiveFlux);
                continue;
            }
            obs.mag = mapping_.fluxZeroPoint - 2.5 * std::log10(v);
            obs.err = hasErr ? kMagPerLnFlux * e / v : kNaN;
        } else {
            if (got == FieldValue::Missing || std::fabs(v) >= kSentinel) {
                skip(SkipReason::MissingValue);
                continue;
            }
            obs.mag = v;
            obs.err = hasErr ? e : kNaN;
            if (hasErr && flux_ >= 0) { // the uncertainty is the flux's
                double f = 0;
                obs.err = numberOf(cell(flux_), decimalComma_, f) == FieldValue::Number && f > 0
                              ? kMagPerLnFlux * e / f
                              : kNaN;
            }
        }
        obs.upperLimit = mark || limitRow;
        if (obs.upperLimit && !mapping_.keepUpperLimits) {
            skip(SkipReason::UpperLimit);
            continue;
        }
        obs.jd = jd;
        obs.flagged = flagged;
        obs.line = line;
        obs.band = band_ >= 0 ? bandOf(cell(band_), o.band) : o.band;
        chunk_.push_back(std::move(obs));
        if (chunk_.size() >= kChunk && !flush())
            return;
    }
}

bool TableRows::flush() {
    if (stopped_)
        return false;
    if (chunk_.empty())
        return true;
    const bool go = !sink_ || sink_(std::span<const TableObservation>(chunk_));
    result_.loaded += qint64(chunk_.size());
    chunk_.clear();
    stopped_ = !go;
    return go;
}

} // namespace varilume
