#pragma once

#include "ProcessRunner.h"

#include <QObject>
#include <atomic>

// Runs children with QProcess. A program missing at its given path is looked up once more in the
// standard binary folders when it is one of the tools Linux keeps elsewhere (ping, du, dig);
// any other missing program fails to start, which callers treat as the tool being absent.
// Held children stay in the runner's keeping until they have ended, so that none outlives the quit.
class LinuxProcessRunner final : public ProcessRunner {
public:
    // How long the quit waits for the ended children.
    static constexpr int kEndWaitMs = 1000;

    ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs) override;
    ProcessResult runUnlessAbandoned(const QString& program, const QStringList& arguments, int timeoutMs,
                                     const std::function<bool()>& abandoned) override;
    std::unique_ptr<HeldProcess> startHeld(const QString& program, const QStringList& arguments) override;
    void endChildren() override;

    // The quit has begun: no child starts any more.
    bool isEnding() const { return m_ending; }

    static QString resolveProgram(const QString& program);

private:
    std::atomic<bool> m_ending = false;
    // Parent of the QProcess of every held child; lives on the main thread.
    QObject m_heldChildren;
};
