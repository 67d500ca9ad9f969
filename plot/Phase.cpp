#include "plot/Phase.h"

namespace varilume {

float PhaseOf(const ProjectState& s, double jd) {
    return PhaseRule(s)(jd);
}

void SetMidJD(ProjectState& s) {
    s.MidJD = s.JDFrom + (s.JDTo - s.JDFrom) / 2;
}

} // namespace varilume
