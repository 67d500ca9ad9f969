// The period search window's run: start, poll, cancel, and what it hands on
// (the peak table, the clipboard, the CSV file, the main window's period).
#include "ui/search/FrmSearch.h"

#include "export/SaveDialogs.h"
#include "export/SearchCsv.h"
#include "format/NumberFormat.h"
#include "ui/search/SpectrumWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QThread>
#include <cmath>

namespace varilume {

void FrmSearch::cmdSearch() {
    if (!ctx_.state.StarLoaded) {
        ctx_.platform.message(QStringLiteral("No star file is loaded."),
                              QStringLiteral("No Star Loaded"), Buttons::Ok, Icon::Critical);
        return;
    }
    if (planTimer_.isActive()) {
        // A setting changed a moment ago: show the range and count this run uses.
        planTimer_.stop();
        updatePlan();
    }
    auto s = settings(false);
    if (!s)
        return;
    SearchInput in = input();
    if (s->method != SearchMethod::Gls && !offerRefine(in.data, *s))
        return;
    auto search = std::make_unique<PeriodSearch>(std::move(in.data), *s);
    if (!search->plan().ok) {
        ctx_.platform.message(QString::fromStdString(search->plan().reason),
                              QStringLiteral("Period Search"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    // A new search replaces the one running; the old one ends on its own time.
    dropRun();
    run_ = std::move(search);
    // The next poll fills the picture afresh from the new run.
    picSpectrum_->clearValues();
    leftOut_ = in.leftOut;
    last_ = SearchResult{};
    showPeaks();
    const std::size_t total = run_->plan().grid.count;
    prgSearch_->setRange(0, 1000);
    prgSearch_->setValue(0);
    prgSearch_->setFormat(QStringLiteral("%p%"));
    cmdCancel_->setEnabled(true);
    setStatus(QStringLiteral("Searching %1 trial frequencies...").arg(total));
    runClock_.start();
    run_->start();
    pollTimer_.start();
}

bool FrmSearch::offerRefine(const SearchData& data, SearchSettings& s) {
    // PDM and string length stay exact direct sums: on a long baseline they
    // may take minutes, and the GLS peaks say where to look.
    const double seconds = estimateSeconds(data, s);
    if (seconds <= LongRunSeconds)
        return true;
    const std::string_view name = methodInfo(s.method).title;
    const Answer a = ctx_.platform.message(
        QStringLiteral("%1 over all %2 trial frequencies would take about %3 s.\n\n"
                       "Refine the GLS peaks instead? %1 is then computed only near the best "
                       "GLS peaks, their harmonics and subharmonics, in a few seconds.\n\n"
                       "Yes: Refine the GLS peaks. No: search the whole grid.")
            .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
            .arg(planSearch(data, s).grid.count)
            .arg(fmt::pattern(seconds, u"0")),
        QStringLiteral("Period Search"), Buttons::YesNoCancel, Icon::Question);
    if (a == Answer::Cancel)
        return false;
    s.refineGls = a == Answer::Yes;
    return true;
}

void FrmSearch::cmdCancel() {
    if (!run_ || cancelling_)
        return;
    // The run stops after the frequencies in hand and lists the peaks of the
    // part searched; the poll takes them when it has.
    run_->cancel();
    cancelling_ = true;
    cmdCancel_->setEnabled(false);
    setStatus(QStringLiteral("Cancelling..."));
}

void FrmSearch::dropRun() {
    if (!run_)
        return;
    run_->cancel();
    retiring_.push_back(std::move(run_));
    cancelling_ = false;
    cmdCancel_->setEnabled(false);
}

namespace {

QString durationText(double seconds) {
    const auto s = static_cast<long long>(std::ceil(seconds));
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

} // namespace

QString FrmSearch::progressText(double share) const {
    // The time left from the pace so far, once there is a pace to go by.
    const double elapsed = static_cast<double>(runClock_.elapsed()) / 1000.0;
    if (share < 0.005 || share >= 1 || elapsed < 0.5)
        return QStringLiteral("%p%");
    return QStringLiteral("%p%, about ") + durationText(elapsed * (1 - share) / share) +
           QStringLiteral(" left");
}

void FrmSearch::poll() {
    std::erase_if(retiring_, [](const auto& r) { return r->finished(); });
    if (!run_) {
        if (retiring_.empty())
            pollTimer_.stop();
        return;
    }
    if (run_->finished()) {
        finishRun();
        return;
    }
    const std::size_t total = std::max<std::size_t>(run_->total(), 1);
    const double share = static_cast<double>(run_->done()) / static_cast<double>(total);
    prgSearch_->setValue(static_cast<int>(1000.0 * share));
    if (!cancelling_)
        prgSearch_->setFormat(progressText(share));
    picSpectrum_->updateSpectrum(
        [this](Spectrum& s, std::vector<IndexRange>& changed) { run_->partial(s, &changed); });
}

void FrmSearch::finishRun() {
    if (!run_ || !run_->finished())
        return;
    cmdCancel_->setEnabled(false);
    cancelling_ = false;
    const std::size_t total = std::max<std::size_t>(run_->plan().grid.count, 1);
    const int percent =
        static_cast<int>(100.0 * static_cast<double>(run_->done()) / static_cast<double>(total));
    last_ = run_->takeResult();
    run_.reset();
    const double seconds = static_cast<double>(runClock_.elapsed()) / 1000.0;
    prgSearch_->setFormat(QStringLiteral("%p%"));
    if (last_.status == SearchResult::Status::Cancelled && !last_.peaks.empty())
        setStatus(QStringLiteral("Search cancelled at %1 %: the peaks are those of the part "
                                 "searched (partial).")
                      .arg(percent));
    else if (last_.status == SearchResult::Status::Done)
        setStatus(QStringLiteral("%1 trial frequencies searched in %2 s.%3")
                      .arg(last_.spectrum.values.size())
                      .arg(fmt::pattern(seconds, u"0.00"))
                      .arg(leftOut_ > 0 ? QStringLiteral(" %1 observations without an "
                                                         "uncertainty were left out.")
                                              .arg(leftOut_)
                                        : QString()));
    else if (last_.status == SearchResult::Status::Cancelled)
        setStatus(QStringLiteral("Search cancelled."));
    else
        setStatus(QString::fromStdString(last_.reason));
    prgSearch_->setValue(last_.ok() ? prgSearch_->maximum() : prgSearch_->value());
    picSpectrum_->finishSpectrum(last_.spectrum, last_.peaks);
    showPeaks();
    if (retiring_.empty())
        pollTimer_.stop();
}

void FrmSearch::waitForRun() {
    while (run_ && !run_->finished())
        QThread::msleep(5);
    poll();
}

void FrmSearch::showPeaks() {
    grdPeaks_->clearContents();
    const SearchMethod method = last_.spectrum.method;
    const std::string_view name = methodInfo(method).name;
    grdPeaks_->horizontalHeaderItem(3)->setText(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    const auto cell = [this](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        if (column < 8)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grdPeaks_->setItem(row, column, item);
    };
    const int rows = std::min<int>(grdPeaks_->rowCount(), static_cast<int>(last_.peaks.size()));
    for (int row = 0; row < rows; ++row) {
        const Peak& p = last_.peaks[static_cast<std::size_t>(row)];
        cell(row, 0, QString::number(p.rank));
        cell(row, 1, csvNumber(p.period));
        cell(row, 2, csvNumber(p.frequency));
        cell(row, 3, QString::number(p.power, 'g', 6));
        cell(row, 4, fapText(p.fap));
        cell(row, 5, p.sigmaPeriod >= 0 ? QString::number(p.sigmaPeriod, 'g', 3) : QString());
        cell(row, 6, p.harmonics > 0 ? QString::number(p.harmonics) : QString());
        cell(row, 7, fapText(p.fapRed));
        cell(row, 8, QString::fromStdString(p.note));
    }
    lblVerdict_->setText(last_.ok() && !last_.peaks.empty()
                             ? QStringLiteral("Verdict: ") + verdictCsv(last_.verdict)
                             : QString());
    grdPeaks_->resizeColumnsToContents();
    const bool any = !last_.peaks.empty();
    cmdCopy_->setEnabled(any);
    cmdSave_->setEnabled(any);
}

void FrmSearch::choosePeak(int row) {
    if (row < 0 || row >= static_cast<int>(last_.peaks.size()))
        return;
    emit periodChosen(last_.peaks[static_cast<std::size_t>(row)].period);
}

void FrmSearch::cmdCopy() {
    if (!last_.peaks.empty())
        QApplication::clipboard()->setText(peakListCsv(last_.peaks));
}

void FrmSearch::cmdSave() {
    if (last_.peaks.empty())
        return;
    const QString star = ctx_.state.XYZLoaded ? QFileInfo(ctx_.state.XYZFileName).completeBaseName()
                                              : ctx_.state.StarName.trimmed();
    const auto path =
        ctx_.platform.saveFile({star + QStringLiteral(" search.csv"),
                                QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|"), 1,
                                saveDialogFolder(ctx_.state), QStringLiteral("csv")});
    if (!path)
        return;
    // The peak list, a blank line, then the spectrum: both tables in one file.
    const QByteArray text =
        (peakListCsv(last_.peaks) + u'\n' + spectrumCsv(last_.spectrum)).toUtf8();
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        ctx_.platform.message(QStringLiteral("The search could not be saved to ") + *path +
                                  QStringLiteral(": ") + file.errorString(),
                              QStringLiteral("Period Search"), Buttons::Ok, Icon::Critical);
        return;
    }
    rememberSave(ctx_.state, *path);
    setStatus(QStringLiteral("Saved to ") + *path);
}

} // namespace varilume
