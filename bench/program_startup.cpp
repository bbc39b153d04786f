// The program itself on the headless backend: start-up to the first painted
// frame, memory after start-up, one key through the whole routing chain, and
// typing rows through the runner's script steps.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

#include "app/application.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "program/form1.h"
#include "tools/dataentry-script/runner.h"
#include "tools/dataentry-script/script.h"

namespace {

namespace hl = platform::headless;

void RegisterOnce()
{
    static const bool done = [] {
        program::RegisterProgram();
        return true;
    }();
    (void)done;
}

// Resident memory in KiB (Linux).
long ResidentKiB()
{
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * 4;
}

void StartAndPaint()
{
    app::Application->Initialize();
    app::Application->SetMainFormOnTaskBar(true);
    app::Application->CreateForm(program::Form1);
    program::Form1->SetVisible(true);
    app::Application->ProcessMessages();
}

void BM_StartupToFirstPaint(benchmark::State& state)
{
    RegisterOnce();
    long before = 0, after = 0;
    for (auto _ : state) {
        hl::Session session;
        before = ResidentKiB();
        app::RunEntryPoint([&] {
            StartAndPaint();
            after = ResidentKiB();
        });
    }
    state.counters["rss_growth_KiB"] = static_cast<double>(after - before);
    state.counters["rss_KiB"] = static_cast<double>(after);
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_KeyThroughRoutingChain(benchmark::State& state)
{
    RegisterOnce();
    hl::Session session;
    app::RunEntryPoint([&] {
        StartAndPaint();
        bool right = true;
        for (auto _ : state) {
            // Right and Left move between the grid's two data columns: the
            // key goes through the loop's filters, the echo, dialog keys and
            // the grid's handler, and repaints two cells.
            hl::PressKey(right ? platform::VK_RIGHT : platform::VK_LEFT);
            app::Application->ProcessMessages();
            right = !right;
        }
    });
}
BENCHMARK(BM_KeyThroughRoutingChain)->Unit(benchmark::kMicrosecond);

std::string RowsScript(int rows)
{
    std::string s;
    for (int i = 1; i <= rows; ++i)
        s += "type " + std::to_string(i) + "\nkey tab\ntype Name " + std::to_string(i) + "\nkey down\n";
    return s;
}

void BM_TypeRowsThroughScript(benchmark::State& state)
{
    RegisterOnce();
    const int rows = static_cast<int>(state.range(0));
    std::optional<runner::ScriptError> error;
    const auto steps = runner::ParseScript("key down\n" + RowsScript(rows), error);
    // Keys: the digits and letters typed plus the Tab and Down of each row.
    int64_t keys = 0;
    for (int i = 1; i <= rows; ++i)
        keys += static_cast<int64_t>(std::to_string(i).size() + ("Name " + std::to_string(i)).size() + 2);
    double seconds = 0;
    for (auto _ : state) {
        hl::Session session;
        runner::Runner run(steps);
        const auto start = std::chrono::steady_clock::now();
        app::RunEntryPoint([&] { run.Run(); });
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run.Failed())
            state.SkipWithError(run.FailedReason().c_str());
    }
    state.counters["keys"] = static_cast<double>(keys);
    state.counters["us_per_key"] = seconds * 1e6 / static_cast<double>(state.iterations() * keys);
}
BENCHMARK(BM_TypeRowsThroughScript)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
