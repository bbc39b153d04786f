// The current cell, the anchor, the selection and the first shown cell.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "grids/grid_bidi.h"
#include "grids/grid_errors.h"
#include "grids/grid_model.h"

namespace grids {

void TGridModel::SetCol(int32_t value)
{
    if (value != Col())
        FocusCell(value, Row(), true);
}

void TGridModel::SetRow(int32_t value)
{
    if (value != Row())
        FocusCell(Col(), value, true);
}

void TGridModel::SetLeftCol(int32_t value)
{
    if (value < FixedCols() || value >= ColCount())
        InvalidOp(SIndexOutOfRange);
    MoveTopLeft(value, TopRow());
}

void TGridModel::SetTopRow(int32_t value)
{
    if (value < FixedRows() || value >= RowCount())
        InvalidOp(SIndexOutOfRange);
    MoveTopLeft(LeftCol(), value);
}

void TGridModel::MoveColRow(int32_t col, int32_t row, bool moveAnchor, bool show)
{
    MoveCurrent(col, row, moveAnchor, show);
}

void TGridModel::MoveCurrent(int32_t col, int32_t row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        InvalidOp(SIndexOutOfRange);
    if (!SelectCell(col, row))
        return;
    const TGridRect oldSel = Selection();
    const TGridCoord oldCurrent = FCurrent;
    FCurrent = {col, row};
    if (!FOptions.Contains(goAlwaysShowEditor)) {
        try {
            HideEditor();
        } catch (...) {
            // The editor's text was refused: the cell it belongs to stays current.
            FCurrent = oldCurrent;
            throw;
        }
    }
    if (moveAnchor || !FOptions.Contains(goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions.Contains(goRowSelect))
            FAnchor.X = ColCount() - 1;
    }
    if (FOptions.Contains(goRowSelect))
        FCurrent.X = FixedCols();
    if (show)
        ClampInView(FCurrent);
    SelectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TGridModel::FocusCell(int32_t col, int32_t row, bool moveAnchor)
{
    MoveCurrent(col, row, moveAnchor, true);
    UpdateEdit();
    Click();
}

void TGridModel::MoveAnchor(TGridCoord newAnchor)
{
    if (!FOptions.Contains(goRangeSelect) || FOptions.Contains(goEditing)) {
        MoveCurrent(newAnchor.X, newAnchor.Y, true, true);
        return;
    }
    if (newAnchor.X < 0 || newAnchor.Y < 0 || newAnchor.X >= ColCount() || newAnchor.Y >= RowCount())
        InvalidOp(SIndexOutOfRange);
    const TGridRect oldSel = Selection();
    FAnchor = newAnchor;
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = ColCount() - 1;
    ClampInView(newAnchor);
    SelectionMoved(oldSel);
}

void TGridModel::ClampInView(TGridCoord coord)
{
    const TGridDrawInfo info = CalcDrawInfo();
    // Fixed cells are always in view.
    auto needs = [](int32_t c, const TGridAxisDrawInfo& ai) {
        return c >= ai.FixedCellCount && (c < ai.FirstGridCell || c > ai.LastFullVisibleCell);
    };
    const bool h = needs(coord.X, info.Horz), v = needs(coord.Y, info.Vert);
    if (!h && !v)
        return;
    const TGridCoord old = FTopLeft;
    const TGridCoord maxTopLeft = CalcMaxTopLeft(coord, info);
    FlushPainting();
    if (h)
        FTopLeft.X = coord.X < info.Horz.FirstGridCell ? coord.X : maxTopLeft.X;
    if (v)
        FTopLeft.Y = coord.Y < info.Vert.FirstGridCell ? coord.Y : maxTopLeft.Y;
    if (FTopLeft != old)
        TopLeftMoved(old);
}

void TGridModel::MoveTopLeft(int32_t left, int32_t top)
{
    if (left == FTopLeft.X && top == FTopLeft.Y)
        return;
    FlushPainting();
    const TGridCoord old = FTopLeft;
    FTopLeft = {left, top};
    TopLeftMoved(old);
}

void TGridModel::TopLeftMoved(TGridCoord old)
{
    UpdateScrollPos();
    const TGridDrawInfo info = CalcDrawInfo();
    // Pixel distances between the old and the new first cells: 64-bit sums
    // over the stored sizes, never a walk over the cells in between.
    auto distance = [](const TGridAxis& axis, int line, int32_t from, int32_t to) -> int64_t {
        return from <= to ? -axis.Sum(from, to, line) : axis.Sum(to, from, line);
    };
    const int64_t dx = distance(FCols, info.Horz.EffectiveLineWidth, old.X, FTopLeft.X);
    const int64_t dy = distance(FRows, info.Vert.EffectiveLineWidth, old.Y, FTopLeft.Y);
    if (std::llabs(dx) > info.Horz.GridBoundary - info.Horz.FixedBoundary ||
        std::llabs(dy) > info.Vert.GridBoundary - info.Vert.FixedBoundary)
        InvalidateGrid();
    else if (dx != 0 || dy != 0)
        ScrollDataInfo(static_cast<int>(dx), static_cast<int>(dy), info);
    TopLeftChanged();
}

void TGridModel::ScrollDataInfo(int dx, int dy, const TGridDrawInfo& info)
{
    const int w = FClientWidth, h = FClientHeight;
    const int fx = info.Horz.FixedBoundary, fy = info.Vert.FixedBoundary;
    auto scroll = [&](TRect band, int ddx, int ddy) {
        if (FRightToLeft) {
            band = MirrorRect(band, w);
            ddx = -ddx;
        }
        if (!band.IsEmpty())
            ScrollPixels(band, ddx, ddy);
    };
    if (dy == 0) {
        scroll({fx, 0, w, h}, dx, 0);
    } else if (dx == 0) {
        scroll({0, fy, w, h}, 0, dy);
    } else {
        scroll({fx, 0, w, fy}, dx, 0);
        scroll({0, fy, fx, h}, 0, dy);
        scroll({fx, fy, w, h}, dx, dy);
    }
    if (FOptions.Contains(goRowSelect))
        InvalidateRect(Selection());
}

namespace {
// Parts of `a` not covered by `b` (at most four rectangles).
void Subtract(const TRect& a, const TRect& b, std::vector<TRect>& out)
{
    if (a.IsEmpty())
        return;
    const TRect i{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    if (b.IsEmpty() || i.IsEmpty()) {
        out.push_back(a);
        return;
    }
    const TRect parts[] = {{a.Left, a.Top, a.Right, i.Top},
                           {a.Left, i.Bottom, a.Right, a.Bottom},
                           {a.Left, i.Top, i.Left, i.Bottom},
                           {i.Right, i.Top, a.Right, i.Bottom}};
    for (const TRect& p : parts)
        if (!p.IsEmpty())
            out.push_back(p);
}
} // namespace

void TGridModel::SelectionMoved(TGridRect oldSel)
{
    const TRect a = GridRectToScreenRect(oldSel, true);
    const TRect b = GridRectToScreenRect(Selection(), true);
    if (a == b)
        return;
    std::vector<TRect> parts;
    Subtract(a, b, parts);
    Subtract(b, a, parts);
    for (const TRect& r : parts)
        InvalidatePixels(r);
}

} // namespace grids
