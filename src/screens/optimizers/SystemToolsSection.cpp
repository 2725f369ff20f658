#include "SystemToolsSection.h"

#include "OptimizerButton.h"
#include "ReportSlot.h"
#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/TextLabel.h"
#include "tuning/SystemOptimizer.h"

#include "MainThread.h"

#include <QFontMetrics>
#include <QGridLayout>

SystemToolsSection::SystemToolsSection(SystemOptimizer& optimizer, std::chrono::milliseconds clearDelay,
                                       QWidget* parent)
    : GlassModifier(16, 16, parent),
      m_optimizer(optimizer),
      m_statusColor(Color::white70()),
      m_clear(optimizer, clearDelay, this, [this] { setStatus({}, m_statusColor); }, "systemToolsClear"),
      m_status(new TextLabel({}, 11, QFont::Normal, m_statusColor, this)),
      m_report(new ReportSlot(QStringLiteral("RAM"), this))
{
    body()->setSpacing(12);
    body()->addWidget(new CardHeader("wrench.and.screwdriver", Color::neonPurple(), "System Tools", this, 16));

    const auto deliver = [this, life = m_life.watch()](bool success, const QString& message) {
        MainThread::post(life, [this, success, message] { applyToolResult(success, message); });
    };
    m_antiShut = new OptimizerButton("cup.and.saucer.fill", "Anti Shut", [this, life = m_life.watch()] {
        m_optimizer.setAntiShut(!m_optimizer.antiShutEnabled(), std::nullopt, [this, life](const QString& message) {
            MainThread::post(life, [this, message] { antiShutRefused(message); });
        });
    }, this);
    m_focusMode = new OptimizerButton("moon.fill", "Focus Mode",
                                      [this] { m_optimizer.setFocusMode(!m_optimizer.focusModeEnabled()); }, this);
    m_metalHUD = new OptimizerButton(
        "cpu", m_optimizer.hudName(), [this, deliver] { m_optimizer.setMetalHUD(!m_optimizer.metalHUDEnabled(), deliver); }, this);
    auto* purge = new OptimizerButton("arrow.clockwise", "Purge RAM", [this, deliver] {
        m_optimizer.purgeRAM([deliver](bool success, const QString& message, double) { deliver(success, message); });
    }, this);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    const QList<OptimizerButton*> tiles{m_antiShut, m_focusMode, m_metalHUD, purge};
    for (int i = 0; i < tiles.size(); ++i) {
        tiles[i]->setObjectName("tool:" + tiles[i]->items().at(1).text);
        grid->addWidget(tiles[i], i / 2, i % 2);
    }
    body()->addLayout(grid);

    m_status->setObjectName("toolStatus");
    m_status->setWordWrap(true);
    m_status->setMaximumHeight(3 * QFontMetrics(m_status->font()).lineSpacing());
    m_status->hide();
    body()->addWidget(m_status);
    m_report->setObjectName("toolsReport");
    body()->addWidget(m_report);

    connect(&m_optimizer, &SystemOptimizer::changed, this, &SystemToolsSection::refresh);
    refresh();
}

void SystemToolsSection::applyToolResult(bool success, const QString& message)
{
    m_showsAntiShutRefusal = false;
    setStatus(message, success ? Color::neonGreen() : Color::onCard(Color::systemRed()));
    const auto& report = m_optimizer.lastOptimizationReport();
    m_clear.schedule(m_report->accepts(report) ? report : std::nullopt);
}

void SystemToolsSection::antiShutRefused(const QString& message)
{
    // Switched on meanwhile, by another press or a game profile: the refusal no longer holds.
    if (m_optimizer.antiShutEnabled())
        return;
    applyToolResult(false, message);
    m_showsAntiShutRefusal = true;
}

void SystemToolsSection::setStatus(const QString& message, const QColor& color)
{
    m_statusMessage = message;
    m_statusColor = color;
    m_status->setText(message);
    m_status->setColor(color);
    m_status->setVisible(!message.isEmpty());
}

void SystemToolsSection::refresh()
{
    m_antiShut->setActive(m_optimizer.antiShutEnabled());
    // Anti Shut switched on is the newer result: the line no longer says it could not be.
    if (m_showsAntiShutRefusal && m_optimizer.antiShutEnabled()) {
        m_showsAntiShutRefusal = false;
        setStatus({}, m_statusColor);
    }
    m_focusMode->setActive(m_optimizer.focusModeEnabled());
    m_metalHUD->setActive(m_optimizer.metalHUDEnabled());
    m_report->showReport(m_optimizer.lastOptimizationReport());
}
