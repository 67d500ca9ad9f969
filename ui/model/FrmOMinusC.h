#pragma once

#include "search/OMinusC.h"
#include "store/Context.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varilume {

class CanvasWidget;

/// "O–C": times of maximum (or minimum) measured group by group from the
/// fit's period and epoch, plotted against cycle number with the linear and
/// quadratic ephemerides, and saved as CSV or an image.
class FrmOMinusC : public QWidget {
    Q_OBJECT
public:
    explicit FrmOMinusC(Context& ctx, QWidget* parent = nullptr);
    ~FrmOMinusC() override;

    /// The observations and the ephemeris (and template order) to start from.
    void setData(const SearchData& data, double period, double epoch, int order);

    /// Commands, public so that tests drive them as a user would.
    void cmdMeasure();
    void cmdSaveCsv();
    void cmdSaveImage();

    const OcResult& result() const { return result_; }

private:
    void createControls();
    void showResult();

    Context& ctx_;
    SearchData data_;
    double period_ = 0, epoch_ = 0;
    int order_ = 0;
    OcResult result_;

    QComboBox* cboGrouping_ = nullptr;
    QLineEdit* txtGroupSize_ = nullptr;
    QCheckBox* chkMinima_ = nullptr;
    QPushButton* cmdMeasure_ = nullptr;
    CanvasWidget* picOC_ = nullptr;
    QLabel* lblLinear_ = nullptr;
    QLabel* lblQuadratic_ = nullptr;
    QPushButton* cmdSaveCsv_ = nullptr;
    QPushButton* cmdSaveImage_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

} // namespace varilume
