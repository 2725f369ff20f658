#include "LinuxFileRevealer.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

void openContainingFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    QProcess::startDetached(QStringLiteral("/usr/bin/xdg-open"), {QUrl::fromLocalFile(folder).toString()});
}

} // namespace

void LinuxFileRevealer::reveal(const QString& path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    m_session.callAsync(call, callTimeout, QCoreApplication::instance(), [path](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage)
            openContainingFolder(path);
    });
}
