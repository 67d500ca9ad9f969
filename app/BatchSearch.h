#pragma once

// The batch command: Varilume --search FILE [options]. Loads the file with the
// importers (layout recognised by content) into a store in memory, runs the
// period search and prints the peak list as CSV; --plot also writes the phase
// plot folded at the best period. No window, no settings file, no store file.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "export/SearchCsv.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "search/PeriodSearch.h"
#include "store/Context.h"

namespace varilume {

/// The command's options, or the reason they cannot be used.
struct BatchOptions {
    QString file;
    SearchSettings settings;
    QString plotFile; // empty: no plot
    QString error;    // set when the arguments are unusable
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

/// A file read the way every batch mode reads it (layout recognised by
/// content, into a store in memory; the importers' notes into a scratch
/// folder that goes away with it), and its usable observations: no
/// fainter-than or discrepant estimates, in JD order.
struct BatchStar {
    QTemporaryDir scratch;
    ProjectState state;
    ObsStore store;
    SilentPlatform platform;
    Context ctx{state, store, platform};
    OffscreenPlotView view;
    SearchData data;
    QString warning; // a line for standard error when lines were left out

    /// Reads the file: an empty string, or the reason it could not.
    QString load(const QString& path);
};

/// Runs the command. Needs a QGuiApplication (the plot draws text).
BatchOutcome runBatchSearch(const BatchOptions& options);

/// main() for the batch command: makes its own headless application.
int batchSearchMain(int argc, char** argv);

} // namespace varilume
