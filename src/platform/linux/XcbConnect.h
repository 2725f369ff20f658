#pragma once

struct xcb_connection_t;

// xcb_connect, one call at a time in the whole process. Connecting looks up the X authority file
// through libXau, which builds that file's name in one buffer shared by all its callers, so two
// threads that connect at once write over each other's name. Every X connection of ours is made
// here; the GUI library makes its own on the main thread while the application starts, before any
// of ours.
xcb_connection_t* connectToXServer(const char* display, int* screen);
