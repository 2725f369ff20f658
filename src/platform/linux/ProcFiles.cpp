#include "ProcFiles.h"

#include "KernelFile.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace {

QString processPath(const QString& root, qint32 pid, const char* file)
{
    return root + '/' + QString::number(pid) + '/' + QLatin1String(file);
}

// Read straight from the directory stream: a QDir listing would look up every entry once more,
// and a proc file system holds hundreds of them.
QList<qint32> numericEntries(const QString& folder)
{
    QList<qint32> ids;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return ids;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        bool ok = false;
        const qint32 id = QByteArray::fromRawData(entry->d_name, qsizetype(strlen(entry->d_name))).toInt(&ok);
        if (ok && id > 0)
            ids.append(id);
    }
    ::closedir(dir);
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

std::optional<ProcFiles::Stat> ProcFiles::readStat(const QString& root, qint32 pid)
{
    const auto bytes = KernelFile::read(processPath(root, pid, "stat"));
    if (!bytes)
        return std::nullopt;
    // The short name is in parentheses and may itself hold blanks and parentheses.
    const qsizetype open = bytes->indexOf('(');
    const qsizetype close = bytes->lastIndexOf(')');
    if (open < 0 || close < open)
        return std::nullopt;
    // The blank-separated fields after the name: field 3 (the state) first.
    constexpr int kStartTime = 22 - 3;
    std::array<QByteArrayView, kStartTime + 1> fields;
    int count = 0;
    const QByteArrayView rest = QByteArrayView(*bytes).sliced(close + 1);
    for (qsizetype at = 0; at < rest.size() && count <= kStartTime;) {
        const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
        while (at < rest.size() && isBlank(rest[at]))
            ++at;
        qsizetype end = at;
        while (end < rest.size() && !isBlank(rest[end]))
            ++end;
        if (end > at)
            fields[count++] = rest.sliced(at, end - at);
        at = end;
    }
    // fields[0] is field 3 of the file (the state), so field n is fields[n - 3].
    if (count <= kStartTime || fields[0].size() != 1)
        return std::nullopt;
    bool parentOk = false;
    bool startOk = false;
    Stat stat;
    stat.command = QString::fromUtf8(bytes->mid(open + 1, close - open - 1));
    stat.state = fields[0].at(0);
    stat.parent = fields[1].toInt(&parentOk);
    stat.startTime = fields[kStartTime].toULongLong(&startOk);
    if (!parentOk || !startOk)
        return std::nullopt;
    return stat;
}

std::optional<uid_t> ProcFiles::readOwner(const QString& root, qint32 pid)
{
    const auto bytes = KernelFile::read(processPath(root, pid, "status"));
    if (!bytes)
        return std::nullopt;
    std::optional<uid_t> owner;
    KernelFile::forEachLine(*bytes, [&owner](QByteArrayView line) {
        if (!line.startsWith("Uid:"))
            return true;
        const QList<QByteArray> ids = line.sliced(4).toByteArray().simplified().split(' ');
        bool realOk = false;
        bool effectiveOk = false;
        const uint real = ids.value(0).toUInt(&realOk);
        const uint effective = ids.value(1).toUInt(&effectiveOk);
        if (realOk && effectiveOk && real == effective)
            owner = uid_t(real);
        return false;
    });
    return owner;
}

QString ProcFiles::readExecutable(const QString& root, qint32 pid)
{
    const QByteArray link = QFile::encodeName(processPath(root, pid, "exe"));
    char target[4096];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    if (length <= 0 || size_t(length) >= sizeof target)
        return {};
    QString path = QFile::decodeName(QByteArray(target, int(length)));
    const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

std::optional<QByteArray> ProcFiles::readEnvironment(const QString& root, qint32 pid, const QByteArray& name)
{
    const auto bytes = KernelFile::read(processPath(root, pid, "environ"));
    if (!bytes)
        return std::nullopt;
    const QByteArray prefix = name + '=';
    for (qsizetype at = 0; at < bytes->size();) {
        qsizetype end = bytes->indexOf('\0', at);
        if (end < 0)
            end = bytes->size();
        const QByteArrayView entry = QByteArrayView(*bytes).sliced(at, end - at);
        if (entry.startsWith(prefix))
            return entry.sliced(prefix.size()).toByteArray();
        at = end + 1;
    }
    return std::nullopt;
}

QList<QByteArray> ProcFiles::readControlGroups(const QString& root, qint32 pid)
{
    QList<QByteArray> paths;
    const auto bytes = KernelFile::read(processPath(root, pid, "cgroup"));
    if (!bytes)
        return paths;
    // Each line is "hierarchy:controllers:path"; the path may contain colons.
    KernelFile::forEachLine(*bytes, [&paths](QByteArrayView line) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second >= 0)
            paths.append(line.sliced(second + 1).toByteArray());
        return true;
    });
    return paths;
}

QList<qint32> ProcFiles::listProcesses(const QString& root)
{
    return numericEntries(root);
}

QList<qint32> ProcFiles::listThreads(const QString& root, qint32 pid)
{
    return numericEntries(processPath(root, pid, "task"));
}
