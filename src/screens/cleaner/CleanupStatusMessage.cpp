#include "CleanupStatusMessage.h"

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

CleanupStatusMessage::CleanupStatusMessage(QWidget* parent) : QWidget(parent)
{
    setObjectName("statusMessage");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(8);
    row->addWidget(new SymbolView("checkmark.seal.fill", 14, Color::neonGreen(), this), 0, Qt::AlignVCenter);
    m_text = new TextLabel(QString(), 12, QFont::Medium, Color::white70(), this);
    m_text->setObjectName("statusMessageText");
    m_text->setWordWrap(true);
    m_text->setMaximumHeight(m_text->fontMetrics().lineSpacing() * 2);
    row->addWidget(m_text, 1);
}

void CleanupStatusMessage::setMessage(const QString& message)
{
    m_text->setText(message);
}

QString CleanupStatusMessage::message() const
{
    return m_text->text();
}

void CleanupStatusMessage::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), {}, kCornerRadius + 2, [](QPainter& painter, const QRectF& bounds) {
        QColor fill = Color::neonGreen();
        fill.setAlphaF(0.08f);
        QColor border = Color::neonGreen();
        border.setAlphaF(0.24f);
        RoundedPanel::paintShape(painter, bounds, kCornerRadius, fill, border);
    });
}
