#include "PerformanceWarningToast.h"

#include "PerformanceWarnings.h"
#include "storage/ColorBlindMode.h"
#include "style/Color.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPainterPath>
#include <algorithm>

namespace {

bool sameWarnings(const QList<PerformanceWarningItem>& a, const QList<PerformanceWarningItem>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const PerformanceWarningItem& x, const PerformanceWarningItem& y) { return x.sameContent(y); });
}

} // namespace

PerformanceWarningToast::PerformanceWarningToast(QWidget* parent)
    : QWidget(parent), m_tint(PerformanceWarnings::toastTint({}, ColorBlindMode::enabled())), m_rows(new QVBoxLayout)
{
    auto* stack = new QHBoxLayout(this);
    stack->setContentsMargins(14, 14, 14, 14);
    stack->setSpacing(12);

    m_badge = new RoundedPanel(8, Color::withOpacity(m_tint, 0.12f), this);
    m_badge->setObjectName("warningBadge");
    m_badge->setFixedSize(28, 28);
    auto* badgeLayout = new QVBoxLayout(m_badge);
    badgeLayout->setContentsMargins(0, 0, 0, 0);
    m_badgeSymbol = new SymbolView("exclamationmark.triangle.fill", 16, m_tint, m_badge);
    m_badgeSymbol->setObjectName("warningBadgeSymbol");
    badgeLayout->addWidget(m_badgeSymbol, 0, Qt::AlignCenter);
    stack->addWidget(m_badge, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    column->addWidget(new TextLabel("Performance Warning", 13, QFont::DemiBold, Color::white95(), this));
    m_rows->setSpacing(8);
    column->addLayout(m_rows);
    stack->addLayout(column, 1);
}

void PerformanceWarningToast::setWarnings(const QList<PerformanceWarningItem>& warnings)
{
    if (sameWarnings(warnings, m_warnings))
        return;
    m_warnings = warnings;
    m_tint = PerformanceWarnings::toastTint(warnings, ColorBlindMode::enabled());
    m_badge->setColor(Color::withOpacity(m_tint, 0.12f));
    m_badgeSymbol->setSymbol(m_badgeSymbol->symbol(), m_tint);
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const PerformanceWarningItem& warning : warnings)
        m_rows->addWidget(buildRow(warning));
    update();
}

QWidget* PerformanceWarningToast::buildRow(const PerformanceWarningItem& warning)
{
    auto* widget = new QWidget(this);
    widget->setObjectName("warning:" + warning.title);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* iconFrame = new QWidget(widget);
    iconFrame->setFixedWidth(14);
    auto* frameLayout = new QVBoxLayout(iconFrame);
    frameLayout->setContentsMargins(0, 2, 0, 0);
    frameLayout->addWidget(new SymbolView(warning.icon, 10, warning.color, iconFrame), 0, Qt::AlignHCenter | Qt::AlignTop);
    row->addWidget(iconFrame, 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    auto* title = new TextLabel(warning.title, 11, QFont::DemiBold, Color::onCard(warning.color), widget);
    title->setObjectName("warningTitle");
    auto* message = new TextLabel(warning.message, 11, QFont::Normal, Color::white70(), widget);
    message->setObjectName("warningMessage");
    message->setWordWrap(true);
    text->addWidget(title);
    text->addWidget(message);
    row->addLayout(text, 1);
    return widget;
}

void PerformanceWarningToast::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, m_tint.name(QColor::HexArgb), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
        painter.fillPath(shape, Color::withOpacity(m_tint, 0.08f));
        painter.setPen(QPen(Color::withOpacity(m_tint, 0.25f), 1.0));
        painter.drawPath(shape);
    });
}
