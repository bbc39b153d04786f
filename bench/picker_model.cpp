// The date picker's model: stepping the year column across its whole range,
// and computing one frame of the pop-up's slide (timer tick plus the cells of
// every column, texts included).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/datetime.h"
#include "pickers/date_columns.h"
#include "pickers/date_picker_model.h"
#include "pickers/date_text.h"

namespace {

using namespace pickers;

void BM_CalcNextValueFullYearRange(benchmark::State& state)
{
    auto provider = std::make_shared<TDateProvider>();
    provider->SetMinYear(1900);
    provider->SetMaxYear(3000);
    provider->SetDate(core::EncodeDate(2022, 4, 20));
    TPickerYearColumn year(provider, u"yyyy");
    for (auto _ : state) {
        long long sum = 0;
        for (int v = 1900; v <= 3000; ++v) {
            sum += year.CalcNextValue(v, 1100).Steps;
            sum += year.CalcNextValue(v, -1100).Steps;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * 1101);
}
BENCHMARK(BM_CalcNextValueFullYearRange);

void BM_SlideFrame(benchmark::State& state)
{
    SetDateTextLocale("en_US");
    TDatePickerModel picker;
    picker.SetDate(core::EncodeDate(2022, 4, 20));
    picker.SetDateFormat(u"dd/MM/yyyy");
    picker.SetClientSize(picker.CalcSizes({150, 32}, [](std::u16string_view t) {
        return TSize{static_cast<int>(t.size()) * 8, 16};
    }));
    picker.DropDown();
    TPickerPopupModel& popup = *picker.PopupControl();
    uint64_t now = 0;
    popup.TickCount = [&now] { return now; };
    const TPoint twoBelow{20, 176};
    popup.MouseDown(twoBelow);
    size_t cells = 0;
    for (auto _ : state) {
        now += 1;
        if (!popup.IsAnimating()) {
            state.PauseTiming();
            popup.MouseDown(twoBelow);
            state.ResumeTiming();
        }
        popup.Tick();
        for (int i = 0; i < 3; ++i)
            cells += popup.GetColumnCells(i).size();
    }
    benchmark::DoNotOptimize(cells);
}
BENCHMARK(BM_SlideFrame);

} // namespace

BENCHMARK_MAIN();
