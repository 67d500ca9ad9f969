// The main window's commands: loading, unloading, the period controls and the
// replot. The work itself is done by the import, plot and store modules.
#include "ui/main/FrmPlot.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"
#include "import/ColumnRoles.h"
#include "import/Extremes.h"
#include "import/Importer.h"
#include "import/TableLayout.h"
#include "import/TwoColumnImport.h"
#include "platform/FileSystem.h"
#include "plot/Bands.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "settings/TableMappings.h"
#include "store/WorkingStore.h"
#include "ui/dialogs/FrmTableMapping.h"
#include "ui/main/PeriodSteps.h"
#include "ui/preview/FrmPreview.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace varilume {

namespace {
const QString kOpenFilter = QStringLiteral("All Files (*.*)|*.*|");
const QString kTableFilter =
    QStringLiteral("Light-Curve Tables (*.csv *.txt *.dat *.tbl *.ecsv *.tsv *.fits *.fit "
                   "*.fts)|*.csv;*.txt;*.dat;"
                   "*.tbl;*.ecsv;*.tsv;*.fits;*.fit;*.fts|All Files (*.*)|*.*|");
// How soon a close deferred by a running plot is tried again.
constexpr int kIdleRetryMs = 20;
} // namespace

bool FrmPlot::askUnload(const QString& title, const QString& textStart) {
    const Answer a =
        ctx_.platform.message(textStart + state_.StarName.trimmed() + QStringLiteral(" ?"), title,
                              Buttons::OkCancel, Icon::Question);
    if (a != Answer::Ok)
        return false;
    return ClearStar();
}

void FrmPlot::mnuClear() {
    if (state_.StarLoaded && !state_.storeBusy())
        askUnload(QStringLiteral("Unload Current Star?"), QStringLiteral("Unload current star "));
}

bool FrmPlot::ClearStar() {
    state_.FileName.clear();
    state_.LoadedFile.clear();
    for (CanvasWidget* c : pics_.all())
        c->canvas().clear();
    pics_.refresh();
    lblStarName_->clear();
    state_.StarName.clear();
    period_->setStar(QString(), QString());
    period_->reset();
    state_.NumRecords = 0;
    state_.MaxMag = state_.MinMag = 0;
    state_.MaxJD = state_.MinJD = state_.JDFrom = state_.JDTo = state_.MidJD = 0;
    state_.XYZLoaded = state_.BinsShown = state_.ZoomMode = false;
    state_.HiddenBands.clear();
    setStatusPanel(1, QString());
    // The phase and magnitude readouts belong to the star just unloaded.
    clearReadouts();
    pics_.setVisible(false);
    picORBIS_->show();
    lblPrg_->clear();
    lblPrg_->hide();
    prgLoad_->hide();
    cmdLoad_->show();
    cmdLoadXYZ_->show();
    Label1_->show();
    Label2_->show();
    lblCopyright_->show();
    fraAction_->hide();
    fraUrCycles_->show();
    mnuPrint_->setEnabled(false);
    mnuSaveImage_->setEnabled(false);
    mnuPreview_->setEnabled(false);
    ctx_.store.unbind();
    DeleteFile(state_.storePath());
    state_.PlotCaption.clear();
    mnuClear_->setEnabled(false);
    state_.StarLoaded = false;
    state_.Plotting = false;
    fillBandsMenu();
    emit observationsChanged();
    if (!PrepareStore(state_, ctx_.platform) || !OpenWorkingStore(ctx_)) {
        host_.endNow(1);
        return false;
    }
    return true;
}

bool FrmPlot::readyToLoad(DataFileKind kind) {
    if (state_.storeBusy())
        return false; // a load or plot is yielding; the store must not change under it
    if (state_.StarLoaded &&
        !(kind != DataFileKind::Orbis ? askUnload(QStringLiteral("Unload Current File?"),
                                                  QStringLiteral("Unload current file "))
                                      : askUnload(QStringLiteral("Unload Current Star?"),
                                                  QStringLiteral("Unload current star "))))
        return false;
    ctx_.platform.processEvents();
    return !state_.storeBusy();
}

void FrmPlot::cmdLoad() {
    chooseAndLoad(DataFileKind::Orbis);
}

void FrmPlot::cmdLoadXYZ() {
    chooseAndLoad(DataFileKind::TwoColumn);
}

void FrmPlot::mnuOpenTable() {
    chooseAndLoad(DataFileKind::Table);
}

void FrmPlot::chooseAndLoad(DataFileKind kind) {
    if (!readyToLoad(kind))
        return;
    const auto file =
        ctx_.platform.openFile({QString(), kind == DataFileKind::Table ? kTableFilter : kOpenFilter,
                                1, state_.FilePath, QString()});
    if (file)
        loadDataFile(*file, kind);
}

std::shared_ptr<const TableMapping> FrmPlot::askTableMapping(const QString& file) {
    const TableLayout layout = sniffTable(file);
    if (!layout.error.isEmpty()) {
        ctx_.platform.message(
            QDir::toNativeSeparators(file) +
                QStringLiteral(" cannot be read as a light-curve table: ") + layout.error,
            QStringLiteral("Open Light-Curve Table"), Buttons::Ok, Icon::Exclamation);
        return nullptr;
    }
    const TableMappings remembered(state_);
    const TableMapping suggested = remembered.find(layout).value_or(recogniseColumns(layout));
    FrmTableMapping dialog(ctx_, file, layout, suggested, this);
    if (ctx_.platform.execDialog(dialog) != QDialog::Accepted)
        return nullptr;
    auto chosen = std::make_shared<const TableMapping>(dialog.mapping());
    // A failed write only costs the next load of this kind of table one more look.
    TableMappings(state_).remember(layout, *chosen);
    return chosen;
}

void FrmPlot::loadDataFile(const QString& file, DataFileKind kind) {
    const Importer* importer = importerFor(kind);
    if (!importer)
        return;
    ImportRequest request{file, nullptr};
    if (kind == DataFileKind::Table) {
        request.mapping = askTableMapping(file);
        if (!request.mapping)
            return;
    }
    state_.LoadedFile = file;
    if (kind != DataFileKind::Orbis) {
        state_.XYZFileName = file;
        state_.XYZLoaded = true;
        state_.StarName = StarNameFromPath(file);
        setStatusPanel(1, QStringLiteral("File: ") + state_.XYZFileName);
    } else {
        state_.FileName = file;
        state_.BinPhase.clear();
        state_.BinMag.clear();
        state_.BinSD.clear();
    }
    cmdLoad_->hide();
    cmdLoadXYZ_->hide();
    fraUrCycles_->hide();
    mnuClear_->setEnabled(true);
    const auto ran =
        runImport([this, importer, &request] { return importer->import(ctx_, *this, request); });
    if (!ran)
        return;
    const ImportResult& result = *ran;
    hideBusyCaption();
    hideProgress();
    if (!result.ok()) {
        failedLoad(result);
        return;
    }
    state_.StarLoaded = true;
    // The periods tried on this star before come back with it.
    period_->setStar(file + u'\n' + state_.StarName, state_.StarName.trimmed().toUpper());
    mnuPreview_->setEnabled(true);
    if (!showExtremes()) {
        // Nothing to show: a load that stops here leaves nothing behind.
        ClearStar();
        return;
    }
    ShowPreview();
    QString panel = QStringLiteral("File: ") + file;
    if (result.excluded > 0)
        panel += QStringLiteral("  (%1 differential magnitudes left out)").arg(result.excluded);
    if (!result.note.isEmpty())
        panel += QStringLiteral("  (") + result.note + u')';
    if (kind == DataFileKind::Orbis || !result.note.isEmpty())
        setStatusPanel(1, panel);
    afterImport(state_.StarLoaded);
    if (state_.StarLoaded)
        rememberFile(file);
}

bool FrmPlot::showExtremes() {
    const ExtremesResult r = FindExtremes(state_, ctx_.store);
    switch (r.status) {
    case ExtremesResult::Status::Found: {
        // With bands hidden the magnitude scale and its labels span what is shown.
        const ObsStore::PlotColumns cols = ctx_.store.plotColumns();
        if (const auto shown =
                shownMagRange(shownBandMask(state_, ctx_.store), cols.mag, cols.band)) {
            state_.MinMag = shown->min;
            state_.MaxMag = shown->max;
            setRangeLabels(r.minJD, r.maxJD,
                           QStringLiteral("Min Mag = ") + fmt::general(state_.MinMag),
                           QStringLiteral("Max Mag = ") + fmt::general(state_.MaxMag));
        } else {
            setRangeLabels(r.minJD, r.maxJD, r.minMag, r.maxMag);
        }
        return true;
    }
    case ExtremesResult::Status::NoObservations:
        ctx_.platform.message(QStringLiteral("No observations of ") + state_.StarName +
                                  QStringLiteral(" in this JD interval."),
                              QStringLiteral("No Observations"), Buttons::Ok, Icon::None);
        HidePlot();
        return false;
    case ExtremesResult::Status::StoreFailed:
        ctx_.platform.reportError(r.error, QStringLiteral("FindExtremes"));
        return false;
    }
    return false;
}

std::optional<ImportResult> FrmPlot::runImport(const std::function<ImportResult()>& import) {
    state_.Loading = true;
    ImportResult result = import();
    state_.Loading = false;
    if (closeWhenIdle_) {
        // The window was closed while the load yielded; the close waited for it.
        closeWhenIdle_ = false;
        host_.ShutDown();
        return std::nullopt;
    }
    return result;
}

bool FrmPlot::shutDownWhenIdle() {
    if (!state_.storeBusy() && !inPlotRun_) {
        host_.ShutDown();
        return true;
    }
    // A load or plot yields beneath this event: ending now would take the store
    // from under it. A load ends the program itself when it returns (its caller
    // must not go on); anything else is asked again once it may have unwound.
    if (!closeWhenIdle_ && !state_.Loading)
        QTimer::singleShot(kIdleRetryMs, this, [this] {
            closeWhenIdle_ = false;
            shutDownWhenIdle();
        });
    closeWhenIdle_ = true;
    return false;
}

void FrmPlot::failedLoad(const ImportResult& result) {
    // Whatever the reason, nothing of a failed load may stay behind: the next
    // load would add to it.
    ctx_.platform.message(result.text, result.title, Buttons::Ok, result.icon);
    ClearStar();
}

void FrmPlot::afterImport(bool ok) {
    if (!ok) {
        pics_.setVisible(false);
        prgLoad_->hide();
        lblPrg_->hide();
        cmdLoad_->show();
        cmdLoadXYZ_->show();
        fraUrCycles_->show();
        return;
    }
    fillBandsMenu();
    emit observationsChanged();
    pics_.setVisible(true);
    fraAction_->show();
    mnuPrint_->setEnabled(true);
    mnuSaveImage_->setEnabled(true);
    if (txtPeriod_->isVisible())
        txtPeriod_->setFocus();
    Label1_->hide();
    Label2_->hide();
    lblCopyright_->hide();
}

void FrmPlot::ShowPreview() {
    hide();
    state_.JDTo = state_.MaxJD;
    state_.JDFrom = state_.MinJD;
    runPreview(ctx_, *this,
               [this](float period) { period_->set(period, TrialPeriod::Source::Estimate); });
    emit observationsChanged(); // the JD window may have changed
    ShowPlot();
    replot(true);
    show();
}

void FrmPlot::mnuPreview() {
    if (state_.Plotting)
        return;
    if (!state_.StarLoaded) {
        ctx_.platform.message(QStringLiteral("No star file is loaded."),
                              QStringLiteral("No Star Loaded"), Buttons::Ok, Icon::Critical);
        return;
    }
    period_->reset();
    ShowPreview();
}

void FrmPlot::replot(bool rescale) {
    if (state_.Plotting || inPlotRun_) {
        // Runs never nest: a request during a plot runs once that plot ends.
        pendingReplot_ = true;
        pendingRescale_ = pendingRescale_ || rescale;
        return;
    }
    do {
        pendingReplot_ = false;
        inPlotRun_ = true;
        if (rescale)
            Scaler(ctx_, *this);
        Plotter(ctx_, *this);
        inPlotRun_ = false;
        rescale = pendingRescale_;
        pendingRescale_ = false;
    } while (pendingReplot_ && state_.StarLoaded);
    if (busyLook_.pending())
        ShowPlot();
    if (state_.StarLoaded) {
        drawModel();
        emit periodPlotted(state_.Period);
    }
}

void FrmPlot::cmdIncrDn() {
    if (state_.storeBusy() || !state_.StarLoaded)
        return;
    stepPeriod(stepPeriodDown(period_->value(), incrementInForce(), ctrlDown()));
}

void FrmPlot::cmdIncrUp() {
    if (state_.storeBusy() || !state_.StarLoaded)
        return;
    stepPeriod(stepPeriodUp(period_->value(), incrementInForce(), ctrlDown()));
}

void FrmPlot::stepPeriod(const PeriodStep& step) {
    if (!step.refused.isEmpty()) {
        ctx_.platform.message(step.refused, QStringLiteral("Period"), Buttons::Ok,
                              Icon::Exclamation);
        return;
    }
    period_->set(step.period, TrialPeriod::Source::Step);
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::periodEntered() {
    if (!state_.StarLoaded || !period_->takeTyped(ctx_.platform))
        return;
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::cmdRefresh() {
    if (state_.Plotting || !state_.StarLoaded)
        return;
    state_.BinsShown = false;
    if (!period_->takeTyped(ctx_.platform))
        return;
    ctx_.platform.setBusyCursor(true);
    replot(true);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::cmdReset() {
    // During a plot the request is dropped: a reset opens the preview, which
    // plots too, and runs never nest.
    if (!state_.StarLoaded || state_.storeBusy())
        return;
    ctx_.platform.setBusyCursor(true);
    state_.BinsShown = false;
    state_.ZoomMode = false;
    showExtremes();
    ShowPreview();
    // The preview may have narrowed the window again; report what is plotted now.
    setStatusPanel(2, magnificationText(state_.MinJD, state_.MaxJD, state_.JDFrom, state_.JDTo));
    state_.StarLoaded = true;
    ctx_.platform.setBusyCursor(false);
}

} // namespace varilume
