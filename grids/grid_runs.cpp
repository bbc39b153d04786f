#include "grids/grid_runs.h"

#include <algorithm>

namespace grids {

namespace {
int64_t RoomOf(int32_t value, int line) { return static_cast<int64_t>(std::max<int32_t>(value, 0)) + line; }
}

void TRunArray::Create(int32_t count, int32_t fill)
{
    FExists = true;
    FCount = count;
    FRuns.clear();
    if (count > 0)
        FRuns.push_back({0, fill});
    Changed();
}

void TRunArray::Discard()
{
    FExists = false;
    FCount = 0;
    FRuns.clear();
    Changed();
}

std::size_t TRunArray::RunOf(int32_t i) const noexcept
{
    // Walks visit neighbouring cells: try the run of the last lookup and the next one first.
    const std::size_t h = FHint;
    if (h < FRuns.size() && FRuns[h].Start <= i) {
        if (i < RunEnd(h))
            return h;
        if (h + 1 < FRuns.size() && i < RunEnd(h + 1))
            return FHint = h + 1;
    }
    auto it = std::upper_bound(FRuns.begin(), FRuns.end(), i, [](int32_t v, const Run& r) { return v < r.Start; });
    return FHint = static_cast<std::size_t>(it - FRuns.begin()) - 1;
}

int32_t TRunArray::Get(int32_t i, int32_t def) const noexcept
{
    if (!FExists || i < 0 || i >= FCount)
        return def;
    return FRuns[RunOf(i)].Value;
}

void TRunArray::Split(int32_t i)
{
    if (i <= 0 || i >= FCount)
        return;
    std::size_t k = RunOf(i);
    if (FRuns[k].Start == i)
        return;
    FRuns.insert(FRuns.begin() + static_cast<std::ptrdiff_t>(k) + 1, Run{i, FRuns[k].Value});
}

void TRunArray::Normalize()
{
    std::size_t out = 0;
    for (std::size_t k = 0; k < FRuns.size(); ++k) {
        if (FRuns[k].Start >= FCount)
            break;
        if (out > 0 && FRuns[out - 1].Value == FRuns[k].Value)
            continue;
        FRuns[out++] = FRuns[k];
    }
    FRuns.resize(out);
    Changed();
}

void TRunArray::Set(int32_t i, int32_t value)
{
    if (Get(i, value) == value)
        return;
    Split(i);
    Split(i + 1);
    FRuns[RunOf(i)].Value = value;
    Normalize();
}

void TRunArray::Resize(int32_t newCount, int32_t fill)
{
    const int32_t old = FCount;
    if (newCount < old) {
        FCount = newCount;
        Normalize();
    } else if (newCount > old) {
        FRuns.push_back({old, fill});
        FCount = newCount;
        Normalize();
    }
}

void TRunArray::Erase(int32_t i)
{
    Split(i);
    Split(i + 1);
    std::size_t k = RunOf(i);
    FRuns.erase(FRuns.begin() + static_cast<std::ptrdiff_t>(k));
    for (std::size_t j = k; j < FRuns.size(); ++j)
        --FRuns[j].Start;
    --FCount;
    if (!FRuns.empty())
        FRuns[0].Start = 0;
    Normalize();
}

void TRunArray::Insert(int32_t i, int32_t value)
{
    Split(i);
    std::size_t k = i >= FCount ? FRuns.size() : RunOf(i);
    for (std::size_t j = k; j < FRuns.size(); ++j)
        ++FRuns[j].Start;
    FRuns.insert(FRuns.begin() + static_cast<std::ptrdiff_t>(k), Run{i, value});
    ++FCount;
    Normalize();
}

void TRunArray::Move(int32_t from, int32_t to)
{
    if (from == to || from < 0 || to < 0 || from >= FCount || to >= FCount)
        return;
    const int32_t v = Get(from, 0);
    Erase(from);
    Insert(to, v);
}

void TRunArray::EnsurePrefix(int line) const
{
    if (FPrefixLine == line)
        return;
    FPrefix.resize(FRuns.size() + 1);
    int64_t sum = 0;
    for (std::size_t k = 0; k < FRuns.size(); ++k) {
        FPrefix[k] = sum;
        sum += static_cast<int64_t>(RunEnd(k) - FRuns[k].Start) * RoomOf(FRuns[k].Value, line);
    }
    FPrefix[FRuns.size()] = sum;
    FPrefixLine = line;
}

int64_t TRunArray::RoomSum(int32_t a, int32_t b, int line) const
{
    a = std::clamp(a, 0, FCount);
    b = std::clamp(b, 0, FCount);
    if (b <= a)
        return 0;
    EnsurePrefix(line);
    auto prefixAt = [&](int32_t i) -> int64_t {
        if (i >= FCount)
            return FPrefix[FRuns.size()];
        std::size_t k = RunOf(i);
        return FPrefix[k] + static_cast<int64_t>(i - FRuns[k].Start) * RoomOf(FRuns[k].Value, line);
    };
    return prefixAt(b) - prefixAt(a);
}

int32_t TRunArray::IndexAtOffset(int32_t start, int64_t offset, int line) const
{
    if (start < 0)
        start = 0;
    if (start >= FCount || offset < 0)
        return start >= FCount ? FCount : start;
    EnsurePrefix(line);
    std::size_t k0 = RunOf(start);
    const int64_t target = FPrefix[k0] + static_cast<int64_t>(start - FRuns[k0].Start) * RoomOf(FRuns[k0].Value, line) + offset;
    // First run whose end lies beyond the target.
    auto it = std::upper_bound(FPrefix.begin() + static_cast<std::ptrdiff_t>(k0) + 1, FPrefix.end(), target);
    if (it == FPrefix.end())
        return FCount;
    std::size_t k = static_cast<std::size_t>(it - FPrefix.begin()) - 1;
    const int64_t room = RoomOf(FRuns[k].Value, line); // > 0: the run ends beyond its start
    int64_t j = FRuns[k].Start + (target - FPrefix[k]) / room;
    return static_cast<int32_t>(std::max<int64_t>(j, start));
}

int32_t TRunArray::NextPositive(int32_t i) const
{
    if (i < 0)
        i = 0;
    if (i >= FCount)
        return FCount;
    for (std::size_t k = RunOf(i); k < FRuns.size(); ++k)
        if (FRuns[k].Value > 0)
            return std::max(i, FRuns[k].Start);
    return FCount;
}

int32_t TRunArray::PrevPositive(int32_t i) const
{
    if (i >= FCount)
        i = FCount - 1;
    if (i < 0)
        return -1;
    for (std::size_t k = RunOf(i) + 1; k-- > 0;)
        if (FRuns[k].Value > 0)
            return std::min(i, RunEnd(k) - 1);
    return -1;
}

} // namespace grids
