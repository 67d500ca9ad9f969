#pragma once

#include <QIcon>
#include <cstdint>

namespace varilume {

/// A small framed square of a stored colour (R + 256*G + 65536*B), the mark of
/// a band in menus and check boxes.
QIcon colorSwatch(std::int32_t color);

} // namespace varilume
