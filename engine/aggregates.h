// Cursor aggregates: sum, min, max, count and avg of an expression over the
// records a cursor shows (its order, filters and range), over all of them
// (group level 0) or over the group of the current record, the records that
// share its first n key fields of the current order (group level n).
//
// Values are computed when asked for and kept until the table, the order,
// the cursor's range or the current group changes: edits, undo and filters
// all show up in those, so a value is never stale and nothing is paid on
// edits by cursors that never ask.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/dstypes.h"
#include "engine/expr/expr_program.h"

namespace engine {

class DSIndex;
struct TableData;
class StoredRecordAccess;

enum class AggKind : std::uint8_t { Sum, Min, Max, Count, Avg };

struct AggregateDef {
  hDSAggregate handle = 0;
  std::uint32_t level = 0;
  AggKind kind = AggKind::Count;
  std::shared_ptr<expr::ExprProgram> arg;  // none for count(*)
  int argField = 0;                        // argument that is a plain field: its number
  DSFLDDesc desc{};                        // type and size of the value

  // last computed value and what it was computed over
  bool cached = false;
  std::uint64_t stampSeen = 0;
  const DSIndex* orderSeen = nullptr;
  std::uint32_t orderIdSeen = 0;
  std::uint32_t modSeen = 0;
  std::int64_t fromSeen = 0, toSeen = -1;
  bool blank = true;
  EngineResult error = DBERR_NONE;
  std::vector<std::uint8_t> value;  // desc.iFldLen bytes
};

// Decodes and checks an aggregate expression: the root must be one of the
// aggregate functions over one argument (count(*) over none) that contains
// no aggregate itself. DBERR_INVALIDPARAM for a damaged blob or a root that
// is no aggregate, DBERR_NOTSUPPORTED for aggregates inside expressions or
// inside aggregates, DBERR_TYPEMISMATCH for sum/avg of a non-number.
EngineResult MakeAggregate(const std::uint8_t* blob, std::size_t size, const expr::IExprRecordAccess& fields,
                           AggregateDef& out);

// Computes `a` over positions from..to of `order` (to < from: no records).
void ComputeAggregate(AggregateDef& a, const TableData& data, StoredRecordAccess& access, const DSIndex& order,
                      std::int64_t from, std::int64_t to);

}  // namespace engine
