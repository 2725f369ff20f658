#include "DesktopEntryIndex.h"

#include "BoundedFile.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

namespace {

const QString kSuffix = QStringLiteral(".desktop");

// A string value with the escapes of the desktop-entry format undone: \s, \n, \t, \r and \\.
// Any other backslash stays as written, for the quoting rules of an Exec value to read.
QString unescaped(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value.at(i);
        const qsizetype escape = c == u'\\' && i + 1 < value.size() ? QStringView(u"sntr\\").indexOf(value.at(i + 1)) : -1;
        if (escape >= 0) {
            c = QStringView(u" \n\t\r\\").at(escape);
            ++i;
        }
        text += c;
    }
    return text;
}

// An argument with its field codes expanded as far as finding the program needs: "%%" is a
// percent sign, every other code stands for nothing here.
QString withoutFieldCodes(const QString& word)
{
    QString text;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word.at(i) != u'%' || i + 1 == word.size()) {
            text += word.at(i);
        } else if (word.at(++i) == u'%') {
            text += u'%';
        }
    }
    return text;
}

// The arguments of an Exec value: its string escapes undone, then its quoting (inside double
// quotes a backslash escapes '"', '`', '$' and '\\'), then its field codes. An argument that was
// only a field code is left out.
QStringList splitCommand(const QString& exec)
{
    const QString command = unescaped(exec);
    const QString quotedEscapes = QStringLiteral("\"`$\\");
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    const auto endWord = [&] {
        const QString expanded = withoutFieldCodes(word);
        if (inWord && (!expanded.isEmpty() || word.isEmpty()))
            words.append(expanded);
        word.clear();
        inWord = false;
    };
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (quoted && c == u'\\' && i + 1 < command.size() && quotedEscapes.contains(command.at(i + 1))) {
            word += command.at(++i);
        } else if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c.isSpace()) {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
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
        // The suffix is compared here rather than as a name filter, which would bring in the regular
        // expression engine for this one test.
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!it.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
                continue;
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
    const BoundedFile::Result file = BoundedFile::read(path, maxEntryBytes);
    if (!file.read())
        return std::nullopt;
    bool inMainGroup = false;
    QString type;
    QString exec;
    Parsed parsed;
    bool hidden = false;
    for (const QByteArray& bytes : file.contents.split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
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
            parsed.name = unescaped(value);
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
