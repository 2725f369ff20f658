#pragma once

#include "linux/XcbConnect.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdlib>
#include <xcb/xcb.h>

// An XEmbed tray, as a panel runs one: a window of its own that owns the tray selection of the
// display's default screen and says so to the root window. It takes the icons that ask to dock:
// each is reparented into the tray window and mapped. Everything runs on the caller's thread;
// serve() handles what arrived, without waiting.
class PlayedXEmbedTray {
public:
    explicit PlayedXEmbedTray(const QByteArray& display)
    {
        int screenNumber = 0;
        m_connection = connectToXServer(display.constData(), &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;
        m_selection = atom("_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
        m_manager = atom("MANAGER");
        m_opcode = atom("_NET_SYSTEM_TRAY_OPCODE");
    }
    ~PlayedXEmbedTray() { xcb_disconnect(m_connection); }
    PlayedXEmbedTray(const PlayedXEmbedTray&) = delete;
    PlayedXEmbedTray& operator=(const PlayedXEmbedTray&) = delete;

    bool isConnected() const { return !xcb_connection_has_error(m_connection); }
    xcb_connection_t* connection() const { return m_connection; }

    // Takes the selection with a new window, as a tray that starts does.
    void start()
    {
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 200, 24, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_connection, m_window, m_selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t announce{};
        announce.response_type = XCB_CLIENT_MESSAGE;
        announce.format = 32;
        announce.window = m_root;
        announce.type = m_manager;
        announce.data.data32[0] = XCB_CURRENT_TIME;
        announce.data.data32[1] = m_selection;
        announce.data.data32[2] = m_window;
        xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&announce));
        xcb_flush(m_connection);
    }
    // The tray ends: its window goes, and the selection with it.
    void end()
    {
        if (!m_window)
            return;
        xcb_destroy_window(m_connection, m_window);
        m_window = 0;
        xcb_flush(m_connection);
    }

    // Docks the icons that asked since the last call; the windows of every icon docked so far.
    const QList<uint32_t>& serve()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            // Opcode 0 asks to dock the window named in the third word.
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == m_opcode
                && message->data.data32[1] == 0 && m_window) {
                const uint32_t icon = message->data.data32[2];
                xcb_reparent_window(m_connection, icon, m_window, 0, 0);
                xcb_map_window(m_connection, icon);
                m_docked.append(icon);
            }
            std::free(event);
        }
        xcb_flush(m_connection);
        return m_docked;
    }

private:
    xcb_atom_t atom(const QByteArray& name) const
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return value;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
    xcb_atom_t m_selection = 0;
    xcb_atom_t m_manager = 0;
    xcb_atom_t m_opcode = 0;
    QList<uint32_t> m_docked;
};
