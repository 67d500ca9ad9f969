#pragma once

#include "search/FourierFit.h"
#include "search/MultiFrequency.h"
#include "store/Context.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace varilume {

class FrmOMinusC;

/// "Fourier Fit": the light curve of the plotted observations as a Fourier
/// series at the trial period, its parameters with their standard errors, the
/// model drawn over the phase plot, and prewhitening to the next period. The
/// fit, the residuals and the frequencies are values held here; the store's
/// observations are never changed.
class FrmFourierFit : public QWidget {
    Q_OBJECT
public:
    explicit FrmFourierFit(Context& ctx, QWidget* parent = nullptr);
    ~FrmFourierFit() override;

    /// Commands, public so that tests drive them as a user would.
    void cmdFit();
    void cmdSaveModel();
    void cmdSaveResiduals();
    /// Subtracts the model (every frequency so far) and offers the residuals
    /// to the period search (residualsReady).
    void cmdSubtract();
    /// Back to the observations as they are stored: the frequency list goes.
    void cmdRestore();
    void cmdOMinusC();

    /// The model to draw at the plot's period, refitted when the period
    /// changed and the refit is cheap; nullptr when none is shown (hidden, not
    /// fitted, or dropped because a refit would take too long).
    const FourierFit* modelFor(double period);
    /// A period chosen in the search of the residuals: the next frequency,
    /// fitted together with those before it.
    void addFrequency(double period);
    /// A star loaded or unloaded, a band hidden or shown, a new JD window: the
    /// fit belongs to data that are gone.
    void observationsChanged();

    const std::optional<FourierFit>& fit() const { return fit_; }
    const MultiFrequencyFit& frequencies() const { return multi_; }
    bool prewhitening() const { return prewhitening_; }
    FrmOMinusC* ocWindow() const { return oc_; }

    /// A refit after a period change is made at once up to this many observations.
    static constexpr std::size_t RefitLimit = 200000;

signals:
    /// The model changed or was hidden: the plot is drawn again.
    void modelChanged();
    /// Residuals to search, labelled for the search window.
    void residualsReady(const SearchData& residuals, const QString& label);
    /// "Restore": the search takes the stored observations again.
    void restored();

private:
    void createControls();
    /// Fits the data held at the period, with the window's settings.
    bool fitAt(double period, bool quiet);
    FourierSettings settingsAt(double period) const;
    void showFit();
    void showFrequencies();
    void dropFit(const QString& why);
    void setStatus(const QString& text);
    /// The data less every frequency so far (the Fourier model when there is only it).
    SearchData residuals() const;
    QString starName() const;
    bool saveText(const QString& suffix, const QString& text, const QString& what);

    Context& ctx_;
    SearchData data_;               // the observations fitted, as the plot picks them
    std::optional<FourierFit> fit_; // at fitPeriod_
    double fitPeriod_ = 0;          // the plot's period the fit was made at
    std::vector<double> starts_;    // the frequencies of the prewhitening so far
    MultiFrequencyFit multi_;
    bool prewhitening_ = false;
    FrmOMinusC* oc_ = nullptr;

    QComboBox* cboOrder_ = nullptr;
    QCheckBox* chkFreePeriod_ = nullptr;
    QCheckBox* chkWeight_ = nullptr;
    QCheckBox* chkShowModel_ = nullptr;
    QPushButton* cmdFit_ = nullptr;
    QTableWidget* tblFit_ = nullptr;
    QTableWidget* tblFrequencies_ = nullptr;
    QPushButton* cmdSaveModel_ = nullptr;
    QPushButton* cmdSaveResiduals_ = nullptr;
    QPushButton* cmdSubtract_ = nullptr;
    QPushButton* cmdRestore_ = nullptr;
    QPushButton* cmdOMinusC_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* lblStatus_ = nullptr;

public:
    QCheckBox* showModelBox() const { return chkShowModel_; }
};

} // namespace varilume
