// The main window's side of the light-curve models: the "Fourier Fit" window,
// its model drawn over the phase plot, and the period search of its residuals.
#include "ui/main/FrmPlot.h"

#include "plot/ModelCurve.h"
#include "ui/model/FrmFourierFit.h"
#include "ui/search/FrmSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QScreen>
#include <algorithm>

namespace varilume {

void FrmPlot::createModelMenus(QMenu* tools) {
    QAction* fit = tools->addAction(QStringLiteral("Fourier Fit\u2026"));
    fit->setObjectName(QStringLiteral("mnuFourierFit"));
    fit->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    connect(fit, &QAction::triggered, this, &FrmPlot::mnuFourierFit);
    mnuShowModel_ = tools->addAction(QStringLiteral("Show Model Curve"));
    mnuShowModel_->setObjectName(QStringLiteral("mnuShowModel"));
    mnuShowModel_->setCheckable(true);
    mnuShowModel_->setChecked(true);
    mnuShowModel_->setEnabled(false); // until there is a fit window
}

void FrmPlot::mnuFourierFit() {
    if (!fourier_) {
        fourier_ = new FrmFourierFit(ctx_, this);
        QCheckBox* box = fourier_->showModelBox();
        mnuShowModel_->setEnabled(true);
        mnuShowModel_->setChecked(box->isChecked());
        connect(mnuShowModel_, &QAction::toggled, box, &QCheckBox::setChecked);
        connect(box, &QCheckBox::toggled, mnuShowModel_, &QAction::setChecked);
        connect(fourier_, &FrmFourierFit::modelChanged, this, [this] {
            if (state_.StarLoaded)
                replot(false);
        });
        connect(this, &FrmPlot::observationsChanged, fourier_, &FrmFourierFit::observationsChanged);
        connect(fourier_, &FrmFourierFit::residualsReady, this,
                [this](const SearchData& data, const QString& label) {
                    mnuSearch();
                    search_->searchResiduals(data, label);
                });
        connect(fourier_, &FrmFourierFit::restored, this, [this] {
            if (search_)
                search_->restoreObservations();
        });
    }
    if (!fourier_->isVisible()) {
        // Beside the main window when there is room, else over its right
        // part: never off the screen.
        const QRect frame = frameGeometry();
        QPoint at = frame.topRight() + QPoint(8, 40);
        if (const QScreen* screen = this->screen()) {
            const QRect room = screen->availableGeometry();
            const QSize size = fourier_->frameGeometry().size();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - size.width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - size.height())));
        }
        fourier_->move(at);
    }
    fourier_->show();
    fourier_->raise();
    fourier_->activateWindow();
}

void FrmPlot::drawModel() {
    if (!fourier_ || state_.Plotting)
        return;
    if (const FourierFit* fit = fourier_->modelFor(state_.Period)) {
        drawModelCurve(picView(), state_, *fit);
        repaintCanvases();
    }
}

void FrmPlot::fourierResidualPeak(double period) {
    fourier_->addFrequency(period);
}

} // namespace varilume
