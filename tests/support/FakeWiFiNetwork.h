#pragma once

#include "Locked.h"
#include "WiFiNetwork.h"

#include <QStringList>

// A Wi-Fi network that tests set, and the interfaces it was asked about; by default it cannot say
// anything.
class FakeWiFiNetwork final : public WiFiNetwork {
public:
    std::optional<QString> networkName(const QString& interface) override
    {
        m_asked.with([&](QStringList& asked) { asked.append(interface); });
        return m_name.get();
    }
    std::optional<QString> phyMode(const QString& interface) override
    {
        m_asked.with([&](QStringList& asked) { asked.append(interface); });
        return m_mode.get();
    }

    void setNetwork(std::optional<QString> name, std::optional<QString> mode)
    {
        m_name.set(std::move(name));
        m_mode.set(std::move(mode));
    }
    QStringList asked() const { return m_asked.get(); }

private:
    Locked<std::optional<QString>> m_name;
    Locked<std::optional<QString>> m_mode;
    Locked<QStringList> m_asked;
};
