// The grid's painting pass: region backgrounds and grid lines, the visible
// cells with their drawing state, focus rectangle and the empty area.
#include <algorithm>
#include <vector>

#include "grids/grid_control.h"
#include "platform/syscolors.h"

namespace grids {

using namespace platform;

namespace {
struct Band {
    int32_t Index;
    int Start, End;  // logical (left-to-right) pixels, line excluded
};

// The cells of one axis split into the fixed and the scrolling ones, in
// left-to-right logical coordinates.
void SplitAxis(const std::vector<TGridCellSpan>& spans, int32_t fixedCount, bool mirror, int width,
               std::vector<Band>& fixed, std::vector<Band>& scrolling)
{
    for (const TGridCellSpan& s : spans) {
        Band b{s.Index, s.Start, s.End};
        if (mirror)
            b = {s.Index, width - s.End, width - s.Start};
        (s.Index < fixedCount ? fixed : scrolling).push_back(b);
    }
    std::sort(fixed.begin(), fixed.end(), [](const Band& a, const Band& b) { return a.Start < b.Start; });
    std::sort(scrolling.begin(), scrolling.end(), [](const Band& a, const Band& b) { return a.Start < b.Start; });
}
} // namespace

void TCustomGrid::PaintWindow(DeviceContext& dc)
{
    FCanvas = &dc;
    struct Reset {
        TCustomGrid* G;
        ~Reset() { G->FCanvas = nullptr; }
    } reset{this};
    Paint();
}

void TCustomGrid::DrawCellBackground(const platform::TRect& rect, core::TColor color, TGridDrawState state, int32_t,
                                     int32_t)
{
    DeviceContext& dc = *FCanvas;
    dc.FillSolidRect(rect, ColorToRGB(color));
    if (state.Contains(gdPressed)) {
        platform::TRect r = rect;
        dc.DrawEdge(r, BDR_SUNKENINNER, BF_RECT);
    }
}

void TCustomGrid::DrawCellHighlight(const platform::TRect& rect, TGridDrawState, int32_t, int32_t)
{
    FCanvas->FillSolidRect(rect, ColorToRGB(core::clHighlight));
    FCanvas->SetTextColor(ColorToRGB(core::clHighlightText));
}

void TCustomGrid::Paint()
{
    DeviceContext& dc = *FCanvas;
    const TGridDrawInfo info = CalcDrawInfo();
    const bool rtl = RightToLeft();
    const int width = info.Horz.GridExtent;
    if (rtl)
        dc.SetLayout(LAYOUT_RTL);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectFont(Font()->Handle());

    std::vector<Band> fixedCols, cols, fixedRows, rows;
    SplitAxis(AxisCells(info, true), FixedCols(), rtl, width, fixedCols, cols);
    SplitAxis(AxisCells(info, false), FixedRows(), false, 0, fixedRows, rows);
    // A single column scrolls by pixels: its cells move left by the offset.
    if (ColCount() == 1 && ColOffset() != 0 && !cols.empty()) {
        Band& b = cols.front();
        b.Start = info.Horz.FixedBoundary - ColOffset();
        b.End = b.Start + ColWidths(b.Index);
    }
    // A partly visible last cell is painted whole (the window clips it), so
    // that pixel scrolling later brings its hidden part in intact.
    if (!cols.empty())
        cols.back().End = std::max(cols.back().End, cols.back().Start + ColWidths(cols.back().Index));
    if (!rows.empty())
        rows.back().End = std::max(rows.back().End, rows.back().Start + RowHeights(rows.back().Index));

    const COLORREF color = ColorToRGB(Color());
    const COLORREF fixedColor = ColorToRGB(FFixedColor);
    COLORREF lineColor = Color() == core::clSilver ? 0x808080 : ColorToRGB(core::clSilver);
    const COLORREF fixedLine = 0x000000;
    const int hl = info.Horz.EffectiveLineWidth, vl = info.Vert.EffectiveLineWidth;
    const TGridOptions opt = Options();

    // Backgrounds and lines of the four regions.
    struct Region {
        int X0, X1, Y0, Y1;
        const std::vector<Band>*C, *R;
        bool Fixed, VLines, HLines;
    };
    const int hfix = info.Horz.FixedBoundary, vfix = info.Vert.FixedBoundary;
    const int hend = info.Horz.GridBoundary, vend = info.Vert.GridBoundary;
    const Region regions[] = {
        {0, hfix, 0, vfix, &fixedCols, &fixedRows, true, opt.Contains(goFixedVertLine), opt.Contains(goFixedHorzLine)},
        {hfix, hend, 0, vfix, &cols, &fixedRows, true, opt.Contains(goFixedVertLine), opt.Contains(goFixedHorzLine)},
        {0, hfix, vfix, vend, &fixedCols, &rows, true, opt.Contains(goFixedVertLine), opt.Contains(goFixedHorzLine)},
        {hfix, hend, vfix, vend, &cols, &rows, false, opt.Contains(goVertLine), opt.Contains(goHorzLine)},
    };
    for (const Region& g : regions) {
        const platform::TRect area{g.X0, g.Y0, g.X1, g.Y1};
        if (area.Right <= area.Left || area.Bottom <= area.Top || !dc.RectVisible(area))
            continue;
        const COLORREF bg = g.Fixed ? fixedColor : color;
        const COLORREF lc = g.Fixed ? fixedLine : lineColor;
        dc.FillSolidRect(area, bg);
        if (g.VLines && hl > 0)
            for (const Band& c : *g.C)
                dc.FillSolidRect({c.End, g.Y0, std::min(c.End + hl, g.X1), g.Y1}, lc);
        if (g.HLines && vl > 0)
            for (const Band& r : *g.R)
                dc.FillSolidRect({g.X0, r.End, g.X1, std::min(r.End + vl, g.Y1)}, lc);
    }

    // Cells.
    const bool active = IsActiveControl();
    const TGridRect sel = Selection();
    const TGridCoord cur = Current();
    const bool editing = opt.Contains(goEditing) && EditorMode();
    const COLORREF textColor = ColorToRGB(Font()->Color());
    // Rows and columns outside the area being painted are passed over
    // before any cell is looked at (a step down repaints a band or two).
    const platform::TRect clip = dc.GetClipBox();
    for (const Region& g : regions) {
        for (const Band& r : *g.R) {
            if (r.Start >= g.Y1 || r.Start >= clip.Bottom)
                break;
            if (r.End <= clip.Top)
                continue;
            for (const Band& c : *g.C) {
                if (c.End <= g.X0 || c.End <= clip.Left || c.Start >= clip.Right)
                    continue;
                const platform::TRect shown{std::max(c.Start, g.X0), r.Start, std::min(c.End, g.X1),
                                            std::min(r.End, g.Y1)};
                if (shown.Right <= shown.Left || shown.Bottom <= shown.Top || !dc.RectVisible(shown))
                    continue;
                const platform::TRect rect{c.Start, r.Start, c.End, r.End};
                const TGridCoord cell{c.Index, r.Index};
                TGridDrawState state;
                if (g.Fixed) {
                    state.Include(gdFixed);
                    if (HotTrackCell().Rect.Contains(cell) && opt.Contains(goFixedHotTrack))
                        state.Include(gdHotTrack);
                    if (HotTrackCell().Pressed && HotTrackCell().Rect.Contains(cell))
                        state.Include(gdPressed);
                }
                const bool focused = active && cell == cur;
                if (focused)
                    state.Include(gdFocused);
                if (!g.Fixed && sel.Contains(cell))
                    state.Include(gdSelected);
                if (focused && editing)
                    continue;  // the editor covers it
                dc.SaveDC();
                dc.IntersectClipRect(shown);
                dc.SetTextColor(textColor);
                if (FDefaultDrawing) {
                    if (state.Contains(gdSelected) &&
                        (!focused || opt.Contains(goDrawFocusSelected) || opt.Contains(goRowSelect)))
                        DrawCellHighlight(rect, state, cell.X, cell.Y);
                    else
                        DrawCellBackground(rect, g.Fixed ? FFixedColor : Color(), state, cell.X, cell.Y);
                }
                platform::TRect drawRect = rect;
                if (state.Contains(gdPressed))
                    drawRect = {rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
                DrawCell(cell.X, cell.Y, drawRect, state);
                if (FDefaultDrawing) {
                    if (g.Fixed && !state.Contains(gdPressed) && FDrawingStyle == gdsClassic) {
                        platform::TRect e = rect;
                        dc.DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
                    }
                    if (focused && !opt.Contains(goRowSelect) &&
                        !(opt.Contains(goEditing) && opt.Contains(goAlwaysShowEditor)))
                        dc.DrawFocusRect(rect);
                }
                dc.RestoreDC(-1);
            }
        }
    }

    // One focus frame around a selected row.
    if (opt.Contains(goRowSelect) && FDefaultDrawing && Focused()) {
        TRect r = GridRectToScreenRect(sel, false);
        if (!r.IsEmpty()) {
            if (rtl)
                r = {width - r.Right, r.Top, width - r.Left, r.Bottom};
            dc.DrawFocusRect(ToPlatform(r));
        }
    }

    // The empty area right of the last column and below the last row.
    if (hend < info.Horz.GridExtent)
        dc.FillSolidRect({hend, 0, info.Horz.GridExtent, vend}, color);
    if (vend < info.Vert.GridExtent)
        dc.FillSolidRect({0, vend, info.Horz.GridExtent, info.Vert.GridExtent}, color);
}

} // namespace grids
