#pragma once

#include "preview/ClickPairs.h"
#include "preview/PreviewView.h"
#include "store/Context.h"
#include "ui/widgets/PanelPacker.h"
#include "ui/widgets/PictureWidgets.h"

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace varilume {

class PlotView;

/// Shows the light-curve preview modally for the JD window in force and returns
/// when it closes; the window and period it hands back are in the state.
/// setMainPeriod hands an estimated period to the main window.
void runPreview(Context& ctx, PlotView& mainWindow,
                const std::function<void(float)>& setMainPeriod);

/// "Varilume -  Preview": the raw light curve, where the observer narrows the
/// JD window (slider or two-click zoom) and estimates a period from two clicks.
class FrmPreview : public QDialog, public PreviewView {
    Q_OBJECT
public:
    FrmPreview(Context& ctx, PlotView& mainWindow, std::function<void(float)> setMainPeriod,
               QWidget* parent = nullptr);

    // PreviewView
    Canvas& picView() override;
    Canvas& picJDScale() override;
    Canvas& picMagScale() override;
    void repaintCanvases() override;
    void setStarCaption(const QString& caption) override;
    void setGoEnabled(bool enabled) override;

    /// Commands, public so that tests drive them as a user would.
    void activate();
    void fullRedraw();
    void clickAt(double jd);
    void cmdRefresh();
    void cmdReset();
    void cmdZoom();
    void cmdGo();
    void sliderReleasedAt(int percent);

    const ClickPairs& clicks() const { return clicks_; }
    QString starCaption() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void refreshView();
    void applyLayout();

    Context& ctx_;
    PlotView& main_;
    std::function<void(float)> setMainPeriod_;
    ClickPairs clicks_;
    QSize drawnSize_;
    PanelPacker actionPacker_;

    QLabel* lblStarName_ = nullptr;
    PictureWidgets pics_;
    QFrame* fraAction_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label3_ = nullptr;
    QSlider* sldRange_ = nullptr;
    QLabel* lblZoom_ = nullptr;
    QPushButton* cmdGo_ = nullptr;
    QLineEdit* txtPeriod_ = nullptr;
};

} // namespace varilume
