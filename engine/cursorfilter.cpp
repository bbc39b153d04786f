// DSCursor: expression and function filters, and locating by an expression.
// A filtered cursor moves over an order of its own that holds the records of
// its base order passing every filter; positions, counts, sequence numbers,
// ranges and key searches then all work on that order unchanged.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/dscursor.h"
#include "engine/expr/expr_program.h"
#include "engine/expr/expr_record.h"
#include "engine/storedaccess.h"

namespace engine {

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

EngineResult DSCursor::CompileBlob(const void* blob, std::uint32_t size, std::shared_ptr<expr::ExprProgram>& out) {
  if (!blob || size < 10) return DBERR_INVALIDPARAM;
  // the blob's own 16-bit total size bounds what is read
  std::uint16_t total = 0;
  std::memcpy(&total, static_cast<const std::uint8_t*>(blob) + 2, 2);
  if (total > size) return DBERR_INVALIDPARAM;
  try {
    if (!access_) access_ = std::make_shared<StoredRecordAccess>(table_->data());
    std::unique_ptr<expr::ExprProgram> p;
    if (EngineResult r = expr::ExprProgram::Compile(static_cast<const std::uint8_t*>(blob), total, *access_, p))
      return r;
    if (p->ResultType() != expr::VType::Bool && p->ResultType() != expr::VType::Null) return DBERR_TYPEMISMATCH;
    out = std::shared_ptr<expr::ExprProgram>(p.release());
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

bool DSCursor::Passes(std::uint32_t slot) {
  const std::uint8_t* rec = table_->data().Rec(slot);
  for (const FilterEntry& f : filters_) {
    if (f.program) {
      access_->SetRecord(rec);
      expr::Truth t = expr::Truth::False;
      // a record the expression cannot evaluate (an overflow, say) is left out
      if (f.program->Test(*access_, t) != DBERR_NONE || t != expr::Truth::True) return false;
    } else if (f.fn && !f.fn(f.client, rec)) {
      return false;
    }
  }
  return true;
}

// Builds the filtered order from base_ and makes it the cursor's order. A
// filtered order shared with a clone is never rebuilt in place.
EngineResult DSCursor::BuildFilteredOrder() {
  std::vector<std::uint32_t> slots;
  refiltering_ = true;
  try {
    if (!access_) access_ = std::make_shared<StoredRecordAccess>(table_->data());
    const std::vector<std::uint32_t> order = base_->Slots();
    bool onlyExpressions = true;
    for (const FilterEntry& f : filters_) onlyExpressions = onlyExpressions && f.program;
    if (onlyExpressions) {
      // Expressions have no side effects, so they are tested in storage order:
      // walking a sorted base order would touch the records at random and
      // pay a cache miss per record. Marks: 1 in the base order, 2 passes.
      std::vector<std::uint8_t> mark(static_cast<std::size_t>(table_->data().SlotCount()) + 1, 0);
      for (std::uint32_t s : order)
        if (s < mark.size()) mark[s] = 1;
      for (std::uint32_t s = 1; s < mark.size(); ++s)
        if (mark[s] && Passes(s)) mark[s] = 2;
      for (std::uint32_t s : order)
        if (s < mark.size() && mark[s] == 2) slots.push_back(s);
    } else {
      // function filters are called in the base order, the order the client
      // sees the records in
      for (std::uint32_t s : order)
        if (Passes(s)) slots.push_back(s);
    }
  } catch (...) {
    refiltering_ = false;
    return DBERR_NOMEMORY;
  }
  refiltering_ = false;
  DSIDXDesc d = base_->desc();
  d.bUnique = 0;
  // The passing slots are already in the base order, which sorts on the same
  // keys: the filtered order takes them as they are instead of sorting them
  // (and computing a collation key for every string) all over again.
  std::shared_ptr<DSIndex> ix;
  if (order_ != base_ && order_->users == 1 && order_->temporary()) {
    if (EngineResult r = order_->RebuildFrom(d, {})) return r;
    ix = order_;
  } else {
    EngineResult r = DBERR_NONE;
    ix = table_->NewTemporaryIndex(d, {}, &r, false);
    if (!ix) return r;
  }
  try {
    for (std::uint32_t s : slots) ix->Append(s);
  } catch (...) {
    ix->Clear();
    return DBERR_NOMEMORY;
  }
  if (ix != order_) SetOrder(ix);
  baseSeen_ = base_->modCount();
  stampSeen_ = table_->changeStamp();
  slotsSeen_ = table_->data().SlotCount();
  return DBERR_NONE;
}

// Brings the filtered order up to date with the table; the caller's
// synchronisation then finds the remembered record in it.
void DSCursor::RefreshFilter() {
  if (!Filtering() || refiltering_) return;
  if (base_->modCount() == baseSeen_ && table_->changeStamp() == stampSeen_ &&
      table_->data().SlotCount() == slotsSeen_)
    return;
  BuildFilteredOrder();
}

EngineResult DSCursor::BuildChangeOrder() {
  std::vector<std::uint32_t> slots;
  try {
    slots = table_->ChangeViewSlots();
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  DSIDXDesc d{};
  CopyName(d.szName, DSNAMELEN, "CHANGEINDEX");
  EngineResult r = DBERR_NONE;
  // kept in log order: an order without key fields built from a list keeps it
  auto ix = table_->NewTemporaryIndex(d, {}, &r, false, IndexKind::ChangeLog);
  if (!ix) return r;
  try {
    for (std::uint32_t s : slots) ix->Append(s);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  SetOrder(ix);
  changeOrder_ = true;
  stampSeen_ = table_->changeStamp();
  slotsSeen_ = table_->data().SlotCount();
  viewSeen_ = table_->changeIndexView();
  return DBERR_NONE;
}

void DSCursor::RefreshChangeOrder() {
  if (!changeOrder_) return;
  if (table_->changeStamp() == stampSeen_ && table_->data().SlotCount() == slotsSeen_ &&
      table_->changeIndexView() == viewSeen_)
    return;
  BuildChangeOrder();
}

void DSCursor::PlaceOn(std::uint32_t slot) {
  ComputeRange();
  seenMod_ = order_->modCount();
  const std::uint32_t p = slot ? order_->PositionOf(slot) : 0;
  if (p != 0 && static_cast<std::int64_t>(p) >= first_ && static_cast<std::int64_t>(p) <= last_) {
    pos_ = p;
    state_ = DBERR_NONE;
  } else {
    pos_ = first_ - 1;
    state_ = DBERR_BOF;
  }
  Remember();
}

void DSCursor::RestoreBaseOrder() {
  if (!Filtering()) return;
  auto b = std::move(base_);
  base_.reset();
  SetOrder(b);
  --b->users;  // after SetOrder: the base order must not look unused meanwhile
}

EngineResult DSCursor::AddFilterEntry(FilterEntry entry, hDSFilter* filter) {
  Sync();
  const std::uint32_t slot = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0;
  const bool wasFiltering = Filtering();
  try {
    entry.handle = nextFilter_;
    filters_.push_back(std::move(entry));
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  if (!wasFiltering) {
    base_ = order_;
    ++base_->users;
  }
  if (EngineResult r = BuildFilteredOrder()) {
    filters_.pop_back();
    if (!wasFiltering) RestoreBaseOrder();
    else BuildFilteredOrder();
    return r;
  }
  ++nextFilter_;
  if (filter) *filter = filters_.back().handle;
  PlaceOn(slot);
  return DBERR_NONE;
}

EngineResult DSCursor::AddFilter(const void* expr, std::uint32_t size, hDSFilter* filter) noexcept {
  if (filter) *filter = 0;
  CURSOR_LOCK();
  FilterEntry e;
  if (EngineResult r = CompileBlob(expr, size, e.program)) return r;
  return AddFilterEntry(std::move(e), filter);
}

EngineResult DSCursor::AddFilterCallBack(DSClientData client, pfDSFilter filterFn, hDSFilter* filter) noexcept {
  if (filter) *filter = 0;
  CURSOR_LOCK();
  if (!filterFn) return DBERR_INVALIDPARAM;
  FilterEntry e;
  e.client = client;
  e.fn = filterFn;
  return AddFilterEntry(std::move(e), filter);
}

EngineResult DSCursor::DropFilter(hDSFilter filter) noexcept {
  CURSOR_LOCK();
  std::size_t i = 0;
  while (i < filters_.size() && filters_[i].handle != filter) ++i;
  if (i == filters_.size()) return DBERR_OBJNOTFOUND;
  Sync();
  const std::uint32_t slot = state_ == DBERR_NONE ? order_->SlotAt(static_cast<std::uint32_t>(pos_)) : 0;
  filters_.erase(filters_.begin() + static_cast<std::ptrdiff_t>(i));
  if (filters_.empty()) {
    RestoreBaseOrder();
  } else if (EngineResult r = BuildFilteredOrder()) {
    // without memory for the smaller order the cursor shows every record
    filters_.clear();
    RestoreBaseOrder();
    PlaceOn(slot);
    return r;
  }
  PlaceOn(slot);
  return DBERR_NONE;
}

EngineResult DSCursor::LocateWithFilter(const void* expr, std::uint32_t size) noexcept {
  CURSOR_LOCK();
  if (expr) {
    std::shared_ptr<expr::ExprProgram> p;
    if (EngineResult r = CompileBlob(expr, size, p)) return r;
    locate_ = std::move(p);
  } else if (!locate_) {
    return DBERR_INVALIDPARAM;
  }
  Sync();
  std::int64_t p = state_ == DBERR_BOF ? first_ - 1 : pos_;
  if (state_ == DBERR_KEYORRECDELETED) p -= 1;  // the follower occupies pos_
  if (state_ == DBERR_EOF) p = last_;
  if (p < first_ - 1) p = first_ - 1;
  const TableData& d = table_->data();
  for (++p; p <= last_; ++p) {
    access_->SetRecord(d.Rec(order_->SlotAt(static_cast<std::uint32_t>(p))));
    expr::Truth t = expr::Truth::False;
    if (locate_->Test(*access_, t) == DBERR_NONE && t == expr::Truth::True) {
      pos_ = p;
      state_ = DBERR_NONE;
      Remember();
      return DBERR_NONE;
    }
  }
  pos_ = last_ + 1;
  state_ = DBERR_EOF;
  Remember();
  return DBERR_RECNOTFOUND;
}

}  // namespace engine
