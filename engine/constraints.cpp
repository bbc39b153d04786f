// Record and field constraints: reading them from the table's attributes,
// checking records against them, and the table and cursor operations that
// use them.
#include "engine/constraints.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "core/ustring.h"
#include "engine/dscursor.h"
#include "engine/dstable.h"
#include "engine/packetformat.h"
#include "engine/storedaccess.h"

namespace engine {

namespace {

enum class ConstraintAttr { None, Record, Field };

ConstraintAttr KindOf(const std::string& name) {
  for (const char* n : {"QORRECORD_X", "QORRECORD_CL"})
    if (strcasecmp(name.c_str(), n) == 0) return ConstraintAttr::Record;
  for (const char* n : {"QORDOMAIN_X", "QORDOMAIN_CL"})
    if (strcasecmp(name.c_str(), n) == 0) return ConstraintAttr::Field;
  return ConstraintAttr::None;
}

// The entry bytes of an attribute value: a varying byte string (its length
// prefix checked against the value), or a fixed one.
bool EntryBytes(const OptParam& a, const std::uint8_t*& p, std::size_t& n) {
  const std::uint32_t t = a.type & ~dsIncInDelta;
  if ((t & dsArrayFldType) || (BaseType(t) != dsfldBYTES && BaseType(t) != dsfldZSTRING)) return false;
  const std::size_t size = a.value.size();
  if (!IsVarying(t)) {
    if (SizeBits(t) != size) return false;
    p = a.value.data();
    n = size;
    return true;
  }
  const std::uint32_t w = SizeBits(t);
  if ((w != 1 && w != 2 && w != 4) || size < w) return false;
  const std::uint8_t* v = a.value.data();
  const std::uint64_t len = w == 1 ? v[0] : w == 2 ? std::uint32_t{v[0]} | std::uint32_t{v[1]} << 8 : Rd32(v);
  if (len != size - w) return false;
  p = v + w;
  n = static_cast<std::size_t>(len);
  return true;
}

}  // namespace

EngineResult ParseConstraintEntry(const std::uint8_t* p, std::size_t size, ConstraintEntry& out) {
  constexpr std::size_t kHead = 4 + 4 + 1;
  if (!p || size < kHead) return DBERR_DATAPACKETMISMATCH;
  const std::uint32_t raw = Rd32(p);
  // the length is signed in the entry: a negative one, or one running past
  // the entry, is damage and is never used to read
  if (raw & 0x80000000u) return DBERR_DATAPACKETMISMATCH;
  const std::size_t len = raw;
  if (len > size - kHead) return DBERR_DATAPACKETMISMATCH;
  out.requiredFlag = p[8] != 0;
  const char* msg = reinterpret_cast<const char*>(p + kHead);
  // the message ends at its terminator when it carries one; it is cut to
  // kConstraintMessageMax bytes when handed out
  out.message.assign(msg, strnlen(msg, len));
  out.blob.assign(p + kHead + len, p + size);
  if (out.blob.empty()) return DBERR_DATAPACKETMISMATCH;
  return DBERR_NONE;
}

EngineResult ConstraintSet::Refresh(const std::vector<OptParam>& params, const TableData& data) {
  // what the set depends on: the constraint attributes and the field layout
  std::vector<std::uint8_t> key;
  const std::int32_t layout[2] = {static_cast<std::int32_t>(data.fields.size()), data.recSize};
  key.insert(key.end(), reinterpret_cast<const std::uint8_t*>(layout),
             reinterpret_cast<const std::uint8_t*>(layout) + sizeof layout);
  for (const OptParam& a : params) {
    const ConstraintAttr kind = KindOf(a.name);
    if (kind == ConstraintAttr::None) continue;
    const std::uint32_t head[3] = {static_cast<std::uint32_t>(kind), a.type,
                                   static_cast<std::uint32_t>(a.value.size())};
    key.insert(key.end(), reinterpret_cast<const std::uint8_t*>(head),
               reinterpret_cast<const std::uint8_t*>(head) + sizeof head);
    key.insert(key.end(), a.value.begin(), a.value.end());
  }
  if (read_ && key == key_) return built_;
  key_ = std::move(key);
  read_ = true;
  entries_.clear();
  built_ = DBERR_NONE;
  StoredRecordAccess fields(data);
  for (const OptParam& a : params) {
    const ConstraintAttr kind = KindOf(a.name);
    if (kind == ConstraintAttr::None) continue;
    ConstraintEntry e;
    e.fieldLevel = kind == ConstraintAttr::Field;
    const std::uint8_t* p = nullptr;
    std::size_t n = 0;
    if (!EntryBytes(a, p, n)) return built_ = DBERR_DATAPACKETMISMATCH;
    if (EngineResult r = ParseConstraintEntry(p, n, e)) return built_ = r;
    std::unique_ptr<expr::ExprProgram> prog;
    if (EngineResult r = expr::ExprProgram::Compile(e.blob.data(), e.blob.size(), fields, prog)) return built_ = r;
    if (prog->ResultType() != expr::VType::Bool && prog->ResultType() != expr::VType::Null)
      return built_ = DBERR_TYPEMISMATCH;
    e.program = std::shared_ptr<expr::ExprProgram>(prog.release());
    entries_.push_back(std::move(e));
  }
  return built_;
}

EngineResult ConstraintSet::Check(std::uint32_t fieldNo, const std::uint8_t* rec, StoredRecordAccess& access,
                                  std::string& message) {
  access.SetRecord(rec);
  for (ConstraintEntry& e : entries_) {
    if (e.fieldLevel != (fieldNo != 0)) continue;
    if (fieldNo != 0) {
      bool reads = false;
      for (int f : e.program->FieldsRead()) reads = reads || f == static_cast<int>(fieldNo);
      if (!reads) continue;
    }
    expr::Truth t = expr::Truth::False;
    // a value the constraint cannot evaluate (an overflow, say) fails it
    const EngineResult r = e.program->Test(access, t);
    if (r != DBERR_NONE || t == expr::Truth::False) {
      message = e.message;
      return DBERR_CONSTRAINTFAILED;
    }
  }
  return DBERR_NONE;
}

bool ConstraintSet::HasFieldConstraint(std::uint32_t fieldNo) const {
  for (const ConstraintEntry& e : entries_)
    if (e.fieldLevel)
      for (int f : e.program->FieldsRead())
        if (f == static_cast<int>(fieldNo)) return true;
  return false;
}

std::vector<int> ConstraintSet::RequiredFields() const {
  std::vector<int> out;
  for (const ConstraintEntry& e : entries_)
    if (e.requiredFlag && e.program->FieldsRead().size() == 1) out.push_back(e.program->FieldsRead()[0]);
  return out;
}

// ---------------------------------------------------------------------------
// DSBASE

void DSBASE::MarkConstraintRequiredFields() {
  try {
    auto set = std::make_shared<ConstraintSet>();
    // a damaged entry is reported when records are edited; the entries
    // before it still mark their fields
    set->Refresh(tableParams_, d_);
    for (int f : set->RequiredFields())
      if (f >= 1 && static_cast<std::size_t>(f) <= d_.fields.size())
        d_.fields[static_cast<std::size_t>(f - 1)].iFldAttr |= fldAttrREQUIRED;
    constraints_ = std::move(set);
  } catch (...) {
    constraints_.reset();  // read again when records are edited
  }
}

EngineResult DSBASE::CheckConstraints(std::uint32_t fieldNo, const std::uint8_t* rec) {
  std::lock_guard lock(mu_);
  if (constraintsDisabled_) return DBERR_NONE;
  try {
    if (!constraints_) constraints_ = std::make_shared<ConstraintSet>();
    if (EngineResult r = constraints_->Refresh(tableParams_, d_)) return r;
    if (constraints_->Empty()) return DBERR_NONE;
    StoredRecordAccess access(d_);
    std::string message;
    const EngineResult r = constraints_->Check(fieldNo, rec, access, message);
    // a failure without a message of its own must not hand out an older one
    if (r == DBERR_CONSTRAINTFAILED) constraintMessage_ = std::move(message);
    return r;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
}

EngineResult DSBASE::FieldHasConstraints(std::uint32_t fieldNo, bool* any) {
  std::lock_guard lock(mu_);
  *any = false;
  if (constraintsDisabled_) return DBERR_NONE;
  try {
    if (!constraints_) constraints_ = std::make_shared<ConstraintSet>();
    if (EngineResult r = constraints_->Refresh(tableParams_, d_)) return r;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  *any = constraints_->HasFieldConstraint(fieldNo);
  return DBERR_NONE;
}

bool DSBASE::TakeConstraintMessage(char* buffer) {
  std::lock_guard lock(mu_);
  if (constraintMessage_.empty()) return false;
  std::string text = std::move(constraintMessage_);
  constraintMessage_.clear();
  std::size_t cap = kConstraintMessageMax;
  if (utf8ErrorMsg_ && d_.coll && d_.coll->codePage() != 65001) {
    // the message is in the table's code page; UTF-8 is asked for
    try {
      text = core::ToUtf8(d_.coll->ToUtf16(text.data(), text.size()));
    } catch (...) {
      text.clear();
    }
    cap = kConstraintMessageMax - 1;
  }
  std::size_t n = std::min(text.size(), cap);
  // never cut a UTF-8 sequence in two when the text is UTF-8
  if (n < text.size() && (utf8ErrorMsg_ || (d_.coll && d_.coll->codePage() == 65001)))
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return true;
}

// ---------------------------------------------------------------------------
// DSCursor

EngineResult DSCursor::VerifyField(std::uint32_t fieldNo, const void* value) noexcept {
  if (!Bound()) return DBERR_INVALIDPARAM;
  std::lock_guard lock_(table_->mutex());
  if (!Field(fieldNo)) return DBERR_INVALIDPARAM;
  // without constraints on the field there is nothing to put the value into
  bool any = false;
  if (EngineResult r = table_->FieldHasConstraints(fieldNo, &any)) return r;
  if (!any) return DBERR_NONE;
  std::vector<std::uint8_t> rec;
  try {
    rec.assign(static_cast<std::size_t>(table_->data().recSize), 0);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  // the value goes into a copy of the current record, or of an empty one
  Sync();
  if (state_ == DBERR_NONE) {
    std::memcpy(rec.data(), CurrentRec(), rec.size());
  } else {
    for (const DSFLDDesc& f : fields_) rec[static_cast<std::size_t>(f.iNullOffsInRec)] = BLANK_NULL;
  }
  if (EngineResult r = PutField(rec.data(), fieldNo, value)) return r;
  return table_->CheckConstraints(fieldNo, rec.data());
}

}  // namespace engine
