#pragma once

#include "plot/Bands.h"
#include "search/PeriodSearch.h"
#include "store/Context.h"

#include <cstdint>
#include <vector>

namespace varilume {

/// What goes into a period search: the bands chosen, and whether to weight by
/// the observers' uncertainties.
struct SearchChoice {
    std::vector<std::int32_t> colors;
    bool weighted = false;
};

/// The bands of the current JD window (fainter-than estimates are never among them).
std::vector<Band> searchBands(Context& ctx);

/// The band choice a new search starts from: every band shown in the plot,
/// except discrepant estimates.
std::vector<std::int32_t> defaultSearchColors(const ProjectState& state,
                                              const std::vector<Band>& bands);

/// Observations of the current JD window with an uncertainty that can weight them.
std::size_t countWithUncertainty(Context& ctx);

/// The observations of the current JD window in the chosen bands. Weighted, only
/// those with a positive uncertainty go in; leftOut counts the others.
struct SearchInput {
    SearchData data;
    std::size_t leftOut = 0;
};
SearchInput searchInput(Context& ctx, const SearchChoice& choice);

} // namespace varilume
