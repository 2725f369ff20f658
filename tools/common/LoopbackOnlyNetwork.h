#pragma once

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

// Moves the calling process into a network namespace of its own whose only interface is loopback,
// brought up, so that nothing it or the tools it starts send (the latency probe's pings to a public
// address included) leaves the machine. Without root it enters a user namespace first, in which it
// stays the same user. Call it first thing in main: a process with threads cannot do that.
namespace LoopbackOnlyNetwork {

inline bool writeWhole(const char* path, const QByteArray& text)
{
    const int file = ::open(path, O_WRONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    const bool written = ::write(file, text.constData(), size_t(text.size())) == ssize_t(text.size());
    ::close(file);
    return written;
}

// Empty when the process is inside; otherwise why not.
inline QString enter()
{
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray gid = QByteArray::number(::getegid());
    if (::geteuid() == 0) {
        if (::unshare(CLONE_NEWNET) != 0)
            return QStringLiteral("no network namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
            return QStringLiteral("no user and network namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
        if (!writeWhole("/proc/self/setgroups", "deny") || !writeWhole("/proc/self/uid_map", uid + ' ' + uid + " 1")
            || !writeWhole("/proc/self/gid_map", gid + ' ' + gid + " 1"))
            return QStringLiteral("the user namespace could not map this user");
    }
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = socket >= 0 && ::ioctl(socket, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = short(request.ifr_flags | IFF_UP);
        up = ::ioctl(socket, SIOCSIFFLAGS, &request) == 0;
    }
    if (socket >= 0)
        ::close(socket);
    return up ? QString() : QStringLiteral("loopback could not be brought up");
}

} // namespace LoopbackOnlyNetwork
