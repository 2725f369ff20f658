#pragma once

#include "WorkQueues.h"

#include <QByteArray>
#include <QString>

class ProcessRunner;

// The log-in launch agent "com.quillmarsh.app": a property list in the user's LaunchAgents folder,
// loaded and unloaded with launchctl. Changes run in the background one after another, in the order
// they were asked for, so the last one wins.
class LaunchAgent {
public:
    static inline const QString label = QStringLiteral("com.quillmarsh.app");
    static inline const QString launchctl = QStringLiteral("/bin/launchctl");

    LaunchAgent(ProcessRunner& runner, QString homeDirectory, QString applicationPath);

    QString plistPath() const { return plistPath(m_home); }
    static QString plistPath(const QString& homeDirectory);
    static QByteArray plist(const QString& applicationPath);

    // Queues the install (true) or removal (false); returns at once.
    void apply(bool enabled);
    void waitForDone() { m_queue.waitForDone(); }

private:
    void install() const;
    void remove() const;

    ProcessRunner& m_runner;
    const QString m_home;
    const QString m_applicationPath;
    SerialQueue m_queue;
};
