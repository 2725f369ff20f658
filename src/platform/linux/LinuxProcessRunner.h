#pragma once

#include "ProcessRunner.h"

// Runs children with QProcess. A program missing at its given path is looked up once more in the
// standard binary folders when it is one of the tools Linux keeps elsewhere (ping, du, dig);
// any other missing program fails to start, which callers treat as the tool being absent.
class LinuxProcessRunner final : public ProcessRunner {
public:
    ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs) override;
    ProcessResult runUnlessAbandoned(const QString& program, const QStringList& arguments, int timeoutMs,
                                     const std::function<bool()>& abandoned) override;
    std::unique_ptr<HeldProcess> startHeld(const QString& program, const QStringList& arguments) override;

    static QString resolveProgram(const QString& program);
};
