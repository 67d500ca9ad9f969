#include "import/TwoColumnImport.h"

#include "platform/BusyView.h"
#include "store/Context.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace varilume {

namespace {

// Progress and window events are serviced by time: once per line would cost
// more than the parsing itself on a file of a million lines.
constexpr int kYieldIntervalMs = 8;
constexpr unsigned kLinesPerClockCheck = 512;

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Lines as a text reader sees them: ended by LF, CR LF or a lone CR; a last
// line without an ending counts, an ending at the very end adds no empty line.
std::int32_t countLines(const char* data, qsizetype size) {
    std::int32_t lines = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == '\n')
            ++lines;
        else if (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'))
            ++lines;
    }
    if (size > 0 && !isLineEnd(data[size - 1]))
        ++lines;
    return lines;
}

// A line split into values the way the file format wants it: tabs, commas and
// blanks separate (runs of them count once), every "<" is dropped and marks
// the line fainter-than. Only the first three values are kept, as spans of the
// line; a value with a "<" inside is mended when it is converted.
struct SplitLine {
    struct Span {
        const char* begin = nullptr;
        const char* end = nullptr;
        bool hasMark = false; // a "<" inside, to be dropped
    };
    Span value[3];
    int values = 0;
    bool faint = false;
};

SplitLine splitLine(const char* p, const char* end) {
    SplitLine line;
    bool inValue = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == ',') {
            inValue = false;
            continue;
        }
        if (c == '<') {
            line.faint = true;
            if (inValue && line.values <= 3)
                line.value[line.values - 1].hasMark = true;
            continue;
        }
        if (!inValue) {
            inValue = true;
            if (++line.values <= 3)
                line.value[line.values - 1].begin = p;
        }
        if (line.values <= 3)
            line.value[line.values - 1].end = p + 1;
    }
    return line;
}

// The text of a value, without the "<" marks it may hold.
QString valueText(const SplitLine::Span& v) {
    if (!v.hasMark)
        return QString::fromLatin1(v.begin, v.end - v.begin);
    QString text;
    text.reserve(v.end - v.begin);
    for (const char* p = v.begin; p != v.end; ++p) {
        if (*p != '<')
            text.append(QLatin1Char(*p));
    }
    return text;
}

// Where a load stopped, for its message: a bare "Data type conversion error"
// leaves the user hunting through a file of a million lines.
QString lineReport(std::int32_t number, const char* begin, const char* end) {
    constexpr qsizetype kShown = 80;
    QString text = QString::fromUtf8(begin, std::min<qsizetype>(end - begin, kShown));
    if (end - begin > kShown)
        text += QStringLiteral("...");
    return QStringLiteral("\r\nLine ") + QString::number(number) + QStringLiteral(": ") + text;
}

ImportResult failure(ImportResult::Status status, const QString& text, const QString& title,
                     Icon icon) {
    ImportResult r;
    r.status = status;
    r.text = text;
    r.title = title;
    r.icon = icon;
    return r;
}

ImportResult loadError(const QString& description) {
    return failure(ImportResult::Status::BadValue,
                   QStringLiteral("Error in loading database. Check source file.\r\n") +
                       description,
                   QStringLiteral("Error"), Icon::Critical);
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
        return failure(ImportResult::Status::FileError,
                       QStringLiteral("File ") + path + QStringLiteral(" not found."),
                       QStringLiteral("File Error"), Icon::Exclamation);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        state.LoadOK = false;
        ImportResult r = loadError(file.errorString());
        r.status = ImportResult::Status::FileError;
        return r;
    }

    // One read of the whole file (mapped when the system allows it): the lines
    // are counted first for the progress bar, then parsed in place.
    const qint64 size = file.size();
    QByteArray buffer;
    const char* data = nullptr;
    qsizetype length = 0;
    if (size > 0)
        data = reinterpret_cast<const char*>(file.map(0, size));
    if (data) {
        length = size;
    } else {
        buffer = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            state.LoadOK = false;
            ImportResult r = loadError(file.errorString());
            r.status = ImportResult::Status::FileError;
            return r;
        }
        data = buffer.constData();
        length = buffer.size();
    }

    state.NumRecords = countLines(data, length);
    busy.showBusyCaption(QStringLiteral("Loading ") + QString::number(state.NumRecords) +
                         QStringLiteral(" Records."));
    busy.showProgress(state.NumRecords + 10);

    ObsRecord rec;
    rec.Star = state.StarName;
    rec.PunktFarb = colorValue(state.ColorVIS);
    const QString faintMark = QStringLiteral("<");
    const QString noText = QStringLiteral("");

    ImportResult result;
    int stored = 0;
    QElapsedTimer clock;
    clock.start();
    unsigned sinceCheck = 0;
    QString failedOn; // description of the error that ended the load

    ObsStore& store = ctx.store;
    try {
        store.beginAppend();
    } catch (const StoreError& e) {
        busy.hideBusyCaption();
        busy.hideProgress();
        state.LoadOK = false;
        return loadError(e.description());
    }
    try {
        const char* p = data;
        const char* const end = data + length;
        std::int32_t lineNumber = 0;
        while (p < end) {
            const char* eol = p;
            while (eol < end && !isLineEnd(*eol))
                ++eol;
            const SplitLine line = splitLine(p, eol);
            const char* const lineStart = p;
            ++lineNumber;
            p = eol;
            if (p < end && *p++ == '\r' && p < end && *p == '\n')
                ++p;

            if (++sinceCheck == kLinesPerClockCheck) {
                sinceCheck = 0;
                if (clock.elapsed() >= kYieldIntervalMs) {
                    busy.setProgress(stored);
                    ctx.platform.processEvents();
                    clock.restart();
                }
            }

            // A line without any value (most often an empty last line) carries
            // no observation; skipping it beats failing the whole load.
            if (line.values == 0)
                continue;
            if (line.values < 2) {
                failedOn = QStringLiteral("Subscript out of range") +
                           lineReport(lineNumber, lineStart, eol);
                break;
            }
            rec.JD = valueText(line.value[0]);
            rec.Mag = valueText(line.value[1]);
            rec.Uncertain = line.values == 3 ? valueText(line.value[2]) : noText;
            rec.Faint = line.faint ? faintMark : noText;
            try {
                store.append(rec);
            } catch (const StoreError& e) {
                failedOn = e.description() + lineReport(lineNumber, lineStart, eol);
                break;
            }
            ++stored;
        }
    } catch (const StoreError& e) {
        failedOn = e.description();
    }
    // Rows appended before a bad line are committed too, so that the batch is
    // closed; the caller clears the store after a failed load anyway.
    try {
        store.commitAppend();
    } catch (const StoreError& e) {
        if (failedOn.isNull())
            failedOn = e.description();
    }
    if (!failedOn.isNull()) {
        state.LoadOK = false;
        result = loadError(failedOn);
    }

    busy.hideBusyCaption();
    busy.hideProgress();
    result.records = stored;
    return result;
}

} // namespace varilume
