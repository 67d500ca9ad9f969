#include "ui/search/FrmSearch.h"

#include "format/NumberFormat.h"
#include "ui/search/SpectrumWidget.h"
#include "ui/widgets/ColorSwatch.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace varilume {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FrmSearch::FrmSearch(Context& ctx, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Varilume - Period Search"));
    createControls();
    pollTimer_.setInterval(80);
    connect(&pollTimer_, &QTimer::timeout, this, &FrmSearch::poll);
    // Settings change in bursts (typing a number): plan once they settle.
    planTimer_.setSingleShot(true);
    planTimer_.setInterval(150);
    connect(&planTimer_, &QTimer::timeout, this, &FrmSearch::updatePlan);
    observationsChanged();
}

FrmSearch::~FrmSearch() = default;

void FrmSearch::createControls() {
    auto* outer = new QHBoxLayout(this);
    auto* side = new QVBoxLayout;
    outer->addLayout(side);

    fraBands_ = named(new QGroupBox(QStringLiteral("Observations"), this), "fraBands");
    bandsLayout_ = new QVBoxLayout(fraBands_);
    lblData_ = named(new QLabel(fraBands_), "lblData");
    lblData_->setWordWrap(true);
    bandsLayout_->addWidget(lblData_);
    chkWeight_ =
        named(new QCheckBox(QStringLiteral("Weight by uncertainty"), fraBands_), "chkWeight");
    bandsLayout_->addWidget(chkWeight_);
    side->addWidget(fraBands_);

    auto* method = named(new QGroupBox(QStringLiteral("Method"), this), "fraMethod");
    auto* methodForm = new QFormLayout(method);
    optGls_ = named(new QRadioButton(QStringLiteral("GLS (Lomb-Scargle)"), method), "optGls");
    optPdm_ = named(new QRadioButton(QStringLiteral("PDM"), method), "optPdm");
    optString_ = named(new QRadioButton(QStringLiteral("String length"), method), "optString");
    optGls_->setChecked(true);
    spnHarmonics_ = named(new QSpinBox(method), "spnHarmonics");
    spnHarmonics_->setRange(1, 4);
    spnBins_ = named(new QSpinBox(method), "spnBins");
    spnBins_->setRange(2, 100);
    spnBins_->setValue(10);
    spnCovers_ = named(new QSpinBox(method), "spnCovers");
    spnCovers_->setRange(1, 10);
    spnCovers_->setValue(2);
    methodForm->addRow(optGls_);
    methodForm->addRow(QStringLiteral("Harmonics:"), spnHarmonics_);
    methodForm->addRow(optPdm_);
    methodForm->addRow(QStringLiteral("Bins:"), spnBins_);
    methodForm->addRow(QStringLiteral("Covers:"), spnCovers_);
    methodForm->addRow(optString_);
    side->addWidget(method);

    auto* range = named(new QGroupBox(QStringLiteral("Trial periods"), this), "fraRange");
    auto* rangeForm = new QFormLayout(range);
    txtMinPeriod_ = named(new QLineEdit(range), "txtMinPeriod");
    txtMaxPeriod_ = named(new QLineEdit(range), "txtMaxPeriod");
    txtOversample_ = named(new QLineEdit(QStringLiteral("10"), range), "txtOversample");
    lblTrials_ = named(new QLabel(range), "lblTrials");
    lblTrials_->setWordWrap(true);
    rangeForm->addRow(QStringLiteral("Shortest (d):"), txtMinPeriod_);
    rangeForm->addRow(QStringLiteral("Longest (d):"), txtMaxPeriod_);
    rangeForm->addRow(QStringLiteral("Oversampling:"), txtOversample_);
    rangeForm->addRow(lblTrials_);
    side->addWidget(range);

    auto* buttons = new QHBoxLayout;
    cmdSearch_ = named(new QPushButton(QStringLiteral("Search"), this), "cmdSearch");
    cmdCancel_ = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdSearch_->setDefault(true);
    cmdCancel_->setEnabled(false);
    buttons->addWidget(cmdSearch_);
    buttons->addWidget(cmdCancel_);
    side->addLayout(buttons);
    prgSearch_ = named(new QProgressBar(this), "prgSearch");
    prgSearch_->setTextVisible(false);
    side->addWidget(prgSearch_);
    side->addStretch(1);

    auto* body = new QVBoxLayout;
    outer->addLayout(body, 1);
    auto* axisRow = new QHBoxLayout;
    optFrequency_ = named(new QRadioButton(QStringLiteral("Frequency"), this), "optFrequency");
    optPeriod_ = named(new QRadioButton(QStringLiteral("Period"), this), "optPeriod");
    chkLogPeriod_ = named(new QCheckBox(QStringLiteral("Logarithmic"), this), "chkLogPeriod");
    chkWindow_ = named(new QCheckBox(QStringLiteral("Spectral window"), this), "chkWindow");
    optFrequency_->setChecked(true);
    chkLogPeriod_->setEnabled(false);
    auto* axisGroup = new QButtonGroup(this);
    axisGroup->addButton(optFrequency_);
    axisGroup->addButton(optPeriod_);
    axisRow->addWidget(new QLabel(QStringLiteral("Plot against:"), this));
    axisRow->addWidget(optFrequency_);
    axisRow->addWidget(optPeriod_);
    axisRow->addWidget(chkLogPeriod_);
    axisRow->addStretch(1);
    axisRow->addWidget(chkWindow_);
    body->addLayout(axisRow);
    picSpectrum_ = named(new SpectrumWidget(this), "picSpectrum");
    picSpectrum_->setToolTip(
        QStringLiteral("Drag to zoom, double-click to see it all; double-click a numbered "
                       "peak to plot its period"));
    body->addWidget(picSpectrum_, 3);

    grdPeaks_ = named(new QTableWidget(10, 7, this), "grdPeaks");
    grdPeaks_->setHorizontalHeaderLabels({QStringLiteral("Rank"), QStringLiteral("Period (d)"),
                                          QStringLiteral("Frequency (c/d)"),
                                          QStringLiteral("Power"), QStringLiteral("FAP"),
                                          QStringLiteral("\u03C3P (d)"), QStringLiteral("Note")});
    grdPeaks_->verticalHeader()->hide();
    grdPeaks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPeaks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPeaks_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdPeaks_->horizontalHeader()->setStretchLastSection(true);
    grdPeaks_->setToolTip(QStringLiteral("Double-click a row to plot its period"));
    body->addWidget(grdPeaks_, 2);

    auto* bottom = new QHBoxLayout;
    lblStatus_ = named(new QLabel(this), "lblStatus");
    lblStatus_->setWordWrap(true);
    cmdCopy_ = named(new QPushButton(QStringLiteral("Copy"), this), "cmdCopy");
    cmdSave_ = named(new QPushButton(QStringLiteral("Save..."), this), "cmdSave");
    cmdCopy_->setEnabled(false);
    cmdSave_->setEnabled(false);
    bottom->addWidget(lblStatus_, 1);
    bottom->addWidget(cmdCopy_);
    bottom->addWidget(cmdSave_);
    body->addLayout(bottom);

    connect(cmdSearch_, &QPushButton::clicked, this, &FrmSearch::cmdSearch);
    connect(cmdCancel_, &QPushButton::clicked, this, &FrmSearch::cmdCancel);
    connect(cmdCopy_, &QPushButton::clicked, this, &FrmSearch::cmdCopy);
    connect(cmdSave_, &QPushButton::clicked, this, &FrmSearch::cmdSave);
    connect(grdPeaks_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { choosePeak(row); });
    connect(picSpectrum_, &SpectrumWidget::peakActivated, this, &FrmSearch::periodChosen);
    connect(picSpectrum_, &SpectrumWidget::pointed, this, [this](double f) {
        setStatus(QStringLiteral("Frequency %1 c/d, period %2 d")
                      .arg(QString::number(f, 'g', 7), QString::number(1.0 / f, 'g', 7)));
    });
    const auto axis = [this] {
        chkLogPeriod_->setEnabled(optPeriod_->isChecked());
        picSpectrum_->setAxis(
            optFrequency_->isChecked()
                ? SpectrumAxis::Frequency
                : (chkLogPeriod_->isChecked() ? SpectrumAxis::LogPeriod : SpectrumAxis::Period));
    };
    connect(optFrequency_, &QRadioButton::toggled, this, axis);
    connect(chkLogPeriod_, &QCheckBox::toggled, this, axis);
    connect(chkWindow_, &QCheckBox::toggled, this, [this](bool on) {
        picSpectrum_->setShowWindow(on);
        if (on && !last_.spectrum.values.empty() && last_.spectrum.window.empty())
            setStatus(QStringLiteral("Press Search to compute the spectral window."));
    });
    for (QRadioButton* b : {optGls_, optPdm_, optString_})
        connect(b, &QRadioButton::toggled, this, &FrmSearch::methodChanged);
    const auto replan = [this] { planTimer_.start(); };
    connect(spnHarmonics_, &QSpinBox::valueChanged, this, replan);
    connect(txtOversample_, &QLineEdit::textChanged, this, replan);
    connect(chkWeight_, &QCheckBox::toggled, this, replan);
    for (QLineEdit* box : {txtMinPeriod_, txtMaxPeriod_})
        connect(box, &QLineEdit::textEdited, this, [this, replan](const QString& text) {
            // An emptied box goes back to the range the data suggest.
            rangeEdited_ = !text.trimmed().isEmpty();
            replan();
        });
    methodChanged();
}

void FrmSearch::methodChanged() {
    spnHarmonics_->setEnabled(optGls_->isChecked());
    spnBins_->setEnabled(optPdm_->isChecked());
    spnCovers_->setEnabled(optPdm_->isChecked());
    planTimer_.start();
}

void FrmSearch::setTrialPeriod(double period) {
    picSpectrum_->setTrialPeriod(period);
}

void FrmSearch::showBeside(const QWidget& main) {
    const QRect mainFrame = main.frameGeometry();
    if (!isVisible()) {
        resize(900, 640);
        QPoint at = mainFrame.topRight() + QPoint(8, 0);
        if (const QScreen* screen = main.screen()) {
            const QRect room = screen->availableGeometry();
            // Right of the main window, else left of it, else overlapping it.
            if (at.x() + frameGeometry().width() > room.right() &&
                mainFrame.left() - 8 - frameGeometry().width() >= room.left())
                at.setX(mainFrame.left() - 8 - frameGeometry().width());
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - height())));
        }
        move(at);
    }
    show();
    raise();
    activateWindow();
}

void FrmSearch::closeEvent(QCloseEvent* event) {
    cmdCancel();
    QWidget::closeEvent(event);
}

void FrmSearch::setStatus(const QString& text) {
    lblStatus_->setText(text);
}

void FrmSearch::observationsChanged() {
    rebuildBands();
    picSpectrum_->setTrialPeriod(ctx_.state.StarLoaded ? ctx_.state.Period : 0);
    if (!ctx_.state.StarLoaded) {
        userBands_.clear(); // the next star's classes start from the defaults
        cmdCancel();
        last_ = SearchResult{};
        picSpectrum_->clearSpectrum();
        showPeaks();
    }
    planTimer_.start();
}

void FrmSearch::rebuildBands() {
    for (QCheckBox* box : bandBoxes_)
        delete box;
    bandBoxes_.clear();
    const auto bands = searchBands(ctx_);
    const auto defaults = defaultSearchColors(ctx_.state, bands);
    int at = 0;
    for (const Band& band : bands) {
        auto* box = new QCheckBox(band.name + QStringLiteral("  (%1)").arg(band.count), fraBands_);
        box->setObjectName(QStringLiteral("chkBand%1").arg(band.color));
        box->setIcon(colorSwatch(band.color));
        box->setProperty("color", band.color);
        const bool byDefault =
            std::find(defaults.begin(), defaults.end(), band.color) != defaults.end();
        const auto own = userBands_.find(band.color);
        // A band hidden in the main window stays out; otherwise the user's own tick counts.
        const bool shown = bandShown(ctx_.state, band.color);
        box->setChecked(shown && (own != userBands_.end() ? own->second : byDefault));
        connect(box, &QCheckBox::toggled, this, [this, color = band.color](bool on) {
            userBands_[color] = on;
            planTimer_.start();
        });
        bandsLayout_->insertWidget(at++, box);
        bandBoxes_.push_back(box);
    }
    const std::size_t withErrors = countWithUncertainty(ctx_);
    chkWeight_->setVisible(withErrors > 0);
    if (withErrors == 0)
        chkWeight_->setChecked(false);
}

SearchChoice FrmSearch::choice() const {
    SearchChoice c;
    for (const QCheckBox* box : bandBoxes_)
        if (box->isChecked())
            c.colors.push_back(box->property("color").toInt());
    // isHidden, not isVisible: the choice holds while the window itself is closed.
    c.weighted = !chkWeight_->isHidden() && chkWeight_->isChecked();
    return c;
}

std::optional<SearchSettings> FrmSearch::settings(bool quiet) const {
    SearchSettings s;
    s.method = optGls_->isChecked()   ? SearchMethod::Gls
               : optPdm_->isChecked() ? SearchMethod::Pdm
                                      : SearchMethod::StringLength;
    s.harmonics = spnHarmonics_->value();
    s.pdmBins = spnBins_->value();
    s.pdmCovers = spnCovers_->value();
    s.useWeights = !chkWeight_->isHidden() && chkWeight_->isChecked();
    s.spectralWindow = chkWindow_->isChecked();
    const auto read = [&](QLineEdit* box, const QString& what, double& into) {
        const QString text = box->text().trimmed();
        if (text.isEmpty())
            return true; // from the data
        const auto v = fmt::parseNumber(text);
        if (v && std::isfinite(*v) && *v > 0) {
            into = *v;
            return true;
        }
        if (!quiet)
            ctx_.platform.message(what + QStringLiteral(" \"") + text +
                                      QStringLiteral("\" is not a positive number."),
                                  QStringLiteral("Period Search"), Buttons::Ok, Icon::Exclamation);
        return false;
    };
    if (!read(txtMinPeriod_, QStringLiteral("The shortest period"), s.minPeriod) ||
        !read(txtMaxPeriod_, QStringLiteral("The longest period"), s.maxPeriod) ||
        !read(txtOversample_, QStringLiteral("The oversampling"), s.oversample))
        return std::nullopt;
    if (!rangeEdited_)
        s.minPeriod = s.maxPeriod = 0;
    return s;
}

void FrmSearch::updatePlan() {
    if (!ctx_.state.StarLoaded) {
        lblData_->setText(QStringLiteral("No star is loaded."));
        lblTrials_->clear();
        cmdSearch_->setEnabled(false);
        return;
    }
    cmdSearch_->setEnabled(true);
    const SearchInput in = searchInput(ctx_, choice());
    QString data = QStringLiteral("%1 observations, JD %2 to %3")
                       .arg(in.data.times.size())
                       .arg(fmt::general(ctx_.state.JDFrom), fmt::general(ctx_.state.JDTo));
    if (in.leftOut > 0)
        data += QStringLiteral("; %1 without an uncertainty left out").arg(in.leftOut);
    lblData_->setText(data);
    const auto s = settings(true);
    if (!s) {
        lblTrials_->setText(QStringLiteral("Check the numbers above."));
        return;
    }
    const SearchPlan plan = planSearch(in.data, *s);
    if (!plan.ok) {
        lblTrials_->setText(QString::fromStdString(plan.reason));
        return;
    }
    if (!rangeEdited_) {
        txtMinPeriod_->setText(QString::number(plan.range.minPeriod, 'g', 6));
        txtMaxPeriod_->setText(QString::number(plan.range.maxPeriod, 'g', 6));
    }
    lblTrials_->setText(QStringLiteral("%1 trial frequencies").arg(plan.grid.count));
}

} // namespace varilume
