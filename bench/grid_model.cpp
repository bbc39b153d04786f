// The grid model on 100 columns and 10k or 10M rows: the cell rectangles of
// one screen, a Down step, Page Down and a scroll-bar jump to the middle.
// The second argument stores row heights for every 10,000th row (sized
// rows), to show the cost stays flat with stored sizes too.
#include <benchmark/benchmark.h>

#include <vector>

#include "grids/grid_keys.h"
#include "grids/grid_model.h"

using namespace grids;

namespace {

class TBenchGrid : public TGridModel {
public:
    TBenchGrid(int32_t rows, bool sized)
    {
        SetColCount(100);
        SetRowCount(rows);
        SetClientSize(1024, 768);
        if (sized)
            for (int32_t r = 5; r < rows; r += 10000)
                SetRowHeights(r, 30);
        MoveCurrent(1, rows / 2, true, true);
    }
    int64_t Repaints = 0;

protected:
    void InvalidateWindow() override { ++Repaints; }
};

void Args(benchmark::internal::Benchmark* b)
{
    for (int64_t rows : {10000, 10000000})
        for (int64_t sized : {0, 1})
            b->Args({rows, sized});
}

// What painting asks of the model for one screen: the layout, the painted
// cells of both axes and the rectangle of each visible cell.
void BM_GridScreenCellRects(benchmark::State& state)
{
    TBenchGrid g(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    int64_t cells = 0;
    for (auto _ : state) {
        const TGridDrawInfo info = g.CalcDrawInfo();
        const std::vector<TGridCellSpan> cols = g.AxisCells(info, true);
        const std::vector<TGridCellSpan> rows = g.AxisCells(info, false);
        for (const TGridCellSpan& r : rows)
            for (const TGridCellSpan& c : cols) {
                TRect rect{c.Start, r.Start, c.End, r.End};
                benchmark::DoNotOptimize(rect);
                ++cells;
            }
    }
    state.counters["cells/screen"] = static_cast<double>(cells) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GridScreenCellRects)->Apply(Args)->Unit(benchmark::kMicrosecond);

// One CellRect query for a cell in the middle of the screen.
void BM_GridCellRect(benchmark::State& state)
{
    TBenchGrid g(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.CellRect(5, g.TopRow() + 10));
}
BENCHMARK(BM_GridCellRect)->Apply(Args)->Unit(benchmark::kMicrosecond);

void KeyBench(benchmark::State& state, int key)
{
    TBenchGrid g(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        g.KeyDown(key, {});
        if (g.Row() == g.RowCount() - 1)
            g.MoveCurrent(1, g.FixedRows(), true, true);
    }
}
void BM_GridDownStep(benchmark::State& state) { KeyBench(state, keys::VK_DOWN); }
void BM_GridPageDown(benchmark::State& state) { KeyBench(state, keys::VK_NEXT); }
BENCHMARK(BM_GridDownStep)->Apply(Args)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridPageDown)->Apply(Args)->Unit(benchmark::kMicrosecond);

// A thumb jump from the top to the middle (and back, alternately).
void BM_GridThumbJump(benchmark::State& state)
{
    TBenchGrid g(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    int pos = 64;
    for (auto _ : state) {
        g.ModifyScrollBar(sbVertical, scPosition, pos);
        pos = 64 - pos;
    }
    benchmark::DoNotOptimize(g.TopRow());
}
BENCHMARK(BM_GridThumbJump)->Apply(Args)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
