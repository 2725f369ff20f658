#include "ApplicationFolders.h"

#include "ApplicationBundle.h"
#include "Paths.h"

#include <QDir>
#include <QFileInfo>

ApplicationFolders::ApplicationFolders(QStringList folders) : m_folders(std::move(folders)) {}

QStringList ApplicationFolders::standardFolders()
{
    return {QStringLiteral("/Applications"), QStringLiteral("/Applications/Utilities"),
            Paths::home() + QStringLiteral("/Applications"), Paths::home() + QStringLiteral("/Downloads")};
}

QList<InstalledApplications::Application> ApplicationFolders::list()
{
    QList<Application> found;
    for (const QString& folder : m_folders) {
        const QDir dir(folder);
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                                  QDir::Name);
        for (const QString& entry : entries) {
            const QFileInfo info(dir.filePath(entry));
            if (info.suffix() != QLatin1String("app"))
                continue;
            if (const auto bundle = ApplicationBundle::identifier(info.filePath()))
                found.append({info.completeBaseName(), *bundle, {}});
        }
    }
    return found;
}
