#include "preview/ClickPairs.h"

#include "store/State.h"

#include <algorithm>
#include <cmath>

namespace varilume {

namespace {
constexpr std::int32_t kZoomLine = 128 + 256 * 255 + 65536 * 255;  // light cyan
constexpr std::int32_t kClickLine = 150 + 256 * 150 + 65536 * 150; // grey
} // namespace

ClickOutcome ClickPairs::click(ProjectState& state, double jd) {
    if (state.Plotting)
        return ClickOutcome::None;
    ++clickCount_;
    if (clickCount_ > 2)
        return ClickOutcome::WrongNumber;
    if (!secondClickNext_) {
        clickJD1_ = jd;
        secondClickNext_ = true;
    } else {
        clickJD2_ = jd;
        secondClickNext_ = false;
    }
    if (clickJD1_ > 0 && clickJD2_ > 0)
        return completeClickPair(state);
    return ClickOutcome::None;
}

ClickOutcome ClickPairs::completeClickPair(ProjectState& state) {
    if (state.ZoomMode) {
        state.JDTo = std::max(clickJD1_, clickJD2_);
        state.JDFrom = std::min(clickJD1_, clickJD2_);
        clickCount_ = 0;
        state.ZoomMode = false;
        return ClickOutcome::Zoom;
    }
    // One cycle lies between two adjacent maxima or minima. The difference is
    // taken in doubles and only the result is a single.
    state.Period = static_cast<float>(std::abs(clickJD1_ - clickJD2_));
    return ClickOutcome::Estimate;
}

void ClickPairs::afterWrongNumber() {
    clickJD1_ = 0;
    clickJD2_ = 0;
    clickCount_ = 0;
}

void ClickPairs::refresh(ProjectState& state) {
    clickCount_ = 0;
    state.ZoomMode = false;
}

void ClickPairs::reset(ProjectState& state) {
    refresh(state);
    state.JDTo = state.MaxJD;
    state.JDFrom = state.MinJD;
}

void ClickPairs::zoom(ProjectState& state) {
    clickJD1_ = 0;
    clickJD2_ = 0;
    refresh(state);
    state.ZoomMode = true;
}

void ClickPairs::slider(ProjectState& state, int percent) {
    clickCount_ = 0;
    sliderWindow(state, percent);
}

void ClickPairs::activate() {
    clickCount_ = 0;
}

void ClickPairs::close(ProjectState& state) {
    state.ZoomMode = false;
}

std::int32_t ClickPairs::clickLineColor(const ProjectState& state) {
    return state.ZoomMode ? kZoomLine : kClickLine;
}

void sliderWindow(ProjectState& state, int percent) {
    const auto f = static_cast<float>(percent / 100.0);
    const auto s = static_cast<float>(state.MaxJD - state.MinJD);
    const float back = s * f;
    state.JDTo = state.MaxJD;
    state.JDFrom = state.MaxJD - back;
}

} // namespace varilume
