#pragma once

#include "cleanup/CleanupCategories.h"
#include "style/GlassModifier.h"

class CleanerButton;
class DiskScanner;
class QPropertyAnimation;
class QVBoxLayout;
class SymbolView;
class TextLabel;

// The item review: a header that opens and closes the list of every recommendation, with the
// selected count, and under the open list a button that asks the screen to clean the selection.
class RecommendationsSection : public GlassModifier {
    Q_OBJECT
public:
    static constexpr int expansionMs = 200;

    explicit RecommendationsSection(DiskScanner& scanner, QWidget* parent = nullptr);
    void refresh(const CleanupCategories::Selection& selection);
    bool isExpanded() const { return m_expanded; }
    // Animated, the list opens or closes over `expansionMs`, easing in and out.
    void setExpanded(bool expanded, bool animated = false);

signals:
    void toggleItem(const QUuid& id);
    void deleteRequested();

private:
    void rebuildRows();

    DiskScanner& m_scanner;
    CleanupCategories::Selection m_selection;
    bool m_expanded = false;
    // The identifiers the rows were built for.
    QList<QUuid> m_shown;
    TextLabel* m_count;
    SymbolView* m_chevron;
    // Holds the list and the clean button; its height is what the expansion animates.
    QWidget* m_drawer;
    QPropertyAnimation* m_expansion;
    QWidget* m_list;
    QVBoxLayout* m_rows;
    CleanerButton* m_clean;
};
