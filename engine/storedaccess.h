// StoredRecordAccess: what an expression sees of a stored record (or of a
// record buffer in the table's layout) for filters, aggregates and
// constraints.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/expr/expr_record.h"
#include "engine/tabledata.h"

namespace engine {

// What an expression sees of a stored record (or of a record buffer in the
// table's layout): the table's fields, its code page and collation.
class StoredRecordAccess final : public expr::IExprRecordAccess {
 public:
  explicit StoredRecordAccess(const TableData& t) : t_(t) {}
  void SetRecord(const std::uint8_t* rec) { rec_ = rec; }

  int FieldCount() const override { return static_cast<int>(t_.fields.size()); }
  const DSFLDDesc* FieldDesc(int fieldNo) const override {
    if (fieldNo < 1 || fieldNo > FieldCount()) return nullptr;
    return &t_.fields[static_cast<std::size_t>(fieldNo - 1)];
  }
  bool IsNull(int fieldNo) const override { return rec_[FieldDesc(fieldNo)->iNullOffsInRec] != BLANK_NONE; }
  const std::uint8_t* FieldValue(int fieldNo) const override { return rec_ + FieldDesc(fieldNo)->iFldOffsInRec; }
  int CompareText(std::string_view a, std::string_view b, bool ci) const override {
    return t_.coll->Compare(a.data(), a.size(), b.data(), b.size(), ci);
  }
  int CompareWideText(std::u16string_view a, std::u16string_view b, bool ci) const override {
    // wide text compares through the table's code page only for the 8-bit
    // side; both wide: convert each to the collation's own UTF-16 input
    const std::string na = t_.coll->FromUtf16(a.data(), a.size());
    const std::string nb = t_.coll->FromUtf16(b.data(), b.size());
    if (TextIsUtf8()) return t_.coll->Compare(na.data(), na.size(), nb.data(), nb.size(), ci);
    // a single-byte code page cannot hold every character: compare the code units
    if (t_.coll->ToUtf16(na.data(), na.size()) != a || t_.coll->ToUtf16(nb.data(), nb.size()) != b)
      return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return t_.coll->Compare(na.data(), na.size(), nb.data(), nb.size(), ci);
  }
  bool TextIsUtf8() const override { return t_.coll->codePage() == 65001; }
  std::u16string WidenText(std::string_view s) const override { return t_.coll->ToUtf16(s.data(), s.size()); }
  std::string NarrowText(std::u16string_view s) const override { return t_.coll->FromUtf16(s.data(), s.size()); }

 private:
  const TableData& t_;
  const std::uint8_t* rec_ = nullptr;
};

}  // namespace engine
