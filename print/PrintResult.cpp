#include "print/PrintResult.h"

namespace varilume {

PrintResult PrintResult::printerError() {
    return {Status::PrinterError,
            QStringLiteral("Printer error! Correct printer problem and try again."),
            QStringLiteral("Printer Error"), Icon::Exclamation};
}

PrintResult PrintResult::fileError(const QString& path, const QString& reason) {
    return {Status::FileError,
            QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, reason),
            QStringLiteral("File Error"), Icon::Exclamation};
}

} // namespace varilume
