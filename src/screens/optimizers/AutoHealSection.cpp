#include "AutoHealSection.h"

#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/RoundedPanel.h"
#include "style/SwitchToggle.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "tuning/SystemOptimizer.h"

#include <QHBoxLayout>

AutoHealSection::AutoHealSection(SystemOptimizer& optimizer, QWidget* parent)
    : GlassModifier(16, 16, parent), m_optimizer(optimizer)
{
    body()->setSpacing(12);
    body()->addWidget(new CardHeader("heart.text.clipboard", Color::neonGreen(), "Auto-Heal", this, 16));
    auto* description = new TextLabel("Automatically purges inactive memory when free RAM drops below 1.5 GB. "
                                      "Keeps your system responsive during gaming.",
                                      12, QFont::Normal, Color::white70(), this);
    description->setWordWrap(true);
    body()->addWidget(description);

    auto* switchRow = new RoundedPanel(10, Color::white10b(), this);
    auto* row = new QHBoxLayout(switchRow);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    m_heart = new SymbolView("heart", 16, Color::white50(), switchRow);
    m_heart->setObjectName("autoHealHeart");
    row->addWidget(m_heart);
    row->addWidget(new TextLabel("Auto-Heal", 13, QFont::Normal, Color::white95(), switchRow));
    row->addStretch(1);
    m_switch = new SwitchToggle(0.8, switchRow);
    m_switch->setObjectName("autoHealSwitch");
    m_switch->setTint(Color::neonGreen());
    row->addWidget(m_switch);
    body()->addWidget(switchRow);

    m_status = new QWidget(this);
    m_status->setObjectName("autoHealStatus");
    auto* status = new QHBoxLayout(m_status);
    status->setContentsMargins(0, 0, 0, 0);
    status->setSpacing(6);
    m_dot = new RoundedPanel(3, Color::neonGreen(), m_status);
    m_dot->setFixedSize(6, 6);
    status->addWidget(m_dot);
    m_message = new TextLabel({}, 11, QFont::Normal, Color::neonGreen(), m_status);
    m_message->setObjectName("autoHealMessage");
    m_message->setWordWrap(true);
    status->addWidget(m_message, 1);
    body()->addWidget(m_status);

    connect(m_switch, &QAbstractButton::clicked, &m_optimizer, &SystemOptimizer::setAutoHealEnabled);
    connect(&m_optimizer, &SystemOptimizer::changed, this, &AutoHealSection::refresh);
    refresh();
}

QColor AutoHealSection::statusColor(const QString& message)
{
    const bool good = message.startsWith(QStringLiteral("Monitoring")) || message.startsWith(QStringLiteral("Healed"));
    return good ? Color::neonGreen() : Color::onCard(Color::systemRed());
}

void AutoHealSection::refresh()
{
    const bool on = m_optimizer.autoHealEnabled();
    m_switch->setChecked(on);
    m_heart->setSymbol(on ? "heart.fill" : "heart", on ? Color::neonGreen() : Color::white50());
    const QString& message = m_optimizer.autoHealMessage();
    const QColor color = statusColor(message);
    m_message->setText(message);
    m_message->setColor(color);
    m_dot->setColor(color);
    m_status->setVisible(on && !message.isEmpty());
}
