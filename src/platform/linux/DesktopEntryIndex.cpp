#include "DesktopEntryIndex.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

namespace {

const QString kSuffix = QStringLiteral(".desktop");

// The words of an Exec line, with the quoting of the desktop-entry format undone.
QStringList splitCommand(const QString& exec)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted && c == '\\' && i + 1 < exec.size()) {
            word += exec.at(++i);
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c.isSpace()) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

// Interpreters and launchers that run other programs' code; `*` ends a prefix ("python*" is also
// "python3.11").
const QStringList kSharedPrograms = {
    "env", "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox",
    "python*", "pypy*", "perl*", "ruby*", "node", "nodejs", "java", "mono", "gjs", "lua*", "php*",
    "tclsh*", "wish*", "flatpak", "snap", "wine*", "proton", "electron*", "xdg-open", "gtk-launch",
    "sudo", "pkexec", "bwrap", "dbus-launch", "dbus-run-session",
};

} // namespace

bool DesktopEntryIndex::isSharedProgram(const QString& fileName)
{
    return std::any_of(kSharedPrograms.cbegin(), kSharedPrograms.cend(), [&fileName](const QString& pattern) {
        return pattern.endsWith('*') ? fileName.startsWith(QStringView(pattern).chopped(1)) : fileName == pattern;
    });
}

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationFolders) : m_folders(std::move(applicationFolders)) {}

QList<DesktopEntryIndex::Application> DesktopEntryIndex::applications() const
{
    QList<Application> found;
    QSet<QString> seenIds;
    for (const QString& folder : std::as_const(m_folders)) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = idOf(path);
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            if (const auto parsed = parse(path))
                found.append({{id, parsed->name}, parsed->executable, parsed->shared, parsed->command});
        }
    }
    return found;
}

void DesktopEntryIndex::build() const
{
    for (const Application& application : applications()) {
        if (application.executable.isEmpty() || application.shared || m_byExecutable.contains(application.executable))
            continue;
        m_byExecutable.insert(application.executable, application.entry);
    }
}

QStringList DesktopEntryIndex::standardFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::forExecutable(const QString& executable) const
{
    std::call_once(m_built, [this] { build(); });
    const auto it = m_byExecutable.constFind(executable);
    if (it == m_byExecutable.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::forFile(const QString& path) const
{
    if (!path.endsWith(kSuffix))
        return std::nullopt;
    const auto parsed = parse(path);
    if (!parsed)
        return std::nullopt;
    return Entry{idOf(path), parsed->name};
}

QString DesktopEntryIndex::idOf(const QString& path) const
{
    QString relative = QFileInfo(path).fileName();
    for (const QString& folder : m_folders) {
        const QString prefix = folder.endsWith('/') ? folder : folder + '/';
        if (path.startsWith(prefix)) {
            relative = path.mid(prefix.size());
            break;
        }
    }
    relative.chop(kSuffix.size());
    return relative.replace('/', '-');
}

std::optional<DesktopEntryIndex::Parsed> DesktopEntryIndex::parse(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    bool inMainGroup = false;
    QString type;
    QString exec;
    Parsed parsed;
    bool hidden = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || line.startsWith('#') || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Name"))
            parsed.name = value;
        else if (key == QLatin1String("Exec"))
            exec = value;
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    if (type != QLatin1String("Application") || hidden || parsed.name.isEmpty())
        return std::nullopt;
    parsed.command = exec;
    resolveExecutable(exec, parsed);
    return parsed;
}

void DesktopEntryIndex::resolveExecutable(const QString& exec, Parsed& parsed)
{
    QStringList words = splitCommand(exec);
    // "env VAR=value program ..." starts the program after the assignments.
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == QLatin1String("env")) {
        words.removeFirst();
        while (!words.isEmpty() && (words.first().contains('=') || words.first().startsWith('-')))
            words.removeFirst();
    }
    if (words.isEmpty())
        return;
    const QString program = words.first().contains('/') ? words.first()
                                                          : QStandardPaths::findExecutable(words.first());
    const QString canonical = QFileInfo(program).canonicalFilePath();
    parsed.executable = canonical.isEmpty() ? program : canonical;
    // Both names count: /usr/bin/python3 may be a link to python3.11, /bin/sh one to dash.
    parsed.shared = isSharedProgram(QFileInfo(words.first()).fileName())
                    || isSharedProgram(QFileInfo(parsed.executable).fileName());
}
