#pragma once

#include "store/State.h"

#include <QString>
#include <cmath>
#include <span>
#include <stdexcept>

namespace varilume {

/// Raised when a phase cannot be computed: "Division by zero" for a period of
/// 0, "Overflow" when the cycle count is not a finite number.
class PhaseError : public std::runtime_error {
public:
    explicit PhaseError(const char* description) : std::runtime_error(description) {}
    QString description() const { return QString::fromLatin1(what()); }
};

/// The phase rule with its inputs (MidJD, Period, TwoCycles) taken once, for
/// loops over many dates; PhaseOf() is the same rule reading the state.
struct PhaseRule {
    double midJD;
    double period;
    bool twoCycles;

    explicit PhaseRule(const ProjectState& s)
        : midJD(s.MidJD), period(s.Period), twoCycles(s.TwoCycles) {}

    /// Phase of jd: in [-0.5, 0.5] for one cycle, in (-1, 1) with the sign of
    /// jd - midJD for two. Throws PhaseError.
    float operator()(double jd) const {
        if (period == 0)
            throw PhaseError("Division by zero");
        // Cycle count and fraction in double precision: tens of thousands of
        // cycles from the epoch still leave the fraction good to 1e-10.
        const double x = (jd - midJD) / period;
        if (!std::isfinite(x))
            throw PhaseError("Overflow");
        return fold(x);
    }

    /// The phase of a finite cycle count x.
    float fold(double x) const {
        double p = x - std::trunc(x);
        if (twoCycles) {
            const float f = static_cast<float>(p);
            // Rounding to float must not push a phase onto +-1, outside the range.
            if (std::fabs(f) >= 1.0f)
                return std::copysign(0.99999994f, f);
            return f;
        }
        if (p < -0.5)
            p += 1;
        if (p > 0.5)
            p -= 1;
        return static_cast<float>(p);
    }
};

/// Phases of many dates, out[i] for jd[i], computed on all cores. done is how
/// many lead the batch without a failure; a PhaseError at jd[done] leaves its
/// description in error. out past done holds nothing of use.
struct PhaseBatch {
    std::size_t done = 0;
    QString error;
};
PhaseBatch phasesOf(const PhaseRule& rule, std::span<const double> jd, std::span<float> out);

/// Phase of an observation at Julian Date jd for the current MidJD, Period and
/// TwoCycles. Throws PhaseError.
float PhaseOf(const ProjectState& s, double jd);

/// MidJD = the middle of the plotted window [JDFrom, JDTo]: the phase epoch
/// follows the window in force.
void SetMidJD(ProjectState& s);

} // namespace varilume
