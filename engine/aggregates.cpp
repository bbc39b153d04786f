// Aggregate expressions and their values, and the DSCursor operations on
// aggregates and groups.
#include "engine/aggregates.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "engine/dscursor.h"
#include "engine/dsindex.h"
#include "engine/expr/expr_reader.h"
#include "engine/storedaccess.h"
#include "engine/tabledata.h"

namespace engine {

namespace {

using expr::ExprNode;
using expr::Value;
using expr::VType;

bool SameCaseless(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t k = 0; k < n; ++k)
    if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k]))) return false;
  return true;
}

// Kind of an aggregate function call; false for any other node.
bool AggregateKind(const ExprNode& n, AggKind& kind, bool& countAll) {
  if (n.nodeClass != expr::nodeFUNC) return false;
  countAll = false;
  if (SameCaseless(n.name, "sum")) kind = AggKind::Sum;
  else if (SameCaseless(n.name, "min")) kind = AggKind::Min;
  else if (SameCaseless(n.name, "max")) kind = AggKind::Max;
  else if (SameCaseless(n.name, "avg")) kind = AggKind::Avg;
  else if (SameCaseless(n.name, "count")) kind = AggKind::Count;
  else if (SameCaseless(n.name, "count(*)")) kind = AggKind::Count, countAll = true;
  else return false;
  return true;
}

bool ContainsAggregate(const ExprNode& n) {
  AggKind k;
  bool all;
  if (AggregateKind(n, k, all)) return true;
  for (const ExprNode& o : n.operands)
    if (ContainsAggregate(o)) return true;
  return false;
}

void SetDesc(DSFLDDesc& d, std::int32_t type, std::int32_t len) {
  d = DSFLDDesc{};
  d.iFldType = type;
  d.iFldLen = len;
}

int Compare(const Value& a, const Value& b, const StoredRecordAccess& access) {
  auto three = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (a.type != b.type) {
    // numbers of different width (a large unsigned value decodes as a float)
    const double x = a.type == VType::Int ? static_cast<double>(a.i) : a.f;
    const double y = b.type == VType::Int ? static_cast<double>(b.i) : b.f;
    return three(x, y);
  }
  switch (a.type) {
    case VType::Bool: return three(a.b, b.b);
    case VType::Int:
    case VType::Date:
    case VType::Time: return three(a.i, b.i);
    case VType::Float:
    case VType::Stamp: return three(a.f, b.f);
    case VType::Str: return access.CompareText(a.s, b.s, false);
    case VType::WStr: return access.CompareWideText(a.w, b.w, false);
    default: return 0;
  }
}

template <typename T>
void Put(std::vector<std::uint8_t>& out, T v) {
  out.assign(sizeof(T), 0);
  std::memcpy(out.data(), &v, sizeof(T));
}

}  // namespace

EngineResult MakeAggregate(const std::uint8_t* blob, std::size_t size, const expr::IExprRecordAccess& fields,
                           AggregateDef& out) {
  if (!blob || size < 10) return DBERR_INVALIDPARAM;
  // the blob's own 16-bit total size bounds what is read
  std::uint16_t total = 0;
  std::memcpy(&total, blob + 2, 2);
  if (total > size) return DBERR_INVALIDPARAM;
  ExprNode root;
  if (EngineResult r = expr::DecodeBlob(blob, total, root)) return r;
  bool countAll = false;
  if (!AggregateKind(root, out.kind, countAll))
    return ContainsAggregate(root) ? DBERR_NOTSUPPORTED : DBERR_INVALIDPARAM;
  if (countAll || (out.kind == AggKind::Count && root.operands.empty())) {
    if (!root.operands.empty()) return DBERR_TYPEMISMATCH;
    out.arg.reset();
    out.argField = 0;
    SetDesc(out.desc, fldINT32, 4);
    return DBERR_NONE;
  }
  if (root.operands.size() != 1) return DBERR_TYPEMISMATCH;
  const ExprNode& argNode = root.operands[0];
  if (ContainsAggregate(argNode)) return DBERR_NOTSUPPORTED;
  std::unique_ptr<expr::ExprProgram> p;
  if (EngineResult r = expr::ExprProgram::Compile(argNode, fields, p)) return r;
  const VType t = p->ResultType();
  const bool plainField = argNode.nodeClass == expr::nodeFIELD && p->FieldsRead().size() == 1;
  out.argField = plainField ? p->FieldsRead()[0] : 0;
  switch (out.kind) {
    case AggKind::Count: SetDesc(out.desc, fldINT32, 4); break;
    case AggKind::Sum:
      // integer sums are kept in 64 bits, so that a column of 32-bit values
      // cannot wrap
      if (t == VType::Int) SetDesc(out.desc, fldINT64, 8);
      else if (t == VType::Float) SetDesc(out.desc, fldFLOAT, 8);
      else return DBERR_TYPEMISMATCH;
      break;
    case AggKind::Avg:
      if (t != VType::Int && t != VType::Float) return DBERR_TYPEMISMATCH;
      SetDesc(out.desc, fldFLOAT, 8);
      break;
    case AggKind::Min:
    case AggKind::Max:
      if (plainField) {
        // the winning record's stored value, in the field's own type
        const DSFLDDesc* f = fields.FieldDesc(out.argField);
        if (!f) return DBERR_INVALIDPARAM;
        SetDesc(out.desc, f->iFldType, f->iFldLen);
        out.desc.iFldSubType = f->iFldSubType;
        out.desc.iUnits1 = f->iUnits1;
        out.desc.iUnits2 = f->iUnits2;
        break;
      }
      switch (t) {
        case VType::Int: SetDesc(out.desc, fldINT64, 8); break;
        case VType::Float: SetDesc(out.desc, fldFLOAT, 8); break;
        case VType::Date: SetDesc(out.desc, fldDATE, 4); break;
        case VType::Time: SetDesc(out.desc, fldTIME, 4); break;
        case VType::Stamp: SetDesc(out.desc, fldTIMESTAMP, 8); break;
        case VType::Str:
        case VType::WStr: return DBERR_NOTSUPPORTED;  // text of no fixed size
        default: return DBERR_TYPEMISMATCH;
      }
      break;
  }
  out.arg = std::shared_ptr<expr::ExprProgram>(p.release());
  return DBERR_NONE;
}

void ComputeAggregate(AggregateDef& a, const TableData& data, StoredRecordAccess& access, const DSIndex& order,
                      std::int64_t from, std::int64_t to) {
  a.blank = true;
  a.error = DBERR_NONE;
  a.value.assign(static_cast<std::size_t>(a.desc.iFldLen > 0 ? a.desc.iFldLen : 0), 0);
  std::int64_t records = 0, values = 0;
  std::int64_t isum = 0;
  bool intOverflow = false;
  long double fsum = 0;
  Value best;
  std::uint32_t bestSlot = 0;
  std::string bestS;
  std::u16string bestW;
  for (std::int64_t p = from; p <= to; ++p) {
    const std::uint32_t slot = order.SlotAt(static_cast<std::uint32_t>(p));
    ++records;
    if (!a.arg) continue;
    access.SetRecord(data.Rec(slot));
    Value v;
    if (EngineResult r = a.arg->Evaluate(access, v)) {
      a.error = r;
      return;
    }
    if (v.type == VType::Null) continue;
    ++values;
    switch (a.kind) {
      case AggKind::Count: break;
      case AggKind::Sum:
      case AggKind::Avg:
        if (v.type == VType::Int) {
          if (__builtin_add_overflow(isum, v.i, &isum)) intOverflow = true;
          fsum += static_cast<long double>(v.i);
        } else {
          intOverflow = intOverflow || a.desc.iFldType == fldINT64;  // a value no 64-bit integer holds
          fsum += static_cast<long double>(v.f);
        }
        break;
      case AggKind::Min:
      case AggKind::Max: {
        const int c = values == 1 ? 0 : Compare(v, best, access);
        if (values == 1 || (a.kind == AggKind::Min ? c < 0 : c > 0)) {
          best = v;
          bestSlot = slot;
          // own the text: the views point into scratch space reused by the next evaluation
          if (v.type == VType::Str) best.s = bestS.assign(v.s);
          if (v.type == VType::WStr) best.w = bestW.assign(v.w);
        }
        break;
      }
    }
  }
  if (records == 0) return;  // no records: blank
  if (a.kind == AggKind::Count) {
    const std::int64_t n = a.arg ? values : records;
    Put(a.value, static_cast<std::int32_t>(n));
    a.blank = false;
    return;
  }
  if (values == 0) return;  // only blank values: blank
  switch (a.kind) {
    case AggKind::Sum:
      if (a.desc.iFldType == fldINT64) {
        if (intOverflow) {
          a.error = DBERR_OUTOFRANGE;
          return;
        }
        Put(a.value, isum);
      } else {
        Put(a.value, static_cast<double>(fsum));
      }
      break;
    case AggKind::Avg: Put(a.value, static_cast<double>(fsum / static_cast<long double>(values))); break;
    case AggKind::Min:
    case AggKind::Max:
      if (a.argField) {
        const DSFLDDesc* f = access.FieldDesc(a.argField);
        std::memcpy(a.value.data(), data.Rec(bestSlot) + f->iFldOffsInRec, a.value.size());
      } else if (a.desc.iFldType == fldINT64) {
        Put(a.value, best.type == VType::Int ? best.i : static_cast<std::int64_t>(best.f));
      } else if (a.desc.iFldType == fldDATE || a.desc.iFldType == fldTIME) {
        Put(a.value, static_cast<std::int32_t>(best.i));
      } else {
        Put(a.value, best.type == VType::Int ? static_cast<double>(best.i) : best.f);
      }
      break;
    default: break;
  }
  a.blank = false;
}

// ---------------------------------------------------------------------------
// DSCursor

#define CURSOR_LOCK()                        \
  if (!Bound()) return DBERR_INVALIDPARAM;   \
  std::lock_guard lock_(table_->mutex())

AggregateDef* DSCursor::FindAggregate(hDSAggregate h) {
  for (AggregateDef& a : aggs_)
    if (a.handle == h) return &a;
  return nullptr;
}

// Positions of the current record's group at a level: level 0 is every
// record the cursor shows. False when the level is deeper than the current
// order's key or the cursor is not on a record.
bool DSCursor::GroupSpan(std::uint32_t level, std::int64_t& from, std::int64_t& to, EngineResult& why) {
  why = DBERR_NONE;
  if (level > order_->keyFields()) {
    why = DBERR_INVALIDPARAM;
    return false;
  }
  if (level == 0) {
    from = first_;
    to = last_;
    return true;
  }
  if (state_ != DBERR_NONE) {
    why = state_;
    return false;
  }
  const std::uint8_t* key = table_->data().Rec(order_->SlotAt(static_cast<std::uint32_t>(pos_)));
  // searched within the cursor's base span (a detail's master link), then cut to its range
  from = std::max<std::int64_t>(first_, Lower(key, level, 0));
  to = std::min<std::int64_t>(last_, static_cast<std::int64_t>(Upper(key, level, 0)) - 1);
  return true;
}

EngineResult DSCursor::AddAggregate(std::uint32_t groupLevel, std::uint32_t size, const void* expr,
                                    hDSAggregate* aggregate) noexcept {
  if (aggregate) *aggregate = 0;
  CURSOR_LOCK();
  if (!aggregate || groupLevel > order_->keyFields()) return DBERR_INVALIDPARAM;
  try {
    if (!access_) access_ = std::make_shared<StoredRecordAccess>(table_->data());
    AggregateDef a;
    if (EngineResult r = MakeAggregate(static_cast<const std::uint8_t*>(expr), size, *access_, a)) return r;
    a.handle = nextAgg_;
    a.level = groupLevel;
    aggs_.push_back(std::move(a));
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  *aggregate = nextAgg_++;
  return DBERR_NONE;
}

EngineResult DSCursor::DropAggregate(hDSAggregate aggregate) noexcept {
  CURSOR_LOCK();
  for (auto it = aggs_.begin(); it != aggs_.end(); ++it)
    if (it->handle == aggregate) {
      aggs_.erase(it);
      return DBERR_NONE;
    }
  return DBERR_AGGREGATENOTFOUND;
}

EngineResult DSCursor::GetAggregateDesc(hDSAggregate aggregate, DSFLDDesc* desc) noexcept {
  CURSOR_LOCK();
  AggregateDef* a = FindAggregate(aggregate);
  if (!a) return DBERR_AGGREGATENOTFOUND;
  if (!desc) return DBERR_INVALIDPARAM;
  *desc = a->desc;
  return DBERR_NONE;
}

EngineResult DSCursor::GetAggregateValue(hDSAggregate aggregate, void* value, DSBool* blank) noexcept {
  if (blank) *blank = 1;
  CURSOR_LOCK();
  AggregateDef* a = FindAggregate(aggregate);
  if (!a) return DBERR_AGGREGATENOTFOUND;
  Sync();
  std::int64_t from = 1, to = 0;
  EngineResult why = DBERR_NONE;
  if (!GroupSpan(a->level, from, to, why)) {
    // off any record a group aggregate has no group: blank
    return why == DBERR_INVALIDPARAM ? why : DBERR_NONE;
  }
  const std::uint64_t stamp = table_->changeStamp();
  // an order is told apart by address and identity: a new order may take a freed one's address
  if (!a->cached || a->stampSeen != stamp || a->orderSeen != order_.get() || a->orderIdSeen != order_->id() ||
      a->modSeen != order_->modCount() ||
      a->fromSeen != from || a->toSeen != to) {
    try {
      ComputeAggregate(*a, table_->data(), *access_, *order_, from, to);
    } catch (...) {
      a->cached = false;
      return DBERR_NOMEMORY;
    }
    a->cached = true;
    a->stampSeen = stamp;
    a->orderSeen = order_.get();
    a->orderIdSeen = order_->id();
    a->modSeen = order_->modCount();
    a->fromSeen = from;
    a->toSeen = to;
  }
  if (a->error) return a->error;
  if (blank) *blank = a->blank ? 1 : 0;
  if (value && !a->blank) std::memcpy(value, a->value.data(), a->value.size());
  return DBERR_NONE;
}

EngineResult DSCursor::MoveToNextSubGroup(std::uint32_t groupLevel) noexcept {
  CURSOR_LOCK();
  Sync();
  if (groupLevel > order_->keyFields()) return DBERR_INVALIDPARAM;
  // before the first record the next group is the first one; on a crack the
  // next record is where the search for groups resumes
  if (state_ != DBERR_NONE) return MoveRelative(1);
  std::int64_t from = 0, to = 0;
  EngineResult why = DBERR_NONE;
  if (!GroupSpan(groupLevel, from, to, why)) return why;
  if (to + 1 <= last_) {
    pos_ = to + 1;
    state_ = DBERR_NONE;
  } else {
    pos_ = last_ + 1;
    state_ = DBERR_EOF;
  }
  Remember();
  return state_;
}

EngineResult DSCursor::GetSubGroupState(std::uint32_t groupLevel, GROUPSTATE* state) noexcept {
  CURSOR_LOCK();
  if (!state) return DBERR_INVALIDPARAM;
  Sync();
  std::int64_t from = 0, to = 0;
  EngineResult why = DBERR_NONE;
  if (!GroupSpan(groupLevel, from, to, why)) return why;
  if (state_ != DBERR_NONE) return state_;
  const bool first = pos_ == from, last = pos_ == to;
  *state = first && last ? grSTATEFIRSTLAST : first ? grSTATEFIRST : last ? grSTATELAST : grSTATEMIDDLE;
  return DBERR_NONE;
}

}  // namespace engine
