// The main window's limits and the controls whose caption, not the design,
// decides their size.
#include "ui/main/FrmPlot.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace varilume {

void FrmPlot::updateMinimumSize() {
    // Narrower, the period panel's controls would touch; lower, the start
    // screen's load buttons and options would run into the status bar.
    constexpr int kGap = 4;
    constexpr float kMinOuterHeight = 6450;
    const int width = actionPacker_.minimumWidth(kGap) + 2 * kGap;
    const int height = TwipRect{0, 0, 0, kMinOuterHeight - kFrameHeight}.px().height();
    // Set on the client area: the window adds its menu bar, however tall.
    client_->setMinimumSize(width, height);
}

// Controls whose size the design fixes in twips but whose caption the font
// decides: each keeps its caption whole.
void FrmPlot::placeFixedControls() {
    const QRect bar = staPlot_->geometry();
    QRect copyright = lblCopyright_->geometry();
    copyright.setWidth(std::max(copyright.width(), lblCopyright_->sizeHint().width()));
    copyright.setHeight(std::max(copyright.height(), lblCopyright_->sizeHint().height()));
    if (copyright.bottom() >= bar.top())
        copyright.moveBottom(bar.top() - 1);
    lblCopyright_->setGeometry(copyright);
    // The two load buttons stay one width, centred, wide enough for either caption.
    const int buttonWidth = std::max(
        {cmdLoad_->width(), cmdLoad_->sizeHint().width(), cmdLoadXYZ_->sizeHint().width()});
    for (QPushButton* b : {cmdLoad_, cmdLoadXYZ_}) {
        QRect r = b->geometry();
        r.moveLeft(r.center().x() - buttonWidth / 2);
        r.setWidth(buttonWidth);
        b->setGeometry(r);
    }
}

} // namespace varilume
