// One frame of the date picker's sliding pop-up drawn on the headless
// backend: the slide's timer tick and the whole pop-up painted off-screen
// (columns, band, cells with their texts, frames, buttons), and the same
// frame through the window's paint message.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "controls/form.h"
#include "controls/key_routing.h"
#include "core/datetime.h"
#include "pickers/date_picker.h"
#include "pickers/date_text.h"
#include "pickers/picker_popup.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

struct TScene {
    headless::Session Session;
    controls::TForm* Form = nullptr;
    pickers::TDatePicker* Picker = nullptr;
    uint64_t Now = 0;

    TScene()
    {
        pickers::SetDateTextLocale("en_US");
        controls::Screen = new controls::TScreen(nullptr);
        Form = new controls::TForm(nullptr);
        Form->SetBounds(100, 80, 320, 240);
        Picker = new pickers::TDatePicker(Form);
        Picker->SetParent(Form);
        Picker->SetBounds(40, 150, 150, 32);
        Picker->SetDate(core::EncodeDate(2022, 4, 20));
        Picker->SetDateFormat(u"dd/MM/yyyy");
        Form->Show();
        Pump();
        Picker->SetFocus();
        Picker->DropDown();
        Pump();
        // Two rows below the band in the day column: a slide of two rows.
        pickers::TPickerPopupModel& popup = Model();
        popup.MouseDown({20, 176});
        Now = popup.Animation()->WhenStarted() + 120;
        popup.TickCount = [this] { return Now; };
    }
    ~TScene()
    {
        delete Form;
        delete controls::Screen;
        controls::Screen = nullptr;
    }
    static void Pump()
    {
        while (controls::ProcessOneMessage()) {
        }
    }
    pickers::TPickerPopupModel& Model() { return *Picker->Model().PopupControl(); }
    // Keeps the slide in its middle: the clock alternates around 120 ms.
    void Step()
    {
        Now ^= 1;
        Model().Tick();
    }
};

void BM_PopupSlideFrame(benchmark::State& state)
{
    TScene scene;
    pickers::TPickerPopupControl& popup = *scene.Picker->PopupControl();
    Bitmap target(popup.Width(), popup.Height());
    DeviceContext dc(target);
    for (auto _ : state) {
        scene.Step();
        popup.PaintPopup(dc);
    }
    benchmark::DoNotOptimize(target.Pixel(20, 100));
}
BENCHMARK(BM_PopupSlideFrame)->Unit(benchmark::kMicrosecond);

void BM_PopupSlideFramePainted(benchmark::State& state)
{
    TScene scene;
    const HWND h = scene.Picker->PopupControl()->Handle();
    for (auto _ : state) {
        scene.Step();
        InvalidateRect(h, nullptr, false);
        UpdateWindow(h);
    }
}
BENCHMARK(BM_PopupSlideFramePainted)->Unit(benchmark::kMicrosecond);

void BM_ClosedPickerFrame(benchmark::State& state)
{
    TScene scene;
    Bitmap target(scene.Picker->Width(), scene.Picker->Height());
    DeviceContext dc(target);
    for (auto _ : state)
        scene.Picker->PaintPicker(dc);
}
BENCHMARK(BM_ClosedPickerFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
