#include "import/TwoColumnImport.h"

#include "import/LineReader.h"
#include "import/ObsValues.h"
#include "import/OrbisImport.h"
#include "import/TwoColumnLine.h"
#include "platform/BusyView.h"
#include "platform/EventPump.h"
#include "store/Context.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace varilume {

namespace {

ImportResult loadError(ImportResult::Status status, const QString& description) {
    return ImportResult::failed(
        status, QStringLiteral("Error in loading database. Check source file.\r\n") + description,
        QStringLiteral("Error"), Icon::Critical);
}

// Where a load stopped, for its message: a bare error leaves the user hunting
// through a file of a million lines.
QString lineReport(qint64 number, QByteArrayView raw) {
    constexpr qsizetype kShown = 80;
    QString text = QString::fromUtf8(raw.first(std::min(raw.size(), kShown)));
    if (raw.size() > kShown)
        text += QStringLiteral("...");
    return QStringLiteral("\r\nLine ") + QString::number(number) + QStringLiteral(": ") + text;
}

/// Appends every line's record; returns the reason the load stopped, or an empty
/// result when the whole file went in.
ImportResult storeLines(Context& ctx, BusyView& busy, LineReader& lines, int& stored) {
    ObsRecord rec;
    rec.Star = ctx.state.StarName;
    rec.PunktFarb = colorValue(ctx.state.ColorVIS);
    const QString faintMark = QStringLiteral("<");
    const QString noText = QStringLiteral("");
    EventPump pump(ctx.platform);

    QByteArrayView raw;
    while (lines.next(raw)) {
        if (pump.tick())
            busy.setProgress(stored);
        const TwoColumnLine line = splitTwoColumnLine(raw);
        // A line without any value (most often an empty last line) carries
        // no observation; skipping it beats failing the whole load.
        if (line.values == 0)
            continue;
        if (line.values < 2)
            return loadError(ImportResult::Status::BadValue,
                             QStringLiteral("Subscript out of range") +
                                 lineReport(lines.lineNumber(), raw));
        rec.JD = line.value[0].text();
        rec.Mag = line.value[1].text();
        ObsNumbers numbers;
        const QString fault = checkObsNumbers(rec.JD, rec.Mag, &numbers);
        if (!fault.isEmpty())
            return loadError(ImportResult::Status::BadValue,
                             QStringLiteral("Line %1: %2.").arg(lines.lineNumber()).arg(fault));
        rec.converted = true;
        rec.jdValue = numbers.jd;
        rec.magValue = numbers.mag;
        rec.Uncertain = line.values == 3 ? line.value[2].text() : noText;
        rec.Faint = line.faint ? faintMark : noText;
        ctx.store.append(rec);
        ++stored;
    }
    if (lines.error() != LineReader::Error::None)
        return loadError(lines.error() == LineReader::Error::Changed
                             ? ImportResult::Status::Changed
                             : ImportResult::Status::FileError,
                         lines.errorText());
    return ImportResult();
}

} // namespace

QString StarNameFromPath(const QString& path) {
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

ImportResult ImportTwoColumnFile(Context& ctx, BusyView& busy, const QString& path) {
    ProjectState& state = ctx.state;

    if (!QFileInfo::exists(path)) {
        return ImportResult::failed(ImportResult::Status::FileError,
                                    QStringLiteral("File ") + path + QStringLiteral(" not found."),
                                    QStringLiteral("File Error"), Icon::Exclamation);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return loadError(ImportResult::Status::FileError, file.errorString());
    const std::int64_t count = std::max<std::int64_t>(CountFileLines(path), 0);
    state.NumRecords = static_cast<std::int32_t>(
        std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max() - 10));
    busy.showBusyCaption(QStringLiteral("Loading ") + QString::number(state.NumRecords) +
                         QStringLiteral(" Records."));
    busy.showProgress(state.NumRecords + 10);

    int stored = 0;
    ImportResult result;
    try {
        ctx.store.beginAppend();
        LineReader lines(file, path);
        result = storeLines(ctx, busy, lines, stored);
    } catch (const StoreError& e) {
        result =
            loadError(e.code() == StoreError::ConversionError ? ImportResult::Status::BadValue
                                                              : ImportResult::Status::StoreFailed,
                      e.description());
    }
    // Rows appended before a bad line are committed too, so that the batch is
    // closed; the caller clears the store after a failed load anyway.
    try {
        ctx.store.commitAppend();
    } catch (const StoreError& e) {
        if (result.ok())
            result = loadError(ImportResult::Status::StoreFailed, e.description());
    }
    busy.hideBusyCaption();
    busy.hideProgress();
    result.records = stored;
    return result;
}

} // namespace varilume
