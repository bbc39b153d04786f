#pragma once
// TDrawGrid: a grid whose cells are painted by an event. TStringGrid: a grid
// of text cells, editable in place with goEditing.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "grids/grid_control.h"

namespace grids {

class TDrawGrid;
using TDrawCellEvent = core::Closure<void(components::TObject* sender, int32_t col, int32_t row,
                                          const platform::TRect& rect, TGridDrawState state)>;
using TSelectCellEvent = core::Closure<void(components::TObject* sender, int32_t col, int32_t row, bool& canSelect)>;
using TSetEditEvent = core::Closure<void(components::TObject* sender, int32_t col, int32_t row,
                                         const std::u16string& value)>;
using TMovedEvent = core::Closure<void(components::TObject* sender, int32_t from, int32_t to)>;

class TDrawGrid : public TCustomGrid {
    DECLARE_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(components::TComponent* owner);

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved, OnRowMoved;
    core::Closure<void(components::TObject*)> OnTopLeftChanged;

protected:
    void DrawCell(int32_t col, int32_t row, const platform::TRect& rect, TGridDrawState state) override;
    bool SelectCell(int32_t col, int32_t row) override;
    void SetEditText(int32_t col, int32_t row, const std::u16string& value) override;
    void ColumnMoved(int32_t from, int32_t to) override;
    void RowMoved(int32_t from, int32_t to) override;
    void TopLeftChanged() override;
};

class TStringGrid : public TDrawGrid {
    DECLARE_CLASS(TStringGrid, TDrawGrid)
public:
    explicit TStringGrid(components::TComponent* owner);

    std::u16string Cells(int32_t col, int32_t row) const;
    void SetCells(int32_t col, int32_t row, const std::u16string& value);
    // Length limit of the editor (0: none).
    void SetEditLimit(int value) { FEditLimit = value; }

protected:
    void DrawCell(int32_t col, int32_t row, const platform::TRect& rect, TGridDrawState state) override;
    std::u16string GetEditText(int32_t col, int32_t row) override;
    void SetEditText(int32_t col, int32_t row, const std::u16string& value) override;
    int GetEditLimit() override { return FEditLimit; }
    void ColumnMoved(int32_t from, int32_t to) override;
    void RowMoved(int32_t from, int32_t to) override;

private:
    static uint64_t Key(int32_t col, int32_t row)
    {
        return (uint64_t{static_cast<uint32_t>(col)} << 32) | static_cast<uint32_t>(row);
    }
    void MoveCells(bool cols, int32_t from, int32_t to);

    std::unordered_map<uint64_t, std::u16string> FCells;
    int FEditLimit = 0;
};

} // namespace grids
