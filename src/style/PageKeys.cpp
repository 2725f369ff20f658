#include "PageKeys.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

void PageKeys::attach(QAbstractScrollArea* page)
{
    new PageKeys(page);
}

bool PageKeys::isPageKey(const QKeyEvent& key)
{
    return key.matches(QKeySequence::MoveToNextPage) || key.matches(QKeySequence::MoveToPreviousPage)
           || key.matches(QKeySequence::MoveToStartOfDocument) || key.matches(QKeySequence::MoveToEndOfDocument);
}

PageKeys::PageKeys(QAbstractScrollArea* page) : QObject(page), m_page(page)
{
    page->installEventFilter(this);
    watchWindow();
}

void PageKeys::watchWindow()
{
    QWidget* window = m_page->window();
    if (window == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window != m_page ? window : nullptr;
    if (m_window)
        m_window->installEventFilter(this);
}

bool PageKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        if (watched == m_page)
            watchWindow();
        break;
    case QEvent::KeyPress: {
        // A key the focused control and those around it left alone reaches the page, when the
        // focus is on it, or else the window.
        if (watched == m_window) {
            const QWidget* focus = QApplication::focusWidget();
            if (!m_page->isVisible() || (focus && m_page->isAncestorOf(focus)))
                break;
        }
        return scroll(static_cast<QKeyEvent*>(event));
    }
    default: break;
    }
    return false;
}

bool PageKeys::scroll(QKeyEvent* key)
{
    QScrollBar* bar = m_page->verticalScrollBar();
    if (key->matches(QKeySequence::MoveToNextPage))
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    else if (key->matches(QKeySequence::MoveToPreviousPage))
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (key->matches(QKeySequence::MoveToStartOfDocument))
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (key->matches(QKeySequence::MoveToEndOfDocument))
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        return false;
    key->accept();
    return true;
}
