#pragma once
// The display backend: SDL2 opens one native window per top-level window;
// child windows are ours, composited into their top-level window's pixels,
// which cairo draws and SDL shows; keyboard, text input and mouse events
// become input messages; message boxes are SDL's modal boxes.
#include <memory>

#include "platform/backend.h"

namespace platform {

// Opens the display; raises core::EInvalidOperation "Cannot open the
// display: {reason}" when there is none.
std::unique_ptr<Backend> CreateDisplayBackend();
// SDL's key code to a virtual key (0 when it has none).
int VirtualKeyFromSdl(int sdlKeycode);

} // namespace platform
