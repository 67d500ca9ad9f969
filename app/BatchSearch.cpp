#include "app/BatchSearch.h"

#include "canvas/Canvas.h"
#include "import/Extremes.h"
#include "import/OrbisImport.h"
#include "import/TwoColumnImport.h"
#include "platform/SilentPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "store/Context.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
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

bool readNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

QString number(double v, int digits) {
    return QString::number(v, 'g', digits);
}

// Magnitude scale, plot, and JD scale as one picture, with the star and the period above.
QImage composePlot(const OffscreenPlotView& v, const QString& title) {
    const int top = 24, w = v.mag.image().width() + v.view.image().width();
    const int h = top + v.view.image().height() + v.jd.image().height();
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.fillRect(QRect(0, top, w, h - top), Qt::black);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, w, top), Qt::AlignCenter, title);
    p.drawImage(0, top, v.mag.image());
    p.drawImage(v.mag.image().width(), top, v.view.image());
    p.drawImage(v.mag.image().width(), top + v.view.image().height(), v.jd.image());
    return out;
}

} // namespace

bool isBatchSearch(const QStringList& args) {
    return args.contains(QStringLiteral("--search"));
}

BatchOptions parseBatchOptions(const QStringList& args) {
    BatchOptions o;
    o.settings.peaks = 10;
    auto bad = [&](const QString& why) {
        o.error = why;
        return o;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QStringLiteral("--")))
            return bad(QStringLiteral("Unexpected argument \"%1\".").arg(a));
        if (i + 1 >= args.size())
            return bad(QStringLiteral("%1 needs a value.").arg(a));
        const QString value = args[++i];
        double x = 0;
        if (a == QStringLiteral("--search")) {
            o.file = value;
        } else if (a == QStringLiteral("--method")) {
            const MethodInfo* m = methodByKey(value.toStdString());
            if (!m)
                return bad(
                    QStringLiteral("--method must be gls, pdm or string, not \"%1\".").arg(value));
            o.settings.method = m->method;
        } else if (a == QStringLiteral("--refine")) {
            // PDM or string length only about the best GLS peaks.
            const MethodInfo* m = methodByKey(value.toStdString());
            if (!m || m->method == SearchMethod::Gls)
                return bad(
                    QStringLiteral("--refine must be pdm or string, not \"%1\".").arg(value));
            o.settings.method = m->method;
            o.settings.refineGls = true;
        } else if (a == QStringLiteral("--spectrum")) {
            o.spectrumFile = value;
        } else if (a == QStringLiteral("--harmonics")) {
            using namespace searchlimits;
            if (!readNumber(value, x) || x != std::floor(x) || x < MinHarmonics || x > MaxHarmonics)
                return bad(QStringLiteral("--harmonics must be %1 to %2, not \"%3\".")
                               .arg(MinHarmonics)
                               .arg(MaxHarmonics)
                               .arg(value));
            o.settings.harmonics = static_cast<int>(x);
        } else if (a == QStringLiteral("--min-period") || a == QStringLiteral("--max-period")) {
            if (!readNumber(value, x) || x <= 0)
                return bad(QStringLiteral("%1 must be a positive number of days, not \"%2\".")
                               .arg(a, value));
            (a == QStringLiteral("--min-period") ? o.settings.minPeriod : o.settings.maxPeriod) = x;
        } else if (a == QStringLiteral("--oversample")) {
            using namespace searchlimits;
            if (!readNumber(value, x) || x < MinOversample || x > MaxOversample)
                return bad(QStringLiteral("--oversample must be %1 to %2, not \"%3\".")
                               .arg(MinOversample)
                               .arg(MaxOversample)
                               .arg(value));
            o.settings.oversample = x;
        } else if (a == QStringLiteral("--top")) {
            if (!readNumber(value, x) || x != std::floor(x) || x < 1 || x > 1000)
                return bad(QStringLiteral("--top must be a whole number 1 to 1000, not \"%1\".")
                               .arg(value));
            o.settings.peaks = static_cast<int>(x);
        } else if (a == QStringLiteral("--plot")) {
            o.plotFile = value;
        } else {
            return bad(QStringLiteral("Unknown option %1.").arg(a));
        }
    }
    if (o.file.isEmpty())
        return bad(QStringLiteral("--search needs a file."));
    return o;
}

BatchOutcome runBatchSearch(const BatchOptions& options) {
    BatchOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.exitCode = 2;
        outcome.err = QStringLiteral("Varilume: ") + oneLine(why) + u'\n';
        outcome.out.clear();
        return outcome;
    };
    if (!options.error.isEmpty())
        return fail(options.error);
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
        const ExtremesResult extremes = FindExtremes(state, ctx.store);
        if (!extremes.found())
            return fail(QStringLiteral("%1: %2").arg(path, extremes.error.isEmpty()
                                                               ? QStringLiteral("no observations")
                                                               : extremes.error));
        state.JDFrom = state.MinJD;
        state.JDTo = state.MaxJD;
        state.Period = static_cast<float>(result.peaks.front().period);
        state.StarLoaded = true;
        Scaler(ctx, view);
        Plotter(ctx, view);
        const QImage image =
            composePlot(view, QStringLiteral("%1   P = %2 d")
                                  .arg(state.StarName, number(result.peaks.front().period, 10)));
        QSaveFile out(options.plotFile);
        if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit())
            return fail(
                QStringLiteral("Cannot write %1: %2").arg(options.plotFile, out.errorString()));
    }
    if (!options.spectrumFile.isEmpty()) {
        QSaveFile out(options.spectrumFile);
        if (!out.open(QIODevice::WriteOnly) || !writeSpectrumCsv(result.spectrum, out) ||
            !out.commit())
            return fail(
                QStringLiteral("Cannot write %1: %2").arg(options.spectrumFile, out.errorString()));
    }
    outcome.out = peakListCsv(result.peaks);
    return outcome;
}

int batchSearchMain(int argc, char** argv) {
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
    const BatchOutcome outcome = runBatchSearch(parseBatchOptions(args));
    const QByteArray out = outcome.out.toUtf8(), err = outcome.err.toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fwrite(err.constData(), 1, static_cast<std::size_t>(err.size()), stderr);
    std::fflush(stdout);
    return outcome.exitCode;
}

} // namespace varilume
