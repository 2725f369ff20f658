#include "LinuxProcessRunner.h"

#include "ErrorText.h"
#include "LinuxHeldProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kRelocatedTools = {"ping", "du", "dig"};
const QStringList kBinaryFolders = {"/usr/bin", "/bin", "/usr/sbin", "/sbin"};

// Tool output is parsed, so it must not change with the user's language.
QProcessEnvironment childEnvironment()
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    return env;
}

// Why the program cannot be started, said so that it may be shown to the user; nothing when it can.
// Checked before a QProcess exists: a failed start inside QProcess leaves a pipe open, and tools
// missing here are tried every few seconds.
std::optional<QString> startProblem(const QString& program)
{
    const QByteArray path = QFile::encodeName(program);
    struct stat status {};
    int error = 0;
    if (::stat(path.constData(), &status) != 0)
        error = errno;
    else if (!S_ISREG(status.st_mode))
        error = EACCES;
    else if (::access(path.constData(), X_OK) != 0)
        error = errno;
    switch (error) {
    case 0: return std::nullopt;
    case ENOENT:
    case ENOTDIR: return program + QStringLiteral(" is not installed");
    case EACCES:
    case EPERM: return program + QStringLiteral(" is not a program this user may run");
    default: break;
    }
    return program + QStringLiteral(" could not be started: ") +
           ErrorText::continuingSentence(qt_error_string(error));
}

} // namespace

QString LinuxProcessRunner::resolveProgram(const QString& program)
{
    const QFileInfo info(program);
    if (info.exists() || !kRelocatedTools.contains(info.fileName()))
        return program;
    const QString found = QStandardPaths::findExecutable(info.fileName(), kBinaryFolders);
    return found.isEmpty() ? program : found;
}

ProcessResult LinuxProcessRunner::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    return runUnlessAbandoned(program, arguments, timeoutMs, {});
}

ProcessResult LinuxProcessRunner::runUnlessAbandoned(const QString& program, const QStringList& arguments,
                                                     int timeoutMs, const std::function<bool()>& abandoned)
{
    const QString resolved = resolveProgram(program);
    if (m_ending)
        return ProcessResult::notStarted(QStringLiteral("The application is quitting."));
    if (const auto problem = startProblem(resolved))
        return ProcessResult::notStarted(*problem);
    QProcess process;
    process.setProgram(resolved);
    process.setArguments(arguments);
    process.setProcessEnvironment(childEnvironment());
    process.setStandardInputFile(QProcess::nullDevice());

    QDeadlineTimer deadline(timeoutMs);
    process.start();
    if (!process.waitForStarted(int(deadline.remainingTime())))
        return ProcessResult::notStarted(process.errorString());

    // Waits in short steps so that a quit, or a caller that has gone away, ends the child at once
    // rather than after its timeout.
    constexpr qint64 kStepMs = 100;
    ProcessResult result;
    bool finished = false;
    while (!finished && !deadline.hasExpired() && !m_ending && !(abandoned && abandoned())) {
        const qint64 step = deadline.isForever() ? kStepMs : qBound<qint64>(0, deadline.remainingTime(), kStepMs);
        finished = process.waitForFinished(int(step)) || process.state() == QProcess::NotRunning;
    }
    if (!finished) {
        process.kill();
        process.waitForFinished(1000);
        result.outcome = m_ending ? ProcessResult::Outcome::Crashed : ProcessResult::Outcome::TimedOut;
    } else if (process.exitStatus() == QProcess::CrashExit) {
        result.outcome = ProcessResult::Outcome::Crashed;
    } else {
        result.outcome = ProcessResult::Outcome::Exited;
        result.exitCode = process.exitCode();
    }
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

std::unique_ptr<HeldProcess> LinuxProcessRunner::startHeld(const QString& program, const QStringList& arguments)
{
    const QString resolved = resolveProgram(program);
    if (m_ending || startProblem(resolved))
        return nullptr;
    auto held = std::make_unique<LinuxHeldProcess>(m_heldChildren);
    if (!held->start(resolved, arguments, childEnvironment()))
        return nullptr;
    return held;
}

void LinuxProcessRunner::endChildren()
{
    m_ending = true;
    const QList<QProcess*> children = m_heldChildren.findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* child : children)
        child->kill();
    const QDeadlineTimer deadline(kEndWaitMs);
    for (QProcess* child : children)
        child->waitForFinished(int(qMax<qint64>(deadline.remainingTime(), 0)));
}
