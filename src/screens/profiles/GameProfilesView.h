#pragma once

#include "style/ScreenColumn.h"
#include "tuning/GameProfile.h"

#include <QDialog>
#include <QPointer>
#include <optional>

class CustomGameForm;
class FlowLayout;
class GameProfileManager;
class GlassModifier;
class QGridLayout;
class QVBoxLayout;
class SystemOptimizer;
class TextLabel;

// The "Game Profiles" screen: the profiles of the shared manager, which one is applied, the
// installed games it found; applies a profile by hand, switches the applied one off, and edits,
// deletes and adds profiles through the manager, the editor in a sheet.
class GameProfilesView : public ScreenColumn {
    Q_OBJECT
public:
    static inline const QString newProfileIcon = QStringLiteral("gamecontroller");
    static inline const QString saveFailedMessage = QStringLiteral("Profiles could not be saved.");

    GameProfilesView(GameProfileManager& profileManager, SystemOptimizer& optimizer,
                     QWidget* parent = nullptr);

    // Derived from the manager's list: the built-in profiles and the user's own, in list order.
    QList<GameProfile> presetProfiles() const;
    QList<GameProfile> customProfiles() const;

    // "1 game found. …", "2 games found. …".
    static QString installedGamesText(qsizetype count);
    // A custom row's detail: the frame limit and the switches that are on; empty without a limit.
    static QString detailLine(const GameProfile& profile);

    // The sheets: at most one is open.
    bool isAddSheetShown() const { return m_showCustomAdd; }
    const std::optional<GameProfile>& editingProfile() const { return m_editingProfile; }
    // The open sheet's form, if any.
    CustomGameForm* sheetForm() const;
    QDialog* sheet() const { return m_sheet; }

    void applyProfile(const QString& id);
    // Forgets the applied profile and turns keep-awake and mute off; the frame limit and Game Mode stay.
    void deactivateProfile();
    // Opens the editor for the profile of that id; an id no longer there does nothing.
    void editPreset(const QString& id);
    void editProfile(const GameProfile& profile);
    // Removes the first profile that has the id now.
    void deleteProfile(const QString& id);
    void openAddSheet();
    void saveNewProfile(const GameProfile& profile);
    void saveEditedProfile(const GameProfile& profile);

private:
    QWidget* headerCard();
    QWidget* activeBanner();
    QWidget* installedCard();
    QWidget* presetCard();
    QWidget* customCard();
    void scheduleRefresh();
    void refresh();
    void refreshInstalled();
    void refreshPresets();
    void refreshCustom();
    QWidget* customRow(const GameProfile& profile);
    void presentSheet(CustomGameForm* form);
    void closeSheet();

    GameProfileManager& m_profileManager;
    SystemOptimizer& m_optimizer;
    bool m_showCustomAdd = false;
    std::optional<GameProfile> m_editingProfile;
    QPointer<QDialog> m_sheet;
    bool m_refreshPending = false;

    TextLabel* m_saveFailedLabel = nullptr;
    QWidget* m_banner = nullptr;
    TextLabel* m_bannerTitle = nullptr;
    TextLabel* m_bannerDetail = nullptr;
    GlassModifier* m_installed = nullptr;
    TextLabel* m_installedText = nullptr;
    QWidget* m_chips = nullptr;
    QWidget* m_presetGrid = nullptr;
    GlassModifier* m_custom = nullptr;
    QWidget* m_customRows = nullptr;
};
