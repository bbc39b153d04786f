// XML packets of the main form's layout (codigo int32, nome string 50) with
// 1,000,000 rows: save (StreamDS in xmlON) and load (AppendData) against the
// bare pugixml parse of the same document; the binary packet for scale.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <random>
#include <string>

#include "engine/dsintf.h"
#include "main_form_layout.h"

using namespace engine;

namespace {

constexpr std::int32_t kRows = 1000000;

const DSPacket& Binary() {
  static const DSPacket packet = [] {
    std::mt19937 rng(42);
    static const char* syll[] = {"an", "ba", "ca", "do", "el", "fa", "gu", "ha", "Jo", "ka",
                                 "Lu", "ma", "ne", "ol", "pa", "ri", "Sa", "te", "u",  "vi"};
    DSRef<IDSWriter> w;
    CreateDSWriter(w.put());
    bench_layout::DescribeMainFormTable(*w);
    const std::uint8_t status = 0;
    for (std::int32_t i = 0; i < kRows; ++i) {
      std::string name;
      const int parts = 2 + static_cast<int>(rng() % 5);
      for (int p = 0; p < parts; ++p) name += syll[rng() % 20];
      if (rng() % 3 == 0) name += " da Silva";
      if (rng() % 50 == 0) name += " & Filhos";  // something to escape now and then
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

DSRef<IDSBase> Table(const DSPacket& p) {
  DSRef<IDSBase> t;
  CreateDSBase(t.put());
  if (t->AppendData(p.data(), p.size(), 1) != DBERR_NONE) std::abort();
  return t;
}

const DSPacket& Xml() {
  static const DSPacket xml = [] {
    auto t = Table(Binary());
    t->SetProp(dspropXML_STREAMMODE, xmlON);
    DSPacket x;
    if (t->StreamDS(&x) != DBERR_NONE) std::abort();
    return x;
  }();
  return xml;
}

void BM_XmlSave(benchmark::State& state) {
  auto t = Table(Binary());
  t->SetProp(dspropXML_STREAMMODE, xmlON);
  for (auto _ : state) {
    DSPacket x;
    t->StreamDS(&x);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Xml().size()));
}

void BM_XmlLoad(benchmark::State& state) {
  Xml();  // built outside the timed loop when this benchmark runs alone
  for (auto _ : state) {
    auto t = Table(Xml());
    benchmark::DoNotOptimize(t.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Xml().size()));
}

// The same document through pugixml alone, with the options the reader uses
// and with pugixml's defaults (escapes and whitespace conversion).
void BM_PugixmlParseMinimal(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document d;
    d.load_buffer(Xml().data(), Xml().size(), pugi::parse_minimal, pugi::encoding_utf8);
    benchmark::DoNotOptimize(d.first_child());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Xml().size()));
}

void BM_PugixmlParseDefault(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document d;
    d.load_buffer(Xml().data(), Xml().size(), pugi::parse_default, pugi::encoding_utf8);
    benchmark::DoNotOptimize(d.first_child());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Xml().size()));
}

void BM_BinaryLoad(benchmark::State& state) {
  for (auto _ : state) {
    auto t = Table(Binary());
    benchmark::DoNotOptimize(t.get());
  }
}

void BM_BinarySave(benchmark::State& state) {
  auto t = Table(Binary());
  for (auto _ : state) {
    DSPacket x;
    t->StreamDS(&x);
    benchmark::DoNotOptimize(x.data());
  }
}

}  // namespace

BENCHMARK(BM_XmlSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlParseMinimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlParseDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarySave)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
