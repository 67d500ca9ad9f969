#pragma once

// Reading the reference data and describing peak lists, for the search tests.

#include "search/PeriodSearch.h"

#include <QFile>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <vector>

namespace varilume::searchchecks {

inline QString dataPath(const char* name) {
    return QStringLiteral(VARILUME_TEST_DATA "/search/data/") + QLatin1String(name);
}

inline std::vector<std::vector<double>> readRows(const char* name) {
    QFile file(dataPath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", name);
    std::vector<std::vector<double>> rows;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(u' ', Qt::SkipEmptyParts);
        std::vector<double> row;
        for (const QString& p : parts)
            row.push_back(p.toDouble());
        if (!row.empty())
            rows.push_back(row);
    }
    return rows;
}

/// A star from a data file of time, magnitude and uncertainty rows.
inline SearchData readStar(const char* name) {
    SearchData d;
    for (const auto& r : readRows(name)) {
        d.times.push_back(r[0]);
        d.mags.push_back(r[1]);
        d.errors.push_back(r[2]);
    }
    return d;
}

inline SearchData referenceStar() {
    return readStar("gls_points.txt");
}

inline double relative(double a, double b) {
    return std::abs(a - b) / std::max(std::abs(b), 1e-300);
}

inline const Peak* peakNear(const std::vector<Peak>& peaks, double period, double tol) {
    for (const Peak& p : peaks)
        if (std::abs(p.period - period) <= tol * period)
            return &p;
    return nullptr;
}

inline QString describe(const std::vector<Peak>& peaks) {
    QString s;
    for (const Peak& p : peaks)
        s += QStringLiteral("#%1 P=%2 v=%3 fap=%4 [%5]\n")
                 .arg(p.rank)
                 .arg(p.period, 0, 'g', 8)
                 .arg(p.power, 0, 'g', 6)
                 .arg(p.fap, 0, 'g', 3)
                 .arg(QString::fromStdString(p.note));
    return s;
}

} // namespace varilume::searchchecks
