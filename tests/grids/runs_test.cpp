// The run-length per-cell arrays against a plain vector doing the same steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "grids/grid_axis.h"
#include "grids/grid_runs.h"

using namespace grids;

namespace {
// The same queries answered the slow way.
struct Plain {
    std::vector<int32_t> v;
    int64_t RoomSum(int32_t a, int32_t b, int line) const
    {
        int64_t s = 0;
        for (int32_t i = a; i < b; ++i)
            s += std::max(v[i], 0) + line;
        return s;
    }
    int32_t IndexAtOffset(int32_t start, int64_t offset, int line) const
    {
        int64_t pos = 0;
        for (int32_t i = start; i < static_cast<int32_t>(v.size()); ++i) {
            pos += std::max(v[i], 0) + line;
            if (pos > offset)
                return i;
        }
        return static_cast<int32_t>(v.size());
    }
};

void ExpectSame(const TRunArray& r, const Plain& p, int step)
{
    const int32_t n = static_cast<int32_t>(p.v.size());
    ASSERT_EQ(r.Count(), n) << step;
    for (int32_t i = 0; i < n; ++i)
        ASSERT_EQ(r.Get(i, -99), p.v[i]) << step << " @" << i;
    for (int line : {0, 1, 3})
        for (int32_t a = 0; a <= n; a += 3)
            for (int32_t b = a; b <= n; b += 5) {
                ASSERT_EQ(r.RoomSum(a, b, line), p.RoomSum(a, b, line)) << step;
                for (int64_t off : {0, 1, 7, 30, 200})
                    ASSERT_EQ(r.IndexAtOffset(a, off, line), p.IndexAtOffset(a, off, line)) << step;
            }
    for (int32_t i = 0; i < n; ++i) {
        int32_t next = i;
        while (next < n && p.v[next] <= 0)
            ++next;
        int32_t prev = i;
        while (prev >= 0 && p.v[prev] <= 0)
            --prev;
        ASSERT_EQ(r.NextPositive(i), next) << step;
        ASSERT_EQ(r.PrevPositive(i), prev) << step;
    }
}
} // namespace

TEST(GridRuns, MatchesAPlainArray)
{
    TRunArray r;
    Plain p;
    EXPECT_FALSE(r.Exists());
    EXPECT_EQ(r.Get(3, 17), 17);
    r.Create(20, 10);
    p.v.assign(20, 10);
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t mod) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % mod);
    };
    for (int step = 0; step < 300; ++step) {
        const int32_t n = static_cast<int32_t>(p.v.size());
        switch (next(4)) {
        case 0: { // set, sometimes hidden
            const int32_t i = next(n), value = next(5) == 0 ? -1 + next(2) : 5 + next(3) * 5;
            r.Set(i, value);
            p.v[i] = value;
            break;
        }
        case 1: { // resize
            const int32_t m = 1 + next(40), fill = next(3) == 0 ? 0 : 12;
            r.Resize(m, fill);
            p.v.resize(m, fill);
            break;
        }
        default: { // move
            const int32_t from = next(n), to = next(n);
            r.Move(from, to);
            const int32_t v = p.v[from];
            p.v.erase(p.v.begin() + from);
            p.v.insert(p.v.begin() + to, v);
            break;
        }
        }
        ExpectSame(r, p, step);
        ASSERT_LE(r.RunCount(), p.v.size());
    }
}

TEST(GridRuns, HugeAxisWithoutArray)
{
    TGridAxis a(2000000000, 1, 24);
    EXPECT_EQ(a.Sum(0, 2000000000, 1), int64_t{2000000000} * 25);
    EXPECT_EQ(a.IndexAtOffset(1, int64_t{25} * 1500000000 + 3, 1), 1500000001);
    EXPECT_EQ(a.IndexAtOffset(1, int64_t{1} << 50, 1), 2000000000);
    TGridAxis hidden(1000, 0, 0); // every cell hidden by default
    EXPECT_EQ(hidden.NextShown(0), 1000);
    EXPECT_EQ(hidden.PrevShown(999), -1);
    EXPECT_EQ(hidden.IndexAtOffset(0, 5, 0), 1000);
    EXPECT_EQ(hidden.Sum(0, 1000, 1), 1000);
}
