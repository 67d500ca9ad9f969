#include "import/OrbisImport.h"

#include "import/LineReader.h"
#include "import/OrbisReader.h"
#include "platform/BusyView.h"
#include "platform/EventPump.h"
#include "store/Context.h"

#include <QDir>
#include <QFile>
#include <exception>
#include <limits>

namespace varilume {

namespace {

QString checkSourceText() {
    return QStringLiteral("Error in loading database. Check source file.");
}

ImportResult fileError(const QString& what, const QString& path, const QString& why) {
    return ImportResult::failed(ImportResult::Status::FileError,
                                what + QDir::toNativeSeparators(path) + QStringLiteral(": ") + why,
                                QStringLiteral("Error"), Icon::Critical);
}

/// Why a file that was read gave no observation, where its lines went, and
/// which loaders read other kinds of file.
QString noObservationsText(const LineReader& lines, const OrbisReader& reader,
                           const QString& errorsPath) {
    const qint64 n = lines.lineNumber();
    QString text = n == 1
                       ? QStringLiteral("\r\nIts one line is no ORBIS observation.")
                       : QStringLiteral("\r\nNone of its %1 lines is an ORBIS observation.").arg(n);
    if (reader.rejected() > 0)
        text += QStringLiteral(" The lines that could not be read are in %1.")
                    .arg(QDir::toNativeSeparators(errorsPath));
    return text + QStringLiteral("\r\nFiles \u2192 Load 2-Column File (JD, Mag) reads two or three "
                                 "columns of JD, magnitude and uncertainty; Files \u2192 Open "
                                 "Light-Curve Table\u2026 reads tables with named columns.");
}

/// How the line loop ended.
struct LoopEnd {
    enum class Kind { End, ReadError, BadValue, StoreFailed } kind = Kind::End;
    QString description;
    QString lastJD;
};

/// Feeds every line of the file to the reader, yielding by time.
LoopEnd readAllLines(LineReader& lines, OrbisReader& reader, EventPump& pump, ObsStore& store) {
    LoopEnd end;
    store.beginAppend();
    try {
        QByteArrayView raw;
        while (lines.next(raw)) {
            reader.line(raw);
            pump.tick();
        }
        reader.finish();
        if (lines.error() != LineReader::Error::None) {
            end.kind = LoopEnd::Kind::ReadError;
            end.description = lines.errorText();
        }
    } catch (const StoreError& e) {
        end.kind = e.code() == StoreError::ConversionError ? LoopEnd::Kind::BadValue
                                                           : LoopEnd::Kind::StoreFailed;
        end.lastJD = reader.currentJD();
        end.description = e.description();
    } catch (const std::exception& e) {
        end.kind = LoopEnd::Kind::StoreFailed;
        end.description = QString::fromLocal8Bit(e.what());
    }
    try {
        store.commitAppend();
    } catch (const StoreError& e) {
        if (end.kind == LoopEnd::Kind::End) {
            end.kind = LoopEnd::Kind::StoreFailed;
            end.description = e.description();
        }
    }
    return end;
}

/// The result of a loop that ran to its end or stopped.
ImportResult outcome(const LoopEnd& end, const LineReader& lines, const OrbisReader& reader,
                     const QString& errorsPath) {
    ImportResult result;
    switch (end.kind) {
    case LoopEnd::Kind::End:
        if (lines.lineNumber() == 0)
            result = ImportResult::failed(ImportResult::Status::EmptyFile,
                                          checkSourceText() +
                                              QStringLiteral("\r\nInput past end of file"),
                                          QStringLiteral("Error"), Icon::Critical);
        else if (reader.stored() == 0)
            result = ImportResult::failed(ImportResult::Status::NoRecords,
                                          checkSourceText() +
                                              noObservationsText(lines, reader, errorsPath),
                                          QStringLiteral("Varilume"), Icon::None);
        break;
    case LoopEnd::Kind::ReadError:
        result = ImportResult::failed(lines.error() == LineReader::Error::Changed
                                          ? ImportResult::Status::Changed
                                          : ImportResult::Status::FileError,
                                      checkSourceText() + QStringLiteral("\r\n") + end.description,
                                      QStringLiteral("Error"), Icon::Critical);
        break;
    case LoopEnd::Kind::BadValue:
        result = ImportResult::failed(ImportResult::Status::BadValue,
                                      checkSourceText() + QStringLiteral(" Last JD loaded was: ") +
                                          end.lastJD + QStringLiteral(".\r\n") + end.description,
                                      QStringLiteral("Error"), Icon::Critical);
        break;
    case LoopEnd::Kind::StoreFailed:
        result = ImportResult::failed(ImportResult::Status::StoreFailed,
                                      QStringLiteral("Error in loading database. The store "
                                                     "refused the observations:\r\n") +
                                          end.description,
                                      QStringLiteral("Error"), Icon::Critical);
        break;
    }
    result.records = reader.stored();
    result.rejected = reader.rejected();
    result.excluded = reader.excluded();
    return result;
}

} // namespace

std::int64_t CountFileLines(const QString& fileName) {
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return -1;
    LineReader lines(file, QString());
    QByteArrayView line;
    while (lines.next(line)) {
    }
    return lines.lineNumber();
}

std::int32_t CountLines(const QString& fileName) {
    const std::int64_t lines = CountFileLines(fileName);
    if (lines < 0)
        return 0;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(lines + 20, std::numeric_limits<std::int32_t>::max()));
}

ImportResult ImportOrbisFile(Context& ctx, BusyView& busy) {
    ProjectState& s = ctx.state;
    s.NumRecords = CountLines(s.FileName);

    // Made afresh first, so that rejected lines of an earlier load never linger.
    QFile errors(s.errorsPath());
    if (!errors.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fileError(QStringLiteral("Cannot create "), s.errorsPath(), errors.errorString());
    QFile in(s.FileName);
    if (!in.open(QIODevice::ReadOnly))
        return fileError(QStringLiteral("Cannot open "), s.FileName, in.errorString());
    busy.showProgress(s.NumRecords);
    EventPump pump(ctx.platform);
    pump.now();

    LineReader lines(in, s.FileName);
    OrbisReader reader(s, ctx.store, busy, errors);
    const LoopEnd end = readAllLines(lines, reader, pump, ctx.store);
    in.close();
    const bool errorsOk = reader.errorsWritten() && errors.flush();
    const QString errorsWhy = errors.errorString();
    errors.close();
    busy.setProgress(reader.stored());
    busy.hideBusyCaption();
    busy.hideProgress();

    ImportResult result = outcome(end, lines, reader, s.errorsPath());
    if (result.ok() && !errorsOk) {
        // The rejected lines are part of what the user must see.
        ImportResult r = fileError(QStringLiteral("Cannot write the rejected lines to "),
                                   s.errorsPath(), errorsWhy);
        r.records = result.records;
        r.rejected = result.rejected;
        return r;
    }
    return result;
}

} // namespace varilume
