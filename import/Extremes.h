#pragma once

#include "store/ObsStore.h"
#include "store/State.h"

#include <QString>

namespace varilume {

/// What FindExtremes found, or why it found nothing.
struct ExtremesResult {
    enum class Status {
        Found,          // the ranges are set
        NoObservations, // the table is empty; the ranges keep their values
        StoreFailed,    // the store could not be read; error says why
    };
    Status status = Status::Found;
    QString error;
    /// The four range labels beside the plot, when found.
    QString minJD, maxJD, minMag, maxMag;

    bool found() const { return status == Status::Found; }
};

/// Sets MinMag, MaxMag, MinJD and MaxJD from every observation in Obs (fainter-than
/// estimates included). The phase epoch (MidJD) is the plot's: the Plotter sets
/// it from the window in force at each run. A single observation
/// widens the ranges by 1 magnitude and 100 days each way, since empty ranges
/// fit no scale.
ExtremesResult FindExtremes(ProjectState& s, ObsStore& store);

} // namespace varilume
