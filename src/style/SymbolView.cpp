#include "SymbolView.h"

#include "Symbols.h"

#include <QPainter>

SymbolView::SymbolView(const QString& name, int size, const QColor& color, QWidget* parent)
    : QWidget(parent), m_name(name), m_size(size), m_color(color)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolView::setSymbol(const QString& name, const QColor& color)
{
    if (name == m_name && color == m_color)
        return;
    m_name = name;
    m_color = color;
    update();
}

void SymbolView::setGradient(const QGradient& gradient)
{
    m_gradient = QBrush(gradient);
    // A gradient has no key of its own: the kept picture goes with the old brush.
    m_cache = {};
    update();
}

void SymbolView::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{m_name, m_color}, [this](QPainter& painter) {
        Symbols::paint(painter, m_name, rect(), m_gradient.value_or(QBrush(m_color)));
    });
}
