#pragma once

#include "print/Page.h"
#include "print/PrintResult.h"

#include <QImage>
#include <QString>

namespace varilume {

/// The kinds of file the page can be saved as.
enum class PageFileType { Bitmap, Png, Pdf };

/// The bitmap's size in pixels (its window's client area at 15 twips a pixel).
inline constexpr int kBitmapWidth = 917;
inline constexpr int kBitmapHeight = 636;
/// The PNG is drawn this many times larger, so its texts stay sharp.
inline constexpr int kPngScale = 2;

/// Filters of the save dialog, and the entry it opens with (Windows bitmap).
QString pageFileFilter();
inline constexpr int kPageFileFilterIndex = 2;

/// The type to write: the name's own extension (.bmp, .png, .pdf) when it has
/// one of these, else the filter chosen; "All Files" writes a bitmap.
PageFileType pageFileType(const QString& path, int filterIndex);

/// The page as a picture of scale times the bitmap's size (a null image when
/// there is no memory for it).
QImage renderPage(const PageContent& content, int scale);

/// ExportBitmap: writes the page to path as a bitmap, a PNG or a one-page PDF
/// whose texts and lines are vectors. A file already there is replaced only
/// once the new one is complete.
PrintResult ExportBitmap(const QString& path, PageFileType type, const PageContent& content);

} // namespace varilume
