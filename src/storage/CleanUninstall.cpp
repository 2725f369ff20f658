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
                               QString appSupportDirectory, QString configurationDirectory,
                               QString launchAtLoginEntry, QObject* parent)
    : QObject(parent),
      m_overlay(overlay),
      m_defaults(defaults),
      m_home(std::move(homeDirectory)),
      m_appSupport(std::move(appSupportDirectory)),
      m_configuration(std::move(configurationDirectory)),
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

CleanUninstall::Removal CleanUninstall::removeStoredFolder(const QString& path, StoredFiles::Folder folder)
{
    return StoredFolderRemoval::remove(path, folder);
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
        const Removal data = removeStoredFolder(appSupport, StoredFiles::Folder::Data);
        allRemoved = data.allRemoved && allRemoved;
        overlay.removeSystemWideSettings();
        MainThread::post(life, [this, allRemoved, data] {
            const bool defaultsRemoved = wipeUserDefaults();
            // The defaults took theirs from the configuration folder; this names it when it was kept.
            const Removal configuration =
                removeStoredFolder(m_configuration, StoredFiles::Folder::Configuration);
            const bool legacyRemoved = removeLegacyFiles();
            QStringList kept;
            for (const QString& folder : {data.keptFolder, configuration.keptFolder}) {
                if (!folder.isEmpty() && !kept.contains(folder))
                    kept.append(folder);
            }
            m_finished = true;
            emit finished(allRemoved && defaultsRemoved && configuration.allRemoved && legacyRemoved, kept);
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
