#include "print/PageFile.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace varilume {

namespace {

// The PDF page has the bitmap's size at 96 pixels an inch, with a grid ten
// times finer so that the vector texts and lines keep their places.
constexpr int kPdfDpi = 960;

PrintResult writeImage(QSaveFile& file, const QImage& image, const char* format) {
    if (image.isNull())
        return PrintResult::fileError(file.fileName(),
                                      QStringLiteral("Not enough memory for the picture."));
    QImageWriter writer(&file, format);
    if (!writer.write(image))
        return PrintResult::fileError(file.fileName(), writer.errorString());
    return {};
}

PrintResult writePdf(QSaveFile& file, const PageContent& content) {
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("Varilume"));
    pdf.setTitle(content.caption.trimmed());
    pdf.setResolution(kPdfDpi);
    pdf.setPageSize(QPageSize(QSizeF(kBitmapWidth * 72.0 / 96, kBitmapHeight * 72.0 / 96),
                              QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    Canvas canvas(pdf);
    if (!canvas.isActive())
        return PrintResult::fileError(file.fileName(),
                                      QStringLiteral("The PDF page cannot be started."));
    drawPage(canvas, content, PageStyle::bitmap());
    if (!canvas.finish())
        return PrintResult::fileError(file.fileName(), file.errorString());
    return {};
}

} // namespace

QString pageFileFilter() {
    return QStringLiteral("All Files (*.*)|*.*|Windows Bitmap Files (*.bmp)|*.bmp|"
                          "PNG Image (*.png)|*.png|PDF Document (*.pdf)|*.pdf|");
}

PageFileType pageFileType(const QString& path, int filterIndex) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("bmp"))
        return PageFileType::Bitmap;
    if (ext == QLatin1String("png"))
        return PageFileType::Png;
    if (ext == QLatin1String("pdf"))
        return PageFileType::Pdf;
    switch (filterIndex) {
    case 3:
        return PageFileType::Png;
    case 4:
        return PageFileType::Pdf;
    default:
        return PageFileType::Bitmap;
    }
}

QImage renderPage(const PageContent& content, int scale) {
    scale = std::max(1, scale);
    constexpr std::int32_t kWhite = 0xFFFFFF;
    Canvas canvas(kBitmapWidth * scale, kBitmapHeight * scale, kWhite, 0);
    if (canvas.widthPx() != kBitmapWidth * scale || canvas.image().isNull())
        return QImage();
    canvas.setDpi(96.0 * scale);
    canvas.clear();
    drawPage(canvas, content, PageStyle::bitmap());
    return canvas.image();
}

PrintResult ExportBitmap(const QString& path, PageFileType type, const PageContent& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return PrintResult::fileError(path, file.errorString());
    PrintResult result;
    switch (type) {
    case PageFileType::Bitmap:
        result = writeImage(file, renderPage(content, 1), "bmp");
        break;
    case PageFileType::Png:
        result = writeImage(file, renderPage(content, kPngScale), "png");
        break;
    case PageFileType::Pdf:
        result = writePdf(file, content);
        break;
    }
    if (!result.ok()) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return PrintResult::fileError(path, file.errorString());
    return {};
}

} // namespace varilume
