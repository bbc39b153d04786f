#pragma once
// One axis of a grid (the columns or the rows): count, fixed count, default
// extent and the per-cell extents. A cell whose extent is 0 or less is hidden:
// it takes no room but its grid line, everywhere (layout, hit testing,
// painting). Sums of extents are 64-bit, and every lookup costs at most a
// binary search over the runs of stored extents, never a walk over the count.
#include <algorithm>
#include <cstdint>

#include "grids/grid_runs.h"

namespace grids {

class TGridAxis {
public:
    TGridAxis(int32_t count, int32_t fixed, int32_t defaultExtent)
        : FCount(count), FFixed(fixed), FDefault(defaultExtent) {}

    int32_t Count() const noexcept { return FCount; }
    int32_t Fixed() const noexcept { return FFixed; }
    int32_t DefaultExtent() const noexcept { return FDefault; }
    void SetCountRaw(int32_t c) noexcept { FCount = c; }
    void SetFixedRaw(int32_t f) noexcept { FFixed = f; }
    void SetDefaultRaw(int32_t d) noexcept { FDefault = d; }

    TRunArray& Sizes() noexcept { return FSizes; }
    const TRunArray& Sizes() const noexcept { return FSizes; }

    int32_t Extent(int32_t i) const noexcept { return FSizes.Get(i, FDefault); }
    bool Shown(int32_t i) const noexcept { return Extent(i) > 0; }
    int64_t Room(int32_t i, int line) const noexcept { return std::max<int32_t>(Extent(i), 0) + int64_t{line}; }

    // Room of the cells [a, b).
    int64_t Sum(int32_t a, int32_t b, int line) const
    {
        a = std::clamp(a, 0, FCount);
        b = std::clamp(b, 0, FCount);
        if (b <= a)
            return 0;
        if (FSizes.Exists())
            return FSizes.RoomSum(a, b, line);
        return int64_t{b - a} * (std::max<int32_t>(FDefault, 0) + int64_t{line});
    }

    // The cell whose room holds pixel `offset` counted from the start of cell
    // `start` (offset >= 0), or Count() when the cells end before it.
    int32_t IndexAtOffset(int32_t start, int64_t offset, int line) const
    {
        if (start >= FCount)
            return FCount;
        if (FSizes.Exists())
            return FSizes.IndexAtOffset(start, offset, line);
        const int64_t room = std::max<int32_t>(FDefault, 0) + int64_t{line};
        if (room <= 0)
            return FCount;
        return static_cast<int32_t>(std::min<int64_t>(start + offset / room, FCount));
    }

    // First shown cell in [i, Count()), or Count().
    int32_t NextShown(int32_t i) const
    {
        i = std::max(i, 0);
        if (i >= FCount)
            return FCount;
        if (FSizes.Exists())
            return FSizes.NextPositive(i);
        return FDefault > 0 ? i : FCount;
    }
    // Last shown cell in [0, i], or -1.
    int32_t PrevShown(int32_t i) const
    {
        i = std::min(i, FCount - 1);
        if (i < 0)
            return -1;
        if (FSizes.Exists())
            return FSizes.PrevPositive(i);
        return FDefault > 0 ? i : -1;
    }
    // Next cell at or after i that takes any room (cells of zero room are skipped in walks).
    int32_t NextWithRoom(int32_t i, int line) const { return line > 0 ? std::max(i, 0) : NextShown(i); }
    int32_t PrevWithRoom(int32_t i, int line) const { return line > 0 ? std::min(i, FCount - 1) : PrevShown(i); }

private:
    int32_t FCount;
    int32_t FFixed;
    int32_t FDefault;
    TRunArray FSizes;
};

} // namespace grids
