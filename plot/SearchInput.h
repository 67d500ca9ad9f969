#pragma once

#include "plot/Bands.h"
#include "search/PeriodSearch.h"
#include "store/Context.h"

#include <QStringList>
#include <vector>

namespace varilume {

/// What goes into a period search: the bands chosen (their keys), and whether
/// to weight by the observers' uncertainties.
struct SearchChoice {
    QStringList bands;
    bool weighted = false;
};

/// The bands of the current JD window (fainter-than estimates are never among them).
std::vector<Band> searchBands(Context& ctx);

/// The band choice a search starts from: every band shown in the plot except
/// the discrepant observations. The window and the batch command both start
/// here, so the same file gives the same period in both.
QStringList defaultSearchBands(const ProjectState& state, const std::vector<Band>& bands);

/// Observations of the current JD window with an uncertainty that can weight them.
std::size_t countWithUncertainty(Context& ctx);

/// The observations of the current JD window in the chosen bands, in JD order.
/// Weighted, only those with a positive uncertainty go in; leftOut counts the others.
struct SearchInput {
    SearchData data;
    std::size_t leftOut = 0;
};
SearchInput searchInput(Context& ctx, const SearchChoice& choice);

} // namespace varilume
