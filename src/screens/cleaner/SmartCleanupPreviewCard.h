#pragma once

#include "cleanup/CleanupCategories.h"
#include "style/GlassModifier.h"

class CleanerButton;
class DiskScanner;
class QVBoxLayout;
class TextLabel;

// The Smart Cleanup Preview: what the scan found per category, with the selection's size, and the
// Safe Only, Clear and Clean Selected actions. The selection belongs to the Cleaner screen; the
// card shows it and reports taps.
class SmartCleanupPreviewCard : public GlassModifier {
    Q_OBJECT
public:
    explicit SmartCleanupPreviewCard(DiskScanner& scanner, QWidget* parent = nullptr);
    void refresh(const CleanupCategories::Selection& selection, bool isCleaning);

signals:
    void toggleCategory(const CleanupPreviewCategory& category);
    void selectSafe();
    void clearSelection();
    void cleanSelected();

private:
    DiskScanner& m_scanner;
    TextLabel* m_summary;
    TextLabel* m_selectedSize;
    QVBoxLayout* m_rows;
    CleanerButton* m_clean;
};
