#pragma once

#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"

#include <QHash>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QProcess;

// Prints one line at once, so that a check's progress shows while it runs.
void say(const QString& line);

// What both live checks stand on: a scratch home that every process they start gets as its own,
// the processes themselves (continued and killed at the end), their output lines, the state the
// kernel gives them, what this machine's workspace has in front, and the tally of checks.
class LiveCheck {
public:
    LiveCheck();
    ~LiveCheck();
    LiveCheck(const LiveCheck&) = delete;
    LiveCheck& operator=(const LiveCheck&) = delete;

    QString homePath(const QString& relative) const { return m_home.filePath(relative); }

    // A copy of `program` named `name`, so that it runs under that name.
    QString copy(const QString& program, const QString& name);
    // Starts a process in the scratch home; `label` prefixes its echoed lines. Nothing when it did not start.
    QProcess* start(const QString& program, const QStringList& arguments, const QString& label);

    // Echoes every line the processes printed since the last call.
    void echo();
    // Reads the process's lines until one equals `line`, echoing them.
    bool waitFor(QProcess* process, const QString& line);
    static char stateOf(QProcess* process);
    bool waitForState(QProcess* process, char state);
    // The state is reached and then held for a while: the watcher under test evaluates once a second.
    bool settlesIn(QProcess* process, char state);
    // Whether this machine's workspace has the application `name` in front within a few seconds; its
    // snapshot is refreshed once a second and published through the event loop.
    bool inFront(const QString& name);

    void check(const QString& what, bool ok);
    int fail(const QString& why);
    // Prints the tally; the exit status of the check.
    int finish() const;

private:
    LinuxProcessControl m_control;
    LinuxWorkspace m_workspace{m_control, {}};
    QTemporaryDir m_home;
    QTemporaryDir m_bin;
    QProcessEnvironment m_env;
    QList<QProcess*> m_processes;
    QHash<QProcess*, QString> m_labels;
    QHash<QProcess*, QStringList> m_seen;
    int m_passed = 0;
    int m_failed = 0;
};
