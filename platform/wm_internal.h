#pragma once
// Internal state of the window manager (not for use outside platform/).
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <thread>
#include <unordered_map>

#include "platform/backend.h"
#include "platform/bitmap.h"
#include "platform/window.h"

namespace platform::detail {

struct ScrollBar {
    SCROLLINFO Info{SIF_ALL, 0, 100, 0, 0, 0};
};

struct Window {
    HWND Handle;
    std::shared_ptr<const WndClass> Class;
    std::shared_ptr<WndProc> Proc;
    HWND Parent; // WS_CHILD windows
    HWND Owner;  // top-level windows
    std::vector<HWND> Children; // top of the z-order first
    uint32_t Style = 0, ExStyle = 0;
    intptr_t Id = 0;
    LPARAM UserData = 0;
    std::u16string Text;
    TRect Rect; // window rectangle: parent client coordinates (child) or screen (top-level)
    Region Update; // client coordinates
    bool Erase = false;
    Region Painting; // update region taken when WM_PAINT was dispatched
    bool Destroying = false;
    bool Created = false;
    std::array<ScrollBar, 2> Bars;
    std::unique_ptr<Bitmap> Surface; // top-level windows
};

enum class QueuedKind : uint8_t { Posted, Key, Char, MouseMove, MouseButton, MouseWheel, Close };

struct Queued {
    MSG Msg;
    QueuedKind Kind = QueuedKind::Posted;
    int Vk = 0;
    bool Down = false;
    char16_t Ch = 0;
    int Button = 0;
    int Wheel = 0;
};

struct Timer {
    HWND Window;
    uintptr_t Id = 0;
    uint32_t Elapse = 0;
    uint64_t Due = 0;
    std::shared_ptr<TimerProc> Proc;
};

struct Caret {
    HWND Owner;
    int Width = 0, Height = 0;
    TPoint Pos;
    int HideCount = 1; // created hidden
    uint64_t PhaseStart = 0;
};

struct State {
    std::unique_ptr<Backend> Back;
    std::unordered_map<uint32_t, std::shared_ptr<Window>> Windows;
    std::vector<HWND> TopLevels; // top of the z-order first
    std::map<std::u16string, std::shared_ptr<const WndClass>> Classes; // key: upper-case name
    std::map<std::u16string, UINT> RegisteredMessages;
    uint32_t NextHandle = 0;
    std::deque<Queued> Queue;
    bool QuitPosted = false;
    int QuitCode = 0;
    std::vector<Timer> Timers;
    uintptr_t NextTimerId = 0x7FFF0000;
    std::optional<Caret> TheCaret;
    HWND Focus, Capture, Active;
    std::array<uint8_t, 256> Keys{}; // bit 7 down, bit 0 toggled
    TPoint CursorAt;
    platform::Cursor CursorShape = platform::Cursor::Arrow;
    uint32_t MessageTime = 0;
    TPoint MessagePos;
    // Double-click detection.
    HWND LastClickWindow;
    int LastClickButton = -1;
    uint64_t LastClickTime = 0;
    TPoint LastClickPos;
    bool LastWasDouble = false;
    HWND MouseWindow; // window under the mouse at the last move
    bool KeepFocusOnActivate = false; // SetFocus is activating the window itself
    size_t PaintPending = 0; // windows with a non-empty update region (hint)
    std::thread::id UiThread = std::this_thread::get_id(); // the thread that first used the platform
};

State& S();
Backend& Back();
Window* Find(HWND h);
std::shared_ptr<Window> FindShared(HWND h);
bool IsTopLevel(const Window& w);
Window* TopLevelOf(Window* w);
// Non-client thickness and scroll bars.
TRect ClientArea(const Window& w); // in window coordinates (0,0 = window's top-left)
TPoint WindowOriginInSurface(const Window& w);
TPoint ClientOriginInSurface(const Window& w);
TPoint ClientOriginOnScreen(const Window& w);
bool VisibleChain(const Window& w);
Region VisibleRegion(const Window& w, bool clientOnly); // surface coordinates
void InvalidateTree(Window& w);
void ExposeParentArea(Window& w);
// The frame and both scroll bars; with `onlyBar` (SB_HORZ, SB_VERT) just that bar.
void DrawNonClient(Window& w, int onlyBar = -1);
void SurfaceChanged(Window& w);
void DestroyAll();
void RemoveTimersOf(HWND h);
void PurgeQueue(HWND h);
void RegisterBuiltinClasses();
bool TakeInput(Queued& q, MSG& out); // routes an input event; false when it goes nowhere
std::unique_ptr<DeviceContext> ClientDC(Window& w, const Region* limit);
Bitmap ComposeScreenshot(HWND top);
void ResetInputState();
LRESULT HandleNonClientMouse(Window& w, const MSG& msg);
int ScrollBarWidth();

} // namespace platform::detail
