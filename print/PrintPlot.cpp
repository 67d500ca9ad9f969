#include "print/PrintPlot.h"

namespace varilume {

QString printerFor(const QString& chosen, const QStringList& installed) {
    return installed.contains(chosen) ? chosen : QString();
}

PrintResult PrintPlot(Platform& platform, const QString& printerName, const QString& pdfFile,
                      const PageContent& content) {
    PrintJob job;
    job.pdfFile = pdfFile;
    if (pdfFile.isEmpty())
        job.printerName = printerFor(printerName, platform.printerNames());
    job.documentName = QStringLiteral("Varilume - ") + content.caption.trimmed();
    const PrintOutcome outcome = platform.printPage(job, [&content](QPaintDevice& device) {
        Canvas canvas(device);
        if (!canvas.isActive())
            return false;
        drawPage(canvas, content, PageStyle::printer());
        return canvas.finish();
    });
    switch (outcome.status) {
    case PrintOutcome::Printed:
        return {};
    case PrintOutcome::FileFailed:
        return PrintResult::fileError(pdfFile, outcome.reason);
    case PrintOutcome::PrinterFailed:
        break;
    }
    return PrintResult::printerError();
}

} // namespace varilume
