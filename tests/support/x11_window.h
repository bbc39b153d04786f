#pragma once
// Real windows on an X server (the virtual one the display tests run under):
// reading a window's pixels back and closing it as a window manager would.
// libX11 is loaded at run time, so the tests do not link it.
#include <string>

#include "platform/bitmap.h"

namespace test_support {

// The window's top-left width × height pixels, or an empty bitmap.
platform::Bitmap GrabX11Window(unsigned long window, int width, int height);
// Sends the window manager's close request (WM_DELETE_WINDOW).
bool CloseX11Window(unsigned long window);
// Runs a shell command (xdotool and the like) and answers what it printed,
// without trailing line ends.
std::string Shell(const std::string& command);

} // namespace test_support
