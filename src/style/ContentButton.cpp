#include "ContentButton.h"

#include "SymbolView.h"
#include "TextLabel.h"

#include <QBoxLayout>
#include <QPaintEvent>
#include <QChildEvent>
#include <QPainter>
#include <QPainterPath>

ContentButton::ContentButton(Qt::Orientation direction, QWidget* parent)
    : QAbstractButton(parent),
      m_label(new QBoxLayout(direction == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom,
                             this))
{
    m_label->setContentsMargins(0, 0, 0, 0);
    // Labels inside take their colours from the window roles, as they do everywhere else.
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

ContentButton::ContentButton(const QString& symbol, const QString& text, int pixelSize, QFont::Weight weight,
                             const QColor& color, QWidget* parent)
    : ContentButton(Qt::Horizontal, parent)
{
    m_label->setSpacing(6);
    if (!symbol.isEmpty())
        m_label->addWidget(new SymbolView(symbol, pixelSize + 1, color, this), 0, Qt::AlignVCenter);
    m_label->addWidget(new TextLabel(text, pixelSize, weight, color, this), 0, Qt::AlignVCenter);
    setText(text);
}

void ContentButton::setBackground(const QColor& fill, qreal cornerRadius, const QColor& stroke)
{
    m_fill = fill;
    m_stroke = stroke;
    m_cornerRadius = cornerRadius;
    // The tile depends on these alone besides the size: it is made again at the next paint.
    m_cache = {};
    update();
}

QSize ContentButton::sizeHint() const
{
    return m_label->sizeHint();
}

QSize ContentButton::minimumSizeHint() const
{
    return m_label->minimumSize();
}

void ContentButton::paintEvent(QPaintEvent* event)
{
    if (m_fill.alpha() == 0 && m_stroke.alpha() == 0)
        return;
    QPainter target(this);
    m_cache.draw(target, size(), QString(), m_cornerRadius + 2, [this](QPainter& painter, const QRectF& bounds) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, m_fill);
        if (m_stroke.alpha() > 0)
            painter.strokePath(shape, QPen(m_stroke, 1));
    }, event->rect());
}

void ContentButton::childEvent(QChildEvent* event)
{
    QAbstractButton::childEvent(event);
    if (event->added() && event->child()->isWidgetType())
        static_cast<QWidget*>(event->child())->setAttribute(Qt::WA_TransparentForMouseEvents);
}
