#include "DiskScanner.h"

#include "ByteSize.h"
#include "FileRevealer.h"
#include "MainThread.h"
#include "WorkQueues.h"

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

// The part of the bar the walk of the home folder moves through.
constexpr double kWalkFrom = 10;
constexpr double kWalkTo = 60;

void dropPaths(QList<FileItem>& items, const QSet<QString>& paths)
{
    items.removeIf([&](const FileItem& item) { return paths.contains(item.path); });
}

} // namespace

DiskScanner::DiskScanner(ScanEnvironment environment, std::shared_ptr<ProcessRunner> runner,
                         std::shared_ptr<Trash> trash, std::shared_ptr<FileRevealer> revealer, QObject* parent)
    : QObject(parent),
      m_engine(std::make_shared<const DiskScanEngine>(std::move(environment), std::move(runner), std::move(trash))),
      m_revealer(std::move(revealer))
{
}

QString DiskScanner::formatSize(qint64 bytes, int decimals)
{
    return ByteSize::format(bytes, decimals);
}

void DiskScanner::startScan()
{
    if (m_isScanning)
        return;
    m_isScanning = true;
    m_scanProgress = 0;
    m_movedDuringScan.clear();
    emit changed();

    // The worker never touches the scanner itself: what it found reaches it on the main thread,
    // and only while it lives.
    const std::weak_ptr<void> life = m_life.watch();
    const auto publish = [this, life](std::function<void()> apply) {
        MainThread::post(life, [this, apply = std::move(apply)] {
            apply();
            emit changed();
        });
    };
    // The bar only moves forward: the walk of the home folder, which finds the folders, the files
    // and the media at once, carries it through the values of those phases while it runs.
    const auto advance = [this](double progress) { m_scanProgress = std::max(m_scanProgress, progress); };
    const auto updateStatus = [this, publish, advance](const QString& message, double progress) {
        publish([this, message, progress, advance] {
            m_scanMessage = message;
            advance(progress);
        });
    };
    (void)QtConcurrent::run(&WorkQueues::utility(), [this, engine = m_engine, life, publish, advance, updateStatus] {
        const DiskScanEngine::Cancelled cancelled = [life] { return life.expired(); };
        if (cancelled())
            return;
        const QList<FileItem> apps = engine->scanApplications(cancelled);
        publish([this, apps] { m_heavyApps = apps; });
        updateStatus("Scanning applications...", 10);

        int shown = int(kWalkFrom);
        const DiskScanEngine::Progress walked = [&shown, publish, advance](double share) {
            const int progress = int(kWalkFrom + (kWalkTo - kWalkFrom) * share);
            if (progress <= shown)
                return;
            shown = progress;
            publish([advance, progress] { advance(progress); });
        };
        const DiskScanEngine::HomeFiles found = engine->scanHomeFiles({}, cancelled, walked);
        publish([this, folders = found.folders] {
            m_heavyFolders = folders;
            dropPaths(m_heavyFolders, m_movedDuringScan);
        });
        updateStatus("Calculating folder sizes...", 30);
        publish([this, files = found.files, media = found.media] {
            m_heavyFiles = files;
            m_heavyMedia = media;
            dropPaths(m_heavyFiles, m_movedDuringScan);
            dropPaths(m_heavyMedia, m_movedDuringScan);
        });
        updateStatus("Scanning files and media...", 60);

        const QList<FileItem> recommendations = engine->buildRecommendations(found.files, found.candidates);
        publish([this, recommendations] {
            m_recommendations = recommendations;
            dropPaths(m_recommendations, m_movedDuringScan);
            emit recommendationsPublished();
        });
        updateStatus("Analyzing recommendations...", 90);
        updateStatus("Scan complete!", 100);
        publish([this] { m_isScanning = false; });
    });
}

void DiskScanner::moveToTrash(const QStringList& paths, std::function<void(const TrashOutcome&)> completion)
{
    (void)QtConcurrent::run(&WorkQueues::utility(), [this, paths, completion = std::move(completion),
                                                     engine = m_engine, life = m_life.watch()] {
        const TrashOutcome outcome =
            life.expired() ? TrashOutcome{0, int(paths.size()), 0, {}} : engine->moveToTrash(paths);
        MainThread::post([this, life, outcome, completion] {
            if (life.lock() && outcome.moved > 0)
                forgetMoved(QSet<QString>(outcome.movedPaths.begin(), outcome.movedPaths.end()));
            completion(outcome);
        });
    });
}

void DiskScanner::forgetMoved(const QSet<QString>& moved)
{
    for (QList<FileItem>* list : {&m_heavyApps, &m_heavyFiles, &m_heavyFolders, &m_heavyMedia, &m_recommendations})
        dropPaths(*list, moved);
    if (m_isScanning)
        m_movedDuringScan.unite(moved);
    emit changed();
}

void DiskScanner::setPublished(const Published& state)
{
    m_scanProgress = state.progress;
    m_scanMessage = state.message;
    m_isScanning = state.scanning;
    m_heavyApps = state.apps;
    m_heavyFiles = state.files;
    m_heavyFolders = state.folders;
    m_heavyMedia = state.media;
    m_recommendations = state.recommendations;
    emit recommendationsPublished();
    emit changed();
}

void DiskScanner::revealInFinder(const QString& path)
{
    if (m_revealer)
        m_revealer->reveal(path);
}
