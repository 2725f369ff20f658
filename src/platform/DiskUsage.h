#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class ProcessRunner;

// Bytes used by a folder as `du` counts them. Shared by the disk scanner and the storage card.
namespace DiskUsage {

constexpr int kDefaultTimeoutMs = 120'000;

// The first tab-separated field of `du -sk` output as KiB, in bytes; 0 for anything else (not
// UTF-8, not a plain integer, out of range).
qint64 parseKilobytes(const QByteArray& output);

// Runs `du -s -k -x -- path`: it stays on the folder's own file system and never reads the path
// as an option. 0 when du cannot start or is still running at the deadline; a total printed
// despite unreadable subfolders counts. Once `abandoned` returns true (its caller has gone away)
// du is ended and the size is 0.
qint64 folderSize(ProcessRunner& runner, const QString& path, int timeoutMs = kDefaultTimeoutMs,
                  const std::function<bool()>& abandoned = {});

} // namespace DiskUsage
