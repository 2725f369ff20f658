#pragma once

#include <QSet>
#include <QStringList>
#include <functional>

// Where a disk scan may look and the rule tables it applies there. Two tables exist: the original
// one, whose paths are those of the system the cleaner was first written for, and the one this
// application runs with on Linux, which adds the Linux system folders, the XDG cache and state
// folders and the user's own application files. Fixed once made; a scan reads it from its worker
// without locks.
struct ScanEnvironment {
    // The user's home folder, without a trailing slash.
    QString home;
    // The temporary folder, with its trailing slash.
    QString temporary;
    // Absolute prefixes that are never scanned. They never cover the home folder, wherever it lies
    // (/var/home/NAME, /root, a folder under /tmp): inside it only the named folders protect.
    QStringList protectedPaths;
    // Folder names protected wherever they occur.
    QStringList protectedFolders;
    // The exceptions inside the home Library, and the folders whose hidden entries stay hidden.
    QStringList safeCleanupDirectories;
    // Text that marks a path as an application cache, and as a log.
    QStringList cacheMarkers;
    QStringList logMarkers;
    // Safe folders that hold other programs' state beside their logs: only the log files in them
    // (named *.log, or below a folder named log or logs) may be proposed.
    QStringList logDirectories;
    // Folders whose applications the application scan sizes.
    QStringList applicationRoots;
    // Applications are bundle folders named *.app, shown without every ".app"; otherwise they are
    // the user's own files and folders there (AppImages and the like), shown without ".AppImage".
    bool applicationBundles = true;
    QSet<QString> mediaExtensions;
    QSet<QString> videoExtensions;
    QSet<QString> tempExtensions;
    // Whose files may be proposed and moved.
    uint ownerId = 0;
    // Seconds since 1970.
    std::function<double()> clock;

    static ScanEnvironment originalTable(const QString& home, const QString& temporary);
    static ScanEnvironment linuxTable(const QString& home, const QString& temporary);

    double now() const { return clock(); }

    // The path lies below the folder (not the folder itself); both are plain strings, the folder
    // without a trailing slash.
    static bool isInside(QStringView path, QStringView folder);

    // Plain, case-sensitive prefix and substring tests on the path with "." and ".." resolved; a
    // path that is not absolute is protected. A protected folder name counts only below a safe
    // folder that holds the path, which the table names on purpose.
    bool isProtected(const QString& path) const;
    // The path is the home folder or lies inside it.
    bool inHome(const QString& path) const;
    // The path lies in the temporary folder, and not in a home folder that lies there too.
    bool inTemporaryFolder(const QString& path) const;
    bool isLogFile(const QString& path) const;
    // The path lies in one of the log directories.
    bool inLogDirectory(const QString& path) const;
    // "." followed by the lower-cased extension of the last path component ("." when it has none).
    static QString extensionKey(const QString& name);
    // The safe folder that holds the path, as a folder (no trailing slash); empty when none does.
    QString safeDirectoryHolding(const QString& path) const;
    // The folder is a safe folder or lies on the way to one, so a walk must enter it although it is
    // hidden or protected.
    bool leadsToSafeDirectory(const QString& folder) const;
};
