#include "TileButton.h"

#include "Color.h"
#include "Symbols.h"

#include <QFontMetricsF>
#include <QPainterPath>

TileButton::TileButton(int spacing, int verticalPadding, qreal cornerRadius, QWidget* parent)
    : QAbstractButton(parent), m_spacing(spacing), m_verticalPadding(verticalPadding), m_cornerRadius(cornerRadius)
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TileButton::setItems(const QList<Item>& items)
{
    if (items == m_items)
        return;
    m_items = items;
    updateGeometry();
    update();
}

void TileButton::setOutline(const QColor& color)
{
    if (color == m_outline)
        return;
    m_outline = color;
    update();
}

qreal TileButton::itemHeight(const Item& item) const
{
    return item.symbol.isEmpty() ? QFontMetricsF(item.font).height() : item.symbolSize;
}

QSize TileButton::sizeHint() const
{
    qreal height = 2 * m_verticalPadding + m_spacing * qMax<qsizetype>(0, m_items.size() - 1);
    qreal width = 0;
    for (const Item& item : m_items) {
        height += itemHeight(item);
        width = qMax(width, item.symbol.isEmpty() ? QFontMetricsF(item.font).horizontalAdvance(item.text)
                                                  : qreal(item.symbolSize));
    }
    return QSizeF(width + 16, height).toSize();
}

QSize TileButton::minimumSizeHint() const
{
    return {10, sizeHint().height()};
}

void TileButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    QString key = m_outline.name(QColor::HexArgb) + QString::number(isDown()) + QString::number(isEnabled());
    for (const Item& item : m_items)
        key += '|' + item.symbol + '|' + QString::number(item.symbolSize) + '|' + item.text + '|' + item.font.key() + '|'
               + item.color.name(QColor::HexArgb);
    m_cache.draw(target, *this, key, [this](QPainter& painter) { paintTile(painter); });
}

void TileButton::paintTile(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius, m_cornerRadius);
    painter.fillPath(shape, Color::white10b());
    if (m_outline.isValid()) {
        painter.setPen(QPen(m_outline, 1.0));
        painter.drawPath(shape);
    }
    if (isDown())
        painter.fillPath(shape, QColor(0, 0, 0, 50));
    if (!isEnabled())
        painter.setOpacity(0.5);

    qreal content = m_spacing * qMax<qsizetype>(0, m_items.size() - 1);
    for (const Item& item : m_items)
        content += itemHeight(item);
    qreal y = (height() - content) / 2;
    for (const Item& item : m_items) {
        const qreal h = itemHeight(item);
        if (!item.symbol.isEmpty()) {
            Symbols::paint(painter, item.symbol, QRectF((width() - h) / 2, y, h, h), item.color);
        } else {
            const QFontMetricsF metrics(item.font);
            painter.setFont(item.font);
            painter.setPen(item.color);
            painter.drawText(QRectF(4, y, width() - 8, h), Qt::AlignCenter,
                             metrics.elidedText(item.text, Qt::ElideRight, width() - 8));
        }
        y += h + m_spacing;
    }
}
