#pragma once

#include "ProcessRunner.h"

#include <QList>
#include <QMutex>
#include <functional>

// A held child that tests end at will.
class FakeHeldProcess final : public HeldProcess {
    Q_OBJECT
public:
    explicit FakeHeldProcess(qint64 pid) : m_pid(pid) {}

    bool isRunning() const override { return m_running; }
    qint64 processId() const override { return m_pid; }
    void stop() override;
    // The child ends by itself.
    void exitOnItsOwn() { stop(); }

private:
    qint64 m_pid;
    bool m_running = true;
};

// Records every run and answers from a script. A program with no scripted answer fails to start,
// as a tool missing from this system does.
class FakeProcessRunner final : public ProcessRunner {
public:
    struct Call {
        QString program;
        QStringList arguments;
        int timeoutMs = 0;
        QString commandLine() const { return (QStringList{program} + arguments).join(' '); }
    };
    using Responder = std::function<ProcessResult(const QString& program, const QStringList& arguments)>;

    ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs) override;
    std::unique_ptr<HeldProcess> startHeld(const QString& program, const QStringList& arguments) override;

    // Later answers take precedence over earlier ones.
    void respond(const QString& program, const ProcessResult& result) { addRule(program, std::nullopt, result); }
    void respond(const QString& program, const QStringList& arguments, const ProcessResult& result)
    {
        addRule(program, arguments, result);
    }
    void respondWith(Responder responder);
    void setHeldStartFails(bool fails) { m_heldFails = fails; }

    QList<Call> calls() const;
    QStringList commandLines() const;
    QList<Call> heldStarts() const;
    FakeHeldProcess* lastHeld() const { return m_lastHeld; }
    void clear();

private:
    struct Rule {
        QString program;
        std::optional<QStringList> arguments;
        ProcessResult result;
    };
    void addRule(const QString& program, std::optional<QStringList> arguments, const ProcessResult& result);

    mutable QMutex m_mutex;
    QList<Rule> m_rules;
    Responder m_responder;
    QList<Call> m_calls;
    QList<Call> m_heldStarts;
    bool m_heldFails = false;
    FakeHeldProcess* m_lastHeld = nullptr;
    qint64 m_nextPid = 50'000;
};
