#pragma once

// The search methods in one table (names, what their statistic is called, which
// way is better) and the limits of their settings in one place: the core checks
// a plan against them, the window sets its controls from them, the batch
// command parses and checks its options with them.

#include <array>
#include <cstddef>
#include <string_view>

namespace varilume {

enum class SearchMethod {
    Gls,          // generalised Lomb–Scargle, floating mean: higher is better
    Pdm,          // phase dispersion minimisation, theta: lower is better
    StringLength, // string length of the folded curve: lower is better
};

struct MethodInfo {
    SearchMethod method;
    std::string_view key;       // batch command: --method gls
    std::string_view title;     // in messages: "PDM"
    std::string_view name;      // the window's peak list heading ("Power")
    std::string_view column;    // CSV column of the statistic ("power")
    std::string_view axisLabel; // the spectrum's value axis
    bool higherIsBetter;
};

inline constexpr std::array<MethodInfo, 3> SearchMethods{{
    {SearchMethod::Gls, "gls", "GLS", "Power", "power", "Power (higher is better)", true},
    {SearchMethod::Pdm, "pdm", "PDM", "\u03B8", "theta", "\u03B8 (lower is better)", false},
    {SearchMethod::StringLength, "string", "String length", "String length", "string_length",
     "String length (lower is better)", false},
}};

/// The row of a method.
const MethodInfo& methodInfo(SearchMethod method);
/// The row whose key is this ("gls", "pdm", "string"), or null.
const MethodInfo* methodByKey(std::string_view key);

/// The limits of the search settings.
namespace searchlimits {
inline constexpr int MinHarmonics = 1;
inline constexpr int MaxHarmonics = 4;
inline constexpr int MinPdmBins = 2;
inline constexpr int MaxPdmBins = 100;
inline constexpr int MinPdmCovers = 1;
inline constexpr int MaxPdmCovers = 10;
inline constexpr double MinOversample = 1;
inline constexpr double MaxOversample = 1000;
inline constexpr std::size_t MinPoints = 5;
// Beyond this the spectrum alone would take hundreds of megabytes: decades of
// data searched to 0.05 d stay well below it.
inline constexpr std::size_t MaxFrequencies = 20'000'000;
} // namespace searchlimits

} // namespace varilume
