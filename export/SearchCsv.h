#pragma once

#include "search/PeriodSearch.h"

#include <QIODevice>
#include <QString>
#include <vector>

namespace varilume {

/// The peak list as CSV, for the batch command's standard output and the search
/// window's Copy and Save: a header
/// "rank,period,frequency,power,fap,sigma_period,note,harmonics,fap_red,verdict"
/// and one line per peak, best first; a missing FAP, sigma or harmonics
/// (methods other than GLS) is an empty field (the FAPs written by fapCsv).
QString peakListCsv(const std::vector<Peak>& peaks);

/// A verdict as the CSV and the window write it: "periodic", "red noise", "not significant".
QString verdictCsv(Verdict verdict);

/// The spectrum as CSV: "frequency,period,<statistic>[,window]", one line per
/// trial frequency computed.
QString spectrumCsv(const Spectrum& spectrum);

/// The false-alarm probability as the window's peak list shows it: three
/// digits, "< 1e-300" below that (a bare "0" would read as certainty); empty
/// when there is none (fap < 0).
QString fapText(double fap);

/// The false-alarm probability as the CSV writes it: always a number, the
/// smallest positive double (4.94e-324) where the probability is smaller still.
QString fapCsv(double fap);

/// The spectrum as CSV ("frequency,period,<statistic>") written straight to a
/// device a block at a time, for the batch command's --spectrum: 20 million
/// rows never sit in memory as text. False when a write fails.
bool writeSpectrumCsv(const Spectrum& spectrum, QIODevice& out);

/// A number as the CSV files write it: up to ten significant digits.
QString csvNumber(double value);

} // namespace varilume
