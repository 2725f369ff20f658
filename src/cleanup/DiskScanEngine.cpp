#include "DiskScanEngine.h"

#include "DiskFiles.h"
#include "DiskUsage.h"
#include "DiskWalk.h"
#include "Mount.h"
#include "ProcessRunner.h"
#include "Trash.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using DiskFiles::entryNames;
using DiskFiles::kNoFollow;
using DiskFiles::sortLargestFirst;
using DiskFiles::statPath;

constexpr qint64 kMiB = DiskScanEngine::kMiB;
constexpr qint64 kLargeTempFile = 100 * kMiB;
constexpr qint64 kLargeLooseFile = 1024 * kMiB;
constexpr int kMaxApplications = 10;
constexpr double kUnusedDays = 14;
constexpr double kStaleDays = 60;
// Another program may still be writing a file it left in the shared temporary folder.
constexpr double kTemporaryQuietSeconds = 3600;

QString realFolder(const QString& folder)
{
    char buffer[PATH_MAX];
    if (!realpath(QFile::encodeName(folder).constData(), buffer))
        return {};
    return QFile::decodeName(buffer);
}

bool containsAny(const QString& path, const QStringList& markers)
{
    return std::any_of(markers.begin(), markers.end(), [&](const QString& marker) { return path.contains(marker); });
}

} // namespace

DiskScanEngine::DiskScanEngine(ScanEnvironment environment, std::shared_ptr<ProcessRunner> runner,
                               std::shared_ptr<Trash> trash)
    : m_env(std::move(environment)), m_runner(std::move(runner)), m_trash(std::move(trash))
{
}

QList<FileItem> DiskScanEngine::scanApplications(const Cancelled& cancelled) const
{
    QList<FileItem> apps;
    for (const QString& root : m_env.applicationRoots) {
        for (const QString& name : entryNames(root)) {
            if (cancelled())
                return {};
            const QString path = root + u'/' + name;
            const auto info = statPath(path, kNoFollow);
            if (!info)
                continue;
            QString shown = name;
            if (m_env.applicationBundles) {
                if (!name.endsWith(".app") || !S_ISDIR(info->stx_mode))
                    continue;
                shown.remove(".app");
            } else {
                // The user's own programs only: nothing hidden, linked or installed by someone else.
                if (name.startsWith(u'.') || !(S_ISDIR(info->stx_mode) || S_ISREG(info->stx_mode)) ||
                    info->stx_uid != m_env.ownerId)
                    continue;
                if (shown.endsWith(".AppImage", Qt::CaseInsensitive) && shown.size() > 9)
                    shown.chop(9);
            }
            const qint64 size = folderSize(path);
            if (size > kLargeFolder)
                apps.append(FileItem::make(shown, path, size, "app"));
        }
    }
    sortLargestFirst(apps);
    if (apps.size() > kMaxApplications)
        apps.resize(kMaxApplications);
    return apps;
}

qint64 DiskScanEngine::folderSize(const QString& path) const
{
    return DiskUsage::folderSize(*m_runner, path);
}

DiskScanEngine::HomeFiles DiskScanEngine::scanHomeFiles(const Limits& limits, const Cancelled& cancelled,
                                                        const Progress& progress, int threads) const
{
    HomeFiles found;
    DiskWalk::home(*this, found, limits, cancelled, progress, threads);
    if (!m_env.temporary.startsWith(m_env.home + u'/') && !cancelled())
        DiskWalk::flat(*this, found, limits, cancelled, m_env.temporary.chopped(1));
    return found;
}

std::optional<FileItem> DiskScanEngine::cleanupCandidate(const QString& name, const QString& path, qint64 size,
                                                          double days) const
{
    if (size <= kCandidateFloor)
        return std::nullopt;
    const QString key = ScanEnvironment::extensionKey(name);
    const bool cache = containsAny(path, m_env.cacheMarkers);
    const bool log = m_env.isLogFile(path);
    const bool temporaryFolder = m_env.inTemporaryFolder(path);
    const bool downloadArtifact = path.contains("/Downloads/") && m_env.mediaExtensions.contains(key);
    const bool temporaryExtension = m_env.tempExtensions.contains(key);
    const bool old = days > kUnusedDays;

    QStringList reasons;
    if (cache)
        reasons << "App cache";
    if (log)
        reasons << "Log file";
    if (temporaryFolder || temporaryExtension)
        reasons << "Temporary file";
    if (downloadArtifact)
        reasons << "Large download artifact";
    if (old)
        reasons << "Unused for 14+ days";
    if (reasons.isEmpty())
        return std::nullopt;
    return FileItem::make(path.section(u'/', -1), path, size, cache ? "cache" : "cleanup", days, reasons, true);
}

QList<FileItem> DiskScanEngine::buildRecommendations(const QList<FileItem>& files,
                                                     const QList<FileItem>& candidates) const
{
    QList<FileItem> result;
    for (const FileItem& file : files) {
        if (m_env.isProtected(file.path))
            continue;
        const QString parent = file.path.section(u'/', -2, -2);
        QStringList reasons;
        if ((parent == "Downloads" || parent == "Desktop") && file.size > kLargeLooseFile)
            reasons << "Large file in " + parent;
        if (m_env.tempExtensions.contains(ScanEnvironment::extensionKey(file.path)) && file.size > kLargeTempFile)
            reasons << "Temp file over 100MB";
        if (file.daysSinceAccess > kStaleDays)
            reasons << QStringLiteral("Not accessed in %1 days").arg(qint64(file.daysSinceAccess));
        if (reasons.isEmpty())
            continue;
        FileItem recommended = file;
        recommended.reasons = reasons;
        recommended.recommended = true;
        result.append(recommended);
    }
    result += candidates;
    result = dedupeRecommendations(result);
    sortLargestFirst(result);
    return result;
}

QList<FileItem> DiskScanEngine::dedupeRecommendations(const QList<FileItem>& items)
{
    QList<FileItem> kept;
    QSet<QString> seen;
    for (const FileItem& item : items) {
        if (!seen.contains(item.path)) {
            seen.insert(item.path);
            kept.append(item);
        }
    }
    return kept;
}

void DiskScanEngine::mergeSortedBySize(const FileItem& item, int limit, QList<FileItem>& list)
{
    if (limit < 1)
        return;
    const auto at = std::upper_bound(list.begin(), list.end(), item.size,
                                     [](qint64 size, const FileItem& kept) { return size > kept.size; });
    list.insert(at, item);
    if (list.size() > limit)
        list.resize(limit);
}

std::optional<DiskScanEngine::Admission> DiskScanEngine::admit(const QString& path) const
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path)
        return std::nullopt;
    const QString parent = path.left(path.lastIndexOf(u'/'));
    if (path.mid(parent.size() + 1).startsWith(u'.'))
        return std::nullopt;

    QString root;
    bool temporary = false;
    if (path.startsWith(m_env.home + u'/')) {
        if (m_env.isProtected(path))
            return std::nullopt;
        const QString safe = m_env.safeDirectoryHolding(path);
        const QString below = path.mid((safe.isEmpty() ? m_env.home : safe).size() + 1);
        if (below.startsWith(u'.') || below.contains(QLatin1String("/.")))
            return std::nullopt;
        if (m_env.inLogDirectory(path) && !m_env.isLogFile(path))
            return std::nullopt;
        root = m_env.home;
    } else if (parent + u'/' == m_env.temporary) {
        root = parent;
        temporary = true;
    } else {
        return std::nullopt;
    }

    const auto info = statPath(path, kNoFollow);
    if (!info || !S_ISREG(info->stx_mode) || info->stx_uid != m_env.ownerId)
        return std::nullopt;
    const auto rootInfo = statPath(root, AT_NO_AUTOMOUNT);
    if (!rootInfo || !(Mount::of(*info) == Mount::of(*rootInfo)))
        return std::nullopt;
    // No link on the way from the root to the file.
    const QString realRoot = realFolder(root);
    if (realRoot.isEmpty() || realFolder(parent) != realRoot + parent.mid(root.size()))
        return std::nullopt;
    const double modified = double(info->stx_mtime.tv_sec) + double(info->stx_mtime.tv_nsec) / 1e9;
    if (temporary && modified > m_env.now() - kTemporaryQuietSeconds)
        return std::nullopt;
    return Admission{qint64(info->stx_size), modified};
}

TrashOutcome DiskScanEngine::moveToTrash(const QStringList& paths) const
{
    TrashOutcome outcome;
    for (const QString& path : paths) {
        const auto admitted = admit(path);
        if (admitted && m_trash && m_trash->moveToTrash(path)) {
            ++outcome.moved;
            outcome.freedBytes += admitted->size;
            outcome.movedPaths.append(path);
        } else {
            ++outcome.notMoved;
        }
    }
    return outcome;
}
