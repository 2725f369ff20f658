#include "SymbolTileButton.h"

#include "Color.h"
#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>

SymbolTileButton::SymbolTileButton(const QString& symbol, int symbolSize, const QColor& symbolColor, int tileSize,
                                   qreal cornerRadius, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_symbolSize(symbolSize), m_symbolColor(symbolColor),
      m_tileSize(tileSize), m_cornerRadius(cornerRadius), m_tile(Color::white10())
{
    setFixedSize(tileSize, tileSize);
    setCursor(Qt::PointingHandCursor);
}

void SymbolTileButton::setTile(const QBrush& brush)
{
    m_tile = brush;
    // A brush has no key of its own: the kept picture goes with the old one.
    m_cache = {};
    update();
}

void SymbolTileButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(isEnabled()), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled())
            painter.setOpacity(0.5);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, m_tile);
        const qreal inset = (m_tileSize - m_symbolSize) / 2.0;
        Symbols::paint(painter, m_symbol, QRectF(inset, inset, m_symbolSize, m_symbolSize), m_symbolColor);
    });
}
