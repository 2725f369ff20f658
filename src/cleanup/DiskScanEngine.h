#pragma once

#include "FileItem.h"
#include "ScanEnvironment.h"
#include "TrashOutcome.h"

#include <QList>
#include <functional>
#include <memory>
#include <optional>

class ProcessRunner;
class Trash;

// The file-system work of a disk scan and of a cleanup. It reads only its fixed environment, so one
// engine serves the scan's worker threads and the Trash worker at once.
//
// What may be proposed is decided in one place, admit(): a regular file (never a folder or a link)
// of the owner, either inside the home folder, not protected and not inside a hidden folder (the
// safe folders excepted; of a log directory only its log files), or directly in the temporary
// folder and unchanged for an hour; reached
// without a symbolic link on the way and on the same mount as the folder it belongs to. The walks
// keep only admitted files, and the Trash admits each path again just before moving it.
//
// The home folder is read once: the same walk that looks at the files adds up the blocks of each
// folder directly in the home folder, hidden contents included, as `du -x` counts them, so a scan
// costs about one `du` of the home folder rather than two.
class DiskScanEngine {
public:
    using Cancelled = std::function<bool()>;
    // A share of the work done, 0 to 1, rising.
    using Progress = std::function<void(double)>;

    // Most of a walk of a home folder not yet in memory is spent waiting for the disk, which
    // answers a dozen requests at once about as fast as one.
    static constexpr int kScanThreads = 12;

    static constexpr qint64 kMiB = 1024 * 1024;
    // No rule can make anything of a file this size or smaller.
    static constexpr qint64 kCandidateFloor = kMiB;
    static constexpr qint64 kLargeFile = 10 * kMiB;
    static constexpr qint64 kLargeMedia = 50 * kMiB;
    static constexpr qint64 kLargeFolder = 100 * kMiB;

    struct Limits {
        int maxFiles = 100;
        int maxMedia = 50;
        int maxFolders = 20;
    };

    struct HomeFiles {
        // Folders directly in the home folder over 100 MiB, largest first.
        QList<FileItem> folders;
        QList<FileItem> files;
        QList<FileItem> media;
        QList<FileItem> candidates;
    };

    struct Admission {
        qint64 size = 0;
        // Seconds since 1970.
        double modified = 0;
    };

    DiskScanEngine(ScanEnvironment environment, std::shared_ptr<ProcessRunner> runner, std::shared_ptr<Trash> trash);

    const ScanEnvironment& environment() const { return m_env; }

    // Applications over 100 MiB in the application folders, largest first, at most ten.
    QList<FileItem> scanApplications(const Cancelled& cancelled) const;
    qint64 folderSize(const QString& path) const;
    // Large folders, large files and large media of the home folder, and the cleanup candidates of
    // the home folder and the temporary folder. `progress` hears how much of the home folder's
    // walk is done, on the calling thread, after each entry directly in it. Up to `threads` threads
    // walk the home folder at once, sharing out its folders at any depth; the results do not depend
    // on how many.
    HomeFiles scanHomeFiles(const Limits& limits, const Cancelled& cancelled, const Progress& progress = {},
                            int threads = kScanThreads) const;

    // `name` is the path relative to the walked folder; nothing when no reason applies.
    std::optional<FileItem> cleanupCandidate(const QString& name, const QString& path, qint64 size, double days) const;
    QList<FileItem> buildRecommendations(const QList<FileItem>& files, const QList<FileItem>& candidates) const;
    static QList<FileItem> dedupeRecommendations(const QList<FileItem>& items);
    // Keeps `list` the `limit` largest items seen, largest first; of equal sizes the earlier stays ahead.
    static void mergeSortedBySize(const FileItem& item, int limit, QList<FileItem>& list);

    std::optional<Admission> admit(const QString& path) const;
    // Blocks; moves each admitted path to the user's Trash, deleting nothing. A path that cannot be
    // moved is passed over and counted.
    TrashOutcome moveToTrash(const QStringList& paths) const;

private:
    const ScanEnvironment m_env;
    const std::shared_ptr<ProcessRunner> m_runner;
    const std::shared_ptr<Trash> m_trash;
};
