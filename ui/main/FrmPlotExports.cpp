// The main window's export and binning commands. The files are written by the
// export module; the window asks for the path and shows what went wrong.
#include "ui/main/FrmPlot.h"

#include "export/PhaseExport.h"
#include "export/SaveDialogs.h"
#include "ui/bins/FrmBins.h"

#include <QDateTime>

namespace varilume {

namespace {

bool requireStar(Context& ctx) {
    if (ctx.state.StarLoaded)
        return true;
    ctx.platform.message(QStringLiteral("No star file is loaded."),
                         QStringLiteral("No Star Loaded"), Buttons::Ok, Icon::Critical);
    return false;
}

using Exporter = ExportResult (*)(Context&, PlotView&, const QString&, const QDateTime&);

void runExport(Context& ctx, PlotView& view, Exporter exporter, const QString& ending) {
    if (ctx.state.Plotting || !requireStar(ctx))
        return;
    const auto path = ctx.platform.saveFile(exportDialogSpec(ctx.state, ending));
    if (!path)
        return;
    ctx.state.FileName = *path;
    const ExportResult r = exporter(ctx, view, *path, QDateTime::currentDateTime());
    if (r.status == ExportResult::Status::Failed)
        ctx.platform.reportError(r.error, QStringLiteral("SaveFile"));
    else
        rememberSave(ctx.state, *path);
}

} // namespace

void FrmPlot::mnuSaveSort() {
    runExport(ctx_, *this, &SavePhaseSorted, QStringLiteral(" sorted.txt"));
}

void FrmPlot::mnuSaveJD() {
    runExport(ctx_, *this, &SaveFile, QStringLiteral(" JD.txt"));
}

void FrmPlot::mnuAverage() {
    if (state_.Plotting || !requireStar(ctx_))
        return;
    state_.BinsShown = true;
    FrmBins bins(
        ctx_, *this, [this](bool rescale) { replot(rescale); }, this);
    ctx_.platform.execDialog(bins);
}

} // namespace varilume
