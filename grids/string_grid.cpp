// The event-painted grid and the text grid.
#include "grids/string_grid.h"

#include <vector>

#include "grids/grid_errors.h"

namespace grids {

using PRect = platform::TRect;

DEFINE_CLASS(TDrawGrid)
END_CLASS

DEFINE_CLASS(TStringGrid)
END_CLASS

TDrawGrid::TDrawGrid(components::TComponent* owner) : TCustomGrid(owner) {}

void TDrawGrid::DrawCell(int32_t col, int32_t row, const PRect& rect, TGridDrawState state)
{
    OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int32_t col, int32_t row)
{
    bool can = true;
    OnSelectCell(this, col, row, can);
    return can;
}

void TDrawGrid::SetEditText(int32_t col, int32_t row, const std::u16string& value)
{
    OnSetEditText(this, col, row, value);
}

void TDrawGrid::ColumnMoved(int32_t from, int32_t to) { OnColumnMoved(this, from, to); }
void TDrawGrid::RowMoved(int32_t from, int32_t to) { OnRowMoved(this, from, to); }
void TDrawGrid::TopLeftChanged()
{
    TCustomGrid::TopLeftChanged();
    OnTopLeftChanged(this);
}

TStringGrid::TStringGrid(components::TComponent* owner) : TDrawGrid(owner) {}

std::u16string TStringGrid::Cells(int32_t col, int32_t row) const
{
    const auto it = FCells.find(Key(col, row));
    return it == FCells.end() ? std::u16string() : it->second;
}

void TStringGrid::SetCells(int32_t col, int32_t row, const std::u16string& value)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        InvalidOp(SIndexOutOfRange);
    if (value.empty())
        FCells.erase(Key(col, row));
    else
        FCells[Key(col, row)] = value;
    InvalidateCell(col, row);
    if (col == InplaceCol() && row == InplaceRow())
        InvalidateEditor();
}

void TStringGrid::DrawCell(int32_t col, int32_t row, const PRect& rect, TGridDrawState state)
{
    if (OnDrawCell) {
        TDrawGrid::DrawCell(col, row, rect, state);
        return;
    }
    const auto it = FCells.find(Key(col, row));
    if (it == FCells.end() || !Canvas())
        return;
    Canvas()->ExtTextOut(rect.Left + 2, rect.Top + 2, platform::ETO_CLIPPED, &rect, it->second);
}

std::u16string TStringGrid::GetEditText(int32_t col, int32_t row) { return Cells(col, row); }

void TStringGrid::SetEditText(int32_t col, int32_t row, const std::u16string& value)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    if (value.empty())
        FCells.erase(Key(col, row));
    else
        FCells[Key(col, row)] = value;
    TDrawGrid::SetEditText(col, row, value);
}

// Cells follow their column (row) when it moves: the entry at `from` is
// taken out and reinserted at `to`, the ones in between shift by one.
void TStringGrid::MoveCells(bool cols, int32_t from, int32_t to)
{
    std::vector<std::pair<uint64_t, std::u16string>> moved;
    for (auto it = FCells.begin(); it != FCells.end();) {
        const int32_t c = static_cast<int32_t>(it->first >> 32), r = static_cast<int32_t>(it->first & 0xFFFFFFFF);
        int32_t i = cols ? c : r;
        int32_t n = i;
        if (i == from)
            n = to;
        else if (from < to && i > from && i <= to)
            n = i - 1;
        else if (from > to && i >= to && i < from)
            n = i + 1;
        if (n != i) {
            moved.emplace_back(cols ? Key(n, r) : Key(c, n), std::move(it->second));
            it = FCells.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [k, v] : moved)
        FCells[k] = std::move(v);
}

void TStringGrid::ColumnMoved(int32_t from, int32_t to)
{
    MoveCells(true, from, to);
    TDrawGrid::ColumnMoved(from, to);
}

void TStringGrid::RowMoved(int32_t from, int32_t to)
{
    MoveCells(false, from, to);
    TDrawGrid::RowMoved(from, to);
}

} // namespace grids
