#pragma once

#include "import/TableLayout.h"

#include <QString>
#include <vector>

namespace varilume {

/// What a column of a light-curve table holds.
enum class ColumnRole {
    Ignore,      // not read
    Time,        // the date of the observation (see TimeSystem)
    Magnitude,   // a magnitude; "<17.3" or ">17.3" marks a fainter-than estimate
    Flux,        // a flux, turned into a magnitude (TableMapping::fluxZeroPoint)
    Uncertainty, // the uncertainty of the magnitude, or of the flux when the brightness is a flux
    Band,        // the band or filter name of the row
    Flag,        // nonzero (or "true", "yes") marks a flagged row
    Limit,       // nonzero (or "true", "yes", "<", ">") marks the magnitude as an upper limit;
                 // not a column of limiting magnitudes (those are ignored)
};

/// The time scale a time column is written in. Every one is turned into a full JD
/// by adding TableMapping::timeOffset; the system only names the offset.
enum class TimeSystem {
    JD,        // full (H/B)JD, offset 0
    MJD,       // JD - 2400000.5
    ReducedJD, // JD - 2400000 or JD - 2450000 (the offset says which)
    BTJD,      // TESS: BJD - 2457000
    GaiaBJD,   // Gaia epoch photometry: BJD - 2455197.5
    KeplerBJD, // Kepler / K2: BJD - 2454833
    Offset,    // any other offset (a FITS header's, or the user's)
};

/// The offset a time system adds (ReducedJD: 2450000; Offset: 0).
double defaultTimeOffset(TimeSystem system);
/// Short name of a time system: "JD", "MJD", "reduced JD", "BTJD", "Gaia BJD",
/// "Kepler BJD", "offset".
QString timeSystemName(TimeSystem system);
/// Name of a role as the dialog shows it: "Ignore", "Time", "Magnitude", "Flux",
/// "Uncertainty", "Band", "Flag", "Limit".
QString roleName(ColumnRole role);

/// How to read a table's columns: which column is what, and how times and fluxes
/// become full JDs and magnitudes.
struct TableMapping {
    /// One role per column of the layout.
    std::vector<ColumnRole> roles;
    /// One entry per column: the band a Magnitude, Flux or Uncertainty column
    /// belongs to when the band is in the column's name ("Vmag", "e_Vmag"), else
    /// "". With several Magnitude columns (a wide table: Vmag, e_Vmag, Bmag,
    /// e_Bmag) each row gives one observation per Magnitude column, with the
    /// Uncertainty column of the same band. A Band column, when mapped, overrides it.
    std::vector<QString> bandOfColumn;
    /// Names timeOffset.
    TimeSystem timeSystem = TimeSystem::JD;
    /// Added to the time column's values to give a full JD.
    double timeOffset = 0;
    /// mag = fluxZeroPoint - 2.5 log10(flux). Defaults: AB magnitudes for a flux in
    /// Jy (8.90), mJy (16.40), uJy (23.90) or nJy (31.40) when the name or unit says
    /// so; else 0 (relative magnitudes, enough for a period).
    double fluxZeroPoint = 0;
    /// Flagged rows are loaded (marked) rather than skipped.
    bool keepFlagged = false;
    /// Upper limits are loaded as fainter-than estimates rather than skipped.
    bool keepUpperLimits = true;
    /// The recognition is certain: the dialog needs only Enter.
    bool sure = false;
    /// When not sure: what could not be settled, in one line (e.g. "2 time
    /// columns: hjd, mjd").
    QString why;

    bool operator==(const TableMapping&) const = default;
};

/// The mapping the names (and sample values) of a table's columns suggest. Case
/// and punctuation of the names do not matter; units in brackets ("flux(mJy)") are
/// read for the zero point.
///
/// When both a magnitude and a flux column exist the magnitude is read; the flux
/// column stays mapped only when the sole uncertainty is the flux's (Gaia: flux_error),
/// so that readTable() can turn it into a magnitude uncertainty.
TableMapping recogniseColumns(const TableLayout& layout);

/// Why a mapping cannot be read with this layout, in one line naming the columns
/// found (no time column, no magnitude or flux column, roles not matching the
/// columns); empty when it can.
QString checkMapping(const TableLayout& layout, const TableMapping& mapping);

} // namespace varilume
