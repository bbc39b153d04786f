// Internal form of a compiled expression, shared by the compiler, the
// evaluator and the functions. Not part of the engine's interface.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/expr/expr_like.h"
#include "engine/expr/expr_program.h"

namespace engine::expr {

enum class CKind : std::uint8_t { Field, Const, Not, And, Or, IsBlank, NotBlank, Neg, Compare, Like, In, Arith, Func };

// How two operands of a comparison meet.
enum class CmpClass : std::uint8_t { Null, Bool, Num, Str, WStr, Temporal };

enum class FuncId : std::uint8_t {
  Trim, TrimLeft, TrimRight, Upper, Lower, Substring, Year, Month, Day, Hour, Minute, Second, Date, Time, Now
};

struct CNode {
  CKind kind = CKind::Const;
  VType type = VType::Null;  // static result type (Null only for an untyped null constant)
  int intBits = 32;          // width of Int results: 32 or 64
  TCANOperator op = coNOTDEFINED;

  int fieldNo = 0;           // Field
  std::int32_t fldType = 0;
  std::int32_t fldLen = 0;

  Value constant;            // Const

  CmpClass cmp = CmpClass::Null;  // Compare, Like, In
  bool ci = false;
  std::uint16_t partial = 0;
  std::unique_ptr<LikePattern> pattern;  // Like with a constant pattern

  FuncId func = FuncId::Trim;  // Func
  std::vector<CNode> kids;
};

struct EvalError {
  EngineResult code;
};

struct ExprProgram::State {
  CNode root;
  std::deque<std::string> constStr;
  std::deque<std::u16string> constWStr;
  std::deque<std::string> scratch;
  std::deque<std::u16string> wscratch;
  std::size_t scratchUsed = 0;
  std::size_t wscratchUsed = 0;
  std::u16string unusedWide;  // wide store for values that need none
  VType assignType = VType::Null;
  bool utf8 = true;                // 8-bit text of the table is UTF-8  // type of the field a coASSIGN root sets
  // For a single-byte code page that widens byte by byte: the UTF-16 unit
  // of every byte (256 entries); empty otherwise.
  std::u16string byteMap;
  bool byteMapChecked = false;
  const IExprRecordAccess* rec = nullptr;

  std::string& NewScratch() {
    if (scratchUsed == scratch.size()) scratch.emplace_back();
    std::string& s = scratch[scratchUsed++];
    s.clear();
    return s;
  }
  std::u16string& NewWScratch() {
    if (wscratchUsed == wscratch.size()) wscratch.emplace_back();
    std::u16string& s = wscratch[wscratchUsed++];
    s.clear();
    return s;
  }
};

// Static value type of an engine field/constant type; false when expressions
// cannot use the type. `intBits` receives the integer width.
bool TypeOfEngineType(std::int32_t engineType, VType& type, int& intBits);
// Decodes `size` bytes of a value of `engineType`; wide strings and other
// values that need a copy go to `wideStore`. Returns false for a size that
// does not fit the type.
bool DecodeStored(std::int32_t engineType, const std::uint8_t* p, std::size_t size, Value& out,
                  std::u16string& wideStore);
// Milliseconds (Stamp scale) of a temporal value.
double TemporalMs(const Value& v);
// ISO text ("2022-04-20", "2022-04-20 14:30:05.123", "14:30:05") to a value of
// the temporal `type`; false when the text names no such value.
bool ParseTemporal(std::string_view text, VType type, Value& out);

Value CallFunction(const CNode& n, const Value* args, std::size_t count, ExprProgram::State& st);

}  // namespace engine::expr
