// The fit window's work beyond the fit itself: the model and residuals saved
// as CSV, prewhitening to further frequencies, and the O–C window.
#include "export/ModelCsv.h"
#include "export/SaveDialogs.h"
#include "ui/model/FrmFourierFit.h"
#include "ui/model/FrmOMinusC.h"

#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <cmath>

namespace varilume {

namespace {

// Rows of the model curve saved: fine enough for any figure.
constexpr int kCurvePoints = 500;

QString number(double v, int digits) {
    return std::isfinite(v) ? QString::number(v, 'g', digits) : QString();
}

} // namespace

bool FrmFourierFit::saveText(const QString& ending, const QString& text, const QString& what) {
    const std::optional<QString> path = ctx_.platform.saveFile(saveDialogSpec(
        ctx_.state, ending, QStringLiteral("CSV Files (*.csv)|*.csv|"), 1, QStringLiteral("csv")));
    if (!path)
        return false;
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ctx_.platform.message(QStringLiteral("The %1 could not be saved to %2: %3")
                                  .arg(what, *path, file.errorString()),
                              QStringLiteral("Fourier Fit"), Buttons::Ok, Icon::Critical);
        return false;
    }
    rememberSave(ctx_.state, *path);
    setStatus(QStringLiteral("Saved the %1 to %2").arg(what, *path));
    return true;
}

void FrmFourierFit::cmdSaveModel() {
    if (fit_)
        saveText(QStringLiteral(" model.csv"), modelCurveCsv(*fit_, kCurvePoints),
                 QStringLiteral("model curve"));
}

void FrmFourierFit::cmdSaveResiduals() {
    if (!fit_)
        return;
    const std::vector<double>& r = multi_.ok ? multi_.residuals : fit_->residuals;
    saveText(QStringLiteral(" residuals.csv"), residualsCsv(data_.times, r),
             QStringLiteral("residuals"));
}

SearchData FrmFourierFit::residuals() const {
    if (multi_.ok)
        return subtractTerms(data_, multi_);
    return subtractModel(data_, *fit_);
}

void FrmFourierFit::cmdSubtract() {
    if (!fit_)
        return;
    if (starts_.empty()) {
        // The first frequency with the harmonics the fit needed: the
        // multi-frequency fit then holds the same shape.
        for (int k = 1; k <= fit_->order; ++k)
            starts_.push_back(k * fit_->frequency.value);
    }
    prewhitening_ = true;
    cmdRestore_->setEnabled(true);
    const QString label =
        QStringLiteral("residuals after %1 frequenc%2")
            .arg(multi_.ok ? multi_.terms.size() : starts_.size())
            .arg((multi_.ok ? multi_.terms.size() : starts_.size()) == 1 ? QStringLiteral("y")
                                                                         : QStringLiteral("ies"));
    setStatus(QStringLiteral("Searching the %1: double-click a peak to add it.").arg(label));
    emit residualsReady(residuals(), label);
}

void FrmFourierFit::addFrequency(double period) {
    if (!prewhitening_ || !fit_ || !(period > 0))
        return;
    std::vector<double> start = starts_;
    if (multi_.ok) {
        start.clear();
        for (const FrequencyTerm& t : multi_.terms)
            start.push_back(t.frequency.value);
    }
    start.push_back(1 / period);
    MultiFrequencyFit m = fitFrequencies(data_, start, fit_->weighted);
    if (!m.ok) {
        ctx_.platform.message(QString::fromStdString(m.reason), QStringLiteral("Fourier Fit"),
                              Buttons::Ok, Icon::Exclamation);
        return;
    }
    const double span = data_.times.empty() ? 1 : data_.times.back() - data_.times.front();
    tagCombinations(m.terms, span > 0 ? 1.5 / span : 0);
    computeSnr(data_, m, fit_->weighted);
    multi_ = std::move(m);
    starts_ = start;
    showFrequencies();
    setStatus(QStringLiteral("%1 frequencies fitted together, rms %2.")
                  .arg(multi_.terms.size())
                  .arg(number(multi_.rms, 4)));
    // The search goes on with what is left.
    cmdSubtract();
}

void FrmFourierFit::cmdRestore() {
    starts_.clear();
    multi_ = MultiFrequencyFit{};
    const bool was = prewhitening_;
    prewhitening_ = false;
    showFrequencies();
    if (was) {
        setStatus(QStringLiteral("Restored: the search takes the observations again."));
        emit restored();
    }
}

void FrmFourierFit::showFrequencies() {
    tblFrequencies_->setRowCount(0);
    cmdRestore_->setEnabled(prewhitening_);
    for (std::size_t j = 0; j < multi_.terms.size(); ++j) {
        const FrequencyTerm& t = multi_.terms[j];
        const int r = tblFrequencies_->rowCount();
        tblFrequencies_->insertRow(r);
        const QStringList cells{QStringLiteral("f%1").arg(j + 1),
                                number(t.frequency.value, 10),
                                number(t.period.value, 10),
                                number(t.amplitude.value, 5),
                                t.frequency.sigma >= 0 ? number(t.frequency.sigma, 3) : QString(),
                                number(t.snr, 3),
                                QString::fromStdString(t.note)};
        for (int c = 0; c < cells.size(); ++c)
            tblFrequencies_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}

void FrmFourierFit::cmdOMinusC() {
    if (!fit_)
        return;
    if (!oc_)
        oc_ = new FrmOMinusC(ctx_, this);
    oc_->setData(data_, fit_->period.value, fit_->epochMax.value, fit_->order);
    oc_->show();
    oc_->raise();
    oc_->cmdMeasure();
}

} // namespace varilume
