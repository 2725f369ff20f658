#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

// Child processes a test starts from copies of system programs saved under names of its choice,
// so that they look like the applications a test needs. Every child is ended when this goes, and
// the kernel ends it when the test process dies in any other way (a crash, a kill).
class ChildProcesses {
public:
    // Copies `program` into the scratch folder as `name` and starts it; nullptr when it cannot start.
    QProcess* start(const QString& program, const QString& name, const QStringList& arguments)
    {
        const QString copy = m_dir.filePath(name);
        if (!QFile::exists(copy) && !QFile::copy(program, copy))
            return nullptr;
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto child = std::make_unique<QProcess>();
        child->setProgram(copy);
        child->setArguments(arguments);
        // Runs in the child between fork and exec; the second check covers a test that died before
        // the request was in place.
        child->setChildProcessModifier([parent = ::getpid()] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(1);
        });
        child->start();
        if (!child->waitForStarted(5000))
            return nullptr;
        m_children.push_back(std::move(child));
        return m_children.back().get();
    }

    ~ChildProcesses()
    {
        for (auto& child : m_children) {
            if (child->state() != QProcess::NotRunning) {
                child->kill();
                child->waitForFinished(5000);
            }
        }
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_children;
};
