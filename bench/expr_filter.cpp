// Cost per record of compiled filter expressions over an in-memory table
// shaped like the program's (codigo integer, nome string(50)): the filter
// text goes through the filter parser, the engine compiles the blob, and the
// program runs on every record buffer. Goal for nome LIKE 'A%': <= 30 ns/record.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/ustring.h"
#include "data/filter/filter_parser.h"
#include "engine/expr/expr_collation.h"
#include "engine/expr/expr_program.h"
#include "engine/expr/expr_record.h"

using namespace engine;
using namespace engine::expr;

namespace {

constexpr int kRecords = 1'000'000;

struct Table {
  IcuCollation collation{"pt_BR"};
  std::vector<DSFLDDesc> fields;
  std::unique_ptr<RecordBufferAccess> access;
  std::size_t recSize = 0;
  std::vector<std::uint8_t> rows;

  Table() {
    DSFLDDesc codigo{}, nome{};
    std::strcpy(codigo.szName, "codigo");
    codigo.iFldType = fldINT32;
    codigo.iFldLen = 4;
    std::strcpy(nome.szName, "nome");
    nome.iFldType = fldZSTRING;
    nome.iUnits1 = 50;
    nome.iFldLen = 51;
    nome.iFldOffsInRec = 4;
    codigo.iNullOffsInRec = 55;
    nome.iNullOffsInRec = 56;
    fields = {codigo, nome};
    access = std::make_unique<RecordBufferAccess>(fields, collation);
    recSize = 57;
    rows.assign(recSize * kRecords, 0);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> len(5, 50), letter(0, 25);
    for (int i = 0; i < kRecords; ++i) {
      std::uint8_t* r = &rows[recSize * static_cast<std::size_t>(i)];
      const std::int32_t code = i + 1;
      std::memcpy(r, &code, 4);
      const int n = len(rng);
      r[4] = static_cast<std::uint8_t>('A' + letter(rng));
      for (int k = 1; k < n; ++k) r[4 + k] = static_cast<std::uint8_t>('a' + letter(rng));
    }
  }
};

Table& TheTable() {
  static Table t;
  return t;
}

class Fields : public data::IFilterFieldSource {
 public:
  bool FindField(std::u16string_view name, data::TFilterFieldInfo& out) const override {
    for (const auto& f : AllFields())
      if (core::SameText(f.FieldName, name)) {
        out = f;
        return true;
      }
    return false;
  }
  std::vector<data::TFilterFieldInfo> AllFields() const override {
    data::TFilterFieldInfo codigo, nome;
    codigo.FieldNo = 1;
    codigo.FieldName = u"codigo";
    codigo.DataType = data::TFieldType::ftInteger;
    nome.FieldNo = 2;
    nome.FieldName = u"nome";
    nome.DataType = data::TFieldType::ftString;
    nome.Size = 50;
    return {codigo, nome};
  }
};

void RunFilter(benchmark::State& state, const char16_t* text, data::TFilterOptions options = {}) {
  Table& t = TheTable();
  static const Fields fields;
  data::TExprParser parser(fields, true, nullptr, u"", {data::TParserOption::poExtSyntax}, options, text);
  std::unique_ptr<ExprProgram> program;
  if (ExprProgram::Compile(parser.FilterData().data(), parser.FilterData().size(), *t.access, program) != DBERR_NONE) {
    state.SkipWithError("compile failed");
    return;
  }
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = 0;
    for (int i = 0; i < kRecords; ++i) {
      t.access->SetRecord(&t.rows[t.recSize * static_cast<std::size_t>(i)]);
      Truth r = Truth::False;
      program->Test(*t.access, r);
      kept += r == Truth::True;
    }
    benchmark::DoNotOptimize(kept);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["kept"] = static_cast<double>(kept);
  state.counters["ns/record"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRecords,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LikePrefix(benchmark::State& s) { RunFilter(s, u"nome LIKE 'A%'"); }
void BM_LikeInfix(benchmark::State& s) { RunFilter(s, u"nome LIKE '%an%'"); }
void BM_LikeUnderscore(benchmark::State& s) { RunFilter(s, u"nome LIKE 'A_c%'"); }
void BM_LikeCaseless(benchmark::State& s) { RunFilter(s, u"nome LIKE 'a%'", {data::TFilterOption::foCaseInsensitive}); }
void BM_PartialCompare(benchmark::State& s) { RunFilter(s, u"nome = 'Al*'"); }
void BM_IntegerRange(benchmark::State& s) { RunFilter(s, u"codigo > 1000 and codigo < 500000"); }
void BM_IntegerIn(benchmark::State& s) { RunFilter(s, u"codigo in (1, 10, 100, 1000, 10000)"); }

}  // namespace

BENCHMARK(BM_LikePrefix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LikeInfix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LikeUnderscore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LikeCaseless)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartialCompare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntegerRange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntegerIn)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
