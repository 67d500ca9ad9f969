#include "print/Page.h"

#include "format/NumberFormat.h"
#include "store/State.h"

#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

constexpr std::int32_t kBlack = 0x000000;

// Where the plot sits on the page, in page units.
constexpr double kFrameLeft = 8;
constexpr double kFrameTop = 18;
constexpr double kFrameRight = 93;
constexpr double kFrameBottom = 90;

void printCentred(Canvas& canvas, const QString& text, double top) {
    canvas.setCurrentXY((100 - canvas.textWidth(text)) / 2, top);
    canvas.print(text);
}

void printAt(Canvas& canvas, double x, double y, const QString& text) {
    canvas.setCurrentXY(x, y);
    canvas.print(text);
}

} // namespace

PageContent pageContent(const ProjectState& state, const QImage& plot, const QImage& magScale) {
    PageContent page;
    page.plot = plot;
    page.magScale = magScale;
    page.caption = state.PlotCaption;
    page.minJD = state.MinJD;
    page.maxJD = state.MaxJD;
    page.minMag = state.MinMag;
    page.maxMag = state.MaxMag;
    page.period = state.Period;
    page.twoCycles = state.TwoCycles;
    return page;
}

PageStyle PageStyle::bitmap() {
    return {};
}

PageStyle PageStyle::printer() {
    PageStyle s;
    s.lineWidth = 10;
    s.referenceDpi = 300;
    s.captionTop = 8;
    s.labelsBold = false;
    s.extremesPoints = 11;
    s.extremesBold = false;
    return s;
}

int PageStyle::lineWidthAt(double dpi) const {
    return std::max(1, static_cast<int>(std::lround(lineWidth * dpi / referenceDpi)));
}

QFont pageFont(bool serif, double points, bool bold) {
    QFont font;
    font.setFamilies(serif ? QStringList{QStringLiteral("Times New Roman"),
                                         QStringLiteral("Liberation Serif"),
                                         QStringLiteral("DejaVu Serif")}
                           : QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                         QStringLiteral("DejaVu Sans")});
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void drawPage(Canvas& canvas, const PageContent& content, const PageStyle& style) {
    canvas.setCoords(0, 0, 100, 100);
    canvas.setForeground(kBlack);
    canvas.setLineWidth(style.lineWidthAt(canvas.dpi()));
    canvas.rect(kFrameLeft, kFrameTop, kFrameRight, kFrameBottom);
    // Combined by exclusive-or, so the black screen plot comes out white on paper.
    canvas.drawImage(kFrameLeft, kFrameTop, kFrameRight - kFrameLeft, kFrameBottom - kFrameTop,
                     content.plot, true);
    canvas.setFont(pageFont(true, 30, true));
    printCentred(canvas, QStringLiteral("Varilume"), 2);
    canvas.setFont(pageFont(true, 20, true));
    printCentred(canvas, content.caption, style.captionTop);

    drawPhaseScale(canvas, content, style);
    // The frame once more, over the pictures' edges: combined by exclusive-or
    // with its black they would show in their own screen colours.
    canvas.setForeground(kBlack);
    canvas.setLineWidth(style.lineWidthAt(canvas.dpi()));
    canvas.rect(kFrameLeft, kFrameTop, kFrameRight, kFrameBottom);

    canvas.setFont(pageFont(false, style.extremesPoints, style.extremesBold));
    const double below = 91 + canvas.textHeight(QStringLiteral("Min JD"));
    printAt(canvas, 8, 91, QStringLiteral("Min JD = ") + fmt::general(content.minJD));
    printAt(canvas, 8, below, QStringLiteral("Max JD = ") + fmt::general(content.maxJD));
    printAt(canvas, 82, 91, QStringLiteral("Min Mag = ") + fmt::general(content.minMag));
    printAt(canvas, 82, below, QStringLiteral("Max Mag = ") + fmt::general(content.maxMag));

    // Centred on "Period =" and the number without the blank between them, so
    // the line sits half a blank right of the middle, as it always has.
    canvas.setFont(pageFont(false, 18, false));
    const QString period = fmt::general(content.period);
    const double width = canvas.textWidth(QStringLiteral("Period =")) + canvas.textWidth(period);
    printAt(canvas, (100 - width) / 2, 87 + canvas.textHeight(QStringLiteral("Period")),
            QStringLiteral("Period = ") + period);
}

void drawPhaseScale(Canvas& canvas, const PageContent& content, const PageStyle& style) {
    canvas.setLineWidth(style.lineWidthAt(canvas.dpi()));
    const int ticks = content.twoCycles ? 21 : 11;
    // The phase range within the picture, which keeps a margin at each side.
    const double inset = (kFrameRight - kFrameLeft) * content.plotMargin;
    const double step = (kFrameRight - kFrameLeft - 2 * inset) / (ticks - 1);
    for (int i = 0; i < ticks; ++i) {
        const double x = kFrameLeft + inset + step * i;
        // Long ticks at the ends, the middle and the quarter marks of two cycles.
        canvas.line(x, kFrameTop, x, i % 5 == 0 ? 16 : 17);
    }
    canvas.setFont(pageFont(false, 11, style.labelsBold));
    printAt(canvas, 7 + inset, 14,
            content.twoCycles ? QStringLiteral("-1.0") : QStringLiteral("-0.5"));
    printAt(canvas, 49.5, 14, QStringLiteral("0.0"));
    printAt(canvas, 92 - inset, 14,
            content.twoCycles ? QStringLiteral("1.0") : QStringLiteral("0.5"));
    canvas.drawImage(kFrameRight, kFrameTop, 3, kFrameBottom - kFrameTop, content.magScale, true);
}

} // namespace varilume
