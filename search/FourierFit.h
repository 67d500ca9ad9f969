#pragma once

// The light curve as a Fourier series at one frequency,
//     m(t) = A0 + sum_{k=1..K} [a_k cos 2 pi k f (t - tm) + b_k sin 2 pi k f (t - tm)],
// fitted by weighted least squares (weights 1/sigma^2 when every error is
// positive), with times taken from tm, the middle of the data, so that the
// columns stay nearly orthogonal and the phases carry no rounding from JD
// 2,460,000. The frequency may be fitted too (non-linear least squares).
//
// The shape is also given as the sine series
//     m(t) = mean + sum A_k sin(2 pi k f (t - T0) + phi_k),  T0 = epochMax,
// phases in radians in [0, 2 pi); then phi21 = phi2 - 2 phi1 and
// phi31 = phi3 - 3 phi1 (Simon & Lee 1981) do not depend on the time origin.
// The cosine-series values some catalogues use are phi21 + pi/2 and phi31 + pi.
//
// Every number comes with its standard error, propagated from the covariance
// of the fit (scaled by the residual variance) through the exact derivatives.

#include "search/PeriodSearch.h"

#include <string>
#include <vector>

namespace varilume {

constexpr int MaxFourierOrder = 12;

struct FourierSettings {
    double frequency = 0; // cycles/day, the start value when free
    int order = 0;        // 1..MaxFourierOrder; 0: chosen by BIC
    bool freeFrequency = false;
    bool useWeights = true; // 1/error^2, when every error is positive
    int threads = 0;        // 0: every core
};

/// A number and its standard error (sigma < 0: none).
struct Estimate {
    double value = 0;
    double sigma = -1;
};

struct FourierFit {
    bool ok = false;
    std::string reason; // one line, set when not ok

    int order = 0;
    double tm = 0;      // the time origin of the cosine/sine coefficients
    Estimate frequency; // sigma only when fitted
    Estimate period;    // 1 / frequency
    bool weighted = false;
    // A0, a1, b1, ..., aK, bK, then f when free; covariance row-major over them.
    std::vector<double> coefficients;
    std::vector<double> covariance;

    Estimate mean;                    // A0
    Estimate amplitude;               // peak to peak of the model
    Estimate epochMax;                // maximum brightness (least magnitude) nearest tm, full JD
    Estimate epochMin;                // minimum brightness after epochMax
    std::vector<Estimate> amplitudes; // A_1 .. A_K
    std::vector<Estimate> phases;     // phi_1 .. phi_K, radians [0, 2 pi), at T0 = epochMax
    Estimate r21, r31, phi21, phi31;  // sigma < 0 (and value NaN) when the order is too low
    Estimate rms;                     // weighted rms of the residuals; sigma rms / sqrt(2 (n - p))
    double bic = 0;
    std::size_t points = 0;
    std::vector<double> residuals; // observed minus model, in the order of the input
};

/// Fits the series. Fails (with a reason) on too few points, a frequency
/// that is not positive, or terms the sampling cannot tell apart.
FourierFit fitFourier(const SearchData& data, const FourierSettings& settings);

/// The model at time t (days, same scale as the data).
double fourierModel(const FourierFit& fit, double t);

/// The model over one cycle from epochMax: `points` magnitudes at phases
/// 0, 1/points, ..., for drawing over the folded plot.
std::vector<double> fourierCurve(const FourierFit& fit, int points);

/// The model's derivative dm/dt at time t.
double fourierSlope(const FourierFit& fit, double t);

/// The data less the model plus its mean (the stored observations are never
/// changed): the light curve to search for the next period, at its own level.
SearchData subtractModel(const SearchData& data, const FourierFit& fit);

} // namespace varilume
