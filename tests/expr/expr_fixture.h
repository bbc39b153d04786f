// A small table for expression tests: field descriptors laid out like the
// engine's record buffers and records filled field by field.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/dstypes.h"
#include "engine/expr/expr_builder.h"
#include "engine/expr/expr_collation.h"
#include "engine/expr/expr_program.h"
#include "engine/expr/expr_record.h"

namespace exprtest {

using namespace engine;
using namespace engine::expr;

inline DSFLDDesc Desc(const char* name, std::int32_t type, std::int32_t len, std::int32_t units = 0) {
  DSFLDDesc d{};
  std::strncpy(d.szName, name, sizeof d.szName - 1);
  d.iFldType = type;
  d.iFldLen = len;
  d.iUnits1 = units;
  return d;
}

// Offsets and blank bytes as the record layout puts them.
inline std::vector<DSFLDDesc> Layout(std::vector<DSFLDDesc> f) {
  std::int32_t off = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    f[i].iFldOffsInRec = off;
    f[i].iFieldID = static_cast<std::uint16_t>(i + 1);
    off += f[i].iFldLen;
  }
  for (std::size_t i = 0; i < f.size(); ++i) f[i].iNullOffsInRec = off + static_cast<std::int32_t>(i);
  return f;
}

// codigo, nome, preco, nasc, ativo, wnome, grande, hora, pequeno
inline std::vector<DSFLDDesc> TestFields() {
  return Layout({Desc("codigo", fldINT32, 4), Desc("nome", fldZSTRING, 51, 50), Desc("preco", fldFLOAT, 8),
                 Desc("nasc", fldDATE, 4), Desc("ativo", fldBOOL, 2), Desc("wnome", fldUNICODE, 42, 40),
                 Desc("grande", fldINT64, 8), Desc("hora", fldTIME, 4), Desc("pequeno", fldINT16, 2)});
}

enum Fld { kCodigo = 1, kNome, kPreco, kNasc, kAtivo, kWNome, kGrande, kHora, kPequeno };

class Record {
 public:
  explicit Record(const std::vector<DSFLDDesc>& f) : F(f), Buf(f.back().iNullOffsInRec + 1, 0) {
    for (const auto& d : F) Buf[static_cast<std::size_t>(d.iNullOffsInRec)] = BLANK_NULL;
  }
  template <class T>
  Record& Set(int no, T v) {
    const auto& d = F[static_cast<std::size_t>(no - 1)];
    std::memset(&Buf[static_cast<std::size_t>(d.iFldOffsInRec)], 0, static_cast<std::size_t>(d.iFldLen));
    std::memcpy(&Buf[static_cast<std::size_t>(d.iFldOffsInRec)], &v, sizeof v);
    Buf[static_cast<std::size_t>(d.iNullOffsInRec)] = 0;
    return *this;
  }
  Record& Str(int no, const std::string& s) {
    const auto& d = F[static_cast<std::size_t>(no - 1)];
    std::memset(&Buf[static_cast<std::size_t>(d.iFldOffsInRec)], 0, static_cast<std::size_t>(d.iFldLen));
    std::memcpy(&Buf[static_cast<std::size_t>(d.iFldOffsInRec)], s.data(),
                std::min(s.size(), static_cast<std::size_t>(d.iFldLen - 1)));
    Buf[static_cast<std::size_t>(d.iNullOffsInRec)] = 0;
    return *this;
  }
  Record& WStr(int no, const std::u16string& s) {
    const auto& d = F[static_cast<std::size_t>(no - 1)];
    auto* p = &Buf[static_cast<std::size_t>(d.iFldOffsInRec)];
    const auto bytes = static_cast<std::uint16_t>(s.size() * 2);
    std::memcpy(p, &bytes, 2);
    std::memcpy(p + 2, s.data(), bytes);
    Buf[static_cast<std::size_t>(d.iNullOffsInRec)] = 0;
    return *this;
  }
  Record& Null(int no) {
    Buf[static_cast<std::size_t>(F[static_cast<std::size_t>(no - 1)].iNullOffsInRec)] = BLANK_NULL;
    return *this;
  }
  const std::uint8_t* data() const { return Buf.data(); }

 private:
  std::vector<DSFLDDesc> F;
  std::vector<std::uint8_t> Buf;
};

struct Table {
  IcuCollation collation{"en"};
  std::vector<DSFLDDesc> fields = TestFields();
  RecordBufferAccess access{fields, collation};
  Record NewRecord() const { return Record(fields); }
};

// Day number of a calendar date (1 = 0001-01-01).
std::int32_t DayNo(int y, int m, int d);

// Compiles `tree` (through a blob, so the reader takes part) against `t`.
EngineResult CompileTree(const ExprNode& tree, Table& t, std::unique_ptr<ExprProgram>& out);

}  // namespace exprtest
