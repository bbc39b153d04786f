// MoveBy(1) across the in-memory test dataset with one data link of 11
// rows attached: the cost of a step must not depend on the dataset's size.
#include <benchmark/benchmark.h>

#include <memory>

#include "../tests/dataset/mem_dataset.h"
#include "data/data_source.h"

namespace {

void MoveByOne(benchmark::State& state)
{
    const int records = static_cast<int>(state.range(0));
    components::TComponent owner(nullptr);
    auto* ds = new memds::TMemDataSet(&owner, {{u"codigo", data::TFieldType::ftInteger, 0}});
    ds->FillInts(records);
    auto* src = new data::TDataSource(&owner);
    src->SetDataSet(ds);
    data::TDataLink link;
    link.SetBufferCount(11);
    link.SetDataSource(src);
    ds->Open();
    int64_t steps = 0;
    for (auto _ : state) {
        if (ds->MoveBy(1) == 0) {
            state.PauseTiming();
            ds->First();
            state.ResumeTiming();
        }
        ++steps;
    }
    benchmark::DoNotOptimize(ds->ActiveRecord());
    state.SetItemsProcessed(steps);
    link.SetDataSource(nullptr);
}

} // namespace

BENCHMARK(MoveByOne)->Arg(10000)->Arg(1000000)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
