// Asks a window, the way a window manager does, whether its program still answers: sends it
// _NET_WM_PING every interval and times each answer. Waits for a window whose title contains the
// given text, then pings it for the given time and prints every round trip and a summary.
//
//   window_ping TITLE [--seconds N] [--interval-ms N]
//
// A ping that is not answered before the next one is sent counts as unanswered until it is; the
// longest wait is the longest time the program went without answering.

#include "linux/XcbConnect.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

std::string title(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t utf8Name, xcb_atom_t utf8)
{
    std::string text;
    for (const auto& [property, type] : {std::pair{utf8Name, utf8}, std::pair{xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(XCB_ATOM_STRING)}}) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 256), nullptr);
        if (reply && xcb_get_property_value_length(reply) > 0)
            text.assign(static_cast<const char*>(xcb_get_property_value(reply)), std::size_t(xcb_get_property_value_length(reply)));
        std::free(reply);
        if (!text.empty())
            break;
    }
    return text;
}

bool viewable(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return shown;
}

// The first window on screen whose title contains `wanted`.
xcb_window_t find(xcb_connection_t* connection, xcb_window_t root, const std::string& wanted, xcb_atom_t utf8Name,
                  xcb_atom_t utf8)
{
    std::vector<xcb_window_t> pending{root};
    while (!pending.empty()) {
        const xcb_window_t window = pending.back();
        pending.pop_back();
        if (window != root && viewable(connection, window)
            && title(connection, window, utf8Name, utf8).find(wanted) != std::string::npos)
            return window;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
        if (!tree)
            continue;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        pending.insert(pending.end(), children, children + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return XCB_WINDOW_NONE;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_ping TITLE [--seconds N] [--interval-ms N]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    double seconds = 20;
    int intervalMs = 100;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--interval-ms") == 0)
            intervalMs = std::atoi(argv[i + 1]);
    }

    xcb_connection_t* connection = connectToXServer(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(connection, "_NET_WM_PING");
    const xcb_atom_t utf8Name = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    // The answer is sent to the root window for its substructure listeners.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);

    const auto launched = Clock::now();
    xcb_window_t window = XCB_WINDOW_NONE;
    while ((window = find(connection, root, wanted, utf8Name, utf8)) == XCB_WINDOW_NONE) {
        if (Clock::now() - launched > std::chrono::seconds(120)) {
            std::fprintf(stderr, "no window titled %s\n", wanted.c_str());
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("window 0x%x found after %.0f ms\n", window,
                std::chrono::duration<double, std::milli>(Clock::now() - launched).count());

    std::map<std::uint32_t, Clock::time_point> sent;
    std::vector<double> roundTrips;
    std::uint32_t serial = 1;
    const auto start = Clock::now();
    auto nextPing = start;
    while (Clock::now() - start < std::chrono::duration<double>(seconds) || !sent.empty()) {
        const auto now = Clock::now();
        if (now >= nextPing && now - start < std::chrono::duration<double>(seconds)) {
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window;
            event.type = protocols;
            event.data.data32[0] = ping;
            event.data.data32[1] = serial;
            event.data.data32[2] = window;
            xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
            xcb_flush(connection);
            sent[serial++] = now;
            nextPing += std::chrono::milliseconds(intervalMs);
        }
        if (!sent.empty() && now - start > std::chrono::duration<double>(seconds) + std::chrono::seconds(60))
            break;
        pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&readable, 1, 5);
        while (xcb_generic_event_t* generic = xcb_poll_for_event(connection)) {
            if ((generic->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* answer = reinterpret_cast<const xcb_client_message_event_t*>(generic);
                const auto found = sent.find(answer->data.data32[1]);
                if (answer->type == protocols && answer->data.data32[0] == ping && found != sent.end()) {
                    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - found->second).count();
                    roundTrips.push_back(ms);
                    std::printf("t=%.3f ping %u answered in %.1f ms\n",
                                std::chrono::duration<double>(found->second - start).count(), found->first, ms);
                    sent.erase(found);
                }
            }
            std::free(generic);
        }
        if (xcb_connection_has_error(connection))
            break;
    }
    std::vector<double> sorted = roundTrips;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&sorted](double share) { return sorted.empty() ? 0.0 : sorted[std::size_t(share * double(sorted.size() - 1))]; };
    std::printf("summary pings=%zu answered=%zu unanswered=%zu median=%.1f ms p99=%.1f ms max=%.1f ms\n",
                roundTrips.size() + sent.size(), roundTrips.size(), sent.size(), at(0.5), at(0.99),
                sorted.empty() ? 0.0 : sorted.back());
    xcb_disconnect(connection);
    return sent.empty() ? 0 : 1;
}
