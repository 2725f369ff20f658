#pragma once

#include "cleanup/ScanEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>

// A home folder and a temporary folder side by side in a fresh scratch folder, filled with sparse
// files of chosen sizes and ages, and the scan tables over them with a fixed clock.
class ScratchHome {
public:
    static constexpr double kNow = 1'800'000'000.0;
    static constexpr qint64 kMiB = 1024 * 1024;

    // In the system's temporary folder unless a base folder is given.
    explicit ScratchHome(const QString& base = QDir::tempPath()) : m_dir(base + "/qm-scratch-XXXXXX")
    {
        QDir().mkpath(home());
        QDir().mkpath(temporary());
    }

    QString root() const { return m_dir.path(); }
    QString home() const { return root() + "/home"; }
    QString temporary() const { return root() + "/tmp"; }
    QString at(const QString& relative) const { return root() + "/" + relative; }

    // A sparse file `relative` to the scratch folder, last modified `days` before kNow.
    QString file(const QString& relative, qint64 size, double days = 0) const
    {
        const QString path = at(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
            return {};
        file.close();
        age(path, days);
        return path;
    }

    static void age(const QString& path, double days)
    {
        const double modified = kNow - days * 86400;
        const timespec stamp{time_t(modified), long((modified - double(time_t(modified))) * 1e9)};
        const timespec times[2] = {stamp, stamp};
        utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
    }

    ScanEnvironment environment() const
    {
        ScanEnvironment env = ScanEnvironment::originalTable(home(), temporary());
        env.clock = [] { return kNow; };
        return env;
    }
    // The table the application scans with.
    ScanEnvironment linuxEnvironment() const
    {
        ScanEnvironment env = ScanEnvironment::linuxTable(home(), temporary());
        env.clock = [] { return kNow; };
        return env;
    }

private:
    QTemporaryDir m_dir;
};
