#include "LinkChangeWatch.h"

#include <cerrno>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

LinkChangeWatch::LinkChangeWatch()
{
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_fd < 0)
        return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

LinkChangeWatch::~LinkChangeWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LinkChangeWatch::changed()
{
    bool changed = m_fd < 0 || !m_looked;
    m_looked = true;
    if (m_fd < 0)
        return true;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            changed = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // ENOBUFS: announcements were dropped, so something changed unseen.
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            changed = true;
        return changed;
    }
}
