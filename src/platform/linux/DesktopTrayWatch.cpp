#include "DesktopTrayWatch.h"

DesktopTrayWatch::DesktopTrayWatch(std::shared_ptr<StatusAreaWatcher> bus, std::shared_ptr<XEmbedTrayWatch> xembed,
                                   QObject* parent)
    : StatusAreaWatcher(parent), m_bus(std::move(bus)), m_xembed(std::move(xembed))
{
    connect(m_bus.get(), &StatusAreaWatcher::changed, this, &StatusAreaWatcher::changed);
    if (m_xembed)
        connect(m_xembed.get(), &XEmbedTrayWatch::changed, this, &StatusAreaWatcher::changed);
}

bool DesktopTrayWatch::isHostPresent() const
{
    const bool statusNotifier = m_kind != Kind::XEmbed && m_bus->isHostPresent();
    const bool xembed = m_kind != Kind::StatusNotifier && m_xembed && m_xembed->isPresent();
    return statusNotifier || xembed;
}

void DesktopTrayWatch::iconAboutToBeMade()
{
    if (m_kind == Kind::Either)
        m_kind = m_bus->isHostPresent() ? Kind::StatusNotifier : Kind::XEmbed;
}

void DesktopTrayWatch::afterNextAnswer(QObject* context, std::function<void()> then)
{
    m_bus->afterNextAnswer(context, std::move(then));
}
