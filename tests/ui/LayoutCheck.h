#pragma once

// What a user would see cut or covered in a window; for the window tests, which
// link Qt Widgets (the shared test support does not).
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>

namespace varilume::test {

namespace layout_detail {

inline QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

inline QString sizeText(QSize s) {
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

// The size a control's text needs, or an empty size when it shows none.
inline QSize textNeeds(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        if (label->wordWrap())
            return QSize(1, label->heightForWidth(label->width()));
        return label->minimumSizeHint().expandedTo(label->sizeHint());
    }
    if (qobject_cast<const QRadioButton*>(w) || qobject_cast<const QCheckBox*>(w)) {
        const auto* b = static_cast<const QAbstractButton*>(w);
        return b->text().isEmpty() ? QSize()
                                   : QSize(b->sizeHint().width(), b->fontMetrics().height());
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty())
            return {};
        // The caption and the frame around it; the style's extra padding of a
        // push button's size hint is room, not need.
        const QFontMetrics fm = b->fontMetrics();
        return QSize(fm.horizontalAdvance(b->text()) + 6, fm.height());
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
        if (g->title().isEmpty())
            return {};
        return QSize(g->fontMetrics().horizontalAdvance(g->title()) + 8, 1);
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return QSize(1, e->fontMetrics().height());
    return {};
}

// Where a control shows something, in its parent's coordinates: a label's text
// as its alignment places it, any other control whole; empty for a label
// without text or picture.
inline QRect shownRect(const QWidget* w) {
    const auto* label = qobject_cast<const QLabel*>(w);
    if (!label)
        return w->geometry();
    if (!label->pixmap().isNull())
        return w->geometry();
    if (label->text().isEmpty())
        return {};
    const QRect inside = label->contentsRect();
    const QSize text = label->wordWrap()
                           ? QSize(inside.width(), label->heightForWidth(label->width()))
                           : label->sizeHint().boundedTo(inside.size());
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text, inside)
        .translated(w->pos());
}

// More than the pixel that rounding twips to pixels may give two neighbours.
inline bool overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.width() > 1 && both.height() > 1;
}

inline void check(const QWidget* parent, QStringList& faults) {
    QList<const QWidget*> shown;
    for (const QObject* o : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w->isWindow() || !w->isVisibleTo(parent) || w->inherits("QMenuBar"))
            continue;
        shown << w;
        const QSize need = textNeeds(w);
        if (need.isValid() && (need.width() > w->width() || need.height() > w->height()))
            faults << QStringLiteral("%1: text needs %2, has %3")
                          .arg(nameOf(w), sizeText(need), sizeText(w->size()));
        if (!parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1: reaches outside %2").arg(nameOf(w), nameOf(parent));
        // The insides of composite controls are the style's business.
        if (!w->inherits("QAbstractSpinBox") && !w->inherits("QAbstractScrollArea") &&
            !w->inherits("QLineEdit") && !w->inherits("QAbstractSlider") &&
            !w->inherits("QAbstractButton"))
            check(w, faults);
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (overlap(shownRect(shown[i]), shownRect(shown[j])))
                faults
                    << QStringLiteral("%1 and %2 overlap").arg(nameOf(shown[i]), nameOf(shown[j]));
}

} // namespace layout_detail

/// One line per fault: a caption or label text wider or taller than its
/// control, a control reaching outside its parent, two visible sibling controls
/// overlapping. Empty when the window is laid out cleanly.
inline QStringList layoutFaults(const QWidget& window) {
    QStringList faults;
    layout_detail::check(&window, faults);
    return faults;
}

} // namespace varilume::test
