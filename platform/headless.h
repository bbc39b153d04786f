#pragma once
// The headless backend: windows draw into in-memory images; the clock is
// virtual and moves only when told (timers and caret blink follow it); input
// is injected; message boxes are answered from a script and recorded; the
// monitor's pixel density is settable. Used by tests and tools.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/bitmap.h"

namespace platform {

struct MessageBoxRecord {
    HWND Owner;
    std::u16string Text, Caption;
    UINT Flags = 0;
    std::vector<int> Buttons; // answers of the buttons shown, in order
    int Answer = 0;
};

class HeadlessBackend : public Backend {
public:
    const char* Name() const override { return "headless"; }
    uint64_t Now() override { return Clock; }
    void PollEvents() override {}
    bool WaitForEvents(std::optional<uint64_t>) override { return false; }
    int MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags) override;
    std::vector<MonitorInfo> Monitors() override;
    TPoint CursorPos() override { return Cursor; }
    void SetCursorPos(TPoint p) override { Cursor = p; }
    std::optional<char16_t> TranslateKey(int vk, bool shift, bool ctrl, bool alt) override
    {
        return UsLayoutChar(vk, shift, ctrl, alt);
    }
    void Beep(UINT) override { ++Beeps; }

    uint64_t Clock = 0;
    TPoint Cursor;
    int Density = 96;
    int LastGoodDensity = 96; // the last density of 30 or more (ChangeDensity)
    // What a density query answers instead of Density (0: the query fails).
    std::optional<int> DensityQueryResult;
    TRect Screen{0, 0, 1920, 1080};
    std::deque<int> Answers; // scripted message box answers, first used first
    std::vector<MessageBoxRecord> Boxes;
    int Beeps = 0;
};

namespace headless {

// Installs a fresh headless backend for its lifetime and shuts the platform
// down (every window destroyed, caches released) when it ends.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    HeadlessBackend& Backend();
};

// The installed backend; raises EInvalidOperation when it is not headless.
HeadlessBackend& Get();

// Moves the virtual clock forward; timers fall due as it passes them.
void Advance(uint32_t ms);
uint64_t Now();
// Takes, translates and dispatches messages until none is left (timers
// included, the clock not moving); answers how many were dispatched.
size_t ProcessMessages(size_t limit = 1000000);

enum Modifiers : unsigned { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };
void KeyDown(int vk);
void KeyUp(int vk);
// Presses and releases a key with modifiers held around it.
void PressKey(int vk, unsigned modifiers = None);
// Characters as the text input delivers them (WM_CHAR each).
void TypeText(std::u16string_view text);
// Mouse input at client coordinates of a window; button 0 left, 1 right, 2 middle.
void MouseMove(HWND h, TPoint client);
void MouseDown(HWND h, TPoint client, int button = 0);
void MouseUp(HWND h, TPoint client, int button = 0);
void Click(HWND h, TPoint client, int button = 0);
void DoubleClick(HWND h, TPoint client, int button = 0);
void Wheel(HWND h, TPoint client, int delta);

void AnswerMessageBox(int answer);
const std::vector<MessageBoxRecord>& MessageBoxes();

void SetDensity(int dpi);
// Changes the density and sends WM_DPICHANGED (wParam MAKEWPARAM(dpi, dpi),
// lParam a suggested TRect*) to every top-level window.
void ChangeDensity(int dpi);

// The pixels of a window (the caret drawn over them when visible); for a
// child window, its rectangle within its top-level window.
Bitmap Screenshot(HWND h);
void SaveScreenshot(HWND top, const std::string& path);
// What the user sees of a top-level window's rectangle: its pixels with every
// visible top-level window above it in the z-order (pop-ups, drop-downs)
// drawn over them.
Bitmap ScreenAreaOf(HWND top);

} // namespace headless
} // namespace platform
