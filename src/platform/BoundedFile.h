#pragma once

#include <QByteArray>
#include <QString>

// Reads a file that anyone could have replaced: a pipe, a device or a link to one is never waited
// on, and no more than the caller's bound is ever held in memory.
namespace BoundedFile {

enum class Status {
    Read,           // contents holds the whole file
    Missing,        // nothing there, or a link to nothing
    NotRegularFile, // a folder, pipe, socket or device (or a link to one)
    TooLarge,       // a regular file above the bound
    Unreadable,     // a regular file that could not be opened or read (its mode, say)
};

struct Result {
    Status status = Status::Missing;
    QByteArray contents;

    bool read() const { return status == Status::Read; }
    // True when something stands at the path that could not be taken as the file.
    bool unusable() const { return status != Status::Read && status != Status::Missing; }
};

// Opens `path` without blocking (links followed), checks on the open descriptor that it is a
// regular file of at most `limit` bytes, and reads it whole.
Result read(const QString& path, qint64 limit);
// The same for a descriptor the caller has opened (O_NONBLOCK) and still owns.
Result read(int fd, qint64 limit);

} // namespace BoundedFile
