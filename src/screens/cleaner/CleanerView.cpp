#include "CleanerView.h"

#include "CleanupStatusMessage.h"
#include "RecommendationsSection.h"
#include "ResultsSection.h"
#include "ScanButtonSection.h"
#include "ScanningProgressView.h"
#include "SmartCleanupPreviewCard.h"
#include "cleanup/DiskScanner.h"
#include "style/AppMessageBox.h"
#include "style/Color.h"
#include "style/PageKeys.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CleanerView::CleanerView(DiskScanner& scanner, QWidget* parent)
    : ClearScrollArea(parent), m_scanner(scanner), m_knownRecommendations(FileItem::ids(scanner.recommendations()))
{
    PageKeys::attach(this);
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);
    m_scanSection = new ScanButtonSection(m_scanner, content);
    m_status = new CleanupStatusMessage(content);
    m_progress = new ScanningProgressView(m_scanner, content);
    m_preview = new SmartCleanupPreviewCard(m_scanner, content);
    m_review = new RecommendationsSection(m_scanner, content);
    m_results = new ResultsSection(m_scanner, content);

    m_freedRow = new QWidget(content);
    m_freedRow->setObjectName("freedRow");
    auto* freed = new QHBoxLayout(m_freedRow);
    freed->setContentsMargins(0, 0, 0, 0);
    freed->addStretch(1);
    freed->addWidget(new SymbolView("checkmark.circle.fill", 16, Color::neonGreen(), m_freedRow));
    m_freedLabel = new TextLabel(QString(), 14, QFont::DemiBold, Color::neonGreen(), m_freedRow);
    m_freedLabel->setObjectName("freedLabel");
    freed->addWidget(m_freedLabel);
    freed->addStretch(1);

    for (QWidget* part : {static_cast<QWidget*>(m_scanSection), static_cast<QWidget*>(m_status),
                          static_cast<QWidget*>(m_progress), static_cast<QWidget*>(m_preview),
                          static_cast<QWidget*>(m_review), static_cast<QWidget*>(m_results), m_freedRow})
        stack->addWidget(part);
    stack->addStretch(1);
    setWidget(content);
    // Set after setWidget(), which turns it on: the backdrop shows through.
    content->setAutoFillBackground(false);

    connect(m_preview, &SmartCleanupPreviewCard::toggleCategory, this, &CleanerView::toggleCategory);
    connect(m_preview, &SmartCleanupPreviewCard::selectSafe, this, &CleanerView::selectSafeItems);
    connect(m_preview, &SmartCleanupPreviewCard::clearSelection, this, &CleanerView::clearSelection);
    connect(m_preview, &SmartCleanupPreviewCard::cleanSelected, this, &CleanerView::requestCleanup);
    connect(m_review, &RecommendationsSection::toggleItem, this, &CleanerView::toggleItem);
    connect(m_review, &RecommendationsSection::deleteRequested, this, &CleanerView::requestCleanup);
    connect(&m_scanner, &DiskScanner::recommendationsPublished, this, &CleanerView::applyDefaultSelection);
    connect(&m_scanner, &DiskScanner::changed, this, [this] {
        // A scan that ends with nothing to propose says so, rather than leaving the screen as it was.
        if (m_wasScanning && !m_scanner.isScanning() && m_scanner.recommendations().isEmpty())
            m_cleanMessage = nothingFoundMessage;
        m_wasScanning = m_scanner.isScanning();
        refresh();
    });
    refresh();
}

QString CleanerView::formatBytes(qint64 bytes)
{
    return DiskScanner::formatSize(bytes, 2);
}

QString CleanerView::confirmationMessage() const
{
    const qsizetype count = m_selectedItems.size();
    return "Move " + QString::number(count) + " selected item" + (count == 1 ? "" : "s") +
           " to the Trash? You can review or restore them from the Trash afterward.";
}

QString CleanerView::finishMessage(const TrashOutcome& outcome)
{
    QString message = "Cleaned " + QString::number(outcome.moved) + " items and freed " +
                      formatBytes(outcome.freedBytes);
    if (outcome.notMoved > 0)
        message += "; " + QString::number(outcome.notMoved) + " could not be moved";
    return message + ".";
}

void CleanerView::requestCleanup()
{
    if (m_selectedItems.isEmpty()) {
        setMessage(selectFirstMessage);
        return;
    }
    if (m_confirm)
        return;
    m_confirm = new AppMessageBox(AppMessageBox::Kind::warning, "Confirm Cleanup", this);
    m_confirm->setObjectName("cleanupConfirm");
    m_confirm->setInformativeText(confirmationMessage());
    QPushButton* cancel = m_confirm->addButton("Cancel", QMessageBox::RejectRole);
    QPushButton* move = m_confirm->addButton("Move to Trash", QMessageBox::DestructiveRole);
    cancel->setObjectName("cancelCleanup");
    move->setObjectName("confirmCleanup");
    m_confirm->setDefaultButton(cancel);
    m_confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_confirm, &QMessageBox::buttonClicked, this, [this, move](QAbstractButton* button) {
        if (button == move)
            cleanSelected();
    });
    m_confirm->open();
}

void CleanerView::cleanSelected()
{
    if (m_isCleaningSelected)
        return;
    QStringList paths;
    for (const FileItem& item : m_scanner.recommendations()) {
        if (m_selectedItems.contains(item.id))
            paths << item.path;
    }
    if (paths.isEmpty()) {
        setMessage(selectFirstMessage);
        return;
    }
    m_isCleaningSelected = true;
    setMessage(QString());
    m_scanner.moveToTrash(paths, [screen = QPointer<CleanerView>(this)](const TrashOutcome& outcome) {
        if (screen)
            screen->finishCleanup(outcome);
    });
}

void CleanerView::finishCleanup(const TrashOutcome& outcome)
{
    m_freedSpace += outcome.freedBytes;
    m_selectedItems.clear();
    m_isCleaningSelected = false;
    m_knownRecommendations = FileItem::ids(m_scanner.recommendations());
    setMessage(finishMessage(outcome));
}

void CleanerView::applyDefaultSelection()
{
    const QList<FileItem>& recommendations = m_scanner.recommendations();
    const QList<QUuid> ids = FileItem::ids(recommendations);
    if (ids == m_knownRecommendations)
        return;
    m_knownRecommendations = ids;
    m_selectedItems = CleanupCategories::safeItems(recommendations, m_scanner.home());
    setMessage(recommendations.isEmpty() ? QString() : previewReadyMessage);
}

void CleanerView::selectSafeItems()
{
    m_selectedItems = CleanupCategories::safeItems(m_scanner.recommendations(), m_scanner.home());
    refresh();
}

void CleanerView::clearSelection()
{
    m_selectedItems.clear();
    refresh();
}

void CleanerView::toggleCategory(const CleanupPreviewCategory& category)
{
    CleanupCategories::toggleCategory(m_selectedItems, category);
    refresh();
}

void CleanerView::toggleItem(const QUuid& id)
{
    if (!m_selectedItems.remove(id))
        m_selectedItems.insert(id);
    refresh();
}

void CleanerView::setMessage(const QString& message)
{
    m_cleanMessage = message;
    refresh();
}

void CleanerView::refresh()
{
    m_scanSection->refresh();
    m_status->setMessage(m_cleanMessage);
    m_status->setVisible(!m_cleanMessage.isEmpty());
    const bool scanning = m_scanner.isScanning();
    const bool proposals = !scanning && !m_scanner.recommendations().isEmpty();
    m_progress->setVisible(scanning);
    m_preview->setVisible(proposals);
    // A review that comes back after a rescan starts collapsed, as a new one would.
    if (proposals && m_review->isHidden())
        m_review->setExpanded(false);
    m_review->setVisible(proposals);
    m_results->setVisible(!scanning && !proposals);
    if (scanning)
        m_progress->refresh();
    else if (proposals) {
        m_preview->refresh(m_selectedItems, m_isCleaningSelected);
        m_review->refresh(m_selectedItems);
    } else {
        m_results->refresh();
    }
    m_freedRow->setVisible(m_freedSpace > 0);
    m_freedLabel->setText("Freed " + formatBytes(m_freedSpace));
}
