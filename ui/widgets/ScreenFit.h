#pragma once

class QWidget;

namespace varilume {

/// Fits a window just shown into its screen's available area: no larger than
/// the area (nor smaller than its minimum size), centred in it. At a large scale
/// factor a window's design size can exceed the screen.
void fitOnScreen(QWidget& window);

} // namespace varilume
