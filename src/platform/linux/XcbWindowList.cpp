#include "XcbWindowList.h"

#include "XcbConnect.h"
#include "XcbReply.h"

#include <QList>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <xcb/xcb.h>

namespace {

// More windows than any desktop holds; a longer list is read only this far.
constexpr uint32_t kMaxWindows = 65'536;

// The process identifier held by a _NET_WM_PID reply; nothing for a missing or malformed one.
std::optional<qint32> pidIn(const XcbReply<xcb_get_property_reply_t>& reply)
{
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    const uint32_t pid = *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    if (pid < 1 || pid > uint32_t(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(pid);
}

} // namespace

XcbWindowList::XcbWindowList(QByteArray display) : m_display(std::move(display)) {}

XcbWindowList::~XcbWindowList()
{
    disconnect();
}

std::unique_ptr<WindowList> XcbWindowList::forEnvironment()
{
    return std::make_unique<XcbWindowList>(qgetenv("DISPLAY"));
}

void XcbWindowList::disconnect()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

bool XcbWindowList::connected()
{
    if (m_connection && !xcb_connection_has_error(m_connection))
        return true;
    disconnect();
    if (m_display.isEmpty())
        return false;
    int screenNumber = 0;
    m_connection = connectToXServer(m_display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        disconnect();
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        disconnect();
        return false;
    }
    m_root = screens.data->root;

    const char* names[] = {"_NET_CLIENT_LIST", "_NET_ACTIVE_WINDOW", "_NET_WM_PID"};
    uint32_t* atoms[] = {&m_clientList, &m_activeWindow, &m_pid};
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (size_t i = 0; i < std::size(names); ++i)
        cookies[i] = xcb_intern_atom(m_connection, 0, uint16_t(strlen(names[i])), names[i]);
    bool interned = true;
    for (size_t i = 0; i < std::size(names); ++i) {
        const auto reply = ownedReply(xcb_intern_atom_reply(m_connection, cookies[i], nullptr));
        *atoms[i] = reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
        interned = interned && reply;
    }
    if (!interned) {
        disconnect();
        return false;
    }
    // From here on the window manager tells of every change to its list and to the active window.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(m_connection);
    m_stale = true;
    return true;
}

bool XcbWindowList::changed()
{
    bool changed = m_stale;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            changed = changed || (notify->window == m_root &&
                                  (notify->atom == m_clientList || notify->atom == m_activeWindow));
        }
        std::free(event);
    }
    return changed;
}

std::optional<qint32> XcbWindowList::ownerOf(uint32_t window)
{
    return pidIn(ownedReply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pid, XCB_ATOM_CARDINAL, 0, 1), nullptr)));
}

WindowList::Reading XcbWindowList::read()
{
    Reading reading;
    if (!connected())
        return reading;
    if (!changed())
        return m_last;

    const auto clients = ownedReply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, m_root, m_clientList, XCB_ATOM_WINDOW, 0, kMaxWindows), nullptr));
    // A window may name its process only after it was listed; until all do, the list is read again.
    bool ownersMissing = false;
    if (clients && clients->format == 32) {
        const auto* windows = static_cast<const uint32_t*>(xcb_get_property_value(clients.get()));
        const int count = xcb_get_property_value_length(clients.get()) / 4;
        // All questions first, then all answers: one round trip for the whole list.
        QList<xcb_get_property_cookie_t> cookies;
        cookies.reserve(count);
        for (int i = 0; i < count; ++i)
            cookies.append(xcb_get_property(m_connection, 0, windows[i], m_pid, XCB_ATOM_CARDINAL, 0, 1));
        for (const xcb_get_property_cookie_t& cookie : std::as_const(cookies)) {
            if (const auto pid = pidIn(ownedReply(xcb_get_property_reply(m_connection, cookie, nullptr))))
                reading.owners.insert(*pid);
            else
                ownersMissing = true;
        }
    }

    const auto active = ownedReply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, m_activeWindow, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (active && active->format == 32 && xcb_get_property_value_length(active.get()) >= 4) {
        const uint32_t window = *static_cast<const uint32_t*>(xcb_get_property_value(active.get()));
        if (window != XCB_WINDOW_NONE)
            reading.activeOwner = ownerOf(window);
    }
    m_last = reading;
    m_stale = ownersMissing || xcb_connection_has_error(m_connection);
    return reading;
}
