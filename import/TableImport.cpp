#include "import/TableImport.h"

#include "import/BandColors.h"
#include "import/ColumnRoles.h"
#include "import/TableLayout.h"
#include "import/TableReader.h"
#include "platform/BusyView.h"
#include "platform/EventPump.h"
#include "store/Context.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <limits>

namespace varilume {

namespace {

ImportResult refused(ImportResult::Status status, const QString& text) {
    return ImportResult::failed(status, text, QStringLiteral("Light-Curve Table"),
                                Icon::Exclamation);
}

// "12 flagged, 3 unreadable number" for the counts that are not zero.
QString reasons(const TableReadResult& r) {
    QStringList parts;
    for (std::size_t i = 0; i < kSkipReasons; ++i)
        if (r.skipped[i] > 0)
            parts << QStringLiteral("%1 %2").arg(r.skipped[i]).arg(describe(SkipReason(i)));
    return parts.join(QStringLiteral(", "));
}

} // namespace

ImportResult ImportTableFile(Context& ctx, BusyView& busy, const QString& path,
                             const TableMapping* given) {
    ProjectState& state = ctx.state;
    if (!QFileInfo::exists(path))
        return ImportResult::failed(ImportResult::Status::FileError,
                                    QStringLiteral("File ") + path + QStringLiteral(" not found."),
                                    QStringLiteral("File Error"), Icon::Exclamation);
    const TableLayout layout = sniffTable(path);
    if (!layout.error.isEmpty())
        return refused(ImportResult::Status::NoRecords,
                       path + QStringLiteral(" cannot be read as a light-curve table: ") +
                           layout.error);
    const TableMapping mapping = given ? *given : recogniseColumns(layout);
    if (const QString why = checkMapping(layout, mapping); !why.isEmpty())
        return refused(ImportResult::Status::NoRecords, why);

    // Made afresh first, so that skipped rows of an earlier load never linger.
    QFile errors(state.errorsPath());
    if (!errors.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return ImportResult::failed(ImportResult::Status::FileError,
                                    QStringLiteral("Cannot create ") + state.errorsPath() +
                                        QStringLiteral(": ") + errors.errorString(),
                                    QStringLiteral("Error"), Icon::Critical);
    QTextStream errorsOut(&errors);

    // Progress in thousandths of the file: its size is known at once, its lines not.
    constexpr int kSteps = 1000;
    busy.showBusyCaption(QStringLiteral("Loading ") + QFileInfo(path).fileName() +
                         QStringLiteral("."));
    busy.showProgress(kSteps);
    EventPump pump(ctx.platform);
    pump.now();

    BandColors colors(state);
    Observation obs;
    qint64 stored = 0;
    QString storeFailure;
    TableReadResult read;
    try {
        ctx.store.beginAppend();
        read = readTable(
            path, layout, mapping,
            [&](std::span<const TableObservation> rows) {
                for (const TableObservation& t : rows) {
                    obs.jd = t.jd;
                    obs.mag = t.mag;
                    obs.uncertainty = t.err;
                    obs.band = t.band;
                    obs.fainterThan = t.upperLimit;
                    obs.discrepant = t.flagged;
                    obs.color =
                        t.upperLimit ? colorValue(state.ColorFAINT) : colors.colorOf(t.band);
                    ctx.store.append(obs, state.StarName);
                    ++stored;
                }
                pump.tick();
                return true;
            },
            [&](const SkippedRow& row) {
                errorsOut << QStringLiteral("Line %1 (%2): %3\n")
                                 .arg(row.line)
                                 .arg(describe(row.reason), row.text);
            },
            [&](qint64 done, qint64 total) {
                if (total > 0)
                    busy.setProgress(int(std::min<qint64>(kSteps, done * kSteps / total)));
            });
        ctx.store.commitAppend();
    } catch (const StoreError& e) {
        storeFailure = e.description();
        try {
            ctx.store.commitAppend();
        } catch (const StoreError&) {
        }
    }
    errorsOut.flush();
    const bool errorsOk = errors.error() == QFileDevice::NoError;
    errors.close();
    busy.hideBusyCaption();
    busy.hideProgress();

    // What the plots count their progress against: the observations stored.
    state.NumRecords = static_cast<std::int32_t>(
        std::min<qint64>(stored, std::numeric_limits<std::int32_t>::max() - 10));
    ImportResult result;
    result.records = int(std::min<qint64>(stored, std::numeric_limits<int>::max()));
    result.rejected = int(std::min<qint64>(read.skippedTotal(), std::numeric_limits<int>::max()));
    const QString errorsName = QStringLiteral("files/") + QFileInfo(state.errorsPath()).fileName();
    if (!storeFailure.isEmpty()) {
        ImportResult r = ImportResult::failed(
            ImportResult::Status::StoreFailed,
            QStringLiteral("The working database refused the observations:\r\n") + storeFailure,
            QStringLiteral("Error"), Icon::Critical);
        r.records = result.records;
        return r;
    }
    if (!read.ok) {
        ImportResult r =
            refused(ImportResult::Status::FileError, path + QStringLiteral(": ") + read.error);
        r.records = result.records;
        return r;
    }
    if (!errorsOk) {
        ImportResult r = ImportResult::failed(ImportResult::Status::FileError,
                                              QStringLiteral("Cannot write the skipped rows to ") +
                                                  state.errorsPath() + QStringLiteral(": ") +
                                                  errors.errorString(),
                                              QStringLiteral("Error"), Icon::Critical);
        r.records = result.records;
        return r;
    }
    if (stored == 0) {
        ImportResult r = refused(
            ImportResult::Status::NoRecords,
            QStringLiteral("No observation of %1 could be loaded").arg(QFileInfo(path).fileName()) +
                (read.skippedTotal() > 0 ? QStringLiteral(": %1 rows skipped (%2), listed in %3.")
                                               .arg(read.skippedTotal())
                                               .arg(reasons(read), errorsName)
                                         : QStringLiteral(".")));
        r.rejected = result.rejected;
        return r;
    }
    result.note = QStringLiteral("%1 loaded").arg(stored);
    if (read.skippedTotal() > 0)
        result.note += QStringLiteral(", %1 skipped (%2): see %3")
                           .arg(read.skippedTotal())
                           .arg(reasons(read), errorsName);
    return result;
}

} // namespace varilume
