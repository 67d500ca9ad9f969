#include "export/ModelCsv.h"

#include <cmath>

namespace varilume {

namespace {

QString num(double v, int digits = 12) {
    return std::isfinite(v) ? QString::number(v, 'g', digits) : QString();
}
QString sig(const Estimate& e) {
    return e.sigma >= 0 ? QString::number(e.sigma, 'g', 6) : QString();
}
QString row(const QString& name, const Estimate& e, int digits = 12) {
    return name + u',' + num(e.value, digits) + u',' + sig(e) + u'\n';
}

} // namespace

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

QString modelCurveCsv(const FourierFit& fit, int points) {
    QString out = QStringLiteral("phase,magnitude\n");
    const std::vector<double> curve = fourierCurve(fit, points);
    for (std::size_t i = 0; i < curve.size(); ++i)
        out += num(double(i) / double(curve.size()), 8) + u',' + num(curve[i], 8) + u'\n';
    return out;
}

QString residualsCsv(const std::vector<double>& times, const std::vector<double>& residuals) {
    QString out = QStringLiteral("jd,residual\n");
    const std::size_t n = std::min(times.size(), residuals.size());
    for (std::size_t i = 0; i < n; ++i)
        out += QString::number(times[i], 'f', 6) + u',' + num(residuals[i], 8) + u'\n';
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

} // namespace varilume
