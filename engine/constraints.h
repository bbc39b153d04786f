// Record and field constraints of a table. They come with the table's
// attributes "QORRECORD_X"/"QORRECORD_CL" (record constraints, checked on
// every insert and modification) and "QORDOMAIN_X"/"QORDOMAIN_CL" (field
// constraints, checked by VerifyField for the fields they read). Each value
// is one constraint entry:
//
//   int32 message length L, int32 (not used), flag byte, L bytes of message,
//   expression blob
//
// Every length is checked against the bytes actually present; a damaged
// entry makes the checks fail with "Mismatch in datapacket." rather than
// letting edits pass unchecked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/dstypes.h"
#include "engine/expr/expr_program.h"

namespace engine {

struct OptParam;
struct TableData;
class StoredRecordAccess;

// Longest message a constraint hands to GetErrorString.
constexpr std::size_t kConstraintMessageMax = 127;

struct ConstraintEntry {
  bool fieldLevel = false;  // from "QORDOMAIN_*"
  bool requiredFlag = false;
  std::string message;      // up to its terminator; cut when handed out
  std::vector<std::uint8_t> blob;
  std::shared_ptr<expr::ExprProgram> program;
};

// Splits one entry (the attribute's bytes without their length prefix).
// DBERR_DATAPACKETMISMATCH when a length does not fit what is there.
EngineResult ParseConstraintEntry(const std::uint8_t* p, std::size_t size, ConstraintEntry& out);

class ConstraintSet {
 public:
  // Reads the constraint attributes of a table and compiles them, unless they
  // are the ones already read.
  EngineResult Refresh(const std::vector<OptParam>& params, const TableData& data);
  bool Empty() const { return entries_.empty(); }
  // True when a field constraint reads the field.
  bool HasFieldConstraint(std::uint32_t fieldNo) const;
  // Fields read alone by a constraint whose flag byte is set.
  std::vector<int> RequiredFields() const;

  // Evaluates the record constraints (fieldNo 0) or the field constraints
  // that read `fieldNo` on a record in the table's layout, in the order they
  // came. The first false one gives DBERR_CONSTRAINTFAILED and its message
  // (empty when it has none). An unknown result (a blank operand) passes.
  EngineResult Check(std::uint32_t fieldNo, const std::uint8_t* rec, StoredRecordAccess& access,
                     std::string& message);

 private:
  std::vector<std::uint8_t> key_;  // what the entries were read from
  bool read_ = false;
  EngineResult built_ = DBERR_NONE;
  std::vector<ConstraintEntry> entries_;
};

}  // namespace engine
