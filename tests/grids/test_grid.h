#pragma once
// A grid model with the view requests recorded, for the tests.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "grids/grid_errors.h"
#include "grids/grid_model.h"

namespace grids {
inline void PrintTo(const TRect& r, std::ostream* os)
{
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}
inline void PrintTo(const TGridCoord& c, std::ostream* os) { *os << "(" << c.X << ", " << c.Y << ")"; }
inline void PrintTo(const TGridRect& r, std::ostream* os)
{
    *os << "[" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "]";
}
} // namespace grids

namespace grids::test {

struct TScrollCall {
    TRect Band;
    int DX, DY;
};

class TTestGrid : public TGridModel {
public:
    int WindowInvalidations = 0;
    std::vector<TRect> Invalidated;
    std::vector<TScrollCall> Scrolls;
    std::vector<std::pair<int32_t, int32_t>> MovedColumns;
    int SizingLineDraws = 0, MarkerDraws = 0, TimerStarts = 0, TimerStops = 0, Clicks = 0;
    int TopLeftChanges = 0;
    std::vector<TGridCoord> FixedClicks;
    std::function<void()> OnHideEdit;  // may throw, like a refused cell value
    std::function<bool(int32_t, int32_t)> OnSelectCell;

    void ResetLog()
    {
        WindowInvalidations = 0;
        Invalidated.clear();
        Scrolls.clear();
    }

protected:
    bool SelectCell(int32_t c, int32_t r) override { return OnSelectCell ? OnSelectCell(c, r) : true; }
    void InvalidatePixels(const TRect& r) override { Invalidated.push_back(r); }
    void InvalidateWindow() override { ++WindowInvalidations; }
    void ScrollPixels(const TRect& band, int dx, int dy) override { Scrolls.push_back({band, dx, dy}); }
    void ColumnMoved(int32_t from, int32_t to) override { MovedColumns.push_back({from, to}); }
    void DrawSizingLine() override { ++SizingLineDraws; }
    void DrawMovement() override { ++MarkerDraws; }
    void StartTimer() override { ++TimerStarts; }
    void StopTimer() override { ++TimerStops; }
    void Click() override { ++Clicks; }
    void TopLeftChanged() override { ++TopLeftChanges; }
    void FixedCellClick(int32_t c, int32_t r) override { FixedClicks.push_back({c, r}); }
    void HideEdit() override
    {
        if (OnHideEdit)
            OnHideEdit();
    }
};

// Runs `f` and answers the message of the EInvalidGridOperation it raises
// ("" when it raises nothing).
template <class F>
std::string GridError(F&& f)
{
    try {
        f();
    } catch (const EInvalidGridOperation& e) {
        return e.what();
    }
    return "";
}

} // namespace grids::test
