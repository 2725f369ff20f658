#include "LinuxProcessRunner.h"

#include "LinuxHeldProcess.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

const QStringList kRelocatedTools = {"ping", "du", "dig"};
const QStringList kBinaryFolders = {"/usr/bin", "/bin", "/usr/sbin", "/sbin"};
constexpr int kAbandonCheckMs = 100;

// Tool output is parsed, so it must not change with the user's language.
QProcessEnvironment childEnvironment()
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    return env;
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
    QProcess process;
    process.setProgram(resolveProgram(program));
    process.setArguments(arguments);
    process.setProcessEnvironment(childEnvironment());
    process.setStandardInputFile(QProcess::nullDevice());

    QDeadlineTimer deadline(timeoutMs);
    process.start();
    if (!process.waitForStarted(int(deadline.remainingTime())))
        return ProcessResult::notStarted(process.errorString());

    ProcessResult result;
    bool finished = false;
    do {
        qint64 slice = deadline.remainingTime();
        if (abandoned && (slice < 0 || slice > kAbandonCheckMs))
            slice = kAbandonCheckMs;
        finished = process.waitForFinished(int(slice));
    } while (!finished && !deadline.hasExpired() && !(abandoned && abandoned()));
    if (!finished) {
        process.kill();
        process.waitForFinished(1000);
        result.outcome = ProcessResult::Outcome::TimedOut;
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
    auto held = std::make_unique<LinuxHeldProcess>();
    if (!held->start(resolveProgram(program), arguments, childEnvironment()))
        return nullptr;
    return held;
}
