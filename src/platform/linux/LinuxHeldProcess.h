#pragma once

#include "HeldProcess.h"

#include <QPointer>
#include <QProcess>

// The QProcess belongs to the runner's keeping (`children`), not to this object: stopping hands it
// over to end there in the background, so neither stop() nor the destructor ever waits for the child.
class LinuxHeldProcess final : public HeldProcess {
    Q_OBJECT
public:
    // How long a stopped child has to end after SIGTERM before it is killed.
    static constexpr int kGraceMs = 2000;

    explicit LinuxHeldProcess(QObject& children);
    ~LinuxHeldProcess() override;

    bool start(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);

    bool isRunning() const override;
    qint64 processId() const override;
    void stop() override;

private:
    void markFinished();

    QPointer<QProcess> m_process;
    bool m_finished = false;
};
