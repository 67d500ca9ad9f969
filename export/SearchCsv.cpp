#include "export/SearchCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace varilume {

namespace {

QString csvText(const std::string& text) {
    QString s = QString::fromStdString(text);
    if (s.contains(u',') || s.contains(u'"') || s.contains(u'\n'))
        s = QLatin1Char('"') + s.replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
            QLatin1Char('"');
    return s;
}

QString statisticName(SearchMethod method) {
    const std::string_view column = methodInfo(method).column;
    return QString::fromLatin1(column.data(), static_cast<qsizetype>(column.size()));
}

// Ten significant digits as QString::number(v, 'g', 10) writes them, without
// the detour through QString: a spectrum has millions of rows.
char* putNumber(char* at, char* end, double v) {
    if (!std::isfinite(v))
        return at;
    return std::to_chars(at, end, v, std::chars_format::general, 10).ptr;
}

} // namespace

QString verdictCsv(Verdict verdict) {
    const std::string_view text = verdictText(verdict);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString fapText(double fap) {
    if (fap < 0)
        return QString();
    if (fap < 1e-300)
        return QStringLiteral("< 1e-300");
    return QString::number(fap, 'g', 3);
}

QString fapCsv(double fap) {
    if (fap < 0)
        return QString();
    return QString::number(std::max(fap, std::numeric_limits<double>::denorm_min()), 'g', 3);
}

QString csvNumber(double value) {
    if (!std::isfinite(value))
        return QString();
    return QString::number(value, 'g', 10);
}

QString peakListCsv(const std::vector<Peak>& peaks) {
    const auto number = [](double v, int digits) { return QString::number(v, 'g', digits); };
    QString csv = QStringLiteral(
        "rank,period,frequency,power,fap,sigma_period,note,harmonics,fap_red,verdict\n");
    for (const Peak& p : peaks) {
        csv += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,")
                   .arg(p.rank)
                   .arg(number(p.period, 10), number(p.frequency, 10), number(p.power, 8),
                        fapCsv(p.fap), p.sigmaPeriod >= 0 ? number(p.sigmaPeriod, 3) : QString(),
                        csvText(p.note), p.harmonics > 0 ? QString::number(p.harmonics) : QString(),
                        fapCsv(p.fapRed));
        csv += verdictCsv(p.verdict) + u'\n';
    }
    return csv;
}

bool writeSpectrumCsv(const Spectrum& spectrum, QIODevice& out) {
    QByteArray block =
        (QStringLiteral("frequency,period,") + statisticName(spectrum.method) + u'\n').toUtf8();
    constexpr qsizetype BlockBytes = 1 << 20;
    char row[96];
    for (std::size_t i = 0; i < spectrum.values.size(); ++i) {
        if (!std::isfinite(spectrum.values[i]))
            continue; // not computed (a cancelled run, or outside the refined windows)
        const double f = spectrum.grid.frequency(i);
        char* at = putNumber(row, row + 30, f);
        *at++ = ',';
        at = putNumber(at, at + 30, 1.0 / f);
        *at++ = ',';
        at = putNumber(at, at + 30, spectrum.values[i]);
        *at++ = '\n';
        block.append(row, at - row);
        if (block.size() >= BlockBytes) {
            if (out.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return out.write(block) == block.size();
}

QString spectrumCsv(const Spectrum& spectrum) {
    const bool window = spectrum.window.size() == spectrum.values.size();
    QString out = QStringLiteral("frequency,period,") + statisticName(spectrum.method) +
                  (window ? QStringLiteral(",window\n") : QStringLiteral("\n"));
    for (std::size_t i = 0; i < spectrum.values.size(); ++i) {
        if (!std::isfinite(spectrum.values[i]))
            continue; // not computed (a cancelled run)
        const double f = spectrum.grid.frequency(i);
        out += csvNumber(f) + u',' + csvNumber(1.0 / f) + u',' + csvNumber(spectrum.values[i]);
        if (window)
            out += u',' + csvNumber(spectrum.window[i]);
        out += u'\n';
    }
    return out;
}

} // namespace varilume
