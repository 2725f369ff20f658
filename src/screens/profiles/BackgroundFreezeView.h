#pragma once

#include "style/ScreenColumn.h"
#include "tuning/FocusFreezeManager.h"

#include <memory>
#include <optional>

class FreezeCandidateRow;
class GameProfileManager;
class RoundedPanel;
class SwitchToggle;
class TextLabel;

// The "Background Freeze" screen. It owns the screen's Background Freeze manager, links it to the
// profile applied on the Game Profiles screen when shown and whenever that changes, and forwards
// the switch, the candidate choices, Safe Only, refresh and Resume All to it. Whatever the manager
// paused is resumed when the screen goes, since the manager goes with it.
class BackgroundFreezeView : public ScreenColumn {
    Q_OBJECT
public:
    static constexpr int maxRows = 10;

    BackgroundFreezeView(GameProfileManager& profileManager, const FocusFreezeManager::Services& services,
                         const FocusFreezeManager::Options& options = {}, QWidget* parent = nullptr);

    FocusFreezeManager& freezeManager() const { return *m_freezeManager; }
    // The applied profile as the manager now has it; none when nothing is applied or its id is gone.
    std::optional<GameProfile> linkedProfile() const;
    // How many running candidates are selected.
    int selectedCount() const;

    void linkActiveProfile();
    void selectSafeOnly();
    void toggleCandidate(const FreezeCandidate& candidate);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* headerCard();
    QWidget* controlsCard();
    void refresh();

    GameProfileManager& m_profileManager;
    std::unique_ptr<FocusFreezeManager> m_freezeManager;
    bool m_shown = false;
    std::optional<QString> m_linkedID;

    TextLabel* m_description = nullptr;
    TextLabel* m_linkedLabel = nullptr;
    SwitchToggle* m_switch = nullptr;
    RoundedPanel* m_statusDot = nullptr;
    TextLabel* m_status = nullptr;
    QWidget* m_emptyRow = nullptr;
    QWidget* m_listHeader = nullptr;
    TextLabel* m_count = nullptr;
    QList<FreezeCandidateRow*> m_rows;
};
