#include "import/ColumnRoles.h"

#include "import/TableFields.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

/// A column name taken apart: letters and digits only, lower case (key) and as
/// written (kept); a unit in brackets and a JD offset written into the name apart.
struct Name {
    QString key;
    QString kept;
    QString unit;
    double offset = std::nan(""); // "HJD-2450000" -> 2450000
};

Name parseName(const QString& written, const QString& unit) {
    Name n;
    QString s = written;
    static const QRegularExpression bracket(QStringLiteral("[\\(\\[]([^\\)\\]]*)[\\)\\]]"));
    if (const auto m = bracket.match(s); m.hasMatch()) {
        n.unit = m.captured(1).trimmed();
        s.remove(bracket);
    }
    static const QRegularExpression offset(QStringLiteral("24\\d{5}(\\.\\d+)?"));
    if (const auto m = offset.match(s); m.hasMatch()) {
        n.offset = m.captured(0).toDouble();
        s.remove(offset);
    }
    for (const QChar c : s)
        if (c.isLetterOrNumber() && c.unicode() < 128)
            n.kept += c;
    n.key = n.kept.toLower();
    // A unit glued to the name: flux_mJy.
    for (const QString& u : {QStringLiteral("mjy"), QStringLiteral("ujy"), QStringLiteral("njy")})
        if (n.key.size() > u.size() && n.key.endsWith(u)) {
            n.unit = u;
            n.key.chop(u.size());
            n.kept.chop(u.size());
        }
    if (n.unit.isEmpty())
        n.unit = unit;
    return n;
}

double zeroPointOf(const QString& unit) {
    const QString u = unit.toLower().remove(QLatin1Char(' '));
    if (u == QStringLiteral("njy"))
        return 31.40;
    if (u == QStringLiteral("ujy") || u == QStringLiteral("µjy") || u == QStringLiteral("μjy") ||
        u == QStringLiteral("microjy"))
        return 23.90;
    if (u == QStringLiteral("mjy"))
        return 16.40;
    if (u == QStringLiteral("jy"))
        return 8.90;
    return 0;
}

bool isTimeKey(const QString& k) {
    static const QRegularExpression jd(
        QStringLiteral("^(obs|mid)?(h|b)?(m|r)?jd(obs|mid|utc|tdb|tt|mean|start)?$"));
    static const QSet<QString> words = {"btjd",       "bkjd",   "time",    "t",       "date",
                                        "juliandate", "timejd", "timebjd", "timemjd", "epoch"};
    return words.contains(k) || jd.match(k).hasMatch();
}

// Kinds of magnitude that name no band: magpsf, mag_auto, apmag.
bool isMagKind(const QString& s) {
    static const QSet<QString> kinds = {"",     "psf",  "auto", "aper", "ap",  "iso",
                                        "best", "inst", "cal",  "obs",  "cor", "corr",
                                        "mod",  "apr",  "raw",  "diff", "s",   "d"};
    return kinds.contains(s);
}

bool isNotBand(const QString& s) {
    static const QSet<QString> words = {"err", "er", "e",    "sig",   "unc", "lim",  "zp",
                                        "zpt", "ul", "flag", "limit", "rms", "zprms"};
    return words.contains(s);
}

/// A magnitude column's band from its name ("Vmag" -> "V"), "" when it names none;
/// false when the name is no magnitude's.
bool magnitudeBand(const Name& n, QString& band) {
    static const QRegularExpression after(QStringLiteral("^(?:magnitude|mag)([a-z0-9]{0,4})$"));
    static const QRegularExpression before(QStringLiteral("^([a-z0-9]{1,3})(?:magnitude|mag)$"));
    QString rest;
    qsizetype at = 0;
    if (const auto m = after.match(n.key); m.hasMatch()) {
        rest = m.captured(1);
        at = m.capturedStart(1);
    } else if (const auto m2 = before.match(n.key); m2.hasMatch()) {
        rest = m2.captured(1);
        at = 0;
    } else {
        return n.key == QStringLiteral("magnitudes") || n.key == QStringLiteral("mags");
    }
    if (isNotBand(rest))
        return false;
    band = isMagKind(rest) ? QString() : n.kept.mid(at, rest.size());
    return true;
}

bool isMagnitudeKey(const QString& key) {
    Name n;
    n.key = n.kept = key;
    QString band;
    return !key.isEmpty() && magnitudeBand(n, band);
}

bool isFluxKey(const QString& k) {
    return k.endsWith(QStringLiteral("flux")) || k == QStringLiteral("fnu") ||
           k == QStringLiteral("flx") || k == QStringLiteral("f") || k == QStringLiteral("fluxes");
}

/// For an uncertainty's name, what it is the uncertainty of ("magerr" -> "mag",
/// "e_Vmag" -> "vmag", "err" -> ""); false when the name is no uncertainty's. A
/// target that names no brightness column is dropped by the caller.
bool uncertaintyTarget(const QString& k, QString& target) {
    static const QSet<QString> plain = {"uncertainty", "err", "error", "sigma", "sig", "unc", "e"};
    static const QRegularExpression post(
        QStringLiteral("^([a-z0-9]+?)(?:uncertainty|error|err|sigma|sig|unc)$"));
    static const QRegularExpression pre(
        QStringLiteral("^(?:error|err|sigma|sig|unc|e)([a-z0-9]+)$"));
    target.clear();
    if (plain.contains(k))
        return true;
    if (const auto m = post.match(k); m.hasMatch()) {
        target = m.captured(1);
        return true;
    }
    if (const auto m = pre.match(k); m.hasMatch()) {
        target = m.captured(1);
        return true;
    }
    return false;
}

bool isBandKey(const QString& k) {
    static const QSet<QString> words = {"band",     "filter",   "filtercode", "passband",
                                        "filt",     "bandpass", "filtername", "flt",
                                        "bandname", "photband", "filters"};
    return words.contains(k);
}

bool isLimitKey(const QString& k) {
    static const QSet<QString> words = {"upperlimit", "uplim",     "ul",           "isupperlimit",
                                        "islimit",    "limitflag", "isul",         "uplimit",
                                        "upperlim",   "nondet",    "nondetection", "upper"};
    return words.contains(k);
}

bool isFlagKey(const QString& k) {
    if (k == QStringLiteral("otherflags"))
        return false; // Gaia: informative bits, not rejections
    return k.contains(QStringLiteral("flag")) || k.contains(QStringLiteral("quality")) ||
           k == QStringLiteral("qual") || k == QStringLiteral("rejectedbyvariability") ||
           k == QStringLiteral("rejectedbyphotometry");
}

/// Preference among time columns: barycentric before heliocentric before plain.
int timeRank(const QString& k) {
    if (k.contains(QStringLiteral("bjd")) || k == QStringLiteral("btjd") ||
        k == QStringLiteral("bkjd"))
        return 3;
    if (k.contains(QStringLiteral("hjd")) || k.contains(QStringLiteral("hmjd")))
        return 2;
    if (k.contains(QStringLiteral("jd")))
        return 1;
    return 0;
}

double medianOf(const TableLayout& layout, int column) {
    std::vector<double> v;
    for (const QStringList& row : layout.sample) {
        if (column >= row.size())
            continue;
        double x = 0;
        const QByteArray f = row[column].toUtf8();
        if (readNumber(f, layout.decimalComma, x) == FieldValue::Number)
            v.push_back(x);
    }
    if (v.empty())
        return std::nan("");
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void setSystem(TableMapping& m, TimeSystem s, double offset) {
    m.timeSystem = s;
    m.timeOffset = offset;
}

/// The time system of a time column from its name, its values and the table's kind.
/// Returns what is uncertain about it, "" when nothing is.
QString judgeTime(TableMapping& m, const Name& n, double median, const TableLayout& layout,
                  bool gaia) {
    const QString& k = n.key;
    if (!std::isnan(n.offset)) {
        const double o = n.offset;
        setSystem(m,
                  o == 2400000.5                   ? TimeSystem::MJD
                  : o == 2457000                   ? TimeSystem::BTJD
                  : o == 2455197.5                 ? TimeSystem::GaiaBJD
                  : o == 2454833                   ? TimeSystem::KeplerBJD
                  : (o == 2400000 || o == 2450000) ? TimeSystem::ReducedJD
                                                   : TimeSystem::Offset,
                  o);
        return QString();
    }
    if (layout.kind == TableLayout::Kind::Fits && !std::isnan(layout.fitsTimeZero)) {
        const double z = layout.fitsTimeZero;
        setSystem(m,
                  z == 2457000   ? TimeSystem::BTJD
                  : z == 2454833 ? TimeSystem::KeplerBJD
                                 : TimeSystem::Offset,
                  z);
        return QString();
    }
    if (k == QStringLiteral("btjd"))
        return setSystem(m, TimeSystem::BTJD, 2457000), QString();
    if (k == QStringLiteral("bkjd"))
        return setSystem(m, TimeSystem::KeplerBJD, 2454833), QString();
    if (gaia && k == QStringLiteral("time"))
        return setSystem(m, TimeSystem::GaiaBJD, 2455197.5), QString();
    const bool namedMjd = k.contains(QStringLiteral("mjd"));
    if (namedMjd && (std::isnan(median) || median < 2e6))
        return setSystem(m, TimeSystem::MJD, 2400000.5), QString();
    if (std::isnan(median))
        return QStringLiteral("no time values in the first rows");
    if (median > 2e6)
        return setSystem(m, TimeSystem::JD, 0), QString();
    const QString looks =
        QStringLiteral("%1 values near %2 taken as ").arg(n.kept).arg(median, 0, 'f', 0);
    if (median >= 30000 && median < 100000) {
        if (k.contains(QStringLiteral("jd"))) {
            setSystem(m, TimeSystem::ReducedJD, 2400000);
            return looks + QStringLiteral("JD - 2400000");
        }
        setSystem(m, TimeSystem::MJD, 2400000.5);
        return looks + QStringLiteral("MJD");
    }
    setSystem(m, TimeSystem::ReducedJD, 2450000);
    return looks + QStringLiteral("JD - 2450000");
}

QString joined(const QStringList& columns) {
    return columns.join(QStringLiteral(", "));
}

} // namespace

double defaultTimeOffset(TimeSystem system) {
    switch (system) {
    case TimeSystem::JD:
    case TimeSystem::Offset:
        return 0;
    case TimeSystem::MJD:
        return 2400000.5;
    case TimeSystem::ReducedJD:
        return 2450000;
    case TimeSystem::BTJD:
        return 2457000;
    case TimeSystem::GaiaBJD:
        return 2455197.5;
    case TimeSystem::KeplerBJD:
        return 2454833;
    }
    return 0;
}

QString timeSystemName(TimeSystem system) {
    switch (system) {
    case TimeSystem::JD:
        return QStringLiteral("JD");
    case TimeSystem::MJD:
        return QStringLiteral("MJD");
    case TimeSystem::ReducedJD:
        return QStringLiteral("reduced JD");
    case TimeSystem::BTJD:
        return QStringLiteral("BTJD");
    case TimeSystem::GaiaBJD:
        return QStringLiteral("Gaia BJD");
    case TimeSystem::KeplerBJD:
        return QStringLiteral("Kepler BJD");
    case TimeSystem::Offset:
        return QStringLiteral("offset");
    }
    return QString();
}

QString roleName(ColumnRole role) {
    static const char* const kNames[] = {"Ignore",      "Time", "Magnitude", "Flux",
                                         "Uncertainty", "Band", "Flag",      "Limit"};
    return QString::fromLatin1(kNames[int(role)]);
}

namespace {

/// A table without a header (a microlensing survey's "HJD mag err" rows): the usual
/// order of time, magnitude and uncertainty, never sure.
TableMapping guessByOrder(const TableLayout& layout, TableMapping m) {
    const int n = int(layout.columns.size());
    m.roles[0] = ColumnRole::Time;
    m.roles[1] = ColumnRole::Magnitude;
    if (n >= 3)
        m.roles[2] = ColumnRole::Uncertainty;
    Name time;
    time.kept = layout.columns[0];
    const QString doubt = judgeTime(m, time, medianOf(layout, 0), layout, false);
    m.sure = false;
    m.why = QStringLiteral("no header: the columns are taken as time, magnitude%1")
                .arg(n >= 3 ? QStringLiteral(", uncertainty") : QString());
    if (!doubt.isEmpty())
        m.why += QStringLiteral("; ") + doubt;
    return m;
}

} // namespace

TableMapping recogniseColumns(const TableLayout& layout) {
    TableMapping m;
    const int n = int(layout.columns.size());
    m.roles.assign(std::size_t(n), ColumnRole::Ignore);
    m.bandOfColumn.assign(std::size_t(n), QString());
    if (layout.headerLine == 0 && layout.kind == TableLayout::Kind::Delimited && n >= 2 &&
        layout.error.isEmpty())
        return guessByOrder(layout, m);
    std::vector<Name> names;
    for (int c = 0; c < n; ++c)
        names.push_back(
            parseName(layout.columns[c], c < layout.units.size() ? layout.units[c] : QString()));
    bool gaia = false;
    for (const Name& nm : names)
        gaia = gaia || nm.key == QStringLiteral("transitid") ||
               nm.key == QStringLiteral("rejectedbyvariability");

    QStringList doubts;
    std::vector<int> timeCols, magCols, fluxCols, errCols;
    std::vector<QString> errTargets;
    for (int c = 0; c < n; ++c) {
        const Name& nm = names[std::size_t(c)];
        QString band, target;
        if (isTimeKey(nm.key) ||
            (!std::isnan(nm.offset) && nm.key.contains(QStringLiteral("jd")))) {
            const double median = medianOf(layout, c);
            if (layout.sample.empty() || !std::isnan(median))
                timeCols.push_back(c);
        } else if (isLimitKey(nm.key)) {
            m.roles[std::size_t(c)] = ColumnRole::Limit;
        } else if (isBandKey(nm.key)) {
            if (!m.roles.empty() &&
                std::count(m.roles.begin(), m.roles.end(), ColumnRole::Band) == 0)
                m.roles[std::size_t(c)] = ColumnRole::Band;
        } else if (isFlagKey(nm.key)) {
            m.roles[std::size_t(c)] = ColumnRole::Flag;
        } else if (uncertaintyTarget(nm.key, target) && isMagnitudeKey(target)) {
            errCols.push_back(c); // e_Vmag, sigmag: before Vmag's rule takes "eV" for a band
            errTargets.push_back(target);
        } else if (magnitudeBand(nm, band)) {
            magCols.push_back(c);
            m.bandOfColumn[std::size_t(c)] = band;
        } else if (isFluxKey(nm.key)) {
            fluxCols.push_back(c);
        } else if (uncertaintyTarget(nm.key, target)) {
            errCols.push_back(c);
            errTargets.push_back(target);
        }
    }

    // Time: one column, the barycentric or heliocentric one first.
    if (timeCols.empty()) {
        doubts << QStringLiteral("no time column among: %1").arg(joined(layout.columns));
    } else {
        std::stable_sort(timeCols.begin(), timeCols.end(), [&](int a, int b) {
            return timeRank(names[std::size_t(a)].key) > timeRank(names[std::size_t(b)].key);
        });
        const int t = timeCols[0];
        m.roles[std::size_t(t)] = ColumnRole::Time;
        if (timeCols.size() > 1) {
            QStringList all;
            for (const int c : timeCols)
                all << layout.columns[c];
            doubts << QStringLiteral("%1 time columns: %2").arg(timeCols.size()).arg(joined(all));
        }
        const QString doubt =
            judgeTime(m, names[std::size_t(t)], medianOf(layout, t), layout, gaia);
        if (!doubt.isEmpty())
            doubts << doubt;
    }

    // Brightness: magnitudes before fluxes; PDCSAP before SAP.
    std::vector<int> chosen;
    bool wide = false;
    if (!magCols.empty()) {
        const bool allBands = std::all_of(magCols.begin(), magCols.end(), [&](int c) {
            return !m.bandOfColumn[std::size_t(c)].isEmpty();
        });
        wide = magCols.size() > 1 && allBands;
        if (wide) {
            chosen = magCols;
        } else {
            std::vector<int> plain = magCols;
            std::stable_sort(plain.begin(), plain.end(), [&](int a, int b) {
                const auto isPlain = [&](int c) {
                    const QString& k = names[std::size_t(c)].key;
                    return k == QStringLiteral("mag") || k == QStringLiteral("magnitude");
                };
                return isPlain(a) && !isPlain(b);
            });
            chosen = {plain[0]};
            if (magCols.size() > 1) {
                QStringList all;
                for (const int c : magCols)
                    all << layout.columns[c];
                doubts << QStringLiteral("%1 magnitude columns: %2")
                              .arg(magCols.size())
                              .arg(joined(all));
            }
        }
        for (const int c : chosen)
            m.roles[std::size_t(c)] = ColumnRole::Magnitude;
    }
    int flux = -1;
    if (!fluxCols.empty()) {
        std::vector<int> ranked = fluxCols;
        std::stable_sort(ranked.begin(), ranked.end(), [&](int a, int b) {
            const auto rank = [&](int c) {
                const QString& k = names[std::size_t(c)].key;
                return k == QStringLiteral("pdcsapflux") ? 2
                       : k == QStringLiteral("sapflux")  ? 1
                                                         : 0;
            };
            return rank(a) > rank(b);
        });
        flux = ranked[0];
    }

    // Uncertainties: each to the brightness column it names, else to the only one.
    const auto targetColumn = [&](const QString& target) {
        for (const int c : chosen)
            if (names[std::size_t(c)].key == target ||
                (!target.isEmpty() && m.bandOfColumn[std::size_t(c)].toLower() == target))
                return c;
        if (flux >= 0 &&
            (names[std::size_t(flux)].key == target || target == QStringLiteral("flux")))
            return flux;
        if (target.isEmpty() || target == QStringLiteral("mag") ||
            target == QStringLiteral("magnitude") || isMagKind(target))
            return chosen.size() == 1 ? chosen[0] : (chosen.empty() ? flux : -1);
        return -1;
    };
    std::vector<int> errOf(std::size_t(n), -1); // brightness column -> its uncertainty column
    bool fluxErrorOnly = false;
    for (std::size_t i = 0; i < errCols.size(); ++i) {
        const int target = targetColumn(errTargets[i]);
        if (target < 0)
            continue;
        if (errOf[std::size_t(target)] >= 0) {
            doubts << QStringLiteral("two uncertainty columns: %1, %2")
                          .arg(layout.columns[errOf[std::size_t(target)]],
                               layout.columns[errCols[i]]);
            continue;
        }
        errOf[std::size_t(target)] = errCols[i];
    }
    if (!chosen.empty() && flux >= 0 && errOf[std::size_t(flux)] >= 0 && chosen.size() == 1 &&
        errOf[std::size_t(chosen[0])] < 0)
        fluxErrorOnly = true; // Gaia: the magnitude's uncertainty comes from the flux's
    if (chosen.empty() && flux >= 0) {
        chosen = {flux};
        m.roles[std::size_t(flux)] = ColumnRole::Flux;
    } else if (fluxErrorOnly) {
        m.roles[std::size_t(flux)] = ColumnRole::Flux;
        m.roles[std::size_t(errOf[std::size_t(flux)])] = ColumnRole::Uncertainty;
    }
    if (flux >= 0 && m.roles[std::size_t(flux)] == ColumnRole::Flux && magCols.empty())
        m.fluxZeroPoint = zeroPointOf(names[std::size_t(flux)].unit);
    for (const int c : chosen)
        if (const int e = errOf[std::size_t(c)]; e >= 0) {
            m.roles[std::size_t(e)] = ColumnRole::Uncertainty;
            m.bandOfColumn[std::size_t(e)] = m.bandOfColumn[std::size_t(c)];
        }
    if (chosen.empty())
        doubts
            << QStringLiteral("no magnitude or flux column among: %1").arg(joined(layout.columns));
    if (!layout.error.isEmpty())
        doubts.prepend(layout.error);

    m.sure = doubts.isEmpty();
    m.why = doubts.join(QStringLiteral("; "));
    return m;
}

QString checkMapping(const TableLayout& layout, const TableMapping& m) {
    const auto n = qsizetype(layout.columns.size());
    if (!layout.error.isEmpty())
        return layout.error;
    if (qsizetype(m.roles.size()) != n || qsizetype(m.bandOfColumn.size()) != n)
        return QStringLiteral("The mapping gives %1 columns but the table has %2: %3.")
            .arg(m.roles.size())
            .arg(n)
            .arg(joined(layout.columns));
    QStringList of[8];
    for (qsizetype c = 0; c < n; ++c)
        of[int(m.roles[std::size_t(c)])] << layout.columns[c];
    if (of[int(ColumnRole::Time)].isEmpty())
        return QStringLiteral("No time column among: %1.").arg(joined(layout.columns));
    if (of[int(ColumnRole::Time)].size() > 1)
        return QStringLiteral("More than one time column: %1.")
            .arg(joined(of[int(ColumnRole::Time)]));
    if (of[int(ColumnRole::Magnitude)].isEmpty() && of[int(ColumnRole::Flux)].isEmpty())
        return QStringLiteral("No magnitude or flux column among: %1.").arg(joined(layout.columns));
    if (of[int(ColumnRole::Flux)].size() > 1)
        return QStringLiteral("More than one flux column: %1.")
            .arg(joined(of[int(ColumnRole::Flux)]));
    if (of[int(ColumnRole::Band)].size() > 1)
        return QStringLiteral("More than one band column: %1.")
            .arg(joined(of[int(ColumnRole::Band)]));
    if (!std::isfinite(m.timeOffset) || !std::isfinite(m.fluxZeroPoint))
        return QStringLiteral("The time offset and the zero point must be numbers.");
    return QString();
}

} // namespace varilume
