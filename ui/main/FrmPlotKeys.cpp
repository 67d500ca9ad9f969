// The main window's keys: the period steps and the increment scale, Enter in
// the period box, and the shortcuts the period box must not take for itself.
#include "ui/main/FrmPlot.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace varilume {

bool FrmPlot::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn && watched == txtPeriod_) {
        QTimer::singleShot(0, txtPeriod_, [this] { txtPeriod_->setSelection(0, 20); });
        return false;
    }
    if (type == QEvent::MouseMove && watched == client_) {
        clearReadouts();
        return false;
    }
    if (type == QEvent::ShortcutOverride && watched == txtPeriod_ &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        // Ctrl+A is the menu's "Average Line", not the period box's select-all.
        event->ignore();
        return true;
    }
    if (type == QEvent::ShortcutOverride && watched == txtPeriod_) {
        // The period box would take Ctrl+Z for its own text; here it steps
        // through the periods taken.
        const auto combo = static_cast<QKeyEvent*>(event)->keyCombination();
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_Z) ||
            combo == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
            event->ignore();
            return true;
        }
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QMainWindow::eventFilter(watched, event);
    // The window sees each key before its controls: act once, on the first receiver.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    // The window's own focus child, which receives its keys even when the
    // window system has not made the window the active one.
    QWidget* focus = focusWidget();
    if (widget != (focus ? focus : static_cast<QWidget*>(this)))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (type != QEvent::KeyPress)
        return false;
    // With a star loaded "+" and "-" are period steps and are consumed: in the
    // period box they would turn " 201" into " 201+", which no later Enter reads.
    if (key->key() == Qt::Key_Plus || key->text() == u"+") {
        cmdIncrUp();
        return state_.StarLoaded;
    }
    if (key->key() == Qt::Key_Minus || key->text() == u"-") {
        cmdIncrDn();
        return state_.StarLoaded;
    }
    if (key->key() == Qt::Key_Asterisk || key->key() == Qt::Key_Slash) {
        scaleIncrement(key->key() == Qt::Key_Asterisk);
        return true; // neither is part of a period
    }
    if (watched == txtPeriod_) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            periodEntered();
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            periodEntered(); // a blank acts as Enter and is not inserted
            return true;
        }
    }
    return false;
}

} // namespace varilume
