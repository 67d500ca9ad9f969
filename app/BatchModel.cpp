#include "app/BatchModel.h"

#include "export/ModelCsv.h"
#include "export/PhaseFigure.h"
#include "search/FourierFit.h"
#include "search/MultiFrequency.h"
#include "search/OMinusC.h"

#include <QGuiApplication>
#include <QMap>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace varilume {

namespace {

const QStringList kModes{QStringLiteral("--fit"), QStringLiteral("--frequencies"),
                         QStringLiteral("--oc")};
const QStringList kFlags{QStringLiteral("--free-period")};

// The options of one mode: values by name, flags present with an empty value.
struct ModelOptions {
    QString mode, file, error;
    QMap<QString, QString> values;
    bool has(const char* name) const { return values.contains(QLatin1String(name)); }
    QString value(const char* name) const { return values.value(QLatin1String(name)); }
};

ModelOptions parse(const QStringList& args, const QStringList& allowed) {
    ModelOptions o;
    for (qsizetype i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QStringLiteral("--"))) {
            o.error = QStringLiteral("Unexpected argument \"%1\".").arg(a);
        } else if (kFlags.contains(a) && allowed.contains(a)) {
            o.values[a] = QString();
        } else if (!kModes.contains(a) && !allowed.contains(a)) {
            o.error = QStringLiteral("Unknown option %1.").arg(a);
        } else if (i + 1 >= args.size()) {
            o.error = QStringLiteral("%1 needs a value.").arg(a);
        } else if (kModes.contains(a)) {
            if (!o.mode.isEmpty())
                o.error = QStringLiteral("%1 and %2 cannot be used together.").arg(o.mode, a);
            o.mode = a;
            o.file = args[++i];
        } else {
            o.values[a] = args[++i];
        }
    }
    return o;
}

bool readPositive(const QString& text, double& value) {
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value > 0;
}

// --order K|auto: 0 for auto.
bool readOrder(const ModelOptions& o, int& order, QString& error) {
    order = 0;
    if (!o.has("--order") || o.value("--order") == QStringLiteral("auto"))
        return true;
    double k = 0;
    if (!readPositive(o.value("--order"), k) || k != std::floor(k) || k > MaxFourierOrder) {
        error = QStringLiteral("--order must be 1 to %1 or auto, not \"%2\".")
                    .arg(MaxFourierOrder)
                    .arg(o.value("--order"));
        return false;
    }
    order = static_cast<int>(k);
    return true;
}

bool readPeriod(const ModelOptions& o, double& period, QString& error) {
    if (!o.has("--period")) {
        error = QStringLiteral("%1 needs --period.").arg(o.mode);
        return false;
    }
    if (!readPositive(o.value("--period"), period)) {
        error = QStringLiteral("--period must be a positive number of days, not \"%1\".")
                    .arg(o.value("--period"));
        return false;
    }
    return true;
}

} // namespace

bool isBatchModel(const QStringList& args) {
    for (const QString& m : kModes)
        if (args.contains(m))
            return true;
    return false;
}

BatchOutcome runBatchModel(const QStringList& args) {
    BatchOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.exitCode = 2;
        outcome.err = QStringLiteral("Varilume: ") + QString(why).simplified() + u'\n';
        outcome.out.clear();
        return outcome;
    };
    const QString mode = args.contains(QStringLiteral("--fit")) ? QStringLiteral("--fit")
                         : args.contains(QStringLiteral("--frequencies"))
                             ? QStringLiteral("--frequencies")
                             : QStringLiteral("--oc");
    QStringList allowed;
    if (mode == QStringLiteral("--fit"))
        allowed = {QStringLiteral("--period"), QStringLiteral("--order"),
                   QStringLiteral("--free-period"), QStringLiteral("--plot")};
    else if (mode == QStringLiteral("--frequencies"))
        allowed = {QStringLiteral("--count"), QStringLiteral("--min-period"),
                   QStringLiteral("--max-period")};
    else
        allowed = {QStringLiteral("--period"), QStringLiteral("--epoch"), QStringLiteral("--group"),
                   QStringLiteral("--cycles"), QStringLiteral("--order")};
    const ModelOptions o = parse(args, allowed);
    if (!o.error.isEmpty())
        return fail(o.error);
    if (o.file.isEmpty())
        return fail(QStringLiteral("%1 needs a file.").arg(mode));

    // Every option is checked before the file is read.
    QString error;
    double period = 0;
    int order = 0;
    if (mode != QStringLiteral("--frequencies") &&
        (!readPeriod(o, period, error) || !readOrder(o, order, error)))
        return fail(error);
    if (o.has("--plot") && figureFormatOf(o.value("--plot")) == FigureFormat::None)
        return fail(QStringLiteral("--plot must name a .png, .bmp or .pdf file, not \"%1\".")
                        .arg(o.value("--plot")));
    SearchSettings search;
    int count = 0;
    if (mode == QStringLiteral("--frequencies")) {
        double n = 0;
        if (!o.has("--count") || !readPositive(o.value("--count"), n) || n != std::floor(n) ||
            n > 50)
            return fail(QStringLiteral("--count must be a whole number 1 to 50, not \"%1\".")
                            .arg(o.value("--count")));
        count = static_cast<int>(n);
        for (const char* name : {"--min-period", "--max-period"}) {
            double x = 0;
            if (o.has(name) && !readPositive(o.value(name), x))
                return fail(QStringLiteral("%1 must be a positive number of days, not \"%2\".")
                                .arg(QLatin1String(name), o.value(name)));
            (QLatin1String(name) == QLatin1String("--min-period") ? search.minPeriod
                                                                  : search.maxPeriod) = x;
        }
    }
    OcSettings oc;
    if (mode == QStringLiteral("--oc")) {
        oc.period = period;
        oc.order = order;
        if (o.has("--epoch")) {
            bool ok = false;
            oc.epoch = o.value("--epoch").toDouble(&ok);
            if (!ok || !std::isfinite(oc.epoch))
                return fail(QStringLiteral("--epoch must be a full JD, not \"%1\".")
                                .arg(o.value("--epoch")));
        }
        if (o.has("--group") && o.has("--cycles"))
            return fail(QStringLiteral("--group and --cycles cannot be used together."));
        if (o.has("--cycles")) {
            oc.grouping = OcGrouping::Cycles;
            if (!readPositive(o.value("--cycles"), oc.groupSize) ||
                oc.groupSize != std::floor(oc.groupSize))
                return fail(QStringLiteral("--cycles must be a whole number of cycles, not \"%1\".")
                                .arg(o.value("--cycles")));
        }
        if (o.has("--group")) {
            oc.grouping = OcGrouping::Days;
            if (!readPositive(o.value("--group"), oc.groupSize))
                return fail(QStringLiteral("--group must be a positive number of days, not \"%1\".")
                                .arg(o.value("--group")));
        }
    }

    BatchStar star;
    if (const QString why = star.load(o.file); !why.isEmpty())
        return fail(why);
    outcome.err = star.warning;
    auto failed = [&](const std::string& why) {
        return fail(QStringLiteral("%1: %2").arg(o.file, QString::fromStdString(why)));
    };

    if (mode == QStringLiteral("--fit")) {
        FourierSettings s;
        s.frequency = 1 / period;
        s.order = order;
        s.freeFrequency = o.has("--free-period");
        const FourierFit f = fitFourier(star.data, s);
        if (!f.ok)
            return failed(f.reason);
        if (o.has("--plot")) {
            // The folded curve with the model over it, phase 0 at the maximum.
            PhaseFigure figure;
            figure.star = star.state.StarName;
            figure.period = f.period.value;
            figure.epoch = f.epochMax.value;
            figure.times = star.data.times;
            figure.mags = star.data.mags;
            figure.model = fourierCurve(f, 500);
            if (const QString why = writePhaseFigure(figure, o.value("--plot")); !why.isEmpty())
                return fail(why);
        }
        outcome.out = fitCsv(f);
    } else if (mode == QStringLiteral("--frequencies")) {
        const MultiFrequencyFit f = prewhiten(star.data, count, search);
        if (!f.ok)
            return failed(f.reason);
        outcome.out = frequenciesCsv(f);
    } else {
        const OcResult r = measureOC(star.data, oc);
        if (!r.ok)
            return failed(r.reason);
        outcome.out = ocCsv(r);
        outcome.err += ephemerisLines(r);
    }
    return outcome;
}

int batchModelMain(int argc, char** argv) {
    return runHeadless(argc, argv, &runBatchModel);
}

} // namespace varilume
