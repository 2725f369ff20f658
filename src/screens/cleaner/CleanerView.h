#pragma once

#include "cleanup/CleanupCategories.h"
#include "cleanup/TrashOutcome.h"

#include <QMessageBox>
#include <QPointer>
#include "style/ClearScrollArea.h"

class CleanupStatusMessage;
class DiskScanner;
class RecommendationsSection;
class ResultsSection;
class ScanButtonSection;
class ScanningProgressView;
class SmartCleanupPreviewCard;
class TextLabel;

// The Cleaner screen over the root view's disk scanner, which it borrows: start a deep scan, watch
// it, review what it proposes by category or item by item, and move the chosen items to the Trash
// after a confirmation. The selection, the freed total and the status line live as long as the
// screen.
class CleanerView : public ClearScrollArea {
    Q_OBJECT
public:
    static inline const QString selectFirstMessage = QStringLiteral("Select at least one cleanup item first.");
    static inline const QString nothingFoundMessage =
        QStringLiteral("Scan complete. Nothing was found to clean.");
    static inline const QString previewReadyMessage =
        QStringLiteral("Preview ready. Safe cleanup items are selected by default.");

    explicit CleanerView(DiskScanner& scanner, QWidget* parent = nullptr);

    const CleanupCategories::Selection& selectedItems() const { return m_selectedItems; }
    qint64 freedSpace() const { return m_freedSpace; }
    bool isCleaningSelected() const { return m_isCleaningSelected; }
    QString cleanMessage() const { return m_cleanMessage; }
    QString confirmationMessage() const;
    // Bytes with two decimals, as the "Freed" row and the messages show them.
    static QString formatBytes(qint64 bytes);
    // The message after a move to the Trash: what moved, what it freed, what could not be moved.
    static QString finishMessage(const TrashOutcome& outcome);

    void requestCleanup();
    void cleanSelected();
    void selectSafeItems();
    void clearSelection();
    void toggleCategory(const CleanupPreviewCategory& category);
    void toggleItem(const QUuid& id);

private:
    void applyDefaultSelection();
    void finishCleanup(const TrashOutcome& outcome);
    void setMessage(const QString& message);
    void refresh();

    DiskScanner& m_scanner;
    CleanupCategories::Selection m_selectedItems;
    qint64 m_freedSpace = 0;
    bool m_isCleaningSelected = false;
    QString m_cleanMessage;
    // The recommendations the selection was last made for.
    QList<QUuid> m_knownRecommendations;
    bool m_wasScanning = false;

    ScanButtonSection* m_scanSection;
    CleanupStatusMessage* m_status;
    ScanningProgressView* m_progress;
    SmartCleanupPreviewCard* m_preview;
    RecommendationsSection* m_review;
    ResultsSection* m_results;
    QWidget* m_freedRow;
    TextLabel* m_freedLabel;
    QPointer<QMessageBox> m_confirm;
};
