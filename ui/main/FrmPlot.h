#pragma once

#include "import/DataFileKind.h"
#include "import/ImportResult.h"
#include "plot/PlotView.h"
#include "store/Context.h"
#include "ui/main/DeferredBusyLook.h"
#include "ui/main/MainLayout.h"
#include "ui/main/TrialPeriod.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/PanelPacker.h"
#include "ui/widgets/PictureWidgets.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace varilume {

struct PageContent;
struct TableMapping;

class FrmFourierFit;
class FrmSearch;
struct PeriodStep;

/// What the main window asks of the application.
class AppHost {
public:
    virtual ~AppHost() = default;
    /// Writes the settings, removes the store and ends the program.
    virtual void ShutDown() = 0;
    /// Ends the program at once, without the normal shutdown.
    virtual void endNow(int exitCode) = 0;
    /// The configuration dialog (menu "Configure").
    virtual void configure() = 0;
    /// The about box (menu "About Varilume").
    virtual void about() = 0;
};

/// The main window: start screen, phase plot with its scales, period panel,
/// menu and status bar. It holds the controls and their wiring; the work is
/// done by the routines of the plot, import and store modules.
class FrmPlot : public QMainWindow, public PlotView {
    Q_OBJECT
public:
    FrmPlot(Context& ctx, AppHost& host, QWidget* parent = nullptr);
    ~FrmPlot() override;

    // PlotView
    Canvas& picView() override;
    Canvas& picJDScale() override;
    Canvas& picMagScale() override;
    void repaintCanvases() override;
    void setStarCaption(const QString& caption) override;
    QString starCaption() const override;
    void setViewEnabled(bool enabled) override;
    void HidePlot() override;
    void ShowPlot() override;
    void setRangeLabels(const QString& minJD, const QString& maxJD, const QString& minMag,
                        const QString& maxMag) override;
    void showBusyCaption(const QString& caption) override;
    void hideBusyCaption() override;
    void showProgress(int maximum) override;
    void setProgress(int value) override;
    void hideProgress() override;

    /// Start-up: opens where it was last time, else at the design size, centred.
    void showAtStartSize();
    /// The unload routine: empties the store and returns to the start screen.
    /// False when the store could not be prepared again (the program ends).
    bool ClearStar();

    /// Commands, public so that tests drive them as a user would.
    void cmdLoad();
    void cmdLoadXYZ();
    void mnuOpenTable();
    /// Loads a file without the file dialog (a drop, a recent file): the
    /// importer is chosen by the file's content; the unload question and the
    /// preview are those of the load commands.
    void loadFile(const QString& path);
    /// A recent file chosen from the "Files" menu (1 = newest).
    void mnuRecent(int number);
    /// Keeps the window's place and size in the state, for the settings file.
    void keepPlace();
    void mnuClear();
    void cmdIncrDn();
    void cmdIncrUp();
    void cmdRefresh();
    void cmdReset();
    void periodEntered();
    void mnuPreview();
    void mnuSaveSort();
    void mnuSaveJD();
    void mnuAverage();
    /// "Print": the page on the chosen printer, or on a PDF file.
    void mnuPrint();
    /// "Save BMP File": the page as a bitmap, PNG or PDF file.
    void mnuSaveImage();
    /// Scaler (when rescale) and Plotter; a request during a running plot is
    /// deferred until it ends, so runs never nest.
    void replot(bool rescale);

    /// Sets and plots a period from elsewhere (the period search), recorded in
    /// the history with its source.
    void plotPeriod(float period, PeriodSource source);
    /// Ctrl+Z, Ctrl+Shift+Z and the "Period History" list: plot an earlier or
    /// later period again, moving through the history without adding to it.
    void periodBack();
    void periodForward();
    void periodFromHistory(std::size_t index);
    const PeriodHistory& periodHistory() const { return period_->history(); }
    /// `*` and `/`: the increment times or divided by ten, for this session.
    void scaleIncrement(bool up);
    float incrementInForce() const;
    /// Hides or shows a band in the plot (and the preview and the search).
    void showBand(const QString& key, bool shown);
    /// "Period Search..." (Ctrl+F): opens the search window beside this one.
    void mnuSearch();
    FrmSearch* searchWindow() const { return search_; }
    /// "Fourier Fit..." (Ctrl+K): the model window for the plotted observations.
    void mnuFourierFit();
    FrmFourierFit* fourierWindow() const { return fourier_; }
    /// Rebuilds the "Bands" and "Period History" submenus from the data.
    void fillBandsMenu();
    void fillHistoryMenu();

    /// Outer size in twips as the layout sees it.
    QSizeF outerTwips() const;
    const MainLayout& currentLayout() const { return layout_; }
    /// Ctrl turns a step into ten; read when the step happens.
    bool ctrlDown() const { return ctx_.platform.ctrlHeld(); }
    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString& text);

signals:
    /// A plot has been drawn at this period (every step, typed period, undo...).
    void periodPlotted(float period);
    /// A star was loaded or unloaded, a band hidden or shown, or the JD window
    /// changed: what a period search takes in is no longer the same.
    void observationsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createStartScreen();
    void createPictures();
    void createActionPanel();
    void createStatusBar();
    void createMenu();
    void fillPrinterMenu();
    void noStarLoaded();
    /// The page of the plot on screen now.
    PageContent screenPage();
    void applyLayout();
    void selectCycles(bool two);
    void afterImport(bool ok);
    /// Runs an import with Loading set; nullopt when the program was closed
    /// meanwhile and has shut down.
    std::optional<ImportResult> runImport(const std::function<ImportResult()>& import);
    /// Reports a failed load and returns to the start screen with an empty store.
    void failedLoad(const ImportResult& result);
    /// ShutDown now, or once the running load or plot has unwound; false when
    /// deferred.
    bool shutDownWhenIdle();
    /// Takes a period step and replots, or says why the step was refused.
    void stepPeriod(const PeriodStep& step);
    bool askUnload(const QString& title, const QString& textStart);
    /// Plotting check and unload question of a load command; false to stop.
    bool readyToLoad(DataFileKind kind);
    /// The columns of a light-curve table as the user settles them in the
    /// mapping dialog (opened with what was remembered for its header, else
    /// what was recognised); nullptr when cancelled or unreadable.
    std::shared_ptr<const TableMapping> askTableMapping(const QString& file);
    /// The load commands' shared part: the unload question, the file dialog, the load.
    void chooseAndLoad(DataFileKind kind);
    /// Imports file, then finds its ranges, runs the preview and plots; a load
    /// that fails at any step leaves the start screen and an empty store.
    void loadDataFile(const QString& file, DataFileKind kind);
    /// Runs FindExtremes and shows what it found: the range labels, or why not.
    bool showExtremes();
    /// Puts a file loaded at the top of the recent files and the menu.
    void rememberFile(const QString& file);
    void fillRecentMenu();
    /// Puts the window where the settings say it was; false when they say
    /// nothing usable (never kept, or off every screen).
    bool restorePlace();
    void ShowPreview();
    void onViewMoved(double x, double y);
    void onJDScaleMoved(double x);
    void onMagScaleMoved(double y);
    void clearReadouts();
    /// What a desktop command left for the first status panel.
    void showShellNote(const std::optional<QString>& note);
    void setBusyLook(bool busy);
    void placeFixedControls();
    void updateMinimumSize();
    void createPeriodMenus(QMenu* tools);
    void createModelMenus(QMenu* tools);
    /// The fitted model over the plot just drawn, when one is shown.
    void drawModel();
    /// A peak chosen in the search of the residuals.
    void fourierResidualPeak(double period);
    /// Plots the period in force after a move through the history.
    void plotMoved(bool moved);
    void showIncrement();
    void updatePeriodActions();

    Context& ctx_;
    ProjectState& state_;
    AppHost& host_;
    MainLayout layout_;
    PanelPacker actionPacker_;
    bool laying_out_ = false;
    bool pendingReplot_ = false;
    bool pendingRescale_ = false;
    bool inPlotRun_ = false;
    bool closeWhenIdle_ = false; // a close waits for the running load or plot
    bool printToPdf_ = false;    // "Print to PDF file" is the chosen printer
    DeferredBusyLook busyLook_;
    int incrementPower_ = 0; // `*` and `/` scale the configured increment by ten

    QWidget* client_ = nullptr;
    QLabel* Label1_ = nullptr; // the title, "Varilume"
    QLabel* Label2_ = nullptr; // the subtitle under it
    QLabel* lblStarName_ = nullptr;
    PictureWidgets pics_;
    QLabel* picORBIS_ = nullptr;
    QPushButton* cmdLoad_ = nullptr;
    QPushButton* cmdLoadXYZ_ = nullptr;
    QGroupBox* fraUrCycles_ = nullptr;
    QRadioButton* optUrOneCycle_ = nullptr;
    QRadioButton* optUrTwoCycles_ = nullptr;
    QLabel* lblPrg_ = nullptr;
    QProgressBar* prgLoad_ = nullptr;
    QLabel* lblCopyright_ = nullptr;
    QFrame* fraAction_ = nullptr;
    QLabel* Label3_ = nullptr; // "Max Mag = …"
    QLabel* Label4_ = nullptr; // "Max JD= …"
    QLabel* Label5_ = nullptr; // "Min JD= …"
    QLabel* Label6_ = nullptr; // "Min Mag = …"
    QGroupBox* fraCycles_ = nullptr;
    QRadioButton* optOneCycle_ = nullptr;
    QRadioButton* optTwoCycles_ = nullptr;
    QToolButton* cmdIncrDn_ = nullptr;
    QToolButton* cmdIncrUp_ = nullptr;
    QToolButton* cmdRefresh_ = nullptr;
    QToolButton* cmdBins_ = nullptr;
    QToolButton* cmdReset_ = nullptr;
    QLabel* lblPeriod_ = nullptr;
    QLineEdit* txtPeriod_ = nullptr;
    std::optional<TrialPeriod> period_; // made with txtPeriod
    QFrame* staPlot_ = nullptr;
    ElidedLabel* panels_[3] = {};
    QLabel* lblIncrement_ = nullptr;

    QMenu* mnuPrinters_ = nullptr;
    QAction* mnuClear_ = nullptr;
    QAction* mnuPrint_ = nullptr;
    QAction* mnuSaveImage_ = nullptr;
    QAction* mnuPreview_ = nullptr;
    QMenu* mnuFiles_ = nullptr;
    QAction* recentEnd_ = nullptr; // the recent files go before it
    QList<QAction*> mnuRecent_;
    QMenu* mnuBands_ = nullptr;
    QMenu* mnuPeriodHistory_ = nullptr;
    QAction* mnuPeriodBack_ = nullptr;
    QAction* mnuPeriodForward_ = nullptr;
    FrmSearch* search_ = nullptr;
    FrmFourierFit* fourier_ = nullptr;
    QAction* mnuShowModel_ = nullptr;
};

} // namespace varilume
