#include "app/BatchSearch.h"

#include "export/PhaseFigure.h"
#include "import/OrbisImport.h"
#include "import/TwoColumnImport.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "store/Context.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace varilume {

namespace {

QString oneLine(QString text) {
    return text
        .replace(QRegularExpression(QStringLiteral("\\s*[\\r\\n]+\\s*")), QStringLiteral(" "))
        .trimmed();
}

// The two-column layout is two or three numbers a line ("<" marks fainter-than);
// anything else is left to the ORBIS importer, which knows both of its layouts.
bool looksTwoColumn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (int lines = 0; lines < 50 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.isEmpty())
            continue;
        QString numbers = line;
        numbers.remove(u'<');
        const QStringList fields =
            numbers.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
        if (fields.size() < 2 || fields.size() > 3)
            return false;
        for (const QString& f : fields) {
            bool ok = false;
            f.toDouble(&ok);
            if (!ok)
                return false;
        }
        return true;
    }
    return false;
}

} // namespace

BatchOutcome runBatchSearch(const BatchOptions& options) {
    BatchOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.exitCode = 2;
        outcome.err = QStringLiteral("Varilume: ") + oneLine(why) + u'\n';
        outcome.out.clear();
        return outcome;
    };
    const QString& path = options.file;
    if (!QFile::exists(path))
        return fail(QStringLiteral("%1: no such file.").arg(path));

    // Everything the importers write (Errors.txt) goes to a folder that goes
    // away with the run; the observations to a store in memory.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(
            QStringLiteral("Cannot make a temporary folder: %1").arg(scratch.errorString()));
    ProjectState state;
    state.ProgramFolder = scratch.path();
    state.FilesFolder = scratch.path();
    for (const ColorClass& c : kColorClasses)
        state.*c.member = c.defaultValue;
    ObsStore store;
    SilentPlatform platform;
    Context ctx{state, store, platform};
    OffscreenPlotView view;
    SearchData data;
    try {
        store.bind(ObsStore::InMemory);
        ImportResult result;
        if (looksTwoColumn(path)) {
            state.StarName = StarNameFromPath(path);
            result = ImportTwoColumnFile(ctx, view, path);
        } else {
            state.FileName = path;
            result = ImportOrbisFile(ctx, view);
        }
        // The window's text names its menus and its Errors.txt, which goes away here.
        if (result.status == ImportResult::Status::NoRecords)
            return fail(QStringLiteral("%1: no line is an observation in a layout Varilume reads "
                                       "(ORBIS, or two or three columns of JD, magnitude and "
                                       "uncertainty).")
                            .arg(path));
        if (!result.ok())
            return fail(QStringLiteral("%1: %2").arg(
                path, result.text.isEmpty() ? QStringLiteral("no observations could be read.")
                                            : result.text));
        if (result.rejected > 0)
            outcome.err =
                QStringLiteral("Varilume: %1: %2 lines could not be read and were left out.\n")
                    .arg(path)
                    .arg(result.rejected);
        // Fainter-than estimates never; discrepant ones neither.
        Recordset rs = store.query(
            QStringLiteral("SELECT JD, Mag FROM Obs WHERE Faint <> '<' AND TRIM(Valid) <> 'D' "
                           "AND JD IS NOT NULL AND Mag IS NOT NULL ORDER BY JD"));
        for (; !rs.eof(); rs.moveNext()) {
            data.times.push_back(rs.number(QStringLiteral("JD")));
            data.mags.push_back(rs.number(QStringLiteral("Mag")));
        }
    } catch (const StoreError& e) {
        return fail(QStringLiteral("%1: %2").arg(path, e.description()));
    }

    const SearchResult result = runSearch(data, options.settings);
    if (!result.ok())
        return fail(QStringLiteral("%1: %2").arg(path, QString::fromStdString(result.reason)));

    if (!options.plotFile.isEmpty() && !result.peaks.empty()) {
        PhaseFigure figure;
        figure.star = state.StarName;
        figure.period = result.peaks.front().period;
        // The epoch the window uses: the middle of the observed time range.
        const auto [first, last] = std::minmax_element(data.times.begin(), data.times.end());
        figure.epoch = *first + (*last - *first) / 2;
        figure.times = data.times;
        figure.mags = data.mags;
        const QString why = writePhaseFigure(figure, options.plotFile);
        if (!why.isEmpty())
            return fail(why);
    }
    outcome.out = peakListCsv(result.peaks);
    return outcome;
}

int batchSearchMain(const BatchOptions& options, int argc, char** argv) {
    // Headless whatever the session: batch runs go to machines without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error is for the one line that says what went wrong: the
    // toolkit's own notes about the session stay out of it.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            std::fputs(qPrintable(text), stderr);
            std::abort();
        }
    });
    QGuiApplication app(argc, argv);
    const BatchOutcome outcome = runBatchSearch(options);
    const QByteArray out = outcome.out.toUtf8(), err = outcome.err.toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fwrite(err.constData(), 1, static_cast<std::size_t>(err.size()), stderr);
    std::fflush(stdout);
    return outcome.exitCode;
}

} // namespace varilume
