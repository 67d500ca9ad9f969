#include "plot/SearchInput.h"

#include "format/NumberFormat.h"

#include <cmath>

namespace varilume {

namespace {

// One flag per band code: in the choice or not.
std::vector<char> chosenMask(const ObsStore& store, const SearchChoice& choice) {
    const auto& keys = store.bandKeys();
    std::vector<char> mask(keys.size());
    for (std::size_t code = 0; code < keys.size(); ++code)
        mask[code] =
            choice.bands.contains(code == kDiscrepantBand ? discrepantBandKey() : keys[code]);
    return mask;
}

// The same rows as the plot columns of the window, in the same order, with the
// uncertainty the plot does not keep.
QString windowQuery(const ProjectState& s, const QString& columns, const QString& extra) {
    return QStringLiteral("SELECT ") + columns +
           QStringLiteral(" FROM Obs WHERE Faint <> '<' AND JD IS NOT NULL AND JD >= ") +
           fmt::query(s.JDFrom) + QStringLiteral(" AND JD <= ") + fmt::query(s.JDTo) + extra;
}

std::optional<double> uncertainty(const QString& text) {
    const auto v = fmt::parseNumber(text);
    if (!v || !usableError(*v)) // the search's own rule for weights
        return std::nullopt;
    return *v;
}

bool loaded(Context& ctx) {
    return ctx.state.StarLoaded && ctx.store.isBound();
}

} // namespace

std::vector<Band> searchBands(Context& ctx) {
    if (!loaded(ctx))
        return {};
    const auto [first, last] = ctx.store.window(ctx.state.JDFrom, ctx.state.JDTo);
    return bandsPresent(ctx.state, ctx.store, first, last);
}

QStringList defaultSearchBands(const ProjectState& state, const std::vector<Band>& bands) {
    QStringList out;
    for (const Band& b : bands)
        if (bandShown(state, b.key) && b.code != kDiscrepantBand)
            out.push_back(b.key);
    return out;
}

std::size_t countWithUncertainty(Context& ctx) {
    if (!loaded(ctx))
        return 0;
    std::size_t n = 0;
    Recordset r = ctx.store.queryWithoutPhases(windowQuery(ctx.state, QStringLiteral("Uncertain"),
                                                           QStringLiteral(" AND Uncertain <> ''")));
    for (; !r.eof(); r.moveNext())
        n += uncertainty(r.text(QStringLiteral("Uncertain"))) ? 1 : 0;
    return n;
}

SearchInput searchInput(Context& ctx, const SearchChoice& choice) {
    SearchInput in;
    if (!loaded(ctx))
        return in;
    const std::vector<char> chosen = chosenMask(ctx.store, choice);
    const auto [first, last] = ctx.store.window(ctx.state.JDFrom, ctx.state.JDTo);
    const auto cols = ctx.store.plotColumns();
    if (!choice.weighted) {
        // The plot columns already hold what an unweighted search needs.
        for (std::size_t i = first; i < last; ++i) {
            if (!chosen[cols.band[i]])
                continue;
            in.data.times.push_back(cols.jd[i]);
            in.data.mags.push_back(cols.mag[i]);
        }
        return in;
    }
    // The query walks the plot rows of the window in their order (JD, then load
    // order), so row i of it is plot row first + i and carries that band.
    Recordset r = ctx.store.queryWithoutPhases(windowQuery(
        ctx.state, QStringLiteral("JD, Uncertain"), QStringLiteral(" ORDER BY JD, ID")));
    for (std::size_t i = first; !r.eof() && i < last; r.moveNext(), ++i) {
        if (r.number(QStringLiteral("JD")) != cols.jd[i])
            throw StoreError(StoreError::Engine,
                             QStringLiteral("The observations changed while they were read."));
        if (!chosen[cols.band[i]])
            continue;
        const auto e = uncertainty(r.text(QStringLiteral("Uncertain")));
        if (!e) {
            ++in.leftOut;
            continue;
        }
        in.data.times.push_back(cols.jd[i]);
        in.data.mags.push_back(cols.mag[i]);
        in.data.errors.push_back(*e);
    }
    return in;
}

} // namespace varilume
