#include "LaunchAgent.h"

#include "AtomicFile.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The program as one quoted argument of an Exec key: backslash, quote, backquote and dollar are
// escaped inside the quotes, then every backslash is doubled again because the value is itself an
// escaped string, and a percent sign is doubled so that it is no field code.
QString execArgument(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

} // namespace

LaunchAgent::LaunchAgent(QString autostartDirectory, QString applicationPath)
    : m_autostartDirectory(std::move(autostartDirectory)), m_applicationPath(std::move(applicationPath))
{
}

QString LaunchAgent::entryPath(const QString& autostartDirectory)
{
    return autostartDirectory + "/" + label + ".desktop";
}

std::optional<QByteArray> LaunchAgent::desktopEntry(const QString& applicationPath)
{
    // One line per key: a line break or other control character cannot be written into a value.
    const bool writable = applicationPath.startsWith(u'/')
                          && std::none_of(applicationPath.cbegin(), applicationPath.cend(),
                                          [](QChar c) { return c.category() == QChar::Other_Control; });
    if (!writable)
        return std::nullopt;
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmarsh\n"
                          "Exec=%1\n"
                          "Terminal=false\n")
        .arg(execArgument(applicationPath))
        .toUtf8();
}

void LaunchAgent::apply(bool enabled)
{
    (void)QtConcurrent::run(&m_queue.pool(), [this, enabled] { enabled ? install() : remove(); });
}

void LaunchAgent::install() const
{
    const auto entry = desktopEntry(m_applicationPath);
    if (!entry)
        return;
    // The autostart folder is shared with other programs: missing folders are made, a link the
    // user keeps there is followed.
    AtomicFile::makeMissingFolders(m_autostartDirectory);
    AtomicFile::write(entryPath(), *entry);
}

void LaunchAgent::remove() const
{
    QFile::remove(entryPath());
}
