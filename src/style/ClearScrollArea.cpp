#include "ClearScrollArea.h"

#include "KeptScrollBar.h"
#include "PageKeys.h"

#include <QKeyEvent>
#include <QScrollBar>

ClearScrollArea::ClearScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBar(new KeptScrollBar(Qt::Vertical, this));
    viewport()->setAutoFillBackground(false);
}

bool ClearScrollArea::event(QEvent* event)
{
    // With a frame, or a corner between two scroll bars, there is something to paint after all.
    if (event->type() == QEvent::Paint && frameShape() == QFrame::NoFrame
        && horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
        return true;
    return QScrollArea::event(event);
}

void ClearScrollArea::keyPressEvent(QKeyEvent* event)
{
    if (PageKeys::isPageKey(*event) && verticalScrollBar()->maximum() == verticalScrollBar()->minimum()) {
        event->ignore();
        return;
    }
    QScrollArea::keyPressEvent(event);
}
