#include "search/Verdict.h"

namespace varilume {

std::string_view verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Periodic:
        return "periodic";
    case Verdict::RedNoise:
        return "red noise";
    case Verdict::NotSignificant:
        break;
    }
    return "not significant";
}

Verdict verdictOf(double fap, double fapRed, bool sampling) {
    const auto significant = [](double p) { return p >= 0 && p < VerdictAlpha; };
    if (!significant(fap))
        return Verdict::NotSignificant;
    if (!significant(fapRed))
        return Verdict::RedNoise;
    return sampling ? Verdict::NotSignificant : Verdict::Periodic;
}

} // namespace varilume
