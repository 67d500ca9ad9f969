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
        constexpr int kGap = 8, kWidth = 760, kHeight = 640;
        // The frame adds its border to the client size asked for.
        const int frame = std::max(0, frameGeometry().width() - width());
        const int least = minimumSizeHint().width();
        int w = kWidth;
        QPoint at = mainFrame.topRight() + QPoint(kGap, 0);
        if (const QScreen* screen = main.screen()) {
            const QRect room = screen->availableGeometry();
            // Beside the main window, right or left, narrowed to the room there
            // down to the least the controls need; else over its right part.
            const int right = room.right() - mainFrame.right() - kGap - frame;
            const int left = mainFrame.left() - room.left() - kGap - frame;
            if (right >= least) {
                w = std::min(kWidth, right);
            } else if (left >= least) {
                w = std::min(kWidth, left);
                at.setX(mainFrame.left() - kGap - frame - w);
            } else {
                w = std::max(least, std::min(kWidth, room.width() / 2));
            }
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - w - frame)));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - kHeight)));
        }
        resize(w, kHeight);
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

void FrmSearch::followStar() {
    const ProjectState& s = ctx_.state;
    const QString star = s.StarLoaded ? s.LoadedFile + u'\n' + s.StarName : QString();
    if (star == rangeStar_)
        return;
    rangeStar_ = star;
    dropRun();
    last_ = SearchResult{};
    picSpectrum_->clearSpectrum();
    showPeaks();
    setStatus(QString());
    const auto own = userRanges_.find(star);
    rangeEdited_ = own != userRanges_.end();
    txtMinPeriod_->setText(rangeEdited_ ? own->second.first : QString());
    txtMaxPeriod_->setText(rangeEdited_ ? own->second.second : QString());
    showRangeSource();
}

void FrmSearch::rangeTyped(const QString& text) {
    // An emptied box goes back to the range the data suggest.
    rangeEdited_ = !text.trimmed().isEmpty();
    if (rangeEdited_)
        userRanges_[rangeStar_] = {txtMinPeriod_->text(), txtMaxPeriod_->text()};
    else
        userRanges_.erase(rangeStar_);
    showRangeSource();
    planTimer_.start();
}

void FrmSearch::showRangeSource() {
    lblRangeSource_->setText(rangeEdited_ ? QStringLiteral("set by you")
                                          : QStringLiteral("from the data"));
}

void FrmSearch::observationsChanged() {
    residuals_.reset();
    setWindowTitle(QStringLiteral("Varilume - Period Search"));
    followStar();
    rebuildBands();
    picSpectrum_->setTrialPeriod(ctx_.state.StarLoaded ? ctx_.state.Period : 0);
    if (!ctx_.state.StarLoaded)
        userBands_.clear(); // the next star's classes start from the defaults
    planTimer_.start();
}

SearchInput FrmSearch::input() const {
    if (residuals_)
        return SearchInput{*residuals_, 0};
    return searchInput(ctx_, choice());
}

void FrmSearch::searchResiduals(const SearchData& data, const QString& label) {
    dropRun();
    residuals_ = data;
    residualsLabel_ = label;
    last_ = SearchResult{};
    picSpectrum_->clearValues();
    showPeaks();
    setWindowTitle(QStringLiteral("Varilume - Period Search (%1)").arg(label));
    enableBands();
    updatePlan();
}

void FrmSearch::restoreObservations() {
    if (!residuals_)
        return;
    dropRun();
    residuals_.reset();
    last_ = SearchResult{};
    picSpectrum_->clearValues();
    showPeaks();
    setWindowTitle(QStringLiteral("Varilume - Period Search"));
    enableBands();
    updatePlan();
}

void FrmSearch::enableBands() {
    // Residuals come with their bands chosen: the model was fitted to them.
    for (QCheckBox* box : bandBoxes_)
        box->setEnabled(!residuals_);
}

void FrmSearch::rebuildBands() {
    for (QCheckBox* box : bandBoxes_)
        delete box;
    bandBoxes_.clear();
    const auto bands = searchBands(ctx_);
    const QStringList defaults = defaultSearchBands(ctx_.state, bands);
    int at = 0;
    for (const Band& band : bands) {
        auto* box = new QCheckBox(band.name + QStringLiteral("  (%1)").arg(band.count), fraBands_);
        box->setObjectName(QStringLiteral("chkBand") + band.name);
        box->setIcon(colorSwatch(band.color));
        box->setProperty("band", band.key);
        const auto own = userBands_.find(band.key);
        // A band hidden in the main window stays out; otherwise the user's own tick counts.
        const bool shown = bandShown(ctx_.state, band.key);
        box->setChecked(shown &&
                        (own != userBands_.end() ? own->second : defaults.contains(band.key)));
        connect(box, &QCheckBox::toggled, this, [this, key = band.key](bool on) {
            userBands_[key] = on;
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
            c.bands.push_back(box->property("band").toString());
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
    const SearchInput in = input();
    // Short lines of their own: a wrapped label can be given too little height
    // by its layout and run under the check box below it.
    QString data =
        QStringLiteral("%1 %4\nJD %2 to %3")
            .arg(in.data.times.size())
            .arg(fmt::pattern(ctx_.state.JDFrom, u"0.0"), fmt::pattern(ctx_.state.JDTo, u"0.0"),
                 residuals_ ? QStringLiteral("residuals") : QStringLiteral("observations"));
    if (in.leftOut > 0)
        data += QStringLiteral("\n%1 left out, no uncertainty").arg(in.leftOut);
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
