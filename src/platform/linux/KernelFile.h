#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads the small text files of /proc and /sys with plain system calls: the samplers read some of
// them every second, and a kernel file must be read whole in one pass to be a consistent snapshot.
namespace KernelFile {

// The whole file; nothing when it cannot be opened or read (a sysfs attribute may refuse reads).
std::optional<QByteArray> read(const QString& path);
// The file's text without surrounding whitespace; nothing when unreadable.
std::optional<QByteArray> readValue(const QString& path);
// A decimal integer, as sysfs attributes hold them; nothing when unreadable or not a number.
std::optional<qint64> readInteger(const QString& path);

} // namespace KernelFile
