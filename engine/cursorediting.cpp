// DSCursor: inserting, modifying, deleting, undoing and reverting records
// through a cursor. The table stores the change; the cursor checks the
// record and follows it.
#include <cstring>
#include <vector>

#include "engine/dscursor.h"
#include "engine/packetformat.h"

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
  // A nested record belongs to a master record: it changes only through a
  // cursor linked to the master, which logs the change for the master too.
  if (table_->data().nested && !linked_) return DBERR_NA;
  return DBERR_NONE;
}

// A change through a detail cursor is entered in the masters' logs; when
// that fails the change is taken back.
EngineResult DSCursor::AfterDetailChange() {
  if (!linked_) return DBERR_NONE;
  const std::size_t before = table_->LogEntries();
  if (EngineResult e = LogDetailChange()) {
    if (table_->LogEntries() == before && before > 0) {
      std::uint32_t affected = 0;
      table_->UndoLast(&affected);
      ForgetDetailChanges(1);
    }
    return e;
  }
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
  std::vector<std::uint8_t> work, given;
  try {
    work.assign(static_cast<std::size_t>(d.recSize), 0);
    given.assign(recBuf, recBuf + d.recSize);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  // a detail record takes its master's link values, whatever the buffer holds
  std::uint32_t link = 0;
  if (linked_ && master_) {
    if (FieldLinked()) {
      if (!linkKeySet_ || masterSlot_ == 0) return DBERR_NOMASTERRECORD;
    } else if (EngineResult e = NestedInsertLink(&link)) {
      return e;
    }
    FillLinkFields(given.data());
  }
  recBuf = given.data();
  for (const DSFLDDesc& f : fields_) {
    const bool autoInc = f.iFldSubType == fldstAUTOINC && f.iFldLen == 4;
    if (EmptyRequired(f, recBuf) && !autoInc) return DBERR_REQDERR;
    const std::uint8_t blank = recBuf[f.iNullOffsInRec];
    work[static_cast<std::size_t>(f.iNullOffsInRec)] = blank;
    if (blank == BLANK_NONE && f.iFldLen > 0)
      std::memcpy(work.data() + f.iFldOffsInRec, recBuf + f.iFldOffsInRec, static_cast<std::size_t>(f.iFldLen));
  }
  // a new master record gets a link number of its own in each nested table
  for (std::uint32_t i = 0; i < d.fields.size(); ++i) {
    DSBASE* n = table_->Nested(i);
    if (!n) continue;
    std::lock_guard nestedLock(n->mutex());
    std::uint32_t nl = 0;
    if (EngineResult e = n->NewLink(&nl)) return e;
    Wr32(work.data() + d.fields[i].iFldOffsInRec, nl);
    work[static_cast<std::size_t>(d.fields[i].iNullOffsInRec)] = BLANK_NONE;
  }
  std::uint32_t slot = 0;
  if (EngineResult e = table_->EditInsert(work.data(), &slot, link)) return e;
  LandOn(slot, true);
  return AfterDetailChange();
}

EngineResult DSCursor::ModifyRecord(const std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  if (!recBuf) return DBERR_INVALIDPARAM;
  if (order_->kind() == IndexKind::ChangeLog) return DBERR_INDEXREADONLY;
  if (table_->data().nested && !linked_ && !table_->data().isDelta) return DBERR_NA;
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
    if (f.iFldType == fldTABLE || (f.iFldAttr & fldAttrLINK) || IsLinkField(f)) continue;
    work[static_cast<std::size_t>(f.iNullOffsInRec)] = blank;
    if (blank == BLANK_NONE) std::memcpy(work.data() + f.iFldOffsInRec, recBuf + f.iFldOffsInRec, len);
    else std::memset(work.data() + f.iFldOffsInRec, 0, len);
  }
  if (std::memcmp(work.data(), stored, recSize) == 0) return DBERR_NONE;
  if (!d.isDelta) {
    if (EngineResult e = table_->CheckLinkChange(slot, work.data())) return e;
    try {
      if (EngineResult e = table_->UpdateDetailLinks(slot, work.data())) return e;
    } catch (...) {
      return DBERR_NOMEMORY;
    }
  }
  std::uint32_t ns = slot;
  if (EngineResult e = table_->EditModify(slot, work.data(), &ns)) return e;
  LandOn(ns, false);
  return AfterDetailChange();
}

EngineResult DSCursor::DeleteRecord() noexcept {
  CURSOR_LOCK();
  if (EngineResult e = EditAllowed()) return e;
  Sync();
  if (state_ != DBERR_NONE) return state_;
  const std::uint32_t slot = order_->SlotAt(static_cast<std::uint32_t>(pos_));
  if (table_->HasDetails(slot)) {
    if (!table_->CascadeDeletes()) return DBERR_DETAILRECORDSEXIST;
    try {
      if (EngineResult e = table_->DeleteDetails(slot)) return e;
    } catch (...) {
      return DBERR_NOMEMORY;
    }
  }
  if (EngineResult e = table_->EditDelete(slot)) return e;
  // the next record now occupies the position
  LandOn(slot, false);
  return AfterDetailChange();
}

EngineResult DSCursor::UndoLastChange(DSBool follow) noexcept {
  CURSOR_LOCK();
  if (table_->data().isDelta) return DBERR_NA;
  Sync();
  std::uint32_t affected = 0;
  if (EngineResult e = table_->UndoLast(&affected)) return e;
  // the masters' entries for the change undone here go with it
  if (linked_) ForgetDetailChanges(1);
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
  // reverting an insertion removes the record: not while it has details
  if ((table_->data().attrs[slot - 1] & dsRecNew) && table_->HasDetails(slot)) return DBERR_DETAILRECORDSEXIST;
  std::uint32_t restored = 0;
  bool wasInsert = false;
  const std::size_t before = table_->LogEntries();
  if (EngineResult e = table_->RevertSlot(slot, &restored, &wasInsert)) return e;
  if (linked_ && table_->LogEntries() < before) ForgetDetailChanges(before - table_->LogEntries());
  if (wasInsert || restored == 0) {
    if (wasInsert) LandOn(0, false);
    else Sync();
  } else {
    LandOn(restored, false);
  }
  return DBERR_NONE;
}

}  // namespace engine
