#pragma once

#include "platform/Platform.h"

#include <QString>

namespace varilume {

/// Outcome of an import, for the load command to show. The importer knows what
/// went wrong; the window decides how to say it. Every failure carries its text.
struct ImportResult {
    enum class Status {
        Loaded,      // at least one record stored (two-column: the whole file read)
        NoRecords,   // nothing usable in the file
        EmptyFile,   // nothing to read at all
        BadValue,    // a value that is no sound number (two-column) or that the store refused
        FileError,   // cannot open, read or write a file
        Changed,     // the file shrank or changed while it was read
        StoreFailed, // the store refused the rows
    };
    Status status = Status::Loaded;
    int records = 0;  // records stored
    int rejected = 0; // lines written to Errors.txt
    int excluded = 0; // lines left out on purpose (e.g. differential magnitudes)
    // A line for the status bar after a load that went in ("1200 loaded, 3 skipped ...").
    QString note;
    // The message box to show, when there is one (empty text: none).
    QString text;
    QString title;
    Icon icon = Icon::None;

    bool ok() const { return status == Status::Loaded; }

    /// A failure with its message box.
    static ImportResult failed(Status status, const QString& text, const QString& title,
                               Icon icon) {
        ImportResult r;
        r.status = status;
        r.text = text;
        r.title = title;
        r.icon = icon;
        return r;
    }
};

} // namespace varilume
