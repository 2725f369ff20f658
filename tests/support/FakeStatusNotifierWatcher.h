#pragma once

#include <QDBusMessage>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <atomic>

// A desktop's StatusNotifierWatcher, enough for the tray watch and for Qt's own tray icon, which
// introspects it, reads whether a host is registered and registers its items with it. Publish it
// on a PrivateBus (or a connection of its own) under `name` at `path`; it answers on any thread.
class FakeStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)
public:
    static inline const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString path = QStringLiteral("/StatusNotifierWatcher");

    explicit FakeStatusNotifierWatcher(bool hostRegistered) : m_hostRegistered(hostRegistered) {}

    bool isStatusNotifierHostRegistered() const { return m_hostRegistered; }
    // The signal that tells of it goes separately: hostSignal().
    void setHostRegistered(bool registered) { m_hostRegistered = registered; }
    int protocolVersion() const { return 0; }
    QStringList registeredStatusNotifierItems() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_items;
    }

    // The signal the watcher sends when a host comes (`registered`) or goes.
    static QDBusMessage hostSignal(bool registered)
    {
        return QDBusMessage::createSignal(path, name,
                                          registered ? QStringLiteral("StatusNotifierHostRegistered")
                                                     : QStringLiteral("StatusNotifierHostUnregistered"));
    }

public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        const QMutexLocker lock(&m_mutex);
        m_items.append(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    std::atomic<bool> m_hostRegistered;
    mutable QMutex m_mutex;
    QStringList m_items;
};
