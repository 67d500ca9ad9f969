#pragma once

#include "canvas/Canvas.h"

#include <QImage>
#include <QList>
#include <QStringList>
#include <vector>

namespace varilume::test {

/// Reading back what a recording Canvas was asked to draw. The scale strips
/// run from 0 to 20 across their width (magnitude strip) or height (JD strip).

/// The recorded calls of one kind, in drawing order.
std::vector<Canvas::Op> opsOf(const Canvas& c, Canvas::Op::Kind kind);
/// x of the vertical lines from y = top down to the strip's edge at 20: the
/// ticks of one length on a JD strip.
QList<double> tickXs(const Canvas& c, double top);
/// y of the horizontal lines from x = 0 to x = length: the ticks of one
/// length on a magnitude strip.
QList<double> tickYs(const Canvas& c, double length);
/// The user coordinate system: left, top, width and height.
QList<double> userSystem(const Canvas& c);
/// The same for the part of the canvas xPx and yPx pixels in from its edges
/// (the range a plot keeps its data in).
QList<double> insetSystem(const Canvas& c, int xPx, int yPx);
/// Whether two systems agree to a billionth of their size, and one as text.
bool sameSystem(const QList<double>& a, const QList<double>& b);
QString describeSystem(const QList<double>& s);
/// The printed texts, in order.
QStringList textsOf(const Canvas& c);
/// "'text' at (x, y)" for every printed text, x and y to 12 digits.
QString describeTexts(const Canvas& c);
/// The printed texts that do not lie whole inside the canvas (a part cut at
/// its edge), described as describeTexts does; empty when all fit.
QString textsCut(const Canvas& c);
/// Pixels of one stored colour in a picture.
int countColour(const QImage& image, std::int32_t rgb);
/// Whether a printed text's rectangle spans user position x (across) or y (down).
bool textSpansX(const Canvas& c, const Canvas::Op& text, double x);
bool textSpansY(const Canvas& c, const Canvas::Op& text, double y);

} // namespace varilume::test
