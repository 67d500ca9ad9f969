#include "import/MappingText.h"

#include <QCryptographicHash>
#include <QUrl>
#include <cmath>

namespace varilume {

namespace {

constexpr const char* kRoleWords[] = {"ignore", "time", "mag",  "flux",
                                      "err",    "band", "flag", "limit"};
constexpr const char* kSystemWords[] = {"JD",      "MJD",       "RJD",   "BTJD",
                                        "GaiaBJD", "KeplerBJD", "offset"};

QString number(double v) {
    return QString::number(v, 'g', 17);
}

std::optional<double> readNumber(const QString& s) {
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

QString mappingToText(const TableMapping& m) {
    QStringList roles, bands;
    for (const ColumnRole r : m.roles)
        roles << QString::fromLatin1(kRoleWords[int(r)]);
    for (const QString& b : m.bandOfColumn)
        bands << QString::fromLatin1(QUrl::toPercentEncoding(b));
    return QStringLiteral("roles=%1;bands=%2;time=%3;offset=%4;zp=%5;flagged=%6;limits=%7")
        .arg(roles.join(QLatin1Char(',')), bands.join(QLatin1Char(',')),
             QString::fromLatin1(kSystemWords[int(m.timeSystem)]), number(m.timeOffset),
             number(m.fluxZeroPoint),
             m.keepFlagged ? QStringLiteral("keep") : QStringLiteral("skip"),
             m.keepUpperLimits ? QStringLiteral("keep") : QStringLiteral("skip"));
}

std::optional<TableMapping> mappingFromText(const QString& text, qsizetype columnCount) {
    TableMapping m;
    int seen = 0;
    for (const QString& part : text.trimmed().split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            return std::nullopt;
        const QString key = part.left(eq);
        const QString value = part.mid(eq + 1);
        if (key == QStringLiteral("roles")) {
            for (const QString& w : value.split(QLatin1Char(','))) {
                const auto it = std::find_if(std::begin(kRoleWords), std::end(kRoleWords),
                                             [&](const char* r) { return w == QLatin1String(r); });
                if (it == std::end(kRoleWords))
                    return std::nullopt;
                m.roles.push_back(ColumnRole(it - std::begin(kRoleWords)));
            }
            seen |= 1;
        } else if (key == QStringLiteral("bands")) {
            for (const QString& b : value.split(QLatin1Char(',')))
                m.bandOfColumn.push_back(QUrl::fromPercentEncoding(b.toLatin1()));
            seen |= 2;
        } else if (key == QStringLiteral("time")) {
            const auto it = std::find_if(std::begin(kSystemWords), std::end(kSystemWords),
                                         [&](const char* s) { return value == QLatin1String(s); });
            if (it == std::end(kSystemWords))
                return std::nullopt;
            m.timeSystem = TimeSystem(it - std::begin(kSystemWords));
            seen |= 4;
        } else if (key == QStringLiteral("offset") || key == QStringLiteral("zp")) {
            const auto v = readNumber(value);
            if (!v)
                return std::nullopt;
            (key == QStringLiteral("zp") ? m.fluxZeroPoint : m.timeOffset) = *v;
            seen |= key == QStringLiteral("zp") ? 8 : 16;
        } else if (key == QStringLiteral("flagged") || key == QStringLiteral("limits")) {
            if (value != QStringLiteral("keep") && value != QStringLiteral("skip"))
                return std::nullopt;
            (key == QStringLiteral("flagged") ? m.keepFlagged : m.keepUpperLimits) =
                value == QStringLiteral("keep");
            seen |= key == QStringLiteral("flagged") ? 32 : 64;
        } else {
            return std::nullopt;
        }
    }
    if (seen != 127 || qsizetype(m.roles.size()) != columnCount ||
        m.bandOfColumn.size() != m.roles.size())
        return std::nullopt;
    m.sure = true;
    return m;
}

QString headerKey(const TableLayout& layout) {
    QStringList names;
    for (const QString& c : layout.columns)
        names << c.trimmed().toLower();
    const QString canonical = (layout.kind == TableLayout::Kind::Fits ? QStringLiteral("fits\n")
                                                                      : QStringLiteral("text\n")) +
                              names.join(QLatin1Char('\n'));
    return QStringLiteral("table-") +
           QString::fromLatin1(
               QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace varilume
