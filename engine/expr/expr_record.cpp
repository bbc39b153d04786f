// Default text conversions of record access, and access over record buffers.
#include "engine/expr/expr_record.h"

#include "core/ustring.h"
#include "engine/expr/expr_collation.h"

namespace engine::expr {

std::u16string IExprRecordAccess::WidenText(std::string_view s) const { return core::FromUtf8(s); }
std::string IExprRecordAccess::NarrowText(std::u16string_view s) const { return core::ToUtf8(s); }

RecordBufferAccess::RecordBufferAccess(std::vector<DSFLDDesc> fields, const IcuCollation& collation)
    : FFields(std::move(fields)), FCollation(collation) {
  for (const auto& f : FFields) {
    const auto end = static_cast<std::size_t>(f.iFldOffsInRec) + static_cast<std::size_t>(f.iFldLen);
    if (end > FRecordSize) FRecordSize = end;
    if (static_cast<std::size_t>(f.iNullOffsInRec) + 1 > FRecordSize)
      FRecordSize = static_cast<std::size_t>(f.iNullOffsInRec) + 1;
  }
}

const DSFLDDesc* RecordBufferAccess::FieldDesc(int fieldNo) const {
  if (fieldNo < 1 || fieldNo > static_cast<int>(FFields.size())) return nullptr;
  return &FFields[static_cast<std::size_t>(fieldNo - 1)];
}

bool RecordBufferAccess::IsNull(int fieldNo) const {
  return FRecord[FFields[static_cast<std::size_t>(fieldNo - 1)].iNullOffsInRec] != 0;
}

const std::uint8_t* RecordBufferAccess::FieldValue(int fieldNo) const {
  return FRecord + FFields[static_cast<std::size_t>(fieldNo - 1)].iFldOffsInRec;
}

int RecordBufferAccess::CompareText(std::string_view a, std::string_view b, bool caseInsensitive) const {
  return FCollation.Compare(a, b, caseInsensitive);
}

int RecordBufferAccess::CompareWideText(std::u16string_view a, std::u16string_view b,
                                        bool caseInsensitive) const {
  return FCollation.Compare(a, b, caseInsensitive);
}

}  // namespace engine::expr
