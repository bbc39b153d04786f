// Counts, per-cell sizes, options, updating, the editor flags and moving of
// whole columns and rows.
#include "grids/grid_model.h"

#include <algorithm>
#include <cstdint>

#include "grids/grid_errors.h"

namespace grids {

TGridModel::TGridModel()
{
    Initialize();
    UpdateScrollRange();
}

void TGridModel::Initialize()
{
    FTopLeft = {FixedCols(), FixedRows()};
    FCurrent = FTopLeft;
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = ColCount() - 1;
}

// --- Counts ---

void TGridModel::SetColCount(int32_t value)
{
    if (value <= 0)
        value = 1;
    if (value == ColCount())
        return;
    if (FixedCols() >= value)
        SetFixedCols(value - 1);
    ChangeSize(value, RowCount());
    if (FOptions.Contains(goRowSelect)) {
        FAnchor.X = ColCount() - 1;
        InvalidateGrid();
    }
}

void TGridModel::SetRowCount(int32_t value)
{
    if (value <= 0)
        value = 1;
    if (value == RowCount())
        return;
    if (FixedRows() >= value)
        SetFixedRows(value - 1);
    ChangeSize(ColCount(), value);
}

void TGridModel::SetFixedCols(int32_t value)
{
    if (value < 0)
        InvalidOp(SIndexOutOfRange);
    if (value >= ColCount())
        InvalidOp(SFixedColTooBig);
    if (value == FixedCols())
        return;
    FCols.SetFixedRaw(value);
    Initialize();
    InvalidateGrid();
    UpdateScrollRange();
}

void TGridModel::SetFixedRows(int32_t value)
{
    if (value < 0)
        InvalidOp(SIndexOutOfRange);
    if (value >= RowCount())
        InvalidOp(SFixedRowTooBig);
    if (value == FixedRows())
        return;
    FRows.SetFixedRaw(value);
    Initialize();
    InvalidateGrid();
    UpdateScrollRange();
}

namespace {
// Checks a new count for an existing extents array.
void CheckArrayCount(const TRunArray& a, int64_t newCount)
{
    if (!a.Exists())
        return;
    if (newCount < 0)
        InvalidOp(STooManyDeleted);
    if (newCount >= TRunArray::MaxCount)
        InvalidOp(SGridTooLarge);
}
} // namespace

void TGridModel::ChangeSize(int32_t newColCount, int32_t newRowCount)
{
    CheckArrayCount(FCols.Sizes(), newColCount);
    CheckArrayCount(FTabStops, newColCount);
    CheckArrayCount(FColAlignments, newColCount);
    CheckArrayCount(FRows.Sizes(), newRowCount);

    const int32_t oldCols = ColCount(), oldRows = RowCount();
    const TRunArray oldWidths = FCols.Sizes(), oldHeights = FRows.Sizes(), oldTabs = FTabStops,
                    oldAligns = FColAlignments;
    const TGridCoord oldCurrent = FCurrent, oldAnchor = FAnchor, oldTopLeft = FTopLeft;
    const TGridDrawInfo oldInfo = CalcDrawInfo();
    try {
        FCols.SetCountRaw(newColCount);
        FRows.SetCountRaw(newRowCount);
        if (FCols.Sizes().Exists())
            FCols.Sizes().Resize(newColCount, DefaultColWidth());
        if (FRows.Sizes().Exists())
            FRows.Sizes().Resize(newRowCount, DefaultRowHeight());
        if (FTabStops.Exists())
            FTabStops.Resize(newColCount, 1);
        if (FColAlignments.Exists())
            FColAlignments.Resize(newColCount, static_cast<int32_t>(FDefaultColAlignment));
        // The first shown cell never stays beyond the cells.
        FTopLeft.X = std::clamp(FTopLeft.X, FixedCols(), newColCount - 1);
        FTopLeft.Y = std::clamp(FTopLeft.Y, FixedRows(), newRowCount - 1);
        if (FCurrent.X >= newColCount || FCurrent.Y >= newRowCount) {
            const TGridCoord inside{std::min(FCurrent.X, newColCount - 1), std::min(FCurrent.Y, newRowCount - 1)};
            MoveCurrent(inside.X, inside.Y, true, true);
            if (FCurrent.X >= newColCount || FCurrent.Y >= newRowCount) // SelectCell refused: it still goes
                FCurrent = FAnchor = inside;
        }
        if (FAnchor.X >= newColCount || FAnchor.Y >= newRowCount)
            FAnchor = FCurrent;
        if (!IsUpdating()) {
            const TGridDrawInfo info = CalcDrawInfo();
            if (FVirtualView || FTopLeft != oldTopLeft) {
                InvalidateGrid();
            } else {
                const int32_t col = std::min(oldInfo.Horz.LastFullVisibleCell, info.Horz.LastFullVisibleCell);
                const int32_t row = std::min(oldInfo.Vert.LastFullVisibleCell, info.Vert.LastFullVisibleCell);
                const TRect c = CellRect(std::min(col, newColCount - 1), std::min(row, newRowCount - 1));
                if (c.IsEmpty()) {
                    InvalidateGrid();
                } else {
                    InvalidatePixels({c.Left, 0, FClientWidth, FClientHeight});
                    InvalidatePixels({0, c.Top, FClientWidth, FClientHeight});
                }
            }
            UpdateScrollRange();
        }
        SizeChanged(oldCols, oldRows);
    } catch (...) {
        FCols.SetCountRaw(oldCols);
        FRows.SetCountRaw(oldRows);
        FCols.Sizes() = oldWidths;
        FRows.Sizes() = oldHeights;
        FTabStops = oldTabs;
        FColAlignments = oldAligns;
        FCurrent = oldCurrent;
        FAnchor = oldAnchor;
        FTopLeft = oldTopLeft;
        InvalidateGrid();
        throw;
    }
}

// --- Sizes ---

void TGridModel::EnsureArray(TRunArray& a, int32_t count, int32_t fill)
{
    if (a.Exists())
        return;
    if (count >= TRunArray::MaxCount)
        InvalidOp(SGridTooLarge);
    a.Create(count, fill);
}

void TGridModel::SetExtent(TGridAxis& axis, int32_t i, int32_t value, bool cols)
{
    if (i < 0 || i >= axis.Count())
        InvalidOp(SIndexOutOfRange);
    EnsureArray(axis.Sizes(), axis.Count(), axis.DefaultExtent());
    if (axis.Sizes().Get(i, value) == value)
        return;
    InvalidateGrid();
    axis.Sizes().Set(i, value);
    if (cols)
        ColWidthsChanged();
    else
        RowHeightsChanged();
}

void TGridModel::SetColWidths(int32_t i, int32_t value) { SetExtent(FCols, i, value, true); }
void TGridModel::SetRowHeights(int32_t i, int32_t value) { SetExtent(FRows, i, value, false); }

void TGridModel::SetTabStops(int32_t i, bool value)
{
    if (i < 0 || i >= ColCount())
        InvalidOp(SIndexOutOfRange);
    EnsureArray(FTabStops, ColCount(), 1);
    FTabStops.Set(i, value ? 1 : 0);
}

int32_t TGridModel::NextTabStop(int32_t i) const
{
    i = std::max(i, 0);
    if (i >= ColCount())
        return ColCount();
    return FTabStops.Exists() ? FTabStops.NextPositive(i) : i;
}

int32_t TGridModel::PrevTabStop(int32_t i) const
{
    i = std::min(i, ColCount() - 1);
    if (i < 0)
        return -1;
    return FTabStops.Exists() ? FTabStops.PrevPositive(i) : i;
}

TAlignment TGridModel::ColAlignments(int32_t i) const noexcept
{
    return static_cast<TAlignment>(FColAlignments.Get(i, static_cast<int32_t>(FDefaultColAlignment)));
}

void TGridModel::SetColAlignments(int32_t i, TAlignment value)
{
    if (i < 0 || i >= ColCount())
        InvalidOp(SIndexOutOfRange);
    EnsureArray(FColAlignments, ColCount(), static_cast<int32_t>(FDefaultColAlignment));
    FColAlignments.Set(i, static_cast<int32_t>(value));
    InvalidateGrid();
}

void TGridModel::SetDefaultColWidth(int32_t value)
{
    FCols.SetDefaultRaw(value);
    ColWidthsChanged();
    InvalidateGrid();
}

void TGridModel::SetDefaultRowHeight(int32_t value)
{
    FRows.Sizes().Discard();
    FRows.SetDefaultRaw(value);
    RowHeightsChanged();
    InvalidateGrid();
}

void TGridModel::SetGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == FGridLineWidth)
        return;
    FGridLineWidth = value;
    ColWidthsChanged();
    InvalidateGrid();
}

// --- Options, client area ---

void TGridModel::SetOptions(TGridOptions value)
{
    if (value.Contains(goRowSelect))
        value.Exclude(goAlwaysShowEditor);
    FOptions = value;
    if (!FEditorMode) {
        if (FOptions.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    if (FOptions.Contains(goRowSelect))
        MoveCurrent(Col(), Row(), true, false);
    InvalidateGrid();
}

void TGridModel::SetRightToLeft(bool value)
{
    if (value == FRightToLeft)
        return;
    FRightToLeft = value;
    UpdateScrollPos();
    InvalidateGrid();
}

void TGridModel::SetClientSize(int width, int height)
{
    FClientWidth = std::max(width, 0);
    FClientHeight = std::max(height, 0);
    UpdateScrollRange();
    if (FRightToLeft)
        InvalidateGrid();
}

// --- Updating and invalidation ---

void TGridModel::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    if (--FUpdateCount == 0) {
        UpdateScrollRange();
        InvalidateGrid();
    }
}

void TGridModel::InvalidateGrid()
{
    if (!IsUpdating())
        InvalidateWindow();
}

void TGridModel::InvalidateRect(TGridRect rect)
{
    const TRect r = GridRectToScreenRect(rect, true);
    if (!r.IsEmpty())
        InvalidatePixels(r);
}

void TGridModel::InvalidateCell(int32_t col, int32_t row) { InvalidateRect({col, row, col, row}); }

void TGridModel::InvalidateCol(int32_t col)
{
    const TGridDrawInfo info = CalcDrawInfo();
    InvalidateRect({col, 0, col, std::min(info.Vert.LastFullVisibleCell + 1, RowCount() - 1)});
}

void TGridModel::InvalidateRow(int32_t row)
{
    const TGridDrawInfo info = CalcDrawInfo();
    InvalidateRect({0, row, std::min(info.Horz.LastFullVisibleCell + 1, ColCount() - 1), row});
}

void TGridModel::ChangeScale(int m, int d)
{
    if (m == d || d == 0)
        return;
    auto scale = [m, d](int32_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>((int64_t{v} * m + (d / 2)) / d, INT32_MIN, INT32_MAX));
    };
    FCols.SetDefaultRaw(scale(FCols.DefaultExtent()));
    FRows.SetDefaultRaw(scale(FRows.DefaultExtent()));
    FCols.Sizes().Transform(scale);
    FRows.Sizes().Transform(scale);
    UpdateScrollRange();
    InvalidateGrid();
}

// --- Editor flags ---

void TGridModel::SetEditorMode(bool value)
{
    if (value) {
        ShowEditor();
        DeselectEditor();
    } else {
        HideEditor();
    }
}

void TGridModel::ShowEditor()
{
    FEditorMode = true;
    UpdateEdit();
}

void TGridModel::HideEditor()
{
    FEditorMode = false;
    HideEdit();
}

// --- Moving and deleting columns and rows ---

void TGridModel::MoveAxisItem(bool cols, int32_t from, int32_t to)
{
    auto adjust = [from, to](int32_t i) {
        if (i == from)
            return to;
        if (from < to && i > from && i <= to)
            return i - 1;
        if (from > to && i >= to && i < from)
            return i + 1;
        return i;
    };
    if (cols) {
        FCols.Sizes().Move(from, to);
        FTabStops.Move(from, to);
        FColAlignments.Move(from, to);
        FCurrent.X = adjust(FCurrent.X);
        FAnchor.X = adjust(FAnchor.X);
        if (FInplaceCol >= 0)
            FInplaceCol = adjust(FInplaceCol);
        InvalidateRect({std::min(from, to), 0, std::max(from, to), RowCount() - 1});
        ColumnMoved(from, to);
        if (HasColWidths())
            ColWidthsChanged();
    } else {
        FRows.Sizes().Move(from, to);
        FCurrent.Y = adjust(FCurrent.Y);
        FAnchor.Y = adjust(FAnchor.Y);
        if (FInplaceRow >= 0)
            FInplaceRow = adjust(FInplaceRow);
        InvalidateRect({0, std::min(from, to), ColCount() - 1, std::max(from, to)});
        RowMoved(from, to);
        if (HasRowHeights())
            RowHeightsChanged();
    }
    UpdateEdit();
}

void TGridModel::MoveColumn(int32_t from, int32_t to)
{
    if (from < 0 || to < 0 || from >= ColCount() || to >= ColCount())
        InvalidOp(SIndexOutOfRange);
    if (from != to)
        MoveAxisItem(true, from, to);
}

void TGridModel::MoveRow(int32_t from, int32_t to)
{
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount())
        InvalidOp(SIndexOutOfRange);
    if (from != to)
        MoveAxisItem(false, from, to);
}

void TGridModel::DeleteColumn(int32_t col)
{
    if (col < 0 || col >= ColCount())
        InvalidOp(SIndexOutOfRange);
    MoveColumn(col, ColCount() - 1);
    SetColCount(ColCount() - 1);
}

void TGridModel::DeleteRow(int32_t row)
{
    if (row < 0 || row >= RowCount())
        InvalidOp(SIndexOutOfRange);
    MoveRow(row, RowCount() - 1);
    SetRowCount(RowCount() - 1);
}

} // namespace grids
