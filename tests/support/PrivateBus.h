#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

// A message bus of the test's own: a dbus-daemon with a session-type configuration, listening on a
// socket in a temporary folder, ended with this object. Clients reach it through connect(); the
// services a test plays are QObjects published with serve(), each on a connection of its own that
// owns the service's well-known name. Served objects live on a thread of the bus's own, so a
// client that blocks the test's thread in a call is still answered.
class PrivateBus {
public:
    // Listens at `socket` when given, a path in a temporary folder otherwise.
    explicit PrivateBus(const QString& socket = {});
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // False when dbus-daemon could not be started or told no address; errorString() says why.
    bool isRunning() const { return !m_address.isEmpty(); }
    QString errorString() const { return m_error; }
    // The address to hand to a client, e.g. in DBUS_SYSTEM_BUS_ADDRESS.
    QString address() const { return m_address; }

    // A new client connection, under a connection name of its own.
    QDBusConnection connect();
    // Publishes `object` (without a parent) at `path` under the well-known name `service`, which
    // is taken on a new connection; a QDBusVirtualObject answers every call to its path itself. The bus owns the object from then on and answers its calls on
    // its service thread. False when the name could not be taken or the path registered; an object
    // with a parent is refused and left to its parent.
    bool serve(const QString& service, const QString& path, QObject* object,
               QDBusConnection::RegisterOptions options = QDBusConnection::ExportAllContents);
    // Sends `signal` from the connection that owns `service`, as the service itself would; false
    // when no such service is served.
    bool emitSignal(const QString& service, const QDBusMessage& signal);
    // Releases the name: clients then find the service gone.
    void withdraw(const QString& service);
    // Stops the daemon (SIGSTOP): it keeps its socket but answers nothing, not even a new
    // client's greeting, until resumed.
    void pause();
    void resume();

private:
    struct Served {
        QString service;
        QString path;
        QString connectionName;
        std::unique_ptr<QObject> object;
    };

    QString newConnectionName();

    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    bool m_paused = false;
    QThread m_serviceThread;
    std::vector<Served> m_served;
    QStringList m_clientConnections;
    int m_connections = 0;
};
