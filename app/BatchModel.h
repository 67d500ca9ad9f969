#pragma once

// The batch command's modelling modes, on a file read the way --search reads it:
//   Varilume --fit FILE --period P [--order K|auto] [--free-period]
//   Varilume --frequencies FILE --count N [--min-period D] [--max-period D]
//   Varilume --oc FILE --period P [--epoch E] [--group D] [--order K|auto]
// CSV on standard output; bad input: one line on standard error, exit 2.

#include "app/BatchSearch.h"

#include <QStringList>

namespace varilume {

/// True when the arguments ask for one of the modelling modes.
bool isBatchModel(const QStringList& args);

/// Runs the mode the arguments (after the program name) ask for.
/// Needs a QGuiApplication (the importers draw).
BatchOutcome runBatchModel(const QStringList& args);

/// main() for the modelling modes: makes its own headless application.
int batchModelMain(int argc, char** argv);

} // namespace varilume
