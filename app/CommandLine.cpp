#include "app/CommandLine.h"

#include "app/BatchSummary.h"
#include "export/PhaseFigure.h"
#include "search/SearchMethods.h"

#include <QCommandLineParser>
#include <cmath>
#include <cstdio>

namespace varilume {

namespace {

// The modes an option belongs to, as bits.
constexpr unsigned bit(Mode m) {
    return 1u << static_cast<unsigned>(m);
}
constexpr unsigned AnyBatch = bit(Mode::Search);

/// Reads the value into the options; returns the reason it is unusable, or nothing.
using Apply = QString (*)(BatchOptions&, const QString& value);

/// One option. `selects` names the mode the option starts (at most one per
/// run); `modes` the modes it may be given with.
struct OptionRow {
    const char* names; // comma-separated, the long name first
    const char* value; // the value's name in the usage; nullptr: a switch
    Mode selects;      // Mode::Window: selects no mode
    unsigned modes;
    const char* help;
    Apply apply;
};

bool readNumber(const QString& text, double& x) {
    bool ok = false;
    x = text.toDouble(&ok);
    return ok && std::isfinite(x);
}

QString period(const QString& option, const QString& value, double& target) {
    double x = 0;
    if (!readNumber(value, x) || x <= 0)
        return QStringLiteral("%1 must be a positive number of days, not \"%2\".")
            .arg(option, value);
    target = x;
    return {};
}

const OptionRow kOptions[] = {
    {"help,h,?", nullptr, Mode::Help, 0, "Print this usage and end.", nullptr},
    {"version,v", nullptr, Mode::Version, 0, "Print the version and end.", nullptr},
    {"search", "FILE", Mode::Search, AnyBatch,
     "Search FILE (ORBIS, either layout, two/three columns of JD, magnitude and uncertainty, "
     "or a light-curve table with named columns, recognised by content) for its period; the peak "
     "list goes to standard output as CSV.",
     [](BatchOptions& o, const QString& v) {
         o.file = v;
         return QString();
     }},
    {"files", "LIST", Mode::Search, AnyBatch,
     "Search every file LIST names (one path a line; blank lines and lines starting with # "
     "skipped; relative paths from the list's folder), with --summary.",
     [](BatchOptions& o, const QString& v) {
         o.listFile = v;
         return QString();
     }},
    {"summary", "OUT.csv", Mode::Window, bit(Mode::Search),
     "Many stars: search every file given (FILE FILE... or --files) in parallel and write one "
     "row per star to OUT.csv (file, points, span_days, period, frequency, power, harmonics, "
     "fap, fap_red, verdict, note, error). A file that fails gets its reason in its row.",
     [](BatchOptions& o, const QString& v) {
         o.summaryFile = v;
         return QString();
     }},
    {"method", "gls|pdm|string", Mode::Window, bit(Mode::Search),
     "Generalised Lomb-Scargle (default), phase dispersion minimisation or string length.",
     [](BatchOptions& o, const QString& v) {
         const MethodInfo* m = methodByKey(v.toStdString());
         if (!m)
             return QStringLiteral("--method must be gls, pdm or string, not \"%1\".").arg(v);
         o.settings.method = m->method;
         return QString();
     }},
    {"refine", "pdm|string", Mode::Window, bit(Mode::Search),
     "PDM or string length only about the best GLS peaks, their harmonics and subharmonics: "
     "seconds where the whole grid would take minutes.",
     [](BatchOptions& o, const QString& v) {
         const MethodInfo* m = methodByKey(v.toStdString());
         if (!m || m->method == SearchMethod::Gls)
             return QStringLiteral("--refine must be pdm or string, not \"%1\".").arg(v);
         o.settings.method = m->method;
         o.settings.refineGls = true;
         return QString();
     }},
    {"spectrum", "OUT.csv", Mode::Window, bit(Mode::Search),
     "Also write the whole spectrum as CSV: frequency,period and the statistic, one row per "
     "trial frequency.",
     [](BatchOptions& o, const QString& v) {
         o.spectrumFile = v;
         return QString();
     }},
    {"harmonics", "auto|H", Mode::Window, bit(Mode::Search),
     "GLS harmonics, 1 to 4, or auto (the default): each period with those that give it the lowest "
     "FAP.",
     [](BatchOptions& o, const QString& v) {
         double x = 0;
         using namespace searchlimits;
         if (v == QStringLiteral("auto")) {
             o.settings.harmonics = AutoHarmonics;
             return QString();
         }
         if (!readNumber(v, x) || x != std::floor(x) || x < MinHarmonics || x > MaxHarmonics)
             return QStringLiteral("--harmonics must be auto or %1 to %2, not \"%3\".")
                 .arg(MinHarmonics)
                 .arg(MaxHarmonics)
                 .arg(v);
         o.settings.harmonics = static_cast<int>(x);
         return QString();
     }},
    {"min-period", "D", Mode::Window, bit(Mode::Search),
     "Shortest trial period in days (default 0.05 d, or twice the smallest spacing).",
     [](BatchOptions& o, const QString& v) {
         return period(QStringLiteral("--min-period"), v, o.settings.minPeriod);
     }},
    {"max-period", "D", Mode::Window, bit(Mode::Search),
     "Longest trial period in days (default half the time span).",
     [](BatchOptions& o, const QString& v) {
         return period(QStringLiteral("--max-period"), v, o.settings.maxPeriod);
     }},
    {"oversample", "K", Mode::Window, bit(Mode::Search),
     "Frequency step 1/(K x span), K from 1 to 1000 (default 10).",
     [](BatchOptions& o, const QString& v) {
         double x = 0;
         using namespace searchlimits;
         if (!readNumber(v, x) || x < MinOversample || x > MaxOversample)
             return QStringLiteral("--oversample must be %1 to %2, not \"%3\".")
                 .arg(MinOversample)
                 .arg(MaxOversample)
                 .arg(v);
         o.settings.oversample = x;
         return QString();
     }},
    {"top", "N", Mode::Window, bit(Mode::Search), "Rows in the peak list, 1 to 1000 (default 10).",
     [](BatchOptions& o, const QString& v) {
         double x = 0;
         if (!readNumber(v, x) || x != std::floor(x) || x < 1 || x > 1000)
             return QStringLiteral("--top must be a whole number 1 to 1000, not \"%1\".").arg(v);
         o.settings.peaks = static_cast<int>(x);
         return QString();
     }},
    {"plot", "OUT", Mode::Window, bit(Mode::Search),
     "Also write the phase plot folded at the best period, in the format the extension "
     "names: .png, .bmp or .pdf.",
     [](BatchOptions& o, const QString& v) {
         if (figureFormatOf(v) == FigureFormat::None)
             return QStringLiteral("--plot must name a .png, .bmp or .pdf file, not \"%1\".")
                 .arg(v);
         o.plotFile = v;
         return QString();
     }},
    {"time", "COLUMN", Mode::Window, bit(Mode::Search),
     "A table's time column, where the names do not settle it.",
     [](BatchOptions& o, const QString& v) {
         o.columns.time = v;
         return QString();
     }},
    {"mag", "COLUMN", Mode::Window, bit(Mode::Search),
     "A table's magnitude column (with --flux: its flux column).",
     [](BatchOptions& o, const QString& v) {
         o.columns.mag = v;
         return QString();
     }},
    {"err", "COLUMN", Mode::Window, bit(Mode::Search), "A table's uncertainty column.",
     [](BatchOptions& o, const QString& v) {
         o.columns.err = v;
         return QString();
     }},
    {"band", "COLUMN", Mode::Window, bit(Mode::Search), "A table's band or filter column.",
     [](BatchOptions& o, const QString& v) {
         o.columns.band = v;
         return QString();
     }},
    {"time-offset", "D", Mode::Window, bit(Mode::Search),
     "Days added to a table's time column for a full Julian Date (2400000.5 for MJD).",
     [](BatchOptions& o, const QString& v) {
         double x = 0;
         if (!readNumber(v, x))
             return QStringLiteral("--time-offset must be a number of days, not \"%1\".").arg(v);
         o.columns.timeOffset = x;
         return QString();
     }},
    {"flux", nullptr, Mode::Window, bit(Mode::Search),
     "A table's brightness is a flux: it becomes a magnitude, -2.5 log10 flux.",
     [](BatchOptions& o, const QString&) {
         o.columns.flux = true;
         return QString();
     }},
};

// The usage line, the summary and the heading of each mode, in the order --help lists them.
struct ModeRow {
    Mode mode;
    const char* usage;
    const char* summary;
    const char* heading; // of its options; nullptr: none
};
const ModeRow kModes[] = {
    {Mode::Window, "", "Opens the window program.", nullptr},
    {Mode::Search, "--search FILE [options]",
     "Batch period search: no window, no settings, nothing left behind but the plot asked for.",
     "Period search"},
    {Mode::Search, "--search FILE FILE... --summary OUT.csv [options]",
     "Many stars in parallel over every core, one summary row per star; --files LIST names "
     "them in a file.",
     nullptr},
    {Mode::Help, "--help | --version", "Prints this usage or the version.", "Help"},
};

// Options Qt reads itself in the window program (QGuiApplication, QApplication):
// passed over here, left to Qt in argv.
const char* const kQtValued[] = {"platform",        "platformpluginpath",
                                 "platformtheme",   "plugin",
                                 "qwindowgeometry", "qwindowicon",
                                 "qwindowtitle",    "style",
                                 "stylesheet",      "session",
                                 "display",         "geometry"};
const char* const kQtSwitches[] = {"reverse", "widgetcount", "nograb", "dograb"};

QStringList namesOf(const OptionRow& row) {
    return QString::fromLatin1(row.names).split(u',');
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The options that start the modes given as bits: "--search" (or "--a or --b").
QString modeOptions(unsigned modes) {
    QStringList names;
    unsigned named = 0; // a mode started by several options is named by its first
    for (const OptionRow& row : kOptions)
        if (row.selects != Mode::Window && (modes & bit(row.selects) & ~named)) {
            names << dashed(namesOf(row).front());
            named |= bit(row.selects);
        }
    return names.join(QStringLiteral(" or "));
}

QString seeHelp(const QString& why) {
    return why + QStringLiteral(" See Varilume --help.");
}

} // namespace

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine c;
    c.batch.settings.peaks = 10;
    QCommandLineParser parser;
    // -search works as --search, and -platform reaches the Qt options below.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    std::vector<QCommandLineOption> options;
    for (const OptionRow& row : kOptions) {
        options.emplace_back(namesOf(row));
        if (row.value)
            options.back().setValueName(QString::fromLatin1(row.value));
        parser.addOption(options.back());
    }
    for (const char* name : kQtValued)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("x")));
    for (const char* name : kQtSwitches)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    auto fail = [&](const QString& why) {
        c.error = why;
        return c;
    };
    if (!parser.parse(QStringList{QStringLiteral("Varilume")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return fail(seeHelp(QStringLiteral("Unknown option %1.").arg(dashed(unknown.front()))));
        // The one other failure: a value option with nothing after it.
        return fail(seeHelp(
            QStringLiteral("%1 needs a value.").arg(args.isEmpty() ? QString() : args.back())));
    }
    for (std::size_t i = 0; i < options.size(); ++i) {
        const Mode m = kOptions[i].selects;
        if (m == Mode::Window || !parser.isSet(options[i]))
            continue;
        // --help and --version win over anything else given with them.
        if (m == Mode::Help || m == Mode::Version) {
            c.mode = c.mode == Mode::Help ? Mode::Help : m;
            continue;
        }
        if (c.mode != Mode::Window && c.mode != m && c.mode != Mode::Help &&
            c.mode != Mode::Version)
            return fail(seeHelp(QStringLiteral("Give one mode at a time.")));
        if (c.mode == Mode::Window)
            c.mode = m;
    }
    if (c.mode == Mode::Help || c.mode == Mode::Version)
        return c;
    // Files after --search FILE are more stars for --summary.
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty() && c.mode != Mode::Search)
        return fail(seeHelp(QStringLiteral("Unexpected argument \"%1\".").arg(positional.front())));
    c.batch.moreFiles = positional;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const OptionRow& row = kOptions[i];
        if (!parser.isSet(options[i]))
            continue;
        const QString name = dashed(namesOf(row).front());
        if (!(row.modes & bit(c.mode))) {
            return fail(seeHelp(QStringLiteral("%1 needs %2.").arg(name, modeOptions(row.modes))));
        }
        const QString why = row.apply(c.batch, parser.value(options[i]));
        if (!why.isEmpty())
            return fail(why);
    }
    if (c.mode == Mode::Search && c.batch.file.isEmpty() && c.batch.listFile.isEmpty())
        return fail(QStringLiteral("--search needs a file."));
    if (c.mode == Mode::Search && c.batch.summaryFile.isEmpty()) {
        if (!c.batch.listFile.isEmpty())
            return fail(seeHelp(QStringLiteral("--files needs --summary OUT.csv.")));
        if (!c.batch.moreFiles.isEmpty())
            return fail(seeHelp(QStringLiteral("Several files need --summary OUT.csv.")));
    }
    if (!c.batch.summaryFile.isEmpty()) {
        if (!c.batch.plotFile.isEmpty() || !c.batch.spectrumFile.isEmpty())
            return fail(
                seeHelp(QStringLiteral("--plot and --spectrum are for one star, not --summary.")));
    }
    return c;
}

QString usageText() {
    // Lines of at most 80 characters: the words of a text after an indent.
    const auto wrapped = [](const char* text) {
        QString out, line = QStringLiteral("      ");
        for (const QString& word : QString::fromUtf8(text).split(u' ')) {
            if (line.size() + 1 + word.size() > 80 && line.size() > 6) {
                out += line + u'\n';
                line = QStringLiteral("      ");
            }
            line += (line.size() > 6 ? QStringLiteral(" ") : QString()) + word;
        }
        return out + line + u'\n';
    };
    QString text = QStringLiteral("Usage:\n");
    for (const ModeRow& m : kModes)
        text += QStringLiteral("  ") +
                (QStringLiteral("Varilume ") + QString::fromLatin1(m.usage)).trimmed() + u'\n' +
                wrapped(m.summary);
    for (const ModeRow& m : kModes) {
        if (!m.heading)
            continue;
        text += QStringLiteral("\n%1:\n").arg(QString::fromLatin1(m.heading));
        for (const OptionRow& row : kOptions) {
            if (m.mode == Mode::Help ? row.modes != 0 : !(row.modes & bit(m.mode)))
                continue;
            QStringList names;
            for (const QString& n : namesOf(row))
                names << dashed(n);
            text += QStringLiteral("  ") + names.join(QStringLiteral(", "));
            if (row.value)
                text += u' ' + QString::fromLatin1(row.value);
            text += u'\n' + wrapped(row.help);
        }
    }
    text += QStringLiteral(
        "\nModelling the light curve (CSV on standard output):\n"
        "  Varilume --fit FILE --period P [--order K|auto] [--free-period] [--plot FILE]\n"
        "      Fourier fit at the period: mean, amplitude, epoch of maximum, A_k, phi_k, R21, "
        "R31,\n"
        "      phi21, phi31, rms, each with its standard error; --plot draws the fold\n"
        "      with the model over it.\n"
        "  Varilume --frequencies FILE --count N [--min-period D] [--max-period D]\n"
        "      N frequencies by prewhitening, fitted together.\n"
        "  Varilume --oc FILE --period P [--epoch E] [--group D | --cycles N]\n"
        "           [--order K|auto]\n"
        "      Times of maximum per season (or every D days, or every N cycles), O-C and\n"
        "      the ephemeris fits.\n");
    return text + QStringLiteral("\nExit status: 0 done; 2 bad arguments or input (one line on "
                                 "standard error);\n3 with --summary: some stars failed (their "
                                 "rows say why).\n");
}

QString versionText() {
    return QStringLiteral("Varilume " VARILUME_VERSION "\n");
}

int runWithoutWindow(const CommandLine& command, int argc, char** argv) {
    const auto print = [](FILE* stream, const QString& text) {
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
        std::fflush(stream);
    };
    if (!command.error.isEmpty()) {
        print(stderr, QStringLiteral("Varilume: ") + command.error + u'\n');
        return 2;
    }
    switch (command.mode) {
    case Mode::Help:
        print(stdout, usageText());
        return 0;
    case Mode::Version:
        print(stdout, versionText());
        return 0;
    case Mode::Search:
        if (!command.batch.summaryFile.isEmpty())
            return batchSummaryMain(command.batch, argc, argv);
        return batchSearchMain(command.batch, argc, argv);
    case Mode::Window:
        break;
    }
    return -1;
}

} // namespace varilume
