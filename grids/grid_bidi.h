#pragma once
// Right-to-left layout: the grid computes everything left to right and
// mirrors horizontal client positions in the client width at the edges.
#include "grids/grid_types.h"

namespace grids {

// Mirrors a horizontal client position (client width - x).
constexpr int MirrorX(int x, int clientWidth) noexcept { return clientWidth - x; }

// Mirrors the horizontal edges of a rectangle; empty rectangles stay all zero.
constexpr TRect MirrorRect(const TRect& r, int clientWidth) noexcept
{
    if (r == TRect{})
        return r;
    return {clientWidth - r.Right, r.Top, clientWidth - r.Left, r.Bottom};
}

// Mirrors a scroll-bar thumb on the 0..scale bar.
constexpr int MirrorThumb(int pos, int scale) noexcept { return scale - pos; }

} // namespace grids
