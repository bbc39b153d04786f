// Table engine on the main form's layout (codigo int32, nome string 50) with
// 1,000,000 rows: packet load and save against memcpy of the same bytes,
// cursor scan, index build on nome with collation, memory per record.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/dsintf.h"
#include "main_form_layout.h"
#include "engine/dstable.h"

using namespace engine;

namespace {

constexpr std::int32_t kRows = 1000000;

const DSPacket& Packet() {
  static const DSPacket packet = [] {
    std::mt19937 rng(42);
    static const char* syll[] = {"an", "ba", "ca", "do", "el", "fa", "gu", "ha", "Jo", "ka", "Lu", "ma", "ne", "ol", "pa", "ri", "Sa", "te", "u", "vi"};
    DSRef<IDSWriter> w;
    CreateDSWriter(w.put());
    bench_layout::DescribeMainFormTable(*w);
    const std::uint8_t status = 0;
    for (std::int32_t i = 0; i < kRows; ++i) {
      std::string name;
      const int parts = 2 + static_cast<int>(rng() % 5);
      for (int p = 0; p < parts; ++p) name += syll[rng() % 20];
      if (rng() % 3 == 0) name += " da Silva";
      w->PutField(fldIsChanged, 1, &status);
      w->PutField(fldIsChanged, 4, &i);
      w->PutField(fldIsChanged, static_cast<std::uint32_t>(name.size()), name.data());
    }
    DSPacket p;
    w->GetDataPacket(&p);
    return p;
  }();
  return packet;
}

DSRef<IDSBase> Loaded() {
  DSRef<IDSBase> t;
  CreateDSBase(t.put());
  t->AppendData(Packet().data(), Packet().size(), 1);
  return t;
}

void BM_LoadPacket(benchmark::State& state) {
  for (auto _ : state) {
    auto t = Loaded();
    benchmark::DoNotOptimize(t.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Packet().size()));
}
BENCHMARK(BM_LoadPacket)->Unit(benchmark::kMillisecond);

void BM_MemcpyPacket(benchmark::State& state) {
  std::vector<std::uint8_t> dst(Packet().size());
  for (auto _ : state) {
    std::memcpy(dst.data(), Packet().data(), Packet().size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Packet().size()));
}
BENCHMARK(BM_MemcpyPacket)->Unit(benchmark::kMillisecond);

void BM_SavePacket(benchmark::State& state) {
  auto t = Loaded();
  for (auto _ : state) {
    DSPacket p;
    t->StreamDS(&p);
    benchmark::DoNotOptimize(p.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Packet().size()));
}
BENCHMARK(BM_SavePacket)->Unit(benchmark::kMillisecond);

void BM_CursorScan(benchmark::State& state) {
  auto t = Loaded();
  DSRef<IDSCursor> c;
  CreateDSCursor(c.put());
  c->InitCursor(t.get());
  std::uint8_t rec[57];
  std::int64_t n = 0;
  for (auto _ : state) {
    c->MoveToBOF();
    while (c->MoveRelative(1) == DBERR_NONE) {
      c->GetCurrentRecord(rec);
      ++n;
    }
    benchmark::DoNotOptimize(rec);
  }
  state.counters["ns_per_record"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CursorScan)->Unit(benchmark::kMillisecond);

void BM_IndexBuildNome(benchmark::State& state) {
  auto t = Loaded();
  DSIDXDesc d{};
  std::strcpy(d.szName, "byNome");
  d.iFields = 1;
  d.iKeyFields[0] = 2;
  for (auto _ : state) {
    t->CreateIndex(&d);
    state.PauseTiming();
    t->RemoveIndex("byNome");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_IndexBuildNome)->Unit(benchmark::kMillisecond)->Iterations(3);

// Best of three, in process CPU time (the machine may be shared).
template <class F>
double BestSeconds(F f) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    best = std::min(best, static_cast<double>(b.tv_sec - a.tv_sec) + 1e-9 * static_cast<double>(b.tv_nsec - a.tv_nsec));
  }
  return best;
}

void PrintSummary() {
  const double mb = static_cast<double>(Packet().size()) / 1e6;
  std::vector<std::uint8_t> dst(Packet().size());
  const double tm = BestSeconds([&] {
    std::memcpy(dst.data(), Packet().data(), Packet().size());
    benchmark::ClobberMemory();
  });
  const double tl = BestSeconds([] { benchmark::DoNotOptimize(Loaded().get()); });
  auto t = Loaded();
  const double ts = BestSeconds([&] {
    DSPacket p;
    t->StreamDS(&p);
    benchmark::DoNotOptimize(p.data());
  });
  auto* base = static_cast<DSBASE*>(t.get());
  const double perRecord = static_cast<double>(base->MemoryBytes()) / kRows;
  std::printf("\npacket: %.1f MB, %d rows\n", mb, kRows);
  std::printf("(CPU time, best of 3)\nmemcpy %.0f MB/s | load %.0f MB/s (%.1f%% of memcpy) | save %.0f MB/s (%.1f%% of memcpy)\n", mb / tm,
              mb / tl, 100.0 * tm / tl, mb / ts, 100.0 * tm / ts);
  std::printf("memory per record: %.1f bytes = %.2f x the 57-byte record\n", perRecord, perRecord / 57.0);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
