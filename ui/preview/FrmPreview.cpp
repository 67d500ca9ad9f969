#include "ui/preview/FrmPreview.h"

#include "canvas/Canvas.h"
#include "format/NumberFormat.h"
#include "preview/PreviewPlot.h"
#include "ui/widgets/CanvasWidget.h"
#include "ui/widgets/FitText.h"
#include "ui/widgets/Named.h"
#include "ui/widgets/ScreenFit.h"
#include "ui/widgets/Twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace varilume {

namespace {

// Client 11130 x 7830 twips inside an outer 11250 x 8250.
constexpr float kPreviewFrameHeight = 420;
// Lower, the plot would shrink to nothing above the controls.
constexpr float kMinOuterHeight = 6000;

} // namespace

void runPreview(Context& ctx, PlotView& mainWindow,
                const std::function<void(float)>& setMainPeriod) {
    FrmPreview preview(ctx, mainWindow, setMainPeriod);
    preview.activate();
    preview.fullRedraw();
    ctx.platform.execDialog(preview);
    ClickPairs::close(ctx.state);
}

FrmPreview::FrmPreview(Context& ctx, PlotView& mainWindow, std::function<void(float)> setMainPeriod,
                       QWidget* parent)
    : QDialog(parent), ctx_(ctx), main_(mainWindow), setMainPeriod_(std::move(setMainPeriod)) {
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Varilume -  Preview"));

    lblStarName_ = named(new QLabel(this), "lblStarName");
    QFont bold = lblStarName_->font();
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    lblStarName_->setFont(bold);
    lblStarName_->setAlignment(Qt::AlignCenter);
    pics_ = PictureWidgets::create(this);
    pics_.view->setCursor(Qt::CrossCursor);
    connect(pics_.view, &CanvasWidget::mousePressed, this,
            [this](double x, double, Qt::MouseButton) { clickAt(x); });

    fraAction_ = named(new QFrame(this), "fraAction");
    Label1_ = named(new QLabel(fraAction_), "Label1");
    Label1_->setGeometry(TwipRect{2438, 0, 6255, 375}.px());
    Label1_->setAlignment(Qt::AlignCenter);
    Label1_->setText(
        QStringLiteral("Click on two adjacent maxima or minima for approximation of period."));
    Label3_ = named(new QLabel(fraAction_), "Label3");
    Label3_->setGeometry(TwipRect{240, 480, 3015, 495}.px().adjusted(0, -4, 0, 2));
    Label3_->setAlignment(Qt::AlignCenter);
    Label3_->setText(
        QStringLiteral("Percentage of dataset to be displayed\n"
                       "0                           50                           100"));
    fitToText(Label3_, true);
    // Widened about its centre, it must not lose its "0" at the frame's edge.
    if (Label3_->x() < 0)
        Label3_->move(0, Label3_->y());
    sldRange_ = named(new QSlider(Qt::Horizontal, fraAction_), "sldRange");
    sldRange_->setGeometry(TwipRect{120, 960, 3255, 510}.px());
    sldRange_->setRange(0, 100);
    sldRange_->setTickPosition(QSlider::TicksBelow);
    sldRange_->setTickInterval(10);
    sldRange_->installEventFilter(this);

    const auto button = [this](const char* name, const TwipRect& r, const QString& tip) {
        auto* b = named(new QToolButton(fraAction_), name);
        b->setGeometry(r.px());
        b->setToolTip(tip);
        return b;
    };
    QToolButton* refresh =
        button("cmdRefresh", {3930, 720, 480, 480}, QStringLiteral("Refresh Plot Screen"));
    refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    lblZoom_ = named(new QLabel(QStringLiteral("Zoom"), fraAction_), "lblZoom");
    lblZoom_->setGeometry(TwipRect{4800, 480, 495, 255}.px());
    lblZoom_->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: red; font-weight: bold; }"));
    lblZoom_->setAlignment(Qt::AlignCenter);
    lblZoom_->hide();
    QToolButton* zoom = button("cmdZoom", {4800, 720, 480, 480}, QStringLiteral("Zoom in on JD"));
    zoom->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    QToolButton* reset = button("cmdReset", {5640, 720, 480, 480}, QStringLiteral("Reset Plot"));
    reset->setStyleSheet(
        QStringLiteral("QToolButton { background: #d01010; border: 1px solid #600; }"));
    cmdGo_ = named(new QPushButton(QStringLiteral("Continue"), fraAction_), "cmdGo");
    cmdGo_->setGeometry(TwipRect{6465, 720, 1095, 495}.px());
    cmdGo_->setToolTip(QStringLiteral("Exit Preview Screen"));
    auto* label2 = named(new QLabel(QStringLiteral("Selected Period: "), fraAction_), "Label2");
    // Right-aligned against the period box, so a wider font grows it leftwards.
    const QRect periodBox = TwipRect{9120, 720, 855, 285}.px();
    const int labelWidth =
        std::max(label2->sizeHint().width(), TwipRect{0, 0, 1215, 0}.px().width());
    label2->setGeometry(periodBox.left() - labelWidth, TwipRect{0, 780, 0, 255}.px().top(),
                        labelWidth, TwipRect{0, 0, 0, 255}.px().height());
    label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtPeriod_ = named(new QLineEdit(fraAction_), "txtPeriod");
    txtPeriod_->setGeometry(TwipRect{9120, 720, 855, 285}.px().adjusted(0, 0, 0, 3));

    connect(refresh, &QToolButton::clicked, this, &FrmPreview::cmdRefresh);
    connect(zoom, &QToolButton::clicked, this, &FrmPreview::cmdZoom);
    connect(reset, &QToolButton::clicked, this, &FrmPreview::cmdReset);
    connect(cmdGo_, &QPushButton::clicked, this, &FrmPreview::cmdGo);

    // The row of controls packs closer on a narrow window; the hint above it
    // stays centred.
    actionPacker_.record(fraAction_, TwipRect{0, 0, 10575, 0}.px().width(), {Label1_});
    constexpr int kGap = 4;
    setMinimumSize(actionPacker_.minimumWidth(kGap) + 2 * kGap,
                   TwipRect{0, 0, 0, kMinOuterHeight - kPreviewFrameHeight}.px().height());
    const QSize client(qRound((kDesignOuterWidth - kFrameWidth) / kTwipsPerPixel),
                       qRound((kDesignOuterHeight - kPreviewFrameHeight) / kTwipsPerPixel));
    resize(client);
    applyLayout();
}

void FrmPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitOnScreen(*this);
}

Canvas& FrmPreview::picView() {
    return pics_.view->canvas();
}
Canvas& FrmPreview::picJDScale() {
    return pics_.jdScale->canvas();
}
Canvas& FrmPreview::picMagScale() {
    return pics_.magScale->canvas();
}

void FrmPreview::repaintCanvases() {
    pics_.refresh();
}

void FrmPreview::setStarCaption(const QString& caption) {
    lblStarName_->setText(caption);
}
QString FrmPreview::starCaption() const {
    return lblStarName_->text();
}
void FrmPreview::setGoEnabled(bool enabled) {
    cmdGo_->setEnabled(enabled);
}

void FrmPreview::applyLayout() {
    const float W = width() * kTwipsPerPixel + kFrameWidth;
    const float H = height() * kTwipsPerPixel + kPreviewFrameHeight;
    if (W - 1035 < 0 || H - 2955 < 0) {
        resize(qRound((kDesignOuterWidth - kFrameWidth) / kTwipsPerPixel),
               qRound((kDesignOuterHeight - kPreviewFrameHeight) / kTwipsPerPixel));
        return;
    }
    const TwipRect view{350, 960, W - 1035, H - 2955};
    lblStarName_->setGeometry(TwipRect{345, 240, view.width, 375}.px());
    pics_.jdScale->setGeometry(TwipRect{360, 600, view.width, 375}.px());
    pics_.view->setGeometry(view.px());
    pics_.magScale->setGeometry(TwipRect{view.width + 350, 960, 375, view.height}.px());
    // Tall enough for the slider's tick marks below it.
    QRect action = TwipRect{W / 2 - 10575.f / 2, H - 2010, 10575, 1500}.px();
    action.setWidth(std::min(action.width(), width()));
    action.moveLeft((width() - action.width()) / 2);
    fraAction_->setGeometry(action);
    actionPacker_.pack();
    QRect hint = Label1_->geometry();
    hint.setWidth(
        std::min(std::max(TwipRect{0, 0, 6255, 0}.px().width(), Label1_->sizeHint().width()),
                 action.width()));
    hint.moveLeft((action.width() - hint.width()) / 2);
    Label1_->setGeometry(hint);
    // The canvases follow at once, also before the window is first shown.
    pics_.fitCanvases();
}

void FrmPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isMinimized())
        return;
    applyLayout();
    // The first resize on showing finds the picture already drawn at this size.
    if (ctx_.state.StarLoaded && size() != drawnSize_ && isVisible())
        fullRedraw();
}

void FrmPreview::activate() {
    txtPeriod_->setText(QStringLiteral("0"));
    const QSignalBlocker block(sldRange_);
    sldRange_->setValue(100);
    clicks_.activate();
}

void FrmPreview::fullRedraw() {
    drawnSize_ = size();
    PreviewFullRedraw(ctx_, *this, main_);
    repaintCanvases();
}

void FrmPreview::refreshView() {
    ctx_.platform.setBusyCursor(true);
    lblZoom_->hide();
    sldRange_->setEnabled(true);
    Label3_->setEnabled(true);
    txtPeriod_->setText(QStringLiteral("0"));
    PreviewPlotRedraw(ctx_, *this, main_);
    repaintCanvases();
    ctx_.platform.setBusyCursor(false);
}

void FrmPreview::cmdRefresh() {
    clicks_.refresh(ctx_.state);
    refreshView();
}

void FrmPreview::cmdReset() {
    clicks_.reset(ctx_.state);
    refreshView();
}

void FrmPreview::cmdZoom() {
    clicks_.zoom(ctx_.state);
    refreshView();
    lblZoom_->show();
    sldRange_->setEnabled(false);
    Label3_->setEnabled(false);
}

void FrmPreview::sliderReleasedAt(int percent) {
    clicks_.slider(ctx_.state, percent);
    fullRedraw();
}

void FrmPreview::clickAt(double jd) {
    ProjectState& s = ctx_.state;
    if (s.Plotting)
        return;
    pics_.view->canvas().line(jd, s.MinMag, jd, s.MaxMag, ClickPairs::clickLineColor(s));
    pics_.view->refresh();
    switch (clicks_.click(s, jd)) {
    case ClickOutcome::None:
        break;
    case ClickOutcome::Estimate: {
        const QString text = fmt::general(s.Period);
        txtPeriod_->setText(text);
        if (setMainPeriod_)
            setMainPeriod_(s.Period);
        break;
    }
    case ClickOutcome::Zoom:
        // The slider stays off until Refresh or Reset: it would set a window
        // out of the whole data and undo the zoom.
        lblZoom_->hide();
        fullRedraw();
        break;
    case ClickOutcome::WrongNumber:
        ctx_.platform.message(
            QStringLiteral("Incorrect number of clicks. Try again with two clicks."),
            QStringLiteral("Wrong Number of Clicks1"), Buttons::Ok, Icon::None);
        clicks_.afterWrongNumber();
        cmdRefresh();
        break;
    }
}

void FrmPreview::cmdGo() {
    ClickPairs::close(ctx_.state);
    accept();
}

void FrmPreview::reject() {
    // The close box hands back the window and period just as Continue does.
    cmdGo();
}

void FrmPreview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!ctx_.state.Plotting)
            cmdGo();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmPreview::eventFilter(QObject* watched, QEvent* event) {
    // Only a mouse release redraws: the value is then the one the user just set.
    if (watched == sldRange_ && event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, this, [this] { sliderReleasedAt(sldRange_->value()); });
    return QDialog::eventFilter(watched, event);
}

} // namespace varilume
