#include "LogindSleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusError>
#include <QDBusUnixFileDescriptor>
#include <QStringList>
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

// Why a service gave no hold.
enum class Refusal { Unanswered, Absent, Refused };

Refusal refusalOf(const QDBusMessage& reply)
{
    // No connection is a bus that did not answer, not a service that is missing from it.
    static const QStringList silent = {QDBusError::errorString(QDBusError::Timeout),
                                       QDBusError::errorString(QDBusError::NoReply),
                                       QDBusError::errorString(QDBusError::TimedOut),
                                       QDBusError::errorString(QDBusError::Disconnected)};
    static const QStringList gone = {QDBusError::errorString(QDBusError::ServiceUnknown),
                                     QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")};
    if (reply.type() == QDBusMessage::ErrorMessage && silent.contains(reply.errorName()))
        return Refusal::Unanswered;
    if (reply.type() == QDBusMessage::ErrorMessage && gone.contains(reply.errorName()))
        return Refusal::Absent;
    return Refusal::Refused;
}

QString problemOf(const QDBusMessage& logind, const QDBusMessage& screenSaver)
{
    const Refusal lock = refusalOf(logind);
    const Refusal saver = refusalOf(screenSaver);
    if (lock == Refusal::Unanswered && saver == Refusal::Unanswered)
        return QStringLiteral("no answer from the system bus or the session bus");
    const QString first = lock == Refusal::Unanswered ? QStringLiteral("no answer from the system bus")
                          : lock == Refusal::Absent   ? QStringLiteral("logind is not running")
                                                      : QStringLiteral("refused by logind");
    const QString second = saver == Refusal::Unanswered ? QStringLiteral("no answer from the session bus")
                           : saver == Refusal::Absent   ? QStringLiteral("no screen saver runs in this session")
                                                        : QStringLiteral("refused by the screen saver");
    return first + QStringLiteral(", and ") + second;
}

// The two answers, gathered on the main thread.
struct Answers {
    std::optional<QDBusMessage> lock;
    std::optional<QDBusMessage> cookie;
    bool settled = false;
};

} // namespace

LogindSleepInhibitor::LogindSleepInhibitor(LazyBusConnection system, LazyBusConnection session,
                                           std::chrono::milliseconds timeout)
    : m_system(std::move(system)),
      m_timeout(timeout),
      m_session(std::make_shared<const LazyBusConnection>(std::move(session)))
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
        answers->settled = true;
        // Taken out, so that the lock lives in the hold only.
        const QDBusMessage lockReply = *std::exchange(answers->lock, QDBusMessage());
        const QDBusUnixFileDescriptor lock = lockOf(lockReply);
        const std::optional<uint> cookie = cookieOf(*answers->cookie);
        const auto bus = session.lock();
        if (!lock.isValid() && !cookie)
            return taken(nullptr, problemOf(lockReply, *answers->cookie));
        if (!bus)
            return taken(nullptr, {});
        taken(std::make_unique<InhibitorHold>(lock, *bus, cookie), {});
    };
    // What a service grants after its time-out, or once `context` is gone, is given back: logind's
    // lock closes with the descriptor in its reply, the screen saver's inhibition is released.
    m_system.callAsync(
        inhibit, m_timeout, context,
        [answers, settle](const QDBusMessage& reply) {
            answers->lock = reply;
            settle();
        },
        [answers, session](const QDBusMessage&) {
            // The screen saver's answer, waiting for this one, is nobody's either.
            const auto bus = session.lock();
            const auto cookie = answers->cookie ? cookieOf(*answers->cookie) : std::nullopt;
            if (!answers->settled && cookie && bus)
                release(*bus, *cookie);
        });
    m_session->callAsync(
        keepScreen, m_timeout, context,
        [answers, settle](const QDBusMessage& reply) {
            answers->cookie = reply;
            settle();
        },
        [session](const QDBusMessage& reply) {
            const auto cookie = cookieOf(reply);
            if (const auto bus = session.lock(); cookie && bus)
                release(*bus, *cookie);
        });
}
