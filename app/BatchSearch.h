#pragma once

// The batch command: Varilume --search FILE [options]. Loads the file with the
// importers (layout recognised by content) into a store in memory, runs the
// period search and prints the peak list as CSV; --plot also writes the phase
// plot folded at the best period. No window, no settings file, no store file.

#include <QString>
#include <QStringList>
#include <optional>

#include "export/SearchCsv.h"
#include "search/PeriodSearch.h"

namespace varilume {

/// The command's options, or the reason they cannot be used.
struct BatchOptions {
    QString file;
    SearchSettings settings;
    QString plotFile;     // empty: no plot
    QString spectrumFile; // empty: no spectrum CSV
    QString error;        // set when the arguments are unusable
};

/// True when the arguments ask for the batch command.
bool isBatchSearch(const QStringList& args);

/// Reads the arguments after the program name.
BatchOptions parseBatchOptions(const QStringList& args);

/// What the command writes: the CSV for standard output, or one line for
/// standard error, and the exit status (0 done, 2 bad input).
struct BatchOutcome {
    int exitCode = 0;
    QString out;
    QString err;
};

/// Runs the command. Needs a QGuiApplication (the plot draws text).
BatchOutcome runBatchSearch(const BatchOptions& options);

/// main() for the batch command: makes its own headless application.
int batchSearchMain(int argc, char** argv);

} // namespace varilume
