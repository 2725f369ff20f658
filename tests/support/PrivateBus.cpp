#include "PrivateBus.h"

#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

namespace {

// Anyone on this machine's bus may own any name and call anything: the test plays every service.
QByteArray configuration(const QString& socket)
{
    return QByteArrayLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)") + socket.toUtf8() + QByteArrayLiteral(R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
}

// Generous: it only bounds a daemon that never speaks, on a loaded machine.
constexpr int kStartLimitMs = 30'000;

} // namespace

PrivateBus::PrivateBus(const QString& socket)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon is not installed (scripts/setup installs it)");
        return;
    }
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_folder.errorString();
        return;
    }
    const QString configPath = m_folder.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write(configuration(socket.isEmpty() ? m_folder.filePath(QStringLiteral("bus")) : socket)) < 0) {
        m_error = QStringLiteral("cannot write ") + configPath;
        return;
    }
    config.close();

    // The daemon goes with the test process, also when that one crashes.
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    // As root it complains of the descriptor limit it may not raise; nothing a test needs.
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(program, {QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1"),
                             QStringLiteral("--config-file=") + configPath});
    if (!m_daemon.waitForStarted(kStartLimitMs)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    const QDeadlineTimer limit(kStartLimitMs);
    while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running && !limit.hasExpired())
        m_daemon.waitForReadyRead(int(limit.remainingTime()));
    const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (address.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon told no address");
        return;
    }
    m_address = address;
    m_serviceThread.setObjectName(QStringLiteral("PrivateBus services"));
    m_serviceThread.start();
}

PrivateBus::~PrivateBus()
{
    resume();
    QStringList names = m_clientConnections;
    for (const Served& served : m_served) {
        QDBusConnection(served.connectionName).unregisterObject(served.path);
        if (!names.contains(served.connectionName))
            names.append(served.connectionName);
    }
    m_serviceThread.quit();
    m_serviceThread.wait();
    // The thread has ended: nothing can be delivered to the objects any more.
    m_served.clear();
    for (const QString& name : std::as_const(names))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished(kStartLimitMs);
    }
}

QString PrivateBus::newConnectionName()
{
    return QStringLiteral("qm-private-bus-%1-%2").arg(reinterpret_cast<quintptr>(this)).arg(++m_connections);
}

QDBusConnection PrivateBus::connect()
{
    const QString name = newConnectionName();
    m_clientConnections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

bool PrivateBus::serve(const QString& service, const QString& path, QObject* object, QDBusConnection::RegisterOptions options)
{
    QString connectionName;
    for (const Served& served : m_served) {
        if (served.service == service)
            connectionName = served.connectionName;
    }
    // A parented object belongs to its parent: refused without being taken.
    if (object->parent())
        return false;
    std::unique_ptr<QObject> owned(object);
    if (!isRunning())
        return false;
    if (connectionName.isEmpty()) {
        connectionName = newConnectionName();
        QDBusConnection connection = QDBusConnection::connectToBus(m_address, connectionName);
        if (!connection.isConnected() || !connection.registerService(service)) {
            QDBusConnection::disconnectFromBus(connectionName);
            return false;
        }
    }
    QDBusConnection connection(connectionName);
    // A service served again after it was withdrawn takes its name back, and the new object takes
    // the path from the one before.
    if (!connection.registerService(service))
        return false;
    connection.unregisterObject(path);
    auto* scripted = qobject_cast<QDBusVirtualObject*>(object);
    if (scripted ? !connection.registerVirtualObject(path, scripted) : !connection.registerObject(path, object, options))
        return false;
    // After the registration, which gives the object a helper child on this thread.
    object->moveToThread(&m_serviceThread);
    m_served.push_back(Served{service, path, connectionName, std::move(owned)});
    return true;
}

bool PrivateBus::emitSignal(const QString& service, const QDBusMessage& signal)
{
    for (const Served& served : m_served) {
        if (served.service == service)
            return QDBusConnection(served.connectionName).send(signal);
    }
    return false;
}

void PrivateBus::withdraw(const QString& service)
{
    for (const Served& served : m_served) {
        if (served.service == service) {
            QDBusConnection(served.connectionName).unregisterService(service);
            return;
        }
    }
}

void PrivateBus::pause()
{
    if (m_daemon.state() == QProcess::Running && ::kill(pid_t(m_daemon.processId()), SIGSTOP) == 0)
        m_paused = true;
}

void PrivateBus::resume()
{
    if (m_paused && ::kill(pid_t(m_daemon.processId()), SIGCONT) == 0)
        m_paused = false;
}
