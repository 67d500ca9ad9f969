#pragma once

#include "plot/SearchInput.h"
#include "search/PeriodSearch.h"
#include "store/Context.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace varilume {

class SpectrumWidget;

/// "Period Search": a periodogram of the observations of the current JD window,
/// beside the main window. The search runs in worker threads; the window polls
/// it, draws the spectrum as it grows, and offers a chosen period (periodChosen)
/// to whoever shows the phase plot.
class FrmSearch : public QWidget {
    Q_OBJECT
public:
    explicit FrmSearch(Context& ctx, QWidget* parent = nullptr);
    ~FrmSearch() override;

    /// Commands, public so that tests drive them as a user would.
    void cmdSearch();
    /// Stops the run; the peaks of the part searched follow, marked partial.
    void cmdCancel();
    void cmdCopy();
    void cmdSave();
    /// Offers the period of peak row (0 = best).
    void choosePeak(int row);
    /// Places the window beside another one and shows it.
    void showBeside(const QWidget& main);
    /// The trial period in force, marked on the spectrum (0: none).
    void setTrialPeriod(double period);
    /// The observations changed: a star loaded or unloaded, a band hidden or
    /// shown, a new JD window.
    void observationsChanged();
    /// Searches these data (the residuals of a model, held by whoever made
    /// them) instead of the plotted observations, until restoreObservations()
    /// or the observations change; label says what they are.
    void searchResiduals(const SearchData& data, const QString& label);
    void restoreObservations();
    bool searchingResiduals() const { return residuals_.has_value(); }

    /// What the next search would take in, from the controls.
    SearchChoice choice() const;
    /// The settings from the controls; nullopt (with a message shown) when a
    /// box does not hold a usable number.
    std::optional<SearchSettings> settings(bool quiet) const;
    // Before a PDM or string length run estimated to take long: asks whether to
    // refine the GLS peaks instead (sets s.refineGls); false when cancelled.
    bool offerRefine(const SearchData& data, SearchSettings& s);
    static constexpr double LongRunSeconds = 10;
    bool running() const { return run_ != nullptr; }
    const SearchResult& lastResult() const { return last_; }
    /// Waits for the run in progress to end (tests).
    void waitForRun();

signals:
    /// A double-click on a peak (row or plot) chose this period.
    void periodChosen(double period);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    /// What a search takes in: the residuals when set, else the plotted observations.
    SearchInput input() const;
    void createControls();
    QLayout* createSettingsPanel();
    QLayout* createResultsPanel();
    void connectControls();
    void rebuildBands();
    void enableBands();
    /// A star loaded or unloaded: the last star's results go, and the range is
    /// the one the user set for this star, else the data's own.
    void followStar();
    void rangeTyped(const QString& text);
    void showRangeSource();
    void updatePlan();
    void poll();
    void finishRun();
    /// Stops the run and forgets it: its results are not wanted any more.
    void dropRun();
    /// The progress bar's text: the share done and the time left.
    QString progressText(double share) const;
    void showPeaks();
    void methodChanged();
    void setStatus(const QString& text);

    Context& ctx_;
    std::optional<SearchData> residuals_;
    QString residualsLabel_;
    std::unique_ptr<PeriodSearch> run_;
    // Cancelled runs wait here until their threads have ended, so that
    // starting a new search never blocks the window on an old one.
    std::vector<std::unique_ptr<PeriodSearch>> retiring_;
    SearchResult last_;
    QTimer pollTimer_;
    QTimer planTimer_;
    QElapsedTimer runClock_;
    std::map<QString, bool> userBands_; // the user's own ticks, by band key
    std::size_t leftOut_ = 0;
    bool rangeEdited_ = false;
    bool cancelling_ = false; // Cancel pressed; the run is listing its peaks
    // The star the boxes and results belong to (its file and name; empty when
    // none), and the ranges typed for each star, shortest and longest.
    QString rangeStar_;
    std::map<QString, std::pair<QString, QString>> userRanges_;

    QGroupBox* fraBands_ = nullptr;
    QVBoxLayout* bandsLayout_ = nullptr;
    std::vector<QCheckBox*> bandBoxes_;
    QCheckBox* chkWeight_ = nullptr;
    QLabel* lblData_ = nullptr;
    QRadioButton* optGls_ = nullptr;
    QRadioButton* optPdm_ = nullptr;
    QRadioButton* optString_ = nullptr;
    QSpinBox* spnHarmonics_ = nullptr;
    QSpinBox* spnBins_ = nullptr;
    QSpinBox* spnCovers_ = nullptr;
    QLineEdit* txtMinPeriod_ = nullptr;
    QLineEdit* txtMaxPeriod_ = nullptr;
    QLineEdit* txtOversample_ = nullptr;
    QLabel* lblTrials_ = nullptr;
    QLabel* lblRangeSource_ = nullptr;
    QPushButton* cmdSearch_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* prgSearch_ = nullptr;
    QRadioButton* optFrequency_ = nullptr;
    QRadioButton* optPeriod_ = nullptr;
    QCheckBox* chkLogPeriod_ = nullptr;
    QCheckBox* chkWindow_ = nullptr;
    SpectrumWidget* picSpectrum_ = nullptr;
    QTableWidget* grdPeaks_ = nullptr;
    QPushButton* cmdCopy_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblVerdict_ = nullptr;
};

} // namespace varilume
