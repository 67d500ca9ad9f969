#include "ui/main/FrmPlot.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"
#include "platform/FileSystem.h"
#include "store/WorkingStore.h"
#include "ui/dialogs/ShellCommands.h"
#include "ui/main/Logo.h"
#include "ui/main/PeriodSteps.h"
#include "ui/widgets/CanvasWidget.h"
#include "ui/widgets/FitText.h"
#include "ui/widgets/ScreenFit.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace varilume {

namespace {

const QString kCopyright = QStringLiteral("\u00A9 2026 the Varilume team");

} // namespace

FrmPlot::FrmPlot(Context& ctx, AppHost& host, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), state_(ctx.state), host_(host) {
    setObjectName(QStringLiteral("frmPlot"));
    setWindowTitle(QStringLiteral("Varilume"));
    createControls();
    createMenu();
    qApp->installEventFilter(this);
    setAcceptDrops(true);

    // Load event: period, cycle options, printers.
    period_->reset();
    fraUrCycles_->show();
    fraCycles_->show();
    selectCycles(false);
    fillPrinterMenu();

    // Start screen until a star is loaded.
    pics_.setVisible(false);
    fraAction_->hide();
    prgLoad_->hide();
    lblPrg_->hide();
    mnuClear_->setEnabled(false);
    mnuPrint_->setEnabled(false);
    mnuSaveImage_->setEnabled(false);
    mnuPreview_->setEnabled(false);
    lblCopyright_->setText(kCopyright);
    showIncrement();
}

FrmPlot::~FrmPlot() {
    qApp->removeEventFilter(this);
}

void FrmPlot::createMenu() {
    QMenu* files = menuBar()->addMenu(QStringLiteral("Files"));
    files->setObjectName(QStringLiteral("mnuFiles"));
    const auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    connect(item(files, "mnuLoad", QStringLiteral("Load an ORBIS File")), &QAction::triggered, this,
            &FrmPlot::cmdLoad);
    connect(item(files, "mnuXYZ", QStringLiteral("Load 2-Column File (JD, Mag)")),
            &QAction::triggered, this, &FrmPlot::cmdLoadXYZ);
    QAction* table = item(files, "mnuOpenTable", QStringLiteral("Open Light-Curve Table…"));
    table->setShortcut(QKeySequence::Open);
    connect(table, &QAction::triggered, this, &FrmPlot::mnuOpenTable);
    files->addSeparator();
    connect(item(files, "mnuSaveJD", QStringLiteral("Save to File (JD Order)")),
            &QAction::triggered, this, &FrmPlot::mnuSaveJD);
    connect(item(files, "mnuSaveSort", QStringLiteral("Save to File (Sorted - to +)")),
            &QAction::triggered, this, &FrmPlot::mnuSaveSort);
    files->addSeparator();
    mnuClear_ = item(files, "mnuClear", QStringLiteral("Clear Loaded File"));
    connect(mnuClear_, &QAction::triggered, this, &FrmPlot::mnuClear);
    files->addSeparator();
    mnuPrinters_ = files->addMenu(QStringLiteral("Select Printer"));
    mnuPrinters_->setObjectName(QStringLiteral("mnuSelect"));
    mnuPrint_ = item(files, "mnuPrint", QStringLiteral("Print"));
    connect(mnuPrint_, &QAction::triggered, this, &FrmPlot::mnuPrint);
    mnuSaveImage_ = item(files, "mnuSaveImage", QStringLiteral("Save BMP File"));
    connect(mnuSaveImage_, &QAction::triggered, this, &FrmPlot::mnuSaveImage);
    files->addSeparator();
    recentEnd_ = files->addSeparator();
    connect(item(files, "mnuExit1", QStringLiteral("Exit")), &QAction::triggered, this,
            [this] { shutDownWhenIdle(); });
    mnuFiles_ = files;
    fillRecentMenu();

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    mnuPreview_ = item(tools, "mnuPreview", QStringLiteral("View Preview"));
    mnuPreview_->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    connect(mnuPreview_, &QAction::triggered, this, &FrmPlot::mnuPreview);
    QAction* average = item(tools, "mnuAverage", QStringLiteral("Average Line"));
    average->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    connect(average, &QAction::triggered, this, &FrmPlot::mnuAverage);
    tools->addSeparator();
    createPeriodMenus(tools);
    tools->addSeparator();
    connect(item(tools, "mnuWebSite", QStringLiteral("Download Data File (WWW)")),
            &QAction::triggered, this, [this] { showShellNote(mnuWebSite(ctx_, this)); });
    tools->addSeparator();
    connect(item(tools, "mnuViewer", QStringLiteral("View Files")), &QAction::triggered, this,
            [this] { showShellNote(mnuViewer(ctx_)); });
    connect(item(tools, "mnuManage", QStringLiteral("Manage Files")), &QAction::triggered, this,
            [this] { showShellNote(mnuManage(ctx_)); });

    QAction* config = menuBar()->addAction(QStringLiteral("Configure"));
    config->setObjectName(QStringLiteral("mnuConfig"));
    connect(config, &QAction::triggered, this, [this] {
        host_.configure();
        showIncrement();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* docs = item(help, "mnuDocs", QStringLiteral("Documentation"));
    docs->setShortcut(QKeySequence::HelpContents);
    connect(docs, &QAction::triggered, this, [this] { showShellNote(mnuDocs(ctx_)); });
    help->addSeparator();
    connect(item(help, "mnuAbout", QStringLiteral("About Varilume")), &QAction::triggered, this,
            [this] { host_.about(); });

    QAction* exit = menuBar()->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, [this] { shutDownWhenIdle(); });
}

} // namespace varilume

namespace varilume {

// ---- PlotView ---------------------------------------------------------------

Canvas& FrmPlot::picView() {
    return pics_.view->canvas();
}
Canvas& FrmPlot::picJDScale() {
    return pics_.jdScale->canvas();
}
Canvas& FrmPlot::picMagScale() {
    return pics_.magScale->canvas();
}

void FrmPlot::repaintCanvases() {
    pics_.refresh();
}

void FrmPlot::setStarCaption(const QString& caption) {
    lblStarName_->setText(caption);
}
QString FrmPlot::starCaption() const {
    return lblStarName_->text();
}
void FrmPlot::setViewEnabled(bool enabled) {
    pics_.view->setEnabled(enabled);
}

void FrmPlot::HidePlot() {
    if (inPlotRun_) {
        busyLook_.defer();
        return;
    }
    setBusyLook(true);
}

void FrmPlot::setBusyLook(bool busy) {
    pics_.setVisible(!busy);
    lblStarName_->setVisible(!busy);
    if (busy) {
        prgLoad_->hide();
        fraUrCycles_->hide();
        lblPrg_->hide();
        fraAction_->hide();
        picORBIS_->show();
    }
}

void FrmPlot::ShowPlot() {
    busyLook_.cancel();
    setBusyLook(false);
    picORBIS_->hide();
    fraAction_->show();
    prgLoad_->hide();
    repaintCanvases();
    update();
}

void FrmPlot::setRangeLabels(const QString& minJD, const QString& maxJD, const QString& minMag,
                             const QString& maxMag) {
    Label5_->setText(minJD);
    Label4_->setText(maxJD);
    Label6_->setText(minMag);
    Label3_->setText(maxMag);
    for (QLabel* l : {Label5_, Label4_, Label6_, Label3_})
        fitToText(l);
    actionPacker_.pack();
    updateMinimumSize();
}

void FrmPlot::showBusyCaption(const QString& caption) {
    lblPrg_->setText(caption);
    if (!busyLook_.pending())
        lblPrg_->show();
}

void FrmPlot::hideBusyCaption() {
    lblPrg_->hide();
}

void FrmPlot::showProgress(int maximum) {
    prgLoad_->setRange(0, std::max(maximum, 1));
    prgLoad_->setValue(0);
    if (!busyLook_.pending())
        prgLoad_->show();
}

void FrmPlot::hideProgress() {
    prgLoad_->hide();
}

void FrmPlot::setProgress(int value) {
    if (busyLook_.takeDue()) {
        setBusyLook(true);
        lblPrg_->show();
        prgLoad_->show();
    }
    prgLoad_->setValue(std::min(value, prgLoad_->maximum()));
}

// ---- Layout and events ------------------------------------------------------

QSizeF FrmPlot::outerTwips() const {
    return QSizeF(client_->width() * kTwipsPerPixel + kFrameWidth,
                  client_->height() * kTwipsPerPixel + kFrameHeight);
}

void FrmPlot::showAtStartSize() {
    if (restorePlace()) {
        show();
        return;
    }
    const QSize client(qRound((kDesignOuterWidth - kFrameWidth) / kTwipsPerPixel),
                       qRound((kDesignOuterHeight - kFrameHeight) / kTwipsPerPixel));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    show();
    fitOnScreen(*this);
}

void FrmPlot::applyLayout() {
    const QSizeF outer = outerTwips();
    const auto next = layoutMainWindow(layout_, static_cast<float>(outer.width()),
                                       static_cast<float>(outer.height()), isMinimized());
    if (!next) {
        // Too small for the fixed margins: back to the start size, which lays out again.
        resize(qRound((kDesignOuterWidth - kFrameWidth) / kTwipsPerPixel),
               qRound((kDesignOuterHeight - kFrameHeight) / kTwipsPerPixel) +
                   menuBar()->sizeHint().height());
        return;
    }
    layout_ = *next;
    Label1_->setGeometry(layout_.Label1.px());
    Label2_->setGeometry(layout_.Label2.px());
    lblStarName_->setGeometry(layout_.lblStarName.px());
    pics_.jdScale->setGeometry(layout_.picJDScale.px());
    pics_.view->setGeometry(layout_.picView.px());
    pics_.magScale->setGeometry(layout_.picMagScale.px());
    // The canvases follow at once, also before the window is first shown.
    pics_.fitCanvases();
    picORBIS_->setGeometry(layout_.picORBIS.px());
    cmdLoad_->setGeometry(layout_.cmdLoad.px());
    cmdLoadXYZ_->setGeometry(layout_.cmdLoadXYZ.px());
    fraUrCycles_->setGeometry(layout_.fraUrCycles.px());
    lblPrg_->setGeometry(layout_.lblPrg.px());
    prgLoad_->setGeometry(layout_.prgLoad.px());
    lblCopyright_->setGeometry(layout_.lblCopyright.px());
    // Centred, and no wider than the client area: a narrow window packs the panel.
    QRect action = layout_.fraAction.px();
    action.setWidth(std::min(action.width(), client_->width()));
    action.moveLeft((client_->width() - action.width()) / 2);
    fraAction_->setGeometry(action);
    actionPacker_.pack();
    // The status bar ends with the client area.
    QRect bar = layout_.staPlot.px().adjusted(0, 0, 0, 3);
    bar.setWidth(client_->width());
    bar.moveBottom(client_->height() - 1);
    staPlot_->setGeometry(bar);
    const int narrow = std::max(90, bar.width() / 5);
    const int wide = bar.width() - 3 * narrow;
    panels_[0]->setGeometry(0, 0, wide, bar.height());
    panels_[1]->setGeometry(wide, 0, narrow, bar.height());
    panels_[2]->setGeometry(wide + narrow, 0, narrow, bar.height());
    lblIncrement_->setGeometry(wide + 2 * narrow, 0, narrow, bar.height());
    placeFixedControls();
}

void FrmPlot::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
    if (state_.StarLoaded)
        replot(true);
}

void FrmPlot::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Minimising leaves the layout alone but still redraws, as every resize does.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && state_.StarLoaded)
        replot(true);
}

void FrmPlot::closeEvent(QCloseEvent* event) {
    // Closed while a load or plot yields: it finishes first, then the program ends.
    if (shutDownWhenIdle())
        event->accept();
    else
        event->ignore();
}

// ---- Readouts -----------------------------------------------------------------

QString FrmPlot::statusPanel(int index) const {
    return panels_[index - 1]->fullText();
}
void FrmPlot::setStatusPanel(int index, const QString& text) {
    // A long path loses its middle in the panel; the tooltip holds it whole.
    panels_[index - 1]->setFullText(text);
}

void FrmPlot::showShellNote(const std::optional<QString>& note) {
    if (note)
        setStatusPanel(1, *note);
}

void FrmPlot::clearReadouts() {
    setStatusPanel(2, QString());
    setStatusPanel(3, QString());
}

void FrmPlot::onViewMoved(double x, double y) {
    if (!state_.StarLoaded)
        return;
    setStatusPanel(2, QStringLiteral("Phase = ") + fmt::pattern(x, u"0.000000"));
    setStatusPanel(3, QStringLiteral("  Mag = ") + fmt::pattern(y, u"#0.0000"));
}

void FrmPlot::onJDScaleMoved(double x) {
    if (!state_.StarLoaded)
        return;
    setStatusPanel(2, QStringLiteral("Phase = ") + fmt::signedSingle(static_cast<float>(x)));
    setStatusPanel(3, QString());
}

void FrmPlot::onMagScaleMoved(double y) {
    if (!state_.StarLoaded)
        return;
    setStatusPanel(2, QString());
    setStatusPanel(3, QStringLiteral("Mag = ") + fmt::signedSingle(static_cast<float>(y)));
}

void FrmPlot::selectCycles(bool two) {
    state_.TwoCycles = two;
    // The two frames always agree; the new setting shows at the next rescale.
    optOneCycle_->setChecked(!two);
    optUrOneCycle_->setChecked(!two);
    optTwoCycles_->setChecked(two);
    optUrTwoCycles_->setChecked(two);
}

} // namespace varilume
