// The data grid over a client dataset shaped like the program's table
// (codigo integer, nome string of 50) on the headless platform: a full
// repaint, one Down step, Page Down, Ctrl+End and a thumb drag to the middle,
// at one thousand and one million rows (the costs must not grow with the table).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "controls/form.h"
#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/data_source.h"
#include "data/field_types.h"
#include "grids/db_grid.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

struct TBenchDBGrid {
    explicit TBenchDBGrid(int rows)
    {
        controls::Screen = new controls::TScreen(nullptr);
        Form = new controls::TCustomForm(nullptr);
        Form->SetBounds(0, 0, 795, 503);
        Grid = new grids::TDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 24, 472, 232);
        DataSet = new data::TClientDataSet(Form);
        DataSet->FieldDefs().Add(u"codigo", data::TFieldType::ftInteger);
        DataSet->FieldDefs().Add(u"nome", data::TFieldType::ftString, 50);
        DataSet->CreateDataSet();
        DataSet->SetLogChanges(false);
        data::TField* codigo = DataSet->FieldByName(u"codigo");
        data::TField* nome = DataSet->FieldByName(u"nome");
        DataSet->DisableControls();
        for (int i = 1; i <= rows; ++i) {
            DataSet->Append();
            codigo->SetAsInteger(i);
            nome->SetAsString(u"name " + core::FromUtf8(std::to_string(i)));
            DataSet->Post();
        }
        DataSet->First();
        DataSet->EnableControls();
        Source = new data::TDataSource(Form);
        Source->SetDataSet(DataSet);
        Grid->SetDataSource(Source);
        Form->Show();
        headless::ProcessMessages();
        Grid->SetFocus();
        headless::ProcessMessages();
    }
    ~TBenchDBGrid()
    {
        delete Form;
        delete controls::Screen;
        controls::Screen = nullptr;
    }
    static void Key(int vk, unsigned mods = headless::None)
    {
        headless::PressKey(vk, mods);
        headless::ProcessMessages();
    }
    headless::Session Session;
    controls::TCustomForm* Form = nullptr;
    grids::TDBGrid* Grid = nullptr;
    data::TClientDataSet* DataSet = nullptr;
    data::TDataSource* Source = nullptr;
};

// One fixture per table size, built once: filling a million rows takes a
// while. It goes before main returns, while the platform is still there.
std::unique_ptr<TBenchDBGrid> current;

TBenchDBGrid& Fixture(int rows)
{
    static int currentRows = -1;
    if (currentRows != rows) {
        current.reset();
        current = std::make_unique<TBenchDBGrid>(rows);
        currentRows = rows;
    }
    return *current;
}

void BM_DBGridFullRepaint(benchmark::State& state)
{
    TBenchDBGrid& b = Fixture(static_cast<int>(state.range(0)));
    b.DataSet->SetRecNoProp(b.DataSet->RecordCount() / 2);
    headless::ProcessMessages();
    const HWND h = b.Grid->Handle();
    for (auto _ : state) {
        InvalidateRect(h, nullptr, false);
        UpdateWindow(h);
    }
}

void BM_DBGridDown(benchmark::State& state)
{
    TBenchDBGrid& b = Fixture(static_cast<int>(state.range(0)));
    b.DataSet->SetRecNoProp(b.DataSet->RecordCount() / 2);
    headless::ProcessMessages();
    const int middle = b.DataSet->RecordCount() / 2;
    int n = 0;
    for (auto _ : state) {
        // Back to the middle every so often (untimed), so that the end,
        // where Down appends, is never reached.
        if (++n % 200 == 0) {
            state.PauseTiming();
            b.DataSet->SetRecNoProp(middle);
            headless::ProcessMessages();
            state.ResumeTiming();
        }
        TBenchDBGrid::Key(VK_DOWN);
    }
}

void BM_DBGridPageDown(benchmark::State& state)
{
    TBenchDBGrid& b = Fixture(static_cast<int>(state.range(0)));
    b.DataSet->First();
    headless::ProcessMessages();
    int n = 0;
    for (auto _ : state) {
        if (++n % 50 == 0) {
            state.PauseTiming();
            b.DataSet->First();
            headless::ProcessMessages();
            state.ResumeTiming();
        }
        TBenchDBGrid::Key(VK_NEXT);
    }
}

void BM_DBGridCtrlEnd(benchmark::State& state)
{
    TBenchDBGrid& b = Fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        b.DataSet->First();
        headless::ProcessMessages();
        state.ResumeTiming();
        TBenchDBGrid::Key(VK_END, headless::Ctrl);
    }
}

void BM_DBGridThumbToMiddle(benchmark::State& state)
{
    TBenchDBGrid& b = Fixture(static_cast<int>(state.range(0)));
    const HWND h = b.Grid->Handle();
    const int middle = b.DataSet->RecordCount() / 2;
    for (auto _ : state) {
        state.PauseTiming();
        b.DataSet->First();
        headless::ProcessMessages();
        state.ResumeTiming();
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        si.nTrackPos = middle;
        SetScrollInfo(h, SB_VERT, si, false);
        SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
        headless::ProcessMessages();
    }
}

// All runs on the small table first, then all on the large one: the fixture is built once per size.
BENCHMARK(BM_DBGridFullRepaint)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridDown)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridPageDown)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridCtrlEnd)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridThumbToMiddle)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridFullRepaint)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridDown)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridPageDown)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridCtrlEnd)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBGridThumbToMiddle)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    current.reset();
    return 0;
}
