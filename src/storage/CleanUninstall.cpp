#include "CleanUninstall.h"

#include "Defaults.h"
#include "MainThread.h"
#include "GameOverlay.h"
#include "WorkQueues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

const QStringList CleanUninstall::legacyKeys{
    "QuillMarsherFirstRun", "QuillMarsherSettings", "QuillMarshFirstRun",
    "QuillMarshSettings",   "QuillmarshFirstRun",   "QuillmarshSettings",
};
const QStringList CleanUninstall::legacyPaths{
    "Library/Preferences/brindlecove.QuillMarsher.plist",
    "Library/Caches/brindlecove.QuillMarsher",
    "Library/Application Support/brindlecove.QuillMarsher",
    "Library/Preferences/brindlecove.QuillMarsh.plist",
    "Library/Caches/brindlecove.QuillMarsh",
    "Library/Application Support/brindlecove.QuillMarsh",
    "Library/Preferences/brindlecove.Quillmarsh.plist",
    "Library/Caches/brindlecove.Quillmarsh",
};

CleanUninstall::CleanUninstall(GameOverlay& overlay, Defaults& defaults, QString homeDirectory,
                               QString appSupportDirectory, QString launchAtLoginEntry, QObject* parent)
    : QObject(parent),
      m_overlay(overlay),
      m_defaults(defaults),
      m_home(std::move(homeDirectory)),
      m_appSupport(std::move(appSupportDirectory)),
      m_launchAtLoginEntry(std::move(launchAtLoginEntry))
{
}

bool CleanUninstall::removeItem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
    const QFileInfo after(path);
    return !after.exists() && !after.isSymLink();
}

bool CleanUninstall::removeDataFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink() || !info.isDir())
        return removeItem(path);
    const QDir folder(path);
    bool allRemoved = true;
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        allRemoved = removeItem(folder.filePath(name)) && allRemoved;
    return allRemoved;
}

void CleanUninstall::start()
{
    if (m_started)
        return;
    m_started = true;
    emit started();

    (void)QtConcurrent::run(&WorkQueues::utility(), [this, life = m_life.watch(), &overlay = m_overlay,
                                                     entry = m_launchAtLoginEntry, appSupport = m_appSupport] {
        bool allRemoved = removeItem(entry);
        allRemoved = removeDataFolder(appSupport) && allRemoved;
        overlay.removeSystemWideSettings();
        MainThread::post(life, [this, allRemoved] {
            const bool defaultsRemoved = wipeUserDefaults();
            const bool legacyRemoved = removeLegacyFiles();
            m_finished = true;
            emit finished(allRemoved && defaultsRemoved && legacyRemoved);
        });
    });
}

bool CleanUninstall::wipeUserDefaults()
{
    const bool removed = m_defaults.removeDomain();
    for (const QString& key : legacyKeys)
        m_defaults.remove(key);
    return removed;
}

bool CleanUninstall::removeLegacyFiles()
{
    bool allRemoved = true;
    for (const QString& path : legacyPaths)
        allRemoved = removeItem(m_home + "/" + path) && allRemoved;
    return allRemoved;
}
