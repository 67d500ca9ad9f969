#include "app/BatchSearch.h"

#include "export/PhaseFigure.h"
#include "import/ColumnChoices.h"
#include "import/Extremes.h"
#include "import/Importer.h"
#include "import/TableLayout.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "plot/SearchInput.h"
#include "store/Context.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
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

} // namespace

QString BatchStar::load(const QString& path, const ColumnChoices& columns) {
    if (!QFile::exists(path))
        return QStringLiteral("%1: no such file.").arg(path);
    // Everything the importers write (Errors.txt) goes to a folder that goes
    // away with the run; the observations to a store in memory.
    if (!scratch.isValid())
        return QStringLiteral("Cannot make a temporary folder: %1").arg(scratch.errorString());
    state.ProgramFolder = scratch.path();
    state.FilesFolder = scratch.path();
    for (const ColorClass& c : kColorClasses)
        state.*c.member = c.defaultValue;
    try {
        store.bind(ObsStore::InMemory);
        // The window's recogniser: anything it cannot place and that is no
        // table either goes to the ORBIS importer, whose message says why not.
        DataFileKind kind = recogniseDataFile(path);
        if (kind == DataFileKind::Unknown && (columns.any() || sniffTable(path).error.isEmpty()))
            kind = DataFileKind::Table;
        if (kind == DataFileKind::Unknown)
            kind = DataFileKind::Orbis;
        ImportRequest request{path, nullptr};
        if (kind == DataFileKind::Table) {
            const TableLayout layout = sniffTable(path);
            if (!layout.error.isEmpty())
                return QStringLiteral("%1: not a light-curve table: %2").arg(path, layout.error);
            QString why;
            const auto mapping =
                applyColumnChoices(layout, recogniseColumns(layout), columns, &why);
            if (!mapping)
                return QStringLiteral("%1: %2").arg(path, why);
            if (!mapping->sure)
                return QStringLiteral("%1: cannot tell which column is which (%2); the "
                                      "columns are: %3. Name them with --time, --mag, "
                                      "--err, --band.")
                    .arg(path, mapping->why, layout.columns.join(QStringLiteral(", ")));
            request.mapping = std::make_shared<const TableMapping>(*mapping);
        }
        const ImportResult result = importerFor(kind)->import(ctx, view, request);
        // The window's text names its menus and its Errors.txt, which goes away here.
        if (kind == DataFileKind::Orbis && result.status == ImportResult::Status::NoRecords)
            return QStringLiteral("%1: no line is an observation in a layout Varilume reads "
                                  "(ORBIS, two or three columns of JD, magnitude and "
                                  "uncertainty, or a table with named columns).")
                .arg(path);
        if (!result.ok())
            return QStringLiteral("%1: %2").arg(
                path, result.text.isEmpty() ? QStringLiteral("no observations could be read.")
                                            : result.text);
        rejected = result.rejected;
        if (result.rejected > 0)
            warning =
                QStringLiteral("Varilume: %1: %2 lines could not be read and were left out.\n")
                    .arg(path)
                    .arg(result.rejected);
        // The observations the window's search starts from: the whole span,
        // every band but the discrepant ones (fainter-than estimates are never plotted).
        const ExtremesResult extremes = FindExtremes(state, ctx.store);
        if (!extremes.found())
            return QStringLiteral("%1: %2").arg(path, extremes.error.isEmpty()
                                                          ? QStringLiteral("no observations")
                                                          : extremes.error);
        state.JDFrom = state.MinJD;
        state.JDTo = state.MaxJD;
        state.StarLoaded = true;
        data = searchInput(ctx, {defaultSearchBands(state, searchBands(ctx)), false}).data;
    } catch (const StoreError& e) {
        return QStringLiteral("%1: %2").arg(path, e.description());
    }
    return {};
}

BatchOutcome runBatchSearch(const BatchOptions& options) {
    BatchOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.exitCode = 2;
        outcome.err = QStringLiteral("Varilume: ") + oneLine(why) + u'\n';
        outcome.out.clear();
        return outcome;
    };
    BatchStar star;
    if (const QString why = star.load(options.file, options.columns); !why.isEmpty())
        return fail(why);
    outcome.err = star.warning;
    const QString& path = options.file;
    const ProjectState& state = star.state;
    const SearchData& data = star.data;

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
    if (!options.spectrumFile.isEmpty()) {
        QSaveFile out(options.spectrumFile);
        if (!out.open(QIODevice::WriteOnly) || !writeSpectrumCsv(result.spectrum, out) ||
            !out.commit())
            return fail(
                QStringLiteral("Cannot write %1: %2").arg(options.spectrumFile, out.errorString()));
    }
    outcome.out = peakListCsv(result.peaks);
    outcome.err += QStringLiteral("Varilume: %1: %2\n").arg(path, verdictCsv(result.verdict));
    return outcome;
}

int runHeadless(int argc, char** argv,
                const std::function<BatchOutcome(const QStringList& args)>& run) {
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
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    const BatchOutcome outcome = run(args);
    const QByteArray out = outcome.out.toUtf8(), err = outcome.err.toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fwrite(err.constData(), 1, static_cast<std::size_t>(err.size()), stderr);
    std::fflush(stdout);
    return outcome.exitCode;
}

int batchSearchMain(const BatchOptions& options, int argc, char** argv) {
    return runHeadless(argc, argv, [&](const QStringList&) { return runBatchSearch(options); });
}

} // namespace varilume
