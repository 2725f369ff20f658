#include "RestoreButton.h"

#include "style/Color.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal kCornerRadius = 10;
}

RestoreButton::RestoreButton(QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 12, 0, 12);
    row->setSpacing(6);
    row->addStretch(1);
    row->addWidget(new SymbolView("arrow.counterclockwise", 13, Color::white70(), this), 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel("Restore Default Resolution", 13, QFont::Medium, Color::white70(), this), 0,
                   Qt::AlignVCenter);
    row->addStretch(1);
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize RestoreButton::sizeHint() const
{
    return layout()->sizeHint();
}

void RestoreButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"), kCornerRadius + 2,
                 [this](QPainter& painter, const QRectF& bounds) {
                     if (!isEnabled())
                         painter.setOpacity(0.5);
                     RoundedPanel::paintShape(painter, bounds, kCornerRadius, Color::white10b(), Qt::transparent);
                 });
}
