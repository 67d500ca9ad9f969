#pragma once

#include <QStringView>
#include <cstdint>

namespace varilume {

struct ProjectState;

/// Colour for an ORBIS line from its raw fields 2 (magnitude), 5 (band) and 14
/// (validation flag). Case-sensitive, first match wins.
std::int32_t orbisColor(const ProjectState& s, QStringView field2, QStringView field5,
                        QStringView field14);

} // namespace varilume
