#pragma once

// The light-curve models as text: the fit's parameters, the model curve, the
// residuals, the O–C table and its ephemerides. The batch command prints
// them and the model windows save them, so both write one layout.

#include "search/FourierFit.h"
#include "search/MultiFrequency.h"
#include "search/OMinusC.h"

#include <QString>
#include <vector>

namespace varilume {

/// "parameter,value,sigma" and one row each for period, epoch_max (full JD),
/// mean, amplitude_pp, A1..AK, phi1..phiK, R21, R31, phi21, phi31, rms, order.
QString fitCsv(const FourierFit& fit);

/// "n,frequency,period,amplitude,phase,sigma_frequency,snr,note", one row per term.
QString frequenciesCsv(const MultiFrequencyFit& fit);

/// "phase,magnitude": the model over one cycle from the epoch of maximum,
/// `points` rows at phases 0, 1/points, ...
QString modelCurveCsv(const FourierFit& fit, int points);

/// "jd,residual": observed minus model at each observation's time.
QString residualsCsv(const std::vector<double>& times, const std::vector<double>& residuals);

/// "cycle,time_max,o_c,sigma", one row per group measured.
QString ocCsv(const OcResult& result);

/// The two ephemerides, one line each: "linear: P = … ± … d, E0 = … ± …" and
/// "quadratic: dP/dt = … ± … d/yr", or the reason either could not be had.
QString ephemerisLines(const OcResult& result);

} // namespace varilume
