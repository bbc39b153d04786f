// Windows: classes, creation and destruction, relations, styles and bounds.
#include <algorithm>
#include <exception>
#include <utility>

#include "core/exception.h"
#include "core/ustring.h"
#include "platform/font.h"
#include "platform/headless.h"
#include "platform/wm_internal.h"

namespace platform {

namespace detail {

State& S()
{
    static State s;
    return s;
}

Backend& Back()
{
    State& s = S();
    if (!s.Back) {
        s.Back = std::make_unique<HeadlessBackend>();
        RegisterBuiltinClasses();
    }
    return *s.Back;
}

Window* Find(HWND h)
{
    if (!h)
        return nullptr;
    auto& m = S().Windows;
    auto it = m.find(h.Id());
    return it == m.end() ? nullptr : it->second.get();
}

std::shared_ptr<Window> FindShared(HWND h)
{
    if (!h)
        return nullptr;
    auto& m = S().Windows;
    auto it = m.find(h.Id());
    return it == m.end() ? nullptr : it->second;
}

bool IsTopLevel(const Window& w) { return !(w.Style & WS_CHILD); }

Window* TopLevelOf(Window* w)
{
    while (w && !IsTopLevel(*w))
        w = Find(w->Parent);
    return w;
}

int ScrollBarWidth() { return 17; }

namespace {
int BorderOf(const Window& w)
{
    if (IsTopLevel(w))
        return 0; // the native frame is outside the window rectangle
    if (w.ExStyle & WS_EX_CLIENTEDGE)
        return 2;
    if (w.Style & WS_BORDER || w.ExStyle & WS_EX_STATICEDGE)
        return 1;
    return 0;
}
} // namespace

TRect ClientArea(const Window& w)
{
    const int b = BorderOf(w);
    TRect r{b, b, w.Rect.Width() - b, w.Rect.Height() - b};
    if (w.Style & WS_VSCROLL) {
        if (w.ExStyle & WS_EX_LEFTSCROLLBAR)
            r.Left += ScrollBarWidth();
        else
            r.Right -= ScrollBarWidth();
    }
    if (w.Style & WS_HSCROLL)
        r.Bottom -= ScrollBarWidth();
    r.Right = std::max(r.Left, r.Right);
    r.Bottom = std::max(r.Top, r.Bottom);
    return r;
}

TPoint WindowOriginInSurface(const Window& w)
{
    if (IsTopLevel(w))
        return {0, 0};
    const Window* p = Find(w.Parent);
    if (!p)
        return {0, 0};
    const TPoint po = ClientOriginInSurface(*p);
    return {po.X + w.Rect.Left, po.Y + w.Rect.Top};
}

TPoint ClientOriginInSurface(const Window& w)
{
    const TPoint o = WindowOriginInSurface(w);
    const TRect c = ClientArea(w);
    return {o.X + c.Left, o.Y + c.Top};
}

TPoint ClientOriginOnScreen(const Window& w)
{
    const TPoint o = ClientOriginInSurface(w);
    const Window* top = TopLevelOf(const_cast<Window*>(&w));
    if (!top)
        return o;
    return {o.X + top->Rect.Left, o.Y + top->Rect.Top};
}

bool VisibleChain(const Window& w)
{
    const Window* p = &w;
    while (p) {
        if (!(p->Style & WS_VISIBLE) || p->Destroying)
            return false;
        if (IsTopLevel(*p))
            return true;
        p = Find(p->Parent);
    }
    return false;
}

Region VisibleRegion(const Window& w, bool clientOnly)
{
    if (!VisibleChain(w))
        return Region();
    const TPoint wo = WindowOriginInSurface(w);
    TRect area = Bounds(wo.X, wo.Y, w.Rect.Width(), w.Rect.Height());
    if (clientOnly) {
        const TRect c = ClientArea(w);
        area = Bounds(wo.X + c.Left, wo.Y + c.Top, c.Width(), c.Height());
    }
    Region rgn(area);
    // Own children are clipped out.
    for (HWND ch : w.Children)
        if (const Window* c = Find(ch); c && (c->Style & WS_VISIBLE)) {
            const TPoint co = WindowOriginInSurface(*c);
            rgn.Subtract(Bounds(co.X, co.Y, c->Rect.Width(), c->Rect.Height()));
        }
    // Clipped to each ancestor's client area, and siblings above are clipped out.
    const Window* cur = &w;
    while (!IsTopLevel(*cur)) {
        const Window* p = Find(cur->Parent);
        if (!p)
            break;
        const TPoint pc = ClientOriginInSurface(*p);
        const TRect pca = ClientArea(*p);
        rgn.Intersect(Bounds(pc.X, pc.Y, pca.Width(), pca.Height()));
        for (HWND sib : p->Children) {
            if (sib == cur->Handle)
                break;
            if (const Window* s = Find(sib); s && (s->Style & WS_VISIBLE)) {
                const TPoint so = WindowOriginInSurface(*s);
                rgn.Subtract(Bounds(so.X, so.Y, s->Rect.Width(), s->Rect.Height()));
            }
        }
        cur = p;
    }
    return rgn;
}

void InvalidateTree(Window& w)
{
    if (!VisibleChain(w))
        return;
    const TRect c = ClientArea(w);
    if (w.Update.IsEmpty())
        ++S().PaintPending;
    w.Update.Unite(Bounds(0, 0, c.Width(), c.Height()));
    w.Erase = true;
    DrawNonClient(w);
    for (HWND ch : w.Children)
        if (Window* cw = Find(ch))
            InvalidateTree(*cw);
}

void ExposeParentArea(Window& w)
{
    if (IsTopLevel(w))
        return;
    Window* p = Find(w.Parent);
    if (!p || !VisibleChain(*p))
        return;
    TRect r = w.Rect; // parent client coordinates
    InvalidateRect(p->Handle, &r, true);
    for (HWND sib : p->Children)
        if (Window* s = Find(sib); s && s != &w && (s->Style & WS_VISIBLE)) {
            TRect i;
            if (IntersectRect(i, s->Rect, r))
                InvalidateTree(*s);
        }
}

void SurfaceChanged(Window& w)
{
    if (Window* top = TopLevelOf(&w))
        Back().SurfaceChanged(top->Handle);
}

} // namespace detail

using namespace detail;

// ---- classes -----------------------------------------------------------------------

bool RegisterClass(const WndClass& cls)
{
    Back();
    auto key = core::UpperCase(cls.Name);
    if (key.empty() || S().Classes.count(key))
        return false;
    S().Classes[key] = std::make_shared<const WndClass>(cls);
    return true;
}

bool UnregisterClass(std::u16string_view name) { return S().Classes.erase(core::UpperCase(name)) > 0; }

std::optional<WndClass> GetClassInfo(std::u16string_view name)
{
    Back();
    auto it = S().Classes.find(core::UpperCase(name));
    if (it == S().Classes.end())
        return std::nullopt;
    return *it->second;
}

// ---- creation and destruction ---------------------------------------------------------

HWND CreateWindowEx(uint32_t exStyle, std::u16string_view className, std::u16string_view text, uint32_t style,
                    int x, int y, int width, int height, HWND parent, intptr_t id, void* param)
{
    Back();
    State& s = S();
    auto cls = s.Classes.find(core::UpperCase(className));
    if (cls == s.Classes.end())
        return {};
    const bool child = style & WS_CHILD;
    if (child && !Find(parent))
        return {};
    if (parent && !Find(parent))
        return {};
    auto w = std::make_shared<Window>();
    w->Handle = HWND(++s.NextHandle);
    w->Class = cls->second;
    w->Proc = std::make_shared<WndProc>(cls->second->Proc ? cls->second->Proc : WndProc(DefWindowProc));
    w->Style = style & ~WS_VISIBLE;
    w->ExStyle = exStyle;
    w->Id = id;
    w->Text.assign(text);
    w->Rect = Bounds(x, y, std::max(0, width), std::max(0, height));
    if (child)
        w->Parent = parent;
    else
        w->Owner = parent;
    const HWND h = w->Handle;
    s.Windows[h.Id()] = w;
    if (child)
        Find(parent)->Children.insert(Find(parent)->Children.begin(), h);
    else {
        s.TopLevels.insert(s.TopLevels.begin(), h);
        w->Surface = std::make_unique<Bitmap>(w->Rect.Width(), w->Rect.Height());
        Back().WindowCreated(h);
    }
    CREATESTRUCT cs{param, parent, id, w->Rect, style, exStyle, std::u16string(text), std::u16string(className)};
    try {
        if (SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0 ||
            SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
            DestroyWindow(h);
            return {};
        }
        if (Window* cw = Find(h)) {
            cw->Created = true;
            const TRect c = ClientArea(*cw);
            SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
            if (Find(h))
                SendMessage(h, WM_MOVE, 0, MAKELPARAM(cw->Rect.Left, cw->Rect.Top));
        }
        if (Find(h) && (style & WS_VISIBLE))
            ShowWindow(h, SW_SHOW);
    } catch (...) {
        // The creation's own exception is the one reported.
        try {
            DestroyWindow(h);
        } catch (...) {
        }
        throw;
    }
    return Find(h) ? h : HWND();
}

namespace {
void SendDestroy(HWND h)
{
    SendMessage(h, WM_DESTROY);
    if (Window* w = Find(h)) {
        const std::vector<HWND> kids = w->Children;
        for (HWND c : kids)
            if (Window* cw = Find(c)) {
                cw->Destroying = true;
                SendDestroy(c);
            }
    }
}

// Removes the window and its children; the first exception of their last
// messages is kept in `error` (the windows go away whatever they do).
void Finalize(HWND h, std::exception_ptr& error)
{
    State& s = S();
    Window* w = Find(h);
    if (!w)
        return;
    const std::vector<HWND> kids = w->Children;
    for (HWND c : kids)
        Finalize(c, error);
    try {
        SendMessage(h, WM_NCDESTROY);
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    RemoveTimersOf(h);
    PurgeQueue(h);
    if (s.TheCaret && s.TheCaret->Owner == h)
        s.TheCaret.reset();
    if (s.Focus == h)
        s.Focus = {};
    if (s.Capture == h)
        s.Capture = {};
    if (s.Active == h)
        s.Active = {};
    if (s.MouseWindow == h)
        s.MouseWindow = {};
    if (s.LastClickWindow == h)
        s.LastClickWindow = {};
    w = Find(h);
    if (!w)
        return;
    if (!w->Update.IsEmpty() && s.PaintPending)
        --s.PaintPending;
    if (IsTopLevel(*w)) {
        std::erase(s.TopLevels, h);
        Back().WindowDestroyed(h);
    } else if (Window* p = Find(w->Parent)) {
        std::erase(p->Children, h);
    }
    s.Windows.erase(h.Id());
}
} // namespace

bool DestroyWindow(HWND h)
{
    Window* w = Find(h);
    if (!w || w->Destroying)
        return false;
    State& s = S();
    w->Destroying = true;
    // Owned top-level windows go first.
    std::vector<HWND> owned;
    for (HWND t : s.TopLevels)
        if (const Window* tw = Find(t); tw && tw->Owner == h)
            owned.push_back(t);
    for (HWND o : owned)
        DestroyWindow(o);
    w = Find(h);
    if (w->Style & WS_VISIBLE) {
        w->Destroying = false;
        ExposeParentArea(*w);
        w->Destroying = true;
    }
    // Whatever the window's messages raise, it is destroyed completely; the
    // first exception is passed on afterwards.
    std::exception_ptr error;
    try {
        if (s.Focus && (s.Focus == h || IsChild(h, s.Focus))) {
            const HWND old = s.Focus;
            s.Focus = {};
            SendMessage(old, WM_KILLFOCUS, 0, 0);
        }
        if (s.Capture && (s.Capture == h || IsChild(h, s.Capture)))
            ReleaseCapture();
        SendDestroy(h);
    } catch (...) {
        error = std::current_exception();
    }
    Finalize(h, error);
    if (error)
        std::rethrow_exception(error);
    return true;
}

void detail::DestroyAll()
{
    State& s = S();
    // Shutdown goes on whatever the windows raise.
    while (!s.TopLevels.empty()) {
        const HWND h = s.TopLevels.back();
        try {
            DestroyWindow(h);
        } catch (...) {
        }
        if (Find(h)) { // still there: drop it by force
            std::exception_ptr ignored;
            Finalize(h, ignored);
        }
    }
}

bool IsWindow(HWND h) { return Find(h) != nullptr; }

HWND GetParent(HWND h)
{
    const Window* w = Find(h);
    if (!w)
        return {};
    return (w->Style & WS_CHILD) ? w->Parent : w->Owner;
}

HWND SetParent(HWND child, HWND newParent)
{
    Window* w = Find(child);
    if (!w || !(w->Style & WS_CHILD) || !Find(newParent) || child == newParent || IsChild(child, newParent))
        return {};
    const HWND old = w->Parent;
    ExposeParentArea(*w);
    if (Window* p = Find(old))
        std::erase(p->Children, child);
    w->Parent = newParent;
    Window* np = Find(newParent);
    np->Children.insert(np->Children.begin(), child);
    InvalidateTree(*w);
    return old;
}

HWND GetTopLevel(HWND h)
{
    Window* w = TopLevelOf(Find(h));
    return w ? w->Handle : HWND();
}

bool IsChild(HWND parent, HWND h)
{
    const Window* w = Find(h);
    while (w && (w->Style & WS_CHILD)) {
        if (w->Parent == parent)
            return true;
        w = Find(w->Parent);
    }
    return false;
}

std::vector<HWND> GetChildren(HWND h)
{
    const Window* w = Find(h);
    return w ? w->Children : std::vector<HWND>{};
}

std::vector<HWND> GetTopLevelWindows() { return S().TopLevels; }

HWND GetWindow(HWND h, UINT relation)
{
    const Window* w = Find(h);
    if (!w)
        return {};
    if (relation == GW_CHILD)
        return w->Children.empty() ? HWND() : w->Children.front();
    if (relation == GW_OWNER)
        return w->Owner;
    const std::vector<HWND>* list = &S().TopLevels;
    if (!IsTopLevel(*w)) {
        const Window* p = Find(w->Parent);
        if (!p)
            return {};
        list = &p->Children;
    }
    auto it = std::find(list->begin(), list->end(), h);
    switch (relation) {
    case GW_HWNDFIRST: return list->front();
    case GW_HWNDLAST: return list->back();
    case GW_HWNDNEXT: return (it == list->end() || it + 1 == list->end()) ? HWND() : *(it + 1);
    case GW_HWNDPREV: return (it == list->begin() || it == list->end()) ? HWND() : *(it - 1);
    default: return {};
    }
}

LPARAM GetWindowLongPtr(HWND h, int index)
{
    const Window* w = Find(h);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LPARAM>(w->Style);
    case GWL_EXSTYLE: return static_cast<LPARAM>(w->ExStyle);
    case GWL_ID: return w->Id;
    case GWL_USERDATA: return w->UserData;
    default: return 0;
    }
}

LPARAM SetWindowLongPtr(HWND h, int index, LPARAM value)
{
    Window* w = Find(h);
    if (!w)
        return 0;
    LPARAM old = 0;
    switch (index) {
    case GWL_STYLE: {
        old = static_cast<LPARAM>(w->Style);
        const uint32_t keep = w->Style & WS_VISIBLE;
        w->Style = (static_cast<uint32_t>(value) & ~WS_VISIBLE) | keep;
        SendMessage(h, WM_STYLECHANGED, static_cast<WPARAM>(GWL_STYLE), 0);
        break;
    }
    case GWL_EXSTYLE:
        old = static_cast<LPARAM>(w->ExStyle);
        w->ExStyle = static_cast<uint32_t>(value);
        SendMessage(h, WM_STYLECHANGED, static_cast<WPARAM>(GWL_EXSTYLE), 0);
        break;
    case GWL_ID: old = std::exchange(w->Id, value); break;
    case GWL_USERDATA: old = std::exchange(w->UserData, value); break;
    default: break;
    }
    return old;
}

WndProc SetWindowProc(HWND h, WndProc proc)
{
    Window* w = Find(h);
    if (!w)
        return {};
    WndProc old = *w->Proc;
    w->Proc = std::make_shared<WndProc>(proc ? std::move(proc) : WndProc(DefWindowProc));
    return old;
}

WndProc GetWindowProc(HWND h)
{
    const Window* w = Find(h);
    return w ? *w->Proc : WndProc{};
}

LRESULT CallWindowProc(const WndProc& proc, HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    return proc ? proc(h, msg, wp, lp) : DefWindowProc(h, msg, wp, lp);
}

std::u16string GetClassName(HWND h)
{
    const Window* w = Find(h);
    return w ? w->Class->Name : std::u16string();
}

std::u16string GetWindowText(HWND h)
{
    std::u16string text;
    if (Find(h))
        SendMessage(h, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool SetWindowText(HWND h, std::u16string_view text)
{
    if (!Find(h))
        return false;
    const std::u16string t(text);
    return SendMessage(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(&t)) != 0;
}

// ---- visibility, enabled state, bounds ----------------------------------------------

bool ShowWindow(HWND h, int cmd)
{
    Window* w = Find(h);
    if (!w)
        return false;
    const bool was = w->Style & WS_VISIBLE;
    const bool show = cmd != SW_HIDE;
    if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE)
        w->Style |= WS_MINIMIZE;
    else if (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL)
        w->Style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    else if (cmd == SW_SHOWMAXIMIZED)
        w->Style = (w->Style & ~WS_MINIMIZE) | WS_MAXIMIZE;
    if (show != was) {
        SendMessage(h, WM_SHOWWINDOW, show ? 1 : 0, 0);
        w = Find(h);
        if (!w)
            return was;
        if (show) {
            w->Style |= WS_VISIBLE;
            InvalidateTree(*w);
        } else {
            ExposeParentArea(*w);
            w->Style &= ~WS_VISIBLE;
            if (IsTopLevel(*w) && S().Active == h) {
                // Another window becomes active: the owner, else the topmost visible one.
                HWND next;
                if (const Window* o = Find(w->Owner); o && (o->Style & WS_VISIBLE))
                    next = w->Owner;
                for (HWND t : S().TopLevels)
                    if (const Window* tw = Find(t); !next && tw && t != h && (tw->Style & WS_VISIBLE))
                        next = t;
                if (next) {
                    SetActiveWindow(next);
                } else {
                    S().Active = {};
                    SendMessage(h, WM_ACTIVATE, WA_INACTIVE, 0);
                }
                w = Find(h);
                if (!w)
                    return was;
            }
            if (!w->Update.IsEmpty()) {
                w->Update.Clear();
                if (S().PaintPending)
                    --S().PaintPending;
            }
        }
        if (IsTopLevel(*w))
            Back().WindowChanged(h);
    }
    const bool activate = show && IsTopLevel(*w) && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE &&
                          cmd != SW_SHOWMINNOACTIVE && !(w->ExStyle & WS_EX_NOACTIVATE);
    if (activate)
        SetActiveWindow(h);
    return was;
}

bool IsWindowVisible(HWND h)
{
    const Window* w = Find(h);
    return w && VisibleChain(*w);
}

bool EnableWindow(HWND h, bool enable)
{
    Window* w = Find(h);
    if (!w)
        return false;
    const bool wasDisabled = w->Style & WS_DISABLED;
    if (wasDisabled == !enable)
        return wasDisabled;
    if (enable)
        w->Style &= ~WS_DISABLED;
    else
        w->Style |= WS_DISABLED;
    if (!enable) {
        if (S().Focus && (S().Focus == h || IsChild(h, S().Focus)))
            SetFocus({});
        if (S().Capture && (S().Capture == h || IsChild(h, S().Capture)))
            ReleaseCapture();
    }
    SendMessage(h, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND h)
{
    const Window* w = Find(h);
    return w && !(w->Style & WS_DISABLED);
}

bool IsIconic(HWND h)
{
    const Window* w = Find(h);
    return w && (w->Style & WS_MINIMIZE);
}

bool SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Window* w = Find(h);
    if (!w)
        return false;
    const TRect old = w->Rect;
    TRect r = old;
    if (!(flags & SWP_NOMOVE)) {
        r.Right = x + old.Width();
        r.Bottom = y + old.Height();
        r.Left = x;
        r.Top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.Right = r.Left + std::max(0, cx);
        r.Bottom = r.Top + std::max(0, cy);
    }
    const bool moved = r.Left != old.Left || r.Top != old.Top;
    const bool sized = r.Width() != old.Width() || r.Height() != old.Height();
    bool zChanged = false;
    if (!(flags & SWP_NOZORDER)) {
        std::vector<HWND>* list = &S().TopLevels;
        if (!IsTopLevel(*w))
            list = &Find(w->Parent)->Children;
        std::erase(*list, h);
        if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
            list->insert(list->begin(), h);
        else if (insertAfter == HWND_BOTTOM)
            list->push_back(h);
        else {
            auto it = std::find(list->begin(), list->end(), insertAfter);
            list->insert(it == list->end() ? list->begin() : it + 1, h);
        }
        zChanged = true;
    }
    const bool visible = VisibleChain(*w);
    if ((moved || sized || zChanged || (flags & SWP_FRAMECHANGED)) && visible && !(flags & SWP_NOREDRAW))
        ExposeParentArea(*w);
    w->Rect = r;
    if (IsTopLevel(*w) && sized)
        w->Surface->SetSize(r.Width(), r.Height());
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(h, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(h, SW_HIDE);
    w = Find(h);
    if (!w)
        return true;
    if ((moved || sized || zChanged || (flags & SWP_FRAMECHANGED)) && !(flags & SWP_NOREDRAW))
        InvalidateTree(*w);
    if (IsTopLevel(*w) && (moved || sized))
        Back().WindowChanged(h);
    if (moved)
        SendMessage(h, WM_MOVE, 0, MAKELPARAM(r.Left, r.Top));
    if (sized && Find(h)) {
        const TRect c = ClientArea(*Find(h));
        SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
    }
    return true;
}

bool MoveWindow(HWND h, int x, int y, int cx, int cy, bool repaint)
{
    return SetWindowPos(h, {}, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool BringWindowToTop(HWND h) { return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

TRect GetWindowRect(HWND h)
{
    const Window* w = Find(h);
    if (!w)
        return {};
    if (IsTopLevel(*w))
        return w->Rect;
    const TPoint o = WindowOriginInSurface(*w);
    const Window* top = TopLevelOf(const_cast<Window*>(w));
    return Bounds(o.X + top->Rect.Left, o.Y + top->Rect.Top, w->Rect.Width(), w->Rect.Height());
}

TRect GetClientRect(HWND h)
{
    const Window* w = Find(h);
    if (!w)
        return {};
    const TRect c = ClientArea(*w);
    return {0, 0, c.Width(), c.Height()};
}

TPoint ClientToScreen(HWND h, TPoint p)
{
    const Window* w = Find(h);
    if (!w)
        return p;
    const TPoint o = ClientOriginOnScreen(*w);
    return {p.X + o.X, p.Y + o.Y};
}

TPoint ScreenToClient(HWND h, TPoint p)
{
    const Window* w = Find(h);
    if (!w)
        return p;
    const TPoint o = ClientOriginOnScreen(*w);
    return {p.X - o.X, p.Y - o.Y};
}

void MapWindowPoints(HWND from, HWND to, TPoint* points, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        TPoint p = from ? ClientToScreen(from, points[i]) : points[i];
        points[i] = to ? ScreenToClient(to, p) : p;
    }
}

TRect MapWindowRect(HWND from, HWND to, const TRect& r)
{
    TPoint pts[2] = {r.TopLeft(), r.BottomRight()};
    MapWindowPoints(from, to, pts, 2);
    return {pts[0].X, pts[0].Y, pts[1].X, pts[1].Y};
}

namespace {
HWND DeepestAt(const Window& w, TPoint screen)
{
    for (HWND ch : w.Children) {
        const Window* c = Find(ch);
        if (!c || !(c->Style & WS_VISIBLE))
            continue;
        if (GetWindowRect(ch).Contains(screen)) {
            // Only inside the parent's client area.
            const TPoint cl = ScreenToClient(w.Handle, screen);
            if (!GetClientRect(w.Handle).Contains(cl))
                continue;
            return DeepestAt(*c, screen);
        }
    }
    return w.Handle;
}
} // namespace

HWND WindowFromPoint(TPoint screen)
{
    for (HWND t : S().TopLevels) {
        const Window* w = Find(t);
        if (w && (w->Style & WS_VISIBLE) && w->Rect.Contains(screen))
            return DeepestAt(*w, screen);
    }
    return {};
}

HWND ChildWindowFromPoint(HWND parent, TPoint client)
{
    const Window* w = Find(parent);
    if (!w)
        return {};
    for (HWND ch : w->Children)
        if (const Window* c = Find(ch); c && c->Rect.Contains(client))
            return ch;
    return GetClientRect(parent).Contains(client) || w->Rect.Contains(client) ? parent : HWND();
}

size_t WindowCount() { return S().Windows.size(); }

} // namespace platform
