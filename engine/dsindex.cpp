// Index building and maintenance.
#include "engine/dsindex.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

namespace engine {

bool SameIndexDesc(const DSIDXDesc& a, const DSIDXDesc& b) {
  if (a.iFields != b.iFields || (a.bUnique != 0) != (b.bUnique != 0)) return false;
  for (int i = 0; i < a.iFields && i < MAXKEYFIELDS; ++i) {
    if (a.iKeyFields[i] != b.iKeyFields[i] || (a.bDescending[i] != 0) != (b.bDescending[i] != 0) ||
        (a.bCaseInsensitive[i] != 0) != (b.bCaseInsensitive[i] != 0))
      return false;
  }
  return true;
}

DSIndex::DSIndex(const TableData* table, const DSIDXDesc& desc, IndexKind kind, bool temporary,
                 std::uint32_t id)
    : t_(table), desc_(desc), kind_(kind), temporary_(temporary), id_(id) {
  SetKeys(desc);
}

EngineResult DSIndex::Check(const TableData& t, const DSIDXDesc& d) {
  if (d.iFields < 0 || d.iFields > MAXKEYFIELDS) return DBERR_INVALIDPARAM;
  for (int i = 0; i < d.iFields; ++i) {
    const int f = d.iKeyFields[i];
    if (f < 1 || f > static_cast<int>(t.fields.size())) return DBERR_INVALIDPARAM;
    const auto ty = t.fields[static_cast<std::size_t>(f - 1)].iFldType;
    if (ty == fldADT || ty == fldARRAY || ty == fldTABLE || ty == fldBLOB) return DBERR_INVALIDPARAM;
  }
  return DBERR_NONE;
}

void DSIndex::SetKeys(const DSIDXDesc& d) {
  desc_ = d;
  desc_.szName[DSNAMELEN - 1] = 0;
  keys_.clear();
  std::int32_t keyLen = 0;
  for (int i = 0; i < d.iFields && i < MAXKEYFIELDS; ++i) {
    const auto& f = t_->fields[static_cast<std::size_t>(d.iKeyFields[i] - 1)];
    KeyField k;
    k.type = f.iFldType;
    k.offset = f.iFldOffsInRec;
    k.length = f.iFldLen;
    k.nullOffset = f.iNullOffsInRec;
    k.descending = d.bDescending[i] != 0;
    k.caseInsensitive = d.bCaseInsensitive[i] != 0;
    keyLen += f.iFldLen;
    keys_.push_back(k);
  }
  desc_.iKeyLen = keyLen;
}

int DSIndex::CompareRecords(const std::uint8_t* a, std::uint32_t linkA, const std::uint8_t* b,
                            std::uint32_t linkB) const {
  if (linkA != linkB) return linkA < linkB ? -1 : 1;
  for (const auto& k : keys_) {
    const int r = CompareKeyField(k, a, b, *t_->coll);
    if (r) return r;
  }
  return 0;
}

bool DSIndex::Less(std::uint32_t sa, std::uint32_t sb) const {
  const int r = CompareRecords(t_->Rec(sa), t_->Link(sa), t_->Rec(sb), t_->Link(sb));
  if (r) return r < 0;
  return t_->Seq(sa) < t_->Seq(sb);
}

std::vector<std::uint32_t> DSIndex::LiveSlots() const {
  std::vector<std::uint32_t> s;
  s.reserve(t_->SlotCount());
  for (std::uint32_t i = 1; i <= t_->SlotCount(); ++i)
    if (t_->Live(i)) s.push_back(i);
  return s;
}

void DSIndex::Clear() {
  list_.clear();
  ++modCount_;
}

EngineResult DSIndex::SortAndAssign(std::vector<std::uint32_t> slots) {
  if (!keys_.empty() || t_->nested) {
    // Strings are compared through precomputed collation sort keys: one
    // stable sort by (link, key fields, insertion order).
    std::vector<std::size_t> strKey(keys_.size(), SIZE_MAX);
    std::vector<std::string> arenas;
    std::vector<std::vector<std::uint32_t>> offs;  // per string key: start of item i, then the end
    for (std::size_t k = 0; k < keys_.size(); ++k) {
      if (keys_[k].type != fldZSTRING) continue;
      strKey[k] = arenas.size();
      arenas.emplace_back();
      offs.emplace_back();
      auto& arena = arenas.back();
      auto& off = offs.back();
      off.reserve(slots.size() + 1);
      for (std::uint32_t s : slots) {
        const std::uint8_t* r = t_->Rec(s);
        off.push_back(static_cast<std::uint32_t>(arena.size()));
        if (r[keys_[k].nullOffset] == 0) {
          const std::uint8_t* p = r + keys_[k].offset;
          t_->coll->AppendSortKey(reinterpret_cast<const char*>(p), StringLength(p, keys_[k].length),
                                  keys_[k].caseInsensitive, arena);
        }
      }
      off.push_back(static_cast<std::uint32_t>(arena.size()));
    }
    std::vector<std::uint32_t> items(slots.size());
    std::iota(items.begin(), items.end(), 0u);
    auto less = [&](std::uint32_t ia, std::uint32_t ib) {
      const std::uint32_t sa = slots[ia], sb = slots[ib];
      const std::uint32_t la = t_->Link(sa), lb = t_->Link(sb);
      if (la != lb) return la < lb;
      const std::uint8_t* ra = t_->Rec(sa);
      const std::uint8_t* rb = t_->Rec(sb);
      for (std::size_t k = 0; k < keys_.size(); ++k) {
        const KeyField& kf = keys_[k];
        int r;
        if (strKey[k] != SIZE_MAX) {
          const bool na = ra[kf.nullOffset] != 0, nb = rb[kf.nullOffset] != 0;
          if (na || nb) r = na == nb ? 0 : (na ? -1 : 1);
          else {
            const auto& off = offs[strKey[k]];
            const char* base = arenas[strKey[k]].data();
            const std::uint32_t lna = off[ia + 1] - off[ia], lnb = off[ib + 1] - off[ib];
            r = std::memcmp(base + off[ia], base + off[ib], std::min(lna, lnb));
            if (r == 0) r = lna < lnb ? -1 : (lna > lnb ? 1 : 0);
            r = r < 0 ? -1 : (r > 0 ? 1 : 0);
          }
          if (kf.descending) r = -r;
        } else {
          r = CompareKeyField(kf, ra, rb, *t_->coll);
        }
        if (r) return r < 0;
      }
      return t_->Seq(sa) < t_->Seq(sb);
    };
    std::sort(items.begin(), items.end(), less);  // total order: no ties left
    std::vector<std::uint32_t> sorted(slots.size());
    for (std::size_t i = 0; i < items.size(); ++i) sorted[i] = slots[items[i]];
    slots.swap(sorted);
    if (unique() && !keys_.empty()) {
      for (std::size_t i = 1; i < slots.size(); ++i) {
        const std::uint32_t a = slots[i - 1], b = slots[i];
        if (CompareRecords(t_->Rec(a), t_->Link(a), t_->Rec(b), t_->Link(b)) == 0) {
          list_.clear();
          return DBERR_KEYVIOL;
        }
      }
    }
  } else if (!t_->seq.empty()) {
    // later versions of records keep their first version's place
    std::stable_sort(slots.begin(), slots.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return t_->Seq(a) < t_->Seq(b); });
  }
  list_.assign(slots);
  return DBERR_NONE;
}

EngineResult DSIndex::Rebuild(const DSIDXDesc& desc) {
  SetKeys(desc);
  ++modCount_;
  try {
    return SortAndAssign(LiveSlots());
  } catch (...) {
    list_.clear();
    return DBERR_NOMEMORY;
  }
}

EngineResult DSIndex::RebuildFrom(const DSIDXDesc& desc, const std::vector<std::uint32_t>& slots) {
  SetKeys(desc);
  ++modCount_;
  try {
    return SortAndAssign(slots);
  } catch (...) {
    list_.clear();
    return DBERR_NOMEMORY;
  }
}

EngineResult DSIndex::Insert(std::uint32_t slot) {
  // keyless orders append; a record coming back (undone delete) returns to
  // its place in insertion order
  if (keys_.empty() && !t_->nested && (list_.size() == 0 || t_->Seq(list_.at(list_.size())) < t_->Seq(slot))) {
    list_.insert(list_.size() + 1, slot);
    ++modCount_;
    return DBERR_NONE;
  }
  // first position whose (key, seq) is greater than the new record's
  std::uint32_t lo = 1, hi = list_.size() + 1;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (Less(slot, list_.at(mid))) hi = mid;
    else lo = mid + 1;
  }
  if (unique() && !keys_.empty()) {
    const std::uint8_t* r = t_->Rec(slot);
    for (std::uint32_t p : {lo - 1, lo}) {
      if (p >= 1 && p <= list_.size()) {
        const std::uint32_t o = list_.at(p);
        if (CompareRecords(r, t_->Link(slot), t_->Rec(o), t_->Link(o)) == 0) return DBERR_KEYVIOL;
      }
    }
  }
  list_.insert(lo, slot);
  ++modCount_;
  return DBERR_NONE;
}

EngineResult DSIndex::InsertAt(std::uint32_t pos, std::uint32_t slot) {
  if (!keys_.empty() || t_->nested || pos == 0 || pos > list_.size()) return Insert(slot);
  list_.insert(pos, slot);
  ++modCount_;
  return DBERR_NONE;
}

EngineResult DSIndex::Remove(std::uint32_t slot) {
  const std::uint32_t pos = list_.find(slot);
  if (pos == 0) return DBERR_NA;
  list_.erase(pos);
  ++modCount_;
  return DBERR_NONE;
}

EngineResult DSIndex::Replace(std::uint32_t oldSlot, std::uint32_t newSlot) {
  const std::uint32_t pos = list_.find(oldSlot);
  if (pos == 0) return DBERR_NA;
  const bool sameKey = CompareRecords(t_->Rec(oldSlot), t_->Link(oldSlot), t_->Rec(newSlot),
                                      t_->Link(newSlot)) == 0 &&
                       t_->Seq(oldSlot) == t_->Seq(newSlot);
  if (sameKey || (keys_.empty() && !t_->nested)) {
    list_.replace(pos, newSlot);
    ++modCount_;  // cursors holding the old slot must re-synchronise
    return DBERR_NONE;
  }
  list_.erase(pos);
  const EngineResult r = Insert(newSlot);
  if (r != DBERR_NONE) {
    list_.insert(pos, oldSlot);
    return r;
  }
  ++modCount_;
  return DBERR_NONE;
}

int DSIndex::CompareKey(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial,
                        std::uint32_t pos) const {
  const std::uint8_t* r = t_->Rec(list_.at(pos));
  for (std::uint32_t i = 0; i < n && i < keys_.size(); ++i) {
    const int c = CompareKeyField(keys_[i], key, r, *t_->coll, i + 1 == n ? partial : 0);
    if (c) return c;
  }
  return 0;
}

std::uint32_t DSIndex::LowerBound(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const {
  std::uint32_t lo = 1, hi = list_.size() + 1;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (CompareKey(key, n, partial, mid) > 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

std::uint32_t DSIndex::UpperBound(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const {
  std::uint32_t lo = 1, hi = list_.size() + 1;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (CompareKey(key, n, partial, mid) >= 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

std::uint32_t DSIndex::LinkLower(std::uint32_t link) const {
  std::uint32_t lo = 1, hi = list_.size() + 1;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (t_->Link(list_.at(mid)) < link) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

std::uint32_t DSIndex::LinkUpper(std::uint32_t link) const {
  std::uint32_t lo = 1, hi = list_.size() + 1;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (t_->Link(list_.at(mid)) <= link) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

}  // namespace engine
