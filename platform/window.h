#pragma once
// The window manager: window classes and procedures, window handles, parent
// and owner relations, styles, bounds, visibility, enabled state, z-order;
// the message queue (send, post, get, peek, dispatch); painting with update
// regions; focus, capture, keyboard state, cursor, timers, caret and scroll
// bars. Everything runs on the one user-interface thread.
//
// Messages carrying text or objects pass C++ objects by pointer:
//   WM_SETTEXT  lParam = const std::u16string*
//   WM_GETTEXT  lParam = std::u16string* (filled; no length limit); answers the length
//   WM_SETFONT  wParam = const platform::Font* (copied by the receiver)
//   WM_GETFONT  answers const platform::Font* owned by the window (or 0)
//   WM_CREATE / WM_NCCREATE  lParam = const CREATESTRUCT*
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dc.h"
#include "platform/messages.h"
#include "platform/region.h"
#include "platform/types.h"

namespace platform {

using WndProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
using TimerProc = std::function<void(HWND, UINT, uintptr_t, uint32_t)>;

struct WndClass {
    std::u16string Name;
    uint32_t Style = 0; // CS_*
    WndProc Proc;       // DefWindowProc when empty
    Cursor CursorShape = Cursor::Arrow;
    // Background painted by DefWindowProc on WM_ERASEBKGND (none when empty).
    std::optional<COLORREF> Background;
};

struct CREATESTRUCT {
    void* CreateParams = nullptr;
    HWND Parent;
    intptr_t Id = 0;
    TRect Bounds;
    uint32_t Style = 0, ExStyle = 0;
    std::u16string Name, ClassName;
};

// ---- classes ------------------------------------------------------------------
// Fails (false) when a class of that name exists (names ignore case).
bool RegisterClass(const WndClass& cls);
bool UnregisterClass(std::u16string_view name);
std::optional<WndClass> GetClassInfo(std::u16string_view name);

// ---- windows ------------------------------------------------------------------
// `parent` is the parent of a WS_CHILD window and the owner of any other.
// Answers the null handle when the class is unknown, a child has no valid
// parent, or WM_NCCREATE answers 0 / WM_CREATE answers -1. An exception from
// the creation messages destroys the window and propagates.
HWND CreateWindowEx(uint32_t exStyle, std::u16string_view className, std::u16string_view text, uint32_t style,
                    int x, int y, int width, int height, HWND parent, intptr_t id = 0, void* param = nullptr);
bool DestroyWindow(HWND h);
bool IsWindow(HWND h);
HWND GetParent(HWND h); // parent of a child, owner of a top-level window
HWND SetParent(HWND child, HWND newParent);
HWND GetWindow(HWND h, UINT relation);
HWND GetTopLevel(HWND h); // the window itself when top-level
bool IsChild(HWND parent, HWND h);
std::vector<HWND> GetChildren(HWND h); // top of the z-order first
std::vector<HWND> GetTopLevelWindows(); // top of the z-order first
LPARAM GetWindowLongPtr(HWND h, int index);
LPARAM SetWindowLongPtr(HWND h, int index, LPARAM value);
// Replaces the window procedure (subclassing); answers the old one.
WndProc SetWindowProc(HWND h, WndProc proc);
WndProc GetWindowProc(HWND h);
LRESULT CallWindowProc(const WndProc& proc, HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT DefWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l);
std::u16string GetClassName(HWND h);

std::u16string GetWindowText(HWND h);
bool SetWindowText(HWND h, std::u16string_view text);
bool ShowWindow(HWND h, int cmd); // answers whether it was visible
bool IsWindowVisible(HWND h);      // the window and all its ancestors
bool EnableWindow(HWND h, bool enable); // answers whether it was disabled
bool IsWindowEnabled(HWND h);
bool IsIconic(HWND h);
bool SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool MoveWindow(HWND h, int x, int y, int cx, int cy, bool repaint = true);
bool BringWindowToTop(HWND h);
TRect GetWindowRect(HWND h); // screen coordinates
TRect GetClientRect(HWND h); // (0, 0, width, height)
TPoint ClientToScreen(HWND h, TPoint p);
TPoint ScreenToClient(HWND h, TPoint p);
void MapWindowPoints(HWND from, HWND to, TPoint* points, size_t count);
TRect MapWindowRect(HWND from, HWND to, const TRect& r);
// Deepest visible enabled-or-disabled window at a screen point.
HWND WindowFromPoint(TPoint screen);
HWND ChildWindowFromPoint(HWND parent, TPoint client);

// ---- messages ----------------------------------------------------------------
LRESULT SendMessage(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0);
// False for a window that does not exist. The null handle posts a thread
// message. The one call that other threads may make: from them the message
// is queued without checking the handle (a dead handle is ignored when the
// message is dispatched) and a waiting loop wakes up.
bool PostMessage(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0);
void PostQuitMessage(int exitCode);
// Answers false for WM_QUIT. Waits for input; on the headless backend an
// empty queue with nothing due raises EInvalidOperation instead of hanging.
bool GetMessage(MSG& msg);
bool PeekMessage(MSG& msg, HWND filter = {}, UINT first = 0, UINT last = 0, UINT remove = PM_REMOVE);
LRESULT DispatchMessage(const MSG& msg);
bool TranslateMessage(const MSG& msg);
void WaitMessage();
// Waits for input at most `ms` milliseconds (real time on the display backend).
void WaitMessageTimeout(uint32_t ms);
uint32_t GetMessageTime();
TPoint GetMessagePos();
UINT RegisterWindowMessage(std::u16string_view name);
size_t QueuedMessageCount();

// ---- painting -----------------------------------------------------------------
struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false;
    TRect rcPaint;
    std::unique_ptr<DeviceContext> Context;
};
bool InvalidateRect(HWND h, const TRect* r, bool erase);
bool InvalidateRgn(HWND h, const Region* rgn, bool erase);
bool ValidateRect(HWND h, const TRect* r);
bool GetUpdateRect(HWND h, TRect* r, bool erase = false);
Region GetUpdateRgn(HWND h);
bool UpdateWindow(HWND h); // sends WM_PAINT now when there is an update region
bool RedrawWindow(HWND h, const TRect* r, UINT flags);
HDC BeginPaint(HWND h, PAINTSTRUCT& ps);
void EndPaint(HWND h, PAINTSTRUCT& ps);
// A context over the client area (clipped to the visible part).
std::unique_ptr<DeviceContext> GetDC(HWND h);
// Moves client pixels by (dx, dy) inside `scroll` (whole client when null),
// clipped to `clip`; the uncovered area goes to `updateRgn` and, with
// SW_INVALIDATE, into the update region.
int ScrollWindowEx(HWND h, int dx, int dy, const TRect* scroll, const TRect* clip, Region* updateRgn,
                   TRect* updateRect, UINT flags);
bool ScrollWindow(HWND h, int dx, int dy, const TRect* scroll, const TRect* clip);

// ---- input ---------------------------------------------------------------------
HWND SetFocus(HWND h);
HWND GetFocus();
HWND SetActiveWindow(HWND h);
HWND GetActiveWindow();
HWND GetForegroundWindow();
bool SetForegroundWindow(HWND h);
HWND SetCapture(HWND h);
bool ReleaseCapture();
HWND GetCapture();
// High bit (negative) while the key is down, bit 0 toggled.
int16_t GetKeyState(int vk);
int16_t GetAsyncKeyState(int vk);
TPoint GetCursorPos();
bool SetCursorPos(int x, int y);
Cursor SetCursor(Cursor c);
uint32_t GetDoubleClickTime();
void MessageBeep(UINT type);

// ---- timers ---------------------------------------------------------------------
// Answers the timer id (a fresh one for h = 0) or 0 on failure. A due timer
// posts one WM_TIMER however far the clock passed it.
uintptr_t SetTimer(HWND h, uintptr_t id, uint32_t elapseMs, TimerProc proc = {});
bool KillTimer(HWND h, uintptr_t id);

// ---- caret ------------------------------------------------------------------------
bool CreateCaret(HWND h, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);
TPoint GetCaretPos();
bool ShowCaret(HWND h);
bool HideCaret(HWND h);
uint32_t GetCaretBlinkTime();
// Whether the caret is drawn right now (shown, not hidden, in the "on" phase).
bool IsCaretVisible();

// ---- scroll bars ------------------------------------------------------------------
struct SCROLLINFO {
    UINT fMask = SIF_ALL;
    int nMin = 0, nMax = 0;
    UINT nPage = 0;
    int nPos = 0, nTrackPos = 0;
};
int SetScrollInfo(HWND h, int bar, const SCROLLINFO& si, bool redraw);
bool GetScrollInfo(HWND h, int bar, SCROLLINFO& si);
int SetScrollPos(HWND h, int bar, int pos, bool redraw);
int GetScrollPos(HWND h, int bar);
bool SetScrollRange(HWND h, int bar, int minPos, int maxPos, bool redraw);
bool GetScrollRange(HWND h, int bar, int& minPos, int& maxPos);
bool ShowScrollBar(HWND h, int bar, bool show);

// ---- system --------------------------------------------------------------------------
int GetSystemMetrics(int index);
int GetWheelScrollLines();
uint32_t GetTickCount();
uint64_t GetTickCount64();
// Number of live windows (for leak checks).
size_t WindowCount();

} // namespace platform
