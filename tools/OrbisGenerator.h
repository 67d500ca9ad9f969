#pragma once

// Seeded, deterministic writer of synthetic observation files: ORBIS files in
// the 18-field layout and in the current 24-field layout (comma or TAB), and
// plain two-column "JD magnitude" files. Used by generate_samples for the files
// under samples/ and by the benchmark for large inputs. Qt Core only.
//
// The stars are invented (constellation "Syn"); only their light curves are
// modelled on real classes: a Mira-type long-period variable, a classical
// Cepheid and an Algol-type eclipsing binary.

#include <QFile>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace varilume::gen {

enum class OrbisLayout { Legacy18, CurrentComma, CurrentTab };

enum class CurveShape { Mira, Cepheid, Eclipsing };

/// A light curve: magnitude against JD in the V band.
struct StarModel {
    std::string name = "R Syn";
    CurveShape shape = CurveShape::Mira;
    double period = 331.7;    // days
    double epoch = 2451200.3; // JD of a maximum (Eclipsing: of a primary minimum)
    double brightMag = 7.1;   // at maximum light (Eclipsing: out of eclipse)
    double amplitude = 6.0;   // maximum to minimum (Eclipsing: primary depth)
    double colorBV = 1.6;     // B - V
};

/// What one file holds besides the star.
struct SampleFile {
    StarModel star;
    OrbisLayout layout = OrbisLayout::Legacy18;
    int observations = 3000;
    std::uint32_t seed = 1;
    double firstJD = 2451179.5;
    double spanDays = 3652.0;
    bool header = true;
    bool seasonalGap = true;       // about two months a year with no observations
    double visualShare = 0.6;      // visual estimates ("Vis.")
    double bShare = 0.15;          // CCD B; the rest is CCD V
    double discrepantShare = 0.01; // validation flag "D", value off by a magnitude or more
    int malformedLines = 0;        // alternately a 19-field line and a truncated line
    double differentialShare = 0;  // current layout: Measurement Method "DIF"
};

namespace detail {

/// splitmix64: small, fast and the same on every platform (the standard
/// distributions are not).
struct Rng {
    std::uint64_t s;
    explicit Rng(std::uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    bool chance(double p) { return uniform() < p; }
    int pick(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    double normal(double sigma) {
        const double u1 = 1.0 - uniform(); // (0, 1]
        const double u2 = uniform();
        return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
};

inline double frac(double x) {
    return x - std::floor(x);
}

/// 0 at maximum light, 1 at minimum; the rise takes riseShare of the cycle.
inline double pulsation(double phase, double riseShare) {
    const double pi = 3.141592653589793;
    const double fall = 1.0 - riseShare;
    if (phase < fall)
        return (1.0 - std::cos(pi * phase / fall)) / 2.0;
    return (1.0 + std::cos(pi * (phase - fall) / riseShare)) / 2.0;
}

inline double eclipse(double dphase, double halfWidth) {
    const double x = dphase / halfWidth;
    return x >= 1.0 ? 0.0 : (1.0 - x * x) * (1.0 - x * x);
}

inline void appendFixed(std::string& out, double value, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
}

/// Buffered writer: large files are written in big blocks.
class Sink {
public:
    explicit Sink(const QString& path) : file_(path) {
        ok_ = file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
        buf_.reserve(1 << 20);
    }
    std::string& buffer() { return buf_; }
    void line() {
        buf_ += "\r\n";
        if (buf_.size() >= (1u << 20))
            flush();
    }
    bool finish() {
        flush();
        file_.close();
        return ok_;
    }

private:
    void flush() {
        if (ok_ && !buf_.empty())
            ok_ = file_.write(buf_.data(), static_cast<qint64>(buf_.size())) ==
                  static_cast<qint64>(buf_.size());
        buf_.clear();
    }
    QFile file_;
    std::string buf_;
    bool ok_ = false;
};

inline constexpr std::string_view kObservers[] = {"ABX", "BKR", "CMQ", "DFS", "EHT", "FOL", "GVA",
                                                  "HRW", "JMN", "KPB", "LZE", "MDT", "NQR", "OSV",
                                                  "PWC", "RTY", "SGH", "TUB", "VLK", "WEJ"};
inline constexpr std::string_view kAffiliations[] = {"VSOL", "BAA VSS", "RASNZ", "AFOEV", ""};
inline constexpr std::string_view kVisualComments[] = {
    "HAZE", "MOON NEAR", "THIN CLOUDS", "LOW ALTITUDE", "TWILIGHT", "STAR FAINT IN BINOCULARS"};
// Free text as the archive's current layout carries it, commas and non-ASCII included.
inline constexpr std::string_view kCurrentComments[] = {"C3V,A AND B NOT VISIBLE, MOON",
                                                        "Beobachtung durch d\xC3\xBCnne Wolken",
                                                        "ciel brumeux, lune \xC3\xA0 50\xC2\xB0",
                                                        "COMP \\\"A\\\" USED",
                                                        "TRANSPARENCY 3/5",
                                                        "SEEING POOR, FWHM 2.4 ARCSEC"};
inline constexpr std::string_view kCommentCodes[] = {"B", "Z", "U", "K", "Y"};

/// Free text written for the current layout: """text""" in comma files (the
/// value is wrapped in literal quotes and every quote doubled), "text" in TAB files.
inline void appendFreeText(std::string& out, std::string_view text, OrbisLayout layout) {
    if (text.empty())
        return;
    if (layout == OrbisLayout::CurrentTab) {
        out += '"';
        for (char c : text) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
        return;
    }
    out += "\"\"\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += "\"\"\"";
}

} // namespace detail

/// V magnitude of the model at jd (without noise).
inline double modelMagnitude(const StarModel& star, double jd) {
    const double cycles = (jd - star.epoch) / star.period;
    const double phase = detail::frac(cycles);
    switch (star.shape) {
    case CurveShape::Mira: {
        // Maxima differ from cycle to cycle, as they do in real Miras.
        detail::Rng cycleRng(static_cast<std::uint64_t>(std::floor(cycles) + 100000.0));
        const double scatter = cycleRng.uniform(-0.4, 0.4);
        return star.brightMag + scatter + star.amplitude * detail::pulsation(phase, 0.42);
    }
    case CurveShape::Cepheid:
        return star.brightMag + star.amplitude * detail::pulsation(phase, 0.3);
    case CurveShape::Eclipsing: {
        const double primary = std::min(phase, 1.0 - phase);
        const double secondary = std::fabs(phase - 0.5);
        return star.brightMag + star.amplitude * detail::eclipse(primary, 0.06) +
               0.18 * star.amplitude * detail::eclipse(secondary, 0.06);
    }
    }
    return star.brightMag;
}

/// The column names of the 24-field layout ("Transfomed" as the archive spells
/// it); the 18-field layout has the first 18.
inline constexpr std::string_view kCurrentHeader =
    "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,"
    "Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star Name,"
    "Observer Affiliation,Measurement Method,Grouping Method,ADS Reference,Digitizer,Credit";

/// Writes an ORBIS file as sample describes, lines ending in CR LF. False when the
/// file cannot be written.
inline bool writeSample(const QString& path, const SampleFile& sample) {
    using namespace detail;
    Rng rng(sample.seed);
    Sink sink(path);
    std::string& out = sink.buffer();
    const bool current = sample.layout != OrbisLayout::Legacy18;
    const char sep = sample.layout == OrbisLayout::CurrentTab ? '\t' : ',';
    const int fieldCount = current ? 24 : 18;

    if (sample.header) {
        int names = 1;
        for (char c : kCurrentHeader) {
            if (c == ',' && ++names > fieldCount)
                break;
            out += c == ',' ? sep : c;
        }
        sink.line();
    }

    // Malformed lines are spread evenly through the file.
    const int malformedEvery =
        sample.malformedLines > 0 ? sample.observations / (sample.malformedLines + 1) : 0;
    int malformedWritten = 0;
    const double step = sample.spanDays / std::max(1, sample.observations);
    double jd = sample.firstJD;

    for (int n = 0; n < sample.observations; ++n) {
        jd += step * rng.uniform(0.2, 1.8);
        if (sample.seasonalGap && frac((jd - sample.firstJD) / 365.25) > 0.84)
            jd += 0.16 * 365.25; // the star is behind the Sun
        const double trueV = modelMagnitude(sample.star, jd);

        const bool visual = rng.chance(sample.visualShare);
        const bool blue =
            !visual && rng.chance(sample.bShare / std::max(1e-9, 1 - sample.visualShare));
        const bool discrepant = rng.chance(sample.discrepantShare);
        std::string_view observer = kObservers[rng.pick(20)];

        double mag = trueV + (blue ? sample.star.colorBV : 0.0);
        bool fainter = false;
        double limit = 0;
        if (visual) {
            mag += rng.normal(0.2);
            limit = rng.uniform(11.0, 13.8);
            fainter = mag > limit;
        } else {
            mag += rng.normal(0.015);
            limit = 15.5;
            fainter = mag > limit;
        }
        if (discrepant)
            mag += (rng.chance(0.5) ? -1.0 : 1.0) * rng.uniform(1.0, 2.5);

        const bool malformed = malformedEvery > 0 && malformedWritten < sample.malformedLines &&
                               n == (malformedWritten + 1) * malformedEvery;

        // 1 JD, 2 magnitude
        appendFixed(out, jd, visual ? 4 : 5);
        out += sep;
        if (fainter) {
            out += '<';
            appendFixed(out, limit, 1);
        } else {
            appendFixed(out, mag, visual ? 1 : 3);
        }
        out += sep;
        // 3 uncertainty, 4 HQ uncertainty, 5 band, 6 observer
        if (!visual && !fainter)
            appendFixed(out, rng.uniform(0.005, 0.03), 3);
        out += sep;
        out += sep;
        out += visual ? "Vis." : (blue ? "B" : "V");
        out += sep;
        out += observer;
        out += sep;
        // 7 comment codes
        if (visual && rng.chance(0.05))
            out += kCommentCodes[rng.pick(5)];
        out += sep;
        // 8, 9 comparison stars, 10 chart
        if (visual) {
            const int comp =
                static_cast<int>(std::lround((fainter ? limit : mag) * 10)) - rng.pick(4);
            out += std::to_string(comp);
            out += sep;
            out += std::to_string(comp + 3 + rng.pick(4));
        } else if (current) {
            appendFreeText(out, rng.chance(0.3) ? "1, 2, 3" : "ENSEMBLE", sample.layout);
            out += sep;
        } else {
            out += "ENSEMBLE";
            out += sep;
        }
        out += sep;
        if (current)
            appendFreeText(out, visual ? "1234AVB" : "X12345AB", sample.layout);
        else
            out += visual ? "1234AVB" : "X12345AB";
        out += sep;
        // 11 comments
        if (malformed && malformedWritten % 2 == 0) {
            out += "CLOUDS, MOON"; // a comma inside the comment: one field too many
        } else if (current && rng.chance(0.08)) {
            appendFreeText(out, kCurrentComments[rng.pick(6)], sample.layout);
        } else if (visual && rng.chance(0.04)) {
            if (current)
                appendFreeText(out, kVisualComments[rng.pick(6)], sample.layout);
            else
                out += kVisualComments[rng.pick(6)];
        }
        if (malformed && malformedWritten % 2 == 1) {
            ++malformedWritten; // cut short: the rest of the line never arrived
            sink.line();
            continue;
        }
        if (malformed)
            ++malformedWritten;
        out += sep;
        // 12 transformed, 13 airmass, 14 validation flag, 15 Cmag, 16 Kmag, 17 HJD
        out += visual ? "0" : (rng.chance(0.7) ? "1" : "0");
        out += sep;
        if (!visual)
            appendFixed(out, rng.uniform(1.0, 2.3), 3);
        out += sep;
        out += discrepant ? "D" : (rng.chance(0.9) ? "V" : "Z");
        out += sep;
        if (!visual) {
            appendFixed(out, rng.uniform(9.0, 12.0), 3);
            out += sep;
            appendFixed(out, rng.uniform(9.0, 12.0), 3);
            out += sep;
        } else {
            out += sep;
            out += sep;
        }
        out += sep;
        // 18 star name
        out += sample.star.name;
        if (current) {
            // 19 affiliation, 20 measurement method, 21 grouping, 22 ADS, 23 digitizer, 24 credit
            const bool differential = !visual && rng.chance(sample.differentialShare);
            out += sep;
            out += kAffiliations[rng.pick(5)];
            out += sep;
            out += visual ? "" : (differential ? "DIF" : "STD");
            out += sep;
            out += sep;
            out += sep;
            out += sep;
        }
        sink.line();
    }
    return sink.finish();
}

/// A Mira-type star over ten years in the given layout, header line first: the
/// input the benchmark scales up.
inline bool writeOrbisFile(const QString& path, int observations, std::uint32_t seed,
                           OrbisLayout layout) {
    SampleFile sample;
    sample.layout = layout;
    sample.observations = observations;
    sample.seed = seed;
    sample.differentialShare = layout == OrbisLayout::Legacy18 ? 0.0 : 0.02;
    return writeSample(path, sample);
}

/// A plain "JD magnitude" file (CR LF, one blank between the values, no header).
inline bool writeTwoColumnFile(const QString& path, const StarModel& star, int observations,
                               std::uint32_t seed, double firstJD, double spanDays,
                               double noise = 0.01) {
    detail::Rng rng(seed);
    detail::Sink sink(path);
    std::string& out = sink.buffer();
    double jd = firstJD;
    const double step = spanDays / std::max(1, observations);
    for (int n = 0; n < observations; ++n) {
        jd += step * rng.uniform(0.2, 1.8);
        detail::appendFixed(out, jd, 5);
        out += ' ';
        detail::appendFixed(out, modelMagnitude(star, jd) + rng.normal(noise), 3);
        sink.line();
    }
    return sink.finish();
}

} // namespace varilume::gen
