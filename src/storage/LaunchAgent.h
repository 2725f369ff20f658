#pragma once

#include "WorkQueues.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Launch at log-in: the freedesktop autostart entry "com.quillmarsh.app.desktop" in the user's
// autostart folder, which the desktop session reads at log-in to start the application. Changes
// run in the background one after another, in the order they were asked for, so the last one wins.
class LaunchAgent {
public:
    static inline const QString label = QStringLiteral("com.quillmarsh.app");

    LaunchAgent(QString autostartDirectory, QString applicationPath);

    QString entryPath() const { return entryPath(m_autostartDirectory); }
    static QString entryPath(const QString& autostartDirectory);
    // The entry that starts `applicationPath`; nothing for a path a desktop entry cannot carry.
    static std::optional<QByteArray> desktopEntry(const QString& applicationPath);

    // Queues writing (true) or removing (false) the entry; returns at once.
    void apply(bool enabled);
    void waitForDone() { m_queue.waitForDone(); }

private:
    void install() const;
    void remove() const;

    const QString m_autostartDirectory;
    const QString m_applicationPath;
    SerialQueue m_queue;
};
