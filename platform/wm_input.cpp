// Focus, activation, capture, keyboard state, cursor, timers, caret, scroll
// bars, system metrics and the choice of backend.
#include <algorithm>
#include <utility>

#include "platform/edit.h"
#include "platform/font.h"
#include "platform/headless.h"
#include "platform/services.h"
#include "platform/wm_internal.h"

namespace platform {

using namespace detail;

// ---- focus and activation -----------------------------------------------------------

HWND SetFocus(HWND h)
{
    State& s = S();
    if (h && !Find(h))
        return {};
    const HWND old = s.Focus;
    if (old == h)
        return old;
    if (h) {
        Window* top = TopLevelOf(Find(h));
        if (top && top->Handle != s.Active && !(top->ExStyle & WS_EX_NOACTIVATE)) {
            // Activate without letting the activation move the focus elsewhere.
            const bool was = std::exchange(s.KeepFocusOnActivate, true);
            struct Restore {
                bool& Flag;
                bool Value;
                ~Restore() { Flag = Value; }
            } restore{s.KeepFocusOnActivate, was};
            SetActiveWindow(top->Handle);
            if (s.Focus != old) // a handler moved the focus
                return old;
        }
    }
    if (old && Find(old)) {
        SendMessage(old, WM_KILLFOCUS, static_cast<WPARAM>(h.ToParam()), 0);
        if (s.Focus != old) // a handler moved the focus
            return old;
    }
    s.Focus = Find(h) ? h : HWND();
    if (s.Focus)
        SendMessage(h, WM_SETFOCUS, static_cast<WPARAM>(old.ToParam()), 0);
    return old;
}

HWND GetFocus() { return S().Focus; }

HWND SetActiveWindow(HWND h)
{
    State& s = S();
    Window* w = TopLevelOf(Find(h));
    if (!w)
        return {};
    h = w->Handle;
    const HWND old = s.Active;
    if (old == h)
        return old;
    if (Find(old))
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, h.ToParam());
    s.Active = h;
    if (Find(h)) {
        auto& tl = s.TopLevels;
        std::erase(tl, h);
        tl.insert(tl.begin(), h);
        SendMessage(h, WM_ACTIVATE, WA_ACTIVE, old.ToParam());
    }
    return old;
}

HWND GetActiveWindow() { return S().Active; }
HWND GetForegroundWindow() { return S().Active; }
bool SetForegroundWindow(HWND h) { return static_cast<bool>(SetActiveWindow(h)) || GetActiveWindow() == h; }

// ---- capture -------------------------------------------------------------------------------

HWND SetCapture(HWND h)
{
    State& s = S();
    if (h && !Find(h))
        return {};
    const HWND old = s.Capture;
    s.Capture = h;
    if (old && old != h && Find(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, h.ToParam());
    return old;
}

bool ReleaseCapture()
{
    State& s = S();
    const HWND old = s.Capture;
    s.Capture = {};
    if (old && Find(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() { return S().Capture; }

// ---- keyboard and mouse state -------------------------------------------------------------

int16_t GetKeyState(int vk)
{
    const uint8_t k = S().Keys[static_cast<size_t>(vk & 0xFF)];
    return static_cast<int16_t>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

int16_t GetAsyncKeyState(int vk) { return static_cast<int16_t>(GetKeyState(vk) & 0x8000); }

TPoint GetCursorPos()
{
    Back();
    return S().CursorAt;
}

bool SetCursorPos(int x, int y)
{
    S().CursorAt = {x, y};
    Back().SetCursorPos({x, y});
    return true;
}

Cursor SetCursor(Cursor c)
{
    const Cursor old = std::exchange(S().CursorShape, c);
    if (old != c)
        Back().SetCursorShape(c);
    return old;
}

uint32_t GetDoubleClickTime() { return 500; }
void MessageBeep(UINT type) { Back().Beep(type); }

void detail::ResetInputState()
{
    State& s = S();
    s.Keys.fill(0);
    s.Focus = s.Capture = s.Active = s.MouseWindow = s.LastClickWindow = {};
    s.LastClickButton = -1;
    s.LastWasDouble = false;
    s.CursorAt = {};
}

// ---- timers ------------------------------------------------------------------------------------

uintptr_t SetTimer(HWND h, uintptr_t id, uint32_t elapseMs, TimerProc proc)
{
    State& s = S();
    if (h && !Find(h))
        return 0;
    if (!h)
        id = ++s.NextTimerId;
    elapseMs = std::max<uint32_t>(elapseMs, 10);
    const uint64_t due = Back().Now() + elapseMs;
    auto p = proc ? std::make_shared<TimerProc>(std::move(proc)) : nullptr;
    for (Timer& t : s.Timers)
        if (t.Window == h && t.Id == id) {
            t.Elapse = elapseMs;
            t.Due = due;
            t.Proc = std::move(p);
            return id;
        }
    s.Timers.push_back(Timer{h, id, elapseMs, due, std::move(p)});
    return h ? (id ? id : 1) : id;
}

bool KillTimer(HWND h, uintptr_t id)
{
    auto& t = S().Timers;
    const size_t n = t.size();
    std::erase_if(t, [&](const Timer& x) { return x.Window == h && x.Id == id; });
    std::erase_if(S().Queue, [&](const Queued& q) {
        return q.Msg.message == WM_TIMER && q.Msg.hwnd == h && q.Msg.wParam == id;
    });
    return t.size() != n;
}

void detail::RemoveTimersOf(HWND h)
{
    std::erase_if(S().Timers, [h](const Timer& t) { return t.Window == h; });
}

// ---- caret ----------------------------------------------------------------------------------

namespace {
void CaretChanged()
{
    auto& c = S().TheCaret;
    if (!c)
        return;
    c->PhaseStart = Back().Now();
    if (Window* w = Find(c->Owner))
        SurfaceChanged(*w);
}
} // namespace

bool CreateCaret(HWND h, int width, int height)
{
    if (!Find(h))
        return false;
    S().TheCaret = Caret{h, std::max(1, width), std::max(1, height), {}, 1, Back().Now()};
    return true;
}

bool DestroyCaret()
{
    auto& c = S().TheCaret;
    if (!c)
        return false;
    const HWND owner = c->Owner;
    c.reset();
    if (Window* w = Find(owner))
        SurfaceChanged(*w);
    return true;
}

bool SetCaretPos(int x, int y)
{
    auto& c = S().TheCaret;
    if (!c)
        return false;
    c->Pos = {x, y};
    CaretChanged();
    return true;
}

TPoint GetCaretPos()
{
    const auto& c = S().TheCaret;
    return c ? c->Pos : TPoint{};
}

bool ShowCaret(HWND h)
{
    auto& c = S().TheCaret;
    if (!c || (h && c->Owner != h) || c->HideCount == 0)
        return false;
    --c->HideCount;
    CaretChanged();
    return true;
}

bool HideCaret(HWND h)
{
    auto& c = S().TheCaret;
    if (!c || (h && c->Owner != h))
        return false;
    ++c->HideCount;
    CaretChanged();
    return true;
}

uint32_t GetCaretBlinkTime() { return 530; }

bool IsCaretVisible()
{
    const auto& c = S().TheCaret;
    if (!c || c->HideCount != 0 || !IsWindowVisible(c->Owner))
        return false;
    const uint64_t elapsed = Back().Now() - c->PhaseStart;
    return (elapsed / GetCaretBlinkTime()) % 2 == 0;
}

// ---- scroll bars -------------------------------------------------------------------------------

namespace {
void Clamp(SCROLLINFO& si)
{
    const int maxPos = si.nMax - std::max(0, static_cast<int>(si.nPage) - 1);
    si.nPos = std::clamp(si.nPos, si.nMin, std::max(si.nMin, maxPos));
}
} // namespace

int SetScrollInfo(HWND h, int bar, const SCROLLINFO& in, bool redraw)
{
    Window* w = Find(h);
    if (!w || bar < 0 || bar > 1)
        return 0;
    SCROLLINFO& si = w->Bars[static_cast<size_t>(bar)].Info;
    const SCROLLINFO before = si;
    if (in.fMask & SIF_RANGE) {
        si.nMin = in.nMin;
        si.nMax = std::max(in.nMin, in.nMax);
    }
    if (in.fMask & SIF_PAGE)
        si.nPage = std::min(in.nPage, static_cast<UINT>(si.nMax - si.nMin + 1));
    if (in.fMask & SIF_POS)
        si.nPos = in.nPos;
    if (in.fMask & SIF_TRACKPOS)
        si.nTrackPos = in.nTrackPos;
    Clamp(si);
    // The bar looks the same unless its range, page or position changed.
    const bool changed = si.nMin != before.nMin || si.nMax != before.nMax || si.nPage != before.nPage ||
                         si.nPos != before.nPos;
    if (redraw && changed)
        DrawNonClient(*w, bar);
    return si.nPos;
}

bool GetScrollInfo(HWND h, int bar, SCROLLINFO& out)
{
    const Window* w = Find(h);
    if (!w || bar < 0 || bar > 1)
        return false;
    const SCROLLINFO& si = w->Bars[static_cast<size_t>(bar)].Info;
    const UINT mask = out.fMask;
    if (mask & SIF_RANGE) {
        out.nMin = si.nMin;
        out.nMax = si.nMax;
    }
    if (mask & SIF_PAGE)
        out.nPage = si.nPage;
    if (mask & SIF_POS)
        out.nPos = si.nPos;
    if (mask & SIF_TRACKPOS)
        out.nTrackPos = si.nTrackPos;
    return true;
}

int SetScrollPos(HWND h, int bar, int pos, bool redraw)
{
    const int old = GetScrollPos(h, bar);
    SCROLLINFO si{SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(h, bar, si, redraw);
    return old;
}

int GetScrollPos(HWND h, int bar)
{
    SCROLLINFO si{SIF_POS};
    return GetScrollInfo(h, bar, si) ? si.nPos : 0;
}

bool SetScrollRange(HWND h, int bar, int minPos, int maxPos, bool redraw)
{
    SCROLLINFO si{SIF_RANGE, minPos, maxPos, 0, 0, 0};
    return Find(h) && (SetScrollInfo(h, bar, si, redraw), true);
}

bool GetScrollRange(HWND h, int bar, int& minPos, int& maxPos)
{
    SCROLLINFO si{SIF_RANGE};
    if (!GetScrollInfo(h, bar, si))
        return false;
    minPos = si.nMin;
    maxPos = si.nMax;
    return true;
}

bool ShowScrollBar(HWND h, int bar, bool show)
{
    Window* w = Find(h);
    if (!w)
        return false;
    uint32_t bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : (WS_HSCROLL | WS_VSCROLL);
    const uint32_t old = w->Style;
    w->Style = show ? (w->Style | bits) : (w->Style & ~bits);
    if (old != w->Style) {
        const TRect c = ClientArea(*w);
        InvalidateTree(*w);
        SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
    }
    return true;
}

// ---- system ------------------------------------------------------------------------------------

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        const auto mons = Back().Monitors();
        for (const auto& m : mons)
            if (m.Primary)
                return index == SM_CXSCREEN ? m.Rect.Width() : m.Rect.Height();
        return index == SM_CXSCREEN ? 1920 : 1080;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return ScrollBarWidth();
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    default: return 0;
    }
}

int GetWheelScrollLines() { return 3; }
uint32_t GetTickCount() { return static_cast<uint32_t>(Back().Now()); }
uint64_t GetTickCount64() { return Back().Now(); }

// ---- backends ------------------------------------------------------------------------------------

void detail::RegisterBuiltinClasses()
{
    State& s = S();
    s.Classes.clear();
    RegisterClass(WndClass{u"Static", 0, {}, Cursor::Arrow, std::nullopt});
    RegisterEditClass();
}

void UseBackend(std::unique_ptr<Backend> backend)
{
    State& s = S();
    if (s.Back)
        DestroyAll();
    s.Queue.clear();
    s.Timers.clear();
    s.TheCaret.reset();
    s.PaintPending = 0;
    s.RegisteredMessages.clear();
    ResetInputState();
    s.Back = std::move(backend);
    RegisterBuiltinClasses();
}

Backend& CurrentBackend() { return Back(); }

void ShutdownPlatform()
{
    State& s = S();
    if (s.Back)
        DestroyAll();
    s.Queue.clear();
    s.Timers.clear();
    s.TheCaret.reset();
    s.PaintPending = 0;
    s.Classes.clear();
    s.RegisteredMessages.clear();
    ResetInputState();
    s.Back.reset();
    ShutdownFonts();
    EmptyClipboard();
}

// ---- keyboard layout ------------------------------------------------------------------------------

std::optional<char16_t> ControlChar(int vk, bool, bool ctrl, bool alt)
{
    if (alt && ctrl)
        return std::nullopt;
    switch (vk) {
    case VK_BACK: return u'\b';
    case VK_TAB: return u'\t';
    case VK_RETURN: return ctrl ? u'\n' : u'\r';
    case VK_ESCAPE: return u'\x1B';
    default: break;
    }
    if (ctrl && vk >= 'A' && vk <= 'Z')
        return static_cast<char16_t>(vk - 'A' + 1);
    return std::nullopt;
}

std::optional<char16_t> UsLayoutChar(int vk, bool shift, bool ctrl, bool alt)
{
    if (auto c = ControlChar(vk, shift, ctrl, alt))
        return c;
    if (ctrl)
        return std::nullopt;
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<char16_t>(shift ? vk : vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return static_cast<char16_t>(shift ? u")!@#$%^&*("[vk - '0'] : vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<char16_t>(u'0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return u' ';
    case VK_OEM_1: return shift ? u':' : u';';
    case VK_OEM_PLUS: return shift ? u'+' : u'=';
    case VK_OEM_COMMA: return shift ? u'<' : u',';
    case VK_OEM_MINUS: return shift ? u'_' : u'-';
    case VK_OEM_PERIOD: return shift ? u'>' : u'.';
    case VK_OEM_2: return shift ? u'?' : u'/';
    case VK_OEM_3: return shift ? u'~' : u'`';
    case VK_OEM_4: return shift ? u'{' : u'[';
    case VK_OEM_5: return shift ? u'|' : u'\\';
    case VK_OEM_6: return shift ? u'}' : u']';
    case VK_OEM_7: return shift ? u'"' : u'\'';
    case VK_MULTIPLY: return u'*';
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_DECIMAL: return u'.';
    case VK_DIVIDE: return u'/';
    default: return std::nullopt;
    }
}

} // namespace platform
