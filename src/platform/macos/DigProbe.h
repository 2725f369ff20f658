#pragma once

#include "DnsProbe.h"

class ProcessRunner;

// Runs dig +short against the server; an answer is a zero exit status with some output.
class DigProbe : public DnsProbe {
public:
    explicit DigProbe(ProcessRunner& runner) : m_runner(runner) {}

    bool answers(const QString& server, const QString& hostName) override;

private:
    ProcessRunner& m_runner;
};
