#pragma once

#include "ScriptedDBusObject.h"

// A desktop's StatusNotifierWatcher as the tray watch and Qt's tray icon ask it, to be published
// on a PrivateBus under `name` at `path`.
namespace FakeStatusNotifierWatcher {

inline const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString path = QStringLiteral("/StatusNotifierWatcher");

inline ScriptedDBusObject* make(bool hostRegistered)
{
    auto* watcher = new ScriptedDBusObject;
    watcher->setValue(name, QStringLiteral("IsStatusNotifierHostRegistered"), hostRegistered);
    watcher->setValue(name, QStringLiteral("ProtocolVersion"), 0);
    watcher->answer(name, QStringLiteral("RegisterStatusNotifierItem"), {});
    return watcher;
}

// The signal the watcher sends when a host comes (`registered`) or goes.
inline QDBusMessage hostSignal(bool registered)
{
    return QDBusMessage::createSignal(path, name,
                                      registered ? QStringLiteral("StatusNotifierHostRegistered")
                                                 : QStringLiteral("StatusNotifierHostUnregistered"));
}

} // namespace FakeStatusNotifierWatcher
