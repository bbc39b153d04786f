// Owned-component bookkeeping at growing counts: creating and naming owned
// components, looking them up by name, and destroying them with their owner.
// Each benchmark reports us_per_op, the microseconds one component costs;
// the figures should stay flat from a thousand to a million components.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "components/component.h"

using components::TComponent;

namespace {

std::vector<std::u16string> MakeNames(int64_t count)
{
    std::vector<std::u16string> names;
    names.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        // Zero-padded: creation order is name order, as in a form where each
        // new component gets the next number.
        char buf[32];
        std::snprintf(buf, sizeof buf, "Component%07lld", static_cast<long long>(i));
        std::string s = buf;
        names.emplace_back(s.begin(), s.end());
    }
    return names;
}

// Owner with `count` named components; its sorted name list already built.
std::unique_ptr<TComponent> MakeOwner(const std::vector<std::u16string>& names)
{
    auto owner = std::make_unique<TComponent>(nullptr);
    owner->FindComponent(u"x");
    for (const auto& n : names)
        (new TComponent(owner.get()))->SetName(n);
    return owner;
}

// CPU time of this thread: the machine is shared, wall time is noisy.
struct Clock {
    using duration = std::chrono::nanoseconds;
    static duration now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    }
};

// Accumulates the measured time and operations of every iteration.
struct Tally {
    double Seconds = 0;
    int64_t Ops = 0;
    void Add(benchmark::State& state, Clock::duration elapsed, int64_t ops)
    {
        const double s = std::chrono::duration<double>(elapsed).count();
        state.SetIterationTime(s);
        Seconds += s;
        Ops += ops;
    }
    void Report(benchmark::State& state) const
    {
        if (Ops > 0)
            state.counters["us_per_op"] = Seconds * 1e6 / static_cast<double>(Ops);
    }
};

// Create and name `count` owned components (names kept sorted as they come).
void BM_CreateNamed(benchmark::State& state)
{
    const auto names = MakeNames(state.range(0));
    Tally tally;
    for (auto _ : state) {
        auto owner = std::make_unique<TComponent>(nullptr);
        owner->FindComponent(u"x");
        const auto start = Clock::now();
        for (const auto& n : names)
            (new TComponent(owner.get()))->SetName(n);
        tally.Add(state, Clock::now() - start, state.range(0));
        owner.reset();
    }
    tally.Report(state);
}

// Destroy an owner with `count` components: most recent first, each removal
// taking the last entry.
void BM_DestroyOwned(benchmark::State& state)
{
    const auto names = MakeNames(state.range(0));
    Tally tally;
    for (auto _ : state) {
        auto owner = MakeOwner(names);
        const auto start = Clock::now();
        owner.reset();
        tally.Add(state, Clock::now() - start, state.range(0));
    }
    tally.Report(state);
}

// Look names up (in a different letter case) among `count` owned components.
void BM_FindComponent(benchmark::State& state)
{
    const auto names = MakeNames(state.range(0));
    auto owner = MakeOwner(names);
    std::vector<std::u16string> probes;
    std::mt19937 rng(42);
    std::uniform_int_distribution<size_t> pick(0, names.size() - 1);
    for (int i = 0; i < 4096; ++i) {
        std::u16string p = names[pick(rng)];
        p[0] = u'c'; // "component..." matches "Component..."
        probes.push_back(std::move(p));
    }
    constexpr int kLookups = 100000;
    Tally tally;
    for (auto _ : state) {
        const auto start = Clock::now();
        size_t found = 0;
        for (int i = 0; i < kLookups; ++i)
            found += owner->FindComponent(probes[static_cast<size_t>(i) & 4095]) != nullptr;
        benchmark::DoNotOptimize(found);
        tally.Add(state, Clock::now() - start, kLookups);
    }
    tally.Report(state);
}

} // namespace

BENCHMARK(BM_CreateNamed)->RangeMultiplier(10)->Range(1000, 1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DestroyOwned)->RangeMultiplier(10)->Range(1000, 1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindComponent)->RangeMultiplier(10)->Range(1000, 1000000)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
