#include "ScanEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <unistd.h>

namespace {

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// A folder entry of the tables as a folder, without the trailing slash the temporary folder has.
QStringView asFolder(const QString& entry)
{
    return entry.size() > 1 && entry.endsWith(u'/') ? QStringView(entry).chopped(1) : QStringView(entry);
}

// The length of the innermost safe folder that holds the path (the temporary folder may hold the
// home folder and its safe folders), 0 when none does.
qsizetype holdingFolderLength(const QStringList& safeFolders, const QString& path)
{
    qsizetype length = 0;
    for (const QString& entry : safeFolders) {
        const QStringView folder = asFolder(entry);
        if (ScanEnvironment::isInside(path, folder))
            length = std::max(length, folder.size());
    }
    return length;
}

} // namespace

ScanEnvironment ScanEnvironment::originalTable(const QString& home, const QString& temporary)
{
    ScanEnvironment env;
    env.home = withoutTrailingSlash(QDir::cleanPath(home));
    env.temporary = withoutTrailingSlash(QDir::cleanPath(temporary)) + u'/';
    env.protectedPaths = {"/System", "/Library", "/usr",    "/bin",       "/sbin",  "/etc",
                          "/var",    "/private", "/Network", "/automount", "/cores", "/dev"};
    env.protectedFolders = {".ssh", ".gnupg", ".config", ".local", ".Trash"};
    env.safeCleanupDirectories = {env.home + "/Library/Caches", env.home + "/Library/Logs", env.home + "/Downloads",
                                  env.temporary};
    env.cacheMarkers = {"/Library/Caches/"};
    env.logMarkers = {"/Library/Logs/"};
    env.applicationRoots = {"/Applications"};
    env.mediaExtensions = {".mov", ".mp4",  ".avi",  ".mkv", ".wmv", ".flv", ".png", ".jpg", ".jpeg", ".gif", ".bmp",
                           ".tiff", ".webp", ".heic", ".dmg", ".iso", ".zip", ".rar", ".7z",  ".tar",  ".gz"};
    env.videoExtensions = {".mov", ".mp4", ".avi", ".mkv", ".wmv", ".flv"};
    env.tempExtensions = {".log", ".tmp", ".temp", ".cache", ".swp", ".DS_Store"};
    env.ownerId = uint(geteuid());
    env.clock = [] { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; };
    return env;
}

ScanEnvironment ScanEnvironment::linuxTable(const QString& home, const QString& temporary)
{
    ScanEnvironment env = originalTable(home, temporary);
    env.protectedPaths += {"/proc", "/sys", "/boot", "/run", "/opt",   "/snap", "/srv",
                           "/root", "/lib", "/lib64", "/mnt", "/media", "/tmp"};
    env.logDirectories = {env.home + "/.local/state"};
    env.safeCleanupDirectories += {env.home + "/.cache", env.logDirectories.first()};
    env.cacheMarkers += env.home + "/.cache/";
    env.applicationRoots = {env.home + "/Applications"};
    env.applicationBundles = false;
    return env;
}

bool ScanEnvironment::isInside(QStringView path, QStringView folder)
{
    return path.startsWith(folder) && path.size() > folder.size() && path[folder.size()] == u'/';
}

bool ScanEnvironment::isProtected(const QString& path) const
{
    if (!QDir::isAbsolutePath(path))
        return true;
    // The walk asks for every folder it meets, so a path that is already clean is not copied.
    const bool clean = !path.contains(QLatin1String("/.")) && !path.contains(QLatin1String("//"));
    const QString cleaned = clean ? path : QDir::cleanPath(path);
    // More ".." than there are folders above.
    if (cleaned.startsWith(QLatin1String("/..")))
        return true;
    if (!inHome(cleaned)) {
        for (const QString& prefix : protectedPaths) {
            if (cleaned.startsWith(prefix))
                return true;
        }
    }
    const qsizetype namesFrom = holdingFolderLength(safeCleanupDirectories, cleaned);
    for (const QString& folder : protectedFolders) {
        for (qsizetype at = cleaned.indexOf(folder, namesFrom); at >= 0; at = cleaned.indexOf(folder, at + 1)) {
            if (at > 0 && cleaned[at - 1] == u'/')
                return true;
        }
    }
    if (cleaned.startsWith(home) && QStringView(cleaned).mid(home.size()).startsWith(u"/Library")) {
        for (const QString& safe : safeCleanupDirectories) {
            if (cleaned.startsWith(safe))
                return false;
        }
        return true;
    }
    return false;
}

bool ScanEnvironment::inHome(const QString& path) const
{
    // A home at the root would lift every prefix.
    if (home.size() < 2)
        return false;
    return path == home || isInside(path, home);
}

bool ScanEnvironment::inTemporaryFolder(const QString& path) const
{
    if (!path.startsWith(temporary))
        return false;
    return !inHome(path) || inHome(temporary);
}

bool ScanEnvironment::inLogDirectory(const QString& path) const
{
    return std::any_of(logDirectories.begin(), logDirectories.end(),
                       [&](const QString& folder) { return isInside(path, folder); });
}

bool ScanEnvironment::isLogFile(const QString& path) const
{
    if (std::any_of(logMarkers.begin(), logMarkers.end(), [&](const QString& marker) { return path.contains(marker); }))
        return true;
    for (const QString& folder : logDirectories) {
        if (!path.startsWith(folder + u'/'))
            continue;
        if (extensionKey(path) == QLatin1String(".log"))
            return true;
        QStringList below = path.mid(folder.size() + 1).split(u'/');
        below.removeLast();
        if (below.contains(QLatin1String("log")) || below.contains(QLatin1String("logs")))
            return true;
    }
    return false;
}

QString ScanEnvironment::extensionKey(const QString& name)
{
    const QString last = name.section(u'/', -1);
    const qsizetype dot = last.lastIndexOf(u'.');
    if (dot <= 0)
        return QStringLiteral(".");
    return u'.' + last.mid(dot + 1).toLower();
}

QString ScanEnvironment::safeDirectoryHolding(const QString& path) const
{
    return path.left(holdingFolderLength(safeCleanupDirectories, path));
}

bool ScanEnvironment::leadsToSafeDirectory(const QString& folder) const
{
    for (const QString& entry : safeCleanupDirectories) {
        const QStringView safe = asFolder(entry);
        if (safe == folder || isInside(safe, folder))
            return true;
    }
    return false;
}
