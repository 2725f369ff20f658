#include "ScreenColumn.h"

#include "PageKeys.h"

#include <QVBoxLayout>

ScreenColumn::ScreenColumn(QWidget* parent) : ClearScrollArea(parent)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    column->addStretch(1);
    setWidget(content);
    // Set after setWidget(), which turns it on: the backdrop shows through.
    content->setAutoFillBackground(false);
    PageKeys::attach(this);
}

void ScreenColumn::addCards(std::initializer_list<QWidget*> cards)
{
    auto* column = static_cast<QVBoxLayout*>(widget()->layout());
    for (QWidget* card : cards)
        column->insertWidget(column->count() - 1, card);
}
