#pragma once
// The grid's key table as a pure function of (grid state, key, modifiers).
#include "grids/grid_types.h"

namespace grids {

class TGridModel;

// What a key does: the new current cell and first shown cell (both already
// clamped to the grid), whether the anchor follows the current cell, and the
// side effects the grid carries out.
struct TGridKeyOutcome {
    bool Handled = false;        // the key is one of the table's keys
    TGridCoord Current;          // applied with FocusCell when it differs
    TGridCoord TopLeft;          // applied with MoveTopLeft when it differs
    bool MoveAnchor = true;      // false with Shift (extends a range selection)
    bool ShowEditor = false;     // F2
    bool InvalidateAll = false;  // Ctrl+Home / Ctrl+End under right-to-left order
};

TGridKeyOutcome CalcGridKey(const TGridModel& grid, int key, TGridShift shift);

} // namespace grids
