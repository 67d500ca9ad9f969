#include "support/FakeViews.h"

namespace varilume::test {

void RecordingBusyView::showBusyCaption(const QString& caption) {
    captions << caption;
    events << QStringLiteral("caption");
    captionShown = true;
}

void RecordingBusyView::hideBusyCaption() {
    events << QStringLiteral("hide caption");
    captionShown = false;
}

void RecordingBusyView::showProgress(int maximum) {
    events << QStringLiteral("progress max %1").arg(maximum);
    progressShown = true;
}

void RecordingBusyView::hideProgress() {
    events << QStringLiteral("hide progress");
    progressShown = false;
}

RecordingPlotView::RecordingPlotView(int widthPx, int heightPx)
    : view(widthPx, heightPx, 0, 0x00FFFF), jdScale(widthPx, 30, 0, 0xFFFFFF),
      magScale(40, heightPx, 0, 0xFFFFFF) {
    for (Canvas* c : {&view, &jdScale, &magScale})
        c->setRecording(true);
}

QString RecordingPlotView::withPlotting(const QString& call) const {
    return plotting ? call + QStringLiteral(" plotting %1").arg(*plotting) : call;
}

void RecordingPlotView::setStarCaption(const QString& text) {
    caption = text;
    calls << QStringLiteral("caption ") + text;
}

FakePreviewView::FakePreviewView() {
    for (Canvas* c : {&view, &jdScale, &magScale})
        c->setRecording(true);
}

} // namespace varilume::test
