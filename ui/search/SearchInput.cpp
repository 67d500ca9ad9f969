#include "ui/search/SearchInput.h"

#include "format/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

bool chosen(const SearchChoice& choice, std::int32_t color) {
    return std::find(choice.colors.begin(), choice.colors.end(), color) != choice.colors.end();
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

} // namespace

std::vector<Band> searchBands(Context& ctx) {
    if (!ctx.state.StarLoaded || !ctx.store.isBound())
        return {};
    const auto [first, last] = ctx.store.window(ctx.state.JDFrom, ctx.state.JDTo);
    const auto colors = ctx.store.plotColumns().color;
    return bandsPresent(ctx.state, colors.subspan(first, last - first));
}

std::vector<std::int32_t> defaultSearchColors(const ProjectState& state,
                                              const std::vector<Band>& bands) {
    std::vector<std::int32_t> out;
    const std::int32_t discrepant = colorValue(state.ColorDISC);
    for (const Band& b : bands)
        if (bandShown(state, b.color) && b.color != discrepant)
            out.push_back(b.color);
    return out;
}

std::size_t countWithUncertainty(Context& ctx) {
    if (!ctx.state.StarLoaded || !ctx.store.isBound())
        return 0;
    std::size_t n = 0;
    Recordset r = ctx.store.query(windowQuery(ctx.state, QStringLiteral("Uncertain"),
                                              QStringLiteral(" AND Uncertain <> ''")));
    for (; !r.eof(); r.moveNext())
        n += uncertainty(r.text(QStringLiteral("Uncertain"))) ? 1 : 0;
    return n;
}

SearchInput searchInput(Context& ctx, const SearchChoice& choice) {
    SearchInput in;
    if (!ctx.state.StarLoaded || !ctx.store.isBound())
        return in;
    if (!choice.weighted) {
        // The plot columns already hold what an unweighted search needs.
        const auto [first, last] = ctx.store.window(ctx.state.JDFrom, ctx.state.JDTo);
        const auto cols = ctx.store.plotColumns();
        for (std::size_t i = first; i < last; ++i) {
            if (!chosen(choice, cols.color[i]))
                continue;
            in.data.times.push_back(cols.jd[i]);
            in.data.mags.push_back(cols.mag[i]);
        }
        return in;
    }
    Recordset r =
        ctx.store.query(windowQuery(ctx.state, QStringLiteral("JD, Mag, Uncertain, PunktFarb"),
                                    QStringLiteral(" ORDER BY JD, ID")));
    for (; !r.eof(); r.moveNext()) {
        if (!chosen(choice, r.integer(QStringLiteral("PunktFarb"))))
            continue;
        const auto e = uncertainty(r.text(QStringLiteral("Uncertain")));
        if (!e) {
            ++in.leftOut;
            continue;
        }
        in.data.times.push_back(r.number(QStringLiteral("JD")));
        in.data.mags.push_back(r.single(QStringLiteral("Mag")));
        in.data.errors.push_back(*e);
    }
    return in;
}

} // namespace varilume
