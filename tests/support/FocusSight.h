#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// What a user sees of the keyboard focus in a window.
namespace FocusSight {

// What keeps `stop`, the control with the focus in `window`, from showing it has the focus: hidden,
// out of the window or scrolled out of its page, no ring round it, or a ring cut on some edge (it is
// looked for in the window's picture). Empty when the ring shows whole round it in view, or when
// it is a text field, whose caret shows the focus.
QString problem(QWidget& window, QWidget* stop);

// Whether the ring's colour is at the middle of the left, right, top and bottom edges of `outline`
// in the window's picture.
QList<bool> edgesShown(QWidget& window, const QRect& outline);

// The control's class and object name, to name it in a report.
QString nameOf(const QWidget* widget);

} // namespace FocusSight
