#pragma once

#include "platform/Platform.h"

#include <QString>

namespace varilume {

/// Outcome of a print or of a page saved as a file, for the command to show.
/// The routine knows what went wrong; the window decides how to say it.
struct PrintResult {
    enum class Status {
        Done,         // the page went out or the file is written
        PrinterError, // the printer failed or there is none
        FileError,    // the file cannot be written
    };
    Status status = Status::Done;
    // The message box to show, when there is one (empty text: none).
    QString text;
    QString title;
    Icon icon = Icon::None;

    bool ok() const { return status == Status::Done; }

    /// The printer's own failure, in the program's words.
    static PrintResult printerError();
    /// A file that cannot be written, named with the system's reason.
    static PrintResult fileError(const QString& path, const QString& reason);
};

} // namespace varilume
