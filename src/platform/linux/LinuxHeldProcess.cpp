#include "LinuxHeldProcess.h"

namespace {
constexpr int kGraceMs = 2000;
}

LinuxHeldProcess::LinuxHeldProcess()
{
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::finished, this, &LinuxHeldProcess::markFinished);
}

LinuxHeldProcess::~LinuxHeldProcess()
{
    // The destructor must not leave an orphan behind, nor announce anything to a half-destroyed owner.
    disconnect(&m_process, nullptr, this, nullptr);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(kGraceMs)) {
            m_process.kill();
            m_process.waitForFinished(kGraceMs);
        }
    }
}

bool LinuxHeldProcess::start(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setProcessEnvironment(environment);
    m_process.start();
    return m_process.waitForStarted(kGraceMs);
}

bool LinuxHeldProcess::isRunning() const
{
    return !m_finished && m_process.state() != QProcess::NotRunning;
}

qint64 LinuxHeldProcess::processId() const
{
    return m_process.processId();
}

void LinuxHeldProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        markFinished();
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(kGraceMs)) {
        m_process.kill();
        m_process.waitForFinished(kGraceMs);
    }
    markFinished();
}

void LinuxHeldProcess::markFinished()
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished();
}
