#include "GameProfilesView.h"

#include "CustomGameForm.h"
#include "HowItWorks.h"
#include "PresetCard.h"
#include "style/Color.h"
#include "style/ContentButton.h"
#include "style/FlowLayout.h"
#include "style/FocusKeeper.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/PlainButton.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "tuning/GameProfileManager.h"
#include "tuning/SystemOptimizer.h"

#include <QDialog>
#include <QGridLayout>
#include <QUuid>
#include <QVBoxLayout>

namespace {

GlassModifier* sectionCard(const QString& symbol, const QColor& symbolColor, const QString& title,
                           int spacing, const QString& objectName, QWidget* parent)
{
    auto* card = new GlassModifier(16, 16, parent);
    card->setObjectName(objectName);
    card->body()->setSpacing(spacing);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new SymbolView(symbol, 16, symbolColor, card), 0, Qt::AlignVCenter);
    header->addWidget(new TextLabel(title, 16, QFont::DemiBold, Color::white95(), card), 0, Qt::AlignVCenter);
    header->addStretch(1);
    card->body()->addLayout(header);
    return card;
}

TextLabel* wrapped(const QString& text, int pixelSize, const QColor& color, QWidget* parent)
{
    auto* label = new TextLabel(text, pixelSize, QFont::Normal, color, parent);
    label->setWordWrap(true);
    return label;
}

// Empties a container's layout, deleting what it held.
void clear(QWidget* container)
{
    while (QLayoutItem* item = container->layout()->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

QWidget* chip(const QString& name, QWidget* parent)
{
    auto* chip = new RoundedPanel(8, Color::white10b(), parent);
    chip->setObjectName("installedChip");
    auto* row = new QHBoxLayout(chip);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(4);
    row->addWidget(new SymbolView("checkmark.circle.fill", 10, Color::neonGreen(), chip), 0,
                   Qt::AlignVCenter);
    row->addWidget(new TextLabel(name, 11, QFont::Normal, Color::white95(), chip), 0, Qt::AlignVCenter);
    return chip;
}

} // namespace

GameProfilesView::GameProfilesView(GameProfileManager& profileManager, SystemOptimizer& optimizer,
                                   QWidget* parent)
    : ScreenColumn(parent), m_profileManager(profileManager), m_optimizer(optimizer)
{
    m_saveFailedLabel = new TextLabel(saveFailedMessage, 12, QFont::DemiBold, Color::onCard(Color::statusCritical()), this);
    m_saveFailedLabel->setObjectName("saveFailedMessage");
    addCards({m_saveFailedLabel,
              headerCard(),
              activeBanner(),
              installedCard(),
              presetCard(),
              customCard(),
              HowItWorks::card(
                  {"Tap a preset to apply it immediately", "Tap the gear icon to customize any profile's settings",
                   "Changes auto-save and persist across restarts", "Profiles auto-activate when the game launches"},
                  widget())});

    connect(&m_profileManager, &GameProfileManager::changed, this, &GameProfilesView::scheduleRefresh);
    refresh();
}

QList<GameProfile> GameProfilesView::presetProfiles() const
{
    QList<GameProfile> presets;
    for (const GameProfile& profile : m_profileManager.profiles()) {
        if (m_profileManager.presetIDs().contains(profile.id))
            presets.append(profile);
    }
    return presets;
}

QList<GameProfile> GameProfilesView::customProfiles() const
{
    QList<GameProfile> custom;
    for (const GameProfile& profile : m_profileManager.profiles()) {
        if (!m_profileManager.presetIDs().contains(profile.id))
            custom.append(profile);
    }
    return custom;
}

QString GameProfilesView::installedGamesText(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" game") + (count > 1 ? QStringLiteral("s") : QString()) +
           QStringLiteral(" found. Profiles auto-apply when launched.");
}

QString GameProfilesView::detailLine(const GameProfile& profile)
{
    if (profile.frameLimit < 1)
        return {};
    QString line = PresetCard::frameLimitText(profile.frameLimit);
    const QString separator = QStringLiteral(" \u00B7 ");
    if (profile.enableAntiShut)
        line += separator + QStringLiteral("Anti-Shut");
    if (profile.enableFocusMode)
        line += separator + QStringLiteral("Focus");
    if (profile.boostPriority)
        line += separator + QStringLiteral("Boost");
    return line;
}

QWidget* GameProfilesView::headerCard()
{
    auto* card = sectionCard("gamecontroller", Color::neonCyan(), "Game Profiles", 12, "headerCard", this);
    card->body()->addWidget(
        wrapped("Profiles auto-apply when a game launches. Tap to apply, tap the gear to customize "
                "— changes save automatically.",
                12, Color::white70(), card));
    return card;
}

QWidget* GameProfilesView::activeBanner()
{
    auto* banner = new RoundedPanel(12, Color::withOpacity(Color::neonGreen(), 0.1), this);
    banner->setStroke(Color::withOpacity(Color::neonGreen(), 0.3));
    banner->setObjectName("activeBanner");
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    row->addWidget(new SymbolView("checkmark.circle.fill", 20, Color::neonGreen(), banner), 0,
                   Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_bannerTitle = new TextLabel({}, 14, QFont::DemiBold, Color::white95(), banner);
    m_bannerTitle->setObjectName("activeTitle");
    texts->addWidget(m_bannerTitle);
    m_bannerDetail = new TextLabel({}, 11, QFont::Normal, Color::white50(), banner);
    m_bannerDetail->setObjectName("activeDetail");
    texts->addWidget(m_bannerDetail);
    row->addLayout(texts);
    row->addStretch(1);
    auto* deactivate =
        new PlainButton("Deactivate", Fonts::ui(12, QFont::Medium),
                        Color::onCard(Color::withOpacity(Color::systemRed(), 0.8)), Qt::transparent, {}, 0, banner);
    deactivate->setObjectName("deactivateButton");
    connect(deactivate, &QAbstractButton::clicked, this, &GameProfilesView::deactivateProfile);
    row->addWidget(deactivate, 0, Qt::AlignVCenter);
    m_banner = banner;
    return banner;
}

QWidget* GameProfilesView::installedCard()
{
    m_installed = sectionCard("magnifyingglass", Color::neonGreen(), "Detected Installed Games", 12,
                              "installedCard", this);
    m_installedText = new TextLabel({}, 12, QFont::Normal, Color::white70(), m_installed);
    m_installedText->setObjectName("installedText");
    m_installed->body()->addWidget(m_installedText);
    m_chips = new QWidget(m_installed);
    new FlowLayout(8, 8, m_chips);
    m_installed->body()->addWidget(m_chips);
    return m_installed;
}

QWidget* GameProfilesView::presetCard()
{
    auto* card = sectionCard("star", Color::neonPurple(), "Preset Games", 12, "presetsCard", this);
    m_presetGrid = new QWidget(card);
    auto* grid = new QGridLayout(m_presetGrid);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    card->body()->addWidget(m_presetGrid);

    auto* add =
        new ContentButton("plus.circle", "Add Custom Game", 13, QFont::Medium, Color::neonCyan(), card);
    add->setObjectName("addCustomGameButton");
    add->label()->setContentsMargins(0, 8, 0, 8);
    connect(add, &QAbstractButton::clicked, this, &GameProfilesView::openAddSheet);
    card->body()->addWidget(add, 0, Qt::AlignHCenter);
    return card;
}

QWidget* GameProfilesView::customCard()
{
    m_custom = sectionCard("person", Color::neonCyan(), "Your Custom Profiles", 12, "customCard", this);
    m_customRows = new QWidget(m_custom);
    auto* rows = new QVBoxLayout(m_customRows);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);
    m_custom->body()->addWidget(m_customRows);
    return m_custom;
}

void GameProfilesView::scheduleRefresh()
{
    // The change may come from a button of a row that the refresh replaces: redraw once the click is over.
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &GameProfilesView::refresh, Qt::QueuedConnection);
}

void GameProfilesView::refresh()
{
    m_refreshPending = false;
    const FocusKeeper keep(this);
    m_saveFailedLabel->setColor(Color::onCard(Color::statusCritical()));
    m_saveFailedLabel->setVisible(m_profileManager.saveFailed());
    const auto& activeID = m_profileManager.activatedProfileID();
    m_banner->setVisible(activeID.has_value());
    m_bannerTitle->setText(QStringLiteral("Active: ") +
                           m_profileManager.activeGameName().value_or(QString()));
    m_bannerDetail->setText(m_profileManager.appliedAutomatically() ? QStringLiteral("Profile applied automatically")
                                                                    : QStringLiteral("Profile applied"));
    refreshInstalled();
    refreshPresets();
    refreshCustom();
}

void GameProfilesView::refreshInstalled()
{
    const QStringList& games = m_profileManager.installedGames();
    m_installed->setVisible(!games.isEmpty());
    m_installedText->setText(installedGamesText(games.size()));
    clear(m_chips);
    for (const QString& name : games)
        m_chips->layout()->addWidget(chip(name, m_chips));
}

void GameProfilesView::refreshPresets()
{
    clear(m_presetGrid);
    auto* grid = static_cast<QGridLayout*>(m_presetGrid->layout());
    const auto& activeID = m_profileManager.activatedProfileID();
    int index = 0;
    for (const GameProfile& profile : presetProfiles()) {
        auto* card = new PresetCard(profile, activeID == profile.id, m_presetGrid);
        connect(card, &PresetCard::applyRequested, this, &GameProfilesView::applyProfile);
        connect(card, &PresetCard::editRequested, this, &GameProfilesView::editPreset);
        grid->addWidget(card, index / 2, index % 2, Qt::AlignTop);
        ++index;
    }
}

void GameProfilesView::refreshCustom()
{
    clear(m_customRows);
    const QList<GameProfile> custom = customProfiles();
    m_custom->setVisible(!custom.isEmpty());
    for (const GameProfile& profile : custom)
        m_customRows->layout()->addWidget(customRow(profile));
}

QWidget* GameProfilesView::customRow(const GameProfile& profile)
{
    auto* row = new RoundedPanel(10, Color::white10b(), m_customRows);
    row->setObjectName("customRow");
    row->setProperty("profileID", profile.id);
    FocusKeeper::setKey(row, "custom:" + profile.id);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(12, 12, 12, 12);
    line->setSpacing(12);
    line->addWidget(new SymbolView("gamecontroller", 18, Color::neonCyan(), row), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* name = new TextLabel(profile.name, 14, QFont::Medium, Color::white95(), row);
    name->setObjectName("customName");
    texts->addWidget(name);
    if (const QString detail = detailLine(profile); !detail.isEmpty()) {
        auto* label = new TextLabel(detail, 11, QFont::Normal, Color::white50(), row);
        label->setObjectName("customDetail");
        texts->addWidget(label);
    }
    line->addLayout(texts, 1);

    const QString id = profile.id;
    auto* apply = new PlainButton("Apply", Fonts::ui(12, QFont::Medium), Color::neonCyan(), Qt::transparent,
                                  {}, 0, row);
    apply->setObjectName("applyButton");
    connect(apply, &QAbstractButton::clicked, this, [this, id] { applyProfile(id); });
    auto* edit = new PlainButton("Edit", Fonts::ui(12), Color::white70(), Qt::transparent, {}, 0, row);
    edit->setObjectName("editButton");
    connect(edit, &QAbstractButton::clicked, this, [this, profile] { editProfile(profile); });
    auto* remove = new PlainButton("Del", Fonts::ui(12), Color::onCard(Color::withOpacity(Color::systemRed(), 0.7)),
                                   Qt::transparent, {}, 0, row);
    remove->setObjectName("deleteButton");
    connect(remove, &QAbstractButton::clicked, this, [this, id] { deleteProfile(id); });
    for (QWidget* button :
         {static_cast<QWidget*>(apply), static_cast<QWidget*>(edit), static_cast<QWidget*>(remove)})
        line->addWidget(button, 0, Qt::AlignVCenter);
    return row;
}

void GameProfilesView::applyProfile(const QString& id)
{
    if (const auto profile = m_profileManager.profile(id))
        m_profileManager.applyProfile(*profile, m_optimizer);
}

void GameProfilesView::deactivateProfile()
{
    m_profileManager.deactivateProfile();
    m_optimizer.setAntiShut(false);
    m_optimizer.setFocusMode(false);
}

void GameProfilesView::editPreset(const QString& id)
{
    if (const auto profile = m_profileManager.profile(id))
        editProfile(*profile);
}

void GameProfilesView::editProfile(const GameProfile& profile)
{
    if (m_sheet)
        return;
    m_editingProfile = profile;
    const CustomGameForm::Fields fields{profile.name,           profile.frameLimit,
                                        profile.enableAntiShut, profile.enableFocusMode,
                                        profile.boostPriority,  profile.autoActivateGameMode};
    presentSheet(new CustomGameForm(
        fields, true, m_profileManager.presetIDs().contains(profile.id), profile.id,
        [this](const GameProfile& edited) { saveEditedProfile(edited); }, [this] { closeSheet(); }));
}

void GameProfilesView::deleteProfile(const QString& id)
{
    const QList<GameProfile>& profiles = m_profileManager.profiles();
    for (qsizetype index = 0; index < profiles.size(); ++index) {
        if (profiles[index].id == id)
            return m_profileManager.deleteProfile(index);
    }
}

void GameProfilesView::openAddSheet()
{
    if (m_sheet)
        return;
    m_showCustomAdd = true;
    presentSheet(new CustomGameForm(
        CustomGameForm::Fields{}, false, false, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
        [this](const GameProfile& profile) { saveNewProfile(profile); }, [this] { closeSheet(); }));
}

void GameProfilesView::saveNewProfile(const GameProfile& profile)
{
    m_profileManager.addProfile(profile);
    closeSheet();
}

void GameProfilesView::saveEditedProfile(const GameProfile& profile)
{
    m_profileManager.updateProfile(profile);
    closeSheet();
}

CustomGameForm* GameProfilesView::sheetForm() const
{
    return m_sheet ? m_sheet->findChild<CustomGameForm*>() : nullptr;
}

void GameProfilesView::presentSheet(CustomGameForm* form)
{
    auto* sheet = new QDialog(this);
    sheet->setObjectName("profileSheet");
    sheet->setWindowTitle(form->isEditing() ? "Edit Profile" : "Add Custom Game");
    sheet->setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    form->setParent(sheet);
    layout->addWidget(form);
    // Closing the window or pressing Escape dismisses the sheet without a callback.
    connect(sheet, &QDialog::rejected, this, [this, sheet] {
        if (sheet == m_sheet)
            closeSheet();
    });
    m_sheet = sheet;
    sheet->open();
}

void GameProfilesView::closeSheet()
{
    m_showCustomAdd = false;
    m_editingProfile.reset();
    if (QDialog* sheet = m_sheet) {
        m_sheet = nullptr;
        sheet->hide();
        sheet->deleteLater();
    }
}
