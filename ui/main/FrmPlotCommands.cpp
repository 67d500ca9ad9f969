// The main window's commands: loading, unloading, the period controls and the
// replot. The work itself is done by the import, plot and store modules.
#include "ui/main/FrmPlot.h"

#include "canvas/Canvas.h"
#include "import/Extremes.h"
#include "import/OrbisImport.h"
#include "import/TwoColumnImport.h"
#include "platform/FileSystem.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "store/WorkingStore.h"
#include "ui/main/PeriodSteps.h"
#include "ui/preview/FrmPreview.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace varilume {

namespace {
const QString kOpenFilter = QStringLiteral("All Files (*.*)|*.*|");
}

bool FrmPlot::askUnload(const QString& title, const QString& textStart) {
    const Answer a =
        ctx_.platform.message(textStart + state_.StarName.trimmed() + QStringLiteral(" ?"), title,
                              Buttons::OkCancel, Icon::Question);
    if (a != Answer::Ok)
        return false;
    return ClearStar();
}

void FrmPlot::mnuClear() {
    if (state_.StarLoaded && !state_.Plotting)
        askUnload(QStringLiteral("Unload Current Star?"), QStringLiteral("Unload current star "));
}

bool FrmPlot::ClearStar() {
    state_.FileName.clear();
    for (CanvasWidget* c : {picView_, picJDScale_, picMagScale_}) {
        c->canvas().clear();
        c->refresh();
    }
    lblStarName_->clear();
    state_.StarName.clear();
    txtPeriod_->setText(QStringLiteral("200"));
    state_.NumRecords = 0;
    state_.MaxMag = state_.MinMag = 0;
    state_.MaxJD = state_.MinJD = state_.JDFrom = state_.JDTo = state_.MidJD = 0;
    state_.XYZLoaded = state_.BinsShown = state_.ZoomMode = false;
    state_.HiddenColors.clear();
    setStatusPanel(1, QString());
    setStatusPanel(2, QString());
    picView_->hide();
    picJDScale_->hide();
    picMagScale_->hide();
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
    state_.Period = 200;
    state_.StarLoaded = false;
    state_.Plotting = false;
    fillBandsMenu();
    emit observationsChanged();
    if (!PrepareStore(state_, ctx_.platform)) {
        host_.endNow(1);
        return false;
    }
    try {
        ctx_.store.bind(state_.storePath());
    } catch (const StoreError& e) {
        ctx_.platform.message(QStringLiteral("The working store cannot be opened: ") +
                                  e.description(),
                              QStringLiteral("File Missing"), Buttons::Ok, Icon::Critical);
        host_.endNow(1);
        return false;
    }
    return true;
}

void FrmPlot::cmdLoad() {
    if (state_.Plotting)
        return; // a plot is yielding; the store must not change under it
    if (state_.StarLoaded &&
        !askUnload(QStringLiteral("Unload Current Star?"), QStringLiteral("Unload current star ")))
        return;
    ctx_.platform.processEvents();
    const auto file = ctx_.platform.openFile({QString(), kOpenFilter, 1, state_.FilePath});
    if (!file)
        return;
    state_.FileName = *file;
    state_.BinPhase.clear();
    state_.BinMag.clear();
    state_.BinSD.clear();

    cmdLoad_->hide();
    cmdLoadXYZ_->hide();
    fraUrCycles_->hide();
    mnuClear_->setEnabled(true);
    const ImportResult result = ImportOrbisFile(ctx_, *this);
    if (result.ok()) {
        hideBusyCaption();
        hideProgress();
        state_.StarLoaded = true;
        mnuPreview_->setEnabled(true);
        FindExtremes(ctx_, *this);
        if (state_.LoadOK)
            ShowPreview();
        state_.LoadOK = true;
    } else {
        if (!result.text.isEmpty())
            ctx_.platform.message(result.text, result.title, Buttons::Ok, result.icon);
        state_.LoadOK = false;
        if (result.status != ImportResult::Status::NoRecords &&
            result.status != ImportResult::Status::Interrupted && !ClearStar())
            return;
    }
    QString panel = QStringLiteral("File: ") + state_.FileName;
    if (result.excluded > 0)
        panel += QStringLiteral("  (%1 differential magnitudes left out)").arg(result.excluded);
    setStatusPanel(1, panel);
    afterImport(state_.LoadOK && state_.StarLoaded);
}

void FrmPlot::afterImport(bool ok) {
    if (!ok) {
        state_.LoadOK = true;
        picView_->hide();
        picJDScale_->hide();
        picMagScale_->hide();
        prgLoad_->hide();
        lblPrg_->hide();
        cmdLoad_->show();
        cmdLoadXYZ_->show();
        fraUrCycles_->show();
        return;
    }
    fillBandsMenu();
    emit observationsChanged();
    picView_->show();
    picJDScale_->show();
    picMagScale_->show();
    fraAction_->show();
    if (txtPeriod_->isVisible())
        txtPeriod_->setFocus();
    Label1_->hide();
    Label2_->hide();
    lblCopyright_->hide();
}

void FrmPlot::cmdLoadXYZ() {
    if (state_.Plotting)
        return; // a plot is yielding; the store must not change under it
    if (state_.StarLoaded &&
        !askUnload(QStringLiteral("Unload Current File?"), QStringLiteral("Unload current file ")))
        return;
    ctx_.platform.processEvents();
    const auto file = ctx_.platform.openFile({QString(), kOpenFilter, 1, state_.FilePath});
    if (!file)
        return;
    state_.XYZFileName = *file;
    state_.XYZLoaded = true;
    state_.StarName = StarNameFromPath(*file);
    setStatusPanel(1, QStringLiteral("File: ") + state_.XYZFileName);

    cmdLoad_->hide();
    cmdLoadXYZ_->hide();
    fraUrCycles_->hide();
    mnuClear_->setEnabled(true);
    const ImportResult result = ImportTwoColumnFile(ctx_, *this, state_.XYZFileName);
    hideBusyCaption();
    hideProgress();
    if (!result.ok()) {
        ctx_.platform.message(result.text, result.title, Buttons::Ok, result.icon);
        state_.LoadOK = true;
        if (ClearStar())
            setStatusPanel(1, QString());
        return;
    }
    mnuPreview_->setEnabled(true);
    state_.StarLoaded = true;
    FindExtremes(ctx_, *this);
    if (!state_.LoadOK) {
        // An empty file: nothing to show.
        state_.LoadOK = true;
        ClearStar();
        return;
    }
    ShowPreview();
    afterImport(true);
    fraUrCycles_->hide();
}

void FrmPlot::ShowPreview() {
    hide();
    state_.JDTo = state_.MaxJD;
    state_.JDFrom = state_.MinJD;
    bool estimated = false;
    runPreview(ctx_, *this, [this, &estimated](const QString& text) {
        txtPeriod_->setText(text);
        estimated = true;
    });
    history_.record(state_.Period, estimated ? PeriodSource::Estimate : PeriodSource::Reset);
    fillHistoryMenu();
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
    state_.Period = 200;
    txtPeriod_->setText(QStringLiteral("200"));
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
    if (busyLookWanted_)
        ShowPlot();
    if (state_.StarLoaded)
        emit periodPlotted(state_.Period);
}

void FrmPlot::cmdIncrDn() {
    if (state_.Plotting || !state_.StarLoaded)
        return;
    state_.Period = stepPeriodDown(state_.Period, incrementInForce(), CtrlDown);
    history_.record(state_.Period, PeriodSource::Step);
    fillHistoryMenu();
    txtPeriod_->setText(periodText(state_.Period));
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::cmdIncrUp() {
    if (state_.Plotting || !state_.StarLoaded)
        return;
    state_.Period = stepPeriodUp(state_.Period, incrementInForce(), CtrlDown);
    history_.record(state_.Period, PeriodSource::Step);
    fillHistoryMenu();
    txtPeriod_->setText(periodText(state_.Period));
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

// Reads the period box; a text that is not a number is reported and leaves
// the period as it was.
static bool takeTypedPeriod(Context& ctx, const QString& text) {
    const auto p = typedPeriod(text);
    if (!p) {
        ctx.platform.message(QStringLiteral("The period \"") + text.trimmed() +
                                 QStringLiteral("\" is not a number. The period stays at") +
                                 periodText(ctx.state.Period) + QStringLiteral(" days."),
                             QStringLiteral("Period"), Buttons::Ok, Icon::Exclamation);
        return false;
    }
    ctx.state.Period = *p;
    return true;
}

void FrmPlot::periodEntered() {
    if (!state_.StarLoaded || !takeTypedPeriod(ctx_, txtPeriod_->text()))
        return;
    history_.record(state_.Period, PeriodSource::Typed);
    fillHistoryMenu();
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::cmdRefresh() {
    if (state_.Plotting || !state_.StarLoaded)
        return;
    state_.BinsShown = false;
    if (!takeTypedPeriod(ctx_, txtPeriod_->text()))
        return;
    history_.record(state_.Period, PeriodSource::Typed);
    fillHistoryMenu();
    ctx_.platform.setBusyCursor(true);
    replot(true);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::cmdReset() {
    // During a plot the request is dropped: a reset opens the preview, which
    // plots too, and runs never nest.
    if (!state_.StarLoaded || state_.Plotting)
        return;
    ctx_.platform.setBusyCursor(true);
    state_.BinsShown = false;
    state_.ZoomMode = false;
    FindExtremes(ctx_, *this);
    ShowPreview();
    // The preview may have narrowed the window again; report what is plotted now.
    setStatusPanel(2, magnificationText(state_.MinJD, state_.MaxJD, state_.JDFrom, state_.JDTo));
    state_.StarLoaded = true;
    ctx_.platform.setBusyCursor(false);
}

} // namespace varilume
