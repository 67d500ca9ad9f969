#pragma once

#include "search/PeriodSearch.h"

#include <QString>
#include <vector>

namespace varilume {

/// The peak list as CSV, for the batch command's standard output and the search
/// window's Copy and Save: a header "rank,period,frequency,power,fap,sigma_period,note"
/// and one line per peak, best first; a missing FAP or sigma is an empty field.
QString peakListCsv(const std::vector<Peak>& peaks);

/// The spectrum as CSV: "frequency,period,<statistic>[,window]", one line per
/// trial frequency computed.
QString spectrumCsv(const Spectrum& spectrum);

/// A number as the CSV files write it: up to ten significant digits.
QString csvNumber(double value);

} // namespace varilume
