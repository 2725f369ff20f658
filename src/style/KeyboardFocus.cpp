#include "KeyboardFocus.h"

#include "FocusKeeper.h"
#include "FocusOrder.h"
#include "FocusRing.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollArea>

namespace {

KeyboardFocus* watcher = nullptr;
// Room kept between a control scrolled into view and the edge of its page, enough for the ring.
constexpr int kViewMargin = 16;

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta
           || key == Qt::Key_AltGr || key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

} // namespace

void KeyboardFocus::install()
{
    if (watcher)
        return;
    watcher = new KeyboardFocus(qApp);
    qApp->installEventFilter(watcher);
}

FocusRing* KeyboardFocus::ring()
{
    return watcher ? watcher->m_ring.data() : nullptr;
}

QWidget* KeyboardFocus::held()
{
    return watcher ? watcher->m_held.data() : nullptr;
}

bool KeyboardFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::FocusIn: focusIn(widget, static_cast<QFocusEvent*>(event)->reason()); break;
    case QEvent::FocusOut: focusOut(widget, static_cast<QFocusEvent*>(event)->reason()); break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        return widget == QApplication::focusWidget() && keyPress(widget, key->key(), key->modifiers());
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        m_fromKeyboard = false;
        release();
        delete m_ring;
        break;
    case QEvent::EnabledChange:
        // The held control is back: the focus returns to it unless it was moved on meanwhile.
        if (widget == m_held && widget->isEnabled() && QApplication::focusWidget() == m_standIn)
            widget->setFocus(Qt::OtherFocusReason);
        break;
    case QEvent::Hide:
        if (widget == m_held) {
            release();
            mark(QApplication::focusWidget());
        }
        break;
    default: break;
    }
    return false;
}

void KeyboardFocus::focusIn(QWidget* widget, Qt::FocusReason reason)
{
    if (m_held) {
        if (!m_standIn && widget != m_held) {
            m_standIn = widget;
            return;
        }
        if (widget == m_standIn)
            return;
        release();
    }
    // Where the toolkit passes the focus while a screen's controls are rebuilt is no place to
    // scroll to: the screen puts the focus back in a moment.
    if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason
        && !FocusKeeper::isRestoring())
        bringIntoView(widget);
    mark(widget);
}

void KeyboardFocus::focusOut(QWidget* widget, Qt::FocusReason reason)
{
    // Switching a control off hands its focus on as a Tab would.
    if (reason == Qt::TabFocusReason && !widget->isEnabled() && widget->isVisible() && !m_held) {
        m_held = widget;
        m_standIn = nullptr;
        return;
    }
    if (m_ring && m_ring->target() == widget && reason != Qt::PopupFocusReason && widget != m_held)
        delete m_ring;
}

bool KeyboardFocus::keyPress(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers)
{
    if (isModifierKey(key))
        return false;
    // The toolkit's file dialog keeps the order it sets itself.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !receiver->window()->inherits("QFileDialog"))
        FocusOrder::arrange(receiver->window());
    if (!m_fromKeyboard) {
        m_fromKeyboard = true;
        mark(m_held ? m_held.data() : receiver);
    }
    if (!m_held || receiver != m_standIn)
        return false;
    if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))) {
        // Backwards from the stand-in is backwards from the held control, which is passed over.
        release();
        return false;
    }
    if (key == Qt::Key_Tab) {
        // The stand-in is the next stop after the held control: Tab arrives there.
        release();
        bringIntoView(receiver);
        mark(receiver);
    }
    return true;
}

void KeyboardFocus::mark(QWidget* widget)
{
    if (m_ring && m_ring->target() == widget)
        return;
    delete m_ring;
    if (m_fromKeyboard && FocusRing::marks(widget)) {
        m_ring = new FocusRing(widget);
        // Once the layouts have done moving things, as one pass moves a control many times.
        connect(m_ring, &FocusRing::laidOut, this, &KeyboardFocus::keepInViewSoon);
    }
}

void KeyboardFocus::keepInViewSoon()
{
    if (m_viewPending)
        return;
    m_viewPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_viewPending = false;
            if (m_ring && m_ring->target() && m_ring->target()->hasFocus())
                bringIntoView(m_ring->target());
        },
        Qt::QueuedConnection);
}

void KeyboardFocus::release()
{
    m_held = nullptr;
    m_standIn = nullptr;
}

void KeyboardFocus::bringIntoView(QWidget* widget)
{
    for (QWidget* link = widget->parentWidget(); link; link = link->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(link);
        if (area && area->widget() && area->widget()->isAncestorOf(widget))
            area->ensureWidgetVisible(widget, kViewMargin, kViewMargin);
    }
}
