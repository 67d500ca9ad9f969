#pragma once

// The batch command: Varilume --search FILE [options] (read by
// app/CommandLine.h). Loads the file with the importers (layout recognised by
// content) into a store in memory, runs the period search and prints the peak
// list as CSV; --plot also writes the phase plot folded at the best period.
// No window, no settings file, no store file.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "export/SearchCsv.h"
#include "import/ColumnChoices.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "search/PeriodSearch.h"
#include "store/Context.h"

namespace varilume {

/// The command's options.
struct BatchOptions {
    QString file;
    // Harmonics chosen by the data unless --harmonics names a number.
    SearchSettings settings = [] {
        SearchSettings s;
        s.harmonics = AutoHarmonics;
        return s;
    }();
    QString plotFile;      // empty: no plot
    QString spectrumFile;  // empty: no spectrum CSV
    ColumnChoices columns; // a table's columns where recognition cannot settle them
    // Many stars (app/BatchSummary.h): the files after FILE, a list of files
    // (one path a line) and the summary CSV; empty summaryFile: one star as above.
    QStringList moreFiles;
    QString listFile;
    QString summaryFile;
};

/// What the command writes: the CSV for standard output and the verdict as
/// one line for standard error, or the one line that says why not, and the
/// exit status (0 done, 2 bad input).
struct BatchOutcome {
    int exitCode = 0;
    QString out;
    QString err;
};

/// A file read the way every batch mode reads it (layout recognised by
/// content, into a store in memory; the importers' notes into a scratch
/// folder that goes away with it), and the observations a search starts
/// from: every band but the discrepant ones, no fainter-than estimates, in JD order.
struct BatchStar {
    QTemporaryDir scratch;
    ProjectState state;
    ObsStore store;
    SilentPlatform platform;
    Context ctx{state, store, platform};
    OffscreenPlotView view;
    SearchData data;
    QString warning;  // a line for standard error when lines were left out
    int rejected = 0; // lines that could not be read

    /// Reads the file, a table's columns as recognised or as columns names
    /// them: an empty string, or the reason it could not.
    QString load(const QString& path, const ColumnChoices& columns = {});
};

/// Runs the command. Needs a QGuiApplication (the plot draws text).
BatchOutcome runBatchSearch(const BatchOptions& options);

/// main() for the batch command: makes its own headless application.
int batchSearchMain(const BatchOptions& options, int argc, char** argv);

/// main() of every batch mode: a headless application, run(arguments after the
/// program name), its output written out; returns the exit status.
int runHeadless(int argc, char** argv,
                const std::function<BatchOutcome(const QStringList& args)>& run);

} // namespace varilume
