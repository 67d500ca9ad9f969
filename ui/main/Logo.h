#pragma once

#include <QIcon>
#include <QPixmap>

namespace varilume {

/// The start-screen logo: a star over a light curve, drawn at any size.
QPixmap makeLogo(const QSize& size);
/// Icon of the bin-average button: a mean line with error bars.
QIcon makeBinsIcon();

} // namespace varilume
