#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Reads the small text files of /proc and /sys with plain system calls: the samplers read some of
// them every second, and a kernel file must be read whole in one pass to be a consistent snapshot.
namespace KernelFile {

// The whole file; nothing when it cannot be opened or read (a sysfs attribute may refuse reads).
std::optional<QByteArray> read(const QString& path);
// The same into `content`, whose storage is kept for the next read: readers that come back every
// second allocate nothing. False, and `content` empty, when unreadable.
bool readInto(const char* nativePath, QByteArray& content);
// The file's text without surrounding whitespace; nothing when unreadable.
std::optional<QByteArray> readValue(const QString& path);
// A decimal integer, as sysfs attributes hold them; nothing when unreadable or not a number.
std::optional<qint64> readInteger(const QString& path);

// Calls fn with each line of text, without its line feed, until fn returns false.
template <typename Fn>
void forEachLine(QByteArrayView text, Fn fn)
{
    for (qsizetype lineStart = 0; lineStart < text.size();) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (!fn(text.sliced(lineStart, lineEnd - lineStart)))
            return;
        lineStart = lineEnd + 1;
    }
}

} // namespace KernelFile
