#pragma once

#include "search/PeriodSearch.h"
#include "ui/search/SpectrumBlocks.h"

#include <QString>
#include <optional>
#include <vector>

namespace varilume {

class Canvas;

/// What the x axis of a spectrum shows.
enum class SpectrumAxis { Frequency, Period, LogPeriod };

/// How a spectrum is looked at: the axis, the part of it in view, the extras.
struct SpectrumView {
    SpectrumAxis axis = SpectrumAxis::Frequency;
    /// Visible x range in axis units (c/d, d, or log10 d); equal ends: all of it.
    double from = 0;
    double to = 0;
    bool showWindow = false;
    double trialPeriod = 0; // marked when positive
};

/// The picture of a spectrum on a canvas of a given size: the statistic against
/// frequency or period with its better sense upward, the peaks numbered, the
/// trial period marked, and the mapping from pixels back to the axis.
class SpectrumPicture {
public:
    /// The blocks, when given, summarise the spectrum's values and window
    /// trace (a window keeps them up to date as a run grows).
    SpectrumPicture(const Spectrum& spectrum, const std::vector<Peak>& peaks,
                    const SpectrumView& view, int widthPx, int heightPx,
                    const SpectrumBlocks* valueBlocks = nullptr,
                    const SpectrumBlocks* windowBlocks = nullptr);

    /// Clears the canvas and draws (the canvas takes pixel coordinates).
    void draw(Canvas& canvas) const;

    /// The axis value under a pixel column, and the frequency it stands for.
    double axisAt(double px) const;
    double frequencyAt(double px) const;
    /// The pixel column of a frequency.
    double pixelOf(double frequency) const;
    /// The listed peak whose mark lies within tolerance pixels of px, if any.
    std::optional<std::size_t> peakNear(double px, double tolerance) const;
    /// The x range of the whole spectrum, in axis units (low to high).
    std::pair<double, double> fullRange() const;
    /// Plot area (left, top, right, bottom) in pixels.
    int left() const { return left_; }
    int right() const { return right_; }

    static double axisOf(SpectrumAxis axis, double frequency);
    static double frequencyOf(SpectrumAxis axis, double value);
    /// "Power", "θ (PDM)", "String length", with the sense of better.
    static QString statisticLabel(SearchMethod method);

private:
    const Spectrum& spectrum_;
    const std::vector<Peak>& peaks_;
    SpectrumView view_;
    int width_, height_;
    int left_, top_, right_, bottom_;
    double lo_ = 0, hi_ = 1;     // x range in axis units
    double vmin_ = 0, vmax_ = 1; // statistic range
    bool higherBetter_ = true;

    double yOf(double value) const;
    struct Column {
        double min, max; // min > max: no value falls in the column
    };
    /// The range of values in each pixel column of the plot area.
    std::vector<Column> columns(const std::vector<double>& values,
                                const SpectrumBlocks* blocks) const;

    const SpectrumBlocks* windowBlocks_;
    std::vector<Column> valueColumns_;
};

} // namespace varilume
