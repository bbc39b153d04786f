#include "platform/dc.h"

#include <algorithm>
#include <utility>
#include <atomic>
#include <cmath>
#include <new>

#include <cairo.h>

#include "platform/syscolors.h"

namespace platform {

namespace {
std::atomic<size_t> GLiveDC{0};

cairo_t* CreateCairo(cairo_surface_t* s)
{
    cairo_t* cr = cairo_create(s);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        throw std::bad_alloc();
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    return cr;
}

// 0x00BBGGRR to the 0x00RRGGBB order of the pixel words.
uint32_t ToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

std::vector<double> DashesFor(int style)
{
    switch (style & 0xF) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {1, 1};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

bool HatchBit(int hatch, int x, int y)
{
    x &= 7;
    y &= 7;
    switch (hatch) {
    case HS_HORIZONTAL: return y == 4;
    case HS_VERTICAL: return x == 4;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x == 7 - y;
    case HS_CROSS: return x == 4 || y == 4;
    case HS_DIAGCROSS: return x == y || x == 7 - y;
    default: return false;
    }
}
} // namespace

size_t LiveDCCount() { return GLiveDC.load(); }

DeviceContext::DeviceContext(Bitmap& target)
    : DeviceContext(target.Native(), {0, 0}, target.Width(), Region(Bounds(0, 0, target.Width(), target.Height())))
{
}

DeviceContext::DeviceContext(cairo_surface_t* surface, TPoint origin, int width, Region visible)
    : FCr(CreateCairo(surface)), FOrigin(origin), FWidth(width), FVisible(std::move(visible))
{
    ++GLiveDC;
    if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
        const cairo_format_t format = cairo_image_surface_get_format(surface);
        if (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24) {
            FPixels = cairo_image_surface_get_data(surface);
            FStride = cairo_image_surface_get_stride(surface);
            FPixelBounds = {0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
        }
    }
}

DeviceContext::~DeviceContext()
{
    cairo_surface_flush(cairo_get_target(FCr));
    cairo_destroy(FCr);
    --GLiveDC;
}

Pen DeviceContext::SelectPen(const Pen& pen) { return std::exchange(FState.PenValue, pen); }
Brush DeviceContext::SelectBrush(const Brush& brush) { return std::exchange(FState.BrushValue, brush); }
Font DeviceContext::SelectFont(const Font& font) { return std::exchange(FState.FontValue, font); }
COLORREF DeviceContext::SetTextColor(COLORREF c) { return std::exchange(FState.TextColor, c); }
COLORREF DeviceContext::SetBkColor(COLORREF c) { return std::exchange(FState.BkColor, c); }
int DeviceContext::SetBkMode(int mode) { return std::exchange(FState.BkMode, mode); }
uint32_t DeviceContext::SetTextAlign(uint32_t align) { return std::exchange(FState.TextAlign, align); }
int DeviceContext::SetROP2(int rop) { return std::exchange(FState.Rop2, rop); }
uint32_t DeviceContext::SetLayout(uint32_t layout) { return std::exchange(FState.Layout, layout); }
void DeviceContext::OffsetViewportOrg(int dx, int dy)
{
    FState.Viewport.X += dx;
    FState.Viewport.Y += dy;
}
TPoint DeviceContext::SetBrushOrg(TPoint p) { return std::exchange(FState.BrushOrg, p); }

int DeviceContext::SaveDC()
{
    FSaved.push_back(FState);
    return static_cast<int>(FSaved.size());
}

bool DeviceContext::RestoreDC(int saved)
{
    const int level = saved < 0 ? static_cast<int>(FSaved.size()) + saved + 1 : saved;
    if (level < 1 || level > static_cast<int>(FSaved.size()))
        return false;
    FState = FSaved[static_cast<size_t>(level - 1)];
    FSaved.resize(static_cast<size_t>(level - 1));
    FClipDirty = true;
    return true;
}

// ---- coordinates --------------------------------------------------------------

TRect DeviceContext::ToDevice(const TRect& r) const
{
    TRect d{r.Left + FState.Viewport.X, r.Top + FState.Viewport.Y, r.Right + FState.Viewport.X,
            r.Bottom + FState.Viewport.Y};
    if (FState.Layout & LAYOUT_RTL)
        d = {FWidth - d.Right, d.Top, FWidth - d.Left, d.Bottom};
    OffsetRect(d, FOrigin.X, FOrigin.Y);
    return d;
}

TPoint DeviceContext::PixelToDevice(TPoint p) const
{
    TPoint d{p.X + FState.Viewport.X, p.Y + FState.Viewport.Y};
    if (FState.Layout & LAYOUT_RTL)
        d.X = FWidth - 1 - d.X;
    return {d.X + FOrigin.X, d.Y + FOrigin.Y};
}

// ---- clipping ---------------------------------------------------------------------

void DeviceContext::SelectClipRgn(const Region* rgn)
{
    if (!rgn) {
        FState.Clip.reset();
    } else {
        Region d;
        for (const TRect& r : rgn->Rects())
            d.Unite(ToDevice(r));
        FState.Clip = std::move(d);
    }
    FClipDirty = true;
}

void DeviceContext::IntersectClipRect(const TRect& r)
{
    const TRect d = ToDevice(r);
    if (FState.Clip)
        FState.Clip->Intersect(d);
    else
        FState.Clip = Region(d);
    FClipDirty = true;
}

void DeviceContext::ExcludeClipRect(const TRect& r)
{
    if (!FState.Clip)
        FState.Clip = FVisible;
    FState.Clip->Subtract(ToDevice(r));
    FClipDirty = true;
}

TRect DeviceContext::GetClipBox() const
{
    Region eff = FVisible;
    if (FState.Clip)
        eff.Intersect(*FState.Clip);
    TRect b = eff.Box();
    if (b.IsEmpty())
        return {};
    OffsetRect(b, -FOrigin.X, -FOrigin.Y);
    if (FState.Layout & LAYOUT_RTL)
        b = {FWidth - b.Right, b.Top, FWidth - b.Left, b.Bottom};
    OffsetRect(b, -FState.Viewport.X, -FState.Viewport.Y);
    return b;
}

bool DeviceContext::RectVisible(const TRect& r) const
{
    const TRect d = ToDevice(r);
    if (!FVisible.Intersects(d))
        return false;
    return !FState.Clip || FState.Clip->Intersects(d);
}

bool DeviceContext::PtVisible(TPoint p) const
{
    const TPoint d = PixelToDevice(p);
    return FVisible.Contains(d) && (!FState.Clip || FState.Clip->Contains(d));
}

void DeviceContext::ApplyClip()
{
    if (!FClipDirty)
        return;
    FClipDirty = false;
    cairo_reset_clip(FCr);
    Region eff = FVisible;
    if (FState.Clip)
        eff.Intersect(*FState.Clip);
    FClipRects = eff.Rects();
    if (eff.IsEmpty()) {
        cairo_rectangle(FCr, 0, 0, 0, 0);
    } else {
        for (const TRect& r : FClipRects)
            cairo_rectangle(FCr, r.Left, r.Top, r.Width(), r.Height());
    }
    cairo_clip(FCr);
}

// ---- painting helpers ------------------------------------------------------------------

void DeviceContext::SetColor(COLORREF c)
{
    cairo_set_source_rgb(FCr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void DeviceContext::SetBrushSource(const Brush& b)
{
    if (b.Style == BS_SOLID) {
        SetColor(b.Color);
        return;
    }
    cairo_surface_t* tile = nullptr;
    if (b.Style == BS_PATTERN && b.Image && !b.Image->Empty()) {
        tile = cairo_surface_reference(b.Image->Native());
    } else {
        tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
        cairo_surface_flush(tile);
        uint8_t* data = cairo_image_surface_get_data(tile);
        const int stride = cairo_image_surface_get_stride(tile);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t px;
                if (b.Style == BS_HATCHED) {
                    const bool on = HatchBit(b.Hatch, x, y);
                    px = on ? 0xFF000000u | ToPixel(b.Color)
                            : (FState.BkMode == OPAQUE ? 0xFF000000u | ToPixel(FState.BkColor) : 0u);
                } else {
                    const bool on = (b.Pattern[static_cast<size_t>(y)] >> (7 - x)) & 1;
                    px = 0xFF000000u | ToPixel(on ? FState.TextColor : FState.BkColor);
                }
                reinterpret_cast<uint32_t*>(data + y * stride)[x] = px;
            }
        cairo_surface_mark_dirty(tile);
    }
    cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -(FOrigin.X + FState.BrushOrg.X), -(FOrigin.Y + FState.BrushOrg.Y));
    cairo_pattern_set_matrix(p, &m);
    cairo_set_source(FCr, p);
    cairo_pattern_destroy(p);
    cairo_surface_destroy(tile);
}

template <class Draw>
void DeviceContext::Render(COLORREF color, Draw&& draw)
{
    ApplyClip();
    int rop = FState.Rop2;
    if (rop == R2_NOP)
        return;
    if (rop == R2_COPYPEN || rop == R2_BLACK || rop == R2_WHITE) {
        SetColor(rop == R2_BLACK ? 0 : rop == R2_WHITE ? 0xFFFFFF : color);
        draw(FCr);
        return;
    }
    // Raster operations on the pixels: render the shape as a mask, then
    // combine each covered pixel with the pen colour.
    cairo_surface_t* target = cairo_get_target(FCr);
    double x1, y1, x2, y2;
    cairo_clip_extents(FCr, &x1, &y1, &x2, &y2);
    const int bx = static_cast<int>(std::floor(x1)), by = static_cast<int>(std::floor(y1));
    const int bw = static_cast<int>(std::ceil(x2)) - bx, bh = static_cast<int>(std::ceil(y2)) - by;
    if (bw <= 0 || bh <= 0)
        return;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, bw, bh);
    cairo_t* m = CreateCairo(mask);
    cairo_translate(m, -bx, -by);
    cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(FCr);
    if (clips->status == CAIRO_STATUS_SUCCESS) {
        for (int i = 0; i < clips->num_rectangles; ++i)
            cairo_rectangle(m, clips->rectangles[i].x, clips->rectangles[i].y, clips->rectangles[i].width,
                            clips->rectangles[i].height);
        cairo_clip(m);
    }
    cairo_rectangle_list_destroy(clips);
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    draw(m);
    cairo_destroy(m);
    cairo_surface_flush(mask);
    cairo_surface_flush(target);
    const uint8_t* md = cairo_image_surface_get_data(mask);
    const int ms = cairo_image_surface_get_stride(mask);
    uint8_t* td = cairo_image_surface_get_data(target);
    const int ts = cairo_image_surface_get_stride(target);
    const int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
    const uint32_t c = ToPixel(color);
    for (int y = 0; y < bh; ++y) {
        const int ty = by + y;
        if (ty < 0 || ty >= th)
            continue;
        for (int x = 0; x < bw; ++x) {
            const int tx = bx + x;
            if (tx < 0 || tx >= tw || md[y * ms + x] < 128)
                continue;
            uint32_t& p = reinterpret_cast<uint32_t*>(td + ty * ts)[tx];
            const uint32_t a = p & 0xFF000000u;
            switch (rop) {
            case R2_NOT: p = a | (~p & 0xFFFFFFu); break;
            case R2_XORPEN: p = a | ((p ^ c) & 0xFFFFFFu); break;
            case R2_NOTXORPEN: p = a | (~(p ^ c) & 0xFFFFFFu); break;
            default: p = a | c; break;
            }
        }
    }
    cairo_surface_mark_dirty(target);
    cairo_surface_destroy(mask);
}

// A one-pixel-per-step segment between two device pixels.
void DeviceContext::StrokeSegment(TPoint a, TPoint b, bool includeEnd)
{
    const Pen& pen = FState.PenValue;
    if ((pen.Style & 0xF) == PS_NULL)
        return;
    const int w = std::max(1, pen.Width);
    const std::vector<double> dashes = w == 1 ? DashesFor(pen.Style) : std::vector<double>{};
    Render(pen.Color, [&](cairo_t* cr) {
        if (a.Y == b.Y || a.X == b.X) {
            const bool horz = a.Y == b.Y;
            const int p0 = horz ? a.X : a.Y, p1 = horz ? b.X : b.Y;
            int lo, hi; // covered pixels [lo, hi)
            if (p0 <= p1) {
                lo = p0;
                hi = p1 + (includeEnd ? 1 : 0);
            } else {
                lo = p1 + (includeEnd ? 0 : 1);
                hi = p0 + 1;
            }
            if (hi <= lo)
                return;
            const int across = (horz ? a.Y : a.X) - w / 2;
            auto run = [&](int s, int e) {
                if (horz)
                    cairo_rectangle(cr, s, across, e - s, w);
                else
                    cairo_rectangle(cr, across, s, w, e - s);
            };
            if (dashes.empty()) {
                run(lo, hi);
            } else {
                // The pattern starts at the line's first point.
                const bool forward = p0 <= p1;
                int pos = 0;
                size_t di = 0;
                const int len = hi - lo;
                while (pos < len) {
                    const int seg = static_cast<int>(dashes[di % dashes.size()]);
                    const int e = std::min(len, pos + seg);
                    if (di % 2 == 0) {
                        if (forward)
                            run(lo + pos, lo + e);
                        else
                            run(hi - e, hi - pos);
                    }
                    pos = e;
                    ++di;
                }
            }
            cairo_fill(cr);
        } else {
            cairo_set_line_width(cr, w);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
            if (!dashes.empty())
                cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
            cairo_move_to(cr, a.X + 0.5, a.Y + 0.5);
            cairo_line_to(cr, b.X + 0.5, b.Y + 0.5);
            cairo_stroke(cr);
            cairo_set_dash(cr, nullptr, 0, 0);
        }
    });
}

void DeviceContext::FillDeviceRect(const TRect& d, const Brush& b)
{
    if (b.Style == BS_NULL || d.IsEmpty())
        return;
    ApplyClip();
    if (b.Style == BS_SOLID && FPixels) {
        // A solid colour is written straight into the rows of each clip
        // rectangle: the same pixels cairo would produce, without its
        // path and clip machinery (most fills are a cell or a line).
        const uint32_t pixel = 0xFF000000u | ToPixel(b.Color);
        bool flushed = false;
        for (const TRect& c : FClipRects) {
            TRect part;
            if (!IntersectRect(part, c, d) || !IntersectRect(part, part, FPixelBounds))
                continue;
            if (!std::exchange(flushed, true))
                cairo_surface_flush(cairo_get_target(FCr));
            for (int y = part.Top; y < part.Bottom; ++y)
                std::fill_n(reinterpret_cast<uint32_t*>(FPixels + y * FStride) + part.Left, part.Width(), pixel);
            cairo_surface_mark_dirty_rectangle(cairo_get_target(FCr), part.Left, part.Top, part.Width(),
                                               part.Height());
        }
        return;
    }
    SetBrushSource(b);
    cairo_rectangle(FCr, d.Left, d.Top, d.Width(), d.Height());
    cairo_fill(FCr);
}

// ---- lines and shapes -----------------------------------------------------------------------

TPoint DeviceContext::MoveTo(int x, int y) { return std::exchange(FState.Current, TPoint{x, y}); }

void DeviceContext::LineTo(int x, int y)
{
    StrokeSegment(PixelToDevice(FState.Current), PixelToDevice({x, y}), false);
    FState.Current = {x, y};
}

void DeviceContext::Polyline(const std::vector<TPoint>& points)
{
    for (size_t i = 1; i < points.size(); ++i)
        StrokeSegment(PixelToDevice(points[i - 1]), PixelToDevice(points[i]), false);
}

void DeviceContext::PolyPolyline(const std::vector<std::vector<TPoint>>& lines)
{
    for (const auto& l : lines)
        Polyline(l);
}

void DeviceContext::Polygon(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    if (FState.BrushValue.Style != BS_NULL) {
        ApplyClip();
        SetBrushSource(FState.BrushValue);
        for (size_t i = 0; i < points.size(); ++i) {
            const TPoint d = PixelToDevice(points[i]);
            if (i == 0)
                cairo_move_to(FCr, d.X + 0.5, d.Y + 0.5);
            else
                cairo_line_to(FCr, d.X + 0.5, d.Y + 0.5);
        }
        cairo_close_path(FCr);
        cairo_set_fill_rule(FCr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(FCr);
    }
    std::vector<TPoint> closed = points;
    closed.push_back(points.front());
    Polyline(closed);
}

void DeviceContext::Rectangle(int l, int t, int r, int b)
{
    const Pen& pen = FState.PenValue;
    if ((pen.Style & 0xF) == PS_NULL) {
        FillDeviceRect(ToDevice({l, t, r - 1, b - 1}), FState.BrushValue);
        return;
    }
    const int w = std::max(1, pen.Width);
    FillDeviceRect(ToDevice({l + w, t + w, r - w, b - w}), FState.BrushValue);
    if (w == 1) {
        Polyline({{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}});
    } else {
        const Brush edge = Brush::Solid(pen.Color);
        FillDeviceRect(ToDevice({l, t, r, t + w}), edge);
        FillDeviceRect(ToDevice({l, b - w, r, b}), edge);
        FillDeviceRect(ToDevice({l, t + w, l + w, b - w}), edge);
        FillDeviceRect(ToDevice({r - w, t + w, r, b - w}), edge);
    }
}

void DeviceContext::Ellipse(int l, int t, int r, int b)
{
    const TRect d = ToDevice({l, t, r, b});
    if (d.IsEmpty())
        return;
    auto path = [&](cairo_t* cr) {
        cairo_save(cr);
        cairo_translate(cr, d.Left + d.Width() / 2.0, d.Top + d.Height() / 2.0);
        cairo_scale(cr, (d.Width() - 1) / 2.0, (d.Height() - 1) / 2.0);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
    };
    if (FState.BrushValue.Style != BS_NULL) {
        ApplyClip();
        SetBrushSource(FState.BrushValue);
        path(FCr);
        cairo_fill(FCr);
    }
    if ((FState.PenValue.Style & 0xF) != PS_NULL)
        Render(FState.PenValue.Color, [&](cairo_t* cr) {
            path(cr);
            cairo_set_line_width(cr, std::max(1, FState.PenValue.Width));
            cairo_stroke(cr);
        });
}

void DeviceContext::SetPixel(int x, int y, COLORREF c)
{
    const TPoint d = PixelToDevice({x, y});
    FillDeviceRect({d.X, d.Y, d.X + 1, d.Y + 1}, Brush::Solid(c));
}

COLORREF DeviceContext::GetPixel(int x, int y) const
{
    const TPoint d = PixelToDevice({x, y});
    cairo_surface_t* s = cairo_get_target(FCr);
    if (d.X < 0 || d.Y < 0 || d.X >= cairo_image_surface_get_width(s) || d.Y >= cairo_image_surface_get_height(s))
        return 0xFFFFFFFFu;
    cairo_surface_flush(s);
    const uint32_t p = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                         d.Y * cairo_image_surface_get_stride(s))[d.X];
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

// ---- fills ---------------------------------------------------------------------------------

void DeviceContext::FillRect(const TRect& r, const Brush& b) { FillDeviceRect(ToDevice(r), b); }

void DeviceContext::FrameRect(const TRect& r, const Brush& b)
{
    if (r.IsEmpty())
        return;
    FillRect({r.Left, r.Top, r.Right, r.Top + 1}, b);
    FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, b);
    FillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, b);
    FillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, b);
}

void DeviceContext::InvertRect(const TRect& r) { PatBlt(r, DSTINVERT); }

void DeviceContext::PatBlt(const TRect& r, uint32_t rop)
{
    const TRect d = ToDevice(r);
    switch (rop) {
    case PATCOPY: FillDeviceRect(d, FState.BrushValue); return;
    case BLACKNESS: FillDeviceRect(d, Brush::Solid(0)); return;
    case WHITENESS: FillDeviceRect(d, Brush::Solid(0xFFFFFF)); return;
    default: break;
    }
    const int old = std::exchange(FState.Rop2, rop == DSTINVERT ? R2_NOT : R2_XORPEN);
    Render(FState.BrushValue.Color, [&](cairo_t* cr) {
        cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
        cairo_fill(cr);
    });
    FState.Rop2 = old;
}

void DeviceContext::DrawFocusRect(const TRect& r)
{
    // Every other pixel of the frame inverted, straight on the pixels: the
    // frame is thin, so building a mask of the clip area costs far more.
    if (r.IsEmpty())
        return;
    ApplyClip();
    if (!FPixels)
        return;
    const TRect d = ToDevice(r);
    std::vector<TRect> parts;
    for (const TRect& c : FClipRects) {
        TRect part;
        if (IntersectRect(part, c, d) && IntersectRect(part, part, FPixelBounds))
            parts.push_back(part);
    }
    if (parts.empty())
        return;
    cairo_surface_t* target = cairo_get_target(FCr);
    cairo_surface_flush(target);
    auto invert = [&](int x, int y) {
        uint32_t& p = reinterpret_cast<uint32_t*>(FPixels + y * FStride)[x];
        p = (p & 0xFF000000u) | (~p & 0xFFFFFFu);
    };
    // Pixels of a row (or column) from `from` up to `to`, every other one
    // counted from `phase`, inside [lo, hi).
    auto each = [](int from, int to, int phase, int lo, int hi, auto&& fn) {
        int start = std::max(from, lo);
        if ((start - phase) % 2 != 0)
            ++start;
        for (int v = start; v < std::min(to, hi); v += 2)
            fn(v);
    };
    for (const TRect& c : parts) {
        if (d.Top >= c.Top && d.Top < c.Bottom)
            each(d.Left, d.Right, d.Left, c.Left, c.Right, [&](int x) { invert(x, d.Top); });
        if (d.Bottom - 1 != d.Top && d.Bottom - 1 >= c.Top && d.Bottom - 1 < c.Bottom)
            each(d.Left, d.Right, d.Left, c.Left, c.Right, [&](int x) { invert(x, d.Bottom - 1); });
        if (d.Left >= c.Left && d.Left < c.Right)
            each(d.Top + 2, d.Bottom - 1, d.Top, c.Top, c.Bottom, [&](int y) { invert(d.Left, y); });
        if (d.Right - 1 != d.Left && d.Right - 1 >= c.Left && d.Right - 1 < c.Right)
            each(d.Top + 2, d.Bottom - 1, d.Top, c.Top, c.Bottom, [&](int y) { invert(d.Right - 1, y); });
    }
    for (const TRect& c : parts)
        cairo_surface_mark_dirty_rectangle(target, c.Left, c.Top, c.Width(), c.Height());
}

void DeviceContext::GradientFillV(const TRect& r, COLORREF top, COLORREF bottom)
{
    const int h = r.Height();
    if (h <= 0 || r.Width() <= 0)
        return;
    for (int y = 0; y < h; ++y) {
        auto mix = [&](int shift) {
            const int a = static_cast<int>((top >> shift) & 0xFF), b = static_cast<int>((bottom >> shift) & 0xFF);
            return static_cast<COLORREF>(a + (b - a) * y / std::max(1, h - 1)) << shift;
        };
        FillRect({r.Left, r.Top + y, r.Right, r.Top + y + 1}, Brush::Solid(mix(0) | mix(8) | mix(16)));
    }
}

bool DeviceContext::DrawEdge(TRect& r, uint32_t edge, uint32_t flags)
{
    TRect rc = r;
    auto lines = [&](COLORREF tl, COLORREF br) {
        if (rc.IsEmpty())
            return;
        if (flags & BF_TOP)
            FillRect({rc.Left, rc.Top, rc.Right - 1, rc.Top + 1}, Brush::Solid(tl));
        if (flags & BF_LEFT)
            FillRect({rc.Left, rc.Top, rc.Left + 1, rc.Bottom - 1}, Brush::Solid(tl));
        if (flags & BF_BOTTOM)
            FillRect({rc.Left, rc.Bottom - 1, rc.Right, rc.Bottom}, Brush::Solid(br));
        if (flags & BF_RIGHT)
            FillRect({rc.Right - 1, rc.Top, rc.Right, rc.Bottom}, Brush::Solid(br));
        if (flags & BF_TOP)
            ++rc.Top;
        if (flags & BF_LEFT)
            ++rc.Left;
        if (flags & BF_BOTTOM)
            --rc.Bottom;
        if (flags & BF_RIGHT)
            --rc.Right;
    };
    const COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW),
                   hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                   face = GetSysColor(COLOR_BTNFACE);
    if (flags & (BF_FLAT | BF_MONO)) {
        const COLORREF frame = (flags & BF_MONO) ? GetSysColor(COLOR_WINDOWFRAME) : shadow;
        if (edge & 0x3)
            lines(frame, frame);
        if (edge & 0xC)
            lines((flags & BF_MONO) ? GetSysColor(COLOR_WINDOW) : face, (flags & BF_MONO) ? GetSysColor(COLOR_WINDOW) : face);
    } else {
        if (edge & BDR_RAISEDOUTER)
            lines(light, dark);
        else if (edge & BDR_SUNKENOUTER)
            lines(shadow, hi);
        if (edge & BDR_RAISEDINNER)
            lines(hi, shadow);
        else if (edge & BDR_SUNKENINNER)
            lines(dark, light);
    }
    if (flags & BF_MIDDLE)
        FillRect(rc, Brush::Solid(face));
    if (flags & BF_ADJUST)
        r = rc;
    return true;
}

bool DeviceContext::DrawFrameControl(const TRect& r, uint32_t type, uint32_t state)
{
    TRect rc = r;
    const bool pushed = state & DFCS_PUSHED, flat = state & DFCS_FLAT;
    if (flat)
        DrawEdge(rc, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    else
        DrawEdge(rc, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    if (type != DFC_SCROLL)
        return type == DFC_BUTTON;
    const uint32_t kind = state & 0xF;
    const int side = std::min(rc.Width(), rc.Height());
    const int k = std::max(2, side / 3);
    int cx = rc.Left + rc.Width() / 2, cy = rc.Top + rc.Height() / 2;
    if (pushed) {
        ++cx;
        ++cy;
    }
    auto arrow = [&](COLORREF c, int ox, int oy) {
        std::vector<TPoint> p;
        const int h = k / 2;
        switch (kind) {
        case DFCS_SCROLLUP: p = {{cx - h, cy + h / 2}, {cx + h, cy + h / 2}, {cx, cy - h / 2 - (h & 1)}}; break;
        case DFCS_SCROLLLEFT: p = {{cx + h / 2, cy - h}, {cx + h / 2, cy + h}, {cx - h / 2 - (h & 1), cy}}; break;
        case DFCS_SCROLLRIGHT: p = {{cx - h / 2, cy - h}, {cx - h / 2, cy + h}, {cx + h / 2 + (h & 1), cy}}; break;
        default: p = {{cx - h, cy - h / 2}, {cx + h, cy - h / 2}, {cx, cy + h / 2 + (h & 1)}}; break;
        }
        for (auto& q : p) {
            q.X += ox;
            q.Y += oy;
        }
        const Pen oldPen = SelectPen({PS_SOLID, 1, c});
        const Brush oldBrush = SelectBrush(Brush::Solid(c));
        Polygon(p);
        SelectPen(oldPen);
        SelectBrush(oldBrush);
    };
    if (state & DFCS_INACTIVE) {
        arrow(GetSysColor(COLOR_BTNHIGHLIGHT), 1, 1);
        arrow(GetSysColor(COLOR_GRAYTEXT), 0, 0);
    } else {
        arrow(GetSysColor(COLOR_BTNTEXT), 0, 0);
    }
    return true;
}

// ---- images -------------------------------------------------------------------------------------

void DeviceContext::BitBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, uint32_t rop)
{
    if (w <= 0 || h <= 0)
        return;
    const TRect d = ToDevice(Bounds(x, y, w, h));
    const TRect s = src.ToDevice(Bounds(sx, sy, w, h));
    ApplyClip();
    cairo_surface_t* srcSurface = cairo_get_target(src.FCr);
    cairo_surface_flush(srcSurface);
    if (srcSurface == cairo_get_target(FCr)) {
        // Copying within one surface goes through a temporary copy.
        cairo_surface_t* tmp = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* t = cairo_create(tmp);
        cairo_set_source_surface(t, srcSurface, -s.Left, -s.Top);
        cairo_set_operator(t, CAIRO_OPERATOR_SOURCE);
        cairo_paint(t);
        cairo_destroy(t);
        cairo_set_source_surface(FCr, tmp, d.Left, d.Top);
        cairo_set_operator(FCr, CAIRO_OPERATOR_SOURCE);
        cairo_rectangle(FCr, d.Left, d.Top, w, h);
        cairo_fill(FCr);
        cairo_set_operator(FCr, CAIRO_OPERATOR_OVER);
        cairo_surface_destroy(tmp);
        return;
    }
    (void)rop;
    cairo_set_source_surface(FCr, srcSurface, d.Left - s.Left, d.Top - s.Top);
    cairo_set_operator(FCr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(FCr, d.Left, d.Top, w, h);
    cairo_fill(FCr);
    cairo_set_operator(FCr, CAIRO_OPERATOR_OVER);
}

void DeviceContext::DrawBitmap(const Bitmap& bmp, const TRect& dst, const TRect& srcRect)
{
    if (bmp.Empty() || dst.IsEmpty())
        return;
    const TRect s = srcRect.IsEmpty() ? Bounds(0, 0, bmp.Width(), bmp.Height()) : srcRect;
    const TRect d = ToDevice(dst);
    ApplyClip();
    cairo_save(FCr);
    cairo_rectangle(FCr, d.Left, d.Top, d.Width(), d.Height());
    cairo_clip(FCr);
    cairo_translate(FCr, d.Left, d.Top);
    cairo_scale(FCr, static_cast<double>(d.Width()) / s.Width(), static_cast<double>(d.Height()) / s.Height());
    cairo_set_source_surface(FCr, bmp.Native(), -s.Left, -s.Top);
    cairo_pattern_set_filter(cairo_get_source(FCr), CAIRO_FILTER_GOOD);
    cairo_paint(FCr);
    cairo_restore(FCr);
}

} // namespace platform
