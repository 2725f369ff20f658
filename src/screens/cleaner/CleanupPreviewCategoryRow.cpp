#include "CleanupPreviewCategoryRow.h"

#include "CleanupColors.h"
#include "cleanup/DiskScanner.h"
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

CleanupPreviewCategoryRow::CleanupPreviewCategoryRow(const CleanupPreviewCategory& category, int selectedCount,
                                                     QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName("categoryRow:" + category.name);
    setCursor(Qt::PointingHandCursor);
    const QColor safety = CleanupColors::safety(category.safety);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(10);

    auto* mark = new SymbolView(selectedCount > 0 ? "checkmark.circle.fill" : "circle", 16,
                                selectedCount > 0 ? safety : Color::white50(), this);
    mark->setObjectName("selectionMark");
    row->addWidget(mark, 0, Qt::AlignVCenter);
    auto* icon = new SymbolView(category.icon, 14, CleanupColors::tint(category.color), this);
    icon->setFixedWidth(18);
    row->addWidget(icon, 0, Qt::AlignVCenter);

    auto* text = new QVBoxLayout;
    text->setSpacing(3);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    title->addWidget(new TextLabel(category.name, 12, QFont::DemiBold, Color::white95(), this));
    QColor badgeFill = safety;
    badgeFill.setAlphaF(0.12f);
    auto* badge = new RoundedPanel(5, badgeFill, this);
    auto* badgeRow = new QHBoxLayout(badge);
    badgeRow->setContentsMargins(6, 2, 6, 2);
    badgeRow->addWidget(new TextLabel(CleanupSafeties::rawValue(category.safety), 10, QFont::Bold, safety, badge));
    title->addWidget(badge);
    title->addStretch(1);
    text->addLayout(title);
    auto* reason = new TextLabel(category.reason, 10, QFont::Normal, Color::white50(), this);
    reason->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    text->addWidget(reason);
    row->addLayout(text, 1);

    auto* figures = new QVBoxLayout;
    figures->setSpacing(3);
    figures->addWidget(new TextLabel(DiskScanner::formatSize(category.size, 1), 12, QFont::DemiBold, Color::white95(),
                                     this),
                       0, Qt::AlignRight);
    auto* count = new TextLabel(QString("%1/%2").arg(selectedCount).arg(category.count), 10, QFont::Normal,
                                Color::white50(), this);
    count->setObjectName("selectedCount");
    figures->addWidget(count, 0, Qt::AlignRight);
    row->addLayout(figures);

    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize CleanupPreviewCategoryRow::sizeHint() const
{
    return layout()->sizeHint();
}

void CleanupPreviewCategoryRow::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), {}, kCornerRadius + 2, [](QPainter& painter, const QRectF& bounds) {
        RoundedPanel::paintShape(painter, bounds, kCornerRadius, Color::white10(), Qt::transparent);
    });
}
