// The main window's controls: the start screen, the plot with its scales, the
// period panel and the status bar, each placed at its design size.
#include "ui/main/FrmPlot.h"

#include "canvas/Canvas.h"
#include "ui/main/Logo.h"
#include "ui/widgets/CanvasWidget.h"
#include "ui/widgets/FitText.h"
#include "ui/widgets/Named.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace varilume {

namespace {

QFont fontOf(const QString& family, qreal points, bool bold) {
    QFont f = QApplication::font();
    if (!family.isEmpty())
        f.setFamily(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

void FrmPlot::createControls() {
    client_ = named(new QWidget(this), "client");
    client_->setMouseTracking(true);
    setCentralWidget(client_);

    createStartScreen();
    createPictures();
    createActionPanel();
    createStatusBar();
    // A caption wider than its twips keeps whole, the option moving left within its frame.
    for (QRadioButton* option : {optOneCycle_, optTwoCycles_, optUrOneCycle_, optUrTwoCycles_}) {
        QRect r = option->geometry();
        r.setWidth(std::max(r.width(), option->sizeHint().width()));
        const int room = option->parentWidget()->width() - 2;
        if (r.right() >= room)
            r.moveRight(room - 1);
        option->setGeometry(r);
    }
    // The visible plot covers the start-screen controls that lie in its area.
    pics_.view->raise();
    actionPacker_.record(fraAction_, layout_.fraAction.px().width());
    applyLayout();
    updateMinimumSize();
}

void FrmPlot::createStartScreen() {
    QPalette blue;
    blue.setColor(QPalette::WindowText, QColor(0, 0, 192));
    Label1_ = named(new QLabel(QStringLiteral("Varilume"), client_), "Label1");
    Label1_->setFont(fontOf(QStringLiteral("Arial"), 18, true));
    Label1_->setPalette(blue);
    Label1_->setAlignment(Qt::AlignCenter);
    Label2_ =
        named(new QLabel(QStringLiteral("Determines Variable Star Periods"), client_), "Label2");
    Label2_->setFont(fontOf(QStringLiteral("Arial"), 12, false));
    Label2_->setPalette(blue);
    Label2_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    lblPrg_ = named(new QLabel(client_), "lblPrg");
    lblPrg_->setAlignment(Qt::AlignCenter);
    prgLoad_ = named(new QProgressBar(client_), "prgLoad");
    prgLoad_->setTextVisible(false);

    picORBIS_ = named(new QLabel(client_), "picORBIS");
    picORBIS_->setPixmap(makeLogo(layout_.picORBIS.px().size()));
    cmdLoad_ = named(new QPushButton(QStringLiteral("Load ORBIS File"), client_), "cmdLoad");
    cmdLoadXYZ_ =
        named(new QPushButton(QStringLiteral("Load 2-Column File"), client_), "cmdLoadXYZ");
    connect(cmdLoad_, &QPushButton::clicked, this, &FrmPlot::cmdLoad);
    connect(cmdLoadXYZ_, &QPushButton::clicked, this, &FrmPlot::cmdLoadXYZ);

    fraUrCycles_ = named(new QGroupBox(QStringLiteral("Display:"), client_), "fraUrCycles");
    fraUrCycles_->setGeometry(layout_.fraUrCycles.px());
    optUrOneCycle_ =
        named(new QRadioButton(QStringLiteral("One Cycle"), fraUrCycles_), "optUrOneCycle");
    optUrTwoCycles_ =
        named(new QRadioButton(QStringLiteral("Two Cycles"), fraUrCycles_), "optUrTwoCycles");
    optUrOneCycle_->setGeometry(TwipRect{240, 240, 1575, 195}.px().adjusted(0, -1, 0, 2));
    optUrTwoCycles_->setGeometry(TwipRect{240, 480, 1575, 195}.px().adjusted(0, -1, 0, 2));

    lblCopyright_ = named(new QLabel(client_), "lblCopyright");
    lblCopyright_->setFont(fontOf(QString(), 8.25, true));
}

void FrmPlot::createPictures() {
    lblStarName_ = named(new QLabel(client_), "lblStarName");
    lblStarName_->setFont(fontOf(QString(), 9.75, true));
    lblStarName_->setAlignment(Qt::AlignCenter);

    pics_ = PictureWidgets::create(client_);
    pics_.view->canvas().setFillColor(0x00FFFF);
    connect(pics_.view, &CanvasWidget::mouseMoved, this, &FrmPlot::onViewMoved);
    connect(pics_.jdScale, &CanvasWidget::mouseMoved, this,
            [this](double x, double) { onJDScaleMoved(x); });
    connect(pics_.magScale, &CanvasWidget::mouseMoved, this,
            [this](double, double y) { onMagScaleMoved(y); });
    // A click on a strip draws a grey marker across the plot, kept until the next plot.
    connect(pics_.jdScale, &CanvasWidget::mousePressed, this,
            [this](double x, double, Qt::MouseButton) {
                pics_.view->canvas().line(x, state_.MinMag, x, state_.MaxMag,
                                          150 + 150 * 256 + 150 * 65536);
                pics_.view->refresh();
            });
    connect(pics_.magScale, &CanvasWidget::mousePressed, this,
            [this](double, double y, Qt::MouseButton) {
                pics_.view->canvas().line(-1, y, 1, y, 150 + 150 * 256 + 150 * 65536);
                pics_.view->refresh();
            });
}

void FrmPlot::createActionPanel() {
    fraAction_ = named(new QFrame(client_), "fraAction");
    fraAction_->setFrameShape(QFrame::NoFrame);
    Label5_ = named(new QLabel(fraAction_), "Label5");
    Label4_ = named(new QLabel(fraAction_), "Label4");
    Label5_->setGeometry(TwipRect{120, 240, 1935, 255}.px());
    Label4_->setGeometry(TwipRect{120, 480, 1935, 255}.px());
    fraCycles_ = named(new QGroupBox(QStringLiteral("Display:"), fraAction_), "fraCycles");
    fraCycles_->setGeometry(TwipRect{2280, 0, 1575, 800}.px());
    optOneCycle_ = named(new QRadioButton(QStringLiteral("One Cycle"), fraCycles_), "optOneCycle");
    optTwoCycles_ =
        named(new QRadioButton(QStringLiteral("Two Cycles"), fraCycles_), "optTwoCycles");
    optOneCycle_->setGeometry(TwipRect{240, 240, 1300, 195}.px().adjusted(0, -1, 0, 2));
    optTwoCycles_->setGeometry(TwipRect{240, 480, 1300, 195}.px().adjusted(0, -1, 0, 2));

    const auto squareButton = [this](const char* name, const TwipRect& r, const QString& tip) {
        auto* b = named(new QToolButton(fraAction_), name);
        b->setGeometry(r.px());
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    cmdIncrDn_ = squareButton("cmdIncrDn", {4110, 240, 480, 480}, QStringLiteral("Period down"));
    cmdIncrUp_ = squareButton("cmdIncrUp", {5760, 240, 480, 480}, QStringLiteral("Period up"));
    cmdRefresh_ =
        squareButton("cmdRefresh", {6705, 240, 480, 480}, QStringLiteral("Refresh Plot Screen"));
    cmdBins_ = squareButton("cmdBins", {7560, 240, 480, 480}, QStringLiteral("Average Line"));
    cmdReset_ = squareButton("cmdReset", {8400, 240, 480, 480}, QStringLiteral("Reset Plot"));
    cmdIncrDn_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    cmdIncrUp_->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    cmdRefresh_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    cmdBins_->setIcon(makeBinsIcon());
    cmdReset_->setStyleSheet(
        QStringLiteral("QToolButton { background: #d01010; border: 1px solid #600; }"));

    lblPeriod_ = named(new QLabel(QStringLiteral("Period (days)"), fraAction_), "lblPeriod");
    lblPeriod_->setGeometry(TwipRect{4680, 120, 975, 255}.px());
    lblPeriod_->setAlignment(Qt::AlignCenter);
    fitToText(lblPeriod_, true);
    txtPeriod_ = named(new QLineEdit(fraAction_), "txtPeriod");
    txtPeriod_->setGeometry(TwipRect{4680, 360, 975, 285}.px().adjusted(0, 0, 0, 3));
    txtPeriod_->setAlignment(Qt::AlignCenter);
    period_.emplace(state_, *txtPeriod_);
    Label6_ = named(new QLabel(fraAction_), "Label6");
    Label3_ = named(new QLabel(fraAction_), "Label3");
    Label6_->setGeometry(TwipRect{9000, 240, 1455, 255}.px());
    Label3_->setGeometry(TwipRect{9000, 480, 1455, 255}.px());
    setTabOrder(txtPeriod_, cmdIncrUp_);

    connect(cmdIncrDn_, &QToolButton::clicked, this, &FrmPlot::cmdIncrDn);
    connect(cmdIncrUp_, &QToolButton::clicked, this, &FrmPlot::cmdIncrUp);
    connect(cmdRefresh_, &QToolButton::clicked, this, &FrmPlot::cmdRefresh);
    connect(cmdReset_, &QToolButton::clicked, this, &FrmPlot::cmdReset);
    connect(cmdBins_, &QToolButton::clicked, this, &FrmPlot::mnuAverage);
    connect(optOneCycle_, &QRadioButton::clicked, this, [this] { selectCycles(false); });
    connect(optTwoCycles_, &QRadioButton::clicked, this, [this] { selectCycles(true); });
    connect(optUrOneCycle_, &QRadioButton::clicked, this, [this] { selectCycles(false); });
    connect(optUrTwoCycles_, &QRadioButton::clicked, this, [this] { selectCycles(true); });
}

void FrmPlot::createStatusBar() {
    staPlot_ = named(new QFrame(client_), "staPlot");
    staPlot_->setFrameShape(QFrame::StyledPanel);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new ElidedLabel(staPlot_);
        panels_[i]->setObjectName(QStringLiteral("staPlotPanel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setIndent(3);
    }
    lblIncrement_ = named(new QLabel(staPlot_), "staPlotIncrement");
    lblIncrement_->setFrameShape(QFrame::Panel);
    lblIncrement_->setFrameShadow(QFrame::Sunken);
    lblIncrement_->setIndent(3);
}

} // namespace varilume
