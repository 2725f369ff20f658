#include "RecommendationRow.h"

#include "CleanupColors.h"
#include "cleanup/CleanupCategories.h"
#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

RecommendationRow::RecommendationRow(const FileItem& item, const QString& home, bool isSelected, QWidget* parent)
    : RoundedPanel(8, Color::white10b(), parent)
{
    setObjectName("recommendationRow");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    m_mark = new SymbolButton("circle", 16, Color::white50(), this);
    m_mark->setToolTip(QStringLiteral("Select for cleaning"));
    m_mark->setObjectName("selectButton");
    connect(m_mark, &QAbstractButton::clicked, this, &RecommendationRow::toggled);
    row->addWidget(m_mark, 0, Qt::AlignVCenter);

    const CleanupSafety safety = CleanupCategories::cleanupDescriptor(item, home).safety;
    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    auto* name = new TextLabel(item.name, 12, QFont::Medium, Color::white95(), this);
    name->setObjectName("itemName");
    auto* reasons = new TextLabel(item.reasons.join(", "), 10, QFont::Normal, Color::white70(), this);
    reasons->setObjectName("itemReasons");
    for (TextLabel* line : {name, reasons})
        line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* level = new TextLabel(CleanupSafeties::rawValue(safety), 10, QFont::Bold, Color::onCard(CleanupColors::safety(safety)), this);
    level->setObjectName("itemSafety");
    text->addWidget(name);
    text->addWidget(reasons);
    text->addWidget(level);
    row->addLayout(text, 1);
    row->addWidget(new TextLabel(item.sizeFormatted, 12, QFont::Normal, Color::white70(), this), 0, Qt::AlignVCenter);
    auto* reveal = new SymbolButton("folder", 14, Color::white50(), this);
    reveal->setToolTip(QStringLiteral("Show in File Manager"));
    reveal->setObjectName("revealButton");
    connect(reveal, &QAbstractButton::clicked, this, &RecommendationRow::revealRequested);
    row->addWidget(reveal, 0, Qt::AlignVCenter);
    setSelected(isSelected);
}

void RecommendationRow::setSelected(bool selected)
{
    m_selected = selected;
    m_mark->setSymbol(selected ? "checkmark.circle.fill" : "circle", selected ? Color::neonGreen() : Color::white50());
}
