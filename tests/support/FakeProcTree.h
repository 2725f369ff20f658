#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

// A proc file system of made-up processes in a scratch folder, with the files the readers use.
class FakeProcTree {
public:
    struct Process {
        qint32 pid = 0;
        QString command;
        QString executable; // empty: none, as for a kernel thread
        qint32 parent = 1;
        quint64 startTime = 0;
        char state = 'S';
        uint uid = ::getuid();
        uint effectiveUid = ::getuid();
        QByteArray environment;          // NUL-separated NAME=value entries
        QByteArray cgroup = "0::/user.slice/user-1000.slice/session-2.scope\n";
        QList<qint32> threads;           // besides the main thread
    };

    QString root() const { return m_dir.path(); }

    void add(const Process& process)
    {
        const QString dir = folder(process.pid);
        QDir().mkpath(dir + "/task/" + QString::number(process.pid));
        for (const qint32 thread : process.threads)
            QDir().mkpath(dir + "/task/" + QString::number(thread));
        write(dir + "/stat", QStringLiteral("%1 (%2) %3 %4 %1 %1 0 -1 4194304 0 0 0 0 0 0 0 0 20 0 1 0 %5 0 0\n")
                                 .arg(process.pid)
                                 .arg(process.command)
                                 .arg(QChar(process.state))
                                 .arg(process.parent)
                                 .arg(process.startTime)
                                 .toUtf8());
        write(dir + "/status", QStringLiteral("Name:\t%1\nUid:\t%2\t%3\t%3\t%3\n")
                                   .arg(process.command)
                                   .arg(process.uid)
                                   .arg(process.effectiveUid)
                                   .toUtf8());
        write(dir + "/environ", process.environment);
        write(dir + "/cgroup", process.cgroup);
        QFile::remove(dir + "/exe");
        if (!process.executable.isEmpty())
            QFile::link(process.executable, dir + "/exe");
    }

    void remove(qint32 pid) { QDir(folder(pid)).removeRecursively(); }

private:
    QString folder(qint32 pid) const { return root() + '/' + QString::number(pid); }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
};
