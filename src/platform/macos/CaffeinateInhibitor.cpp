#include "CaffeinateInhibitor.h"

#include "HeldProcess.h"
#include "ProcessRunner.h"

namespace {

class CaffeinateHold : public SleepHold {
public:
    explicit CaffeinateHold(std::unique_ptr<HeldProcess> process) : m_process(std::move(process))
    {
        connect(m_process.get(), &HeldProcess::finished, this, [this] {
            m_held = false;
            emit lost();
        });
    }
    ~CaffeinateHold() override
    {
        disconnect(m_process.get(), nullptr, this, nullptr);
        // The child announces its end from inside its own code; it is released once that returned.
        if (m_held)
            m_process->stop();
        else
            m_process.release()->deleteLater();
    }

    bool isHeld() const override { return m_held; }

private:
    std::unique_ptr<HeldProcess> m_process;
    bool m_held = true;
};

} // namespace

void CaffeinateInhibitor::hold(QObject*, Taken taken)
{
    std::unique_ptr<HeldProcess> process = m_runner.startHeld(QStringLiteral("/usr/bin/caffeinate"), {QStringLiteral("-d")});
    if (!process)
        return taken(nullptr, QStringLiteral("caffeinate could not be started"));
    taken(std::make_unique<CaffeinateHold>(std::move(process)), {});
}
