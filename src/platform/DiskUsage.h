#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class ProcessRunner;

// Folder sizes as `du` counts them: the blocks in use below a folder, on the folder's own file
// system only, so a mounted network share or removable disk inside it is neither counted nor
// waited for.
namespace DiskUsage {

inline const QString program = QStringLiteral("/usr/bin/du");
// A folder that takes longer than this (a hung mount) counts as empty rather than stalling its caller.
constexpr int defaultTimeoutMs = 60'000;

// One summary line in 1024-byte blocks; the path comes after "--", so a name that begins with "-"
// can never be read as an option.
QStringList summaryArguments(const QString& path);

// Bytes from a summary line: the number before the first tab, in 1024-byte blocks. Output that is
// not UTF-8 or does not begin with a decimal number gives 0.
qint64 parseSummary(const QByteArray& output);

// Blocks until `du` has ended, timed out, or `abandoned` became true; 0 when it could not start,
// timed out, was abandoned or printed no total. A non-zero exit with a total (some subfolders were
// unreadable) still counts that total. Call it off the main thread.
qint64 folderSize(ProcessRunner& runner, const QString& path, int timeoutMs = defaultTimeoutMs,
                  const std::function<bool()>& abandoned = {});

} // namespace DiskUsage
