#include "DisplayModeRow.h"

#include "style/Color.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr qreal kCornerRadius = 8;
}

DisplayModeRow::DisplayModeRow(const DisplayModeOption& option, bool isSelected, QWidget* parent)
    : QAbstractButton(parent), m_option(option), m_isSelected(isSelected)
{
    setCursor(Qt::PointingHandCursor);
    // A click must not take the focus: the row is replaced once the switch is done, and a focused
    // row that goes away hands the focus on, which scrolls the list to the widget that takes it.
    setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(8);
    row->addWidget(option.isCurrent ? new SymbolView("checkmark.circle.fill", 14, Color::neonGreen(), this)
                                    : new SymbolView("circle", 14, Color::white50(), this),
                   0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* label = new TextLabel(option.label(), 13, option.isCurrent ? QFont::DemiBold : QFont::Normal,
                                option.isCurrent ? Color::neonCyan() : Color::white95(), this);
    label->setObjectName("modeLabel");
    texts->addWidget(label);
    if (option.hiDPI) {
        texts->addWidget(new TextLabel(QStringLiteral("%1 x %2 (HiDPI)").arg(option.width).arg(option.height), 10,
                                       QFont::Normal, Color::white50(), this));
    }
    row->addLayout(texts, 1);

    if (option.isCurrent) {
        auto* badge = new RoundedPanel(4, QColor(Color::neonGreen().red(), Color::neonGreen().green(),
                                                 Color::neonGreen().blue(), qRound(0.15 * 255)),
                                       this);
        badge->setObjectName("currentBadge");
        auto* badgeLayout = new QHBoxLayout(badge);
        badgeLayout->setContentsMargins(8, 3, 8, 3);
        badgeLayout->addWidget(new TextLabel("Current", 10, QFont::Medium, Color::neonGreen(), badge));
        row->addWidget(badge, 0, Qt::AlignVCenter);
    }
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize DisplayModeRow::sizeHint() const
{
    return layout()->sizeHint();
}

void DisplayModeRow::paintEvent(QPaintEvent*)
{
    if (!m_isSelected)
        return;
    QPainter target(this);
    m_cache.draw(target, size(), {}, kCornerRadius + 2, [](QPainter& painter, const QRectF& bounds) {
        RoundedPanel::paintShape(painter, bounds, kCornerRadius, Color::white10b(), Qt::transparent);
    });
}
