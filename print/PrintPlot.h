#pragma once

#include "platform/Platform.h"
#include "print/Page.h"
#include "print/PrintResult.h"

#include <QString>
#include <QStringList>

namespace varilume {

/// The printer a print goes to: the chosen one while it is installed, else
/// the system's default (""), as after a printer was removed.
QString printerFor(const QString& chosen, const QStringList& installed);

/// PrintPlot: the page on the printer (landscape, 300 dpi), or on a PDF file
/// standing in for it when pdfFile is given.
PrintResult PrintPlot(Platform& platform, const QString& printerName, const QString& pdfFile,
                      const PageContent& content);

} // namespace varilume
