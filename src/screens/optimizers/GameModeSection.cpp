#include "GameModeSection.h"

#include "ReportSlot.h"
#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/PickerBox.h"
#include "style/TextLabel.h"
#include "style/TileButton.h"
#include "tuning/SystemOptimizer.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPointer>
#include <QShowEvent>

namespace {

const QString kGameMode = QStringLiteral("Game Mode");
// Shown when enabling changed nothing at all, so that the user is not left without an answer.
const QString kNothingChanged = QStringLiteral("Game Mode failed: no step took effect on this system");

} // namespace

GameModeSection::GameModeSection(SystemOptimizer& optimizer, std::chrono::milliseconds clearDelay, QWidget* parent)
    : GlassModifier(16, 16, parent),
      m_optimizer(optimizer),
      m_clear(optimizer, clearDelay, this, [this] { showMessage({}); }, "gameModeClear"),
      m_picker(new PickerBox(this)),
      m_refresh(new TileButton(0, 0, 8, this)),
      m_toggle(new GradientButton("Enable Game Mode", Fonts::ui(14, QFont::DemiBold), QSize(16, 14), 12, this)),
      m_message(new TextLabel({}, 12, QFont::Normal, Color::neonGreen(), this)),
      m_report(new ReportSlot(kGameMode, this))
{
    body()->setSpacing(12);
    body()->addWidget(new CardHeader("gamecontroller.fill", Color::neonCyan(), kGameMode, this, 16));
    auto* description = new TextLabel("Boost game performance by raising game priority, lowering background app "
                                      "priority, and preventing display sleep.",
                                      12, QFont::Normal, Color::white70(), this);
    description->setWordWrap(true);
    body()->addWidget(description);

    auto* gameRow = new QHBoxLayout;
    gameRow->setSpacing(8);
    m_picker->setObjectName("gamePicker");
    m_picker->setAccessibleName("Game");
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_picker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_picker->setMinimumHeight(30);
    gameRow->addWidget(m_picker, 1);
    m_refresh->setObjectName("refreshGamesButton");
    m_refresh->setItems({TileButton::Item::ofSymbol("arrow.clockwise", 12, Color::white70())});
    m_refresh->setFixedSize(34, 30);
    gameRow->addWidget(m_refresh);
    body()->addLayout(gameRow);

    m_toggle->setObjectName("gameModeButton");
    m_toggle->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    body()->addWidget(m_toggle);

    m_message->setObjectName("gameModeMessage");
    m_message->setWordWrap(true);
    m_message->setMaximumHeight(4 * QFontMetrics(m_message->font()).lineSpacing());
    m_message->hide();
    body()->addWidget(m_message);
    m_report->setObjectName("gameModeReport");
    body()->addWidget(m_report);

    connect(m_picker, &QComboBox::activated, this, [this](int index) {
        const QVariant pid = m_picker->itemData(index);
        m_selectedGamePID = pid.isValid() ? std::optional(pid.value<qint32>()) : std::nullopt;
    });
    connect(m_refresh, &QAbstractButton::clicked, &m_optimizer, &SystemOptimizer::detectRunningGames);
    connect(m_toggle, &QAbstractButton::clicked, this, &GameModeSection::toggleGameMode);
    connect(&m_optimizer, &SystemOptimizer::changed, this, &GameModeSection::refresh);
    refresh();
}

bool GameModeSection::isFailure(const QString& message)
{
    return message.contains(QStringLiteral("failed"));
}

void GameModeSection::toggleGameMode()
{
    if (m_isBoosting)
        return;
    m_isBoosting = true;
    showMessage({});
    refresh();
    if (!m_optimizer.gameModeEnabled()) {
        // The result may come once the system has answered, when this card may be gone.
        m_optimizer.enableGameMode(m_selectedGamePID, [card = QPointer(this)](bool success, const QStringList& actions) {
            if (card)
                card->applyGameModeResult(success, actions);
        });
    } else {
        m_optimizer.disableGameMode([this](const QStringList& actions) { applyGameModeResult(true, actions); });
    }
}

void GameModeSection::applyGameModeResult(bool success, const QStringList& actions)
{
    m_isBoosting = false;
    showMessage(!success && actions.isEmpty() ? kNothingChanged : actions.join(QStringLiteral(", ")));
    const auto& report = m_optimizer.lastOptimizationReport();
    m_clear.schedule(m_report->accepts(report) ? report : std::nullopt);
    refresh();
}

void GameModeSection::showMessage(const QString& message)
{
    m_resultMessage = message;
    m_message->setText(message);
    m_message->setColor(isFailure(message) ? Color::onCard(Color::systemRed()) : Color::neonGreen());
    m_message->setVisible(!message.isEmpty());
}

void GameModeSection::refresh()
{
    const bool on = m_optimizer.gameModeEnabled();
    m_toggle->setText(on ? QStringLiteral("Disable Game Mode") : QStringLiteral("Enable Game Mode"));
    m_toggle->setSymbol(m_isBoosting ? QString() : on ? QStringLiteral("stop.fill") : QStringLiteral("play.fill"));
    m_toggle->setEnabled(!m_isBoosting);
    m_toggle->update();
    refreshPicker();
    m_report->showReport(m_optimizer.lastOptimizationReport());
}

void GameModeSection::refreshPicker()
{
    QList<std::pair<QString, QVariant>> entries{{QStringLiteral("Auto Detect"), QVariant()}};
    for (const RunningAppInfo& game : m_optimizer.detectedGames())
        entries.append({game.name, QVariant::fromValue(game.id)});
    bool same = entries.size() == m_picker->count();
    for (int i = 0; same && i < entries.size(); ++i)
        same = m_picker->itemText(i) == entries[i].first && m_picker->itemData(i) == entries[i].second;
    if (!same) {
        m_picker->clear();
        for (const auto& [name, pid] : entries)
            m_picker->addItem(name, pid);
    }
    // A picked game that is no longer listed stays picked; the picker then shows no entry.
    m_picker->setCurrentIndex(m_selectedGamePID ? m_picker->findData(QVariant::fromValue(*m_selectedGamePID)) : 0);
}

void GameModeSection::showEvent(QShowEvent* event)
{
    GlassModifier::showEvent(event);
    if (!event->spontaneous())
        m_optimizer.detectRunningGames();
}
