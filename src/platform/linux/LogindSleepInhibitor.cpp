#include "LogindSleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <optional>

namespace {

const QString kApplication = QStringLiteral("Quillmarsh");
const QString kWhy = QStringLiteral("Keeping the display awake while Anti Shut is on");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// Both services answer at once. The hold is taken on the calling (main) thread, so this bounds how
// long a bus that hangs can hold the window up; both questions are asked together.
constexpr int kCallTimeoutMs = 2'000;

class InhibitorHold : public SleepHold {
public:
    InhibitorHold(QDBusUnixFileDescriptor lock, QDBusConnection session, std::optional<uint> cookie)
        : m_lock(std::move(lock)), m_session(std::move(session)), m_cookie(cookie)
    {
    }
    ~InhibitorHold() override
    {
        if (m_cookie) {
            QDBusMessage release = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver,
                                                                  QStringLiteral("UnInhibit"));
            release << *m_cookie;
            // Nothing waits for the answer: a hung session bus must not hold up the caller, and the
            // screen saver drops the inhibition anyway when this process's connection ends.
            m_session.asyncCall(release);
        }
    }

    // logind's lock ends only with the descriptor, the screen saver's with UnInhibit or this
    // process's connection: neither can end by itself.
    bool isHeld() const override { return true; }

private:
    QDBusUnixFileDescriptor m_lock;
    QDBusConnection m_session;
    std::optional<uint> m_cookie;
};

} // namespace

LogindSleepInhibitor::LogindSleepInhibitor(LazyBusConnection system, LazyBusConnection session)
    : m_system(std::move(system)), m_session(std::move(session))
{
}

std::unique_ptr<SleepHold> LogindSleepInhibitor::hold()
{
    QDBusMessage inhibit = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                          QStringLiteral("/org/freedesktop/login1"),
                                                          QStringLiteral("org.freedesktop.login1.Manager"),
                                                          QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("idle:sleep") << kApplication << kWhy << QStringLiteral("block");
    QDBusMessage keepScreen = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver,
                                                             QStringLiteral("Inhibit"));
    keepScreen << kApplication << kWhy;
    QDBusPendingCall locking = m_system->asyncCall(inhibit, kCallTimeoutMs);
    QDBusPendingCall keeping = m_session->asyncCall(keepScreen, kCallTimeoutMs);
    locking.waitForFinished();
    keeping.waitForFinished();

    const QDBusMessage locked = locking.reply();
    QDBusUnixFileDescriptor lock;
    if (locked.type() == QDBusMessage::ReplyMessage && !locked.arguments().isEmpty())
        lock = qvariant_cast<QDBusUnixFileDescriptor>(locked.arguments().constFirst());

    const QDBusMessage kept = keeping.reply();
    std::optional<uint> cookie;
    if (kept.type() == QDBusMessage::ReplyMessage && !kept.arguments().isEmpty()
        && kept.arguments().constFirst().metaType() == QMetaType::fromType<uint>())
        cookie = kept.arguments().constFirst().toUInt();

    if (!lock.isValid() && !cookie)
        return nullptr;
    return std::make_unique<InhibitorHold>(std::move(lock), *m_session, cookie);
}
