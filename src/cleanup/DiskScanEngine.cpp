#include "DiskScanEngine.h"

#include "DiskUsage.h"
#include "ProcessRunner.h"
#include "SplitQueue.h"
#include "Trash.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <list>
#include <mutex>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <set>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kCandidateFloor = kMiB;
constexpr qint64 kLargeFile = 10 * kMiB;
constexpr qint64 kLargeMedia = 50 * kMiB;
constexpr qint64 kLargeFolder = 100 * kMiB;
constexpr qint64 kLargeTempFile = 100 * kMiB;
constexpr qint64 kLargeLooseFile = 1024 * kMiB;
constexpr int kMaxApplications = 10;
constexpr double kDay = 86400;
constexpr double kUnusedDays = 14;
constexpr double kStaleDays = 60;
// Another program may still be writing a file it left in the shared temporary folder.
constexpr double kTemporaryQuietSeconds = 3600;
// Each level of the walk holds one open folder; deeper folders are left alone.
constexpr int kMaxDepth = 200;
constexpr int kNoFollow = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr unsigned kStatMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_SIZE | STATX_BLOCKS |
                             STATX_MTIME | STATX_MNT_ID;

// The file system and mount an item lies on: bind mounts of one file system share the device but
// not the mount id.
struct Mount {
    dev_t device = 0;
    quint64 mountId = 0;
    bool hasMountId = false;

    static Mount of(const struct statx& info)
    {
        return {makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_mnt_id, (info.stx_mask & STATX_MNT_ID) != 0};
    }
    bool operator==(const Mount& other) const
    {
        return device == other.device && (!hasMountId || !other.hasMountId || mountId == other.mountId);
    }
};

std::optional<struct statx> statAt(int folder, const char* name, int flags)
{
    struct statx info {};
    if (statx(folder, name, flags, kStatMask, &info) != 0)
        return std::nullopt;
    return info;
}

std::optional<struct statx> statPath(const QString& path, int flags)
{
    return statAt(AT_FDCWD, QFile::encodeName(path).constData(), flags);
}

// Each thread of a walk holds an open folder for every level it is down, and a folder handed over
// waits open. The usual open-file limit of 1024 is below what a dozen threads deep down may hold,
// and a folder that cannot be opened would be passed over unseen: the limit is raised for them, as
// far as the hard limit allows, leaving the rest of the application the usual room.
void makeRoomForOpenFolders(int threads)
{
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = rlim_t(threads) * (kMaxDepth + 2) + 1024;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(limit.rlim_max, wanted);
    setrlimit(RLIMIT_NOFILE, &limit);
}

// File names are read as UTF-8; a name that is not could not be found again by its text.
std::optional<QString> decoded(const QByteArray& bytes)
{
    if (!QByteArrayView(bytes).isValidUtf8())
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

QString realFolder(const QString& folder)
{
    char buffer[PATH_MAX];
    if (!realpath(QFile::encodeName(folder).constData(), buffer))
        return {};
    return QFile::decodeName(buffer);
}

QStringList entryNames(const QString& folder)
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (const auto text = decoded(name))
            names.append(*text);
    }
    closedir(dir);
    return names;
}

void sortLargestFirst(QList<FileItem>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const FileItem& a, const FileItem& b) { return a.size > b.size; });
}

bool containsAny(const QString& path, const QStringList& markers)
{
    return std::any_of(markers.begin(), markers.end(), [&](const QString& marker) { return path.contains(marker); });
}

// A folder directly in the home folder whose blocks are counted, each hard linked file once.
struct SizedFolder {
    QString name;
    QString path;
    // Added to as each stretch in it ends, under the walk's lock.
    qint64 blocks = 0;
    std::mutex mutex;
    std::set<std::pair<dev_t, ino_t>> linked;

    // Whether a file with more than one link is met here for the first time.
    bool firstLink(dev_t device, ino_t inode)
    {
        const std::lock_guard lock(mutex);
        return linked.insert({device, inode}).second;
    }
};

// A stretch of the walk in walk order: what was found in it, and how many entries directly in the
// root it finished.
struct Stretch {
    DiskScanEngine::HomeFiles found;
    // The folder its blocks count towards when it ends; none outside the sized folders.
    SizedFolder* sized = nullptr;
    qint64 blocks = 0;
    qsizetype entries = 0;
    bool done = false;
};
using Stretches = std::list<Stretch>;

struct Mode {
    bool examine = true;
    bool count = false;
};

// An open folder whose walk waits for a thread, and the stretch its findings go to.
struct Folder {
    int fd = -1;
    int depth = 0;
    Mode mode;
    QByteArray path;
    Stretches::iterator stretch;
};

// One directory walk. It never follows a link and never leaves the mount it starts on. Where it
// examines, it skips hidden and protected folders unless they lead to a safe folder, and looks no
// closer at files of 1 MiB or less: no rule can make anything of them. Below each folder of the
// home folder that is sized it also counts every item's blocks, hidden ones included, each hard
// linked file once.
//
// A few threads walk at once. Each goes depth first and hands a folder it is about to enter, at
// any depth, to another thread only while one is free. The findings are kept in stretches ordered
// as a walk on one thread would have met them: a folder handed over gets its own stretch right
// after the one that was being filled, and the rest of the walk a new one after that. Finished
// stretches are merged in that order, so the results (limits, ties, the order of candidates) are
// those of a walk on one thread; the calling thread takes them and tells the progress.
class Walk {
public:
    Walk(const DiskScanEngine& engine, DiskScanEngine::HomeFiles& found, const DiskScanEngine::Limits& limits,
         const DiskScanEngine::Cancelled& cancelled, int threads)
        : m_engine(engine), m_env(engine.environment()), m_found(found), m_limits(limits), m_cancelled(cancelled),
          m_threads(std::max(1, threads)), m_queue(m_threads)
    {
    }

    // The home folder, recursively: folder sizes, large files, media and candidates. `progress`
    // hears the share of the home folder's entries done, after each, on the calling thread.
    void home(const DiskScanEngine::Progress& progress)
    {
        m_wholeTree = true;
        m_progress = progress;
        m_rootEntries = progress ? entryNames(m_env.home).size() : 0;
        run(m_env.home);
        if (m_cancelled())
            return;
        QList<FileItem> sized;
        for (const SizedFolder& folder : m_sizedFolders) {
            // As du reports it: whole KiB, rounded up.
            const qint64 bytes = (folder.blocks * 512 + 1023) / 1024 * 1024;
            sized.append(FileItem::make(folder.name, folder.path, bytes, "folder"));
        }
        sortLargestFirst(sized);
        for (const FileItem& folder : std::as_const(sized)) {
            if (folder.size > kLargeFolder && m_found.folders.size() < m_limits.maxFolders)
                m_found.folders.append(folder);
        }
    }
    // The files directly in a folder, as candidates only.
    void flat(const QString& folder)
    {
        m_wholeTree = false;
        run(folder);
    }

private:
    friend class Walker;

    void run(const QString& root)
    {
        m_rootLength = root.size() + 1;
        const QByteArray path = QFile::encodeName(root);
        const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        const auto info = statAt(fd, "", AT_EMPTY_PATH);
        if (!info) {
            close(fd);
            return;
        }
        m_mount = Mount::of(*info);
        m_stretches.emplace_back();
        m_queue.push({fd, 0, Mode{}, path, m_stretches.begin()});
        std::vector<std::thread> helpers;
        for (int i = 0; i < m_threads; ++i)
            helpers.emplace_back([this] { walkQueued(); });
        mergeInOrder();
        for (std::thread& helper : helpers)
            helper.join();
    }

    void walkQueued();

    // Takes each stretch in walk order as soon as it is finished.
    void mergeInOrder()
    {
        qsizetype entriesDone = 0;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_finished.wait(lock, [this] { return m_stretches.empty() || m_stretches.front().done; });
            if (m_stretches.empty())
                return;
            Stretch stretch = std::move(m_stretches.front());
            m_stretches.pop_front();
            lock.unlock();
            append(m_found, stretch.found);
            for (qsizetype i = 0; i < stretch.entries && m_rootEntries > 0; ++i)
                m_progress(std::min(1.0, double(++entriesDone) / double(m_rootEntries)));
            lock.lock();
        }
    }

    // Adds what a later stretch found to what was found before it.
    void append(DiskScanEngine::HomeFiles& found, const DiskScanEngine::HomeFiles& later) const
    {
        for (const FileItem& file : later.files)
            DiskScanEngine::mergeSortedBySize(file, m_limits.maxFiles, found.files);
        for (const FileItem& media : later.media)
            DiskScanEngine::mergeSortedBySize(media, m_limits.maxMedia, found.media);
        found.candidates += later.candidates;
    }

    // Ends `current` and starts the stretch after it.
    Stretches::iterator next(Stretches::iterator current, SizedFolder* sized)
    {
        Stretches::iterator following;
        {
            const std::lock_guard lock(m_mutex);
            following = m_stretches.emplace(std::next(current));
            following->sized = sized;
            end(current);
        }
        m_finished.notify_one();
        return following;
    }

    // Hands `folder` to a waiting thread with a stretch of its own; returns the stretch for what
    // follows it in the walk.
    Stretches::iterator handOver(Folder folder, Stretches::iterator current)
    {
        Stretches::iterator following;
        {
            const std::lock_guard lock(m_mutex);
            folder.stretch = m_stretches.emplace(std::next(current));
            following = m_stretches.emplace(std::next(folder.stretch));
            folder.stretch->sized = following->sized = current->sized;
            end(current);
        }
        m_finished.notify_one();
        m_queue.push(std::move(folder));
        return following;
    }

    void finish(Stretches::iterator current)
    {
        {
            const std::lock_guard lock(m_mutex);
            end(current);
        }
        m_finished.notify_one();
    }

    // With m_mutex held. A finished stretch is joined with the finished ones beside it, so that
    // however many folders were handed over, the stretches waiting for the calling thread are
    // about as many as there are threads.
    void end(Stretches::iterator stretch)
    {
        if (stretch->sized)
            stretch->sized->blocks += stretch->blocks;
        stretch->done = true;
        const auto following = std::next(stretch);
        if (following != m_stretches.end() && following->done) {
            append(stretch->found, following->found);
            stretch->entries += following->entries;
            m_stretches.erase(following);
        }
        if (stretch != m_stretches.begin() && std::prev(stretch)->done) {
            append(std::prev(stretch)->found, stretch->found);
            std::prev(stretch)->entries += stretch->entries;
            m_stretches.erase(stretch);
        }
    }

    const DiskScanEngine& m_engine;
    const ScanEnvironment& m_env;
    DiskScanEngine::HomeFiles& m_found;
    const DiskScanEngine::Limits m_limits;
    const DiskScanEngine::Cancelled& m_cancelled;
    const int m_threads;
    bool m_wholeTree = true;
    qsizetype m_rootLength = 0;
    Mount m_mount;
    SplitQueue<Folder> m_queue;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    Stretches m_stretches;
    // Added to only by the thread walking the root, in the order met.
    std::deque<SizedFolder> m_sizedFolders;
    DiskScanEngine::Progress m_progress;
    qsizetype m_rootEntries = 0;
};

// One thread of a walk.
class Walker {
public:
    explicit Walker(Walk& walk) : m_walk(walk), m_env(walk.m_env) {}

    void walk(Folder folder)
    {
        m_stretch = folder.stretch;
        m_path = std::move(folder.path);
        if (m_walk.m_cancelled())
            close(folder.fd);
        else
            this->folder(folder.fd, folder.depth, folder.mode);
        m_walk.finish(m_stretch);
    }

private:
    void folder(int fd, int depth, Mode mode)
    {
        DIR* dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            return;
        }
        while (const dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) {
                const qsizetype base = m_path.size();
                m_path.append('/').append(name);
                enter(dirfd(dir), name, depth + 1, mode, entry->d_type == DT_DIR);
                m_path.truncate(base);
            } else if (mode.count || (mode.examine && entry->d_type == DT_REG && name[0] != '.')) {
                item(dirfd(dir), name, mode);
            }
            if (depth == 0)
                ++m_stretch->entries;
        }
        closedir(dir);
    }

    void item(int parent, const char* name, Mode mode)
    {
        struct stat st {};
        if (fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (mode.count && (st.st_nlink < 2 || m_stretch->sized->firstLink(st.st_dev, st.st_ino)))
            m_stretch->blocks += st.st_blocks;
        if (mode.examine && S_ISREG(st.st_mode) && name[0] != '.' && st.st_size > kCandidateFloor) {
            const qsizetype base = m_path.size();
            m_path.append('/').append(name);
            examine();
            m_path.truncate(base);
        }
    }

    // A folder, or an entry whose type the folder listing did not give. Hidden and protected folders
    // are judged by their name before anything is asked of them.
    void enter(int parent, const char* name, int depth, Mode mode, bool knownFolder)
    {
        std::optional<struct statx> info;
        if (!knownFolder) {
            info = statAt(parent, name, kNoFollow);
            if (!info)
                return;
            if (!S_ISDIR(info->stx_mode)) {
                // item() puts the name on the path itself.
                m_path.truncate(m_path.lastIndexOf('/'));
                item(parent, name, mode);
                return;
            }
        }
        if (!m_walk.m_wholeTree || depth > kMaxDepth || m_walk.m_cancelled())
            return;
        const bool topLevel = depth == 1;
        Mode inside{false, mode.count};
        std::optional<QString> path;
        if (mode.examine || topLevel) {
            path = decoded(m_path);
            if (!path)
                return;
            const bool isProtected = m_env.isProtected(*path);
            inside.examine = m_env.leadsToSafeDirectory(*path) || (name[0] != '.' && !isProtected);
            inside.count = mode.count || (topLevel && !isProtected);
        }
        if (!inside.examine && !inside.count)
            return;
        if (!info)
            info = statAt(parent, name, kNoFollow);
        if (!info || !S_ISDIR(info->stx_mode) || !(Mount::of(*info) == m_walk.m_mount))
            return;
        const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        // The folder may have been swapped between the look and the open.
        struct stat opened {};
        if (fstat(fd, &opened) != 0 || opened.st_ino != info->stx_ino ||
            opened.st_dev != makedev(info->stx_dev_major, info->stx_dev_minor)) {
            close(fd);
            return;
        }
        if (topLevel && inside.count)
            m_stretch = m_walk.next(m_stretch, &m_walk.m_sizedFolders.emplace_back(QString(name), *path));
        if (inside.count)
            m_stretch->blocks += qint64(info->stx_blocks);
        if (m_walk.m_queue.wanted()) {
            // A copy of its own, shared with nothing: this thread goes on changing its path at once.
            QByteArray path(m_path.constData(), m_path.size());
            m_stretch = m_walk.handOver({fd, depth, inside, std::move(path), {}}, m_stretch);
        } else {
            folder(fd, depth, inside);
        }
        if (topLevel && inside.count)
            m_stretch = m_walk.next(m_stretch, nullptr);
    }

    void examine()
    {
        const auto path = decoded(m_path);
        if (!path)
            return;
        const auto admitted = m_walk.m_engine.admit(*path);
        if (!admitted)
            return;
        const qint64 size = admitted->size;
        const double days = (m_env.now() - admitted->modified) / kDay;
        const QString relative = path->mid(m_walk.m_rootLength);
        DiskScanEngine::HomeFiles& found = m_stretch->found;
        const DiskScanEngine::Limits& limits = m_walk.m_limits;
        if (m_walk.m_wholeTree) {
            if (size > kLargeFile)
                DiskScanEngine::mergeSortedBySize(FileItem::make(relative, *path, size, "file", days),
                                                  limits.maxFiles, found.files);
            const QString key = ScanEnvironment::extensionKey(*path);
            if (size > kLargeMedia && m_env.mediaExtensions.contains(key)) {
                const QString type = m_env.videoExtensions.contains(key) ? "video" : "image";
                DiskScanEngine::mergeSortedBySize(FileItem::make(relative, *path, size, type), limits.maxMedia,
                                                  found.media);
            }
        }
        if (auto candidate = m_walk.m_engine.cleanupCandidate(relative, *path, size, days))
            found.candidates.append(std::move(*candidate));
    }

    Walk& m_walk;
    const ScanEnvironment& m_env;
    Stretches::iterator m_stretch;
    QByteArray m_path;
};

void Walk::walkQueued()
{
    Walker walker(*this);
    while (std::optional<Folder> folder = m_queue.take()) {
        walker.walk(std::move(*folder));
        m_queue.done();
    }
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
    makeRoomForOpenFolders(std::max(1, threads));
    Walk(*this, found, limits, cancelled, threads).home(progress);
    if (!m_env.temporary.startsWith(m_env.home + u'/') && !cancelled())
        Walk(*this, found, limits, cancelled, 1).flat(m_env.temporary.chopped(1));
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
