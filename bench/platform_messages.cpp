// Message queue throughput: posting and dispatching a million messages.
#include <benchmark/benchmark.h>

#include "platform/headless.h"
#include "platform/window.h"

using namespace platform;

static void BM_DispatchPostedMessages(benchmark::State& state)
{
    headless::Session session;
    long handled = 0;
    RegisterClass(WndClass{u"BenchCounter", 0, [&handled](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                               if (m == WM_USER) {
                                   ++handled;
                                   return 0;
                               }
                               return DefWindowProc(h, m, w, l);
                           }});
    const HWND h = CreateWindowEx(0, u"BenchCounter", u"", 0, 0, 0, 10, 10, {});
    const int64_t n = state.range(0);
    for (auto _ : state) {
        for (int64_t i = 0; i < n; ++i)
            PostMessage(h, WM_USER, static_cast<WPARAM>(i), 0);
        MSG msg;
        while (PeekMessage(msg, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["ns_per_message"] =
        benchmark::Counter(static_cast<double>(state.iterations() * n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(handled);
    DestroyWindow(h);
}
BENCHMARK(BM_DispatchPostedMessages)->Arg(1000000)->Unit(benchmark::kMillisecond);

static void BM_SendMessage(benchmark::State& state)
{
    headless::Session session;
    const HWND h = CreateWindowEx(0, u"Static", u"", 0, 0, 0, 10, 10, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessage(h, WM_USER, 1, 2));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendMessage);

static void BM_CreateDestroyWindow(benchmark::State& state)
{
    headless::Session session;
    const HWND top = CreateWindowEx(0, u"Static", u"", WS_VISIBLE, 0, 0, 200, 100, {});
    for (auto _ : state) {
        const HWND c = CreateWindowEx(0, u"Static", u"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top);
        DestroyWindow(c);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateDestroyWindow);

BENCHMARK_MAIN();
