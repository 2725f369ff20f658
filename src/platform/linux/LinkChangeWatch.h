#pragma once

// Whether the kernel announced a change of the network links, their addresses or the routes since
// the last look, from a netlink socket subscribed to those announcements. Readers of
// /sys/class/net and the routing table poll it so as to re-read only after something changed.
// Where the socket cannot be opened, every look reports a change.
class LinkChangeWatch {
public:
    LinkChangeWatch();
    ~LinkChangeWatch();
    LinkChangeWatch(const LinkChangeWatch&) = delete;
    LinkChangeWatch& operator=(const LinkChangeWatch&) = delete;

    // True at the first look, and when an announcement arrived or some were lost since the last.
    // Not thread-safe: each reader keeps its own watch.
    bool changed();

private:
    int m_fd = -1;
    bool m_looked = false;
};
