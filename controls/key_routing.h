#pragma once
// The message loop's key filter: a keyboard message is first echoed to the
// control it is for as a notification (CN_KEYDOWN, CN_CHAR, ...); a non-zero
// answer claims it and the message is not dispatched.
#include "platform/types.h"

namespace controls {

// The control that receives the echo of a key message: the window with mouse
// capture, else the nearest framework control from the message's window up.
platform::HWND KeyMessageTarget(const platform::MSG& msg);
// Answers true when the echo claimed the message.
bool IsKeyMsg(const platform::MSG& msg);
// One step of a minimal loop for programs and tests without the application
// object: takes one message, runs the key filter, then translates and
// dispatches. Answers false when the queue was empty or the message was WM_QUIT.
bool ProcessOneMessage();

} // namespace controls
