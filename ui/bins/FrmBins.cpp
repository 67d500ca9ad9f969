#include "ui/bins/FrmBins.h"

#include "export/ExportText.h"
#include "export/SaveDialogs.h"
#include "export/TextFileWriter.h"
#include "format/NumberFormat.h"
#include "ui/widgets/Named.h"
#include "ui/widgets/Twips.h"

#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <limits>

namespace varilume {

namespace {

template <typename W> W* placed(W* widget, const char* name, const TwipRect& r) {
    named(widget, name)->setGeometry(r.px());
    return widget;
}

// The error-bar box as a 16-bit whole number, halves to even; nullopt with the
// reason when the text is no number or too large.
std::optional<std::int16_t> errorBarSize(const QString& text, QString& why) {
    const auto value = fmt::parseNumber(text);
    if (!value) {
        why = QStringLiteral("Type mismatch");
        return std::nullopt;
    }
    const double whole = std::nearbyint(*value);
    if (!(whole >= std::numeric_limits<std::int16_t>::min() &&
          whole <= std::numeric_limits<std::int16_t>::max())) {
        why = QStringLiteral("Overflow");
        return std::nullopt;
    }
    return static_cast<std::int16_t>(whole);
}

} // namespace

FrmBins::FrmBins(Context& ctx, PlotView& view, std::function<void(bool)> replot, QWidget* parent)
    : QDialog(parent), ctx_(ctx), view_(view), replot_(std::move(replot)) {
    setObjectName(QStringLiteral("frmBins"));
    setWindowTitle(QStringLiteral("Load Bins"));
    setFixedSize(TwipRect{0, 0, 4200, 3240}.px().size());

    Label1_ = placed(new QLabel(this), "Label1", {240, 120, 3720, 255});
    placed(new QLabel(QStringLiteral("Bin Size (Phase)"), this), "Label2", {240, 510, 1560, 255});
    txtBinWid_ =
        placed(new QLineEdit(QStringLiteral("0.10"), this), "txtBinWid", {1920, 480, 975, 300});
    placed(new QLabel(QStringLiteral("       From JD                  To JD"), this), "Label3",
           {240, 900, 3720, 255});
    txtFromJD_ = placed(new QLineEdit(this), "txtFromJD", {240, 1170, 1680, 300});
    txtToJD_ = placed(new QLineEdit(this), "txtToJD", {2160, 1170, 1680, 300});
    placed(new QLabel(QStringLiteral("Error Bar ="), this), "Label4", {240, 1650, 1080, 255});
    txtSigma_ = placed(new QLineEdit(QString::number(ctx_.state.Sigma), this), "txtSigma",
                       {1320, 1620, 495, 300});
    placed(new QLabel(QStringLiteral("Sigma"), this), "Label5", {1920, 1650, 975, 255});
    chkBinFil_ = placed(new QCheckBox(QStringLiteral("Print Bin File"), this), "chkBinFil",
                        {240, 2040, 2400, 285});
    prgBin_ = placed(new QProgressBar(this), "prgBin", {240, 2400, 3720, 195});
    prgBin_->setTextVisible(false);
    prgBin_->hide();
    cmdEnter_ =
        placed(new QPushButton(QStringLiteral("Enter"), this), "cmdEnter", {480, 2700, 1335, 375});
    cmdCancel_ = placed(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel",
                        {2385, 2700, 1335, 375});
    cmdEnter_->setDefault(true);
    connect(cmdEnter_, &QPushButton::clicked, this, &FrmBins::cmdEnter);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Load: the caption, and the width selected for typing over.
    Label1_->setText(QStringLiteral("Set Bin Parameters:"));
    chkBinFil_->setChecked(false);
    txtBinWid_->selectAll();
    txtBinWid_->setFocus();
    txtSigma_->installEventFilter(this);
}

bool FrmBins::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSigma_ && event->type() == QEvent::FocusIn) {
        // After the box's own handling, which would select everything.
        QTimer::singleShot(0, txtSigma_, [box = txtSigma_] { box->setSelection(0, 2); });
    }
    return QDialog::eventFilter(watched, event);
}

void FrmBins::cmdEnter() {
    ProjectState& s = ctx_.state;
    if (s.Plotting)
        return;
    // Both boxes are read before anything changes: a bad entry leaves the plot
    // as it is and the dialog open for another try.
    QString why;
    const auto errorBar = errorBarSize(txtSigma_->text(), why);
    if (!errorBar) {
        ctx_.platform.reportError(why, QStringLiteral("frmBins Enter"));
        return;
    }
    const BinWidthCheck width = checkBinWidth(txtBinWid_->text(), s.TwoCycles);
    if (!width.ok()) {
        ctx_.platform.message(width.message, QStringLiteral("Load Bins"), Buttons::Ok,
                              Icon::Exclamation);
        txtBinWid_->setFocus();
        txtBinWid_->selectAll();
        return;
    }

    view_.picView().clear();
    view_.repaintCanvases();
    s.BinPhase.clear();
    s.BinMag.clear();
    s.BinSD.clear();
    prgBin_->show();
    s.BinParam = *errorBar;
    replot_(true);
    LoadBind(binEdges(width.width, s.TwoCycles));
    hide();
}

std::optional<QString> FrmBins::chooseBinFile() {
    const ProjectState& s = ctx_.state;
    const FileDialogSpec spec =
        saveDialogSpec(s, QStringLiteral(" Avg.txt"), QStringLiteral("All Files (*.*)|*.*|"), 1,
                       QStringLiteral("txt"));
    for (;;) {
        const auto path = ctx_.platform.saveFile(spec);
        if (!path)
            return std::nullopt;
        if (!QFileInfo::exists(*path))
            return path;
        const Answer a = ctx_.platform.message(
            QStringLiteral("The file ") + *path + QStringLiteral(" already exists.") +
                QStringLiteral("\r\n") + QStringLiteral("Do you want to overwrite it?"),
            QStringLiteral("Varilume"), Buttons::YesNo, Icon::None);
        if (a == Answer::Yes)
            return path;
    }
}

void FrmBins::LoadBind(const BinEdges& bins) {
    ProjectState& s = ctx_.state;
    std::optional<TextFileWriter> file;
    QString binPath;
    if (chkBinFil_->isChecked()) {
        const auto path = chooseBinFile();
        if (!path) {
            chkBinFil_->setChecked(false); // Cancel: no file, the averaging goes on
        } else {
            binPath = *path;
            s.FileName = binPath;
            file.emplace(*path);
            file->buffer().append(exporttext::binHeader(s.StarName, QDateTime::currentDateTime()));
        }
    }

    prgBin_->setRange(0, std::max(bins.count, 1));
    prgBin_->setValue(0);
    Pacer pacer(ctx_.platform, [this](int done) { prgBin_->setValue(done); });
    BinTable table;
    try {
        table = LoadBins(ctx_.store, bins, pacer, s);
    } catch (const StoreError& e) {
        ctx_.platform.reportError(e.description(), QStringLiteral("LoadBind"));
        table = {};
    }
    prgBin_->setValue(bins.count);
    s.BinPhase = table.phase;
    s.BinMag = table.mag;
    s.BinSD = table.sd;

    if (file) {
        for (std::size_t i = 0; i < table.phase.size(); ++i)
            exporttext::appendBinLine(file->buffer(), table.phase[i], table.mag[i], table.sd[i]);
        file->close();
        if (file->failed())
            ctx_.platform.reportError(file->error(), QStringLiteral("LoadBind"));
        else
            rememberSave(s, binPath);
    }
    accept();
    showBins();
}

void FrmBins::showBins() {
    ProjectState& s = ctx_.state;
    const BinTable table{s.BinPhase, s.BinMag, s.BinSD};
    BinPlot drawn = BinPlot::Empty;
    try {
        drawn = BinPlotter(view_.picView(), table, s.BinParam);
    } catch (const CanvasError& e) {
        ctx_.platform.reportError(e.description(), QStringLiteral("BinPlotter"));
        return;
    }
    if (drawn == BinPlot::Empty) {
        ctx_.platform.message(QStringLiteral("Too few bins for the number of days in plot."),
                              QStringLiteral("Error"), Buttons::Ok, Icon::None);
        s.BinsShown = false;
        replot_(false);
        return;
    }
    view_.repaintCanvases();
}

} // namespace varilume
