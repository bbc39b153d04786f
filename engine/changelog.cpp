// DSBASE: storing edits, the change log, undo, save points and accepting
// changes.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "engine/dstable.h"
#include "engine/packetformat.h"

namespace engine {

namespace {

constexpr std::uint32_t kLogDeleted = 2, kLogInserted = 4, kLogModified = 8;
constexpr std::uint32_t kMaxSavePoints = 0xFFFF;   // ids carry the entry number in 16 bits
constexpr std::uint32_t kMaxGeneration = 0x7FFF;   // and the generation above them

bool IsAutoInc(const DSFLDDesc& f) { return f.iFldSubType == fldstAUTOINC && f.iFldLen == 4; }

}  // namespace

bool DSBASE::HasNestedTables() const {
  for (const auto& n : nested_)
    if (n) return true;
  return false;
}

std::uint32_t DSBASE::Follow(std::uint32_t slot) const {
  // a chain of versions is at most as long as the forwarding map
  for (std::size_t steps = 0; slot != 0 && steps <= forward_.size(); ++steps) {
    if (slot <= d_.SlotCount() && d_.Live(slot)) return slot;
    const auto it = forward_.find(slot);
    if (it == forward_.end()) return 0;
    slot = it->second;
  }
  return 0;
}

EngineResult DSBASE::AppendLog(std::uint32_t slot, std::uint32_t prev, std::uint32_t kind) {
  try {
    if (changeLog_.size() == changeLog_.capacity()) changeLog_.reserve(changeLog_.size() * 2 + 48);
    changeLog_.insert(changeLog_.end(), {slot, prev, kind});
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  netCount_ = -1;
  return DBERR_NONE;
}

EngineResult DSBASE::InsertIntoIndexes(std::uint32_t slot) {
  for (std::size_t i = 0; i < indexes_.size(); ++i) {
    EngineResult r = DBERR_NOMEMORY;
    try {
      r = indexes_[i]->Insert(slot);
    } catch (...) {
    }
    if (r != DBERR_NONE) {
      for (std::size_t j = 0; j < i; ++j) indexes_[j]->Remove(slot);
      return r;
    }
  }
  return DBERR_NONE;
}

void DSBASE::RemoveFromIndexes(std::uint32_t slot) {
  for (auto& ix : indexes_) ix->Remove(slot);
}

// Discards a slot that no longer holds a record: the last slot is given
// back, others are marked unused.
void DSBASE::DropLastSlotOrMark(std::uint32_t slot) {
  if (slot == d_.SlotCount()) {
    // slots join their link's list in ascending order: the last one is at its end
    const std::uint32_t link = d_.Link(slot);
    if (link < slotsOfLink_.size() && !slotsOfLink_[link].empty() && slotsOfLink_[link].back() == slot)
      slotsOfLink_[link].pop_back();
    d_.rows.resize(d_.rows.size() - static_cast<std::size_t>(d_.recSize));
    d_.attrs.pop_back();
    if (!d_.seq.empty()) d_.seq.pop_back();
    if (!d_.links.empty()) d_.links.pop_back();
  } else {
    d_.attrs[slot - 1] = dsUnused;
  }
}

EngineResult DSBASE::EditInsert(const std::uint8_t* rec, std::uint32_t* slotOut, std::uint32_t link) {
  *slotOut = 0;
  // A read-only table refuses every change, logged or not.
  if (readOnly_ || (logChanges_ && disableInserts_)) return DBERR_READONLYDB;
  std::uint32_t slot = 0;
  try {
    if (d_.nested && slotsOfLink_.size() <= link) slotsOfLink_.resize(link + 1);
    slot = d_.AddSlot();
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  if (d_.nested) {
    d_.links[slot - 1] = link;
    try {
      slotsOfLink_[link].push_back(slot);
    } catch (...) {
      DropLastSlotOrMark(slot);
      return DBERR_NOMEMORY;
    }
  }
  forward_.erase(slot);
  std::uint8_t* r = d_.Rec(slot);
  std::memcpy(r, rec, static_cast<std::size_t>(d_.recSize));
  bool usedAutoInc = false;
  if (!autoIncDisabled_)
    for (const auto& f : d_.fields)
      if (IsAutoInc(f)) {
        Wr32(r + f.iFldOffsInRec, static_cast<std::uint32_t>(autoIncValue_));
        r[f.iNullOffsInRec] = BLANK_NONE;
        usedAutoInc = true;
      }
  if (calc_) {
    if (EngineResult c = calc_(calcClient_, r)) {
      DropLastSlotOrMark(slot);
      return c;
    }
  }
  if (EngineResult c = CheckConstraints(0, r)) {
    DropLastSlotOrMark(slot);
    return c;
  }
  d_.attrs[slot - 1] = logChanges_ ? dsRecNew : dsRecUnmodified;
  if (EngineResult e = InsertIntoIndexes(slot)) {
    DropLastSlotOrMark(slot);
    return e;
  }
  if (logChanges_) {
    if (EngineResult e = AppendLog(slot, 0, kLogInserted)) {
      RemoveFromIndexes(slot);
      DropLastSlotOrMark(slot);
      return e;
    }
  }
  if (usedAutoInc) ++autoIncValue_;
  // blobs now stored in a record are never changed in place again
  d_.blobs.committed = static_cast<std::uint32_t>(d_.blobs.entries.size());
  ++dataHasChanged_;
  *slotOut = slot;
  NotifyChange();
  return DBERR_NONE;
}

EngineResult DSBASE::EditModify(std::uint32_t slot, const std::uint8_t* rec, std::uint32_t* newSlot) {
  *newSlot = slot;
  const bool log = logChanges_ && !d_.isDelta;
  if (readOnly_ || (log && disableEdits_)) return DBERR_READONLYDB;
  const auto recSize = static_cast<std::size_t>(d_.recSize);
  if (!log) {
    std::vector<std::uint8_t> old;
    try {
      old.assign(d_.Rec(slot), d_.Rec(slot) + recSize);
    } catch (...) {
      return DBERR_NOMEMORY;
    }
    RemoveFromIndexes(slot);
    std::memcpy(d_.Rec(slot), rec, recSize);
    EngineResult e = calc_ ? calc_(calcClient_, d_.Rec(slot)) : DBERR_NONE;
    if (e == DBERR_NONE) e = CheckConstraints(0, d_.Rec(slot));
    if (e == DBERR_NONE) e = InsertIntoIndexes(slot);
    if (e != DBERR_NONE) {
      std::memcpy(d_.Rec(slot), old.data(), recSize);
      InsertIntoIndexes(slot);
      return e;
    }
  } else {
    std::uint32_t ns = 0;
    try {
      if (d_.seq.empty()) {
        d_.seq.resize(d_.SlotCount());
        std::iota(d_.seq.begin(), d_.seq.end(), 1u);
      }
      ns = d_.AddSlot();
    } catch (...) {
      return DBERR_NOMEMORY;
    }
    forward_.erase(ns);
    std::memcpy(d_.Rec(ns), rec, recSize);
    d_.seq[ns - 1] = d_.seq[slot - 1];
    if (d_.nested) {
      const std::uint32_t link = d_.Link(slot);
      d_.links[ns - 1] = link;
      try {
        if (slotsOfLink_.size() <= link) slotsOfLink_.resize(link + 1);
        slotsOfLink_[link].push_back(ns);
      } catch (...) {
        DropLastSlotOrMark(ns);
        return DBERR_NOMEMORY;
      }
    }
    if (calc_) {
      if (EngineResult c = calc_(calcClient_, d_.Rec(ns))) {
        DropLastSlotOrMark(ns);
        return c;
      }
    }
    if (EngineResult c = CheckConstraints(0, d_.Rec(ns))) {
      DropLastSlotOrMark(ns);
      return c;
    }
    const std::uint8_t oldAttr = d_.attrs[slot - 1];
    d_.attrs[ns - 1] = static_cast<std::uint8_t>(dsRecModified | (oldAttr & dsRecNew));
    d_.attrs[slot - 1] = static_cast<std::uint8_t>(oldAttr | dsRecOrg);
    for (std::size_t i = 0; i < indexes_.size(); ++i) {
      EngineResult e = DBERR_NOMEMORY;
      try {
        e = indexes_[i]->Replace(slot, ns);
      } catch (...) {
      }
      if (e != DBERR_NONE) {
        for (std::size_t j = 0; j < i; ++j) indexes_[j]->Replace(ns, slot);
        d_.attrs[slot - 1] = oldAttr;
        DropLastSlotOrMark(ns);
        return e;
      }
    }
    if (EngineResult e = AppendLog(ns, slot, kLogModified)) {
      for (auto& ix : indexes_) ix->Replace(ns, slot);
      d_.attrs[slot - 1] = oldAttr;
      DropLastSlotOrMark(ns);
      return e;
    }
    try {
      forward_[slot] = ns;
    } catch (...) {
    }
    *newSlot = ns;
  }
  d_.blobs.committed = static_cast<std::uint32_t>(d_.blobs.entries.size());
  ++dataHasChanged_;
  NotifyChange();
  return DBERR_NONE;
}

EngineResult DSBASE::EditDelete(std::uint32_t slot) {
  // A read-only table refuses every change, logged or not.
  if (readOnly_ || (logChanges_ && disableDeletes_)) return DBERR_READONLYDB;
  if (slot == 0 || slot > d_.SlotCount() || (d_.attrs[slot - 1] & dsIsNotVisible)) return DBERR_NA;
  if (logChanges_)
    if (EngineResult e = AppendLog(slot, 0, kLogDeleted)) return e;
  d_.attrs[slot - 1] = static_cast<std::uint8_t>(d_.attrs[slot - 1] | dsRecDeleted);
  RemoveFromIndexes(slot);
  ++dataHasChanged_;
  NotifyChange();
  return DBERR_NONE;
}

EngineResult DSBASE::UndoLast(std::uint32_t* affected) {
  *affected = 0;
  if (d_.isDelta) return DBERR_NA;
  while (!changeLog_.empty() && changeLog_.back() == 0) changeLog_.resize(changeLog_.size() - 3);
  if (changeLog_.empty()) {
    LogShrunk();
    return DBERR_NOTHINGTOUNDO;
  }
  const std::size_t at = changeLog_.size() - 3;
  const std::uint32_t slot = changeLog_[at], prev = changeLog_[at + 1], kind = changeLog_[at + 2];
  if (slot == 0 || slot > d_.SlotCount()) return DBERR_NA;
  switch (kind) {
    case kLogDeleted: {
      d_.attrs[slot - 1] = static_cast<std::uint8_t>(d_.attrs[slot - 1] & ~dsRecDeleted);
      if (EngineResult e = InsertIntoIndexes(slot)) {
        d_.attrs[slot - 1] = static_cast<std::uint8_t>(d_.attrs[slot - 1] | dsRecDeleted);
        return e;
      }
      *affected = slot;
      break;
    }
    case kLogInserted: {
      RemoveFromIndexes(slot);
      for (const auto& f : d_.fields)
        if (IsAutoInc(f) && !d_.Rec(slot)[f.iNullOffsInRec] &&
            static_cast<std::int32_t>(Rd32(d_.Rec(slot) + f.iFldOffsInRec)) == autoIncValue_ - 1)
          --autoIncValue_;
      DropLastSlotOrMark(slot);
      *affected = slot;
      break;
    }
    case kLogModified: {
      if (prev == 0 || prev >= slot) return DBERR_NA;
      d_.attrs[prev - 1] = static_cast<std::uint8_t>(d_.attrs[prev - 1] & ~dsRecOrg);
      for (auto& ix : indexes_) ix->Replace(slot, prev);
      DropLastSlotOrMark(slot);
      forward_.erase(prev);
      try {
        forward_[slot] = prev;  // cursors on the discarded version come back
      } catch (...) {
      }
      *affected = prev;
      break;
    }
    case dsDetUpd: {
      // the detail table's last change; an empty detail log (its change was
      // undone through the detail) leaves nothing more to do
      if (DSBASE* det = DetailOfLink(prev)) {
        std::lock_guard detailLock(det->mutex());
        std::uint32_t detAffected = 0;
        const EngineResult e = det->UndoLast(&detAffected);
        if (e != DBERR_NONE && e != DBERR_NOTHINGTOUNDO) return e;
      }
      *affected = slot;
      break;
    }
    default: return DBERR_NA;
  }
  // Blob values stay: other logged versions of the record may still use them;
  // AcceptChanges releases the ones no record refers to.
  changeLog_.resize(at);
  netCount_ = -1;
  LogShrunk();
  NotifyChange();
  return DBERR_NONE;
}

EngineResult DSBASE::RevertSlot(std::uint32_t slot, std::uint32_t* restored, bool* wasInsert) {
  *restored = 0;
  *wasInsert = false;
  if (d_.isDelta) return DBERR_NA;
  if (changeLog_.empty() || slot == 0 || slot > d_.SlotCount()) return DBERR_NONE;
  // the record's chain of entries, newest first
  std::vector<std::size_t> chain;
  std::uint32_t cur = slot, first = slot;
  bool inserted = false, deleted = false;
  for (std::size_t i = changeLog_.size(); i >= 3; i -= 3) {
    const std::size_t at = i - 3;
    const std::uint32_t s = changeLog_[at], p = changeLog_[at + 1], k = changeLog_[at + 2];
    if (s != cur || k == 0) continue;
    if (k == kLogDeleted) {
      if (!chain.empty()) continue;
      deleted = true;
    } else if (k == kLogModified) {
      cur = first = p;
    } else if (k == kLogInserted) {
      inserted = true;
    } else {
      continue;
    }
    chain.push_back(at);
    if (inserted) break;
  }
  if (chain.empty()) return DBERR_NONE;
  const bool live = d_.Live(slot);
  if (live) RemoveFromIndexes(slot);
  if (inserted) {
    *wasInsert = true;
  } else {
    d_.attrs[first - 1] = static_cast<std::uint8_t>(d_.attrs[first - 1] & ~(dsRecOrg | dsRecDeleted));
    if (EngineResult e = InsertIntoIndexes(first)) {
      if (live) InsertIntoIndexes(slot);
      return e;
    }
    *restored = first;
  }
  // drop the chain's entries (oldest first keeps save point shifts simple)
  std::vector<std::uint32_t> versions;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const std::size_t at = *it;
    if (changeLog_[at + 2] != kLogDeleted) versions.push_back(changeLog_[at]);
  }
  std::vector<bool> drop(changeLog_.size() / 3, false);
  for (std::size_t at : chain) drop[at / 3] = true;
  std::size_t w = 0;
  for (std::size_t e = 0; e < drop.size(); ++e) {
    if (drop[e]) {
      for (auto& sp : savePoints_)
        if (sp.valid && sp.entries > w) --sp.entries;
      continue;
    }
    std::copy_n(changeLog_.begin() + static_cast<std::ptrdiff_t>(3 * e), 3,
                changeLog_.begin() + static_cast<std::ptrdiff_t>(3 * w));
    ++w;
  }
  changeLog_.resize(3 * w);
  // discard the versions after the first one, newest first so the table can shrink
  std::sort(versions.begin(), versions.end(), std::greater<>());
  for (std::uint32_t v : versions) {
    if (v == first && !inserted) continue;
    DropLastSlotOrMark(v);
    if (first != v && !inserted) forward_[v] = first;
  }
  if (!inserted) forward_.erase(first);
  (void)deleted;
  netCount_ = -1;
  LogShrunk();
  NotifyChange();
  return DBERR_NONE;
}

bool DSBASE::RecordsEqual(std::uint32_t a, std::uint32_t b) const {
  const std::uint8_t* x = d_.Rec(a);
  const std::uint8_t* y = d_.Rec(b);
  for (const auto& f : d_.fields) {
    const std::uint8_t bx = x[f.iNullOffsInRec], by = y[f.iNullOffsInRec];
    if ((bx != 0) != (by != 0)) return false;
    if (bx || f.iFldLen <= 0 || f.iFldType == fldTABLE) continue;
    if (f.iFldType == fldBLOB) {
      const std::uint32_t ia = Rd32(x + f.iFldOffsInRec), ib = Rd32(y + f.iFldOffsInRec);
      if (ia == ib) continue;
      const auto* va = d_.blobs.Get(ia);
      const auto* vb = d_.blobs.Get(ib);
      if (!va || !vb || *va != *vb) return false;
      continue;
    }
    if (std::memcmp(x + f.iFldOffsInRec, y + f.iFldOffsInRec, static_cast<std::size_t>(f.iFldLen)) != 0)
      return false;
  }
  return true;
}

std::vector<std::uint32_t> DSBASE::ChangeViewSlots() const {
  const std::uint32_t view = static_cast<std::uint32_t>(changeIndexView_);
  auto shown = [&](std::uint32_t kind) { return view == 0 || (view & kind) != 0; };
  std::vector<std::uint32_t> out;
  for (const NetChange& n : NetChanges()) {
    if (!shown(n.kind)) continue;
    if (n.kind == kLogInserted) {
      out.push_back(n.last);
    } else if (n.kind == kLogDeleted) {
      out.push_back(n.first);
    } else if (n.kind == kLogModified) {
      out.push_back(n.first);
      if (n.last != n.first) out.push_back(n.last);
    }
  }
  return out;
}

// Net changes in log order: one per record; a modification chain whose
// last version equals its first is left out.
std::vector<DSBASE::NetChange> DSBASE::NetChanges() const {
  std::vector<NetChange> list;
  std::unordered_map<std::uint32_t, std::size_t> bySlot;  // current slot -> list index
  std::unordered_set<std::uint64_t> detailsSeen;            // (link id, master slot)
  std::unordered_map<std::uint32_t, std::vector<NetChange>> detailNet;  // per link id
  for (std::size_t at = 0; at + 2 < changeLog_.size(); at += 3) {
    const std::uint32_t s = changeLog_[at], p = changeLog_[at + 1], k = changeLog_[at + 2];
    if (k == kLogInserted) {
      bySlot[s] = list.size();
      list.push_back(NetChange{kLogInserted, s, s});
    } else if (k == kLogModified) {
      auto it = bySlot.find(p);
      if (it == bySlot.end()) {
        bySlot[s] = list.size();
        list.push_back(NetChange{kLogModified, p, s});
      } else {
        const std::size_t i = it->second;
        bySlot.erase(it);
        list[i].last = s;
        bySlot[s] = i;
      }
    } else if (k == kLogDeleted) {
      auto it = bySlot.find(s);
      if (it == bySlot.end()) {
        list.push_back(NetChange{kLogDeleted, s, s});
      } else {
        NetChange& n = list[it->second];
        n.kind = n.kind == kLogInserted ? 0 : kLogDeleted;
        bySlot.erase(it);
      }
    } else if (k == dsDetUpd) {
      // one entry per master record, and only while its details still have
      // net changes
      const std::uint32_t cur = Follow(s) ? Follow(s) : s;
      if (!detailsSeen.insert((std::uint64_t{p} << 32) | cur).second) continue;
      auto it = detailNet.find(p);
      if (it == detailNet.end()) {
        const DSBASE* det = DetailOfLink(p);
        it = detailNet.emplace(p, det ? det->NetChanges() : std::vector<NetChange>{}).first;
      }
      if (DetailHasNetChanges(cur, p, it->second)) list.push_back(NetChange{dsDetUpd, p, cur});
    }
  }
  std::vector<NetChange> out;
  for (const auto& n : list) {
    if (n.kind == 0) continue;
    if (n.kind == kLogModified && n.first <= d_.SlotCount() && n.last <= d_.SlotCount() &&
        RecordsEqual(n.last, n.first))
      continue;
    out.push_back(n);
  }
  return out;
}

std::int32_t DSBASE::NetChangeCount() const {
  if (netCount_ >= 0) return netCount_;
  try {
    netCount_ = static_cast<std::int32_t>(NetChanges().size());
  } catch (...) {
    return 0;
  }
  return netCount_;
}

// The delta: a table of the same fields holding, per net change, the
// deleted original, the inserted record, or the original followed by the
// current version of a modified record.
EngineResult DSBASE::GetDelta(IDSBase** delta) noexcept {
  std::lock_guard lock(mu_);
  if (!delta) return DBERR_INVALIDPARAM;
  *delta = nullptr;
  if (changeLog_.empty()) return DBERR_DELTAISEMPTY;
  if (HasNestedTables()) return DBERR_NOTSUPPORTED;
  try {
    const std::vector<NetChange> net = NetChanges();
    if (net.empty()) return DBERR_DELTAISEMPTY;
    DSRef<DSBASE> dt(new DSBASE(), true);
    TableData& o = dt->d_;
    o.fields = d_.fields;
    o.recSize = d_.recSize;
    o.dataSize = d_.dataSize;
    o.coll = d_.coll;
    o.isDelta = true;
    dt->name_ = name_;
    dt->fieldParams_ = fieldParams_;
    dt->lcid_ = lcid_;
    dt->codePage_ = codePage_;
    auto copy = [&](std::uint32_t slot, std::uint8_t attr) {
      const std::uint32_t ns = o.AddSlot();
      std::memcpy(o.Rec(ns), d_.Rec(slot), static_cast<std::size_t>(d_.recSize));
      o.attrs[ns - 1] = attr;
      for (const auto& f : d_.fields) {
        if (f.iFldType != fldBLOB || o.Rec(ns)[f.iNullOffsInRec]) continue;
        std::uint8_t* v = o.Rec(ns) + f.iFldOffsInRec;
        const std::uint32_t id = Rd32(v);
        if (id & dsDELAYEDBIT) continue;
        const auto* b = d_.blobs.Get(id);
        Wr32(v, b ? o.blobs.Add(*b) : 0);
      }
    };
    for (const auto& n : net) {
      switch (n.kind) {
        case kLogDeleted: copy(n.first, dsRecDeleted); break;
        case kLogInserted: copy(n.last, dsRecNew); break;
        case kLogModified:
          copy(n.first, dsRecOrg);
          copy(n.last, dsRecModified);
          break;
        default: break;
      }
    }
    if (EngineResult e = dt->BuildIndexes()) return e;
    dt->AddRef();
    *delta = dt.get();
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Save points

void DSBASE::ForgetSavePoints() {
  savePoints_.clear();
  validPoints_.clear();
  // ids of the old list must never match a new save point
  saveGeneration_ = saveGeneration_ >= kMaxGeneration ? 1 : saveGeneration_ + 1;
}

// A save point recording more entries than the log now holds is invalid.
void DSBASE::LogShrunk() {
  const std::size_t n = changeLog_.size() / 3;
  while (!validPoints_.empty() && savePoints_[validPoints_.back() - 1].entries > n) {
    savePoints_[validPoints_.back() - 1].valid = false;
    validPoints_.pop_back();
  }
  if (changeLog_.empty() && validPoints_.empty() && !savePoints_.empty()) ForgetSavePoints();
}

EngineResult DSBASE::GetSavePoint(std::int32_t* out) {
  *out = 0;
  if (changeLog_.empty()) return DBERR_NONE;
  const std::size_t n = changeLog_.size() / 3;
  LogShrunk();
  if (!validPoints_.empty() && savePoints_[validPoints_.back() - 1].entries == n) {
    ++savePoints_[validPoints_.back() - 1].users;
  } else {
    if (savePoints_.size() >= kMaxSavePoints) {
      // The list is full: start a new generation rather than let ids wrap
      // onto save points still in use; the old ones become unknown.
      ForgetSavePoints();
    }
    try {
      savePoints_.push_back(SavePoint{n, 1, true});
      validPoints_.push_back(static_cast<std::uint32_t>(savePoints_.size()));
    } catch (...) {
      return DBERR_NOMEMORY;
    }
  }
  *out = static_cast<std::int32_t>((saveGeneration_ << 16) + validPoints_.back());
  return DBERR_NONE;
}

EngineResult DSBASE::RollBack(std::uint32_t savePoint) noexcept {
  std::lock_guard lock(mu_);
  if (d_.isDelta) return DBERR_NA;
  std::size_t target = 0;
  if (savePoint != 0) {
    const std::uint32_t gen = savePoint >> 16, id = savePoint & 0xFFFFu;
    LogShrunk();
    if (gen != saveGeneration_ || id == 0 || id > savePoints_.size() || !savePoints_[id - 1].valid)
      return DBERR_INVALIDPARAM;
    target = savePoints_[id - 1].entries;
  }
  std::uint32_t affected = 0;
  while (changeLog_.size() / 3 > target)
    if (EngineResult e = UndoLast(&affected)) return e == DBERR_NOTHINGTOUNDO ? DBERR_NONE : e;
  if (savePoint != 0) {
    // a save point is used up by rolling back to it
    const std::uint32_t id = savePoint & 0xFFFFu;
    savePoints_[id - 1].valid = false;
    validPoints_.erase(std::remove(validPoints_.begin(), validPoints_.end(), id), validPoints_.end());
  }
  if (changeLog_.empty()) ForgetSavePoints();
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Accepting changes

void DSBASE::ReleaseUnusedBlobs() {
  std::vector<std::uint32_t> blobFields;
  for (const auto& f : d_.fields)
    if (f.iFldType == fldBLOB) blobFields.push_back(static_cast<std::uint32_t>(&f - d_.fields.data()));
  if (blobFields.empty()) return;
  std::vector<bool> used(d_.blobs.entries.size() + 1, false);
  for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s) {
    if (!d_.Live(s)) continue;
    const std::uint8_t* r = d_.Rec(s);
    for (std::uint32_t i : blobFields) {
      const DSFLDDesc& f = d_.fields[i];
      const std::uint32_t id = Rd32(r + f.iFldOffsInRec);
      if (!r[f.iNullOffsInRec] && id < used.size()) used[id] = true;
    }
  }
  // values not yet stored in any record (still in a caller's buffer) stay
  for (std::uint32_t id = 1; id <= d_.blobs.committed && id <= d_.blobs.entries.size(); ++id)
    if (!used[id]) std::vector<std::uint8_t>().swap(d_.blobs.entries[id - 1]);
}

EngineResult DSBASE::AcceptChanges() noexcept {
  std::lock_guard lock(mu_);
  for (auto& n : nested_)
    if (n)
      if (EngineResult e = n->AcceptChanges()) return e;
  if (changeLog_.empty()) {
    ForgetSavePoints();
    return DBERR_NONE;
  }
  for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s) {
    std::uint8_t& a = d_.attrs[s - 1];
    a = (a & dsIsNotVisible) ? dsUnused : dsRecUnmodified;
  }
  while (d_.SlotCount() > 0 && d_.attrs.back() == dsUnused) DropLastSlotOrMark(d_.SlotCount());
  changeLog_.clear();
  changeLog_.shrink_to_fit();
  netCount_ = -1;
  ForgetSavePoints();
  ReleaseUnusedBlobs();
  NotifyChange();
  return DBERR_NONE;
}

// A change log read from a packet must name existing slots in a consistent
// way; the forwarding of old versions is rebuilt from it.
EngineResult DSBASE::LoadedLogCheck() {
  for (auto& n : nested_)
    if (n)
      if (EngineResult e = n->LoadedLogCheck()) return e;
  forward_.clear();
  const std::uint32_t n = d_.SlotCount();
  for (std::size_t at = 0; at + 2 < changeLog_.size(); at += 3) {
    const std::uint32_t s = changeLog_[at], p = changeLog_[at + 1], k = changeLog_[at + 2];
    switch (k) {
      case 0: break;
      case kLogDeleted:
      case kLogInserted:
        if (s == 0 || s > n) return DBERR_DATAPACKETMISMATCH;
        break;
      case kLogModified:
        if (s == 0 || s > n || p == 0 || p >= s) return DBERR_DATAPACKETMISMATCH;
        forward_[p] = s;
        break;
      case dsDetUpd:
        if (s == 0 || s > n) return DBERR_DATAPACKETMISMATCH;
        break;
      default: return DBERR_DATAPACKETMISMATCH;
    }
  }
  if (!changeLog_.empty() && d_.seq.empty()) {
    // versions of one record share the first version's insertion order
    d_.seq.resize(n);
    std::iota(d_.seq.begin(), d_.seq.end(), 1u);
    for (std::size_t at = 0; at + 2 < changeLog_.size(); at += 3)
      if (changeLog_[at + 2] == kLogModified) d_.seq[changeLog_[at] - 1] = d_.seq[changeLog_[at + 1] - 1];
    for (auto& ix : indexes_)
      if (EngineResult e = ix->Rebuild(ix->desc())) return e;
  }
  netCount_ = -1;
  return DBERR_NONE;
}

}  // namespace engine
