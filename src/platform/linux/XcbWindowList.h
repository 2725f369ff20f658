#pragma once

#include "WindowList.h"

#include <QByteArray>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

// Reads the window manager's properties over one X connection of its own, opened on first use and
// again after the display has gone away. The root window's property-change events say when the
// list or the active window changed; in between, a reading is the previous one, without a round trip.
class XcbWindowList final : public WindowList {
public:
    // `display` as in $DISPLAY; empty means no display, and every reading is empty.
    explicit XcbWindowList(QByteArray display);
    ~XcbWindowList() override;

    // A reader of the display named by $DISPLAY.
    static std::unique_ptr<WindowList> forEnvironment();

    Reading read() override;

private:
    bool connected();
    void disconnect();
    // Whether the list or the active window changed since the last reading.
    bool changed();
    std::optional<qint32> ownerOf(uint32_t window);

    const QByteArray m_display;
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_clientList = 0;
    uint32_t m_activeWindow = 0;
    uint32_t m_pid = 0;
    Reading m_last;
    bool m_stale = true;
};
