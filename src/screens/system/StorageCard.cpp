#include "StorageCard.h"

#include "PieChartView.h"
#include "StorageBreakdown.h"
#include "StorageUsageBar.h"
#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/ColorDot.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <cmath>

StorageCard::StorageCard(qint64 totalStorage, qint64 usedStorage, qint64 freeStorage,
                         const QList<StorageCategory>& categories, QWidget* parent)
    : GlassModifier(16, 16, parent)
{
    body()->setSpacing(12);
    body()->addWidget(new CardHeader("internaldrive", Color::neonCyan(), "Storage", this, 16));

    auto* usage = new QVBoxLayout;
    usage->setSpacing(4);
    usage->setContentsMargins(0, 0, 0, 4);
    auto* bar = new StorageUsageBar(StorageBreakdown::usedFraction(totalStorage, usedStorage), this);
    bar->setObjectName("usageBar");
    usage->addWidget(bar);
    auto* sizes = new QHBoxLayout;
    auto* used = new TextLabel("Used: " + StorageBreakdown::formatBytes(usedStorage), 10, QFont::Normal,
                               Color::white70(), this);
    used->setObjectName("usedText");
    auto* free = new TextLabel("Free: " + StorageBreakdown::formatBytes(freeStorage), 10, QFont::Normal,
                               Color::white70(), this);
    free->setObjectName("freeText");
    sizes->addWidget(used);
    sizes->addStretch(1);
    sizes->addWidget(free);
    usage->addLayout(sizes);
    body()->addLayout(usage);

    if (categories.isEmpty())
        return;
    auto* pie = new PieChartView(categories, this);
    pie->setObjectName("pieChart");
    body()->addWidget(pie);
    double total = 0;
    for (const StorageCategory& category : categories)
        total += double(category.size);
    for (const StorageCategory& category : categories)
        body()->addWidget(categoryRow(category, total));
}

int StorageCard::percentOf(qint64 size, double total)
{
    const double percent = double(size) / total * 100.0;
    return std::isfinite(percent) ? int(std::trunc(percent)) : 0;
}

QWidget* StorageCard::categoryRow(const StorageCategory& category, double total)
{
    auto* widget = new QWidget(this);
    widget->setObjectName("category:" + category.name);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new ColorDot(category.color, 8, widget), 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(category.name, 11, QFont::Normal, Color::white70(), widget), 0,
                   Qt::AlignVCenter);
    row->addStretch(1);
    auto* size = new TextLabel(StorageBreakdown::formatBytes(category.size), 11, QFont::Medium,
                               Color::white95(), widget);
    size->setObjectName("categorySize");
    row->addWidget(size, 0, Qt::AlignVCenter);
    auto* share = new TextLabel("(" + QString::number(percentOf(category.size, total)) + "%)", 10,
                                QFont::Normal, Color::white50(), widget);
    share->setObjectName("categoryShare");
    row->addWidget(share, 0, Qt::AlignVCenter);
    return widget;
}
