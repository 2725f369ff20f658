#include "StoredFolders.h"

#include "AtomicFile.h"
#include "FolderRefusal.h"
#include "LinkedFile.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reason = FolderRefusal::Reason;

// Why the folder a missing `native` would be made in does not let this user make it; nothing when
// it does. Another user's folder in the home is named itself, as a run with sudo leaves one.
std::optional<FolderRefusal> cannotBeMade(const QByteArray& native)
{
    const QString home = QDir::homePath();
    for (QByteArray parent = native; parent.lastIndexOf('/') > 0;) {
        parent.truncate(parent.lastIndexOf('/'));
        struct stat status {};
        if (::stat(parent.constData(), &status) != 0) {
            if (errno == ENOENT)
                continue;
            return FolderRefusal{Reason::Failed, QFile::decodeName(native), {}, 0, errno};
        }
        if (!S_ISDIR(status.st_mode))
            return FolderRefusal{Reason::Failed, QFile::decodeName(native), {}, 0, ENOTDIR};
        if (::euidaccess(parent.constData(), W_OK | X_OK) == 0)
            return std::nullopt;
        const int error = errno;
        const QString name = QFile::decodeName(parent);
        if (name.startsWith(home + u'/') && status.st_uid != ::geteuid())
            return FolderRefusal{Reason::OwnedByAnother, name, {}, status.st_uid, error};
        return FolderRefusal{Reason::Failed, QFile::decodeName(native), {}, 0, error};
    }
    return std::nullopt;
}

// Why `folder` could not be made or used, judged without changing anything; nothing when it can.
std::optional<FolderRefusal> check(const QString& folder)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
    struct stat entry {};
    if (::lstat(native.constData(), &entry) != 0) {
        if (errno == ENOENT)
            return cannotBeMade(native);
        return FolderRefusal{Reason::Failed, folder, {}, 0, errno};
    }
    if (!S_ISDIR(entry.st_mode) && !S_ISLNK(entry.st_mode))
        return FolderRefusal{Reason::NotAFolder, folder, {}, entry.st_uid, ENOTDIR};
    return LinkedFile::folderRefusal(folder);
}

void addOnce(QStringList& texts, const QString& text)
{
    if (!texts.contains(text))
        texts.append(text);
}

} // namespace

QStringList StoredFolders::paths()
{
    return {Paths::applicationSupport(), Paths::configuration()};
}

QString StoredFolders::prepare()
{
    QStringList problems;
    for (const QString& folder : paths()) {
        if (const auto refusal = check(folder))
            addOnce(problems, refusal->text());
    }
    if (!problems.isEmpty())
        return problems.join(QStringLiteral("\n\n"));
    for (const QString& folder : paths()) {
        FolderRefusal refusal;
        if (!AtomicFile::makePrivateFolder(folder, &refusal))
            addOnce(problems, refusal.text());
    }
    return problems.join(QStringLiteral("\n\n"));
}
