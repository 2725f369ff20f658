#include "LogindSleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <optional>

namespace {

const QString kApplication = QStringLiteral("Quillmarsh");
const QString kWhy = QStringLiteral("Keeping the display awake while Anti Shut is on");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");

std::optional<uint> cookieOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()
        || reply.arguments().constFirst().metaType() != QMetaType::fromType<uint>())
        return std::nullopt;
    return reply.arguments().constFirst().toUInt();
}

QDBusUnixFileDescriptor lockOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
}

void release(const LazyBusConnection& session, uint cookie)
{
    QDBusMessage release = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver,
                                                          QStringLiteral("UnInhibit"));
    release << cookie;
    // Nothing waits for the answer: the screen saver drops the inhibition anyway when this
    // process's connection ends.
    session.send(release);
}

class InhibitorHold : public SleepHold {
public:
    InhibitorHold(QDBusUnixFileDescriptor lock, LazyBusConnection session, std::optional<uint> cookie)
        : m_lock(std::move(lock)), m_session(std::move(session)), m_cookie(cookie)
    {
    }
    ~InhibitorHold() override
    {
        if (m_cookie)
            release(m_session, *m_cookie);
    }

    // logind's lock ends only with the descriptor, the screen saver's with UnInhibit or this
    // process's connection: neither can end by itself.
    bool isHeld() const override { return true; }

private:
    QDBusUnixFileDescriptor m_lock;
    LazyBusConnection m_session;
    std::optional<uint> m_cookie;
};

// The two answers, gathered on the main thread.
struct Answers {
    std::optional<QDBusUnixFileDescriptor> lock;
    std::optional<std::optional<uint>> cookie;
};

} // namespace

LogindSleepInhibitor::LogindSleepInhibitor(LazyBusConnection system, LazyBusConnection session)
    : m_system(std::move(system)), m_session(std::make_shared<const LazyBusConnection>(std::move(session)))
{
}

void LogindSleepInhibitor::hold(QObject* context, Taken taken)
{
    QDBusMessage inhibit = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                          QStringLiteral("/org/freedesktop/login1"),
                                                          QStringLiteral("org.freedesktop.login1.Manager"),
                                                          QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("idle:sleep") << kApplication << kWhy << QStringLiteral("block");
    QDBusMessage keepScreen = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver,
                                                             QStringLiteral("Inhibit"));
    keepScreen << kApplication << kWhy;

    auto answers = std::make_shared<Answers>();
    const std::weak_ptr<const LazyBusConnection> session = m_session;
    const auto settle = [answers, session, taken = std::move(taken)] {
        if (!answers->lock || !answers->cookie)
            return;
        // Taken out: the answers live on in the time-outs' closures, the lock only in the hold.
        const QDBusUnixFileDescriptor lock = *answers->lock;
        answers->lock.reset();
        const auto bus = session.lock();
        if (!bus || (!lock.isValid() && !*answers->cookie))
            return taken(nullptr);
        taken(std::make_unique<InhibitorHold>(lock, *bus, *answers->cookie));
    };
    m_system.callAsync(inhibit, callTimeout, context, [answers, settle](const QDBusMessage& reply) {
        answers->lock = lockOf(reply);
        settle();
    });
    // An inhibition granted after the time-out is not kept; logind's lock, arriving late, is
    // released with its reply's descriptor.
    m_session->callAsync(
        keepScreen, callTimeout, context,
        [answers, settle](const QDBusMessage& reply) {
            answers->cookie = cookieOf(reply);
            settle();
        },
        [session](const QDBusMessage& reply) {
            const auto cookie = cookieOf(reply);
            if (const auto bus = session.lock(); cookie && bus)
                release(*bus, *cookie);
        });
}
