#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

// Child processes a test starts from copies of system programs saved under names of its choice,
// so that they look like the applications a test needs. Every child is ended when this goes.
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
