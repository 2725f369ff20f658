#include "BoostActionRow.h"

#include "style/Color.h"
#include "style/Fonts.h"
#include "style/Symbols.h"

#include <QFontMetrics>
#include <QPainter>

BoostActionRow::BoostActionRow(const QuickBoostResult::QuickBoostAction& action, QWidget* parent)
    : QWidget(parent), m_label(action.label), m_success(action.success), m_font(Fonts::ui(11))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString BoostActionRow::symbol() const
{
    return m_success ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("xmark.circle.fill");
}

QColor BoostActionRow::markColor() const
{
    return m_success ? Color::neonCyan() : Color::systemRed();
}

void BoostActionRow::setEntrance(qreal progress)
{
    m_entrance = progress;
    update();
}

QSize BoostActionRow::sizeHint() const
{
    const QFontMetrics metrics(m_font);
    return {markSize + spacing + metrics.horizontalAdvance(m_label), qMax(markSize, metrics.height())};
}

void BoostActionRow::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    // Each frame of the entrance differs, overshoot past the resting place included: only the row
    // at rest is kept.
    if (m_entrance != 1.0) {
        paintRow(target);
        return;
    }
    m_cache.draw(target, *this, {}, [this](QPainter& painter) { paintRow(painter); });
}

void BoostActionRow::paintRow(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(qBound(0.0, m_entrance, 1.0));
    const qreal x = -entranceOffset * (1.0 - m_entrance);
    Symbols::paint(painter, symbol(), QRectF(x, (height() - markSize) / 2.0, markSize, markSize), markColor());
    const qreal textLeft = x + markSize + spacing;
    painter.setFont(m_font);
    painter.setPen(Color::white70());
    painter.drawText(QRectF(textLeft, 0, width() - textLeft, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(m_font).elidedText(m_label, Qt::ElideRight, int(width() - textLeft)));
}
