#include "support/PageSample.h"

#include <QRegularExpression>

namespace varilume::test {

PageContent samplePage(bool twoCycles) {
    PageContent page;
    page.plot = QImage(400, 300, QImage::Format_RGB32);
    page.plot.fill(Qt::black);
    for (int y = 140; y < 160; ++y)
        for (int x = 190; x < 210; ++x)
            page.plot.setPixelColor(x, y, Qt::green);
    page.magScale = QImage(40, 300, QImage::Format_RGB32);
    page.magScale.fill(Qt::black);
    for (int y = 149; y < 152; ++y)
        for (int x = 0; x < 12; ++x)
            page.magScale.setPixelColor(x, y, Qt::white);
    page.caption = QStringLiteral("   RR LYR - (40 Points)");
    page.minJD = 2450000.25;
    page.maxJD = 2450200.5;
    page.minMag = 9.1f;
    page.maxMag = 11.25f;
    page.period = 37.5f;
    page.twoCycles = twoCycles;
    return page;
}

int pdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace varilume::test
