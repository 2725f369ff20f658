#include "XcbConnect.h"

#include <mutex>
#include <xcb/xcb.h>

xcb_connection_t* connectToXServer(const char* display, int* screen)
{
    static std::mutex connecting;
    const std::lock_guard lock(connecting);
    return xcb_connect(display, screen);
}
