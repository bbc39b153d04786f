// Painting: update regions, the paint cycle, window device contexts,
// scrolling of window pixels and the window frame (borders, scroll bars).
#include <algorithm>
#include <utility>
#include <cstring>
#include <vector>

#include "platform/syscolors.h"
#include "platform/wm_internal.h"

namespace platform {

using namespace detail;

namespace {
void AddUpdate(Window& w, const Region& rgn, bool erase)
{
    if (!VisibleChain(w))
        return;
    Region r = rgn;
    const TRect c = ClientArea(w);
    r.Intersect(Bounds(0, 0, c.Width(), c.Height()));
    if (r.IsEmpty())
        return;
    if (w.Update.IsEmpty())
        ++S().PaintPending;
    w.Update.Unite(r);
    w.Erase = w.Erase || erase;
}
} // namespace

bool InvalidateRect(HWND h, const TRect* r, bool erase)
{
    Window* w = Find(h);
    if (!w)
        return false;
    AddUpdate(*w, Region(r ? *r : GetClientRect(h)), erase);
    return true;
}

bool InvalidateRgn(HWND h, const Region* rgn, bool erase)
{
    Window* w = Find(h);
    if (!w)
        return false;
    AddUpdate(*w, rgn ? *rgn : Region(GetClientRect(h)), erase);
    return true;
}

bool ValidateRect(HWND h, const TRect* r)
{
    Window* w = Find(h);
    if (!w)
        return false;
    const bool had = !w->Update.IsEmpty();
    if (r)
        w->Update.Subtract(*r);
    else
        w->Update.Clear();
    if (had && w->Update.IsEmpty() && S().PaintPending)
        --S().PaintPending;
    return true;
}

bool GetUpdateRect(HWND h, TRect* r, bool)
{
    const Window* w = Find(h);
    if (!w)
        return false;
    if (r)
        *r = w->Update.Box();
    return !w->Update.IsEmpty();
}

Region GetUpdateRgn(HWND h)
{
    const Window* w = Find(h);
    return w ? w->Update : Region();
}

bool UpdateWindow(HWND h)
{
    Window* w = Find(h);
    if (!w)
        return false;
    if (!w->Update.IsEmpty())
        DispatchMessage(MSG{h, WM_PAINT, 0, 0, GetMessageTime(), {}});
    for (HWND c : GetChildren(h))
        UpdateWindow(c);
    return true;
}

bool RedrawWindow(HWND h, const TRect* r, UINT flags)
{
    Window* w = Find(h);
    if (!w)
        return false;
    if (flags & RDW_INVALIDATE) {
        InvalidateRect(h, r, flags & RDW_ERASE);
        if (flags & RDW_ALLCHILDREN)
            for (HWND c : GetChildren(h))
                RedrawWindow(c, nullptr, flags & ~RDW_UPDATENOW);
    }
    if (flags & RDW_VALIDATE)
        ValidateRect(h, r);
    if (flags & RDW_FRAME)
        DrawNonClient(*w);
    if (flags & RDW_UPDATENOW)
        UpdateWindow(h);
    return true;
}

std::unique_ptr<DeviceContext> detail::ClientDC(Window& w, const Region* limit)
{
    Window* top = TopLevelOf(&w);
    if (!top)
        return nullptr;
    Region vis = VisibleRegion(w, true);
    const TPoint o = ClientOriginInSurface(w);
    if (limit) {
        Region l = *limit;
        l.Offset(o.X, o.Y);
        vis.Intersect(l);
    }
    const TRect c = ClientArea(w);
    auto dc = std::make_unique<DeviceContext>(top->Surface->Native(), o, c.Width(), std::move(vis));
    if (w.ExStyle & WS_EX_LAYOUTRTL)
        dc->SetLayout(LAYOUT_RTL);
    return dc;
}

HDC BeginPaint(HWND h, PAINTSTRUCT& ps)
{
    Window* w = Find(h);
    ps = PAINTSTRUCT{};
    if (!w)
        return nullptr;
    Region rgn = w->Painting;
    rgn.Unite(w->Update);
    if (!w->Update.IsEmpty() && S().PaintPending)
        --S().PaintPending;
    w->Update.Clear();
    w->Painting.Clear();
    const bool erase = std::exchange(w->Erase, false);
    ps.Context = ClientDC(*w, &rgn);
    if (!ps.Context)
        return nullptr;
    ps.hdc = ps.Context.get();
    ps.rcPaint = rgn.Box();
    if (erase)
        ps.fErase = SendMessage(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps.hdc), 0) == 0;
    return ps.hdc;
}

void EndPaint(HWND h, PAINTSTRUCT& ps)
{
    ps.Context.reset();
    ps.hdc = nullptr;
    if (Window* w = Find(h))
        SurfaceChanged(*w);
}

std::unique_ptr<DeviceContext> GetDC(HWND h)
{
    Window* w = Find(h);
    if (!w)
        return nullptr;
    SurfaceChanged(*w);
    return ClientDC(*w, nullptr);
}

int ScrollWindowEx(HWND h, int dx, int dy, const TRect* scroll, const TRect* clip, Region* updateRgn,
                   TRect* updateRect, UINT flags)
{
    Window* w = Find(h);
    if (!w)
        return 0;
    const TRect client = GetClientRect(h);
    TRect area = scroll ? *scroll : client;
    IntersectRect(area, area, client);
    TRect limit = area;
    if (clip)
        IntersectRect(limit, limit, *clip);
    Region uncovered(limit);
    if (VisibleChain(*w) && !area.IsEmpty()) {
        // Pixels that can move: inside the area, visible, from and to.
        const TPoint o = ClientOriginInSurface(*w);
        Region vis = VisibleRegion(*w, true);
        vis.Offset(-o.X, -o.Y);
        Region src(area);
        src.Intersect(vis);
        Region dst = src;
        dst.Offset(dx, dy);
        dst.Intersect(limit);
        dst.Intersect(vis);
        std::vector<TRect> targets = dst.Rects();
        for (TRect& r : targets)
            OffsetRect(r, o.X, o.Y);
        TopLevelOf(w)->Surface->MovePixels(targets, dx, dy);
        uncovered.Subtract(dst);
        // Pending updates move with the pixels.
        Region moved = w->Update;
        moved.Intersect(area);
        moved.Offset(dx, dy);
        moved.Intersect(limit);
        w->Update.Unite(moved);
        if (flags & SW_SCROLLCHILDREN)
            for (HWND c : w->Children)
                if (Window* cw = Find(c))
                    OffsetRect(cw->Rect, dx, dy);
        SurfaceChanged(*w);
    }
    if (updateRgn)
        *updateRgn = uncovered;
    if (updateRect)
        *updateRect = uncovered.Box();
    if (flags & SW_INVALIDATE)
        InvalidateRgn(h, &uncovered, flags & SW_ERASE);
    return uncovered.IsEmpty() ? 1 : 2;
}

bool ScrollWindow(HWND h, int dx, int dy, const TRect* scroll, const TRect* clip)
{
    return ScrollWindowEx(h, dx, dy, scroll, clip, nullptr, nullptr, SW_INVALIDATE | SW_ERASE) != 0;
}

// ---- the frame --------------------------------------------------------------------------

namespace {
struct BarGeometry {
    TRect Whole, Up, Down, Track, Thumb;
    bool Vertical = true;
};

BarGeometry Geometry(const Window& w, int bar)
{
    BarGeometry g;
    g.Vertical = bar == SB_VERT;
    const TRect c = ClientArea(w);
    const int sb = ScrollBarWidth();
    if (g.Vertical) {
        const int x = (w.ExStyle & WS_EX_LEFTSCROLLBAR) ? c.Left - sb : c.Right;
        g.Whole = {x, c.Top, x + sb, c.Bottom};
        const int arrow = std::min(sb, g.Whole.Height() / 2);
        g.Up = {x, c.Top, x + sb, c.Top + arrow};
        g.Down = {x, c.Bottom - arrow, x + sb, c.Bottom};
        g.Track = {x, g.Up.Bottom, x + sb, g.Down.Top};
    } else {
        g.Whole = {c.Left, c.Bottom, c.Right, c.Bottom + sb};
        const int arrow = std::min(sb, g.Whole.Width() / 2);
        g.Up = {c.Left, c.Bottom, c.Left + arrow, c.Bottom + sb};
        g.Down = {c.Right - arrow, c.Bottom, c.Right, c.Bottom + sb};
        g.Track = {g.Up.Right, c.Bottom, g.Down.Left, c.Bottom + sb};
    }
    const SCROLLINFO& si = w.Bars[static_cast<size_t>(bar)].Info;
    const int len = g.Vertical ? g.Track.Height() : g.Track.Width();
    const int range = si.nMax - si.nMin + 1;
    if (range > 0 && len > 8 && static_cast<int>(si.nPage) < range) {
        const int thumb = si.nPage ? std::max(8, MulDiv(len, static_cast<int>(si.nPage), range)) : sb;
        const int span = range - std::max(1, static_cast<int>(si.nPage));
        const int pos = span > 0 ? MulDiv(len - thumb, si.nPos - si.nMin, span) : 0;
        g.Thumb = g.Vertical ? TRect{g.Track.Left, g.Track.Top + pos, g.Track.Right, g.Track.Top + pos + thumb}
                             : TRect{g.Track.Left + pos, g.Track.Top, g.Track.Left + pos + thumb, g.Track.Bottom};
    }
    return g;
}
} // namespace

void detail::DrawNonClient(Window& w, int onlyBar)
{
    if (!VisibleChain(w) || IsTopLevel(w))
        return;
    Window* top = TopLevelOf(&w);
    if (!top)
        return;
    const TPoint o = WindowOriginInSurface(w);
    Region vis = VisibleRegion(w, false);
    const TRect c = ClientArea(w);
    vis.Subtract(Bounds(o.X + c.Left, o.Y + c.Top, c.Width(), c.Height()));
    if (vis.IsEmpty())
        return;
    DeviceContext dc(top->Surface->Native(), o, w.Rect.Width(), std::move(vis));
    TRect r{0, 0, w.Rect.Width(), w.Rect.Height()};
    const bool whole = onlyBar != SB_HORZ && onlyBar != SB_VERT;
    if (whole) {
        if (w.ExStyle & WS_EX_CLIENTEDGE)
            dc.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        else if (w.Style & WS_BORDER)
            dc.FrameRect(r, Brush::Solid(GetSysColor(COLOR_WINDOWFRAME)));
        else if (w.ExStyle & WS_EX_STATICEDGE)
            dc.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    for (int bar = 0; bar < 2; ++bar) {
        if (!(w.Style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) || (!whole && bar != onlyBar))
            continue;
        const BarGeometry g = Geometry(w, bar);
        dc.FillRect(g.Track, Brush::Solid(GetSysColor(COLOR_SCROLLBAR)));
        const bool active = !g.Thumb.IsEmpty();
        const uint32_t inactive = active ? 0 : DFCS_INACTIVE;
        dc.DrawFrameControl(g.Up, DFC_SCROLL, (g.Vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive);
        dc.DrawFrameControl(g.Down, DFC_SCROLL, (g.Vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive);
        if (active)
            dc.DrawFrameControl(g.Thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
    }
    if (whole && (w.Style & WS_VSCROLL) && (w.Style & WS_HSCROLL)) {
        const int sb = ScrollBarWidth();
        const int x = (w.ExStyle & WS_EX_LEFTSCROLLBAR) ? c.Left - sb : c.Right;
        dc.FillRect({x, c.Bottom, x + sb, c.Bottom + sb}, Brush::Solid(GetSysColor(COLOR_BTNFACE)));
    }
    SurfaceChanged(w);
}

LRESULT detail::HandleNonClientMouse(Window& w, const MSG& msg)
{
    // msg.lParam: client coordinates of the press.
    TPoint p = PointFromLParam(msg.lParam);
    const TRect c = ClientArea(w);
    p.X += c.Left;
    p.Y += c.Top; // window coordinates
    for (int bar = 0; bar < 2; ++bar) {
        if (!(w.Style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)))
            continue;
        const BarGeometry g = Geometry(w, bar);
        if (!g.Whole.Contains(p))
            continue;
        int code = -1;
        if (g.Up.Contains(p))
            code = SB_LINEUP;
        else if (g.Down.Contains(p))
            code = SB_LINEDOWN;
        else if (!g.Thumb.IsEmpty()) {
            const bool before = g.Vertical ? p.Y < g.Thumb.Top : p.X < g.Thumb.Left;
            const bool after = g.Vertical ? p.Y >= g.Thumb.Bottom : p.X >= g.Thumb.Right;
            code = before ? SB_PAGEUP : after ? SB_PAGEDOWN : -1;
        }
        if (code < 0)
            return 0;
        const UINT m = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
        const HWND h = w.Handle;
        SendMessage(h, m, static_cast<WPARAM>(code), 0);
        SendMessage(h, m, SB_ENDSCROLL, 0);
        return 1;
    }
    return 0;
}

// ---- screenshots ------------------------------------------------------------------------

Bitmap detail::ComposeScreenshot(HWND top)
{
    Window* w = Find(top);
    if (!w || !w->Surface)
        return Bitmap();
    Bitmap shot = w->Surface->Clone();
    // The caret is drawn over the window's pixels, inverting them.
    const auto& caret = S().TheCaret;
    if (caret && IsCaretVisible())
        if (Window* cw = Find(caret->Owner); cw && TopLevelOf(cw) == w) {
            Region vis = VisibleRegion(*cw, true);
            const TPoint o = ClientOriginInSurface(*cw);
            vis.Intersect(Bounds(o.X + caret->Pos.X, o.Y + caret->Pos.Y, caret->Width, caret->Height));
            DeviceContext dc(shot);
            for (const TRect& r : vis.Rects())
                dc.InvertRect(r);
        }
    return shot;
}

} // namespace platform
