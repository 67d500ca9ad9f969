#pragma once

#include <QString>
#include <QStringView>

namespace varilume {

/// Julian Dates the importers accept: above 0 and below 1e8, which keeps reduced
/// dates such as HJD - 2450000 and turns away dates no observation can have (their
/// scales and phases would lose every digit).
inline constexpr double kMaxJD = 1e8;

/// The numbers of one observation as read from its text.
struct ObsNumbers {
    double jd = 0;
    float mag = 0;
};

/// Checks the JD and magnitude texts of a line before they reach the store: both
/// must read as finite numbers, the JD within (0, kMaxJD), the magnitude as a
/// single without overflow or underflow to zero (1e-50 is no magnitude of 0).
/// Returns an empty text when they are sound, else the reason in words.
QString checkObsNumbers(QStringView jdText, QStringView magText, ObsNumbers* out = nullptr);

} // namespace varilume
