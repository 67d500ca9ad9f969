#include "search/OMinusC.h"

#include "search/FitPoints.h"
#include "search/LeastSquares.h"

#include <algorithm>
#include <numeric>

namespace varilume {

namespace {

constexpr int ShiftSteps = 64; // trial shifts over a cycle before the fit

struct Group {
    std::vector<std::size_t> rows; // indices into the data
};

std::vector<Group> makeGroups(const SearchData& data, const OcSettings& s, double epoch) {
    std::vector<std::size_t> order(std::min(data.times.size(), data.mags.size()));
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return data.times[a] < data.times[b]; });
    std::vector<Group> groups;
    if (order.empty())
        return groups;
    const double first = data.times[order.front()];
    auto key = [&](double t) {
        switch (s.grouping) {
        case OcGrouping::Cycles:
            return std::floor((t - epoch) / (s.period * s.groupSize));
        case OcGrouping::Days:
            return std::floor((t - first) / s.groupSize);
        case OcGrouping::Seasons:
            break;
        }
        return 0.0;
    };
    double previousTime = first, previousKey = key(first);
    groups.emplace_back();
    for (std::size_t i : order) {
        const double t = data.times[i], k = key(t);
        const bool split =
            s.grouping == OcGrouping::Seasons ? t - previousTime > SeasonGap : k != previousKey;
        if (split)
            groups.emplace_back();
        groups.back().rows.push_back(i);
        previousTime = t;
        previousKey = k;
    }
    return groups;
}

struct ShiftFit {
    bool ok = false;
    double shift = 0, sigma = 0;
};

// template(t - shift) + offset to one group, the shift first by trial over a cycle.
ShiftFit fitShift(const SearchData& data, const Group& g, const FourierFit& shape, bool weighted,
                  int threads) {
    const std::size_t n = g.rows.size();
    const double P = shape.period.value;
    auto weight = [&](std::size_t i) {
        return weighted ? 1 / (data.errors[i] * data.errors[i]) : 1.0;
    };
    auto chi2 = [&](double shift) {
        double sw = 0, swr = 0, swrr = 0;
        for (std::size_t i : g.rows) {
            const double w = weight(i);
            const double r = data.mags[i] - fourierModel(shape, data.times[i] - shift);
            sw += w;
            swr += w * r;
            swrr += w * r * r;
        }
        return swrr - swr * swr / sw;
    };
    double start = 0, best = INFINITY;
    for (int k = 0; k < ShiftSteps; ++k) {
        const double shift = P * (static_cast<double>(k) / ShiftSteps - 0.5);
        const double v = chi2(shift);
        if (v < best) {
            best = v;
            start = shift;
        }
    }
    double offset = 0;
    {
        double sw = 0, swr = 0;
        for (std::size_t i : g.rows) {
            sw += weight(i);
            swr += weight(i) * (data.mags[i] - fourierModel(shape, data.times[i] - start));
        }
        offset = swr / sw;
    }
    std::vector<double> at;
    const NonlinearSolution s = gaussNewton(
        {offset, start}, n,
        [&](const std::vector<double>& p) {
            at = p;
            return RowFiller([&](std::size_t first, std::size_t count, double* a, double* y) {
                for (std::size_t r = 0; r < count; ++r) {
                    const std::size_t i = g.rows[first + r];
                    const double w = std::sqrt(weight(i)), t = data.times[i] - at[1];
                    a[r] = w;
                    a[count + r] = -w * fourierSlope(shape, t);
                    y[r] = w * (data.mags[i] - fourierModel(shape, t) - at[0]);
                }
            });
        },
        [&](const std::vector<double>& p) {
            return std::abs(p[1] - start) <= P / 2 ? std::string()
                                                   : std::string("The shift runs away.");
        },
        1e-6, 60, threads);
    if (!s.ok)
        return {};
    return {true, s.params[1] + s.last.x[1], s.last.sigma(1)};
}

} // namespace

Ephemeris fitEphemeris(const std::vector<OcPoint>& points, double epoch, double period,
                       bool quadratic) {
    Ephemeris e;
    const std::size_t p = quadratic ? 3 : 2, n = points.size();
    const bool weighted =
        std::all_of(points.begin(), points.end(), [](const OcPoint& o) { return o.sigma > 0; });
    QrAccumulator acc(p);
    for (const OcPoint& o : points) {
        const double w = weighted ? 1 / o.sigma : 1.0, c = static_cast<double>(o.cycle);
        double row[3] = {w, w * c, w * c * c};
        double y = w * o.oc;
        acc.addRows(row, &y, 1);
    }
    if (n <= p) {
        e.reason = std::string("Too few times of ") + "maximum for the " +
                   (quadratic ? "quadratic" : "linear") + " ephemeris: " + std::to_string(n) + ".";
        return e;
    }
    const LinearSolution s = acc.solve();
    if (!s.ok) {
        e.reason = s.reason;
        return e;
    }
    e.coefficients = s.x;
    e.covariance = s.covariance;
    e.epoch = {epoch + s.x[0], s.sigma(0)};
    e.period = {period + s.x[1], s.sigma(1)};
    if (quadratic) {
        e.quadratic = {s.x[2], s.sigma(2)};
        const double perYear = 2 * 365.25 / e.period.value;
        e.dPdt = {s.x[2] * perYear, s.sigma(2) * perYear};
    }
    e.ok = true;
    return e;
}

namespace {

// The quadratic ephemeris T(u) = E + a + (P + b) u + c u^2 found so far (zero
// before the first pass).
struct Bend {
    double a = 0, b = 0, c = 0;
    // The cycle count u at time t: T(u) = t, in the form that keeps its digits.
    double cycles(double t, double E, double P) const {
        const double q = P + b, d = t - E - a, root = q * q + 4 * c * d;
        return root > 0 ? 2 * d / (q + std::sqrt(root)) : d / q;
    }
    double time(double u, double E, double P) const { return E + a + (P + b) * u + c * u * u; }
};

// One measurement of every group, on times straightened by `bend` (the times
// a constant period P would have): the template is then neither smeared nor
// stretched by a period that changes.
std::string measurePass(const SearchData& data, const OcSettings& s, const Bend& bend,
                        OcResult& out) {
    const double P = s.period;
    SearchData straight = data;
    if (std::isfinite(out.epoch)) // from the second pass on
        for (double& t : straight.times)
            t = out.epoch + P * bend.cycles(t, out.epoch, P);
    FourierSettings fs;
    fs.frequency = 1 / P;
    fs.order = s.order;
    fs.useWeights = s.useWeights;
    fs.threads = s.threads;
    out.shape = fitFourier(straight, fs);
    if (!out.shape.ok)
        return out.shape.reason;
    if (!std::isfinite(out.epoch))
        out.epoch = std::isfinite(s.epoch) ? s.epoch
                    : s.minima             ? out.shape.epochMin.value
                                           : out.shape.epochMax.value;
    const double E = out.epoch;
    const double reference = s.minima ? out.shape.epochMin.value : out.shape.epochMax.value;
    out.points.clear();
    for (const Group& g : makeGroups(data, s, E)) {
        if (g.rows.size() < std::max<std::size_t>(s.minPoints, 3))
            continue;
        const ShiftFit f = fitShift(straight, g, out.shape, out.shape.weighted, s.threads);
        if (!f.ok)
            continue;
        double wsum = 0, wt = 0;
        for (std::size_t i : g.rows) {
            const double w = out.shape.weighted ? 1 / (data.errors[i] * data.errors[i]) : 1.0;
            wsum += w;
            wt += w * (straight.times[i] - E);
        }
        const double middle = E + wt / wsum;
        // The template's extreme nearest the group, moved by the shift, and
        // back from straightened time to time.
        const double straightTime =
            reference + P * std::round((middle - f.shift - reference) / P) + f.shift;
        const double u = (straightTime - E) / P;
        OcPoint o;
        o.time = bend.time(u, E, P);
        o.cycle = std::llround((o.time - E) / P);
        o.oc = o.time - (E + P * static_cast<double>(o.cycle));
        o.sigma = f.sigma * (P + bend.b + 2 * bend.c * u) / P;
        o.points = g.rows.size();
        out.points.push_back(o);
    }
    if (out.points.empty())
        return "No group of observations gives a time of " +
               std::string(s.minima ? "minimum." : "maximum.");
    // Count cycles continuously out from the group nearest the epoch: a period
    // that changes moves O–C by more than half a cycle over the years.
    std::size_t anchor = 0;
    for (std::size_t i = 1; i < out.points.size(); ++i)
        if (std::abs(out.points[i].time - E) < std::abs(out.points[anchor].time - E))
            anchor = i;
    auto follow = [&](OcPoint& o, const OcPoint& neighbour) {
        while (o.oc - neighbour.oc > P / 2) {
            ++o.cycle;
            o.oc -= P;
        }
        while (o.oc - neighbour.oc < -P / 2) {
            --o.cycle;
            o.oc += P;
        }
    };
    for (std::size_t i = anchor + 1; i < out.points.size(); ++i)
        follow(out.points[i], out.points[i - 1]);
    for (std::size_t i = anchor; i-- > 0;)
        follow(out.points[i], out.points[i + 1]);
    out.linear = fitEphemeris(out.points, E, P, false);
    out.quadratic = fitEphemeris(out.points, E, P, true);
    return {};
}

} // namespace

OcResult measureOC(const SearchData& data, const OcSettings& s) {
    OcResult out;
    if (!(s.period > 0) || !std::isfinite(s.period)) {
        out.reason = "The period must be a positive number of days.";
        return out;
    }
    if (s.grouping != OcGrouping::Seasons && !(s.groupSize > 0 && std::isfinite(s.groupSize))) {
        out.reason = "The group size must be a positive number.";
        return out;
    }
    out.period = s.period;
    out.epoch = NAN;
    Bend bend;
    for (int pass = 0; pass <= StraighteningPasses; ++pass) {
        if (const std::string why = measurePass(data, s, bend, out); !why.empty()) {
            out.reason = why;
            return out;
        }
        if (!out.quadratic.ok)
            break;
        const std::vector<double>& q = out.quadratic.coefficients;
        bend = {q[0], q[1], q[2]};
    }
    out.ok = true;
    return out;
}

} // namespace varilume
