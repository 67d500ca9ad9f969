#pragma once

#include <QString>

namespace varilume {

/// Gives a new control its object name, the name the design and the tests know
/// it by, and hands it back.
template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace varilume
