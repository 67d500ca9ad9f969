#include "import/Importer.h"

#include "import/OrbisImport.h"
#include "import/TableImport.h"
#include "import/TwoColumnImport.h"
#include "store/Context.h"

namespace varilume {

namespace {

class OrbisImporter final : public Importer {
public:
    DataFileKind kind() const override { return DataFileKind::Orbis; }
    ImportResult import(Context& ctx, BusyView& busy, const ImportRequest& r) const override {
        ctx.state.FileName = r.path;
        return ImportOrbisFile(ctx, busy);
    }
};

class TwoColumnImporter final : public Importer {
public:
    DataFileKind kind() const override { return DataFileKind::TwoColumn; }
    ImportResult import(Context& ctx, BusyView& busy, const ImportRequest& r) const override {
        ctx.state.StarName = StarNameFromPath(r.path);
        return ImportTwoColumnFile(ctx, busy, r.path);
    }
};

class TableImporter final : public Importer {
public:
    DataFileKind kind() const override { return DataFileKind::Table; }
    ImportResult import(Context& ctx, BusyView& busy, const ImportRequest& r) const override {
        ctx.state.StarName = StarNameFromPath(r.path);
        return ImportTableFile(ctx, busy, r.path, r.mapping.get());
    }
};

} // namespace

const Importer* importerFor(DataFileKind kind) {
    static const OrbisImporter orbis;
    static const TwoColumnImporter twoColumn;
    static const TableImporter table;
    switch (kind) {
    case DataFileKind::Orbis:
        return &orbis;
    case DataFileKind::TwoColumn:
        return &twoColumn;
    case DataFileKind::Table:
        return &table;
    case DataFileKind::Unknown:
        break;
    }
    return nullptr;
}

} // namespace varilume
