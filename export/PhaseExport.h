#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace varilume {

/// What an export did: the lines written, or why it stopped.
struct ExportResult {
    enum class Status { Done, Failed, Busy };
    Status status = Status::Done;
    /// The reason of a failure (file, store or phase), for the error message.
    QString error;
    qint64 lines = 0; // data lines written
    bool ok() const { return status == Status::Done; }
};

/// The save dialog of both exports: "Text Files (*.txt)" chosen, in the folder
/// of the last save (else the data folder), proposing the star's name + ending.
FileDialogSpec exportDialogSpec(const ProjectState& s, const QString& ending);

/// One row of the phase-sorted file.
struct PhaseMag {
    float phase;
    float mag;
    bool operator==(const PhaseMag&) const = default;
};

/// The rows of the phase-sorted file: those of the query
/// " SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; " in its order, less
/// those whose Faint holds "<" and those without a phase or magnitude (rows
/// outside every plotted window). Read from the phases the last plot left in
/// memory where the store has them all, else by running the query.
std::vector<PhaseMag> phaseSortedRows(ObsStore& store);
/// The same rows, always by running the query.
std::vector<PhaseMag> phaseSortedRowsByQuery(ObsStore& store);

/// Writes the phase-sorted file to path, dated `when`, with the busy display.
/// Busy (nothing done) while a plot or another export runs.
ExportResult SavePhaseSorted(Context& ctx, PlotView& view, const QString& path,
                             const QDateTime& when);

/// Writes the JD-ordered file (every observation in load order, its phase
/// computed afresh at the current Period) to path, dated `when`. Lines written
/// before a failure stay in the file.
ExportResult SaveFile(Context& ctx, PlotView& view, const QString& path, const QDateTime& when);

} // namespace varilume
