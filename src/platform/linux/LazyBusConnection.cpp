#include "LazyBusConnection.h"

#include "MainThread.h"

#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <poll.h>
#include <vector>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// At exit a thread still connecting to a bus that does not answer is left to the end of the
// process rather than holding the exit up.
constexpr unsigned long kEndWaitMs = 1000;

const QString kTimedOut = QStringLiteral("The bus did not answer in time");

// A daemon that is alive greets a new client at once; one that is stopped never does.
constexpr int kGreetingWaitMs = 2000;

enum class Greeting { Answers, Silent, Absent };

// How the daemon at a D-Bus address ("unix:path=/run/dbus/system_bus_socket,guid=…") meets a new
// client. QtDBus connects all buses on one shared thread of its own, and a daemon that never
// answers would hold that thread, and every other bus with it, for the whole default time-out. Only
// a local socket can be asked; any other address counts as answering.
Greeting greet(const QString& address)
{
    const QString first = address.section(u';', 0, 0);
    if (!first.startsWith(QLatin1String("unix:")))
        return Greeting::Answers;
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    QByteArray name;
    bool abstract = false;
    for (const QString& pair : first.mid(5).split(u',')) {
        const QByteArray value = QByteArray::fromPercentEncoding(pair.section(u'=', 1).toUtf8());
        if (pair.startsWith(QLatin1String("path=")) || pair.startsWith(QLatin1String("abstract="))) {
            name = value;
            abstract = pair.startsWith(QLatin1String("abstract="));
        }
    }
    const qsizetype offset = abstract ? 1 : 0;
    if (name.isEmpty() || name.size() + offset >= qsizetype(sizeof socketAddress.sun_path))
        return Greeting::Answers;
    std::copy(name.cbegin(), name.cend(), socketAddress.sun_path + offset);
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + name.size() + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Greeting::Answers;
    Greeting greeting = Greeting::Absent;
    static constexpr char kHello[] = "\0AUTH\r\n";
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&socketAddress), length) == 0
        && ::send(fd, kHello, sizeof kHello - 1, MSG_NOSIGNAL) == qsizetype(sizeof kHello - 1)) {
        pollfd reply{fd, POLLIN, 0};
        greeting = ::poll(&reply, 1, kGreetingWaitMs) == 1 ? Greeting::Answers : Greeting::Silent;
    }
    ::close(fd);
    return greeting;
}

// A connection that failed is kept under its name; it is let go, so that this try is a new one.
QDBusConnection connectAfresh(const QString& address, const QString& name)
{
    if (const QDBusConnection kept(name); !kept.isConnected())
        QDBusConnection::disconnectFromBus(name);
    return QDBusConnection::connectToBus(address, name);
}

QString standardAddress(QDBusConnection::BusType type)
{
    const QString set = qEnvironmentVariable(type == QDBusConnection::SystemBus ? "DBUS_SYSTEM_BUS_ADDRESS"
                                                                                 : "DBUS_SESSION_BUS_ADDRESS");
    if (!set.isEmpty() || type == QDBusConnection::SessionBus)
        return set;
    return QStringLiteral("unix:path=/var/run/dbus/system_bus_socket");
}

} // namespace

// What the bus's thread uses. It outlives the State when that thread does not end in time.
struct BusWorker {
    std::function<QDBusConnection()> connect;
    // Asked first when not empty.
    QString address;
    std::optional<LazyBusConnection::Retry> retry;
    QThread thread;
    QObject* anchor = new QObject;
    // Made and used on the thread only.
    std::optional<QDBusConnection> connection;
    // The daemon did not greet the last try to connect.
    bool silent = false;
    // Runs once a connection is made.
    std::vector<LazyBusConnection::Work> waiting;
    QTimer* again = nullptr;
    std::chrono::milliseconds wait{};
    std::atomic<bool> connected = false;

    // Not connected while the daemon does not answer; the next use asks again.
    QDBusConnection bus()
    {
        if (!connection)
            tryConnecting();
        return connection ? *connection : QDBusConnection(QString());
    }

    void tryConnecting()
    {
        const Greeting greeting = address.isEmpty() ? Greeting::Answers : greet(address);
        silent = greeting == Greeting::Silent;
        if (!retry) {
            // QtDBus fails at once where nothing listens, and that failure is kept.
            if (!silent)
                connection = connect();
        } else if (greeting == Greeting::Answers) {
            // Where nothing listens no connection is kept, so that the next try starts afresh.
            if (const QDBusConnection made = connect(); made.isConnected())
                connection = made;
        }
        if (!connection || !connection->isConnected()) {
            if (retry)
                tryAgainLater();
            return;
        }
        connected = true;
        if (again)
            again->stop();
        for (const LazyBusConnection::Work& work : std::exchange(waiting, {}))
            work(*connection);
    }

    void tryAgainLater()
    {
        if (!again) {
            again = new QTimer(anchor);
            again->setSingleShot(true);
            QObject::connect(again, &QTimer::timeout, anchor, [this] {
                if (!connection)
                    tryConnecting();
            });
            wait = retry->first;
        }
        // A use that misses the bus leaves the next try where it was.
        if (again->isActive())
            return;
        again->start(wait);
        wait = std::min(wait * 2, retry->longest);
    }
};

struct LazyBusConnection::State {
    std::function<QDBusConnection()> connect;
    QString address;
    std::chrono::milliseconds callLimit;
    std::optional<Retry> retry;
    std::mutex mutex;
    BusWorker* worker = nullptr;

    ~State()
    {
        if (!worker)
            return;
        worker->anchor->deleteLater();
        worker->thread.quit();
        if (worker->thread.wait(kEndWaitMs))
            delete worker;
    }

    BusWorker* start()
    {
        const std::lock_guard lock(mutex);
        if (!worker) {
            worker = new BusWorker;
            worker->connect = std::move(connect);
            worker->address = address;
            worker->retry = retry;
            worker->thread.setObjectName(QStringLiteral("bus"));
            worker->anchor->moveToThread(&worker->thread);
            worker->thread.start();
        }
        return worker;
    }

    template <typename Fn>
    void post(Fn fn)
    {
        BusWorker* bus = start();
        QMetaObject::invokeMethod(bus->anchor, [bus, fn = std::move(fn)] { fn(*bus); }, Qt::QueuedConnection);
    }
};

LazyBusConnection::LazyBusConnection(QDBusConnection connection, std::chrono::milliseconds callLimit)
    : LazyBusConnection([connection] { return connection; }, {}, callLimit)
{
}

LazyBusConnection::LazyBusConnection(std::function<QDBusConnection()> connect, const QString& address,
                                     std::chrono::milliseconds callLimit, std::optional<Retry> retry)
    : m_state(std::make_shared<State>())
{
    m_state->connect = std::move(connect);
    m_state->address = address;
    m_state->callLimit = callLimit;
    m_state->retry = retry;
}

LazyBusConnection LazyBusConnection::system()
{
    return LazyBusConnection([] { return QDBusConnection::systemBus(); }, standardAddress(QDBusConnection::SystemBus));
}

LazyBusConnection LazyBusConnection::session()
{
    const QString address = standardAddress(QDBusConnection::SessionBus);
    // With no address announced there is nothing to wait for.
    if (address.isEmpty())
        return LazyBusConnection([] { return QDBusConnection::sessionBus(); }, address);
    // Qt's shared connection, which its tray icon uses as well, is made only once the daemon has
    // greeted; should it fail even then, Qt keeps that failure, and the tries after it connect
    // to the address themselves.
    return LazyBusConnection(
        [address] {
            if (const QDBusConnection shared = QDBusConnection::sessionBus(); shared.isConnected())
                return shared;
            return connectAfresh(address, QStringLiteral("quillmarsh-session"));
        },
        address, std::chrono::milliseconds::max(), Retry{});
}

LazyBusConnection LazyBusConnection::toAddress(const QString& address, std::chrono::milliseconds callLimit)
{
    return toAddress(address, callLimit, Retry{});
}

LazyBusConnection LazyBusConnection::toAddress(const QString& address, std::chrono::milliseconds callLimit, Retry retry)
{
    return LazyBusConnection([address] { return connectAfresh(address, QStringLiteral("quillmarsh-") + address); },
                             address, callLimit, retry);
}

bool LazyBusConnection::answers(QDBusConnection::BusType type)
{
    const QString address = standardAddress(type);
    return address.isEmpty() || greet(address) == Greeting::Answers;
}

bool LazyBusConnection::isTimeout(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == QDBusError::errorString(QDBusError::Timeout)
        && reply.errorMessage() == kTimedOut;
}

std::chrono::milliseconds LazyBusConnection::limited(std::chrono::milliseconds timeout) const
{
    return std::min(timeout, m_state->callLimit);
}

void LazyBusConnection::ask(const QDBusMessage& message, std::chrono::milliseconds timeout, Reply answer) const
{
    m_state->post([message, timeout, answer = std::move(answer)](BusWorker& worker) {
        const QDBusConnection bus = worker.bus();
        // A daemon that does not answer is told apart from a bus that is not there at all.
        if (worker.silent)
            return answer(QDBusMessage::createError(QDBusError::Timeout, kTimedOut));
        const QDBusPendingCall pending = bus.asyncCall(message, int(timeout.count()));
        // Without a connection the call has failed already, and a watcher would never say so.
        if (pending.isFinished())
            return answer(pending.reply());
        auto* watcher = new QDBusPendingCallWatcher(pending, worker.anchor);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [answer](QDBusPendingCallWatcher* call) {
            answer(call->reply());
            call->deleteLater();
        });
    });
}

QDBusMessage LazyBusConnection::call(const QDBusMessage& message, std::chrono::milliseconds timeout) const
{
    auto answer = std::make_shared<std::promise<QDBusMessage>>();
    std::future<QDBusMessage> reply = answer->get_future();
    ask(message, timeout, [answer](const QDBusMessage& received) { answer->set_value(received); });
    if (reply.wait_for(limited(timeout)) != std::future_status::ready)
        return QDBusMessage::createError(QDBusError::Timeout, kTimedOut);
    return reply.get();
}

void LazyBusConnection::callAsync(const QDBusMessage& message, std::chrono::milliseconds timeout, QObject* context,
                                  Reply done, Reply late) const
{
    // Both ends run on the main thread: whichever comes first answers. The deadline goes with the
    // answer, so that no timer is left to wake the thread for nothing.
    auto answered = std::make_shared<bool>(false);
    auto* deadline = new QTimer(context);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, deadline, [answered, done, deadline] {
        deadline->deleteLater();
        *answered = true;
        done(QDBusMessage::createError(QDBusError::Timeout, kTimedOut));
    });
    deadline->start(limited(timeout));
    const auto waited = late ? std::max(timeout, lateAnswerLimit) : timeout;
    ask(message, waited,
        [answered, target = QPointer<QObject>(context), stop = QPointer<QTimer>(deadline), done,
         late](const QDBusMessage& reply) {
            MainThread::post([answered, target, stop, done, late, reply] {
                delete stop.data();
                if (target && !std::exchange(*answered, true))
                    done(reply);
                else if (late)
                    late(reply);
            });
        });
}

void LazyBusConnection::send(const QDBusMessage& message) const
{
    m_state->post([message](BusWorker& worker) { worker.bus().send(message); });
}

void LazyBusConnection::run(Work work) const
{
    m_state->post([work = std::move(work)](BusWorker& worker) { work(worker.bus()); });
}

void LazyBusConnection::whenConnected(Work work) const
{
    m_state->post([work = std::move(work)](BusWorker& worker) {
        if (worker.connected)
            work(*worker.connection);
        else
            worker.waiting.push_back(work);
    });
}

bool LazyBusConnection::isConnected() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->worker && m_state->worker->connected;
}

QThread* LazyBusConnection::thread() const
{
    return &m_state->start()->thread;
}
