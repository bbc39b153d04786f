// The decoded form of an expression blob: a tree of nodes that owns its
// operands. The reader produces it after validating the blob, the builder can
// write it back, and the compiler turns it into an evaluation program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/expr/expr_codes.h"

namespace engine::expr {

struct ExprNode {
  NODEClass nodeClass = nodeNULL;
  TCANOperator op = coNOTDEFINED;

  // nodeCOMPARE: case-insensitive flag and partial length (0 = whole value).
  bool caseInsensitive = false;
  std::uint16_t partialLength = 0;

  // nodeFIELD: field number and name; nodeFUNC: function name.
  std::uint16_t fieldNo = 0;
  std::string name;

  // nodeCONST: engine type and the value bytes as stored (an empty value with
  // size 0 is a null constant). nodeLIST: element type, element size, element
  // count and the packed element values.
  std::int32_t valueType = 0;
  std::uint16_t elementSize = 0;
  std::uint16_t elementCount = 0;
  std::vector<std::uint8_t> value;

  // Unary: 1 operand; binary and compare: left, right; coIN: left, then either
  // one nodeLIST operand or the list elements; nodeFUNC: the arguments.
  std::vector<ExprNode> operands;

  friend bool operator==(const ExprNode&, const ExprNode&) = default;
};

// One-line S-expression of a tree, for tests and diagnostics, e.g.
//   (AND (GT (field 1 "codigo") (const fldINT32 10)) (LT (field 1 "codigo") (const fldINT32 20)))
// Compare nodes print their flags: (EQ ci=0 partial=3 (field 2 "nome") (const fldZSTRING "Sil")).
std::string DumpTree(const ExprNode& node);

// Convenience constructors for building trees in code.
ExprNode MakeField(std::uint16_t fieldNo, std::string name);
ExprNode MakeConst(std::int32_t type, std::vector<std::uint8_t> value);
ExprNode MakeIntConst(std::int32_t value);                 // fldINT32
ExprNode MakeFloatConst(double value);                     // fldFLOAT
ExprNode MakeStringConst(std::string_view utf8);           // fldZSTRING, zero-terminated
ExprNode MakeUnicodeConst(std::u16string_view text);       // fldUNICODE, length-prefixed
ExprNode MakeBoolConst(bool value);                        // fldBOOL
ExprNode MakeNullConst(std::int32_t type);
ExprNode MakeUnary(TCANOperator op, ExprNode operand);
ExprNode MakeBinary(TCANOperator op, ExprNode left, ExprNode right);
ExprNode MakeCompare(TCANOperator op, bool caseInsensitive, std::uint16_t partialLength,
                     ExprNode left, ExprNode right);
ExprNode MakeIn(ExprNode left, std::vector<ExprNode> elements);
ExprNode MakeFunc(std::string name, std::vector<ExprNode> args);

}  // namespace engine::expr
