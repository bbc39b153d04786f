// What an expression sees of a table: its fields, the values of the record
// being evaluated and the table's string collation. The table engine
// implements this over stored slots or record buffers; RecordBufferAccess is
// the ready-made form over one record buffer laid out by field descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dstypes.h"

namespace engine::expr {

class IExprRecordAccess {
 public:
  virtual ~IExprRecordAccess() = default;
  virtual int FieldCount() const = 0;
  // Descriptor of field `fieldNo` (1-based); nullptr when out of range.
  virtual const DSFLDDesc* FieldDesc(int fieldNo) const = 0;
  // Of the current record: blank byte non-zero, and the field's storage
  // (iFldLen bytes laid out as the record layout describes).
  virtual bool IsNull(int fieldNo) const = 0;
  virtual const std::uint8_t* FieldValue(int fieldNo) const = 0;
  // The table's collation: <0, 0, >0. 8-bit text is UTF-8.
  virtual int CompareText(std::string_view a, std::string_view b, bool caseInsensitive) const = 0;
  virtual int CompareWideText(std::u16string_view a, std::u16string_view b, bool caseInsensitive) const = 0;
  // Encoding of 8-bit text: UTF-8 unless overridden (a table in a single-byte
  // code page counts one character per byte and converts through these).
  virtual bool TextIsUtf8() const { return true; }
  // Content of a memo (fldBLOB) field of the current record: 8-bit text, or
  // UTF-16LE bytes for a wide memo. False when blob contents are not
  // available through this access; expressions on memos then fail with
  // DBERR_NOTSUPPORTED.
  virtual bool BlobValue(int fieldNo, std::string& out) const {
    (void)fieldNo;
    (void)out;
    return false;
  }
  virtual std::u16string WidenText(std::string_view s) const;
  virtual std::string NarrowText(std::u16string_view s) const;
};

class IcuCollation;

// Record-buffer access: field data at iFldOffsInRec, blank byte at
// iNullOffsInRec. The descriptors must describe buffers of at least
// RecordSize() bytes; SetRecord selects the buffer to read.
class RecordBufferAccess : public IExprRecordAccess {
 public:
  RecordBufferAccess(std::vector<DSFLDDesc> fields, const IcuCollation& collation);

  void SetRecord(const std::uint8_t* record) noexcept { FRecord = record; }
  std::size_t RecordSize() const noexcept { return FRecordSize; }

  int FieldCount() const override { return static_cast<int>(FFields.size()); }
  const DSFLDDesc* FieldDesc(int fieldNo) const override;
  bool IsNull(int fieldNo) const override;
  const std::uint8_t* FieldValue(int fieldNo) const override;
  int CompareText(std::string_view a, std::string_view b, bool caseInsensitive) const override;
  int CompareWideText(std::u16string_view a, std::u16string_view b, bool caseInsensitive) const override;

 private:
  std::vector<DSFLDDesc> FFields;
  const IcuCollation& FCollation;
  const std::uint8_t* FRecord = nullptr;
  std::size_t FRecordSize = 0;
};

}  // namespace engine::expr
