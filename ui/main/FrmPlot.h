#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"
#include "ui/main/MainLayout.h"
#include "ui/main/PeriodHistory.h"

#include <QElapsedTimer>
#include <QMainWindow>

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

class CanvasWidget;
class FrmSearch;

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

    /// Start-up: opens at the design size, centred.
    void showAtStartSize();
    /// The unload routine: empties the store and returns to the start screen.
    /// False when the store could not be prepared again (the program ends).
    bool ClearStar();

    /// Commands, public so that tests drive them as a user would.
    void cmdLoad();
    void cmdLoadXYZ();
    void mnuClear();
    void cmdIncrDn();
    void cmdIncrUp();
    void cmdRefresh();
    void cmdReset();
    void periodEntered();
    void mnuPreview();
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
    const PeriodHistory& periodHistory() const { return history_; }
    /// `*` and `/`: the increment times or divided by ten, for this session.
    void scaleIncrement(bool up);
    float incrementInForce() const;
    /// Hides or shows a band in the plot (and the preview and the search).
    void showBand(std::int32_t color, bool shown);
    /// "Period Search..." (Ctrl+F): opens the search window beside this one.
    void mnuSearch();
    FrmSearch* searchWindow() const { return search_; }
    /// Rebuilds the "Bands" and "Period History" submenus from the data.
    void fillBandsMenu();
    void fillHistoryMenu();

    /// Outer size in twips as the layout sees it.
    QSizeF outerTwips() const;
    const MainLayout& currentLayout() const { return layout_; }
    bool ctrlDown() const { return CtrlDown; }
    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString& text);

signals:
    /// A plot has been drawn at this period (every step, typed period, undo...).
    void periodPlotted(float period);
    /// A star was loaded or unloaded, or a band hidden or shown.
    void observationsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenu();
    void fillPrinterMenu();
    void applyLayout();
    void selectCycles(bool two);
    void afterImport(bool ok);
    bool askUnload(const QString& title, const QString& textStart);
    void ShowPreview();
    void onViewMoved(double x, double y);
    void onJDScaleMoved(double x);
    void onMagScaleMoved(double y);
    void clearReadouts();
    void setBusyLook(bool busy);
    void createPeriodMenus(QMenu* tools);
    void replotAt(float period);
    void showIncrement();

    Context& ctx_;
    ProjectState& state_;
    AppHost& host_;
    MainLayout layout_;
    bool CtrlDown = false;
    bool laying_out_ = false;
    bool pendingReplot_ = false;
    bool pendingRescale_ = false;
    bool busyLookWanted_ = false;
    bool inPlotRun_ = false;
    QElapsedTimer busySince_;
    PeriodHistory history_;
    int incrementPower_ = 0; // `*` and `/` scale the configured increment by ten

    QWidget* client_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* lblStarName_ = nullptr;
    CanvasWidget* picJDScale_ = nullptr;
    CanvasWidget* picView_ = nullptr;
    CanvasWidget* picMagScale_ = nullptr;
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
    QLabel* Label3_ = nullptr;
    QLabel* Label4_ = nullptr;
    QLabel* Label5_ = nullptr;
    QLabel* Label6_ = nullptr;
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
    QFrame* staPlot_ = nullptr;
    QLabel* panels_[3] = {};
    QLabel* lblIncrement_ = nullptr;

    QMenu* mnuPrinters_ = nullptr;
    QAction* mnuClear_ = nullptr;
    QAction* mnuPrint_ = nullptr;
    QAction* mnuSaveImage_ = nullptr;
    QAction* mnuPreview_ = nullptr;
    QMenu* mnuBands_ = nullptr;
    FrmSearch* search_ = nullptr;
    QMenu* mnuPeriodHistory_ = nullptr;
    QAction* mnuPeriodBack_ = nullptr;
    QAction* mnuPeriodForward_ = nullptr;
};

} // namespace varilume
