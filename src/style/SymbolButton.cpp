#include "SymbolButton.h"

#include "Symbols.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString& name, int size, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), m_name(name), m_size(size), m_color(color)
{
    setFixedSize(size, size);
    setCursor(Qt::PointingHandCursor);
}

void SymbolButton::setSymbol(const QString& name, const QColor& color)
{
    m_name = name;
    m_color = color;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{m_name, m_color, isDown()}, [this](QPainter& painter) {
        if (isDown())
            painter.setOpacity(0.7);
        Symbols::paint(painter, m_name, rect(), m_color);
    });
}
