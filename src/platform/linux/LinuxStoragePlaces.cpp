#include "LinuxStoragePlaces.h"

#include "BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {

// xdg-user-dirs writes well under a kilobyte.
constexpr qint64 kMaxUserDirsBytes = 64 * 1024;

// A user-dirs value: the text between its double quotes, with backslash escapes resolved.
std::optional<QString> quoted(QStringView value)
{
    if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
        return std::nullopt;
    QString text;
    for (qsizetype i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == u'\\' && i + 2 < value.size())
            ++i;
        text.append(value[i]);
    }
    return text;
}

} // namespace

LinuxStoragePlaces::LinuxStoragePlaces(const QString& home, const QString& configHome, const QString& root)
    : m_home(QDir::cleanPath(home)), m_configHome(configHome), m_root(root)
{
}

QHash<QString, QString> LinuxStoragePlaces::userDirectories(const QString& text, const QString& home)
{
    QHash<QString, QString> folders;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1String("XDG_")))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || !line.left(equals).endsWith(QLatin1String("_DIR")))
            continue;
        const auto value = quoted(QStringView(line).mid(equals + 1).trimmed());
        if (!value)
            continue;
        QString folder;
        if (*value == QLatin1String("$HOME") || value->startsWith(QLatin1String("$HOME/")))
            folder = home + value->mid(5);
        else if (value->startsWith(u'/'))
            folder = *value;
        else
            continue;
        folders.insert(line.mid(4, equals - 8), QDir::cleanPath(folder));
    }
    return folders;
}

QList<StoragePlace> LinuxStoragePlaces::places() const
{
    // The user's own file: what is not a file of a sensible size there is passed over, as it stands.
    const BoundedFile::Result file = BoundedFile::read(m_configHome + "/user-dirs.dirs", kMaxUserDirsBytes);
    const QHash<QString, QString> named = file.read() ? userDirectories(QString::fromUtf8(file.contents), m_home)
                                                      : QHash<QString, QString>{};
    const auto userFolder = [&](const QString& key, const QString& usual) {
        const QString folder = named.value(key, m_home + u'/' + usual);
        // A user folder set to the home itself is switched off; measuring it would count the home.
        return folder == m_home ? QStringList{} : QStringList{folder};
    };
    QStringList software;
    // Snap packages are mounted below /snap from their files in snapd's folder, which is what they
    // take on the disk.
    for (const QString& folder : {m_root + "/usr", m_root + "/opt", m_root + "/var/lib/flatpak",
                                  m_root + "/var/lib/snapd/snaps", m_home + "/.local/share/flatpak",
                                  m_home + "/Applications"}) {
        const QFileInfo info(folder);
        if (info.isDir() && !info.isSymLink())
            software.append(folder);
    }
    return {{"Applications", software},
            {"System Cache", {m_home + "/.cache"}},
            {"Logs", {m_home + "/.local/state"}},
            {"Downloads", userFolder("DOWNLOAD", "Downloads")},
            {"Desktop", userFolder("DESKTOP", "Desktop")},
            {"Documents", userFolder("DOCUMENTS", "Documents")},
            {"Videos", userFolder("VIDEOS", "Videos")},
            {"Music", userFolder("MUSIC", "Music")},
            {"Pictures", userFolder("PICTURES", "Pictures")}};
}
