#include "FlowLayout.h"

#include <QWidget>

FlowLayout::FlowLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent)
    : QLayout(parent), m_horizontal(horizontalSpacing), m_vertical(verticalSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::sizeHint() const
{
    return minimumSize();
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int y = area.y();
    qsizetype first = 0;
    while (first < m_items.size()) {
        // Fill one line, then centre it.
        qsizetype end = first;
        int lineWidth = 0;
        int lineHeight = 0;
        while (end < m_items.size()) {
            const QSize hint = m_items[end]->sizeHint();
            const int widened = lineWidth + (end > first ? m_horizontal : 0) + hint.width();
            if (end > first && widened > area.width())
                break;
            lineWidth = widened;
            lineHeight = std::max(lineHeight, hint.height());
            ++end;
        }
        if (apply) {
            int x = area.x() + std::max(0, (area.width() - lineWidth) / 2);
            for (qsizetype i = first; i < end; ++i) {
                const QSize hint = m_items[i]->sizeHint();
                m_items[i]->setGeometry(QRect(QPoint(x, y + (lineHeight - hint.height()) / 2), hint));
                x += hint.width() + m_horizontal;
            }
        }
        y += lineHeight + m_vertical;
        first = end;
    }
    const QMargins margins = contentsMargins();
    return (m_items.isEmpty() ? area.y() : y - m_vertical) - rect.y() + margins.bottom();
}
