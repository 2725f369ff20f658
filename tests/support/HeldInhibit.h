#pragma once

#include "Locked.h"
#include "ScriptedDBusObject.h"

#include <QList>
#include <atomic>
#include <utility>

// A service object that can hold back its answers to Inhibit, as one on a stalled bus, and let
// each go when the test says.
class HeldInhibit : public ScriptedDBusObject {
public:
    void holdBack(bool hold) { m_holding = hold; }
    qsizetype heldBack() const { return m_held.get().size(); }
    // Answers the `index`th call held back, as the service would have at once.
    void letGo(qsizetype index)
    {
        const auto [call, connection] = m_held.get().at(index);
        ScriptedDBusObject::handleMessage(call, connection);
    }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override
    {
        if (!m_holding || call.member() != "Inhibit")
            return ScriptedDBusObject::handleMessage(call, connection);
        m_held.with([&](auto& held) { held.append({call, connection}); });
        return true;
    }

private:
    std::atomic<bool> m_holding = false;
    Locked<QList<std::pair<QDBusMessage, QDBusConnection>>> m_held;
};
