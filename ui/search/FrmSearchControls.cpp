// The period-search window's controls: the settings on the left, the spectrum
// and the peak list on the right, and their wiring.
#include "ui/search/FrmSearch.h"

#include "format/NumberFormat.h"
#include "ui/search/SpectrumWidget.h"
#include "ui/widgets/ColorSwatch.h"
#include "ui/widgets/Named.h"

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

void FrmSearch::createControls() {
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(createSettingsPanel());
    outer->addLayout(createResultsPanel(), 1);
    connectControls();
    methodChanged();
}

QLayout* FrmSearch::createSettingsPanel() {
    auto* side = new QVBoxLayout;
    fraBands_ = named(new QGroupBox(QStringLiteral("Observations"), this), "fraBands");
    bandsLayout_ = new QVBoxLayout(fraBands_);
    lblData_ = named(new QLabel(fraBands_), "lblData");
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
    // Below the fewest harmonics: "Auto", each period with those the data support.
    spnHarmonics_->setRange(AutoHarmonics, searchlimits::MaxHarmonics);
    spnHarmonics_->setSpecialValueText(QStringLiteral("Auto"));
    spnHarmonics_->setValue(AutoHarmonics);
    spnHarmonics_->setToolTip(QStringLiteral(
        "Auto: 1 to 4 harmonics, each period with those that make it least likely to be noise"));
    spnBins_ = named(new QSpinBox(method), "spnBins");
    spnBins_->setRange(searchlimits::MinPdmBins, searchlimits::MaxPdmBins);
    spnBins_->setValue(10);
    spnCovers_ = named(new QSpinBox(method), "spnCovers");
    spnCovers_->setRange(searchlimits::MinPdmCovers, searchlimits::MaxPdmCovers);
    spnCovers_->setValue(2);
    methodForm->addRow(optGls_);
    methodForm->addRow(QStringLiteral("Harmonics:"), spnHarmonics_);
    methodForm->addRow(optPdm_);
    methodForm->addRow(QStringLiteral("Bins:"), spnBins_);
    methodForm->addRow(QStringLiteral("Covers:"), spnCovers_);
    methodForm->addRow(optString_);
    // A setting of the run, beside the method rather than over the plot, so
    // the plot's row stays narrow.
    chkWindow_ = named(new QCheckBox(QStringLiteral("Spectral window"), method), "chkWindow");
    methodForm->addRow(chkWindow_);
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
    lblRangeSource_ = named(new QLabel(QStringLiteral("from the data"), range), "lblRangeSource");
    rangeForm->addRow(QStringLiteral("Range:"), lblRangeSource_);
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
    prgSearch_->setFormat(QStringLiteral("%p%"));
    side->addWidget(prgSearch_);
    side->addStretch(1);

    return side;
}

QLayout* FrmSearch::createResultsPanel() {
    auto* body = new QVBoxLayout;
    auto* axisRow = new QHBoxLayout;
    optFrequency_ = named(new QRadioButton(QStringLiteral("Frequency"), this), "optFrequency");
    optPeriod_ = named(new QRadioButton(QStringLiteral("Period"), this), "optPeriod");
    chkLogPeriod_ = named(new QCheckBox(QStringLiteral("Logarithmic"), this), "chkLogPeriod");
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
    body->addLayout(axisRow);
    picSpectrum_ = named(new SpectrumWidget(this), "picSpectrum");
    picSpectrum_->setToolTip(
        QStringLiteral("Drag to zoom, double-click to see it all; double-click a numbered "
                       "peak to plot its period"));
    body->addWidget(picSpectrum_, 3);

    // What the best peak says, above the list: "periodic", "red noise", "not significant".
    lblVerdict_ = named(new QLabel(this), "lblVerdict");
    lblVerdict_->setToolTip(
        QStringLiteral("Periodic: significant against white noise and against the red-noise "
                       "continuum, and no image of the sampling"));
    body->addWidget(lblVerdict_);
    grdPeaks_ = named(new QTableWidget(10, 9, this), "grdPeaks");
    grdPeaks_->setHorizontalHeaderLabels(
        {QStringLiteral("Rank"), QStringLiteral("Period (d)"), QStringLiteral("Frequency (c/d)"),
         QStringLiteral("Power"), QStringLiteral("FAP"), QStringLiteral("\u03C3P (d)"),
         QStringLiteral("H"), QStringLiteral("FAP (red)"), QStringLiteral("Note")});
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

    return body;
}

void FrmSearch::connectControls() {
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
        connect(box, &QLineEdit::textEdited, this, &FrmSearch::rangeTyped);
    methodChanged();
}

} // namespace varilume
