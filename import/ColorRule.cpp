#include "import/ColorRule.h"

#include "store/State.h"

#include <cmath>

namespace varilume {

std::int32_t orbisColor(const ProjectState& s, QStringView field2, QStringView field5,
                        QStringView field14) {
    const QStringView band = field5.trimmed();
    double c = s.ColorVIS;
    if (field2.contains(u'<'))
        c = s.ColorFAINT;
    else if (field5.contains(u"Vis"))
        c = s.ColorVIS;
    else if (field14.trimmed() == u"D")
        c = s.ColorDISC;
    else if (band.isEmpty())
        c = s.ColorNA;
    else if (band == u"U")
        c = s.ColorU;
    else if (band == u"V")
        c = s.ColorV;
    else if (band == u"R")
        c = s.ColorR;
    else if (band == u"CV")
        c = s.ColorCV;
    else if (band == u"J")
        c = s.ColorJ;
    else if (band.contains(u"CR"))
        c = s.ColorCR;
    else if (band.contains(u'H'))
        c = s.ColorH;
    else if (band.contains(u'B'))
        c = s.ColorB;
    else if (band.contains(u'I'))
        c = s.ColorI;
    return static_cast<std::int32_t>(std::llround(c));
}

} // namespace varilume
