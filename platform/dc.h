#pragma once
// Device contexts: drawing onto a window's pixels or an off-screen bitmap,
// with the selected pen, brush and font, text and background colours,
// clipping, a movable origin and mirrored (right-to-left) layout.
// Coordinates are logical pixels of the window's client area (or of the
// bitmap); under LAYOUT_RTL x runs from the right edge leftwards.
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"
#include "platform/font.h"
#include "platform/gdi.h"
#include "platform/region.h"

typedef struct _cairo cairo_t;

namespace platform {

class DeviceContext {
public:
    // A context over a whole bitmap.
    explicit DeviceContext(Bitmap& target);
    // A context over `surface` with the logical origin at `origin` (surface
    // pixels), `width` the logical width (for mirroring) and the pixels it
    // may touch in `visible` (surface coordinates).
    DeviceContext(cairo_surface_t* surface, TPoint origin, int width, Region visible);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // ---- state --------------------------------------------------------------
    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    Font SelectFont(const Font& font);
    const Pen& CurrentPen() const { return FState.PenValue; }
    const Brush& CurrentBrush() const { return FState.BrushValue; }
    const Font& CurrentFont() const { return FState.FontValue; }
    COLORREF SetTextColor(COLORREF c);
    COLORREF SetBkColor(COLORREF c);
    int SetBkMode(int mode);
    uint32_t SetTextAlign(uint32_t align);
    int SetROP2(int rop);
    COLORREF GetTextColor() const { return FState.TextColor; }
    COLORREF GetBkColor() const { return FState.BkColor; }
    int GetBkMode() const { return FState.BkMode; }
    int GetROP2() const { return FState.Rop2; }
    uint32_t SetLayout(uint32_t layout);
    uint32_t GetLayout() const { return FState.Layout; }
    // Logical origin moves: drawing at (0,0) lands at the old (dx,dy).
    void OffsetViewportOrg(int dx, int dy);
    TPoint GetViewportOrg() const { return FState.Viewport; }
    TPoint SetBrushOrg(TPoint p);
    // Save/restore of everything above plus clipping; RestoreDC(-1) is the last save.
    int SaveDC();
    bool RestoreDC(int saved);

    // ---- clipping (logical coordinates) ---------------------------------------
    // No region: the whole visible area.
    void SelectClipRgn(const Region* rgn);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    TRect GetClipBox() const;
    bool RectVisible(const TRect& r) const;
    bool PtVisible(TPoint p) const;

    // ---- lines and shapes ----------------------------------------------------------
    TPoint MoveTo(int x, int y);
    // Draws from the current position to (x, y), the end pixel excluded.
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void PolyPolyline(const std::vector<std::vector<TPoint>>& lines);
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int l, int t, int r, int b);
    void Ellipse(int l, int t, int r, int b);
    void SetPixel(int x, int y, COLORREF c);
    COLORREF GetPixel(int x, int y) const;

    // ---- fills -----------------------------------------------------------------------
    void FillRect(const TRect& r, const Brush& b);
    void FillSolidRect(const TRect& r, COLORREF c) { FillRect(r, Brush::Solid(c)); }
    void FrameRect(const TRect& r, const Brush& b);
    void InvertRect(const TRect& r);
    void PatBlt(const TRect& r, uint32_t rop);
    void DrawFocusRect(const TRect& r);
    // Vertical gradient from `top` to `bottom`.
    void GradientFillV(const TRect& r, COLORREF top, COLORREF bottom);
    bool DrawEdge(TRect& r, uint32_t edge, uint32_t flags);
    bool DrawFrameControl(const TRect& r, uint32_t type, uint32_t state);

    // ---- text ---------------------------------------------------------------------------
    TextMetric GetTextMetrics() const { return FState.FontValue.Metrics(); }
    TSize GetTextExtent(std::u16string_view text) const { return FState.FontValue.TextExtent(text); }
    void TextOut(int x, int y, std::u16string_view text);
    // ETO_OPAQUE fills `rect` with the background colour first; ETO_CLIPPED
    // clips the text to it.
    void ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::u16string_view text);
    // Answers the height of the text; with DT_CALCRECT only measures and sets `r`.
    int DrawText(std::u16string_view text, TRect& r, uint32_t format);

    // ---- images ----------------------------------------------------------------------------
    // Copies pixels of `src` (its logical coordinates) to (x, y); only plain
    // copies (SRCCOPY). A mirrored context places the block mirrored but does
    // not flip its pixels.
    void BitBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, uint32_t rop = SRCCOPY);
    // Draws a bitmap (alpha blended) into `dst`, scaled from `src` (whole bitmap when empty).
    void DrawBitmap(const Bitmap& bmp, const TRect& dst, const TRect& src = {});

    // Internal.
    cairo_t* Native() const noexcept { return FCr; }
    TRect ToDevice(const TRect& r) const;
    TPoint PixelToDevice(TPoint p) const;

private:
    struct State {
        Pen PenValue;
        Brush BrushValue;
        Font FontValue;
        COLORREF TextColor = 0, BkColor = 0xFFFFFF;
        int BkMode = OPAQUE;
        uint32_t TextAlign = TA_LEFT | TA_TOP;
        int Rop2 = R2_COPYPEN;
        uint32_t Layout = 0;
        TPoint Viewport;
        TPoint BrushOrg;
        TPoint Current;
        std::optional<Region> Clip; // device coordinates
    };

    void ApplyClip();
    void SetColor(COLORREF c);
    void SetBrushSource(const Brush& b);
    template <class Draw>
    void Render(COLORREF color, Draw&& draw);
    void StrokeSegment(TPoint a, TPoint b, bool includeEnd);
    void FillDeviceRect(const TRect& device, const Brush& b);
    void DrawTextRun(const ShapedText& shaped, int left, int top);

    cairo_t* FCr = nullptr;
    TPoint FOrigin;
    int FWidth = 0;
    Region FVisible;
    State FState;
    std::vector<State> FSaved;
    bool FClipDirty = true;
    std::vector<TRect> FClipRects; // the effective clip, device pixels (set by ApplyClip)
    // Direct access to the pixels of 32-bit image targets (else null).
    uint8_t* FPixels = nullptr;
    ptrdiff_t FStride = 0;
    TRect FPixelBounds;
};

using HDC = DeviceContext*;

// Number of live device contexts (for leak checks).
size_t LiveDCCount();

} // namespace platform
