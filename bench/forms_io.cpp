// Reading and writing form descriptions: the main form's description and a
// synthetic one of 10,000 components, raw (format only) and into live
// components. The "per_component" counter is the time per component.
#include <fstream>

#include <benchmark/benchmark.h>

#include "../tests/forms/standins.cpp" // the stand-in classes of the main form's components
#include "../tools/formtool/form_json.h"
#include "components/form_format_tree.h"

using namespace components;
using namespace standins;

namespace {

std::vector<uint8_t> Tform1()
{
    std::string dir = __FILE__;
    dir.resize(dir.find_last_of('/') + 1);
    std::ifstream in(dir + "../program/forms/TFORM1.json");
    return RawTreeToBytes(formjson::TreeFromJson(formjson::json::parse(in)));
}

constexpr int kSynthetic = 10000;

std::vector<uint8_t> Synthetic()
{
    TForm1 form(nullptr);
    form.SetName(u"Big");
    for (int i = 0; i < kSynthetic; ++i) {
        auto* g = new TDBGrid(&form);
        g->SetName(core::Format("Grid{}", i));
        g->SetParentComponent(&form);
        g->Left = i % 800;
        g->Top = i / 800;
        g->Width = 100 + i % 300;
        g->TabOrder = i;
        g->TitleFont()->Name = u"Segoe UI";
    }
    core::TMemoryStream out;
    WriteComponentToStream(out, &form);
    return out.Bytes();
}

void PerComponent(benchmark::State& state, int components)
{
    state.counters["per_component"] =
        benchmark::Counter(components, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ReadRaw(benchmark::State& state, const std::vector<uint8_t>& bytes, int components)
{
    for (auto _ : state) {
        core::TBytesView s(bytes.data(), bytes.size());
        TBinaryReader r(s);
        benchmark::DoNotOptimize(ReadRawTree(r));
    }
    PerComponent(state, components);
}

void ReadLive(benchmark::State& state, const std::vector<uint8_t>& bytes, int components)
{
    for (auto _ : state) {
        auto form = std::make_unique<TForm1>(nullptr);
        core::TBytesView s(bytes.data(), bytes.size());
        ReadComponentFromStream(s, form.get());
        benchmark::DoNotOptimize(form->ComponentCount());
        state.PauseTiming(); // destroying the form is not reading
        form.reset();
        TheLog().Clear();
        state.ResumeTiming();
    }
    PerComponent(state, components);
}

void WriteLive(benchmark::State& state, const std::vector<uint8_t>& bytes, int components)
{
    TForm1 form(nullptr);
    core::TBytesView s(bytes.data(), bytes.size());
    ReadComponentFromStream(s, &form);
    for (auto _ : state) {
        core::TMemoryStream out;
        WriteComponentToStream(out, &form);
        benchmark::DoNotOptimize(out.Size());
    }
    PerComponent(state, components);
    TheLog().Clear();
}

void BM_Tform1ReadRaw(benchmark::State& state) { ReadRaw(state, Tform1(), 7); }
void BM_Tform1Read(benchmark::State& state) { ReadLive(state, Tform1(), 7); }
void BM_Tform1Write(benchmark::State& state) { WriteLive(state, Tform1(), 7); }
void BM_Synthetic10kReadRaw(benchmark::State& state) { ReadRaw(state, Synthetic(), kSynthetic + 1); }
void BM_Synthetic10kRead(benchmark::State& state) { ReadLive(state, Synthetic(), kSynthetic + 1); }
void BM_Synthetic10kWrite(benchmark::State& state) { WriteLive(state, Synthetic(), kSynthetic + 1); }

} // namespace

BENCHMARK(BM_Tform1ReadRaw);
BENCHMARK(BM_Tform1Read);
BENCHMARK(BM_Tform1Write);
BENCHMARK(BM_Synthetic10kReadRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Synthetic10kRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Synthetic10kWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
