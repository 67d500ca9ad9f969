#pragma once

#include "export/Bins.h"
#include "plot/PlotView.h"
#include "store/Context.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace varilume {

/// "Load Bins": asks for the bin width, the error-bar size and whether to write
/// the bin file; Enter replots, averages the phases in bins and draws the mean
/// curve over the plot.
class FrmBins : public QDialog {
    Q_OBJECT
public:
    /// replot(rescale) runs Scaler (when rescale) and Plotter on the main window.
    FrmBins(Context& ctx, PlotView& view, std::function<void(bool)> replot,
            QWidget* parent = nullptr);

    /// The Enter button; public so that tests press it as a user would.
    void cmdEnter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Averages, writes the bin file when asked, closes the dialog and draws.
    void LoadBind(const BinEdges& bins);
    /// The bin file's path, asking before replacing a file; nullopt on Cancel.
    std::optional<QString> chooseBinFile();
    void showBins();

    Context& ctx_;
    PlotView& view_;
    std::function<void(bool)> replot_;

    QLabel* Label1_ = nullptr;
    QLineEdit* txtBinWid_ = nullptr;
    QLineEdit* txtFromJD_ = nullptr;
    QLineEdit* txtToJD_ = nullptr;
    QLineEdit* txtSigma_ = nullptr;
    QCheckBox* chkBinFil_ = nullptr;
    QProgressBar* prgBin_ = nullptr;
    QPushButton* cmdEnter_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

} // namespace varilume
