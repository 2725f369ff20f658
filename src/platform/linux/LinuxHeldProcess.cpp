#include "LinuxHeldProcess.h"

#include <QTimer>

LinuxHeldProcess::LinuxHeldProcess(QObject& children) : m_process(new QProcess(&children))
{
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::finished, this, &LinuxHeldProcess::markFinished);
}

LinuxHeldProcess::~LinuxHeldProcess()
{
    // Nothing is announced to a half-destroyed owner.
    m_finished = true;
    stop();
}

bool LinuxHeldProcess::start(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment)
{
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->setProcessEnvironment(environment);
    m_process->start();
    if (m_process->waitForStarted(kGraceMs))
        return true;
    delete m_process;
    return false;
}

bool LinuxHeldProcess::isRunning() const
{
    return !m_finished && m_process && m_process->state() != QProcess::NotRunning;
}

qint64 LinuxHeldProcess::processId() const
{
    return m_process ? m_process->processId() : 0;
}

void LinuxHeldProcess::stop()
{
    if (QProcess* child = m_process; child && child->state() != QProcess::NotRunning) {
        disconnect(child, nullptr, this, nullptr);
        m_process = nullptr;
        connect(child, &QProcess::finished, child, &QObject::deleteLater);
        child->terminate();
        QTimer::singleShot(kGraceMs, child, [child] { child->kill(); });
    } else if (child) {
        m_process = nullptr;
        child->deleteLater();
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
