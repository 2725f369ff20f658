#pragma once

#include "style/ContentButton.h"
#include "tuning/FreezeCandidate.h"

class ElidedLabel;
class RoundedPanel;
class SymbolView;
class TextLabel;

// One running application that Background Freeze may pause: whether it is selected, its name,
// risk badge and reason, and whether it is paused now. The whole row is one button; a click asks
// for the candidate to be toggled and the row changes only when it is shown the new state.
class FreezeCandidateRow : public ContentButton {
    Q_OBJECT
public:
    FreezeCandidateRow(const FreezeCandidate& candidate, bool isSelected, bool isFrozen,
                       QWidget* parent = nullptr);

    void setCandidate(const FreezeCandidate& candidate, bool isSelected, bool isFrozen);

    const FreezeCandidate& candidate() const { return m_candidate; }
    bool isSelected() const { return m_isSelected; }
    bool isFrozen() const { return m_isFrozen; }

    SymbolView* mark() const { return m_mark; }
    ElidedLabel* nameLabel() const { return m_name; }
    TextLabel* badge() const { return m_badge; }
    ElidedLabel* reasonLabel() const { return m_reason; }
    RoundedPanel* stateDot() const { return m_stateDot; }
    TextLabel* stateLabel() const { return m_state; }

    static QColor riskColor(FreezeCandidate::Risk risk);

signals:
    void toggleRequested(const FreezeCandidate& candidate);

private:
    FreezeCandidate m_candidate;
    bool m_isSelected = false;
    bool m_isFrozen = false;
    SymbolView* m_mark;
    ElidedLabel* m_name;
    RoundedPanel* m_badgePanel;
    TextLabel* m_badge;
    ElidedLabel* m_reason;
    RoundedPanel* m_stateDot;
    TextLabel* m_state;
};
