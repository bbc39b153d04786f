// The message queue: send, post, get, peek, dispatch and translate; routing
// of input; the default window procedure.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "core/exception.h"
#include "core/ustring.h"
#include "platform/wm_internal.h"

namespace platform {

using namespace detail;

namespace {

uint32_t Stamp() { return static_cast<uint32_t>(Back().Now()); }

bool KeyDown(int vk) { return S().Keys[static_cast<size_t>(vk & 0xFF)] & 0x80; }

WPARAM MouseKeyFlags()
{
    WPARAM f = 0;
    if (KeyDown(VK_LBUTTON))
        f |= MK_LBUTTON;
    if (KeyDown(VK_RBUTTON))
        f |= MK_RBUTTON;
    if (KeyDown(VK_MBUTTON))
        f |= MK_MBUTTON;
    if (KeyDown(VK_SHIFT))
        f |= MK_SHIFT;
    if (KeyDown(VK_CONTROL))
        f |= MK_CONTROL;
    return f;
}

void Enqueue(Queued q)
{
    q.Msg.time = Stamp();
    q.Msg.pt = S().CursorAt;
    S().Queue.push_back(std::move(q));
}

bool Matches(const MSG& m, HWND filter, UINT first, UINT last)
{
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd))
        return false;
    if (first == 0 && last == 0)
        return true;
    return m.message >= first && m.message <= last;
}

// Topmost-first search for a window with an update region, parents first.
HWND FindPaint(const Window& w, HWND filter)
{
    if (!(w.Style & WS_VISIBLE))
        return {};
    if (!w.Update.IsEmpty() && (!filter || filter == w.Handle || IsChild(filter, w.Handle)))
        return w.Handle;
    for (HWND c : w.Children)
        if (const Window* cw = Find(c))
            if (HWND h = FindPaint(*cw, filter))
                return h;
    return {};
}

HWND NextPaint(HWND filter)
{
    if (S().PaintPending == 0)
        return {};
    for (HWND t : S().TopLevels)
        if (const Window* w = Find(t))
            if (HWND h = FindPaint(*w, filter))
                return h;
    S().PaintPending = 0; // stale hint
    return {};
}

std::optional<size_t> NextTimer(HWND filter, uint64_t now)
{
    std::optional<size_t> best;
    auto& timers = S().Timers;
    for (size_t i = 0; i < timers.size(); ++i) {
        const Timer& t = timers[i];
        if (t.Due > now || (filter && t.Window != filter && !IsChild(filter, t.Window)))
            continue;
        if (!best || t.Due < timers[*best].Due)
            best = i;
    }
    return best;
}

} // namespace

// ---- input routing ---------------------------------------------------------------------

void QueueKey(int vk, bool down)
{
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        vk = VK_SHIFT;
    else if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        vk = VK_CONTROL;
    else if (vk == VK_LMENU || vk == VK_RMENU)
        vk = VK_MENU;
    Queued q;
    q.Kind = QueuedKind::Key;
    q.Vk = vk & 0xFF;
    q.Down = down;
    Enqueue(q);
}

void QueueChar(char16_t ch)
{
    Queued q;
    q.Kind = QueuedKind::Char;
    q.Ch = ch;
    Enqueue(q);
}

void QueueMouseMove(TPoint screen)
{
    Queued q;
    q.Kind = QueuedKind::MouseMove;
    q.Msg.lParam = PointToLParam(screen);
    Enqueue(q);
}

void QueueMouseButton(int button, bool down, TPoint screen)
{
    Queued q;
    q.Kind = QueuedKind::MouseButton;
    q.Button = button;
    q.Down = down;
    q.Msg.lParam = PointToLParam(screen);
    Enqueue(q);
}

void QueueMouseWheel(int delta, TPoint screen)
{
    Queued q;
    q.Kind = QueuedKind::MouseWheel;
    q.Wheel = delta;
    q.Msg.lParam = PointToLParam(screen);
    Enqueue(q);
}

void QueueClose(HWND h)
{
    Queued q;
    q.Kind = QueuedKind::Close;
    q.Msg.hwnd = h;
    Enqueue(q);
}

bool detail::TakeInput(Queued& q, MSG& out)
{
    State& s = S();
    out = q.Msg;
    switch (q.Kind) {
    case QueuedKind::Posted: return true;
    case QueuedKind::Close:
        out.message = WM_CLOSE;
        return Find(out.hwnd) != nullptr;
    case QueuedKind::Key: {
        uint8_t& k = s.Keys[static_cast<size_t>(q.Vk)];
        const bool wasDown = k & 0x80;
        if (q.Down) {
            if (!wasDown)
                k ^= 1;
            k |= 0x80;
        } else {
            k &= static_cast<uint8_t>(~0x80);
        }
        const HWND target = s.Focus ? s.Focus : s.Active;
        if (!target)
            return false;
        const bool alt = KeyDown(VK_MENU) && !KeyDown(VK_CONTROL);
        const bool sys = alt || q.Vk == VK_F10 || (q.Vk == VK_MENU);
        out.hwnd = target;
        out.message = q.Down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        out.wParam = static_cast<WPARAM>(q.Vk);
        out.lParam = static_cast<LPARAM>(1u | (static_cast<uint32_t>(q.Vk) << 16) | (alt ? 1u << 29 : 0u) |
                                         (wasDown ? 1u << 30 : 0u) | (q.Down ? 0u : 1u << 31));
        return true;
    }
    case QueuedKind::Char: {
        if (!s.Focus)
            return false;
        out.hwnd = s.Focus;
        out.message = WM_CHAR;
        out.wParam = q.Ch;
        out.lParam = 1;
        return true;
    }
    case QueuedKind::MouseMove:
    case QueuedKind::MouseButton:
    case QueuedKind::MouseWheel: {
        const TPoint screen = PointFromLParam(q.Msg.lParam);
        s.CursorAt = screen;
        out.pt = screen;
        if (q.Kind == QueuedKind::MouseButton) {
            static constexpr int vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
            uint8_t& k = s.Keys[static_cast<size_t>(vks[std::clamp(q.Button, 0, 2)])];
            k = q.Down ? (k | 0x80) : (k & static_cast<uint8_t>(~0x80));
        }
        HWND target = s.Capture;
        if (q.Kind == QueuedKind::MouseWheel)
            target = s.Focus ? s.Focus : WindowFromPoint(screen);
        if (!target) {
            target = WindowFromPoint(screen);
            // A disabled window passes nothing on.
            if (target && !IsWindowEnabled(target))
                return false;
        }
        Window* w = Find(target);
        if (!w)
            return false;
        out.hwnd = target;
        if (q.Kind == QueuedKind::MouseWheel) {
            out.message = WM_MOUSEWHEEL;
            out.wParam = MAKEWPARAM(static_cast<int>(MouseKeyFlags()), q.Wheel);
            out.lParam = PointToLParam(screen);
            return true;
        }
        const TPoint client = ScreenToClient(target, screen);
        // Presses on the frame (scroll bars) are the window manager's own.
        if (!s.Capture && !GetClientRect(target).Contains(client)) {
            if (q.Kind == QueuedKind::MouseButton && q.Down) {
                MSG nc = out;
                nc.lParam = PointToLParam(client);
                HandleNonClientMouse(*w, nc);
            }
            return false;
        }
        out.lParam = PointToLParam(client);
        out.wParam = MouseKeyFlags();
        if (q.Kind == QueuedKind::MouseMove) {
            s.MouseWindow = target;
            SendMessage(target, WM_SETCURSOR, static_cast<WPARAM>(target.ToParam()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!Find(target))
                return false;
            out.message = WM_MOUSEMOVE;
            return true;
        }
        static constexpr UINT downs[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        static constexpr UINT ups[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
        static constexpr UINT dbls[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
        const int b = std::clamp(q.Button, 0, 2);
        if (!q.Down) {
            out.message = ups[b];
            return true;
        }
        if (Window* top = TopLevelOf(w); top && top->Handle != s.Active && !(top->ExStyle & WS_EX_NOACTIVATE)) {
            SetActiveWindow(top->Handle);
            if (!Find(target))
                return false;
        }
        const uint64_t now = q.Msg.time;
        const bool dbl = (w->Class->Style & CS_DBLCLKS) && !s.LastWasDouble && s.LastClickWindow == target &&
                         s.LastClickButton == b && now - s.LastClickTime <= GetDoubleClickTime() &&
                         std::abs(screen.X - s.LastClickPos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                         std::abs(screen.Y - s.LastClickPos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        s.LastWasDouble = dbl;
        s.LastClickWindow = target;
        s.LastClickButton = b;
        s.LastClickTime = now;
        s.LastClickPos = screen;
        out.message = dbl ? dbls[b] : downs[b];
        return true;
    }
    }
    return false;
}

// ---- sending and posting -----------------------------------------------------------------

LRESULT SendMessage(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    Window* win = Find(h);
    if (!win)
        return 0;
    const std::shared_ptr<WndProc> proc = win->Proc; // survives a replacement or destruction
    return (*proc)(h, msg, w, l);
}

namespace {
struct Inbox {
    std::mutex Lock;
    std::vector<Queued> Items;
    std::atomic<bool> Pending{false};
};
Inbox& TheInbox()
{
    static Inbox inbox;
    return inbox;
}
// Messages posted by other threads join the queue on the interface thread.
void DrainInbox()
{
    Inbox& in = TheInbox();
    if (!in.Pending.load(std::memory_order_acquire))
        return;
    std::vector<Queued> items;
    {
        std::lock_guard<std::mutex> g(in.Lock);
        items.swap(in.Items);
        in.Pending.store(false, std::memory_order_release);
    }
    for (Queued& q : items)
        S().Queue.push_back(std::move(q));
}
} // namespace

bool PostMessage(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (std::this_thread::get_id() != S().UiThread) {
        Queued q;
        q.Msg = MSG{h, msg, w, l, 0, {}};
        Inbox& in = TheInbox();
        {
            std::lock_guard<std::mutex> g(in.Lock);
            in.Items.push_back(std::move(q));
            in.Pending.store(true, std::memory_order_release);
        }
        if (Backend* b = S().Back.get())
            b->Wake();
        return true;
    }
    if (h && !Find(h))
        return false;
    Queued q;
    q.Msg.hwnd = h;
    q.Msg.message = msg;
    q.Msg.wParam = w;
    q.Msg.lParam = l;
    Enqueue(std::move(q));
    return true;
}

void PostQuitMessage(int exitCode)
{
    S().QuitCode = exitCode;
    Queued q;
    q.Msg.message = WM_QUIT;
    q.Msg.wParam = static_cast<WPARAM>(exitCode);
    Enqueue(std::move(q));
}

void detail::PurgeQueue(HWND h)
{
    std::erase_if(S().Queue, [h](const Queued& q) { return q.Msg.hwnd == h; });
}

size_t QueuedMessageCount() { return S().Queue.size(); }

bool PeekMessage(MSG& msg, HWND filter, UINT first, UINT last, UINT remove)
{
    Backend& back = Back();
    back.PollEvents();
    DrainInbox();
    State& s = S();
    for (auto it = s.Queue.begin(); it != s.Queue.end();) {
        if (it->Kind != QueuedKind::Posted) {
            MSG routed;
            if (!TakeInput(*it, routed)) {
                it = s.Queue.erase(it);
                continue;
            }
            it->Kind = QueuedKind::Posted;
            it->Msg = routed;
        }
        if (Matches(it->Msg, filter, first, last)) {
            msg = it->Msg;
            if (remove & PM_REMOVE)
                s.Queue.erase(it);
            s.MessageTime = msg.time;
            s.MessagePos = msg.pt;
            return true;
        }
        ++it;
    }
    const bool wantPaint = (first == 0 && last == 0) || (WM_PAINT >= first && WM_PAINT <= last);
    if (wantPaint)
        if (HWND h = NextPaint(filter)) {
            msg = MSG{h, WM_PAINT, 0, 0, Stamp(), s.CursorAt};
            s.MessageTime = msg.time;
            return true;
        }
    const bool wantTimer = (first == 0 && last == 0) || (WM_TIMER >= first && WM_TIMER <= last);
    if (wantTimer) {
        const uint64_t now = back.Now();
        if (auto i = NextTimer(filter, now)) {
            Timer& t = s.Timers[*i];
            msg = MSG{t.Window, WM_TIMER, t.Id, t.Proc ? 1 : 0, static_cast<uint32_t>(now), s.CursorAt};
            if (remove & PM_REMOVE)
                t.Due = now + t.Elapse;
            s.MessageTime = msg.time;
            return true;
        }
    }
    back.Present();
    return false;
}

namespace {
std::optional<uint64_t> NextDeadline()
{
    std::optional<uint64_t> d;
    for (const Timer& t : S().Timers)
        d = d ? std::min(*d, t.Due) : t.Due;
    if (S().TheCaret && S().TheCaret->HideCount == 0) {
        const uint64_t blink = GetCaretBlinkTime();
        const uint64_t now = Back().Now();
        const uint64_t next = now + blink - (now - S().TheCaret->PhaseStart) % blink;
        d = d ? std::min(*d, next) : next;
    }
    return d;
}
} // namespace

bool GetMessage(MSG& msg)
{
    for (;;) {
        if (PeekMessage(msg, {}, 0, 0, PM_REMOVE))
            return msg.message != WM_QUIT;
        if (!Back().WaitForEvents(NextDeadline()))
            core::Raise<core::EInvalidOperation>("The message queue is empty and nothing can arrive");
    }
}

void WaitMessage()
{
    Back().PollEvents();
    DrainInbox();
    if (!S().Queue.empty() || S().PaintPending)
        return;
    Back().WaitForEvents(NextDeadline());
}

void WaitMessageTimeout(uint32_t ms)
{
    Back().PollEvents();
    DrainInbox();
    if (!S().Queue.empty() || S().PaintPending)
        return;
    const uint64_t limit = Back().Now() + ms;
    const auto d = NextDeadline();
    Back().WaitForEvents(d ? std::min(*d, limit) : limit);
}

LRESULT DispatchMessage(const MSG& msg)
{
    State& s = S();
    if (msg.message == WM_TIMER && msg.lParam) {
        for (const Timer& t : s.Timers)
            if (t.Window == msg.hwnd && t.Id == msg.wParam && t.Proc) {
                const std::shared_ptr<TimerProc> proc = t.Proc;
                (*proc)(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
                return 0;
            }
        return 0;
    }
    Window* w = Find(msg.hwnd);
    if (!w)
        return 0; // the window is gone: nothing runs
    if (msg.message == WM_PAINT) {
        // The update region is validated now, whatever the handler does, so a
        // failing paint handler is not called again for the same area.
        if (!w->Update.IsEmpty()) {
            w->Painting.Unite(w->Update);
            w->Update.Clear();
            if (s.PaintPending)
                --s.PaintPending;
        }
        const std::shared_ptr<Window> keep = FindShared(msg.hwnd);
        const std::shared_ptr<WndProc> proc = w->Proc;
        struct Done {
            Window* W;
            ~Done() { W->Painting.Clear(); }
        } done{keep.get()};
        return (*proc)(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    const std::shared_ptr<WndProc> proc = w->Proc;
    return (*proc)(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool TranslateMessage(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    const bool alt = KeyDown(VK_MENU), ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
    const auto ch = Back().TranslateKey(static_cast<int>(msg.wParam), shift, ctrl, alt);
    if (!ch)
        return false;
    Queued q;
    q.Msg = msg;
    q.Msg.message = msg.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    q.Msg.wParam = *ch;
    S().Queue.push_front(std::move(q));
    return true;
}

uint32_t GetMessageTime() { return S().MessageTime; }
TPoint GetMessagePos() { return S().MessagePos; }

UINT RegisterWindowMessage(std::u16string_view name)
{
    auto& m = S().RegisteredMessages;
    const std::u16string key = core::UpperCase(name);
    auto it = m.find(key);
    if (it != m.end())
        return it->second;
    const UINT id = WM_REGISTERED_FIRST + static_cast<UINT>(m.size());
    m[key] = id;
    return id;
}

// ---- default window procedure ----------------------------------------------------------------

LRESULT DefWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    Window* w = Find(h);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCCREATE: return 1;
    case WM_SETTEXT:
        w->Text = lp ? *reinterpret_cast<const std::u16string*>(lp) : std::u16string();
        if (IsTopLevel(*w))
            Back().WindowChanged(h);
        return 1;
    case WM_GETTEXT:
        if (lp)
            *reinterpret_cast<std::u16string*>(lp) = w->Text;
        return static_cast<LRESULT>(w->Text.size());
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->Text.size());
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(h, ps);
        EndPaint(h, ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (!w->Class->Background || !wp)
            return 0;
        auto* dc = reinterpret_cast<DeviceContext*>(wp);
        dc->FillRect(GetClientRect(h), Brush::Solid(*w->Class->Background));
        return 1;
    }
    case WM_CLOSE: DestroyWindow(h); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !S().KeepFocusOnActivate && !(GetFocus() == h || IsChild(h, GetFocus())))
            SetFocus(h);
        return 0;
    case WM_MOUSEWHEEL:
        if (!IsTopLevel(*w))
            return SendMessage(w->Parent, msg, wp, lp);
        return 0;
    case WM_SETCURSOR:
        if (!IsTopLevel(*w) && SendMessage(w->Parent, msg, wp, lp))
            return 1;
        if (LOWORD(static_cast<uintptr_t>(lp)) == HTCLIENT) {
            SetCursor(w->Class->CursorShape);
            return 1;
        }
        return 0;
    case WM_SYSKEYDOWN:
        if (wp == VK_F4 && (lp & KF_ALTDOWN_LPARAM))
            if (Window* top = TopLevelOf(w))
                PostMessage(top->Handle, WM_CLOSE);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == h)
            ReleaseCapture();
        return 0;
    case WM_NCHITTEST: {
        const TPoint c = ScreenToClient(h, PointFromLParam(lp));
        return GetClientRect(h).Contains(c) ? HTCLIENT : HTBORDER;
    }
    case WM_DPICHANGED:
        // A change to an unknown density (0 or implausibly low) is ignored.
        if (IsTopLevel(*w) && lp && LOWORD(wp) >= 30) {
            const TRect& r = *reinterpret_cast<const TRect*>(lp);
            SetWindowPos(h, {}, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    default: return 0;
    }
}

} // namespace platform
