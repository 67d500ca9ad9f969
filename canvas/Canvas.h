#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

class QPaintDevice;

namespace varilume {

/// RGB value R + 256*G + 65536*B to a QColor and back.
QColor rgbColor(std::int32_t rgb);
std::int32_t rgbValue(const QColor& color);

/// Raised when a coordinate system has two corners with equal x or equal y.
class CanvasError : public std::runtime_error {
public:
    explicit CanvasError(const QString& description);
    QString description() const;
};

/// A persistent drawing surface: an image that keeps what was drawn while it is
/// hidden, with a user coordinate system set by its top-left and bottom-right
/// corners. The phase plot, the scale strips, the preview, the printed page and
/// the bitmap all draw through this one class.
class Canvas {
public:
    /// One recorded drawing call, for tests (coordinates in user units).
    /// Line, Rect and Image keep their two corners (an image's second corner is
    /// (x + w, y + h)); Circle its centre and radius in x2; Text its position.
    /// color is the line, outline or text colour, or the background for Clear.
    struct Op {
        enum Kind { Clear, Line, Circle, Text, Rect, Image } kind;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // line ends; circle centre and radius in x2
        std::int32_t color = 0;
        QString text;
        std::int32_t fill = 0; // a circle's fill colour
        int lineWidth = 1;     // device pixels, for Line, Rect and Circle
        bool invert = false;   // an Image combined by exclusive-or
    };

    explicit Canvas(int widthPx = 1, int heightPx = 1, std::int32_t background = 0,
                    std::int32_t foreground = 0xFFFFFF);
    /// A canvas that draws onto another paint device (a printer's page, a PDF
    /// page) until finish(): lines, frames and texts stay vectors there. Its
    /// size is the device's size in device pixels, its dpi the device's, its
    /// background white; resize() does nothing and image() stays empty.
    explicit Canvas(QPaintDevice& device);
    ~Canvas();
    Canvas(Canvas&&) noexcept;
    Canvas& operator=(Canvas&&) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    /// New size in device pixels (at least 1 x 1); the drawing is kept (anchored
    /// top left, new area in the background colour) and the coordinate system
    /// keeps its corners.
    void resize(int widthPx, int heightPx);
    int widthPx() const;
    int heightPx() const;
    const QImage& image() const;
    /// Whether the drawing reaches its surface: false for a device that could
    /// not be opened (a printer that is not ready, a file that cannot be made).
    bool isActive() const;
    /// Ends the drawing on a device (a printer then sends its page); false when
    /// the device reports a failure. Nothing is drawn afterwards. An image
    /// canvas has nothing to finish.
    bool finish();
    /// Device pixels per inch used for text measures (96 on screen).
    void setDpi(double dpi);
    double dpi() const;

    /// User coordinates: (x1, y1) is the top-left corner, (x2, y2) the bottom right.
    /// Throws CanvasError when x1 == x2 or y1 == y2; the old system stays.
    void setCoords(double x1, double y1, double x2, double y2);
    double scaleLeft() const;
    double scaleTop() const;
    double scaleWidth() const;  // x2 - x1
    double scaleHeight() const; // y2 - y1
    QPointF toDevice(double x, double y) const;
    QPointF toUser(QPointF device) const;
    /// Width of one device pixel in user x units (negative on a reversed axis).
    double pixelWidth() const;
    double pixelHeight() const;

    /// Takes effect at the next clear() or resize(); the drawing is not touched.
    void setBackground(std::int32_t rgb);
    std::int32_t background() const;
    void setForeground(std::int32_t rgb);
    std::int32_t foreground() const;
    void setFillColor(std::int32_t rgb);
    std::int32_t fillColor() const;
    /// Pen width of lines, rectangles and circle outlines, in device pixels.
    void setLineWidth(int px);
    int lineWidth() const;
    void setFont(const QFont& font);
    QFont font() const;

    /// Fills with the background colour and sets the text position to the top left.
    void clear();
    void line(double x1, double y1, double x2, double y2);
    void line(double x1, double y1, double x2, double y2, std::int32_t rgb);
    /// Outline of a rectangle between two corners in the foreground colour.
    void rect(double x1, double y1, double x2, double y2);
    /// Circle of radius r (user x units) outlined in `outline` and filled with
    /// the fill colour. Radii of a pixel or two take a fast path that writes the
    /// pixels directly: a million dots must draw in a few tens of milliseconds.
    /// The small dots are pixel stamps around the pixel holding the centre,
    /// chosen by the radius rounded to whole device pixels:
    ///   0: the centre pixel in the outline colour;
    ///   1: a plus of five pixels, the centre filled, the four arms outline;
    ///   2: a 5 x 5 block without its corners, the inner 3 x 3 filled and the
    ///      ring of twelve around it outline.
    /// Larger radii (or a line width above 1) draw an aliased ellipse. Centres
    /// that are not finite draw nothing.
    void circle(double x, double y, double r, std::int32_t outline);
    /// A dot of radius r outlined and filled in one colour (same picture as
    /// circle() with the fill colour set to rgb, without changing the fill colour).
    void dot(double x, double y, double r, std::int32_t rgb);
    /// dot() at (x[i], y[i]) in colour rgb[i] for every i, in order: the same
    /// picture, drawn on all cores when there are many dots. Spans of unequal
    /// length draw as many dots as the shortest holds.
    void dots(std::span<const float> x, std::span<const float> y, double r,
              std::span<const std::int32_t> rgb);
    void dots(std::span<const double> x, std::span<const float> y, double r,
              std::span<const std::int32_t> rgb);

    void setCurrentXY(double x, double y);
    double currentX() const;
    double currentY() const;
    /// Size of a text in the current font, in user units (never negative). A
    /// text of several lines ("\n") is as wide as its widest line and as high as
    /// all its lines; an empty text is one line high.
    double textWidth(const QString& text) const;
    double textHeight(const QString& text) const;
    /// Prints text with its top-left corner at the current position, in the
    /// foreground colour; the position then moves to the start of the next line:
    /// CurrentX back to scaleLeft, CurrentY down by the text's height.
    void print(const QString& text);

    /// Draws an image stretched over a user rectangle; with invert the colours
    /// of the image are combined with the page by exclusive-or (a white page
    /// shows the complement of the image, a black line stays as the image).
    /// A device cannot give its pixels back, so there the complement is drawn
    /// and the lines and frames drawn before it are drawn again on top: the
    /// same picture wherever the image is black under them.
    void drawImage(double x, double y, double w, double h, const QImage& img, bool invert);

    void setRecording(bool on);
    const std::vector<Op>& ops() const;
    void clearOps();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace varilume
