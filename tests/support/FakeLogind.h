#pragma once

#include "HeldInhibit.h"

#include <QDBusUnixFileDescriptor>
#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// logind's manager: each inhibitor it grants is the write end of a pipe whose read end it keeps,
// so it sees the lock end when every copy of the descriptor is closed.
struct FakeLogind {
    inline static const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

    ~FakeLogind()
    {
        for (const int fd : readEnds.get())
            ::close(fd);
    }

    HeldInhibit* object(bool grants)
    {
        auto* manager = new HeldInhibit;
        if (!grants) {
            manager->refuse(managerInterface, "Inhibit", "org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
            return manager;
        }
        manager->on(managerInterface, "Inhibit", [this](const QDBusMessage& call) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0)
                return call.createErrorReply("org.freedesktop.DBus.Error.Failed", "no pipe");
            readEnds.with([&](QList<int>& fds) { fds.append(ends[0]); });
            const QDBusMessage reply = call.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])));
            ::close(ends[1]);
            return reply;
        });
        return manager;
    }

    // True once no copy of the granted descriptor is open any more.
    bool released() const
    {
        const QList<int> fds = readEnds.get();
        if (fds.size() != 1)
            return false;
        pollfd end{fds.first(), POLLIN, 0};
        return ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP);
    }

    // The locks granted whose descriptor is still open somewhere.
    int holding() const
    {
        const QList<int> fds = readEnds.get();
        return int(std::count_if(fds.cbegin(), fds.cend(), [](int fd) {
            pollfd end{fd, POLLIN, 0};
            return !(::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP));
        }));
    }

    Locked<QList<int>> readEnds;
};
