// The grid control on the headless platform: a full repaint of the visible
// cells, one Down step, Page Down and a scroll-bar jump, at 10 thousand and
// 10 million rows (the costs must not grow with the row count).
#include <benchmark/benchmark.h>

#include <string>

#include "controls/form.h"
#include "core/ustring.h"
#include "grids/string_grid.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

struct TBenchGrid {
    explicit TBenchGrid(int32_t rows)
    {
        controls::Screen = new controls::TScreen(nullptr);
        Form = new controls::TCustomForm(nullptr);
        Form->SetBounds(0, 0, 800, 600);
        Grid = new grids::TDrawGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetColCount(100);
        Grid->SetRowCount(rows);
        Grid->OnDrawCell = grids::TDrawCellEvent::Bind(
            Grid, [this](components::TObject*, int32_t col, int32_t row, const TRect& r, grids::TGridDrawState) {
                ++CellsDrawn;
                const std::u16string text = core::FromUtf8(std::to_string(col * 7 + row));
                Grid->Canvas()->ExtTextOut(r.Left + 2, r.Top + 2, ETO_CLIPPED, &r, text);
            });
        Form->Show();
        headless::ProcessMessages();
        Grid->SetFocus();
        headless::ProcessMessages();
    }
    ~TBenchGrid()
    {
        delete Form;
        delete controls::Screen;
        controls::Screen = nullptr;
    }
    headless::Session Session;
    controls::TCustomForm* Form = nullptr;
    grids::TDrawGrid* Grid = nullptr;
    int64_t CellsDrawn = 0;
};

// Cells drawn per iteration, to show how much of the window each step repaints.
void ReportCells(benchmark::State& state, const TBenchGrid& b)
{
    state.counters["cells"] = benchmark::Counter(static_cast<double>(b.CellsDrawn), benchmark::Counter::kAvgIterations);
}

void BM_GridFullRepaint(benchmark::State& state)
{
    TBenchGrid b(static_cast<int32_t>(state.range(0)));
    b.Grid->SetTopRow(b.Grid->RowCount() / 2);
    headless::ProcessMessages();
    const HWND h = b.Grid->Handle();
    b.CellsDrawn = 0;
    for (auto _ : state) {
        InvalidateRect(h, nullptr, false);
        UpdateWindow(h);
    }
    ReportCells(state, b);
}
BENCHMARK(BM_GridFullRepaint)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_GridDownStep(benchmark::State& state)
{
    TBenchGrid b(static_cast<int32_t>(state.range(0)));
    const HWND h = b.Grid->Handle();
    const int32_t middle = b.Grid->RowCount() / 2;
    b.Grid->SetRow(middle);
    UpdateWindow(h);
    int n = 0;
    b.CellsDrawn = 0;
    for (auto _ : state) {
        if (++n == 1000) {
            state.PauseTiming();
            b.Grid->SetRow(middle);
            UpdateWindow(h);
            n = 0;
            state.ResumeTiming();
        }
        b.Grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
        UpdateWindow(h);
    }
    ReportCells(state, b);
}
BENCHMARK(BM_GridDownStep)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_GridPageDown(benchmark::State& state)
{
    TBenchGrid b(static_cast<int32_t>(state.range(0)));
    const HWND h = b.Grid->Handle();
    const int32_t start = b.Grid->RowCount() / 4;
    b.Grid->SetRow(start);
    UpdateWindow(h);
    int n = 0;
    b.CellsDrawn = 0;
    for (auto _ : state) {
        if (++n == 100) {
            state.PauseTiming();
            b.Grid->SetRow(start);
            UpdateWindow(h);
            n = 0;
            state.ResumeTiming();
        }
        b.Grid->Perform(WM_KEYDOWN, VK_NEXT, 0);
        UpdateWindow(h);
    }
    ReportCells(state, b);
}
BENCHMARK(BM_GridPageDown)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_GridThumbToMiddle(benchmark::State& state)
{
    TBenchGrid b(static_cast<int32_t>(state.range(0)));
    const HWND h = b.Grid->Handle();
    bool middle = false;
    b.CellsDrawn = 0;
    for (auto _ : state) {
        middle = !middle;
        SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, middle ? 64 : 0));
        UpdateWindow(h);
    }
    ReportCells(state, b);
}
BENCHMARK(BM_GridThumbToMiddle)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

} // namespace
BENCHMARK_MAIN();
