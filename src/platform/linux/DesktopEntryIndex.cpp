#include "DesktopEntryIndex.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

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

} // namespace

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationFolders) : m_folders(std::move(applicationFolders))
{
    QSet<QString> seenIds;
    for (const QString& folder : std::as_const(m_folders)) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = idOf(path);
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            const auto parsed = parse(path);
            if (!parsed || parsed->executable.isEmpty() || m_byExecutable.contains(parsed->executable))
                continue;
            m_byExecutable.insert(parsed->executable, {id, parsed->name});
        }
    }
}

QStringList DesktopEntryIndex::standardFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::forExecutable(const QString& executable) const
{
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
    parsed.executable = resolveExecutable(exec);
    return parsed;
}

QString DesktopEntryIndex::resolveExecutable(const QString& exec)
{
    QStringList words = splitCommand(exec);
    // "env VAR=value program ..." starts the program after the assignments.
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == QLatin1String("env")) {
        words.removeFirst();
        while (!words.isEmpty() && (words.first().contains('=') || words.first().startsWith('-')))
            words.removeFirst();
    }
    if (words.isEmpty())
        return {};
    const QString program = words.first().contains('/') ? words.first()
                                                          : QStandardPaths::findExecutable(words.first());
    if (program.isEmpty())
        return {};
    const QString canonical = QFileInfo(program).canonicalFilePath();
    return canonical.isEmpty() ? program : canonical;
}
