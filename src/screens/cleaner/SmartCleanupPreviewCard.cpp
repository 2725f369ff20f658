#include "SmartCleanupPreviewCard.h"

#include "CleanerButton.h"
#include "CleanupPreviewCategoryRow.h"
#include "cleanup/DiskScanner.h"
#include "style/Color.h"
#include "style/FocusKeeper.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

SmartCleanupPreviewCard::SmartCleanupPreviewCard(DiskScanner& scanner, QWidget* parent)
    : GlassModifier(16, 16, parent), m_scanner(scanner)
{
    setObjectName("previewCard");
    body()->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new SymbolView("shield.checkered", 18, Color::neonCyan(), this), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(new TextLabel("Smart Cleanup Preview", 16, QFont::DemiBold, Color::white95(), this));
    m_summary = new TextLabel(QString(), 11, QFont::Normal, Color::white70(), this);
    m_summary->setObjectName("previewSummary");
    titles->addWidget(m_summary);
    header->addLayout(titles, 1);
    m_selectedSize = new TextLabel(QString(), 11, QFont::DemiBold, Color::white50(), this);
    m_selectedSize->setObjectName("selectedSize");
    header->addWidget(m_selectedSize, 0, Qt::AlignVCenter);
    body()->addLayout(header);

    m_rows = new QVBoxLayout;
    m_rows->setSpacing(8);
    body()->addLayout(m_rows);

    auto* actions = new QHBoxLayout;
    actions->setSpacing(10);
    auto* safeOnly = new CleanerButton("checkmark.shield", "Safe Only", 12, Color::white95(), QSize(12, 9), 8, this);
    safeOnly->setObjectName("safeOnlyButton");
    safeOnly->setFill(Color::white10());
    auto* clear = new CleanerButton("xmark.circle", "Clear", 12, Color::white70(), QSize(12, 9), 8, this);
    clear->setObjectName("clearButton");
    clear->setFill(Color::white10());
    m_clean = new CleanerButton("trash", "Clean Selected", 13, Color::white95(), QSize(16, 10), 9, this);
    m_clean->setObjectName("cleanSelectedButton");
    connect(safeOnly, &QAbstractButton::clicked, this, &SmartCleanupPreviewCard::selectSafe);
    connect(clear, &QAbstractButton::clicked, this, &SmartCleanupPreviewCard::clearSelection);
    connect(m_clean, &QAbstractButton::clicked, this, &SmartCleanupPreviewCard::cleanSelected);
    actions->addWidget(safeOnly);
    actions->addWidget(clear);
    actions->addStretch(1);
    actions->addWidget(m_clean);
    body()->addLayout(actions);
}

void SmartCleanupPreviewCard::refresh(const CleanupCategories::Selection& selection, bool isCleaning)
{
    const QList<FileItem>& recommendations = m_scanner.recommendations();
    m_summary->setText(QString::number(recommendations.size()) + " items found - " +
                       DiskScanner::formatSize(CleanupCategories::totalSize(recommendations), 1) + " reclaimable");
    const qint64 selected = CleanupCategories::selectedSize(recommendations, selection);
    m_selectedSize->setText(DiskScanner::formatSize(selected, 1) + " selected");
    m_selectedSize->setColor(selected >= 1 ? Color::neonGreen() : Color::white50());

    // A row may be the one whose tap led here, so it goes once the tap is over.
    const FocusKeeper keep(this);
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    const QList<CleanupPreviewCategory> categories =
        CleanupCategories::makePreviewCategories(recommendations, m_scanner.home());
    for (const CleanupPreviewCategory& category : categories) {
        auto* row = new CleanupPreviewCategoryRow(category, CleanupCategories::selectedCount(category, selection), this);
        connect(row, &QAbstractButton::clicked, this, [this, category] { emit toggleCategory(category); });
        FocusKeeper::setKey(row, "category:" + category.name);
        m_rows->addWidget(row);
    }

    m_clean->setBusy(isCleaning);
    m_clean->setFill(selection.isEmpty() ? QBrush(Color::white10()) : QBrush(Color::accentGradient()));
    m_clean->setEnabled(!selection.isEmpty() && !isCleaning);
}
