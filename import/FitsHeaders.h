#pragma once

#include <QString>

class QIODevice;

namespace varilume {

/// Checks the headers of a FITS file before cfitsio parses them: every card up to
/// END of every HDU must be printable ASCII, as the FITS standard requires.
/// cfitsio 4.2 copies some values unchecked, and a header with other bytes in them
/// can overrun its buffers. Returns an empty text when the headers are sound, else
/// one line saying which HDU is not.
QString checkFitsHeaders(QIODevice& in);

} // namespace varilume
