// DSCursor: binding, synchronisation, moves, bookmarks, ranges, key search,
// orders and the master-detail link.
#include "engine/dscursor.h"

#include <cstring>
#include <strings.h>
#include <new>

#include "engine/fieldcompare.h"

namespace engine {

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

EngineResult CreateDSCursor(IDSCursor** out) noexcept {
  if (!out) return DBERR_INVALIDPARAM;
  auto* c = new (std::nothrow) DSCursor();
  if (!c) return DBERR_NOMEMORY;
  c->AddRef();
  *out = c;
  return DBERR_NONE;
}

DSCursor::~DSCursor() {
  if (table_) {
    std::lock_guard lock(table_->mutex());
    table_->SetNotify(this, 0, nullptr);
    if (base_) --base_->users;
    if (order_) --order_->users;
    order_.reset();
    base_.reset();
    table_->DropUnusedTemporaries();
  }
}

void DSCursor::SetOrder(std::shared_ptr<DSIndex> ix) {
  ++ix->users;
  const bool dropOld = order_ && --order_->users <= 0 && order_->temporary();
  order_ = std::move(ix);
  if (dropOld) table_->DropUnusedTemporaries();
}

EngineResult DSCursor::InitCursor(IDSBase* table) noexcept {
  if (Bound()) return DBERR_NA;
  if (!table) return DBERR_INVALIDPARAM;
  void* p = nullptr;
  if (table->QueryInterface(IID_IDSBase, &p) != DBERR_NONE) return DBERR_INVALIDPARAM;
  table->Release();  // QueryInterface added a reference; DSRef below holds its own
  auto* t = static_cast<DSBASE*>(static_cast<IDSBase*>(p));
  std::lock_guard lock(t->mutex());
  if (!t->HasFields() || !t->DefaultOrder()) return DBERR_NA;
  try {
    fields_ = t->data().fields;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  table_ = DSRef<DSBASE>(t, true);
  SetOrder(t->DefaultOrder());
  seenMod_ = order_->modCount();
  ComputeRange();
  return StandAtBOF();
}

EngineResult DSCursor::CloneCursor(IDSCursor* other) noexcept {
  if (!other) return DBERR_INVALIDPARAM;
  void* p = nullptr;
  if (other->QueryInterface(IID_IDSCursor, &p) != DBERR_NONE) return DBERR_INVALIDPARAM;
  other->Release();
  auto* o = static_cast<DSCursor*>(static_cast<IDSCursor*>(p));
  if (o == this) return DBERR_NONE;
  if (!o->Bound()) return DBERR_INVALIDPARAM;
  if (Bound() && table_.get() != o->table_.get()) return DBERR_NA;
  std::lock_guard lock(o->table_->mutex());
  o->Sync();
  try {
    if (!Bound()) {
      table_ = o->table_;
      fields_ = o->fields_;
    }
    low_ = o->low_;
    high_ = o->high_;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  if (base_) --base_->users;
  base_ = o->base_;
  if (base_) ++base_->users;
  try {
    filters_ = o->filters_;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  nextFilter_ = o->nextFilter_;
  baseSeen_ = o->baseSeen_;
  stampSeen_ = o->stampSeen_;
  slotsSeen_ = o->slotsSeen_;
  changeOrder_ = o->changeOrder_;
  viewSeen_ = o->viewSeen_;
  access_ = o->access_;
  SetOrder(o->order_);
  master_ = o->master_;
  masterField_ = o->masterField_;
  linked_ = o->linked_;
  link_ = o->link_;
  detailsNotFetched_ = o->detailsNotFetched_;
  masterCounterSeen_ = o->masterCounterSeen_;
  try {
    linkFields_ = o->linkFields_;
    masterLinkFields_ = o->masterLinkFields_;
    linkKey_ = o->linkKey_;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  fieldLinkId_ = o->fieldLinkId_;
  linkKeySet_ = o->linkKeySet_;
  masterSlot_ = o->masterSlot_;
  pos_ = o->pos_;
  state_ = o->state_;
  first_ = o->first_;
  last_ = o->last_;
  baseFirst_ = o->baseFirst_;
  baseLast_ = o->baseLast_;
  recNo_ = o->recNo_;
  seenMod_ = o->seenMod_;
  ++changeCounter_;
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Range and synchronisation

std::uint32_t DSCursor::Lower(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const {
  std::int64_t lo = baseFirst_, hi = baseLast_ + 1;
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (order_->CompareKey(key, n, partial, static_cast<std::uint32_t>(mid)) > 0) lo = mid + 1;
    else hi = mid;
  }
  return static_cast<std::uint32_t>(lo);
}

std::uint32_t DSCursor::Upper(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const {
  std::int64_t lo = baseFirst_, hi = baseLast_ + 1;
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (order_->CompareKey(key, n, partial, static_cast<std::uint32_t>(mid)) >= 0) lo = mid + 1;
    else hi = mid;
  }
  return static_cast<std::uint32_t>(lo);
}

void DSCursor::ComputeRange() {
  baseFirst_ = 1;
  baseLast_ = order_->count();
  if (FieldLinked()) {
    if (!linkKeySet_ || !OrderFitsLink(order_->desc())) {
      baseFirst_ = 1;
      baseLast_ = 0;
    } else {
      const auto n = static_cast<std::uint32_t>(linkFields_.size());
      const std::uint32_t lo = Lower(linkKey_.data(), n, 0), hi = Upper(linkKey_.data(), n, 0);
      baseFirst_ = lo;
      baseLast_ = static_cast<std::int64_t>(hi) - 1;
    }
  } else if (linked_) {
    if (detailsNotFetched_ || link_ == 0) {
      baseFirst_ = 1;
      baseLast_ = 0;
    } else {
      baseFirst_ = order_->LinkLower(link_);
      baseLast_ = static_cast<std::int64_t>(order_->LinkUpper(link_)) - 1;
    }
  }
  first_ = baseFirst_;
  last_ = baseLast_;
  if (low_.set) first_ = low_.inclusive ? Lower(low_.key.data(), low_.fields, 0) : Upper(low_.key.data(), low_.fields, 0);
  if (high_.set)
    last_ = static_cast<std::int64_t>(high_.inclusive ? Upper(high_.key.data(), high_.fields, 0)
                                                      : Lower(high_.key.data(), high_.fields, 0)) - 1;
  // an inverted range is empty, never negative
  if (last_ < first_ - 1) last_ = first_ - 1;
}

void DSCursor::Remember() {
  recNo_ = (pos_ >= 1 && pos_ <= static_cast<std::int64_t>(order_->count()))
               ? order_->SlotAt(static_cast<std::uint32_t>(pos_))
               : 0;
  ++changeCounter_;
}

void DSCursor::Sync() {
  if (linked_ && master_) {
    // a detail follows its master's current record lazily
  }
  RefreshChangeOrder();
  RefreshFilter();
  if (order_->modCount() == seenMod_) return;
  ComputeRange();
  if (state_ == DBERR_BOF) {
    pos_ = first_ - 1;
  } else if (state_ == DBERR_EOF) {
    pos_ = last_ + 1;
  } else {
    const bool same = pos_ >= 1 && pos_ <= static_cast<std::int64_t>(order_->count()) &&
                      order_->SlotAt(static_cast<std::uint32_t>(pos_)) == recNo_;
    if (!same && recNo_ != 0) {
      std::uint32_t p = order_->PositionOf(recNo_);
      if (p == 0) {
        // the record may live on in a newer (or restored older) version
        const std::uint32_t f = table_->Follow(recNo_);
        if (f != 0 && f != recNo_ && (p = order_->PositionOf(f)) != 0) recNo_ = f;
      }
      if (p != 0) {
        pos_ = p;
        if (state_ == DBERR_KEYORRECDELETED) state_ = DBERR_NONE;
      } else {
        state_ = DBERR_KEYORRECDELETED;  // the record at pos_ is now its follower
      }
    }
    if (state_ == DBERR_NONE && (pos_ < first_ || pos_ > last_)) {
      // the record left the range
      state_ = DBERR_KEYORRECDELETED;
    }
    if (pos_ < first_ - 1) pos_ = first_ - 1;
    if (pos_ > last_ + 1) pos_ = last_ + 1;
  }
  seenMod_ = order_->modCount();
}

// ---------------------------------------------------------------------------
// Moves

// Places the cursor on the crack before the first record of its range.
EngineResult DSCursor::StandAtBOF() noexcept {
  pos_ = first_ - 1;
  state_ = DBERR_BOF;
  Remember();
  return DBERR_NONE;
}

EngineResult DSCursor::MoveToBOF() noexcept {
  CURSOR_LOCK();
  Sync();
  return StandAtBOF();
}

EngineResult DSCursor::MoveToEOF() noexcept {
  CURSOR_LOCK();
  Sync();
  pos_ = last_ + 1;
  state_ = DBERR_EOF;
  Remember();
  return DBERR_NONE;
}

EngineResult DSCursor::MoveRelative(std::int32_t n) noexcept {
  CURSOR_LOCK();
  Sync();
  if (n == 0) return state_;
  std::int64_t target;
  if (n > 0) {
    std::int64_t start = state_ == DBERR_BOF ? first_ - 1 : pos_;
    if (state_ == DBERR_KEYORRECDELETED) start -= 1;  // the follower occupies pos_
    if (start < first_ - 1) start = first_ - 1;
    target = start + n;
    if (target <= last_) {
      pos_ = target;
      state_ = DBERR_NONE;
    } else {
      pos_ = last_ + 1;
      state_ = DBERR_EOF;
    }
  } else {
    const std::int64_t k = -static_cast<std::int64_t>(n);
    std::int64_t start;
    if (state_ == DBERR_EOF) start = last_ + 1;
    else if (state_ == DBERR_NOCURRREC) start = pos_ + 1;  // a crack lies after pos_
    else start = pos_;
    if (start > last_ + 1) start = last_ + 1;
    target = start - k;
    if (target > last_) target = last_;
    if (target >= first_) {
      pos_ = target;
      state_ = DBERR_NONE;
    } else {
      pos_ = first_ - 1;
      state_ = DBERR_BOF;
    }
  }
  Remember();
  return state_;
}

EngineResult DSCursor::MoveToSeqNo(std::uint32_t seqNo) noexcept {
  CURSOR_LOCK();
  Sync();
  const std::int64_t p = first_ - 1 + static_cast<std::int64_t>(seqNo);
  if (p <= first_ - 1) {
    pos_ = first_ - 1;
    state_ = DBERR_BOF;
  } else if (p >= last_ + 1) {
    pos_ = last_ + 1;
    state_ = DBERR_EOF;
  } else {
    pos_ = p;
    state_ = DBERR_NONE;
  }
  Remember();
  return state_;
}

EngineResult DSCursor::GetSequenceNumber(std::uint32_t* seqNo) noexcept {
  CURSOR_LOCK();
  if (!seqNo) return DBERR_INVALIDPARAM;
  Sync();
  if (state_ != DBERR_NONE) return state_;
  *seqNo = static_cast<std::uint32_t>(pos_ - first_ + 1);
  return DBERR_NONE;
}

EngineResult DSCursor::GetRecordCount(std::int32_t* count) noexcept {
  CURSOR_LOCK();
  if (!count) return DBERR_INVALIDPARAM;
  Sync();
  if (linked_ && detailsNotFetched_) {
    *count = static_cast<std::int32_t>(0x80000000u);
    return DBERR_DETAILSNOTFETCHED;
  }
  const std::int64_t n = last_ - first_ + 1;
  *count = static_cast<std::int32_t>(n > 0 ? n : 0);
  return DBERR_NONE;
}

const std::uint8_t* DSCursor::CurrentRec() {
  Sync();
  if (state_ != DBERR_NONE) return nullptr;
  return table_->data().Rec(order_->SlotAt(static_cast<std::uint32_t>(pos_)));
}

EngineResult DSCursor::GetCurrentRecord(std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  const std::uint8_t* r = CurrentRec();
  if (!r) return state_;
  if (recBuf) std::memcpy(recBuf, r, static_cast<std::size_t>(table_->data().recSize));
  return DBERR_NONE;
}

EngineResult DSCursor::GetRecordAttribute(std::uint8_t* attr) noexcept {
  CURSOR_LOCK();
  if (!attr) return DBERR_INVALIDPARAM;
  Sync();
  if (state_ != DBERR_NONE) return state_;
  std::uint8_t a = table_->data().attrs[order_->SlotAt(static_cast<std::uint32_t>(pos_)) - 1];
  if ((a & dsRecModified) && (a & dsRecNew)) a = dsRecNew;
  *attr = a;
  return DBERR_NONE;
}

EngineResult DSCursor::GetRecordNumber(std::uint32_t* recNo) noexcept {
  CURSOR_LOCK();
  if (!recNo) return DBERR_INVALIDPARAM;
  Sync();
  *recNo = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0;
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Bookmarks

EngineResult DSCursor::GetCurrentBookMark(std::uint8_t* bookmark) noexcept {
  CURSOR_LOCK();
  if (!bookmark) return DBERR_INVALIDPARAM;
  Sync();
  DSBOOKMRK b{};
  b.iPos = static_cast<std::int32_t>(pos_);
  b.iState = state_;
  b.iRecNo = static_cast<std::int32_t>(state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0);
  b.iSeqNo = static_cast<std::int32_t>(order_->modCount());
  b.iOrderID = static_cast<std::int32_t>(order_->id());
  std::memcpy(bookmark, &b, sizeof b);
  return DBERR_NONE;
}

bool DSCursor::ValidBookmark(const DSBOOKMRK& b) const {
  const std::int32_t s = b.iState;
  if (s != DBERR_NONE && s != DBERR_BOF && s != DBERR_EOF && s != DBERR_KEYORRECDELETED && s != DBERR_NOCURRREC)
    return false;
  if (b.iRecNo < 0 || static_cast<std::uint32_t>(b.iRecNo) > table_->data().SlotCount()) return false;
  if (s == DBERR_NONE && b.iRecNo == 0) return false;
  return true;
}

bool DSCursor::ResolveBookmark(const DSBOOKMRK& b, std::int64_t* pos) const {
  if (b.iState == DBERR_BOF) {
    *pos = first_ - 1;
    return true;
  }
  if (b.iState == DBERR_EOF) {
    *pos = last_ + 1;
    return true;
  }
  if (b.iRecNo == 0) return false;
  const std::uint32_t slot = static_cast<std::uint32_t>(b.iRecNo);
  if (static_cast<std::uint32_t>(b.iOrderID) == order_->id() && static_cast<std::uint32_t>(b.iSeqNo) == order_->modCount() &&
      b.iPos >= 1 && static_cast<std::uint32_t>(b.iPos) <= order_->count() &&
      order_->SlotAt(static_cast<std::uint32_t>(b.iPos)) == slot) {
    *pos = b.iPos;
    return true;
  }
  std::uint32_t p = order_->PositionOf(slot);
  if (p == 0) {
    // a bookmark taken before a modification finds the record's new version
    const std::uint32_t f = table_->Follow(slot);
    if (f != 0 && f != slot) p = order_->PositionOf(f);
  }
  if (p == 0) return false;
  *pos = p;
  return true;
}

EngineResult DSCursor::MoveToBookMark(const std::uint8_t* bookmark) noexcept {
  CURSOR_LOCK();
  if (!bookmark) return DBERR_INVALIDPARAM;
  Sync();
  DSBOOKMRK b;
  std::memcpy(&b, bookmark, sizeof b);
  if (!ValidBookmark(b)) return DBERR_INVALIDPARAM;
  std::int64_t p = 0;
  if (!ResolveBookmark(b, &p)) return DBERR_RECNOTFOUND;  // cursor unchanged
  if (p > last_) {
    pos_ = last_ + 1;
    state_ = DBERR_EOF;
  } else if (p < first_) {
    pos_ = first_ - 1;
    state_ = DBERR_BOF;
  } else {
    pos_ = p;
    state_ = b.iState == DBERR_NOCURRREC ? DBERR_NOCURRREC : DBERR_NONE;
  }
  Remember();
  return state_ == DBERR_NOCURRREC ? DBERR_NONE : state_;
}

EngineResult DSCursor::CompareBookMarks(const std::uint8_t* bm1, const std::uint8_t* bm2,
                                        std::int32_t* result) noexcept {
  CURSOR_LOCK();
  if (!bm1 || !bm2 || !result) return DBERR_INVALIDPARAM;
  Sync();
  DSBOOKMRK a, b;
  std::memcpy(&a, bm1, sizeof a);
  std::memcpy(&b, bm2, sizeof b);
  if (!ValidBookmark(a) || !ValidBookmark(b)) return DBERR_INVALIDPARAM;
  std::int64_t pa = 0, pb = 0;
  // positions as they are now, not as they were when the bookmarks were taken
  if (!ResolveBookmark(a, &pa) || !ResolveBookmark(b, &pb)) {
    *result = 0;
    return DBERR_RECNOTFOUND;
  }
  *result = pa < pb ? -1 : (pa > pb ? 1 : 0);
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Ranges and keys

EngineResult DSCursor::SetRange(std::uint32_t fields, const std::uint8_t* keyLow, DSBool lowInclusive,
                                const std::uint8_t* keyHigh, DSBool highInclusive) noexcept {
  CURSOR_LOCK();
  if (order_->keyFields() == 0) return DBERR_NOTINDEXED;
  if (fields == 0xFFFFFFFFu) fields = 1;
  if (fields == 0) fields = order_->keyFields();
  if (fields > order_->keyFields()) return DBERR_OUTOFRANGE;
  const std::size_t rs = static_cast<std::size_t>(table_->data().recSize);
  try {
    RangeKey lo, hi;
    if (keyLow) lo = RangeKey{true, std::vector<std::uint8_t>(keyLow, keyLow + rs), fields, lowInclusive != 0};
    if (keyHigh) hi = RangeKey{true, std::vector<std::uint8_t>(keyHigh, keyHigh + rs), fields, highInclusive != 0};
    low_ = std::move(lo);
    high_ = std::move(hi);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  Sync();
  ComputeRange();
  return StandAtBOF();
}

EngineResult DSCursor::DropRange() noexcept {
  CURSOR_LOCK();
  low_ = RangeKey{};
  high_ = RangeKey{};
  Sync();
  ComputeRange();
  return StandAtBOF();
}

EngineResult DSCursor::MoveToKey(DBSearchCond cond, std::uint32_t fields, std::uint32_t partialLen,
                                 const std::uint8_t* key) noexcept {
  CURSOR_LOCK();
  if (!key) return DBERR_INVALIDPARAM;
  if (order_->keyFields() == 0) return DBERR_NOTINDEXED;
  if (fields == 0 && partialLen == 0) fields = order_->keyFields();
  const std::uint32_t n = fields + (partialLen ? 1 : 0);
  if (n == 0 || n > order_->keyFields()) return DBERR_OUTOFRANGE;
  if (partialLen && order_->keys()[n - 1].type != fldZSTRING) return DBERR_INVALIDPARAM;
  Sync();
  std::int64_t p;
  if (cond == keySEARCHEQ || cond == keySEARCHGEQ) {
    p = Lower(key, n, partialLen);
    if (cond == keySEARCHEQ &&
        (p > baseLast_ || order_->CompareKey(key, n, partialLen, static_cast<std::uint32_t>(p)) != 0))
      return DBERR_RECNOTFOUND;
  } else if (cond == keySEARCHGT) {
    p = Upper(key, n, partialLen);
  } else {
    return DBERR_INVALIDPARAM;
  }
  if (p > last_) {
    pos_ = last_ + 1;
    state_ = DBERR_EOF;
  } else if (p < first_) {
    pos_ = first_ - 1;
    state_ = DBERR_BOF;
  } else {
    pos_ = p - 1;
    state_ = DBERR_NOCURRREC;
  }
  Remember();
  return DBERR_NONE;
}

EngineResult DSCursor::GetRecordForKey(std::uint32_t fields, std::uint32_t partialLen, const std::uint8_t* key,
                                       std::uint8_t* recBuf) noexcept {
  CURSOR_LOCK();
  if (EngineResult r = MoveToKey(keySEARCHEQ, fields, partialLen, key)) return r;
  if (EngineResult r = MoveRelative(1)) return r;
  return GetCurrentRecord(recBuf);
}

EngineResult DSCursor::ExtractKey(const std::uint8_t* recBuf, std::uint8_t* keyBuf) noexcept {
  CURSOR_LOCK();
  if (!recBuf || !keyBuf) return DBERR_INVALIDPARAM;
  std::memset(keyBuf, 0, static_cast<std::size_t>(table_->data().recSize));
  for (const auto& k : order_->keys()) {
    std::memcpy(keyBuf + k.offset, recBuf + k.offset, static_cast<std::size_t>(k.length));
    keyBuf[k.nullOffset] = recBuf[k.nullOffset];
  }
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Orders

void DSCursor::KeepRecordAfterOrderChange(std::uint32_t slot) {
  seenMod_ = order_->modCount();
  low_ = RangeKey{};
  high_ = RangeKey{};
  ComputeRange();
  const std::uint32_t p = slot ? order_->PositionOf(slot) : 0;
  if (p != 0 && p >= first_ && p <= last_) {
    pos_ = p;
    state_ = DBERR_NONE;
  } else {
    pos_ = first_ - 1;
    state_ = DBERR_BOF;
  }
  Remember();
}

// While the order of a filtered cursor changes, the cursor stands in its
// base order; afterwards the filters are applied to the order then current
// and the cursor stays on its record.
class DSCursor::BaseOrderScope {
 public:
  explicit BaseOrderScope(DSCursor& c) : c_(c), active_(c.Filtering()) {
    if (!active_) return;
    c_.Sync();
    const std::uint32_t slot =
        c_.state_ == DBERR_NONE ? c_.order_->SlotAt(static_cast<std::uint32_t>(c_.pos_)) : 0;
    c_.RestoreBaseOrder();
    c_.PlaceOn(slot);
  }
  ~BaseOrderScope() {
    if (!active_) return;
    const std::uint32_t slot =
        c_.state_ == DBERR_NONE ? c_.order_->SlotAt(static_cast<std::uint32_t>(c_.pos_)) : 0;
    c_.base_ = c_.order_;
    ++c_.base_->users;
    if (c_.BuildFilteredOrder() != DBERR_NONE) {
      c_.filters_.clear();  // out of memory: the cursor shows every record
      c_.RestoreBaseOrder();
    }
    c_.PlaceOn(slot);
  }
  BaseOrderScope(const BaseOrderScope&) = delete;
  BaseOrderScope& operator=(const BaseOrderScope&) = delete;

 private:
  DSCursor& c_;
  bool active_;
};

EngineResult DSCursor::UseIndexOrder(const char* name) noexcept {
  CURSOR_LOCK();
  BaseOrderScope scope(*this);
  Sync();
  const std::uint32_t slot = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0;
  if (name && strcasecmp(name, "CHANGEINDEX") == 0) {
    if (EngineResult r = BuildChangeOrder()) return r;
    KeepRecordAfterOrderChange(slot);
    return DBERR_NONE;
  }
  auto ix = table_->FindIndex(name && name[0] ? name : "DEFAULT_ORDER");
  if (!ix) return DBERR_NOSUCHINDEX;
  // a detail linked by fields keeps an order that begins with them
  if (!OrderFitsLink(ix->desc())) return DBERR_OUTOFRANGE;
  changeOrder_ = false;
  if (ix != order_) SetOrder(ix);
  KeepRecordAfterOrderChange(slot);
  return DBERR_NONE;
}

EngineResult DSCursor::SortOnFields(std::uint32_t n, const std::uint32_t* fieldNos, const DSBool* descending,
                                    const DSBool* caseInsensitive) noexcept {
  CURSOR_LOCK();
  if (n == 0 || n > MAXKEYFIELDS || !fieldNos) return DBERR_INVALIDPARAM;
  const std::uint32_t nf = static_cast<std::uint32_t>(table_->data().fields.size());
  DSIDXDesc d{};
  for (std::uint32_t i = 0; i < n; ++i) {
    if (fieldNos[i] < 1 || fieldNos[i] > nf) return DBERR_INVALIDPARAM;
    d.iKeyFields[i] = static_cast<std::int32_t>(fieldNos[i]);
    d.bDescending[i] = descending ? (descending[i] != 0) : 0;
    d.bCaseInsensitive[i] = caseInsensitive ? (caseInsensitive[i] != 0) : 0;
  }
  d.iFields = static_cast<std::int32_t>(n);
  if (EngineResult r = DSIndex::Check(table_->data(), d)) return r;
  if (!OrderFitsLink(d)) return DBERR_OUTOFRANGE;
  CopyName(d.szName, DSNAMELEN, table_->data().fields[fieldNos[0] - 1].szName);
  BaseOrderScope scope(*this);
  Sync();
  const std::uint32_t slot = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0;
  DSIDXDesc cur = order_->desc();
  cur.bUnique = 0;
  if (SameIndexDesc(cur, d)) return DBERR_NONE;
  std::shared_ptr<DSIndex> ix = table_->FindIndexByDesc(d);
  if (!ix) {
    DSIDXDesc du = d;
    du.bUnique = 1;
    ix = table_->FindIndexByDesc(du);
  }
  if (!ix) {
    if (order_->temporary() && order_->users == 1) {
      if (EngineResult r = order_->Rebuild(d)) return r;
      ix = order_;
    } else {
      std::vector<std::uint32_t> from;
      try {
        from.reserve(order_->count());
        for (std::uint32_t p = 1; p <= order_->count(); ++p) from.push_back(order_->SlotAt(p));
      } catch (...) {
        return DBERR_NOMEMORY;
      }
      EngineResult r = DBERR_NONE;
      ix = table_->NewTemporaryIndex(d, from, &r);
      if (!ix) return r;
    }
  }
  if (ix != order_) SetOrder(ix);
  changeOrder_ = false;
  KeepRecordAfterOrderChange(slot);
  return DBERR_NONE;
}

// ---------------------------------------------------------------------------
// Properties and descriptors

EngineResult DSCursor::GetCursorProps(DSProps* props) noexcept {
  CURSOR_LOCK();
  if (EngineResult r = table_->GetProps(props)) return r;
  props->iRecBufSize = table_->data().recSize;
  props->iBookMarkSize = DSBOOKMARKSIZE;
  return DBERR_NONE;
}

EngineResult DSCursor::GetIndexDescs(DSBool currentOnly, DSIDXDesc* indexes) noexcept {
  CURSOR_LOCK();
  if (!indexes) return DBERR_INVALIDPARAM;
  if (currentOnly) {
    *indexes = order_->desc();
    return DBERR_NONE;
  }
  return table_->GetIndexDescs(indexes);
}

EngineResult DSCursor::GetFieldDescs(DSFLDDesc* fields) noexcept {
  CURSOR_LOCK();
  if (!fields) return DBERR_INVALIDPARAM;
  for (std::size_t i = 0; i < fields_.size(); ++i) fields[i] = fields_[i];
  return DBERR_NONE;
}

EngineResult DSCursor::GetRecordBlock(std::uint32_t*, std::uint8_t*) noexcept { return DBERR_NONE; }

EngineResult DSCursor::SetNotifyCallBack(DSClientData client, pfCHANGECallBack callback) noexcept {
  CURSOR_LOCK();
  table_->SetNotify(this, client, callback);
  notifyClient_ = client;
  notify_ = callback;
  return DBERR_NONE;
}

EngineResult DSCursor::GetProp(CURProp prop, void* value) noexcept {
  CURSOR_LOCK();
  if (!value) return DBERR_INVALIDPARAM;
  switch (prop) {
    case curpropDSBASE:
      // a borrowed pointer: the cursor keeps the table alive
      *static_cast<IDSBase**>(value) = table_.get();
      return DBERR_NONE;
    case curpropGETORG_RECBUF: {
      Sync();
      if (state_ != DBERR_NONE) return state_;
      return DBERR_RECNOTFOUND;  // no older version without a change log entry
    }
    default: return DBERR_INVALIDPARAM;
  }
}

EngineResult DSCursor::SetProp(CURProp prop, std::uintptr_t value) noexcept {
  CURSOR_LOCK();
  switch (prop) {
    case curpropSETCRACK:
      Sync();
      if (state_ != DBERR_NONE) return state_;
      state_ = value == 0 ? DBERR_NOCURRREC : static_cast<EngineResult>(value);
      if (state_ != DBERR_NOCURRREC && state_ != DBERR_KEYORRECDELETED && state_ != DBERR_BOF &&
          state_ != DBERR_EOF) {
        state_ = DBERR_NONE;
        return DBERR_INVALIDPARAM;
      }
      ++changeCounter_;
      return DBERR_NONE;
    case curpropFLDWRITABLE:
    case curpropFLDREADONLY: {
      if (value == 0 || value > fields_.size()) return DBERR_INVALIDPARAM;
      auto& f = fields_[value - 1];
      if (prop == curpropFLDREADONLY) f.iFldAttr |= fldAttrREADONLY;
      else f.iFldAttr &= ~fldAttrREADONLY;
      return DBERR_NONE;
    }
    default: return DBERR_INVALIDPARAM;
  }
}

}  // namespace engine
