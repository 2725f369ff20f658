#pragma once

#include <QObject>
#include <QPointer>

class FocusRing;
class QWidget;

// Shows where the keyboard focus is, application-wide. Once a key is pressed the control with the
// focus gets the FocusRing, and keeps it as Tab moves on; a mouse press or a turn of the wheel takes
// the ring away until the keyboard is used again. A control the focus arrives at other than by a click is scrolled into
// view in every scrolling page around it, and kept there while layouts move it, so no stop is out
// of sight.
//
// A control that is switched off while it has the focus (a button busy with what it started)
// keeps the ring, and gets the focus back when it is switched on again; until then keys do
// nothing but Tab and Shift+Tab, so they never act on the control the toolkit passed the focus on to.
class KeyboardFocus : public QObject {
    Q_OBJECT
public:
    // Watches the whole application from now on; installing twice keeps one watcher.
    static void install();
    // The ring shown now, if any.
    static FocusRing* ring();
    // The switched-off control holding on to the focus, if any.
    static QWidget* held();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;

    void focusIn(QWidget* widget, Qt::FocusReason reason);
    void focusOut(QWidget* widget, Qt::FocusReason reason);
    // Whether the key press is taken here.
    bool keyPress(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers);
    void mark(QWidget* widget);
    void release();
    void keepInViewSoon();
    static void bringIntoView(QWidget* widget);

    bool m_fromKeyboard = false;
    bool m_viewPending = false;
    QPointer<FocusRing> m_ring;
    // The switched-off control holding on to the focus, and the one that has it meanwhile.
    QPointer<QWidget> m_held;
    QPointer<QWidget> m_standIn;
};
