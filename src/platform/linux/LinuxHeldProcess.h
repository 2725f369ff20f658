#pragma once

#include "HeldProcess.h"

#include <QProcess>

class LinuxHeldProcess final : public HeldProcess {
    Q_OBJECT
public:
    LinuxHeldProcess();
    ~LinuxHeldProcess() override;

    bool start(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);

    bool isRunning() const override;
    qint64 processId() const override;
    void stop() override;

private:
    void markFinished();

    QProcess m_process;
    bool m_finished = false;
};
