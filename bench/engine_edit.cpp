// Table engine editing on the main form's layout (codigo int32, nome string
// 50): 1,000,000 inserts through a cursor with the change log on and off
// (SQLite :memory: inserts of the same rows alongside when available), and
// UndoLastChange at the end of a 1,000,000-entry log.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/dsintf.h"
#include "main_form_layout.h"

#ifdef HAVE_SQLITE3
#include <sqlite3.h>
#endif

using namespace engine;

namespace {

constexpr std::int32_t kRows = 1000000;

DSPacket EmptyTable() {
  DSRef<IDSWriter> w;
  CreateDSWriter(w.put());
  bench_layout::DescribeMainFormTable(*w);
  DSPacket p;
  w->GetDataPacket(&p);
  return p;
}

struct Table {
  DSRef<IDSBase> t;
  DSRef<IDSCursor> c;
  std::vector<std::uint8_t> buf;
  explicit Table(bool log) {
    const DSPacket p = EmptyTable();
    CreateDSBase(t.put());
    t->AppendData(p.data(), p.size(), 1);
    t->SetProp(dspropLOGCHANGES, log);
    CreateDSCursor(c.put());
    c->InitCursor(t.get());
    DSProps props{};
    c->GetCursorProps(&props);
    buf.resize(static_cast<std::size_t>(props.iRecBufSize));
  }
  void Insert(std::int32_t i) {
    char name[24];
    std::snprintf(name, sizeof name, "Nome %d", i);
    c->InitRecord(buf.data());
    c->PutField(buf.data(), 1, &i);
    c->PutField(buf.data(), 2, name);
    c->InsertRecord(buf.data());
  }
};

void BM_InsertThroughCursor(benchmark::State& state) {
  const bool log = state.range(0) != 0;
  for (auto _ : state) {
    Table t(log);
    for (std::int32_t i = 0; i < kRows; ++i) t.Insert(i);
    std::int32_t n = 0;
    t.t->GetProp(dspropRECORDSINDS, &n);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetLabel(log ? "change log on" : "change log off");
}
BENCHMARK(BM_InsertThroughCursor)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

#ifdef HAVE_SQLITE3
void BM_SqliteInsert(benchmark::State& state) {
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, "CREATE TABLE t(codigo INTEGER, nome VARCHAR(50)); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?)", -1, &st, nullptr);
    char name[24];
    for (std::int32_t i = 0; i < kRows; ++i) {
      std::snprintf(name, sizeof name, "Nome %d", i);
      sqlite3_bind_int(st, 1, i);
      sqlite3_bind_text(st, 2, name, -1, SQLITE_TRANSIENT);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetLabel("sqlite :memory:, one transaction");
}
BENCHMARK(BM_SqliteInsert)->Unit(benchmark::kMillisecond)->Iterations(1);
#endif

// One undo at the end of a 1M-entry log, followed by the insert that puts
// the entry back (so every iteration sees the same log length).
void BM_UndoAtEndOfLongLog(benchmark::State& state) {
  static Table* t = [] {
    auto* tab = new Table(true);
    for (std::int32_t i = 0; i < kRows; ++i) tab->Insert(i);
    return tab;
  }();
  std::int32_t i = kRows;
  for (auto _ : state) {
    t->c->UndoLastChange(0);
    state.PauseTiming();
    t->Insert(i++);
    state.ResumeTiming();
  }
  state.SetLabel("log of 1,000,000 entries");
}
BENCHMARK(BM_UndoAtEndOfLongLog)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
