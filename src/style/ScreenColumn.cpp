#include "ScreenColumn.h"

#include <QEvent>
#include <QVBoxLayout>

ScreenColumn::ScreenColumn(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    column->addStretch(1);
    setWidget(content);
    // Set after setWidget(), which turns it on: the backdrop shows through.
    content->setAutoFillBackground(false);
}

bool ScreenColumn::event(QEvent* event)
{
    // Without a frame or a second scroll bar it has nothing of its own to paint; the backdrop's
    // frames would otherwise run the frame's style code under every card each time.
    if (event->type() == QEvent::Paint)
        return true;
    return QScrollArea::event(event);
}

void ScreenColumn::addCards(std::initializer_list<QWidget*> cards)
{
    auto* column = static_cast<QVBoxLayout*>(widget()->layout());
    for (QWidget* card : cards)
        column->insertWidget(column->count() - 1, card);
}
