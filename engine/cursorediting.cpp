// DSCursor: inserting, modifying, deleting, undoing and reverting records
// through a cursor. The table stores the change; the cursor checks the
// record and follows it.
#include <cstring>
#include <vector>

#include "engine/dscursor.h"

namespace engine {

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

namespace {

bool EmptyRequired(const DSFLDDesc& f, const std::uint8_t* rec) {
  if (!(f.iFldAttr & fldAttrREQUIRED)) return false;
  if (rec[f.iNullOffsInRec] != BLANK_NONE) return true;
  return f.iFldType == fldZSTRING && rec[f.iFldOffsInRec] == 0;
}

}  // namespace

EngineResult DSCursor::EditAllowed() const {
  if (order_->kind() == IndexKind::ChangeLog) return DBERR_INDEXREADONLY;
  if (table_->data().isDelta) return DBERR_NA;
  // Editing tables with nested tables and detail cursors is not part of this
  // engine build.
  if (linked_ || table_->HasNestedTables() || table_->data().nested) return DBERR_NOTSUPPORTED;
  return DBERR_NONE;
}

// Places the cursor on a slot after an edit. When the slot is not in the
// order (or outside the range) the cursor is left on a crack: 8709 after an
// insert, 8708 (the follower occupies the position) otherwise.
void DSCursor::LandOn(std::uint32_t slot, bool missingIsCrack) {
  RefreshFilter();
  ComputeRange();
  seenMod_ = order_->modCount();
  const std::uint32_t p = slot ? order_->PositionOf(slot) : 0;
  recNo_ = slot;
  ++changeCounter_;
  if (p != 0 && static_cast<std::int64_t>(p) >= first_ && static_cast<std::int64_t>(p) <= last_) {
    pos_ = p;
    state_ = DBERR_NONE;
    return;
  }
  if (missingIsCrack) {
    state_ = DBERR_NOCURRREC;
    pos_ = (p != 0 && static_cast<std::int64_t>(p) < first_) ? first_ - 1 : last_;
  } else {
    state_ = DBERR_KEYORRECDELETED;
    if (pos_ < first_) pos_ = first_;
    if (pos_ > last_ + 1) pos_ = last_ + 1;
  }
}

EngineResult DSCursor::InsertRecord(const std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  if (!recBuf) return DBERR_INVALIDPARAM;
  if (EngineResult e = EditAllowed()) return e;
  const TableData& d = table_->data();
  std::vector<std::uint8_t> work;
  try {
    work.assign(static_cast<std::size_t>(d.recSize), 0);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  for (const DSFLDDesc& f : fields_) {
    const bool autoInc = f.iFldSubType == fldstAUTOINC && f.iFldLen == 4;
    if (EmptyRequired(f, recBuf) && !autoInc) return DBERR_REQDERR;
    const std::uint8_t blank = recBuf[f.iNullOffsInRec];
    work[static_cast<std::size_t>(f.iNullOffsInRec)] = blank;
    if (blank == BLANK_NONE && f.iFldLen > 0)
      std::memcpy(work.data() + f.iFldOffsInRec, recBuf + f.iFldOffsInRec, static_cast<std::size_t>(f.iFldLen));
  }
  std::uint32_t slot = 0;
  if (EngineResult e = table_->EditInsert(work.data(), &slot)) return e;
  LandOn(slot, true);
  return DBERR_NONE;
}

EngineResult DSCursor::ModifyRecord(const std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  if (!recBuf) return DBERR_INVALIDPARAM;
  if (order_->kind() == IndexKind::ChangeLog) return DBERR_INDEXREADONLY;
  if (linked_ || table_->HasNestedTables() || table_->data().nested) return DBERR_NOTSUPPORTED;
  Sync();
  if (state_ != DBERR_NONE) return state_;
  const TableData& d = table_->data();
  const std::uint32_t slot = order_->SlotAt(static_cast<std::uint32_t>(pos_));
  const std::uint8_t* stored = d.Rec(slot);
  const auto recSize = static_cast<std::size_t>(d.recSize);
  if (std::memcmp(recBuf, stored, recSize) == 0) return DBERR_NONE;
  std::vector<std::uint8_t> work;
  try {
    work.assign(stored, stored + recSize);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  for (const DSFLDDesc& f : fields_) {
    const std::uint8_t blank = recBuf[f.iNullOffsInRec];
    // "not changed" keeps the stored value (an untouched blob keeps its data)
    if (blank == BLANK_NOTCHANGED) continue;
    const auto len = static_cast<std::size_t>(f.iFldLen > 0 ? f.iFldLen : 0);
    const bool differs = (blank != BLANK_NONE) != (stored[f.iNullOffsInRec] != BLANK_NONE) ||
                         (blank == BLANK_NONE && std::memcmp(recBuf + f.iFldOffsInRec, stored + f.iFldOffsInRec, len) != 0);
    if (!differs) continue;
    if (f.iFldAttr & fldAttrREADONLY) return DBERR_READONLYFLD;
    if (EmptyRequired(f, recBuf)) return DBERR_REQDERR;
    if (f.iFldType == fldTABLE || (f.iFldAttr & fldAttrLINK)) continue;
    work[static_cast<std::size_t>(f.iNullOffsInRec)] = blank;
    if (blank == BLANK_NONE) std::memcpy(work.data() + f.iFldOffsInRec, recBuf + f.iFldOffsInRec, len);
    else std::memset(work.data() + f.iFldOffsInRec, 0, len);
  }
  if (std::memcmp(work.data(), stored, recSize) == 0) return DBERR_NONE;
  std::uint32_t ns = slot;
  if (EngineResult e = table_->EditModify(slot, work.data(), &ns)) return e;
  LandOn(ns, false);
  return DBERR_NONE;
}

EngineResult DSCursor::DeleteRecord() noexcept {
  CURSOR_LOCK();
  if (EngineResult e = EditAllowed()) return e;
  Sync();
  if (state_ != DBERR_NONE) return state_;
  const std::uint32_t slot = order_->SlotAt(static_cast<std::uint32_t>(pos_));
  if (EngineResult e = table_->EditDelete(slot)) return e;
  // the next record now occupies the position
  LandOn(slot, false);
  return DBERR_NONE;
}

EngineResult DSCursor::UndoLastChange(DSBool follow) noexcept {
  CURSOR_LOCK();
  if (table_->data().isDelta) return DBERR_NA;
  Sync();
  std::uint32_t affected = 0;
  if (EngineResult e = table_->UndoLast(&affected)) return e;
  if (follow) {
    LandOn(table_->Follow(affected), false);
  } else {
    Sync();
  }
  return DBERR_NONE;
}

EngineResult DSCursor::RevertRecord() noexcept {
  CURSOR_LOCK();
  if (table_->data().isDelta) return DBERR_NA;
  Sync();
  if (state_ != DBERR_NONE && state_ != DBERR_KEYORRECDELETED) return DBERR_NONE;
  const std::uint32_t slot = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : recNo_;
  if (slot == 0) return DBERR_NONE;
  std::uint32_t restored = 0;
  bool wasInsert = false;
  if (EngineResult e = table_->RevertSlot(slot, &restored, &wasInsert)) return e;
  if (wasInsert || restored == 0) {
    if (wasInsert) LandOn(0, false);
    else Sync();
  } else {
    LandOn(restored, false);
  }
  return DBERR_NONE;
}

}  // namespace engine
