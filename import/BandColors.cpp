#include "import/BandColors.h"

#include "store/State.h"

#include <QColor>
#include <array>

namespace varilume {

namespace {

// Stored colours are R + 256*G + 65536*B.
std::int32_t stored(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

// Colours apart from the thirteen classes' defaults and from each other, and
// readable on the black plot.
constexpr std::array<std::array<int, 3>, 10> kOwnColors{{{0, 200, 255},
                                                         {255, 220, 0},
                                                         {255, 80, 160},
                                                         {160, 120, 255},
                                                         {120, 255, 200},
                                                         {255, 150, 60},
                                                         {200, 255, 80},
                                                         {80, 140, 255},
                                                         {255, 255, 255},
                                                         {180, 180, 180}}};

} // namespace

BandColors::BandColors(const ProjectState& state) : state_(state) {}

std::int32_t BandColors::colorOf(const QString& band) {
    if (const auto found = known_.constFind(band); found != known_.constEnd())
        return *found;
    const QString b = band.trimmed();
    double c = -1;
    if (b.isEmpty() || b.startsWith(QStringLiteral("Vis"), Qt::CaseInsensitive))
        c = state_.ColorVIS;
    else if (b == u"U")
        c = state_.ColorU;
    else if (b == u"V")
        c = state_.ColorV;
    else if (b == u"B")
        c = state_.ColorB;
    else if (b == u"R" || b == u"Rc")
        c = state_.ColorR;
    else if (b == u"I" || b == u"Ic")
        c = state_.ColorI;
    else if (b == u"H")
        c = state_.ColorH;
    else if (b == u"J")
        c = state_.ColorJ;
    else if (b == u"CV")
        c = state_.ColorCV;
    else if (b == u"CR")
        c = state_.ColorCR;
    std::int32_t color;
    if (c >= 0) {
        color = colorValue(c);
    } else if (next_ < int(kOwnColors.size())) {
        const auto& rgb = kOwnColors[std::size_t(next_++)];
        color = stored(rgb[0], rgb[1], rgb[2]);
    } else {
        // Past the list: hues around the circle by the golden angle.
        const QColor q = QColor::fromHsv((next_++ * 137) % 360, 160, 255);
        color = stored(q.red(), q.green(), q.blue());
    }
    known_.insert(band, color);
    return color;
}

} // namespace varilume
