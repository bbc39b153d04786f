// Layout of the grid: what is visible, point to cell, cell to rectangle and the
// largest useful first cell. Every query walks at most the cells on screen.
#include <algorithm>
#include <limits>

#include "grids/grid_bidi.h"
#include "grids/grid_model.h"

namespace grids {

namespace {
int ClampInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
} // namespace

void TGridModel::CalcFixedAxis(TGridAxisDrawInfo& ai, const TGridAxis& axis, bool lines, int32_t first,
                               int extent) const
{
    ai.EffectiveLineWidth = lines ? FGridLineWidth : 0;
    ai.FixedBoundary = ClampInt(axis.Sum(0, axis.Fixed(), ai.EffectiveLineWidth));
    ai.FixedCellCount = axis.Fixed();
    ai.FirstGridCell = first;
    ai.GridCellCount = axis.Count();
    ai.GridExtent = extent;
}

void TGridModel::CalcAxis(TGridAxisDrawInfo& ai, const TGridAxis& axis) const
{
    const int line = ai.EffectiveLineWidth;
    ai.GridBoundary = ai.FixedBoundary;
    ai.FullVisBoundary = ai.FixedBoundary;
    ai.LastFullVisibleCell = ai.FirstGridCell;
    int64_t pos = ai.FixedBoundary;
    const int64_t limit = int64_t{ai.GridExtent} + line;
    for (int32_t i = axis.NextWithRoom(ai.FirstGridCell, line); i < axis.Count(); i = axis.NextWithRoom(i + 1, line)) {
        pos += axis.Room(i, line);
        if (pos > limit) {
            ai.GridBoundary = ai.GridExtent;
            break;
        }
        ai.LastFullVisibleCell = i;
        ai.FullVisBoundary = static_cast<int>(pos);
        ai.GridBoundary = static_cast<int>(pos);
    }
}

TGridDrawInfo TGridModel::CalcFixedInfo() const
{
    TGridDrawInfo info;
    const bool vert = FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine);
    const bool horz = FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine);
    CalcFixedAxis(info.Horz, FCols, vert, FTopLeft.X, FClientWidth);
    CalcFixedAxis(info.Vert, FRows, horz, FTopLeft.Y, FClientHeight);
    return info;
}

TGridDrawInfo TGridModel::CalcDrawInfoXY(int width, int height) const
{
    TGridDrawInfo info = CalcFixedInfo();
    info.Horz.GridExtent = width;
    info.Vert.GridExtent = height;
    CalcAxis(info.Horz, FCols);
    CalcAxis(info.Vert, FRows);
    return info;
}

int32_t TGridModel::VisibleColCount() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Horz.LastFullVisibleCell - LeftCol() + 1;
}

int32_t TGridModel::VisibleRowCount() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - TopRow() + 1;
}

// The cell of one axis holding pixel `pos`. A pixel on a grid line belongs to
// the cell before the line; a pixel on the line of a hidden cell belongs to
// the shown cell before it in the same region (fixed or scrolling), or to none.
int32_t TGridModel::AxisCoord(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int pos) const
{
    if (pos < 0)
        return -1;
    const int line = ai.EffectiveLineWidth;
    int32_t j;
    int32_t low;
    if (pos < ai.FixedBoundary) {
        j = axis.IndexAtOffset(0, pos, line);
        low = 0;
        if (j >= axis.Fixed())
            return -1;
    } else {
        low = ai.FirstGridCell;
        j = axis.IndexAtOffset(low, int64_t{pos} - ai.FixedBoundary, line);
        if (j >= axis.Count())
            return -1;
    }
    if (!axis.Shown(j)) {
        const int32_t p = axis.PrevShown(j);
        j = p >= low ? p : -1;
    }
    return j;
}

TGridCoord TGridModel::CalcCoordFromPoint(int x, int y, const TGridDrawInfo& info) const
{
    if (FRightToLeft)
        x = MirrorX(x, FClientWidth);
    return {AxisCoord(info.Horz, FCols, x), AxisCoord(info.Vert, FRows, y)};
}

TGridCoord TGridModel::MouseCoord(int x, int y) const
{
    TGridCoord c = CalcCoordFromPoint(x, y, CalcDrawInfo());
    if (c.X < 0 || c.Y < 0)
        return NoCell;
    return c;
}

void TGridModel::MouseToCell(int x, int y, int32_t& col, int32_t& row) const
{
    const TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

// Pixel span [start, end) of the cells [lo, hi] on one axis; false when none
// of them is on screen.
bool TGridModel::AxisSpan(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t lo, int32_t hi,
                          bool includeLine, int& start, int& end) const
{
    lo = std::max(lo, 0);
    hi = std::min(hi, axis.Count() - 1);
    if (lo > hi)
        return false;
    const int32_t fixed = ai.FixedCellCount;
    const int32_t first = ai.FirstGridCell;
    const int line = ai.EffectiveLineWidth;
    if (lo >= fixed && lo < first) {
        if (hi < first)
            return false;
        lo = first;
    }
    if (hi >= fixed && hi < first)
        hi = fixed - 1;
    if (lo == hi && !axis.Shown(lo))
        return false;
    auto edge = [&](int32_t i) -> int64_t {
        return i < fixed ? axis.Sum(0, i, line) : ai.FixedBoundary + axis.Sum(first, i, line);
    };
    const int64_t s = edge(lo);
    if (s >= ai.GridExtent)
        return false;
    const int64_t e = std::min<int64_t>(edge(hi) + std::max(axis.Extent(hi), 0) + (includeLine ? line : 0),
                                        ai.GridExtent);
    start = static_cast<int>(s);
    end = ClampInt(e);
    return true;
}

TRect TGridModel::GridRectToScreenRect(TGridRect rect, bool includeLine) const
{
    if (rect.IsEmpty())
        return {};
    const TGridDrawInfo info = CalcDrawInfo();
    TRect r;
    if (!AxisSpan(info.Horz, FCols, rect.Left, rect.Right, includeLine, r.Left, r.Right) ||
        !AxisSpan(info.Vert, FRows, rect.Top, rect.Bottom, includeLine, r.Top, r.Bottom))
        return {};
    if (FRightToLeft)
        r = MirrorRect(r, FClientWidth);
    return r;
}

TRect TGridModel::CellRect(int32_t col, int32_t row) const
{
    return GridRectToScreenRect({col, row, col, row}, false);
}

TRect TGridModel::BoxRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    return GridRectToScreenRect(GridRect({left, top}, {right, bottom}), false);
}

// Smallest first index for which `coord` is still fully visible; only shown
// cells are chosen as first cell.
int32_t TGridModel::AxisMaxTopLeft(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t coord) const
{
    if (coord < axis.Fixed())
        return coord;
    const int line = ai.EffectiveLineWidth;
    int64_t space = int64_t{ai.GridExtent} + line;
    int32_t result = coord;
    for (int32_t i = axis.PrevWithRoom(coord, line); i >= axis.Fixed(); i = axis.PrevWithRoom(i - 1, line)) {
        space -= axis.Room(i, line);
        if (space < ai.FixedBoundary)
            break;
        if (axis.Shown(i))
            result = i;
    }
    return result;
}

TGridCoord TGridModel::CalcMaxTopLeft(TGridCoord coord, const TGridDrawInfo& info) const
{
    return {AxisMaxTopLeft(info.Horz, FCols, coord.X), AxisMaxTopLeft(info.Vert, FRows, coord.Y)};
}

std::vector<TGridCellSpan> TGridModel::AxisCells(const TGridDrawInfo& info, bool horizontal) const
{
    const TGridAxisDrawInfo& ai = horizontal ? info.Horz : info.Vert;
    const TGridAxis& axis = horizontal ? FCols : FRows;
    const int line = ai.EffectiveLineWidth;
    std::vector<TGridCellSpan> out;
    auto walk = [&](int32_t from, int32_t to, int64_t pos) {
        for (int32_t i = axis.NextWithRoom(from, line); i < to && pos < ai.GridExtent; i = axis.NextWithRoom(i + 1, line)) {
            const int32_t ext = axis.Extent(i);
            if (ext > 0)
                out.push_back({i, static_cast<int>(pos), static_cast<int>(std::min<int64_t>(pos + ext, ai.GridExtent))});
            pos += axis.Room(i, line);
        }
    };
    walk(0, ai.FixedCellCount, 0);
    walk(ai.FirstGridCell, ai.GridCellCount, ai.FixedBoundary);
    if (horizontal && FRightToLeft)
        for (TGridCellSpan& c : out)
            c = {c.Index, MirrorX(c.End, FClientWidth), MirrorX(c.Start, FClientWidth)};
    return out;
}

TGridCoord TGridModel::MaxTopLeft() const
{
    return CalcMaxTopLeft({ColCount() - 1, RowCount() - 1}, CalcDrawInfo());
}

} // namespace grids
