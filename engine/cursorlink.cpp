// DSCursor: the master-detail link. A detail cursor over a nested table
// shows the nested records of its master's current record (by the master
// record's link number); a detail cursor over a separate table shows the
// records whose link fields hold the master record's values, as a range of
// an order that begins with those fields.
#include <cstring>

#include "engine/dscursor.h"
#include "engine/masterdetail.h"
#include "engine/packetformat.h"

namespace engine {

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

std::uint32_t DSCursor::LinkId() const { return FieldLinked() ? fieldLinkId_ : masterField_ + 1; }

bool DSCursor::OrderFitsLink(const DSIDXDesc& d) const {
  if (!FieldLinked()) return true;
  if (d.iFields < static_cast<std::int32_t>(linkFields_.size())) return false;
  for (std::size_t i = 0; i < linkFields_.size(); ++i)
    if (d.iKeyFields[i] != static_cast<std::int32_t>(linkFields_[i] + 1)) return false;
  return true;
}

bool DSCursor::MasterLinkKey(std::vector<std::uint8_t>& key, std::uint32_t* masterSlot) {
  DSCursor& m = *master_.get();
  if (m.state_ != DBERR_NONE) return false;
  const std::uint32_t ms = m.order_->SlotAt(static_cast<std::uint32_t>(m.pos_));
  *masterSlot = ms;
  key.assign(static_cast<std::size_t>(table_->data().recSize), 0);
  CopyLinkValues(m.table_->data().fields, masterLinkFields_, m.table_->data().Rec(ms), table_->data().fields,
                 linkFields_, key.data());
  return true;
}

void DSCursor::FillLinkFields(std::uint8_t* rec) const {
  if (!linked_ || !master_) return;
  const TableData& d = table_->data();
  if (FieldLinked()) {
    if (!linkKeySet_) return;
    for (std::uint32_t i : linkFields_) {
      const DSFLDDesc& f = d.fields[i];
      std::memcpy(rec + f.iFldOffsInRec, linkKey_.data() + f.iFldOffsInRec, static_cast<std::size_t>(f.iFldLen));
      rec[f.iNullOffsInRec] = linkKey_[static_cast<std::size_t>(f.iNullOffsInRec)];
    }
    return;
  }
  // a nested table attached by link fields: the master record's values
  DSBASE& mt = *master_.get()->table_;
  const DSBASE::FieldLink* l = mt.NestedLinkFields(masterField_);
  const std::uint32_t ms = masterSlot_ ? mt.Follow(masterSlot_) : 0;
  if (!l || ms == 0) return;
  CopyLinkValues(mt.data().fields, l->masterFields, mt.data().Rec(ms), d.fields, l->detailFields, rec);
}

EngineResult DSCursor::NestedInsertLink(std::uint32_t* link) {
  DSBASE& mt = *master_.get()->table_;
  std::lock_guard masterLock(mt.mutex());
  const std::uint32_t ms = masterSlot_ ? mt.Follow(masterSlot_) : 0;
  if (ms == 0) return DBERR_NOMASTERRECORD;
  const DSFLDDesc& f = mt.data().fields[masterField_];
  std::uint8_t* r = mt.data().Rec(ms);
  std::uint32_t v = r[f.iNullOffsInRec] ? 0 : Rd32(r + f.iFldOffsInRec);
  if (v & 0x80000000u) return DBERR_DETAILSNOTFETCHED;
  if (v == 0) {
    // the master record's first detail: it gets its link number now
    if (EngineResult e = table_->NewLink(&v)) return e;
    Wr32(r + f.iFldOffsInRec, v);
    r[f.iNullOffsInRec] = BLANK_NONE;
    link_ = v;
  }
  *link = v;
  return DBERR_NONE;
}

EngineResult DSCursor::LogDetailChange() {
  for (DSCursor* c = this; c->linked_ && c->master_; c = c->master_.get()) {
    // a detail that does not log its changes could not undo them either
    if (!c->table_->logChanges()) break;
    DSBASE& mt = *c->master_.get()->table_;
    std::lock_guard masterLock(mt.mutex());
    const std::uint32_t ms = c->masterSlot_ ? mt.Follow(c->masterSlot_) : 0;
    if (ms == 0) break;
    if (EngineResult e = mt.LogDetailUpdate(ms, c->LinkId())) return e;
  }
  return DBERR_NONE;
}

void DSCursor::ForgetDetailChanges(std::size_t entries) {
  for (DSCursor* c = this; entries > 0 && c->linked_ && c->master_; c = c->master_.get()) {
    DSBASE& mt = *c->master_.get()->table_;
    std::lock_guard masterLock(mt.mutex());
    entries = mt.ForgetDetailUpdates(c->LinkId(), entries);
  }
}

EngineResult DSCursor::LinkCursors(std::uint32_t fields, const std::uint32_t* masterFields,
                                   const std::uint32_t* detailFields, IDSCursor* detail) noexcept {
  CURSOR_LOCK();
  if (!detail) return DBERR_INVALIDPARAM;
  void* p = nullptr;
  if (detail->QueryInterface(IID_IDSCursor, &p) != DBERR_NONE) return DBERR_INVALIDPARAM;
  detail->Release();
  auto* d = static_cast<DSCursor*>(static_cast<IDSCursor*>(p));
  if (!d->Bound() || d == this) return DBERR_INVALIDPARAM;
  // a master must not follow its own detail
  for (DSCursor* c = this; c; c = c->master_.get())
    if (c == d) return DBERR_INVALIDPARAM;
  std::lock_guard detailLock(d->table_->mutex());
  if (fields == 0) {
    for (std::uint32_t i = 0; i < table_->data().fields.size(); ++i) {
      if (table_->Nested(i) == d->table_.get()) {
        d->master_ = DSRef<DSCursor>(this, true);
        d->masterField_ = i;
        d->linked_ = true;
        d->linkFields_.clear();
        d->masterLinkFields_.clear();
        d->linkKeySet_ = false;
        d->masterCounterSeen_ = 0xFFFFFFFFu;
        return d->ResyncWithMaster();
      }
    }
    return DBERR_OUTOFRANGE;
  }
  if (fields > MAXKEYFIELDS || !masterFields || !detailFields) return DBERR_INVALIDPARAM;
  const auto& mfs = table_->data().fields;
  const auto& dfs = d->table_->data().fields;
  std::vector<std::uint32_t> mf, df;
  try {
    for (std::uint32_t i = 0; i < fields; ++i) {
      if (masterFields[i] < 1 || masterFields[i] > mfs.size() || detailFields[i] < 1 || detailFields[i] > dfs.size())
        return DBERR_INVALIDPARAM;
      if (!LinkableFields(mfs[masterFields[i] - 1], dfs[detailFields[i] - 1])) return DBERR_INVALIDPARAM;
      mf.push_back(masterFields[i] - 1);
      df.push_back(detailFields[i] - 1);
    }
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  // the detail's order must begin with the detail link fields
  const DSIDXDesc& od = d->order_->desc();
  if (od.iFields < static_cast<std::int32_t>(fields)) return DBERR_OUTOFRANGE;
  for (std::uint32_t i = 0; i < fields; ++i)
    if (od.iKeyFields[i] != static_cast<std::int32_t>(detailFields[i])) return DBERR_OUTOFRANGE;
  std::uint32_t id = 0;
  if (EngineResult e = table_->AddFieldLink(d->table_.get(), mf, df, &id)) return e;
  d->master_ = DSRef<DSCursor>(this, true);
  d->linked_ = true;
  d->masterField_ = 0;
  d->link_ = 0;
  d->detailsNotFetched_ = false;
  d->linkFields_ = std::move(df);
  d->masterLinkFields_ = std::move(mf);
  d->fieldLinkId_ = id;
  d->linkKeySet_ = false;
  d->masterCounterSeen_ = 0xFFFFFFFFu;
  return d->ResyncWithMaster();
}

EngineResult DSCursor::ResyncWithMaster() noexcept {
  CURSOR_LOCK();
  if (!linked_ || !master_) return DBERR_NA;
  DSCursor& m = *master_.get();
  std::lock_guard masterLock(m.table_->mutex());
  m.Sync();
  auto noMaster = [&] {
    link_ = 0;
    detailsNotFetched_ = false;
    linkKeySet_ = false;
    masterSlot_ = 0;
    masterCounterSeen_ = m.changeCounter_;
    Sync();
    ComputeRange();
    pos_ = first_ - 1;
    state_ = DBERR_NOCURRREC;
    Remember();
    return DBERR_NOCURRREC;
  };
  if (FieldLinked()) {
    std::vector<std::uint8_t> key;
    std::uint32_t ms = 0;
    try {
      if (!MasterLinkKey(key, &ms)) return noMaster();
    } catch (...) {
      return DBERR_NOMEMORY;
    }
    const bool same = linkKeySet_ && key == linkKey_;
    masterSlot_ = ms;
    if (same && m.changeCounter_ == masterCounterSeen_) return DBERR_NONE;
    linkKey_.swap(key);
    linkKeySet_ = true;
  } else {
    if (m.state_ != DBERR_NONE) return noMaster();
    const std::uint32_t ms = m.order_->SlotAt(static_cast<std::uint32_t>(m.pos_));
    const std::uint8_t* r = m.table_->data().Rec(ms);
    const DSFLDDesc& f = m.table_->data().fields[masterField_];
    const std::uint32_t v = r[f.iNullOffsInRec] ? 0 : Rd32(r + f.iFldOffsInRec);
    const bool notFetched = (v & 0x80000000u) != 0;
    const std::uint32_t link = v & 0x7FFFFFFFu;
    const bool same = masterSlot_ == ms && link == link_ && notFetched == detailsNotFetched_;
    masterSlot_ = ms;
    if (same && m.changeCounter_ == masterCounterSeen_) return DBERR_NONE;
    link_ = link;
    detailsNotFetched_ = notFetched;
  }
  masterCounterSeen_ = m.changeCounter_;
  Sync();
  seenMod_ = order_->modCount();
  ComputeRange();
  return StandAtBOF();
}

}  // namespace engine
