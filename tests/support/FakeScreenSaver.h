#pragma once

#include "HeldInhibit.h"

#include <QSet>

// The session's screen saver: a new cookie for each inhibition, and a count of those not given
// back. Giving back one it does not hold is a fault of the caller.
struct FakeScreenSaver {
    inline static const QString interface = QStringLiteral("org.freedesktop.ScreenSaver");

    HeldInhibit* object()
    {
        auto* saver = new HeldInhibit;
        saver->on(interface, "Inhibit", [this](const QDBusMessage& call) {
            const uint cookie = next++;
            held.with([&](QSet<uint>& cookies) { cookies.insert(cookie); });
            return call.createReply(QVariant::fromValue(cookie));
        });
        saver->on(interface, "UnInhibit", [this](const QDBusMessage& call) {
            if (!held.with([&](QSet<uint>& cookies) { return cookies.remove(call.arguments().value(0).toUInt()); }))
                ++strays;
            return call.createReply();
        });
        return saver;
    }
    qsizetype holding() const { return held.get().size(); }

    std::atomic<uint> next = 4711;
    Locked<QSet<uint>> held;
    std::atomic<int> strays = 0;
};
