#pragma once

#include "import/DataFileKind.h"
#include "import/ImportResult.h"

#include <QString>
#include <memory>

namespace varilume {

struct Context;
class BusyView;
struct TableMapping;

/// What to load: the file, and for a light-curve table the columns as the user
/// (or the batch command's options) settled them; without a mapping a table's
/// columns are taken as recognised.
struct ImportRequest {
    QString path;
    std::shared_ptr<const TableMapping> mapping;
};

/// One way into the store. Every importer is found through recogniseDataFile()
/// and importerFor(), by the window, drag-and-drop, the recent files and the
/// batch command alike, so that a file is read the same way wherever it comes in.
class Importer {
public:
    virtual ~Importer() = default;
    virtual DataFileKind kind() const = 0;
    /// Reads the file into the (empty) store, reporting progress on busy. Sets
    /// StarName and NumRecords; the result says what happened, with the text to
    /// show. The caller clears the store after a failure.
    virtual ImportResult import(Context& ctx, BusyView& busy,
                                const ImportRequest& request) const = 0;
};

/// The importer of a kind; nullptr for Unknown.
const Importer* importerFor(DataFileKind kind);

} // namespace varilume
