#pragma once
// Timing of automatic scrolling while selecting or dragging: one step every
// TGridModel::TimerInterval ms after the press, as a pure function of time.
#include <cstdint>

namespace grids {

// Steps due at `nowMs` for a timer started at `startMs` that has already run `done` steps.
constexpr int64_t AutoScrollStepsDue(int64_t startMs, int64_t nowMs, int64_t done, int interval = 60) noexcept
{
    if (interval <= 0 || nowMs <= startMs)
        return 0;
    const int64_t total = (nowMs - startMs) / interval;
    return total > done ? total - done : 0;
}

} // namespace grids
