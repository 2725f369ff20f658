#include "OutlineButton.h"

#include "ActivityIndicator.h"
#include "Color.h"
#include "Symbols.h"

#include <QFontMetricsF>
#include <QPainterPath>

namespace {
constexpr qreal kOutlineOpacity = 0.3;
}

OutlineButton::OutlineButton(const QString& text, const QFont& font, const QColor& color, int verticalPadding,
                             qreal cornerRadius, QWidget* parent)
    : QAbstractButton(parent),
      m_font(font),
      m_color(color),
      m_verticalPadding(verticalPadding),
      m_cornerRadius(cornerRadius),
      m_indicator(new ActivityIndicator(qRound(QFontMetricsF(font).height() * 0.8), color, this))
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_indicator->hide();
}

void OutlineButton::setSymbol(const QString& name, int size)
{
    m_symbol = name;
    m_symbolSize = size;
    updateGeometry();
    update();
}

void OutlineButton::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    m_indicator->setVisible(busy);
    placeIndicator();
    update();
}

qreal OutlineButton::leadingWidth() const
{
    if (m_busy)
        return m_indicator->width();
    return m_symbol.isEmpty() ? 0 : m_symbolSize;
}

qreal OutlineButton::labelLeft() const
{
    const qreal leading = leadingWidth();
    const qreal label = QFontMetricsF(m_font).horizontalAdvance(text()) + (leading > 0 ? leading + labelSpacing : 0);
    return (width() - label) / 2;
}

QSize OutlineButton::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    const qreal leading = qMax<qreal>(m_symbol.isEmpty() ? 0 : m_symbolSize, m_indicator->width());
    const qreal height = qMax(metrics.height(), qreal(m_symbolSize));
    return QSizeF(metrics.horizontalAdvance(text()) + leading + labelSpacing + 2 * m_verticalPadding,
                  height + 2 * m_verticalPadding)
        .toSize();
}

void OutlineButton::placeIndicator()
{
    m_indicator->move(qRound(labelLeft()), (height() - m_indicator->height()) / 2);
}

void OutlineButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    placeIndicator();
}

void OutlineButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{text(), m_symbol, m_symbolSize, m_busy, isDown(), isEnabled()}, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, Color::white10b());
        QColor outline = m_color;
        outline.setAlphaF(float(kOutlineOpacity));
        painter.setPen(QPen(outline, 1.0));
        painter.drawPath(shape);
        if (isDown())
            painter.fillPath(shape, QColor(0, 0, 0, 50));

        QColor ink = m_color;
        if (!isEnabled())
            ink.setAlphaF(0.6f);
        qreal x = labelLeft();
        if (!m_busy && !m_symbol.isEmpty()) {
            Symbols::paint(painter, m_symbol, QRectF(x, (height() - m_symbolSize) / 2.0, m_symbolSize, m_symbolSize),
                           ink);
        }
        const qreal leading = leadingWidth();
        if (leading > 0)
            x += leading + labelSpacing;
        painter.setFont(m_font);
        painter.setPen(ink);
        painter.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    });
}
