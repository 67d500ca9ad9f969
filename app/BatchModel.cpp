#include "app/BatchModel.h"

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

QString num(double v, int digits = 12) {
    return std::isfinite(v) ? QString::number(v, 'g', digits) : QString();
}
QString sig(const Estimate& e) {
    return e.sigma >= 0 ? QString::number(e.sigma, 'g', 6) : QString();
}
QString row(const QString& name, const Estimate& e, int digits = 12) {
    return name + u',' + num(e.value, digits) + u',' + sig(e) + u'\n';
}

QString fitCsv(const FourierFit& f) {
    QString out = QStringLiteral("parameter,value,sigma\n");
    out += row(QStringLiteral("period"), f.period);
    out += QStringLiteral("epoch_max,%1,%2\n")
               .arg(QString::number(f.epochMax.value, 'f', 6), sig(f.epochMax));
    out += row(QStringLiteral("mean"), f.mean);
    out += row(QStringLiteral("amplitude_pp"), f.amplitude);
    for (int k = 0; k < f.order; ++k)
        out += row(QStringLiteral("A%1").arg(k + 1), f.amplitudes[static_cast<std::size_t>(k)]);
    for (int k = 0; k < f.order; ++k)
        out += row(QStringLiteral("phi%1").arg(k + 1), f.phases[static_cast<std::size_t>(k)]);
    out += row(QStringLiteral("R21"), f.r21);
    out += row(QStringLiteral("R31"), f.r31);
    out += row(QStringLiteral("phi21"), f.phi21);
    out += row(QStringLiteral("phi31"), f.phi31);
    out += row(QStringLiteral("rms"), f.rms);
    out += QStringLiteral("order,%1,\n").arg(f.order);
    return out;
}

QString frequenciesCsv(const MultiFrequencyFit& f) {
    QString out = QStringLiteral("n,frequency,period,amplitude,phase,sigma_frequency,snr,note\n");
    for (std::size_t j = 0; j < f.terms.size(); ++j) {
        const FrequencyTerm& t = f.terms[j];
        out += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8\n")
                   .arg(j + 1)
                   .arg(num(t.frequency.value), num(t.period.value), num(t.amplitude.value, 6),
                        num(t.phase.value, 6), sig(t.frequency), num(t.snr, 4),
                        QString::fromStdString(t.note));
    }
    return out;
}

QString ocCsv(const OcResult& r) {
    QString out = QStringLiteral("cycle,time_max,o_c,sigma\n");
    for (const OcPoint& o : r.points)
        out += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(o.cycle)
                   .arg(QString::number(o.time, 'f', 6), num(o.oc, 8), num(o.sigma, 6));
    return out;
}

QString ephemerisLines(const OcResult& r) {
    QString out;
    const Ephemeris& l = r.linear;
    if (l.ok)
        out += QStringLiteral("linear: P = %1 ± %2 d, E0 = %3 ± %4\n")
                   .arg(num(l.period.value, 10), num(l.period.sigma, 3),
                        QString::number(l.epoch.value, 'f', 5), num(l.epoch.sigma, 3));
    else
        out += QStringLiteral("linear: %1\n").arg(QString::fromStdString(l.reason));
    const Ephemeris& q = r.quadratic;
    if (q.ok)
        out += QStringLiteral("quadratic: dP/dt = %1 ± %2 d/yr\n")
                   .arg(num(q.dPdt.value, 4), num(q.dPdt.sigma, 3));
    else
        out += QStringLiteral("quadratic: %1\n").arg(QString::fromStdString(q.reason));
    return out;
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
                   QStringLiteral("--free-period")};
    else if (mode == QStringLiteral("--frequencies"))
        allowed = {QStringLiteral("--count"), QStringLiteral("--min-period"),
                   QStringLiteral("--max-period")};
    else
        allowed = {QStringLiteral("--period"), QStringLiteral("--epoch"), QStringLiteral("--group"),
                   QStringLiteral("--order")};
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
