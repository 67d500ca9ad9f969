#pragma once

#include "canvas/Canvas.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "preview/OffscreenPreviewView.h"
#include "store/Context.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace varilume::fuzz {

/// Starts the Qt pieces the drawing needs (offscreen), once per process; the
/// shared LLVMFuzzerInitialize of every target calls it.
void startQt();

/// The silent platform, yielding at every chance: the code after a yield (the
/// columns taken afresh, the progress) runs in every input long enough to yield.
class FuzzPlatform : public SilentPlatform {
public:
    int yieldIntervalMs() const override { return 0; }
};

/// What the runs of one process share: the program folder (a temporary
/// directory, in memory where the system has one; each run overwrites the
/// files in it), the store in memory, the platform and the canvases of the main
/// window and the preview. Made once:
/// building them is most of the cost of a small run.
class Session {
public:
    QTemporaryDir dir;
    ProjectState state;
    ObsStore store;
    FuzzPlatform platform;
    Context ctx{state, store, platform};
    // Both shrunk, so that every drawing call runs on few pixels.
    OffscreenPlotView views;
    OffscreenPreviewView preview;

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Writes bytes to a file of the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes);
    /// What the program does after a successful load: the extremes, the preview
    /// over the whole range and zoomed, with its scales, the phase plot's scales
    /// and a plot at `period` (one or two cycles), then a replot at another
    /// period as a period step makes it. False when the load left nothing to plot.
    bool afterLoad(float period, bool twoCycles);
    /// The phase plot alone, at `period`, for a load already shown.
    void plotAt(float period, bool twoCycles);

private:
    Session();
    friend class Run;
    /// Default settings and an empty store: one statement, since preparing the
    /// store's statements afresh would cost more than the run.
    void reset();
};

/// One input's use of the process's session. Emptied again when the run ends,
/// so that a run frees what it took: libFuzzer runs an input again under the
/// leak checker whenever a run ends with more allocated than at its start.
class Run {
public:
    Run();
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    Session& s;

private:
    static Session& shared();
};

/// Bytes of a fuzz input.
inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace varilume::fuzz
