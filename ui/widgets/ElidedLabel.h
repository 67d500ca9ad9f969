#pragma once

#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

namespace varilume {

/// A label that shows a text too long for it with its middle left out (a path
/// keeps its start and its file name), the whole text in its tooltip.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    void setFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        elide();
    }
    const QString& fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() {
        const int room = contentsRect().width() - 2 * std::max(indent(), 0);
        setText(room > 0 ? fontMetrics().elidedText(full_, Qt::ElideMiddle, room) : full_);
    }

    QString full_;
};

} // namespace varilume
