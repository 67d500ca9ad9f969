#include "canvas/Canvas.h"

#include "canvas/DotStamps.h"
#include "canvas/Raster.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

using namespace raster;

const char* const kInvalidArgument = "Invalid procedure call or argument";

// Anything drawn further than this outside the image cannot show; it is
// dropped before any double is turned into an int.
constexpr double kFarAway = 1e7;

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

QStringList linesOf(const QString& text) {
    return text.split(QLatin1Char('\n'));
}

} // namespace

struct Canvas::Impl {
    QImage img;
    // A printer's or PDF page drawn on instead of img, with the one painter a
    // page allows, open until finish().
    QPaintDevice* device = nullptr;
    std::unique_ptr<QPainter> painter;
    // Lines and frames already on a device, drawn again over an inverted image.
    struct Stroke {
        QLine line;
        QRect rect;
        bool isRect = false;
        QPen pen;
    };
    std::vector<Stroke> strokes;
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;
    // Device pixels per user unit, kept in step with the size and the corners.
    double ax = 1;
    double ay = 1;
    double dpi = 96;
    std::int32_t background = 0;
    std::int32_t foreground = 0xFFFFFF;
    std::int32_t fill = 0;
    int lineWidth = 1;
    QFont font;
    double currentX = 0;
    double currentY = 0;
    bool recording = false;
    std::vector<Op> ops;

    // Size of the image, kept here so the dot loop makes no calls for it.
    int w = 1;
    int h = 1;
    qsizetype bytesPerLine = 4;

    void updateMapping() {
        w = device ? std::max(1, device->width()) : img.width();
        h = device ? std::max(1, device->height()) : img.height();
        bytesPerLine = img.bytesPerLine();
        ax = w / width;
        ay = h / height;
    }

    void applyDpi() {
        const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
        img.setDotsPerMeterX(dotsPerMeter);
        img.setDotsPerMeterY(dotsPerMeter);
    }

    double devX(double x) const { return (x - left) * ax; }
    double devY(double y) const { return (y - top) * ay; }

    QFontMetricsF metrics() const {
        return device ? QFontMetricsF(font, device) : QFontMetricsF(font, &img);
    }

    // One drawing call: on a device through its page's painter, on the image
    // through a painter of its own.
    template <typename Draw> void paint(Draw&& draw) {
        if (!device) {
            QPainter p(&img);
            draw(p);
        } else if (painter) {
            painter->save();
            draw(*painter);
            painter->restore();
        }
    }

    void record(Op::Kind kind, double x1, double y1, double x2, double y2, std::int32_t color,
                const QString& text = QString(), std::int32_t fillColor = 0, bool invert = false) {
        ops.push_back(Op{kind, x1, y1, x2, y2, color, text, fillColor, lineWidth, invert});
    }

    QPen pen(std::int32_t rgb) const {
        QPen p(rgbColor(rgb));
        p.setWidth(std::max(1, lineWidth));
        // A one-pixel line covers both end pixels; wider lines end flat at
        // their ends as a thick tick should.
        p.setCapStyle(lineWidth <= 1 ? Qt::SquareCap : Qt::FlatCap);
        p.setJoinStyle(Qt::MiterJoin);
        return p;
    }

    void drawImageOnDevice(const QRectF& target, const QImage& img, bool invert) {
        QImage shown = img.convertToFormat(QImage::Format_RGB32)
                           .mirrored(target.width() < 0, target.height() < 0);
        if (invert) {
            shown.invertPixels();
        }
        const QRectF area = target.normalized();
        paint([&](QPainter& p) {
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(area, shown);
            if (!invert) {
                return;
            }
            p.setClipRect(area);
            p.setBrush(Qt::NoBrush);
            for (const Stroke& s : strokes) {
                p.setPen(s.pen);
                if (s.isRect) {
                    p.drawRect(s.rect);
                } else {
                    p.drawLine(s.line);
                }
            }
        });
    }

    // bits() per dot, not cached: it detaches from a copy someone took of image().
    DotTarget target() { return {img.bits(), bytesPerLine, w, h, left, top, ax, ay}; }

    void drawCircle(double x, double y, double r, std::int32_t outline, std::int32_t inner) {
        const double px = devX(x);
        const double py = devY(y);
        const double rpx = std::fabs(r * ax);
        if (!finite(px, py) || !std::isfinite(rpx) || rpx > kFarAway) {
            return;
        }
        const double margin = rpx + lineWidth + 2;
        if (px < -margin || py < -margin || px > w + margin || py > h + margin) {
            return;
        }
        const int rp = static_cast<int>(rpx + 0.5);
        if (rp <= kLargestStamp && lineWidth <= 1 && !device) {
            stampOne(target(), kStamps[rp], pixelOf(px), pixelOf(py), toQRgb(outline),
                     toQRgb(inner));
            return;
        }
        paint([&](QPainter& p) {
            p.setPen(pen(outline));
            p.setBrush(rgbColor(inner));
            p.drawEllipse(QPointF(px, py), rpx, rpx);
        });
    }

    template <typename X>
    void drawDots(std::span<const X> x, std::span<const float> y, double r,
                  std::span<const std::int32_t> rgb) {
        const std::size_t n = std::min({x.size(), y.size(), rgb.size()});
        const double rpx = std::fabs(r * ax);
        const bool stamped = std::isfinite(rpx) && rpx + 0.5 < kLargestStamp + 1 &&
                             lineWidth <= 1 && !device && !recording;
        if (!stamped) {
            for (std::size_t i = 0; i < n; ++i) {
                if (recording) {
                    record(Op::Circle, x[i], y[i], r, 0, rgb[i], QString(), rgb[i]);
                }
                drawCircle(x[i], y[i], r, rgb[i], rgb[i]);
            }
            return;
        }
        stampDots(target(), kStamps[static_cast<int>(rpx + 0.5)], rpx + lineWidth + 2, x.first(n),
                  y.first(n), rgb.first(n));
    }
};

Canvas::Canvas(int widthPx, int heightPx, std::int32_t background, std::int32_t foreground)
    : d(std::make_unique<Impl>()) {
    d->background = background;
    d->foreground = foreground;
    d->img = QImage(std::max(1, widthPx), std::max(1, heightPx), QImage::Format_RGB32);
    d->img.fill(toQRgb(background));
    d->applyDpi();
    d->width = d->img.width();
    d->height = d->img.height();
    d->updateMapping();
}

Canvas::Canvas(QPaintDevice& device) : d(std::make_unique<Impl>()) {
    d->device = &device;
    d->background = 0xFFFFFF;
    d->foreground = 0x000000;
    d->dpi = std::max(1, device.logicalDpiY());
    d->painter = std::make_unique<QPainter>();
    if (!d->painter->begin(&device)) {
        d->painter.reset();
    }
    d->width = std::max(1, device.width());
    d->height = std::max(1, device.height());
    d->updateMapping();
}

Canvas::~Canvas() = default;
Canvas::Canvas(Canvas&&) noexcept = default;
Canvas& Canvas::operator=(Canvas&&) noexcept = default;

void Canvas::resize(int widthPx, int heightPx) {
    widthPx = std::max(1, widthPx);
    heightPx = std::max(1, heightPx);
    if (d->device || (widthPx == d->img.width() && heightPx == d->img.height())) {
        return;
    }
    QImage grown(widthPx, heightPx, QImage::Format_RGB32);
    grown.fill(toQRgb(d->background));
    const int rows = std::min(heightPx, d->img.height());
    const qsizetype bytes = std::min(widthPx, d->img.width()) * qsizetype(sizeof(QRgb));
    for (int y = 0; y < rows; ++y) {
        std::copy_n(d->img.constScanLine(y), bytes, grown.scanLine(y));
    }
    d->img = std::move(grown);
    d->applyDpi();
    d->updateMapping();
}

int Canvas::widthPx() const {
    return d->w;
}

int Canvas::heightPx() const {
    return d->h;
}

const QImage& Canvas::image() const {
    return d->img;
}

bool Canvas::isActive() const {
    return !d->device || (d->painter && d->painter->isActive());
}

bool Canvas::finish() {
    if (!d->device) {
        return true;
    }
    if (!d->painter) {
        return false;
    }
    const bool ok = d->painter->end();
    d->painter.reset();
    return ok;
}

void Canvas::setDpi(double dpi) {
    if (d->device || !std::isfinite(dpi) || dpi < 1) {
        return;
    }
    d->dpi = dpi;
    d->applyDpi();
}

double Canvas::dpi() const {
    return d->dpi;
}

void Canvas::setCoords(double x1, double y1, double x2, double y2) {
    const double w = x2 - x1;
    const double h = y2 - y1;
    if (w == 0 || h == 0 || !finite(x1, y1) || !finite(x2, y2) || !finite(w, h)) {
        throw CanvasError(QString::fromLatin1(kInvalidArgument));
    }
    d->left = x1;
    d->top = y1;
    d->width = w;
    d->height = h;
    d->updateMapping();
}

double Canvas::scaleLeft() const {
    return d->left;
}

double Canvas::scaleTop() const {
    return d->top;
}

double Canvas::scaleWidth() const {
    return d->width;
}

double Canvas::scaleHeight() const {
    return d->height;
}

QPointF Canvas::toDevice(double x, double y) const {
    return QPointF(d->devX(x), d->devY(y));
}

QPointF Canvas::toUser(QPointF device) const {
    return QPointF(d->left + device.x() / d->ax, d->top + device.y() / d->ay);
}

double Canvas::pixelWidth() const {
    return d->width / d->w;
}

double Canvas::pixelHeight() const {
    return d->height / d->h;
}

void Canvas::setBackground(std::int32_t rgb) {
    d->background = rgb;
}

std::int32_t Canvas::background() const {
    return d->background;
}

void Canvas::setForeground(std::int32_t rgb) {
    d->foreground = rgb;
}

std::int32_t Canvas::foreground() const {
    return d->foreground;
}

void Canvas::setFillColor(std::int32_t rgb) {
    d->fill = rgb;
}

std::int32_t Canvas::fillColor() const {
    return d->fill;
}

void Canvas::setLineWidth(int px) {
    d->lineWidth = std::max(1, px);
}

int Canvas::lineWidth() const {
    return d->lineWidth;
}

void Canvas::setFont(const QFont& font) {
    d->font = font;
}

QFont Canvas::font() const {
    return d->font;
}

void Canvas::clear() {
    if (d->recording) {
        d->record(Op::Clear, 0, 0, 0, 0, d->background);
    }
    if (d->device) {
        d->paint([&](QPainter& p) { p.fillRect(0, 0, d->w, d->h, rgbColor(d->background)); });
        d->strokes.clear();
    } else {
        d->img.fill(toQRgb(d->background));
    }
    d->currentX = d->left;
    d->currentY = d->top;
}

void Canvas::line(double x1, double y1, double x2, double y2) {
    line(x1, y1, x2, y2, d->foreground);
}

void Canvas::line(double x1, double y1, double x2, double y2, std::int32_t rgb) {
    if (d->recording) {
        d->record(Op::Line, x1, y1, x2, y2, rgb);
    }
    double fromX = d->devX(x1);
    double fromY = d->devY(y1);
    double toX = d->devX(x2);
    double toY = d->devY(y2);
    if (!finite(fromX, fromY) || !finite(toX, toY)) {
        return;
    }
    const double m = d->lineWidth + 2;
    if (!clipSegment(fromX, fromY, toX, toY, -m, -m, d->w + m, d->h + m)) {
        return;
    }
    const QLine segment(pixelOf(fromX), pixelOf(fromY), pixelOf(toX), pixelOf(toY));
    const QPen pen = d->pen(rgb);
    d->paint([&](QPainter& p) {
        p.setPen(pen);
        p.drawLine(segment);
    });
    if (d->device) {
        d->strokes.push_back({segment, QRect(), false, pen});
    }
}

void Canvas::rect(double x1, double y1, double x2, double y2) {
    if (d->recording) {
        d->record(Op::Rect, x1, y1, x2, y2, d->foreground);
    }
    const double m = d->lineWidth + 2;
    const double w = d->w + m;
    const double h = d->h + m;
    double l = d->devX(x1);
    double t = d->devY(y1);
    double r = d->devX(x2);
    double b = d->devY(y2);
    if (!finite(l, t) || !finite(r, b)) {
        return;
    }
    // An edge pulled in to just outside the image keeps the visible outline.
    l = std::clamp(l, -m, w);
    r = std::clamp(r, -m, w);
    t = std::clamp(t, -m, h);
    b = std::clamp(b, -m, h);
    const int il = pixelOf(std::min(l, r));
    const int ir = pixelOf(std::max(l, r));
    const int it = pixelOf(std::min(t, b));
    const int ib = pixelOf(std::max(t, b));
    const QRect frame(il, it, ir - il, ib - it);
    const QPen pen = d->pen(d->foreground);
    d->paint([&](QPainter& p) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame);
    });
    if (d->device) {
        d->strokes.push_back({QLine(), frame, true, pen});
    }
}

void Canvas::circle(double x, double y, double r, std::int32_t outline) {
    if (d->recording) {
        d->record(Op::Circle, x, y, r, 0, outline, QString(), d->fill);
    }
    d->drawCircle(x, y, r, outline, d->fill);
}

void Canvas::dot(double x, double y, double r, std::int32_t rgb) {
    if (d->recording) {
        d->record(Op::Circle, x, y, r, 0, rgb, QString(), rgb);
    }
    d->drawCircle(x, y, r, rgb, rgb);
}

void Canvas::dots(std::span<const float> x, std::span<const float> y, double r,
                  std::span<const std::int32_t> rgb) {
    d->drawDots(x, y, r, rgb);
}

void Canvas::dots(std::span<const double> x, std::span<const float> y, double r,
                  std::span<const std::int32_t> rgb) {
    d->drawDots(x, y, r, rgb);
}

void Canvas::setCurrentXY(double x, double y) {
    d->currentX = x;
    d->currentY = y;
}

double Canvas::currentX() const {
    return d->currentX;
}

double Canvas::currentY() const {
    return d->currentY;
}

double Canvas::textWidth(const QString& text) const {
    const QFontMetricsF fm = d->metrics();
    double widest = 0;
    for (const QString& part : linesOf(text)) {
        widest = std::max(widest, fm.horizontalAdvance(part));
    }
    return widest * std::fabs(pixelWidth());
}

double Canvas::textHeight(const QString& text) const {
    return linesOf(text).size() * d->metrics().height() * std::fabs(pixelHeight());
}

void Canvas::print(const QString& text) {
    if (d->recording) {
        d->record(Op::Text, d->currentX, d->currentY, 0, 0, d->foreground, text);
    }
    const QFontMetricsF fm = d->metrics();
    const QStringList parts = linesOf(text);
    const double px = d->devX(d->currentX);
    const double py = d->devY(d->currentY);
    if (finite(px, py) && std::fabs(px) < kFarAway && std::fabs(py) < kFarAway) {
        d->paint([&](QPainter& p) {
            p.setFont(d->font);
            p.setPen(rgbColor(d->foreground));
            double baseline = py + fm.ascent();
            for (const QString& part : parts) {
                p.drawText(QPointF(px, baseline), part);
                baseline += fm.height();
            }
        });
    }
    // Down in device pixels is +pixelHeight in user units, whichever way the axis runs.
    d->currentY += parts.size() * fm.height() * pixelHeight();
    d->currentX = d->left;
}

void Canvas::drawImage(double x, double y, double w, double h, const QImage& img, bool invert) {
    if (d->recording) {
        d->record(Op::Image, x, y, x + w, y + h, 0, QString(), 0, invert);
    }
    if (img.isNull()) {
        return;
    }
    const double l = d->devX(x);
    const double r = d->devX(x + w);
    const double t = d->devY(y);
    const double b = d->devY(y + h);
    if (!finite(l, r) || !finite(t, b) || l == r || t == b) {
        return;
    }
    if (d->device) {
        d->drawImageOnDevice(QRectF(QPointF(l, t), QPointF(r, b)), img, invert);
        return;
    }
    const QImage src = img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32
                           ? img
                           : img.convertToFormat(QImage::Format_RGB32);
    // Nearest source pixel for each target pixel centre; a reversed target mirrors.
    auto sourceIndex = [](int i, double from, double to, int count) {
        const double u = (i + 0.5 - from) / (to - from);
        if (!(u >= 0.0 && u < 1.0)) {
            return -1;
        }
        return std::min(count - 1, static_cast<int>(u * count));
    };
    const double width = d->w;
    const double height = d->h;
    const int x0 = static_cast<int>(std::floor(std::clamp(std::min(l, r), 0.0, width)));
    const int x1 = static_cast<int>(std::ceil(std::clamp(std::max(l, r), 0.0, width)));
    const int y0 = static_cast<int>(std::floor(std::clamp(std::min(t, b), 0.0, height)));
    const int y1 = static_cast<int>(std::ceil(std::clamp(std::max(t, b), 0.0, height)));
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    std::vector<int> columns(x1 - x0);
    for (int i = x0; i < x1; ++i) {
        columns[i - x0] = sourceIndex(i, l, r, src.width());
    }
    for (int j = y0; j < y1; ++j) {
        const int sy = sourceIndex(j, t, b, src.height());
        if (sy < 0) {
            continue;
        }
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        QRgb* out = reinterpret_cast<QRgb*>(d->img.scanLine(j));
        for (int i = x0; i < x1; ++i) {
            const int sx = columns[i - x0];
            if (sx < 0) {
                continue;
            }
            const QRgb colour = in[sx] & 0xFFFFFF;
            out[i] = 0xFF000000u | (invert ? (out[i] ^ colour) & 0xFFFFFF : colour);
        }
    }
}

void Canvas::setRecording(bool on) {
    d->recording = on;
}

const std::vector<Canvas::Op>& Canvas::ops() const {
    return d->ops;
}

void Canvas::clearOps() {
    d->ops.clear();
}

} // namespace varilume
