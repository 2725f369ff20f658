#include "BackgroundFreezeView.h"

#include "FreezeCandidateRow.h"
#include "HowItWorks.h"
#include "style/Color.h"
#include "style/ContentButton.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/PlainButton.h"
#include "style/RoundedPanel.h"
#include "style/SwitchToggle.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "tuning/GameProfileManager.h"
#include "tuning/SystemOptimizer.h"

#include <QShowEvent>
#include <QVBoxLayout>

namespace {

GlassModifier* card(int spacing, const QString& objectName, QWidget* parent)
{
    auto* card = new GlassModifier(16, 16, parent);
    card->setObjectName(objectName);
    card->body()->setSpacing(spacing);
    return card;
}

TextLabel* wrapped(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color,
                   QWidget* parent)
{
    auto* label = new TextLabel(text, pixelSize, weight, color, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

BackgroundFreezeView::BackgroundFreezeView(GameProfileManager& profileManager,
                                           const FocusFreezeManager::Services& services,
                                           const FocusFreezeManager::Options& options, QWidget* parent)
    : ScreenColumn(parent), m_profileManager(profileManager),
      m_freezeManager(std::make_unique<FocusFreezeManager>(services, options))
{
    addCards({headerCard(),
              controlsCard(),
              HowItWorks::card(
                  {"Choose a game profile in Game Profiles, then enable Background Freeze here.",
                   "When that game is frontmost, selected background apps pause to reduce CPU pressure.",
                   "When you switch away, paused apps resume automatically so chat, browser, and music work again.",
                   "Quillmarsh, the active game, and important system processes are protected."},
                  widget())});

    connect(m_freezeManager.get(), &FocusFreezeManager::changed, this, &BackgroundFreezeView::refresh);
    connect(&m_profileManager, &GameProfileManager::changed, this, [this] {
        if (m_shown && m_profileManager.activatedProfileID() != m_linkedID)
            linkActiveProfile();
        else
            refresh();
    });
    refresh();
}

QWidget* BackgroundFreezeView::headerCard()
{
    auto* header = card(12, "headerCard", this);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(new SymbolView("snowflake", 16, Color::neonCyan(), header), 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel("Background Freeze", 16, QFont::DemiBold, Color::white95(), header), 0,
                   Qt::AlignVCenter);
    row->addStretch(1);
    header->body()->addLayout(row);
    m_description = wrapped({}, 12, QFont::Normal, Color::white70(), header);
    m_description->setObjectName("headerDescription");
    header->body()->addWidget(m_description);
    return header;
}

QWidget* BackgroundFreezeView::controlsCard()
{
    auto* controls = card(14, "freezeControlsCard", this);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(new SymbolView("snowflake", 16, Color::neonCyan(), controls), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(new TextLabel("Freeze Controls", 16, QFont::DemiBold, Color::white95(), controls));
    m_linkedLabel = new TextLabel({}, 11, QFont::Normal, Color::white70(), controls);
    m_linkedLabel->setObjectName("linkedLabel");
    titles->addWidget(m_linkedLabel);
    top->addLayout(titles);
    top->addStretch(1);
    m_switch = new SwitchToggle(1.0, controls);
    m_switch->setObjectName("freezeSwitch");
    connect(m_switch, &SwitchToggle::clicked, m_freezeManager.get(), &FocusFreezeManager::setEnabled);
    top->addWidget(m_switch, 0, Qt::AlignVCenter);
    controls->body()->addLayout(top);

    auto* statusRow = new RoundedPanel(10, Color::white10b(), controls);
    statusRow->setObjectName("statusRow");
    auto* status = new QHBoxLayout(statusRow);
    status->setContentsMargins(10, 10, 10, 10);
    status->setSpacing(8);
    m_statusDot = new RoundedPanel(4, Color::white50(), statusRow);
    m_statusDot->setObjectName("statusDot");
    m_statusDot->setFixedSize(8, 8);
    status->addWidget(m_statusDot, 0, Qt::AlignVCenter);
    m_status = wrapped({}, 12, QFont::Medium, Color::white70(), statusRow);
    m_status->setObjectName("statusText");
    // At most two lines.
    m_status->setMaximumHeight(2 * m_status->fontMetrics().lineSpacing());
    status->addWidget(m_status, 1, Qt::AlignVCenter);
    controls->body()->addWidget(statusRow);

    m_emptyRow = new QWidget(controls);
    m_emptyRow->setObjectName("emptyCandidates");
    auto* empty = new QHBoxLayout(m_emptyRow);
    empty->setContentsMargins(0, 0, 0, 0);
    empty->setSpacing(8);
    empty->addWidget(new SymbolView("checkmark.shield", 14, Color::neonGreen(), m_emptyRow), 0,
                     Qt::AlignVCenter);
    empty->addWidget(new TextLabel("No safe background apps found right now.", 12, QFont::Normal,
                                   Color::white70(), m_emptyRow),
                     0, Qt::AlignVCenter);
    empty->addStretch(1);
    auto* refreshButton = new SymbolButton("arrow.clockwise", 12, Color::neonCyan(), m_emptyRow);
    refreshButton->setToolTip(QStringLiteral("Refresh the list of apps"));
    refreshButton->setObjectName("refreshButton");
    connect(refreshButton, &SymbolButton::clicked, m_freezeManager.get(),
            &FocusFreezeManager::refreshCandidates);
    empty->addWidget(refreshButton, 0, Qt::AlignVCenter);
    controls->body()->addWidget(m_emptyRow);

    m_listHeader = new QWidget(controls);
    m_listHeader->setObjectName("candidateHeader");
    auto* header = new QHBoxLayout(m_listHeader);
    header->setContentsMargins(0, 0, 0, 0);
    m_count = new TextLabel({}, 11, QFont::Medium, Color::white70(), m_listHeader);
    m_count->setObjectName("selectedCount");
    header->addWidget(m_count, 0, Qt::AlignVCenter);
    header->addStretch(1);
    auto* safeOnly = new PlainButton("Safe Only", Fonts::ui(11, QFont::DemiBold), Color::neonCyan(),
                                     Qt::transparent, {}, 0, m_listHeader);
    safeOnly->setObjectName("safeOnlyButton");
    connect(safeOnly, &QAbstractButton::clicked, this, &BackgroundFreezeView::selectSafeOnly);
    header->addWidget(safeOnly, 0, Qt::AlignVCenter);
    auto* resumeAll =
        new ContentButton("play.circle", "Resume All", 11, QFont::DemiBold, Color::neonGreen(), m_listHeader);
    resumeAll->setObjectName("resumeAllButton");
    connect(resumeAll, &QAbstractButton::clicked, m_freezeManager.get(), &FocusFreezeManager::resumeAll);
    header->addWidget(resumeAll, 0, Qt::AlignVCenter);
    controls->body()->addWidget(m_listHeader);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    for (int i = 0; i < maxRows; ++i) {
        auto* row = new FreezeCandidateRow({}, false, false, controls);
        row->hide();
        connect(row, &FreezeCandidateRow::toggleRequested, this, &BackgroundFreezeView::toggleCandidate);
        rows->addWidget(row);
        m_rows.append(row);
    }
    controls->body()->addLayout(rows);

    auto* notes = new QVBoxLayout;
    notes->setSpacing(5);
    for (const char* note :
         {"When the selected game is frontmost, Quillmarsh pauses selected background apps.",
          "When you Alt-Tab away, everything resumes automatically so Chrome, Discord, music, and "
          "chats work again.",
          "Quillmarsh, the game, and core desktop and system apps are protected and will not be frozen."})
        notes->addWidget(wrapped(note, 11, QFont::Normal, Color::white50(), controls));
    controls->body()->addLayout(notes);
    return controls;
}

std::optional<GameProfile> BackgroundFreezeView::linkedProfile() const
{
    const auto& id = m_profileManager.activatedProfileID();
    return id ? m_profileManager.profile(*id) : std::nullopt;
}

int BackgroundFreezeView::selectedCount() const
{
    const QSet<QString>& selection = m_freezeManager->selectedCandidateIDs();
    const QList<FreezeCandidate>& candidates = m_freezeManager->candidates();
    return int(
        std::count_if(candidates.cbegin(), candidates.cend(), [&selection](const FreezeCandidate& candidate) {
            return selection.contains(candidate.id);
        }));
}

void BackgroundFreezeView::linkActiveProfile()
{
    m_linkedID = m_profileManager.activatedProfileID();
    m_freezeManager->setActiveProfile(linkedProfile());
    refresh();
}

void BackgroundFreezeView::selectSafeOnly()
{
    m_freezeManager->selectSafeOnly();
}

void BackgroundFreezeView::toggleCandidate(const FreezeCandidate& candidate)
{
    m_freezeManager->toggleCandidate(candidate.id);
}

void BackgroundFreezeView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    if (event->spontaneous())
        return;
    m_shown = true;
    linkActiveProfile();
}

void BackgroundFreezeView::refresh()
{
    const FocusFreezeManager& freeze = *m_freezeManager;
    const auto linked = linkedProfile();
    m_description->setText(
        linked ? "Linked to " + linked->name + ". Background apps wake up automatically when you switch away."
               : QStringLiteral("Activate a game profile first, then choose which background apps "
                                "can pause while you play."));
    m_linkedLabel->setText(linked ? "Linked to " + linked->name
                                  : QStringLiteral("Activate a game profile first"));
    m_switch->setChecked(freeze.isEnabled());
    m_switch->setEnabled(linked.has_value());

    const bool inGame = freeze.isGameFrontmost();
    m_statusDot->setColor(inGame ? Color::neonGreen() : Color::white50());
    m_status->setText(freeze.statusText());
    m_status->setColor(inGame ? Color::neonGreen() : Color::white70());

    const QList<FreezeCandidate>& candidates = freeze.candidates();
    m_emptyRow->setVisible(candidates.isEmpty());
    m_listHeader->setVisible(!candidates.isEmpty());
    m_count->setText(QString::number(selectedCount()) + QStringLiteral(" selected"));
    for (int i = 0; i < maxRows; ++i) {
        FreezeCandidateRow* row = m_rows[i];
        if (i >= candidates.size()) {
            row->hide();
            continue;
        }
        const FreezeCandidate& candidate = candidates[i];
        row->setCandidate(candidate, freeze.selectedCandidateIDs().contains(candidate.id),
                          freeze.frozenNames().contains(candidate.name));
        row->show();
    }
}
