#pragma once

#include <QSet>
#include <optional>

// The top-level windows of the display as its window manager lists them, by the process that owns
// each. A reader is used from one thread only, the one that created it.
class WindowList {
public:
    struct Reading {
        // The processes owning a listed window (_NET_CLIENT_LIST, each window's _NET_WM_PID).
        QSet<qint32> owners;
        // The process owning the active window (_NET_ACTIVE_WINDOW), when there is one.
        std::optional<qint32> activeOwner;

        friend bool operator==(const Reading&, const Reading&) = default;
    };

    virtual ~WindowList() = default;

    // Empty when there is no display, no window manager, or the display has gone.
    virtual Reading read() = 0;
};
