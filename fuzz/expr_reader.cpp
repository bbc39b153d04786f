// libFuzzer target: arbitrary bytes as an expression blob. The reader must
// answer with a result code; a blob it accepts must survive a write/read
// round trip unchanged and compile and evaluate without faults.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/expr/expr_builder.h"
#include "engine/expr/expr_collation.h"
#include "engine/expr/expr_program.h"
#include "engine/expr/expr_reader.h"

using namespace engine;
using namespace engine::expr;

namespace {

DSFLDDesc Desc(const char* name, std::int32_t type, std::int32_t len) {
  DSFLDDesc d{};
  std::strncpy(d.szName, name, sizeof d.szName - 1);
  d.iFldType = type;
  d.iFldLen = len;
  return d;
}

std::vector<DSFLDDesc> Fields() {
  std::vector<DSFLDDesc> f = {Desc("codigo", fldINT32, 4),   Desc("nome", fldZSTRING, 51), Desc("preco", fldFLOAT, 8),
                              Desc("nasc", fldDATE, 4),      Desc("ativo", fldBOOL, 2),    Desc("wnome", fldUNICODE, 42),
                              Desc("grande", fldINT64, 8),   Desc("hora", fldTIME, 4),     Desc("valor", fldBCD, 18),
                              Desc("quando", fldDATETIME, 16)};
  std::int32_t off = 0;
  for (auto& d : f) {
    d.iFldOffsInRec = off;
    off += d.iFldLen;
  }
  for (std::size_t i = 0; i < f.size(); ++i) f[i].iNullOffsInRec = off + static_cast<std::int32_t>(i);
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static IcuCollation collation("en");
  static RecordBufferAccess access(Fields(), collation);
  static std::vector<std::uint8_t> full = [] {
    std::vector<std::uint8_t> r(access.RecordSize(), 0);
    const std::int32_t codigo = -2147483647 - 1;
    std::memcpy(r.data(), &codigo, 4);
    std::memcpy(r.data() + 4, "Alice", 5);
    return r;
  }();
  static std::vector<std::uint8_t> blank = [] {
    std::vector<std::uint8_t> r(access.RecordSize(), 0);
    for (int i = 1; i <= access.FieldCount(); ++i) r[static_cast<std::size_t>(access.FieldDesc(i)->iNullOffsInRec)] = 1;
    return r;
  }();

  ExprNode tree;
  if (DecodeBlob(data, size, tree) != DBERR_NONE) return 0;
  std::vector<std::uint8_t> again;
  if (EncodeTree(tree, again) == DBERR_NONE) {
    ExprNode back;
    if (DecodeBlob(again.data(), again.size(), back) != DBERR_NONE || !(back == tree)) std::abort();
  }
  std::unique_ptr<ExprProgram> program;
  if (ExprProgram::Compile(tree, access, program) != DBERR_NONE) return 0;
  for (const auto* rec : {&full, &blank}) {
    access.SetRecord(rec->data());
    Value v;
    (void)program->Evaluate(access, v);
  }
  return 0;
}
