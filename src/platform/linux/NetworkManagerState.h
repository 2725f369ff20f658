#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

class QDBusServiceWatcher;

// NetworkManager's overall state (its State property, an NMState number), read once and then kept
// current from its StateChanged signal. Unknown until the first answer, while NetworkManager does
// not run, and again when it goes away. Its calls are asynchronous, but subscribing blocks on the
// bus: it belongs on a thread that may wait, such as a LazyBusConnection's.
class NetworkManagerState : public QObject {
    Q_OBJECT
public:
    explicit NetworkManagerState(const QDBusConnection& bus, QObject* parent = nullptr);

    std::optional<uint> state() const { return m_state; }

    // Whether a network whose default route leads somewhere is usable in this state: false while
    // NetworkManager knows of no connection, true while it has one (a captive portal or a
    // local-only link count), and nothing where its state tells neither (asleep, connecting,
    // unknown), leaving the routes to decide.
    static std::optional<bool> connected(std::optional<uint> state);

signals:
    void changed();
    // A reading of the state came back, with a value or without one.
    void answered();

private slots:
    void stateChanged(uint state);

private:
    void read();
    void set(std::optional<uint> state);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    std::optional<uint> m_state;
};
