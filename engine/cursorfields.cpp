// DSCursor: field access in record buffers, blobs, and the slots whose
// behaviour lives elsewhere (editing, filters, aggregates).
#include <algorithm>
#include <cstring>

#include "engine/bcd.h"
#include "engine/dscursor.h"
#include "engine/fieldlayout.h"
#include "engine/packetformat.h"

namespace engine {

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

const DSFLDDesc* DSCursor::Field(std::uint32_t fieldNo) const {
  return (fieldNo == 0 || fieldNo > fields_.size()) ? nullptr : &fields_[fieldNo - 1];
}

EngineResult DSCursor::GetField(const std::uint8_t* recBuf, std::uint32_t fieldNo, void* value,
                                DSBool* blank) noexcept {
  CURSOR_LOCK();
  const DSFLDDesc* f = Field(fieldNo);
  if (!f) return DBERR_INVALIDPARAM;
  const std::uint8_t* r = recBuf;
  if (!r) {
    r = CurrentRec();
    if (!r) return state_;
  }
  if (value && f->iFldLen > 0) std::memcpy(value, r + f->iFldOffsInRec, static_cast<std::size_t>(f->iFldLen));
  if (blank) *blank = r[f->iNullOffsInRec];
  return DBERR_NONE;
}

EngineResult DSCursor::PutField(std::uint8_t* recBuf, std::uint32_t fieldNo, const void* value) noexcept {
  CURSOR_LOCK();
  const DSFLDDesc* f = Field(fieldNo);
  if (!f || !recBuf) return DBERR_INVALIDPARAM;
  std::uint8_t* dst = recBuf + f->iFldOffsInRec;
  const std::size_t len = static_cast<std::size_t>(f->iFldLen);
  if (!value) {
    std::memset(dst, 0, len);
    recBuf[f->iNullOffsInRec] = BLANK_NULL;
    if (HasChildren(f->iFldType))
      for (std::int32_t k = 0; k < f->iUnits2 && fieldNo + static_cast<std::uint32_t>(k) < fields_.size(); ++k)
        recBuf[fields_[fieldNo + static_cast<std::uint32_t>(k)].iNullOffsInRec] = BLANK_NULL;
    return DBERR_NONE;
  }
  const auto* src = static_cast<const std::uint8_t*>(value);
  switch (f->iFldType) {
    case fldZSTRING: {
      std::size_t n = 0;
      while (n < len - 1 && src[n]) ++n;
      if (!table_->disableStringTrim())
        while (n > 0 && src[n - 1] == ' ') --n;
      std::memset(dst, 0, len);
      std::memcpy(dst, src, n);
      break;
    }
    case fldBCD:
    case fldFMTBCD: {
      std::uint8_t out[34];
      if (EngineResult r = NormalizeBcd(src, static_cast<std::int32_t>(len), f->iUnits1, f->iUnits2, out,
                                        static_cast<std::int32_t>(len)))
        return r;
      std::memcpy(dst, out, len);
      break;
    }
    case fldUNICODE:
    case fldVARBYTES: {
      std::memcpy(dst, src, len);
      const std::uint32_t l = Rd16(dst);
      if (l > static_cast<std::uint32_t>(f->iUnits1)) Wr16(dst, static_cast<std::uint32_t>(f->iUnits1));
      break;
    }
    default: std::memcpy(dst, src, len); break;
  }
  recBuf[f->iNullOffsInRec] = BLANK_NONE;
  return DBERR_NONE;
}

EngineResult DSCursor::GetBlobLen(const std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t* length) noexcept {
  CURSOR_LOCK();
  const DSFLDDesc* f = Field(fieldNo);
  if (!f || !length || f->iFldType != fldBLOB) return DBERR_INVALIDPARAM;
  const std::uint8_t* r = recBuf ? recBuf : CurrentRec();
  if (!r) return state_;
  *length = 0;
  if (r[f->iNullOffsInRec]) return DBERR_NONE;
  const std::uint32_t id = Rd32(r + f->iFldOffsInRec);
  if (id & dsDELAYEDBIT) {
    *length = id & ~dsDELAYEDBIT;
    return DBERR_NONE;
  }
  if (const auto* b = table_->data().blobs.Get(id)) *length = static_cast<std::uint32_t>(b->size());
  return DBERR_NONE;
}

EngineResult DSCursor::GetBlob(const std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset, void* buffer,
                               std::uint32_t* length) noexcept {
  CURSOR_LOCK();
  const DSFLDDesc* f = Field(fieldNo);
  if (!f || !length || f->iFldType != fldBLOB) return DBERR_INVALIDPARAM;
  const std::uint8_t* r = recBuf ? recBuf : CurrentRec();
  if (!r) return state_;
  const std::uint32_t id = Rd32(r + f->iFldOffsInRec);
  if (r[f->iNullOffsInRec] || id == 0) return DBERR_FIELDISBLANK;
  if (id & dsDELAYEDBIT) return DBERR_BLOBNOTFETCHED;
  const auto* b = table_->data().blobs.Get(id);
  if (!b) return DBERR_INVALIDBLOBHANDLE;
  const std::uint32_t size = static_cast<std::uint32_t>(b->size());
  const std::uint32_t n = offset >= size ? 0 : std::min(*length, size - offset);
  if (n && !buffer) return DBERR_INVALIDPARAM;
  if (n) std::memcpy(buffer, b->data() + offset, n);
  *length = n;
  return DBERR_NONE;
}

EngineResult DSCursor::PutBlob(std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset, const void* data,
                               std::uint32_t length) noexcept {
  CURSOR_LOCK();
  const DSFLDDesc* f = Field(fieldNo);
  if (!f || !recBuf || f->iFldType != fldBLOB || (length && !data)) return DBERR_INVALIDPARAM;
  BlobStore& store = table_->data().blobs;
  std::uint8_t* v = recBuf + f->iFldOffsInRec;
  const auto* src = static_cast<const std::uint8_t*>(data);
  try {
    if (!data && length == 0 && offset == 0) {
      std::memset(v, 0, 4);
      recBuf[f->iNullOffsInRec] = BLANK_NULL;
      return DBERR_NONE;
    }
    if (offset == 0) {
      Wr32(v, store.Add(std::vector<std::uint8_t>(src, src + length)));
    } else {
      const std::uint32_t id = Rd32(v);
      if (recBuf[f->iNullOffsInRec] || id == 0 || (id & dsDELAYEDBIT) || !store.Get(id)) return DBERR_INVALIDBLOBHANDLE;
      std::vector<std::uint8_t> cur = *store.Get(id);
      if (offset > cur.size()) return DBERR_OUTOFRANGE;
      if (std::uint64_t{offset} + length > 0x7FFFFFFFu) return DBERR_OUTOFRANGE;
      cur.resize(std::size_t{offset} + length);
      std::memcpy(cur.data() + offset, src, length);
      if (id > store.committed) store.entries[id - 1] = std::move(cur);
      else Wr32(v, store.Add(std::move(cur)));  // stored versions keep their value
    }
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  recBuf[f->iNullOffsInRec] = BLANK_NONE;
  return DBERR_NONE;
}

EngineResult DSCursor::InitRecord(std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  if (!recBuf) return DBERR_INVALIDPARAM;
  const TableData& d = table_->data();
  std::memset(recBuf, 0, static_cast<std::size_t>(d.dataSize));
  std::memset(recBuf + d.dataSize, BLANK_NOTCHANGED, d.fields.size());
  // a detail record starts with its master's link values
  if (linked_ && master_) {
    std::lock_guard masterLock(master_.get()->table_->mutex());
    FillLinkFields(recBuf);
  }
  return DBERR_NONE;
}

// Server round trips are not part of this engine build; these slots report
// so instead of pretending success.
EngineResult DSCursor::GetRowRequestPacket(DSBool, DSBool, DSBool, DSBool, DSPacket*) noexcept {
  return DBERR_NOTSUPPORTED;
}
EngineResult DSCursor::RefreshRecord(const std::uint8_t*, std::size_t) noexcept { return DBERR_NOTSUPPORTED; }

}  // namespace engine
