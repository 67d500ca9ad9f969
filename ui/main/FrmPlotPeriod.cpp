// The main window's period history, increment scaling and band filter, and
// the menus that show them.
#include "ui/main/FrmPlot.h"

#include "format/NumberFormat.h"
#include "plot/Bands.h"
#include "ui/main/PeriodSteps.h"
#include "ui/search/FrmSearch.h"
#include "ui/widgets/ColorSwatch.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QWidgetAction>

namespace varilume {

void FrmPlot::createPeriodMenus(QMenu* tools) {
    mnuPeriodBack_ = tools->addAction(QStringLiteral("Previous Period"));
    mnuPeriodBack_->setObjectName(QStringLiteral("mnuPeriodBack"));
    mnuPeriodBack_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    connect(mnuPeriodBack_, &QAction::triggered, this, &FrmPlot::periodBack);
    mnuPeriodForward_ = tools->addAction(QStringLiteral("Next Period"));
    mnuPeriodForward_->setObjectName(QStringLiteral("mnuPeriodForward"));
    mnuPeriodForward_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    connect(mnuPeriodForward_, &QAction::triggered, this, &FrmPlot::periodForward);
    mnuPeriodHistory_ = tools->addMenu(QStringLiteral("Period History"));
    mnuPeriodHistory_->setObjectName(QStringLiteral("mnuPeriodHistory"));
    connect(mnuPeriodHistory_, &QMenu::aboutToShow, this, &FrmPlot::fillHistoryMenu);
    mnuBands_ = tools->addMenu(QStringLiteral("Bands"));
    mnuBands_->setObjectName(QStringLiteral("mnuBands"));
    connect(mnuBands_, &QMenu::aboutToShow, this, &FrmPlot::fillBandsMenu);
    QAction* search = tools->addAction(QStringLiteral("Period Search\u2026"));
    search->setObjectName(QStringLiteral("mnuSearch"));
    search->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    connect(search, &QAction::triggered, this, &FrmPlot::mnuSearch);
    createModelMenus(tools);
    // Ctrl+Z and Ctrl+Shift+Z follow the history whatever changes it.
    period_->setOnChange([this] { updatePeriodActions(); });
    fillHistoryMenu();
    fillBandsMenu();
}

void FrmPlot::mnuSearch() {
    if (!search_) {
        search_ = new FrmSearch(ctx_, this);
        connect(this, &FrmPlot::periodPlotted, search_,
                [this](float period) { search_->setTrialPeriod(period); });
        connect(this, &FrmPlot::observationsChanged, search_, &FrmSearch::observationsChanged);
        connect(search_, &FrmSearch::periodChosen, this, [this](double period) {
            // A peak of the residuals is the next frequency of the model; the
            // plot keeps the period the model was fitted at.
            if (search_->searchingResiduals() && fourier_)
                fourierResidualPeak(period);
            else
                plotPeriod(static_cast<float>(period), PeriodSource::Search);
        });
    }
    search_->showBeside(*this);
}

void FrmPlot::fillHistoryMenu() {
    const PeriodHistory& history = period_->history();
    mnuPeriodHistory_->clear();
    for (std::size_t index : history.newest(20)) {
        const PeriodHistory::Entry& e = history.entries()[index];
        const QString star = e.star.isEmpty() ? QString() : QStringLiteral("  ") + e.star;
        QAction* a = mnuPeriodHistory_->addAction(
            periodText(e.period).trimmed() + QStringLiteral(" d") + star + QStringLiteral("  (") +
            periodSourceName(e.source) + QLatin1Char(')'));
        a->setObjectName(QStringLiteral("mnuPeriodHistory%1").arg(index));
        a->setCheckable(true);
        a->setChecked(index == history.current());
        connect(a, &QAction::triggered, this, [this, index] { periodFromHistory(index); });
    }
    updatePeriodActions();
}

void FrmPlot::updatePeriodActions() {
    const PeriodHistory& history = period_->history();
    mnuPeriodHistory_->setEnabled(!history.empty());
    mnuPeriodBack_->setEnabled(history.canGoBack());
    mnuPeriodForward_->setEnabled(history.canGoForward());
}

void FrmPlot::fillBandsMenu() {
    mnuBands_->clear();
    if (state_.StarLoaded && ctx_.store.isBound()) {
        for (const Band& band :
             bandsPresent(state_, ctx_.store, 0, ctx_.store.plotColumns().jd.size())) {
            // A check box, not a checkable item: a menu item with an icon shows
            // the icon in place of its tick, and a hidden band would look shown.
            const QString text = band.name + QStringLiteral("  (%1)").arg(band.count);
            auto* a = new QWidgetAction(mnuBands_);
            a->setObjectName(QStringLiteral("mnuBand") + band.name);
            a->setText(text);
            a->setCheckable(true);
            a->setChecked(bandShown(state_, band.key));
            auto* box = new QCheckBox(text);
            box->setIcon(colorSwatch(band.color));
            box->setChecked(a->isChecked());
            auto* row = new QWidget;
            auto* margins = new QHBoxLayout(row);
            margins->setContentsMargins(6, 2, 8, 2); // off the menu's edge, like its items
            margins->addWidget(box);
            a->setDefaultWidget(row);
            connect(box, &QCheckBox::toggled, a, &QAction::setChecked);
            connect(a, &QAction::toggled, box, &QCheckBox::setChecked);
            connect(a, &QAction::toggled, this,
                    [this, key = band.key](bool on) { showBand(key, on); });
            mnuBands_->addAction(a);
        }
    }
    mnuBands_->setEnabled(!mnuBands_->isEmpty());
}

void FrmPlot::plotMoved(bool moved) {
    if (!moved)
        return;
    ctx_.platform.setBusyCursor(true);
    replot(false);
    ctx_.platform.setBusyCursor(false);
}

void FrmPlot::plotPeriod(float period, PeriodSource source) {
    if (state_.storeBusy() || !state_.StarLoaded)
        return;
    period_->set(period, source);
    plotMoved(true);
}

void FrmPlot::periodBack() {
    if (!state_.storeBusy() && state_.StarLoaded)
        plotMoved(period_->back());
}

void FrmPlot::periodForward() {
    if (!state_.storeBusy() && state_.StarLoaded)
        plotMoved(period_->forward());
}

void FrmPlot::periodFromHistory(std::size_t index) {
    if (!state_.storeBusy() && state_.StarLoaded)
        plotMoved(period_->jumpTo(index));
}

float FrmPlot::incrementInForce() const {
    return scaledIncrement(state_.Increment, incrementPower_);
}

void FrmPlot::scaleIncrement(bool up) {
    incrementPower_ = nextIncrementPower(state_.Increment, incrementPower_, up);
    showIncrement();
}

void FrmPlot::showIncrement() {
    lblIncrement_->setText(QStringLiteral("Increment = ") + fmt::general(incrementInForce()));
}

void FrmPlot::showBand(const QString& key, bool shown) {
    if (bandShown(state_, key) == shown)
        return;
    setBandShown(state_, key, shown);
    emit observationsChanged();
    if (!state_.StarLoaded)
        return;
    showExtremes(); // the magnitude scale follows the bands shown
    replot(true);
}

} // namespace varilume
