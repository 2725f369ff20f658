#pragma once

#include <fcntl.h>
#include <unistd.h>

// The floor the benchmarks measure against: reading a file the way cat does (open, read in large
// blocks to the end, close), with nothing made of its bytes.
namespace RawRead {

inline void file(const char* path)
{
    static char buffer[128 * 1024];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
}

} // namespace RawRead
