// Fuzz target: any bytes given to AppendData either fail with a result code
// or give a table that writes a packet which reads back to the same packet.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/dsintf.h"

using namespace engine;

namespace {
[[noreturn]] void Fail(const char* what, EngineResult r) {
  std::fprintf(stderr, "packet round trip failed: %s (%u)\n", what, static_cast<unsigned>(r));
  std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kEmpty = 0;
  DSRef<IDSBase> t;
  if (CreateDSBase(t.put()) != DBERR_NONE) std::abort();
  if (t->AppendData(size ? data : &kEmpty, size, 1) != DBERR_NONE) return 0;

  // walk every record and field through a cursor
  DSProps props{};
  t->GetProps(&props);
  std::vector<DSFLDDesc> fields(static_cast<std::size_t>(props.iFields));
  t->GetFieldDescs(fields.data());
  DSRef<IDSCursor> c;
  if (CreateDSCursor(c.put()) != DBERR_NONE || c->InitCursor(t.get()) != DBERR_NONE) std::abort();
  std::vector<std::uint8_t> rec(static_cast<std::size_t>(props.iRecBufSize));
  std::vector<std::uint8_t> value(70000);
  while (c->MoveRelative(1) == DBERR_NONE) {
    if (c->GetCurrentRecord(rec.data()) != DBERR_NONE) std::abort();
    for (std::uint32_t f = 1; f <= fields.size(); ++f) {
      DSBool blank = 0;
      c->GetField(nullptr, f, value.data(), &blank);
      if (fields[f - 1].iFldType == fldBLOB) {
        std::uint32_t len = static_cast<std::uint32_t>(value.size());
        c->GetBlob(nullptr, f, 0, value.data(), &len);
      }
    }
  }

  DSPacket p1, p2;
  if (EngineResult r = t->StreamDS(&p1)) Fail("first write", r);
  DSRef<IDSBase> t2;
  if (CreateDSBase(t2.put()) != DBERR_NONE) std::abort();
  if (EngineResult r = t2->AppendData(p1.data(), p1.size(), 1)) Fail("reading the written packet", r);
  if (EngineResult r = t2->StreamDS(&p2)) Fail("second write", r);
  if (p1 != p2) Fail("packets differ", 0);
  return 0;
}
