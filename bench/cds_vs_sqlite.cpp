// The client dataset against SQLite (:memory:, prepared statements, one
// transaction) on 1,000,000 rows shaped like the program's table (codigo
// 1..N shuffled, nome 5-50 random letters): append, index on nome under the
// same ICU collator, count nome LIKE 'A%', 10,000 key lookups, save and load.
// Each benchmark runs both sides once and reports both times and their ratio
// (client dataset / SQLite; below 1 means the client dataset is ahead).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "components/component.h"
#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/field_types.h"
#include "engine/collation.h"

#ifdef HAVE_SQLITE3
#include <sqlite3.h>
#endif

namespace {

constexpr int kRows = 1'000'000;
constexpr int kLookups = 10'000;

struct Rows {
    std::vector<int> codigo;
    std::vector<std::string> nome;
    Rows()
    {
        std::mt19937 rng(7);
        codigo.resize(kRows);
        for (int i = 0; i < kRows; ++i)
            codigo[static_cast<std::size_t>(i)] = i + 1;
        std::shuffle(codigo.begin(), codigo.end(), rng);
        std::uniform_int_distribution<int> len(5, 50), letter(0, 25), upper(0, 1);
        nome.resize(kRows);
        for (auto& n : nome) {
            const int l = len(rng);
            n.resize(static_cast<std::size_t>(l));
            for (auto& c : n)
                c = static_cast<char>((upper(rng) ? 'A' : 'a') + letter(rng));
        }
    }
};

const Rows& TheRows()
{
    static const Rows r;
    return r;
}

double Ms(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

struct Cds {
    std::unique_ptr<components::TComponent> owner = std::make_unique<components::TComponent>(nullptr);
    data::TClientDataSet* ds = nullptr;
    Cds()
    {
        ds = new data::TClientDataSet(owner.get());
        ds->SetName(u"ClientDataSet1");
        auto* codigo = new data::TIntegerField(owner.get());
        codigo->SetFieldName(u"codigo");
        codigo->SetDataSet(ds);
        auto* nome = new data::TStringField(owner.get());
        nome->SetFieldName(u"nome");
        nome->SetSize(50);
        nome->SetDataSet(ds);
        ds->CreateDataSet();
        ds->SetLogChanges(false);
    }
};

#ifdef HAVE_SQLITE3
int IcuCompare(void* coll, int la, const void* a, int lb, const void* b)
{
    return static_cast<const engine::Collation*>(coll)->Compare(static_cast<const char*>(a), static_cast<std::size_t>(la),
                                                                static_cast<const char*>(b), static_cast<std::size_t>(lb),
                                                                false);
}

struct Lite {
    sqlite3* db = nullptr;
    std::shared_ptr<const engine::Collation> coll = engine::Collation::Get(0, engine::kDefaultCodePage);
    Lite()
    {
        sqlite3_open(":memory:", &db);
        sqlite3_create_collation_v2(db, "ICU", SQLITE_UTF8, const_cast<engine::Collation*>(coll.get()), &IcuCompare,
                                    nullptr);
        sqlite3_exec(db, "CREATE TABLE t(codigo INTEGER, nome TEXT COLLATE ICU)", nullptr, nullptr, nullptr);
    }
    ~Lite() { sqlite3_close(db); }
};
#endif

struct World {
    Cds cds;
#ifdef HAVE_SQLITE3
    Lite lite;
#endif
};

World& TheWorld()
{
    static World w;
    return w;
}

void Report(benchmark::State& state, double cdsMs, double liteMs)
{
    state.counters["cds_ms"] = cdsMs;
    state.counters["sqlite_ms"] = liteMs;
    state.counters["ratio"] = liteMs > 0 ? cdsMs / liteMs : 0;
}

void BM_Append(benchmark::State& state)
{
    const Rows& r = TheRows();
    World& w = TheWorld();
    for (auto _ : state) {
        const double c = Ms([&] {
            auto* ds = w.cds.ds;
            ds->DisableControls();
            auto* codigo = ds->FieldByName(u"codigo");
            auto* nome = ds->FieldByName(u"nome");
            for (int i = 0; i < kRows; ++i) {
                ds->Append();
                codigo->SetAsInteger(r.codigo[static_cast<std::size_t>(i)]);
                nome->SetAsString(core::FromUtf8(r.nome[static_cast<std::size_t>(i)]));
                ds->Post();
            }
            ds->EnableControls();
        });
        double l = 0;
#ifdef HAVE_SQLITE3
        l = Ms([&] {
            sqlite3_exec(w.lite.db, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(w.lite.db, "INSERT INTO t VALUES(?, ?)", -1, &st, nullptr);
            for (int i = 0; i < kRows; ++i) {
                sqlite3_bind_int(st, 1, r.codigo[static_cast<std::size_t>(i)]);
                const std::string& n = r.nome[static_cast<std::size_t>(i)];
                sqlite3_bind_text(st, 2, n.data(), static_cast<int>(n.size()), SQLITE_STATIC);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
            sqlite3_finalize(st);
            sqlite3_exec(w.lite.db, "COMMIT", nullptr, nullptr, nullptr);
        });
#endif
        Report(state, c, l);
    }
}

void BM_IndexOnNome(benchmark::State& state)
{
    World& w = TheWorld();
    for (auto _ : state) {
        const double c = Ms([&] { w.cds.ds->SetIndexFieldNames(u"nome"); });
        double l = 0;
#ifdef HAVE_SQLITE3
        l = Ms([&] { sqlite3_exec(w.lite.db, "CREATE INDEX ixnome ON t(nome)", nullptr, nullptr, nullptr); });
#endif
        Report(state, c, l);
    }
}

void BM_FilterLikeCount(benchmark::State& state)
{
    World& w = TheWorld();
    for (auto _ : state) {
        int cdsCount = 0, liteCount = 0;
        const double c = Ms([&] {
            w.cds.ds->SetFilter(u"nome LIKE 'A%'");
            w.cds.ds->SetFilteredProp(true);
            cdsCount = w.cds.ds->RecordCount();
            w.cds.ds->SetFilteredProp(false);
        });
        double l = 0;
#ifdef HAVE_SQLITE3
        l = Ms([&] {
            sqlite3_stmt* st = nullptr;
            // LIKE in SQLite ignores ASCII case; GLOB is the case-sensitive prefix match
            sqlite3_prepare_v2(w.lite.db, "SELECT count(*) FROM t WHERE nome GLOB 'A*'", -1, &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                liteCount = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
        });
#endif
        Report(state, c, l);
        state.counters["cds_rows"] = cdsCount;
        state.counters["sqlite_rows"] = liteCount;
    }
}

void BM_FindKey(benchmark::State& state)
{
    const Rows& r = TheRows();
    World& w = TheWorld();
    for (auto _ : state) {
        int found = 0;
        const double c = Ms([&] {
            for (int i = 0; i < kLookups; ++i)
                found += w.cds.ds->FindKey({core::FromUtf8(r.nome[static_cast<std::size_t>(i * 97)])});
        });
        double l = 0;
#ifdef HAVE_SQLITE3
        l = Ms([&] {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(w.lite.db, "SELECT codigo, nome FROM t WHERE nome = ? LIMIT 1", -1, &st, nullptr);
            for (int i = 0; i < kLookups; ++i) {
                const std::string& n = r.nome[static_cast<std::size_t>(i * 97)];
                sqlite3_bind_text(st, 1, n.data(), static_cast<int>(n.size()), SQLITE_STATIC);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
            sqlite3_finalize(st);
        });
#endif
        Report(state, c, l);
        state.counters["cds_found"] = found;
    }
}

void BM_SaveAndLoad(benchmark::State& state)
{
    World& w = TheWorld();
    const std::string cdsFile = "/tmp/bench_cds_vs_sqlite.cds";
    const std::string liteFile = "/tmp/bench_cds_vs_sqlite.db";
    for (auto _ : state) {
        const double c = Ms([&] {
            w.cds.ds->SaveToFile(core::FromUtf8(cdsFile));
            Cds other;
            other.ds->Close();
            other.ds->LoadFromFile(core::FromUtf8(cdsFile));
        });
        double l = 0;
#ifdef HAVE_SQLITE3
        std::remove(liteFile.c_str());
        l = Ms([&] {
            sqlite3* file = nullptr;
            sqlite3_open(liteFile.c_str(), &file);
            sqlite3_backup* b = sqlite3_backup_init(file, "main", w.lite.db, "main");
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            sqlite3_close(file);
            Lite back;
            sqlite3* src = nullptr;
            sqlite3_open(liteFile.c_str(), &src);
            b = sqlite3_backup_init(back.db, "main", src, "main");
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            sqlite3_close(src);
        });
#endif
        Report(state, c, l);
    }
    std::remove(cdsFile.c_str());
    std::remove(liteFile.c_str());
}

} // namespace

BENCHMARK(BM_Append)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexOnNome)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterLikeCount)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindKey)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndLoad)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
