#include "FocusOrder.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QWidget>
#include <algorithm>

QList<QWidget*> FocusOrder::of(QWidget* root)
{
    Walk walk;
    walk.visited.insert(root);
    visitChildren(root, walk);
    return walk.found;
}

void FocusOrder::visitChildren(QWidget* widget, Walk& walk)
{
    if (widget->layout())
        visit(widget->layout(), walk);
    for (QObject* child : widget->children()) {
        if (child->isWidgetType())
            visit(static_cast<QWidget*>(child), walk);
    }
}

void FocusOrder::visit(QWidget* widget, Walk& walk)
{
    if (widget->isWindow() || walk.visited.contains(widget))
        return;
    walk.visited.insert(widget);
    if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
        walk.found.append(widget);
    visitChildren(widget, walk);
}

void FocusOrder::visit(QLayout* layout, Walk& walk)
{
    QList<QLayoutItem*> items;
    for (int i = 0; i < layout->count(); ++i)
        items.append(layout->itemAt(i));
    if (const auto* grid = qobject_cast<const QGridLayout*>(layout)) {
        const auto place = [grid](QLayoutItem* item) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(item), &row, &column, &rowSpan, &columnSpan);
            return std::pair(row, column);
        };
        std::stable_sort(items.begin(), items.end(),
                         [&place](QLayoutItem* a, QLayoutItem* b) { return place(a) < place(b); });
    } else if (const auto* box = qobject_cast<const QBoxLayout*>(layout)) {
        if (box->direction() == QBoxLayout::RightToLeft || box->direction() == QBoxLayout::BottomToTop)
            std::reverse(items.begin(), items.end());
    }
    for (QLayoutItem* item : std::as_const(items)) {
        if (QWidget* widget = item->widget())
            visit(widget, walk);
        else if (QLayout* inner = item->layout())
            visit(inner, walk);
    }
}

void FocusOrder::arrange(QWidget* window)
{
    const QList<QWidget*> order = of(window);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
