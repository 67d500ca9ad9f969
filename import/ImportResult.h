#pragma once

#include "platform/Platform.h"

#include <QString>

namespace varilume {

/// Outcome of an import, for the load command to show. The importer knows what
/// went wrong; the window decides how to say it.
struct ImportResult {
    enum class Status {
        Loaded,      // at least one record stored
        NoRecords,   // nothing usable in the file
        EmptyFile,   // nothing to read at all
        BadValue,    // a value the store cannot convert
        FileError,   // cannot open or read the file
        Interrupted, // any other error: stop without a message
    };
    Status status = Status::Loaded;
    int records = 0;  // records stored
    int rejected = 0; // lines written to Errors.txt
    int excluded = 0; // lines left out on purpose (e.g. differential magnitudes)
    // The message box to show, when there is one (empty text: none).
    QString text;
    QString title;
    Icon icon = Icon::None;

    bool ok() const { return status == Status::Loaded; }
};

} // namespace varilume
