#include "ui/main/FrmPlot.h"

#include "export/SaveDialogs.h"
#include "plot/Scales.h"
#include "print/PageFile.h"
#include "print/PrintPlot.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <algorithm>
#include <exception>

namespace varilume {

namespace {

// The hourglass for as long as it lives, so that every way out of a command
// brings the normal pointer back.
class BusyCursor {
public:
    explicit BusyCursor(Platform& platform) : platform_(platform) { platform_.setBusyCursor(true); }
    ~BusyCursor() { platform_.setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Platform& platform_;
};

void showResult(Platform& platform, const PrintResult& result) {
    if (!result.text.isEmpty())
        platform.message(result.text, result.title, Buttons::Ok, result.icon);
}

} // namespace

void FrmPlot::fillPrinterMenu() {
    mnuPrinters_->clear();
    auto* group = new QActionGroup(mnuPrinters_);
    const QString defaultName = ctx_.platform.defaultPrinterName();
    const QStringList names = ctx_.platform.printerNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i] == defaultName)
            state_.DefaultPrinter = names[i];
        QAction* a = mnuPrinters_->addAction(names[i]);
        a->setObjectName(QStringLiteral("mnuPrinters%1").arg(i));
        a->setCheckable(true);
        a->setChecked(names[i] == state_.DefaultPrinter);
        a->setActionGroup(group);
        connect(a, &QAction::triggered, this, [this, name = names[i]] {
            state_.PrinterName = name;
            printToPdf_ = false;
        });
    }
    // A PDF file is always there to print to; with no printer installed it is
    // the one chosen.
    if (!names.isEmpty())
        mnuPrinters_->addSeparator();
    QAction* pdf = mnuPrinters_->addAction(QStringLiteral("Print to PDF file"));
    pdf->setObjectName(QStringLiteral("mnuPrintPdf"));
    pdf->setCheckable(true);
    pdf->setActionGroup(group);
    printToPdf_ = names.isEmpty();
    pdf->setChecked(printToPdf_);
    connect(pdf, &QAction::triggered, this, [this] { printToPdf_ = true; });
}

PageContent FrmPlot::screenPage() {
    PageContent page = pageContent(state_, picView().image(), picMagScale().image());
    page.plotMargin = double(kPlotEdgePx) / std::max(picView().widthPx(), 1);
    return page;
}

void FrmPlot::noStarLoaded() {
    ctx_.platform.message(QStringLiteral("No star file is loaded."),
                          QStringLiteral("No Star Loaded"), Buttons::Ok, Icon::Critical);
}

void FrmPlot::mnuPrint() {
    if (state_.Plotting)
        return; // the plot is half drawn
    if (!state_.StarLoaded) {
        noStarLoaded();
        return;
    }
    QString pdfFile;
    if (printToPdf_) {
        const FileDialogSpec spec = saveDialogSpec(
            state_, QStringLiteral(".pdf"), QStringLiteral("PDF Document (*.pdf)|*.pdf|"), 1);
        const std::optional<QString> path = ctx_.platform.saveFile(spec);
        if (!path)
            return;
        pdfFile = *path;
        state_.FileName = pdfFile;
    }
    PrintResult result;
    {
        BusyCursor busy(ctx_.platform);
        result = PrintPlot(ctx_.platform, state_.PrinterName, pdfFile, screenPage());
    }
    if (!pdfFile.isEmpty() && result.ok())
        rememberSave(state_, pdfFile);
    showResult(ctx_.platform, result);
}

void FrmPlot::mnuSaveImage() {
    if (state_.Plotting)
        return;
    if (!state_.StarLoaded) {
        noStarLoaded();
        return;
    }
    // Anything unforeseen is reported and the program goes on: ending it here
    // would leave the working store and unsaved settings behind.
    try {
        const FileDialogSpec spec = saveDialogSpec(state_, QStringLiteral(".bmp"), pageFileFilter(),
                                                   kPageFileFilterIndex, QStringLiteral("bmp"));
        const std::optional<SaveChoice> choice = ctx_.platform.saveFileAs(spec);
        if (!choice)
            return;
        state_.FileName = choice->path;
        PrintResult result;
        {
            BusyCursor busy(ctx_.platform);
            result = ExportBitmap(choice->path, pageFileType(choice->path, choice->filterIndex),
                                  screenPage());
        }
        if (result.ok())
            rememberSave(state_, choice->path);
        showResult(ctx_.platform, result);
    } catch (const std::exception& e) {
        ctx_.platform.message(QStringLiteral("Error ") + QString::fromLocal8Bit(e.what()) +
                                  QStringLiteral(" occured in module mnuSaveImage"),
                              QStringLiteral("Save Error"), Buttons::Ok, Icon::Exclamation);
    }
}

} // namespace varilume
