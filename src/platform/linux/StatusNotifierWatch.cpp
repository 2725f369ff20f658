#include "StatusNotifierWatch.h"

#include "MainThread.h"

#include <QDBusError>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <memory>
#include <utility>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// An answer of the bus, or an error that says it gave none in time. No connection is an answer:
// there is no session bus, so no watcher on it.
bool answered(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    static const QStringList unanswered = {QDBusError::errorString(QDBusError::Timeout),
                                           QDBusError::errorString(QDBusError::NoReply),
                                           QDBusError::errorString(QDBusError::TimedOut)};
    return reply.type() == QDBusMessage::ErrorMessage && !unanswered.contains(reply.errorName());
}

// Tells the watch, on the main thread, that something about the tray changed. QtDBus delivers
// bus signals to slots only.
class ChangeRelay : public QObject {
    Q_OBJECT
public:
    ChangeRelay(QPointer<QObject> watch, std::function<void(QObject*)> tell, QObject* parent)
        : QObject(parent), m_watch(std::move(watch)), m_tell(std::move(tell))
    {
    }

public slots:
    void relay()
    {
        MainThread::post([watch = m_watch, tell = m_tell] {
            if (watch)
                tell(watch);
        });
    }

private:
    QPointer<QObject> m_watch;
    std::function<void(QObject*)> m_tell;
};

} // namespace

StatusNotifierWatch::StatusNotifierWatch(LazyBusConnection bus, QObject* parent)
    : StatusNotifierWatch(std::move(bus), Options{}, parent)
{
}

StatusNotifierWatch::StatusNotifierWatch(LazyBusConnection bus, Options options, QObject* parent)
    : StatusAreaWatcher(parent), m_bus(std::move(bus)), m_options(options)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(m_options.retryInterval);
    connect(&m_retry, &QTimer::timeout, this, &StatusNotifierWatch::ask);
    followSignals();
}

StatusNotifierWatch::~StatusNotifierWatch()
{
    m_busSide->deleteLater();
}

void StatusNotifierWatch::followSignals()
{
    m_busSide = new QObject;
    m_busSide->moveToThread(m_bus.thread());
    const auto askAgain = [](QObject* watch) { static_cast<StatusNotifierWatch*>(watch)->ask(); };
    // Used on the bus's thread only: the signals are followed once, on a connection that is made.
    // A connection made after the watch went finds its side gone.
    auto following = std::make_shared<bool>(false);
    const auto follow = [side = QPointer<QObject>(m_busSide), watch = QPointer<QObject>(this), askAgain,
                         following](const QDBusConnection& connection) -> ChangeRelay* {
        if (!side)
            return nullptr;
        auto* relay = new ChangeRelay(watch, askAgain, side);
        if (*following || !connection.isConnected())
            return relay;
        *following = true;
        QDBusConnection bus = connection;
        auto* owner = new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange, side);
        QObject::connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, relay, &ChangeRelay::relay);
        for (const char* name : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(QString(), kWatcherPath, kWatcher, QString::fromLatin1(name), relay, SLOT(relay()));
        return relay;
    };
    // The first question follows the subscriptions; a bus that comes up late is asked once it does,
    // and one that is missed is asked now, to learn that it does not answer.
    const auto followAndAsk = [follow](const QDBusConnection& connection) {
        if (ChangeRelay* relay = follow(connection))
            relay->relay();
    };
    m_bus.whenConnected(followAndAsk);
    m_bus.run([followAndAsk](const QDBusConnection& connection) {
        if (!connection.isConnected())
            followAndAsk(connection);
    });
}

void StatusNotifierWatch::afterNextAnswer(QObject* context, std::function<void()> then)
{
    m_waiting.append({context, std::move(then)});
    ask();
}

void StatusNotifierWatch::ask()
{
    if (m_asking) {
        m_askAgain = true;
        return;
    }
    m_asking = true;
    m_retry.stop();
    QDBusMessage owner = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    owner << kWatcher;
    m_bus.callAsync(owner, m_options.answerLimit, this, [this](const QDBusMessage& reply) {
        m_asking = false;
        const bool again = std::exchange(m_askAgain, false);
        ownerAnswered(reply, !again);
        if (again)
            ask();
    });
}

void StatusNotifierWatch::ownerAnswered(const QDBusMessage& reply, bool serveWaiting)
{
    if (!answered(reply))
        return unanswered();
    m_retry.stop();
    // The daemon's error is that no one owns the name.
    const bool watcherRuns = reply.type() == QDBusMessage::ReplyMessage;
    ++m_hostReading;
    if (watcherRuns) {
        set(m_hostPresent, true);
        readHost();
    } else {
        set(false, true);
    }
    if (!serveWaiting)
        return;
    const auto waiting = std::exchange(m_waiting, {});
    for (const auto& [context, then] : waiting) {
        if (context)
            then();
    }
}

void StatusNotifierWatch::readHost()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    m_bus.callAsync(get, m_options.answerLimit, this, [this, reading = m_hostReading](const QDBusMessage& reply) {
        if (reading != m_hostReading)
            return;
        if (!answered(reply))
            unanswered();
        else if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            set(reply.arguments().constFirst().value<QDBusVariant>().variant().toBool(), true);
        else
            set(false, true);
    });
}

void StatusNotifierWatch::unanswered()
{
    set(m_hostPresent, false);
    // A bus not connected yet is tried again by the connection itself, which then asks here.
    if (!m_retry.isActive() && m_bus.isConnected())
        m_retry.start();
}

void StatusNotifierWatch::set(bool hostPresent, bool answering)
{
    if (hostPresent == m_hostPresent && answering == m_answering)
        return;
    m_hostPresent = hostPresent;
    m_answering = answering;
    emit changed();
}

#include "StatusNotifierWatch.moc"
