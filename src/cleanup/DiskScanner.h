#pragma once

#include "DiskScanEngine.h"
#include "FileItem.h"
#include "LifeToken.h"
#include "ScanEnvironment.h"
#include "TrashOutcome.h"

#include <QObject>
#include <QSet>
#include <functional>
#include <memory>

class FileRevealer;
class ProcessRunner;
class Trash;

// The disk cleaner's model. A scan runs in the background and publishes its progress, its phase
// text and five result lists on the main thread as each phase ends; it only scans. Moving to the
// Trash happens only for the paths a caller hands to moveToTrash, each admitted again first.
class DiskScanner : public QObject {
    Q_OBJECT
public:
    using FileItem = ::FileItem;

    // Everything a scan publishes. The screen renderer and the screens' tests put the scanner in a
    // given state with it instead of walking a disk.
    struct Published {
        double progress = 0;
        QString message;
        bool scanning = false;
        QList<FileItem> apps;
        QList<FileItem> files;
        QList<FileItem> folders;
        QList<FileItem> media;
        QList<FileItem> recommendations;
    };

    DiskScanner(ScanEnvironment environment, std::shared_ptr<ProcessRunner> runner, std::shared_ptr<Trash> trash,
                std::shared_ptr<FileRevealer> revealer, QObject* parent = nullptr);

    // Percent, 0 to 100.
    double scanProgress() const { return m_scanProgress; }
    QString scanMessage() const { return m_scanMessage; }
    bool isScanning() const { return m_isScanning; }
    const QList<FileItem>& heavyApps() const { return m_heavyApps; }
    const QList<FileItem>& heavyFiles() const { return m_heavyFiles; }
    const QList<FileItem>& heavyFolders() const { return m_heavyFolders; }
    const QList<FileItem>& heavyMedia() const { return m_heavyMedia; }
    const QList<FileItem>& recommendations() const { return m_recommendations; }

    const QString& home() const { return m_engine->environment().home; }
    bool isProtected(const QString& path) const { return m_engine->environment().isProtected(path); }
    // Bytes divided by 1024 while at least 1024, at most four times, with "B" to "TB".
    static QString formatSize(qint64 bytes, int decimals = 2);

    // Returns at once. A call while a scan runs is ignored.
    void startScan();
    // Returns at once; the completion runs once, on the main thread. Moved items leave the lists.
    void moveToTrash(const QStringList& paths, std::function<void(const TrashOutcome&)> completion);
    void revealInFinder(const QString& path);
    void setPublished(const Published& state);

signals:
    void changed();
    // A scan (or setPublished) put out its list of recommendations, which may equal the last one.
    // Items leaving the list after a move to the Trash do not count.
    void recommendationsPublished();

private:
    void forgetMoved(const QSet<QString>& moved);

    const std::shared_ptr<const DiskScanEngine> m_engine;
    const std::shared_ptr<FileRevealer> m_revealer;
    double m_scanProgress = 0.0;
    QString m_scanMessage;
    bool m_isScanning = false;
    QList<FileItem> m_heavyApps;
    QList<FileItem> m_heavyFiles;
    QList<FileItem> m_heavyFolders;
    QList<FileItem> m_heavyMedia;
    QList<FileItem> m_recommendations;
    // Moved while a scan ran: that scan's lists may still name them.
    QSet<QString> m_movedDuringScan;
    LifeToken m_life;
};
