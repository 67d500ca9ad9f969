#pragma once

#include "print/Page.h"

#include <QByteArray>

namespace varilume::test {

/// A page of a star: a black screen plot with a green block in its middle
/// (screen pixels 190-209 x 140-159 of 400 x 300), a black magnitude strip
/// (40 x 300) with one white tick halfway down, caption "   RR LYR - (40
/// Points)", JD 2450000.25 to 2450200.5, magnitudes 9.1 to 11.25, period 37.5.
PageContent samplePage(bool twoCycles = false);

/// How many pages a PDF file holds (its page objects, not the page tree).
int pdfPageCount(const QByteArray& pdf);

} // namespace varilume::test
