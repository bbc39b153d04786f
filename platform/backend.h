#pragma once
// The backend interface: what the window manager needs from the machine
// (clock, native windows, input events, message boxes, monitors). Two
// implementations: the headless backend (headless.h) and the SDL2 display
// backend (display.h).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"
#include "platform/types.h"

namespace platform {

struct MonitorInfo {
    TRect Rect;     // screen coordinates
    TRect WorkArea; // without task bars
    int Dpi = 96;   // pixel density; 0 when the platform could not tell
    bool Primary = false;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;
    // Milliseconds since the backend started.
    virtual uint64_t Now() = 0;
    // Converts pending native events into queued input (QueueKey/QueueMouse...).
    virtual void PollEvents() = 0;
    // Blocks until a native event arrives or the clock reaches `deadline`;
    // answers false when it cannot wait (nothing could ever arrive).
    virtual bool WaitForEvents(std::optional<uint64_t> deadline) = 0;
    // Native window life of top-level windows.
    virtual void WindowCreated(HWND) {}
    virtual void WindowDestroyed(HWND) {}
    // Bounds, visibility or text of a top-level window changed.
    virtual void WindowChanged(HWND) {}
    // Pixels of a top-level window changed (drawn by Present).
    virtual void SurfaceChanged(HWND) {}
    // Shows what changed; called whenever the message queue runs dry.
    virtual void Present() {}
    virtual int MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags) = 0;
    virtual std::vector<MonitorInfo> Monitors() = 0;
    virtual TPoint CursorPos() = 0;
    virtual void SetCursorPos(TPoint) {}
    virtual void SetCursorShape(Cursor) {}
    // The character a key makes (WM_CHAR), or none; printable characters may
    // come separately from the backend's text input instead.
    virtual std::optional<char16_t> TranslateKey(int vk, bool shift, bool ctrl, bool alt) = 0;
    virtual void Beep(UINT) {}
    // Wakes a waiting WaitForEvents; called from any thread.
    virtual void Wake() {}
};

// The US keyboard layout: characters of a virtual key with the modifiers.
std::optional<char16_t> UsLayoutChar(int vk, bool shift, bool ctrl, bool alt);
// The character keys only: control characters (Enter, Tab, Backspace,
// Escape, Ctrl+letter).
std::optional<char16_t> ControlChar(int vk, bool shift, bool ctrl, bool alt);

// Installs a backend: destroys every window, clears the queue, timers, caret,
// focus and capture first. Without a call the headless backend is used.
void UseBackend(std::unique_ptr<Backend> backend);
Backend& CurrentBackend();
// Destroys every window and releases the backend, fonts and caches.
void ShutdownPlatform();

// Input from a backend, queued in arrival order and routed when taken from
// the queue (keys to the focus, mouse to the capture or the window under
// the point).
void QueueKey(int vk, bool down);
void QueueChar(char16_t ch);
void QueueMouseMove(TPoint screen);
// button: 0 left, 1 right, 2 middle
void QueueMouseButton(int button, bool down, TPoint screen);
void QueueMouseWheel(int delta, TPoint screen);
// A top-level window's close request (the native close button).
void QueueClose(HWND h);

} // namespace platform
