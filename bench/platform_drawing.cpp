// Drawing speed: text output with one cached font and a full repaint of the
// main form's client area (787 x 476) drawn like a grid.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/headless.h"
#include "platform/syscolors.h"
#include "platform/window.h"

using namespace platform;

static void BM_TextOut10000ShortStrings(benchmark::State& state)
{
    headless::Session session;
    Bitmap target(787, 476);
    DeviceContext dc(target);
    const Font font(FontAttrs{u"Tahoma", -11});
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    std::vector<std::u16string> words;
    for (int i = 0; i < 100; ++i)
        words.push_back(u"Row " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"-" +
                        std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
    for (auto _ : state)
        for (int i = 0; i < 10000; ++i)
            dc.TextOut((i % 10) * 78, (i / 10 % 30) * 15, words[static_cast<size_t>(i % 100)]);
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_TextOut10000ShortStrings)->Unit(benchmark::kMillisecond);

namespace {
void PaintGridLike(DeviceContext& dc, int w, int h)
{
    dc.FillRect(Bounds(0, 0, w, h), Brush::Solid(GetSysColor(COLOR_BTNFACE)));
    dc.SelectFont(Font(FontAttrs{u"Tahoma", -11}));
    dc.SetBkMode(TRANSPARENT);
    const int colW = 64, rowH = 18;
    std::vector<std::vector<TPoint>> lines;
    for (int x = colW; x < w; x += colW + 1)
        lines.push_back({{x, 0}, {x, h}});
    for (int y = rowH; y < h; y += rowH + 1)
        lines.push_back({{0, y}, {w, y}});
    dc.SelectPen(Pen{PS_SOLID, 1, 0xC0C0C0});
    dc.PolyPolyline(lines);
    int row = 0;
    for (int y = 0; y < h; y += rowH + 1, ++row) {
        int col = 0;
        for (int x = 0; x < w; x += colW + 1, ++col) {
            const TRect cell = Bounds(x, y, colW, rowH);
            if (row == 0 || col == 0) {
                TRect edge = cell;
                dc.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
            } else if (row == 3) {
                dc.FillRect(cell, Brush::Solid(GetSysColor(COLOR_HIGHLIGHT)));
            }
            dc.ExtTextOut(x + 2, y + 2, ETO_CLIPPED, &cell, u"cell 12");
        }
    }
}
} // namespace

static void BM_FullRepaint787x476(benchmark::State& state)
{
    headless::Session session;
    RegisterClass(WndClass{u"BenchGrid", 0, [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                               if (m != WM_PAINT)
                                   return DefWindowProc(h, m, w, l);
                               PAINTSTRUCT ps;
                               HDC dc = BeginPaint(h, ps);
                               PaintGridLike(*dc, 787, 476);
                               EndPaint(h, ps);
                               return 0;
                           }});
    const HWND form = CreateWindowEx(0, u"BenchGrid", u"Form1", WS_VISIBLE, 0, 0, 787, 476, {});
    UpdateWindow(form);
    for (auto _ : state) {
        InvalidateRect(form, nullptr, false);
        UpdateWindow(form);
    }
    state.SetItemsProcessed(state.iterations());
    DestroyWindow(form);
}
BENCHMARK(BM_FullRepaint787x476)->Unit(benchmark::kMillisecond);

static void BM_ScreenshotPng787x476(benchmark::State& state)
{
    Bitmap b(787, 476);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.ToPng());
}
BENCHMARK(BM_ScreenshotPng787x476)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
