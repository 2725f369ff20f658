#include "LiveCheck.h"

#include "linux/ProcFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <unistd.h>

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

LiveCheck::LiveCheck()
{
    for (const char* sub : {"config", "data", "cache", "state", "runtime"})
        QDir(m_home.path()).mkpath(sub);
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert("HOME", m_home.path());
    m_env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
    m_env.insert("XDG_DATA_HOME", m_home.filePath("data"));
    m_env.insert("XDG_CACHE_HOME", m_home.filePath("cache"));
    m_env.insert("XDG_STATE_HOME", m_home.filePath("state"));
    m_env.insert("XDG_RUNTIME_DIR", m_home.filePath("runtime"));
    m_env.insert("QT_QPA_PLATFORM", "xcb");
    QFile::setPermissions(m_home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

LiveCheck::~LiveCheck()
{
    for (QProcess* process : m_processes) {
        ::kill(pid_t(process->processId()), SIGCONT);
        process->kill();
        process->waitForFinished(3000);
        delete process;
    }
}

QString LiveCheck::copy(const QString& program, const QString& name)
{
    const QString target = m_bin.filePath(name);
    QFile::copy(program, target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return target;
}

QProcess* LiveCheck::start(const QString& program, const QStringList& arguments, const QString& label)
{
    auto* process = new QProcess;
    process->setProcessEnvironment(m_env);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    m_processes.append(process);
    if (!process->waitForStarted(5000))
        return nullptr;
    m_labels.insert(process, label);
    return process;
}

void LiveCheck::echo()
{
    for (QProcess* process : std::as_const(m_processes)) {
        while (process->canReadLine()) {
            const QString line = QString::fromUtf8(process->readLine()).trimmed();
            m_seen[process].append(line);
            say("  " + m_labels.value(process) + ": " + line);
        }
    }
}

bool LiveCheck::waitFor(QProcess* process, const QString& line)
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        echo();
        if (m_seen.value(process).contains(line))
            return true;
        if (process->state() == QProcess::NotRunning && !process->canReadLine())
            return false;
        process->waitForReadyRead(100);
    }
    return false;
}

char LiveCheck::stateOf(QProcess* process)
{
    const auto stat = ProcFiles::readStat("/proc", qint32(process->processId()));
    return stat ? stat->state : '?';
}

bool LiveCheck::waitForState(QProcess* process, char state)
{
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        echo();
        if (stateOf(process) == state)
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        ::usleep(100'000);
    }
    return false;
}

bool LiveCheck::settlesIn(QProcess* process, char state)
{
    if (!waitForState(process, state))
        return false;
    QDeadlineTimer hold(2500);
    while (!hold.hasExpired()) {
        echo();
        if (stateOf(process) != state)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ::usleep(50'000);
    }
    return true;
}

bool LiveCheck::inFront(const QString& name)
{
    std::optional<RunningApplication> front;
    QDeadlineTimer deadline(3000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        front = m_workspace.frontmostApplication();
    } while (!(front && front->localizedName == name) && !deadline.hasExpired());
    say("  in front: " + (front ? front->localizedName + " (pid " + QString::number(front->processIdentifier) + ")"
                                 : QString("nothing")));
    return front && front->localizedName == name;
}

void LiveCheck::check(const QString& what, bool ok)
{
    ++(ok ? m_passed : m_failed);
    say(QString(ok ? "PASS " : "FAIL ") + what);
}

int LiveCheck::fail(const QString& why)
{
    check(why, false);
    return finish();
}

int LiveCheck::finish() const
{
    say(QString("%1 passed, %2 failed").arg(m_passed).arg(m_failed));
    return m_failed == 0 ? 0 : 1;
}
