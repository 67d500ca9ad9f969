#pragma once

#include <QHash>
#include <QString>
#include <cstdint>

namespace varilume {

struct ProjectState;

/// The colours of a table's bands. Names the plot's colour classes know (V, B,
/// R, I, U, H, J, CV, CR, Vis) take that class's colour; every other band
/// gets a colour of its own, distinct from the classes', in the order the
/// bands first appear, so that g, r and i of a survey stay apart.
class BandColors {
public:
    explicit BandColors(const ProjectState& state);
    std::int32_t colorOf(const QString& band);

private:
    const ProjectState& state_;
    QHash<QString, std::int32_t> known_;
    int next_ = 0;
};

} // namespace varilume
