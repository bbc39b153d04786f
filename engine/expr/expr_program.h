// Compiled expressions: a blob (or decoded tree) bound to a table's fields and
// checked for types, evaluated on one record at a time.
//
// Blank (null) values: a field whose blank byte is set and a null constant
// are null. Arithmetic, functions and comparisons with a null operand give
// null, and a null condition is "unknown": NOT keeps it unknown, AND/OR follow
// three-valued logic, IN with a null left side is unknown. Filters keep a
// record only when the condition is true; IS NULL / IS NOT NULL never give
// unknown.
//
// Numbers: integer operands stay integers (32-bit unless an operand is 64-bit
// or unsigned 32-bit), coDIV of two integers truncates; an integer or float
// result that does not fit (division by zero, INT_MIN / -1, overflow) stops
// the evaluation with DBERR_OUTOFRANGE. Dates count in days: date + integer is
// a date, date + fraction and timestamp +/- number are timestamps, the
// difference of two dates or timestamps is a float number of days.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/dstypes.h"
#include "engine/expr/expr_record.h"
#include "engine/expr/expr_tree.h"

namespace engine::expr {

enum class VType : std::uint8_t { Null, Bool, Int, Float, Date, Time, Stamp, Str, WStr };

// A value during evaluation. Date: day number (1 = 0001-01-01) in i; Time:
// milliseconds of the day in i; Stamp: day number x 86,400,000 + milliseconds
// in f. Str is UTF-8. String views point into the record, the program's
// constants or its scratch space.
struct Value {
  VType type = VType::Null;
  bool b = false;
  std::int64_t i = 0;
  double f = 0;
  std::string_view s;
  std::u16string_view w;
};

enum class Truth : std::uint8_t { False, True, Unknown };

struct CNode;  // compiled node (expr_compiled.h)

class ExprProgram {
 public:
  ~ExprProgram();
  ExprProgram(const ExprProgram&) = delete;
  ExprProgram& operator=(const ExprProgram&) = delete;

  // Decode, validate and compile. Results: DBERR_INVALIDPARAM (damaged blob),
  // DBERR_NOTSUPPORTED (node kinds, functions or field types the engine does
  // not evaluate, aggregates), DBERR_TYPEMISMATCH (operands that cannot be
  // combined, wrong function arguments), DBERR_OBJNOTFOUND (a field name
  // that the table does not have), DBERR_NOMEMORY.
  static EngineResult Compile(const std::uint8_t* blob, std::size_t size, const IExprRecordAccess& fields,
                              std::unique_ptr<ExprProgram>& out);
  static EngineResult Compile(const ExprNode& root, const IExprRecordAccess& fields,
                              std::unique_ptr<ExprProgram>& out);

  VType ResultType() const noexcept;
  // Field number assigned by a coASSIGN root (default-value expressions), else 0.
  int AssignedField() const noexcept { return FAssignField; }
  // Field numbers the expression reads, ascending, without repeats.
  const std::vector<int>& FieldsRead() const noexcept { return FFieldsRead; }

  // Condition value of a Boolean expression on the record `rec` shows.
  // DBERR_TYPEMISMATCH when the expression is not Boolean.
  EngineResult Test(const IExprRecordAccess& rec, Truth& out);
  // Value of the expression (of the assigned expression for coASSIGN). The
  // string views in `out` stay valid until the next call on this program.
  EngineResult Evaluate(const IExprRecordAccess& rec, Value& out);

  // Not thread-safe: evaluation reuses scratch space held by the program.
  struct State;

 private:
  ExprProgram();
  std::unique_ptr<State> FState;
  int FAssignField = 0;
  std::vector<int> FFieldsRead;
};

}  // namespace engine::expr
