#include "DiskWalk.h"

#include "DiskFiles.h"
#include "Mount.h"
#include "SplitQueue.h"

#include <QFile>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
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

using DiskFiles::decoded;
using DiskFiles::entryNames;
using DiskFiles::kNoFollow;
using DiskFiles::sortLargestFirst;
using DiskFiles::statAt;

constexpr qint64 kCandidateFloor = DiskScanEngine::kCandidateFloor;
constexpr qint64 kLargeFile = DiskScanEngine::kLargeFile;
constexpr qint64 kLargeMedia = DiskScanEngine::kLargeMedia;
constexpr qint64 kLargeFolder = DiskScanEngine::kLargeFolder;
constexpr double kDay = 86400;
// Each level of the walk holds one open folder; deeper folders are left alone.
constexpr int kMaxDepth = 200;

// Each thread of a walk holds an open folder for every level it is down, and a folder handed over
// waits open. The usual open-file limit of 1024 is below what a dozen threads deep down may hold,
// and a folder that cannot be opened would be passed over unseen: the limit is raised for them, as
// far as the hard limit allows, leaving the rest of the application the usual room. The limit is
// the whole process's: it goes back to what it was when the last walk under way ends, so that
// nothing else runs on with a limit above what select() and its callers were made for.
class RoomForOpenFolders {
public:
    explicit RoomForOpenFolders(int threads)
    {
        const std::lock_guard lock(s_mutex);
        rlimit limit {};
        const bool known = getrlimit(RLIMIT_NOFILE, &limit) == 0;
        if (s_walks++ == 0)
            s_before = known ? std::optional(limit.rlim_cur) : std::nullopt;
        const rlim_t wanted = rlim_t(threads) * (kMaxDepth + 2) + 1024;
        if (!known || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
            return;
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(limit.rlim_max, wanted);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~RoomForOpenFolders()
    {
        const std::lock_guard lock(s_mutex);
        rlimit limit {};
        if (--s_walks > 0 || !s_before || getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == *s_before)
            return;
        limit.rlim_cur = *s_before;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    RoomForOpenFolders(const RoomForOpenFolders&) = delete;
    RoomForOpenFolders& operator=(const RoomForOpenFolders&) = delete;

private:
    // Walks may run at once; the first one in keeps the limit to go back to.
    static inline std::mutex s_mutex;
    static inline int s_walks = 0;
    static inline std::optional<rlim_t> s_before;
};

// A folder directly in the home folder whose blocks are counted, each hard linked file once.
struct SizedFolder {
    SizedFolder(QString name, QString path) : name(std::move(name)), path(std::move(path)) {}

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

void DiskWalk::home(const DiskScanEngine& engine, DiskScanEngine::HomeFiles& found,
                    const DiskScanEngine::Limits& limits, const DiskScanEngine::Cancelled& cancelled,
                    const DiskScanEngine::Progress& progress, int threads)
{
    const RoomForOpenFolders room(std::max(1, threads));
    Walk(engine, found, limits, cancelled, threads).home(progress);
}

void DiskWalk::flat(const DiskScanEngine& engine, DiskScanEngine::HomeFiles& found,
                    const DiskScanEngine::Limits& limits, const DiskScanEngine::Cancelled& cancelled,
                    const QString& folder)
{
    Walk(engine, found, limits, cancelled, 1).flat(folder);
}
