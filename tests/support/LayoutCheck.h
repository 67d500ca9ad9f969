#pragma once

#include <QStringList>

class QWidget;

namespace varilume::test {

/// What a user would see cut or covered in a window, one line per fault:
/// a caption or label text wider or taller than its control, a control
/// reaching outside its parent, and two visible sibling controls overlapping.
/// Empty when the window is laid out cleanly.
QStringList layoutFaults(const QWidget& window);

} // namespace varilume::test
