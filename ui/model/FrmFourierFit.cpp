#include "ui/model/FrmFourierFit.h"

#include "plot/SearchInput.h"
#include "ui/model/FrmOMinusC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

namespace varilume {

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString number(double v, int digits) {
    return std::isfinite(v) ? QString::number(v, 'g', digits) : QString();
}

QString sigmaText(const Estimate& e, int digits = 3) {
    return e.sigma >= 0 && std::isfinite(e.sigma) ? QString::number(e.sigma, 'g', digits)
                                                  : QString();
}

// The cosine-series phase some catalogues use: the sine one plus a shift, in [0, 2 pi).
Estimate shifted(const Estimate& e, double by) {
    Estimate out = e;
    if (std::isfinite(e.value))
        out.value = std::fmod(e.value + by, 2 * std::numbers::pi);
    return out;
}

} // namespace

FrmFourierFit::FrmFourierFit(Context& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("frmFourierFit"));
    setWindowTitle(QStringLiteral("Varilume - Fourier Fit"));
    createControls();
    resize(560, 640);
}

FrmFourierFit::~FrmFourierFit() = default;

void FrmFourierFit::createControls() {
    auto* top = new QVBoxLayout(this);
    auto* settings = new QHBoxLayout;
    auto* lblOrder = new QLabel(QStringLiteral("Order:"), this);
    cboOrder_ = new QComboBox(this);
    cboOrder_->setObjectName(QStringLiteral("cboOrder"));
    for (int k = 1; k <= MaxFourierOrder; ++k)
        cboOrder_->addItem(QString::number(k), k);
    cboOrder_->addItem(QStringLiteral("Auto"), 0);
    cboOrder_->setCurrentIndex(MaxFourierOrder); // Auto
    lblOrder->setBuddy(cboOrder_);
    chkFreePeriod_ = new QCheckBox(QStringLiteral("Free period"), this);
    chkFreePeriod_->setObjectName(QStringLiteral("chkFreePeriod"));
    chkWeight_ = new QCheckBox(QStringLiteral("Weight by uncertainty"), this);
    chkWeight_->setObjectName(QStringLiteral("chkWeight"));
    cmdFit_ = button(QStringLiteral("&Fit"), "cmdFit", this);
    cmdFit_->setDefault(true);
    settings->addWidget(lblOrder);
    settings->addWidget(cboOrder_);
    settings->addWidget(chkFreePeriod_);
    settings->addWidget(chkWeight_);
    settings->addStretch();
    settings->addWidget(cmdFit_);
    top->addLayout(settings);

    chkShowModel_ = new QCheckBox(QStringLiteral("Show the model on the plot"), this);
    chkShowModel_->setObjectName(QStringLiteral("chkShowModel"));
    chkShowModel_->setChecked(true);
    top->addWidget(chkShowModel_);

    tblFit_ = new QTableWidget(0, 3, this);
    tblFit_->setObjectName(QStringLiteral("tblFit"));
    tblFit_->setHorizontalHeaderLabels(
        {QStringLiteral("Parameter"), QStringLiteral("Value"), QStringLiteral("Sigma")});
    tblFit_->verticalHeader()->hide();
    tblFit_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFit_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    top->addWidget(tblFit_, 3);

    auto* saves = new QHBoxLayout;
    cmdSaveModel_ = button(QStringLiteral("Save &Model CSV\u2026"), "cmdSaveModel", this);
    cmdSaveResiduals_ =
        button(QStringLiteral("Save &Residuals CSV\u2026"), "cmdSaveResiduals", this);
    cmdOMinusC_ = button(QStringLiteral("&O\u2013C\u2026"), "cmdOMinusC", this);
    saves->addWidget(cmdSaveModel_);
    saves->addWidget(cmdSaveResiduals_);
    saves->addWidget(cmdOMinusC_);
    saves->addStretch();
    top->addLayout(saves);

    auto* lblFrequencies = new QLabel(QStringLiteral("Frequencies (prewhitening):"), this);
    top->addWidget(lblFrequencies);
    tblFrequencies_ = new QTableWidget(0, 7, this);
    tblFrequencies_->setObjectName(QStringLiteral("tblFrequencies"));
    tblFrequencies_->setHorizontalHeaderLabels(
        {QStringLiteral(""), QStringLiteral("Frequency (c/d)"), QStringLiteral("Period (d)"),
         QStringLiteral("Amplitude"), QStringLiteral("Sigma f"), QStringLiteral("SNR"),
         QStringLiteral("Note")});
    tblFrequencies_->verticalHeader()->hide();
    tblFrequencies_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFrequencies_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    top->addWidget(tblFrequencies_, 2);

    auto* bottom = new QHBoxLayout;
    cmdSubtract_ = button(QStringLiteral("&Subtract and Search"), "cmdSubtract", this);
    cmdRestore_ = button(QStringLiteral("Res&tore"), "cmdRestore", this);
    cmdClose_ = button(QStringLiteral("&Close"), "cmdClose", this);
    bottom->addWidget(cmdSubtract_);
    bottom->addWidget(cmdRestore_);
    bottom->addStretch();
    bottom->addWidget(cmdClose_);
    top->addLayout(bottom);

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);
    top->addWidget(lblStatus_);

    connect(cmdFit_, &QPushButton::clicked, this, &FrmFourierFit::cmdFit);
    connect(cmdSaveModel_, &QPushButton::clicked, this, &FrmFourierFit::cmdSaveModel);
    connect(cmdSaveResiduals_, &QPushButton::clicked, this, &FrmFourierFit::cmdSaveResiduals);
    connect(cmdSubtract_, &QPushButton::clicked, this, &FrmFourierFit::cmdSubtract);
    connect(cmdRestore_, &QPushButton::clicked, this, &FrmFourierFit::cmdRestore);
    connect(cmdOMinusC_, &QPushButton::clicked, this, &FrmFourierFit::cmdOMinusC);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    connect(chkShowModel_, &QCheckBox::toggled, this, [this] { emit modelChanged(); });
    showFit();
    showFrequencies();
}

FourierSettings FrmFourierFit::settingsAt(double period) const {
    FourierSettings s;
    s.frequency = 1 / period;
    s.order = cboOrder_->currentData().toInt();
    s.freeFrequency = chkFreePeriod_->isChecked();
    s.useWeights = chkWeight_->isChecked();
    return s;
}

bool FrmFourierFit::fitAt(double period, bool quiet) {
    FourierFit f = fitFourier(data_, settingsAt(period));
    if (!f.ok) {
        const QString why = QString::fromStdString(f.reason);
        dropFit(why);
        if (!quiet)
            ctx_.platform.message(why, QStringLiteral("Fourier Fit"), Buttons::Ok,
                                  Icon::Exclamation);
        return false;
    }
    fit_ = std::move(f);
    fitPeriod_ = period;
    setStatus(QStringLiteral("Fitted %1 observations at %2 d, order %3%4.")
                  .arg(fit_->points)
                  .arg(number(period, 10))
                  .arg(fit_->order)
                  .arg(fit_->weighted ? QStringLiteral(", weighted") : QString()));
    showFit();
    return true;
}

void FrmFourierFit::cmdFit() {
    if (!ctx_.state.StarLoaded) {
        ctx_.platform.message(QStringLiteral("No star file is loaded."),
                              QStringLiteral("No Star Loaded"), Buttons::Ok, Icon::Critical);
        return;
    }
    if (chkWeight_->isChecked() && countWithUncertainty(ctx_) == 0) {
        ctx_.platform.message(QStringLiteral("No observation in the plot has an uncertainty "
                                             "to weight it by."),
                              QStringLiteral("Fourier Fit"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    const SearchChoice choice{defaultSearchBands(ctx_.state, searchBands(ctx_)),
                              chkWeight_->isChecked()};
    data_ = searchInput(ctx_, choice).data;
    // A new fit starts the prewhitening afresh.
    starts_.clear();
    multi_ = MultiFrequencyFit{};
    if (prewhitening_) {
        prewhitening_ = false;
        emit restored();
    }
    showFrequencies();
    fitAt(ctx_.state.Period, false);
    emit modelChanged();
}

const FourierFit* FrmFourierFit::modelFor(double period) {
    if (!fit_ || !chkShowModel_->isChecked())
        return nullptr;
    if (period != fitPeriod_) {
        if (data_.times.size() > RefitLimit) {
            dropFit(QStringLiteral("The period changed: press Fit for the model at %1 d.")
                        .arg(number(period, 10)));
            return nullptr;
        }
        if (!(period > 0) || !fitAt(period, true))
            return nullptr;
    }
    return &*fit_;
}

void FrmFourierFit::observationsChanged() {
    data_ = SearchData{};
    starts_.clear();
    multi_ = MultiFrequencyFit{};
    prewhitening_ = false;
    showFrequencies();
    if (fit_)
        dropFit(QStringLiteral("The observations changed: press Fit for a new model."));
}

void FrmFourierFit::dropFit(const QString& why) {
    fit_.reset();
    fitPeriod_ = 0;
    showFit();
    setStatus(why);
}

void FrmFourierFit::setStatus(const QString& text) {
    lblStatus_->setText(text);
}

void FrmFourierFit::showFit() {
    tblFit_->setRowCount(0);
    const bool have = fit_.has_value();
    for (QPushButton* b : {cmdSaveModel_, cmdSaveResiduals_, cmdSubtract_, cmdOMinusC_})
        b->setEnabled(have);
    if (!have)
        return;
    const FourierFit& f = *fit_;
    auto add = [this](const QString& name, const QString& value, const QString& sigma) {
        const int r = tblFit_->rowCount();
        tblFit_->insertRow(r);
        tblFit_->setItem(r, 0, new QTableWidgetItem(name));
        tblFit_->setItem(r, 1, new QTableWidgetItem(value));
        tblFit_->setItem(r, 2, new QTableWidgetItem(sigma));
    };
    auto est = [&](const QString& name, const Estimate& e, int digits = 6) {
        add(name, number(e.value, digits), sigmaText(e));
    };
    auto jd = [&](const QString& name, const Estimate& e) {
        add(name, QString::number(e.value, 'f', 5), sigmaText(e));
    };
    est(QStringLiteral("Period (d)"), f.period, 10);
    jd(QStringLiteral("Epoch of maximum (JD)"), f.epochMax);
    jd(QStringLiteral("Epoch of minimum (JD)"), f.epochMin);
    est(QStringLiteral("Mean magnitude"), f.mean);
    est(QStringLiteral("Amplitude (peak to peak)"), f.amplitude);
    for (int k = 0; k < f.order; ++k)
        est(QStringLiteral("A%1").arg(k + 1), f.amplitudes[std::size_t(k)]);
    for (int k = 0; k < f.order; ++k)
        est(QStringLiteral("phi%1 (rad)").arg(k + 1), f.phases[std::size_t(k)]);
    est(QStringLiteral("R21"), f.r21);
    est(QStringLiteral("R31"), f.r31);
    est(QStringLiteral("phi21 (sine)"), f.phi21);
    est(QStringLiteral("phi31 (sine)"), f.phi31);
    est(QStringLiteral("phi21 (cosine)"), shifted(f.phi21, std::numbers::pi / 2));
    est(QStringLiteral("phi31 (cosine)"), shifted(f.phi31, std::numbers::pi));
    est(QStringLiteral("Residual rms"), f.rms);
    add(QStringLiteral("Order"), QString::number(f.order), QString());
    add(QStringLiteral("Observations"), QString::number(f.points), QString());
}

} // namespace varilume
