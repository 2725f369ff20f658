#include "ResolvedCacheFlusher.h"

#include <QDBusMessage>

bool ResolvedCacheFlusher::flush()
{
    const QDBusMessage flush = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.resolve1"), QStringLiteral("/org/freedesktop/resolve1"),
        QStringLiteral("org.freedesktop.resolve1.Manager"), QStringLiteral("FlushCaches"));
    return m_system.call(flush, std::chrono::seconds(10)).type() == QDBusMessage::ReplyMessage;
}
