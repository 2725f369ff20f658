#include "DNSSection.h"

#include "screens/monitoring/CardHeader.h"
#include "style/AppMessageBox.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/TextButton.h"
#include "style/TextLabel.h"
#include "style/TileButton.h"
#include "tuning/SystemOptimizer.h"

#include "MainThread.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

DNSSection::DNSSection(SystemOptimizer& optimizer, QWidget* parent)
    : GlassModifier(16, 16, parent),
      m_optimizer(optimizer),
      m_statusColor(Color::white70()),
      m_reset(new TextButton("Reset to Default (DHCP)", Fonts::ui(12), Color::white50(), 4, this)),
      m_status(new TextLabel({}, 11, QFont::Normal, m_statusColor, this))
{
    body()->setSpacing(12);
    body()->addWidget(new CardHeader("globe", Color::neonCyan(), "DNS Optimization", this, 16));
    auto* description = new TextLabel("Select a DNS provider for faster, more reliable connections. "
                                      "Requires admin permission.",
                                      12, QFont::Normal, Color::white70(), this);
    description->setWordWrap(true);
    body()->addWidget(description);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    // The map is ordered by name, character code by character code.
    const QMap<QString, QStringList>& providers = SystemOptimizer::dnsProviders();
    for (auto it = providers.cbegin(); it != providers.cend(); ++it) {
        const QString name = it.key();
        auto* tile = new TileButton(6, 14, 12, this);
        tile->setObjectName("provider:" + name);
        tile->setItems({TileButton::Item::ofSymbol(providerIcon(name), 18, Color::neonCyan()),
                        TileButton::Item::ofText(name, Fonts::ui(12, QFont::Medium), Color::white70()),
                        TileButton::Item::ofText(it.value().join(", "), Fonts::ui(10),
                                                 Color::onCard(Color::white50(), Color::white10b()))});
        connect(tile, &QAbstractButton::clicked, this, [this, name] { selectProvider(name); });
        grid->addWidget(tile, int(m_tiles.size() / 2), int(m_tiles.size() % 2));
        m_tiles.append(tile);
    }
    body()->addLayout(grid);

    m_reset->setObjectName("resetDNSButton");
    connect(m_reset, &QAbstractButton::clicked, this, &DNSSection::resetToDHCP);
    body()->addWidget(m_reset, 0, Qt::AlignLeft);

    m_status->setObjectName("dnsStatus");
    m_status->setWordWrap(true);
    m_status->hide();
    body()->addWidget(m_status);
}

QString DNSSection::providerIcon(const QString& name)
{
    if (name == QLatin1String("Cloudflare"))
        return QStringLiteral("cloud.fill");
    if (name == QLatin1String("Google"))
        return QStringLiteral("g.circle.fill");
    if (name == QLatin1String("CleanBrowsing"))
        return QStringLiteral("leaf.fill");
    return QStringLiteral("gamecontroller.fill");
}

QString DNSSection::confirmTitle(const QString& provider)
{
    return "Set DNS to " + provider + "?";
}

QString DNSSection::confirmMessage(const QString& provider)
{
    return "This will change your DNS servers to " + SystemOptimizer::dnsProviders().value(provider).join(", ")
           + ". An admin password prompt may appear.";
}

void DNSSection::selectProvider(const QString& name)
{
    if (m_isLoading || m_confirm)
        return;
    m_selectedProvider = name;
    m_confirm = new AppMessageBox(AppMessageBox::Kind::question, confirmTitle(name), this);
    m_confirm->setObjectName("dnsConfirm");
    m_confirm->setInformativeText(confirmMessage(name));
    QPushButton* cancel = m_confirm->addButton("Cancel", QMessageBox::RejectRole);
    QPushButton* apply = m_confirm->addButton("Apply", QMessageBox::AcceptRole);
    cancel->setObjectName("cancelDNS");
    apply->setObjectName("applyDNS");
    // The network's settings change only on a deliberate choice: Enter keeps them as they are.
    m_confirm->setDefaultButton(cancel);
    m_confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_confirm, &QMessageBox::buttonClicked, this, [this, apply](QAbstractButton* button) {
        if (button == apply)
            applyProvider();
    });
    m_confirm->open();
}

void DNSSection::applyProvider()
{
    if (m_isLoading)
        return;
    setLoading(true);
    m_optimizer.setDNS(m_selectedProvider, [this, life = m_life.watch()](bool success, const QString& message) {
        MainThread::post(life, [this, success, message] { applyDNSResult(success, message); });
    });
}

void DNSSection::resetToDHCP()
{
    setLoading(true);
    m_optimizer.resetDNS([this, life = m_life.watch()](bool success, const QString& message) {
        MainThread::post(life, [this, success, message] { applyDNSResult(success, message); });
    });
}

void DNSSection::applyDNSResult(bool success, const QString& message)
{
    setLoading(false);
    m_statusMessage = message;
    m_statusColor = success ? Color::neonGreen() : Color::onCard(Color::systemRed());
    m_status->setText(message);
    m_status->setColor(m_statusColor);
    m_status->setVisible(!message.isEmpty());
}

void DNSSection::setLoading(bool loading)
{
    m_isLoading = loading;
    for (TileButton* tile : std::as_const(m_tiles))
        tile->setEnabled(!loading);
}

void DNSSection::showEvent(QShowEvent* event)
{
    GlassModifier::showEvent(event);
    if (!event->spontaneous())
        m_optimizer.refreshCurrentDNS();
}
