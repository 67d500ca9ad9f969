#include "import/BandColors.h"

#include "store/State.h"

#include <QColor>
#include <array>
#include <utility>

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

// Band names that are a colour class's own (the Cousins Rc and Ic with R and I).
constexpr std::pair<const char*, double ProjectState::*> kClassBands[] = {
    {"U", &ProjectState::ColorU},   {"V", &ProjectState::ColorV},   {"B", &ProjectState::ColorB},
    {"R", &ProjectState::ColorR},   {"Rc", &ProjectState::ColorR},  {"I", &ProjectState::ColorI},
    {"Ic", &ProjectState::ColorI},  {"H", &ProjectState::ColorH},   {"J", &ProjectState::ColorJ},
    {"CV", &ProjectState::ColorCV}, {"CR", &ProjectState::ColorCR},
};

} // namespace

BandColors::BandColors(const ProjectState& state) : state_(state) {}

std::int32_t BandColors::colorOf(const QString& band) {
    if (const auto found = known_.constFind(band); found != known_.constEnd())
        return *found;
    const QString b = band.trimmed();
    double c = -1;
    if (b.isEmpty() || b.startsWith(QStringLiteral("Vis"), Qt::CaseInsensitive))
        c = state_.ColorVIS;
    for (const auto& [name, member] : kClassBands)
        if (c < 0 && b == QLatin1String(name))
            c = state_.*member;
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
