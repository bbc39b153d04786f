#pragma once
// A per-cell array of 32-bit values stored as runs of equal values, so that a
// column or row array of any length costs memory only for the cells that
// differ from their neighbours. Used for column widths, row heights, tab
// stops and column alignments.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace grids {

class TRunArray {
public:
    // Arrays of this count or more are refused ("Grid too large for operation").
    static constexpr int64_t MaxCount = 134217726;

    bool Exists() const noexcept { return FExists; }
    int32_t Count() const noexcept { return FCount; }

    // Creates the array with `count` cells holding `fill`.
    void Create(int32_t count, int32_t fill);
    // Forgets the array: every cell reads its default again.
    void Discard();

    // Value of cell i, or `def` when there is no array or i is outside it.
    int32_t Get(int32_t i, int32_t def) const noexcept;
    // Stores cell i (0 <= i < Count()).
    void Set(int32_t i, int32_t value);
    // Changes the count; new cells at the end take `fill`.
    void Resize(int32_t newCount, int32_t fill);
    // Takes cell `from` out and reinserts it at `to`; cells between shift by one.
    void Move(int32_t from, int32_t to);

    // Replaces every stored value v by f(v).
    template <class F>
    void Transform(F f)
    {
        for (Run& r : FRuns)
            r.Value = f(r.Value);
        Normalize();
    }

    // Sum over cells [a, b) of (max(value, 0) + line); the array must exist.
    int64_t RoomSum(int32_t a, int32_t b, int line) const;
    // First cell j >= start with RoomSum(start, j + 1) > offset, or Count().
    int32_t IndexAtOffset(int32_t start, int64_t offset, int line) const;
    // First cell in [i, Count()) with a value above 0, or Count().
    int32_t NextPositive(int32_t i) const;
    // Last cell in [0, i] with a value above 0, or -1.
    int32_t PrevPositive(int32_t i) const;

    std::size_t RunCount() const noexcept { return FRuns.size(); }

private:
    struct Run {
        int32_t Start;
        int32_t Value;
    };
    std::size_t RunOf(int32_t i) const noexcept; // index of the run holding cell i
    void Split(int32_t i);                  // makes a run start at cell i
    void Normalize();                       // merges neighbours with equal values
    void Erase(int32_t i);
    void Insert(int32_t i, int32_t value);
    int32_t RunEnd(std::size_t k) const noexcept { return k + 1 < FRuns.size() ? FRuns[k + 1].Start : FCount; }
    void EnsurePrefix(int line) const;
    void Changed() noexcept { FPrefixLine = -1; }

    bool FExists = false;
    int32_t FCount = 0;
    std::vector<Run> FRuns;
    // Room before each run, valid for one line width (-1: stale).
    mutable std::vector<int64_t> FPrefix;
    mutable int FPrefixLine = -1;
    mutable std::size_t FHint = 0; // run of the last lookup
};

} // namespace grids
