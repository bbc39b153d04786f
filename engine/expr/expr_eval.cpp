// Evaluation of a compiled expression on one record.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "core/datetime.h"
#include "core/ustring.h"
#include "engine/expr/expr_compiled.h"

namespace engine::expr {

namespace {

[[noreturn]] void Fail(EngineResult code) { throw EvalError{code}; }

constexpr std::int64_t kMaxDay = 3652059;  // 9999-12-31

Value MakeBool(bool b) {
  Value v;
  v.type = VType::Bool;
  v.b = b;
  return v;
}

Value MakeInt(std::int64_t i, int bits) {
  if (bits == 32 && (i < std::numeric_limits<std::int32_t>::min() || i > std::numeric_limits<std::int32_t>::max()))
    Fail(DBERR_OUTOFRANGE);
  Value v;
  v.type = VType::Int;
  v.i = i;
  return v;
}

Value MakeFloat(double f, VType type = VType::Float) {
  if (!std::isfinite(f)) Fail(DBERR_OUTOFRANGE);
  Value v;
  v.type = type;
  v.f = f;
  return v;
}

double AsDouble(const Value& v) { return v.type == VType::Int ? static_cast<double>(v.i) : v.f; }

class Evaluator {
 public:
  explicit Evaluator(ExprProgram::State& st) : St(st), Rec(*st.rec) {}

  Value Eval(const CNode& n) {
    switch (n.kind) {
      case CKind::Field: return Field(n);
      case CKind::Const: return n.constant;
      case CKind::Not: {
        const Value v = Eval(n.kids[0]);
        return v.type == VType::Null ? v : MakeBool(!v.b);
      }
      case CKind::And:
      case CKind::Or: return Logic(n);
      case CKind::IsBlank: return MakeBool(IsBlank(n.kids[0]));
      case CKind::NotBlank: return MakeBool(!IsBlank(n.kids[0]));
      case CKind::Neg: {
        const Value v = Eval(n.kids[0]);
        if (v.type == VType::Null) return v;
        if (v.type == VType::Float) return MakeFloat(-v.f);
        if (v.i == std::numeric_limits<std::int64_t>::min()) Fail(DBERR_OUTOFRANGE);
        return MakeInt(-v.i, n.intBits);
      }
      case CKind::Compare: return Compare(n);
      case CKind::Like: return Like(n);
      case CKind::In: return In(n);
      case CKind::Arith: return Arith(n);
      case CKind::Func: return Func(n);
    }
    Fail(DBERR_INVALIDPARAM);
  }

 private:
  Value Field(const CNode& n) {
    if (Rec.IsNull(n.fieldNo)) return Value{};
    Value v;
    // The common storage types inline; the rest through the general decoder.
    if (n.fldType == fldINT32) {
      std::int32_t i;
      std::memcpy(&i, Rec.FieldValue(n.fieldNo), 4);
      v.type = VType::Int;
      v.i = i;
      return v;
    }
    if (n.fldType == fldZSTRING) {
      const auto* c = reinterpret_cast<const char*>(Rec.FieldValue(n.fieldNo));
      v.type = VType::Str;
      v.s = std::string_view(c, strnlen(c, static_cast<std::size_t>(n.fldLen)));
      return v;
    }
    if (n.fldType == fldBLOB) return Memo(n);
    std::u16string& wide = n.type == VType::WStr ? St.NewWScratch() : St.unusedWide;
    if (!DecodeStored(n.fldType, Rec.FieldValue(n.fieldNo), static_cast<std::size_t>(n.fldLen), v, wide))
      Fail(DBERR_OUTOFRANGE);
    return v;
  }

  Value Memo(const CNode& n) {
    std::string& bytes = St.NewScratch();
    if (!Rec.BlobValue(n.fieldNo, bytes)) Fail(DBERR_NOTSUPPORTED);
    Value v;
    v.type = n.type;
    if (n.type == VType::Str) {
      v.s = bytes;
      return v;
    }
    std::u16string& wide = St.NewWScratch();
    wide.resize(bytes.size() / 2);
    for (std::size_t k = 0; k < wide.size(); ++k)
      wide[k] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * k]) |
                                      (static_cast<std::uint8_t>(bytes[2 * k + 1]) << 8));
    v.w = wide;
    return v;
  }

  bool IsBlank(const CNode& n) {
    if (n.kind == CKind::Field) return Rec.IsNull(n.fieldNo);
    return Eval(n).type == VType::Null;
  }

  Value Logic(const CNode& n) {
    const bool isAnd = n.kind == CKind::And;
    bool unknown = false;
    for (const auto& k : n.kids) {
      const Value v = Eval(k);
      if (v.type == VType::Null) unknown = true;
      else if (v.b != isAnd) return MakeBool(!isAnd);  // false under AND, true under OR decides
    }
    return unknown ? Value{} : MakeBool(isAnd);
  }

  std::u16string_view Wide(const Value& v) {
    if (v.type == VType::WStr) return v.w;
    std::u16string& s = St.NewWScratch();
    s = Rec.WidenText(v.s);
    return s;
  }

  std::size_t Prefix8(std::string_view s, std::size_t chars) const {
    return St.utf8 ? Utf8Prefix(s, chars) : std::min(s.size(), chars);
  }

  int Compare(const Value& a, const Value& b, bool ci, std::uint16_t partial) {
    const VType x = a.type, y = b.type;
    if (x == VType::Int && y == VType::Int) return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
    if (x == VType::Str && y == VType::Str) {
      std::string_view l = a.s, r = b.s;
      if (partial) {
        l = l.substr(0, Prefix8(l, partial));
        r = r.substr(0, Prefix8(r, partial));
      }
      return Rec.CompareText(l, r, ci);
    }
    if ((x == VType::Str || x == VType::WStr) && (y == VType::Str || y == VType::WStr)) {
      std::u16string_view l = Wide(a), r = Wide(b);
      if (partial) {
        l = l.substr(0, Utf16Prefix(l, partial));
        r = r.substr(0, Utf16Prefix(r, partial));
      }
      return Rec.CompareWideText(l, r, ci);
    }
    if ((x == VType::Int || x == VType::Float) && (y == VType::Int || y == VType::Float)) {
      const double l = AsDouble(a), r = AsDouble(b);
      return l < r ? -1 : (l > r ? 1 : 0);
    }
    if (x == VType::Bool && y == VType::Bool) return static_cast<int>(a.b) - static_cast<int>(b.b);
    const bool lt = x == VType::Date || x == VType::Time || x == VType::Stamp;
    const bool rt = y == VType::Date || y == VType::Time || y == VType::Stamp;
    if (lt && rt) {
      const double l = TemporalMs(a), r = TemporalMs(b);
      return l < r ? -1 : (l > r ? 1 : 0);
    }
    Fail(DBERR_TYPEMISMATCH);
  }

  Value Compare(const CNode& n) {
    const CNode& l = n.kids[0];
    const CNode& r = n.kids[1];
    if (l.kind == CKind::Field && l.fldType == fldINT32 && r.kind == CKind::Const && r.constant.type == VType::Int) {
      // The usual filter: an integer field against a number.
      if (Rec.IsNull(l.fieldNo)) return Value{};
      std::int32_t v;
      std::memcpy(&v, Rec.FieldValue(l.fieldNo), 4);
      return MakeBool(Holds(n.op, v < r.constant.i ? -1 : (v > r.constant.i ? 1 : 0)));
    }
    const Value a = Eval(n.kids[0]);
    if (a.type == VType::Null) return a;
    const Value b = Eval(n.kids[1]);
    if (b.type == VType::Null) return b;
    return MakeBool(Holds(n.op, Compare(a, b, n.ci, n.partial)));
  }

  static bool Holds(TCANOperator op, int c) {
    switch (op) {
      case coEQ: return c == 0;
      case coNE: return c != 0;
      case coGT: return c > 0;
      case coLT: return c < 0;
      case coGE: return c >= 0;
      default: return c <= 0;
    }
  }

  Value Like(const CNode& n) {
    const CNode& subject = n.kids[0];
    if (n.pattern && subject.kind == CKind::Field && subject.fldType == fldZSTRING && St.utf8 && !n.partial) {
      // The usual filter: an 8-bit field against a constant pattern.
      if (Rec.IsNull(subject.fieldNo)) return Value{};
      const auto* c = reinterpret_cast<const char*>(Rec.FieldValue(subject.fieldNo));
      return MakeBool(n.pattern->Match(std::string_view(c, strnlen(c, static_cast<std::size_t>(subject.fldLen)))));
    }
    if (n.pattern && subject.kind == CKind::Field && subject.fldType == fldZSTRING && !St.byteMap.empty() &&
        !n.partial) {
      // The same in a single-byte code page: the bytes are widened one by one
      // as they are compared, with no copy of the value.
      if (Rec.IsNull(subject.fieldNo)) return Value{};
      const auto* c = reinterpret_cast<const char*>(Rec.FieldValue(subject.fieldNo));
      return MakeBool(n.pattern->MatchMapped(std::string_view(c, strnlen(c, static_cast<std::size_t>(subject.fldLen))),
                                             St.byteMap.data()));
    }
    const Value a = Eval(n.kids[0]);
    if (a.type == VType::Null) return a;
    const LikePattern* pattern = n.pattern.get();
    LikePattern local;
    if (!pattern) {
      const Value p = Eval(n.kids[1]);
      if (p.type == VType::Null) return p;
      local = p.type == VType::WStr ? LikePattern::FromUtf16(p.w, n.ci)
              : St.utf8             ? LikePattern::FromUtf8(p.s, n.ci)
                                    : LikePattern::FromUtf16(Rec.WidenText(p.s), n.ci);
      pattern = &local;
    }
    if (a.type == VType::Str && St.utf8) {
      std::string_view s = a.s;
      if (n.partial) s = s.substr(0, Utf8Prefix(s, n.partial));
      return MakeBool(pattern->Match(s));
    }
    std::u16string_view s = Wide(a);
    if (n.partial) s = s.substr(0, Utf16Prefix(s, n.partial));
    return MakeBool(pattern->Match(s));
  }

  Value In(const CNode& n) {
    const Value a = Eval(n.kids[0]);
    if (a.type == VType::Null) return a;
    bool unknown = false;
    for (std::size_t k = 1; k < n.kids.size(); ++k) {
      const Value e = Eval(n.kids[k]);
      if (e.type == VType::Null) unknown = true;
      else if (Compare(a, e, false, 0) == 0) return MakeBool(true);
    }
    return unknown ? Value{} : MakeBool(false);
  }

  Value IntArith(TCANOperator op, std::int64_t a, std::int64_t b, int bits) {
    std::int64_t r = 0;
    switch (op) {
      case coADD: if (__builtin_add_overflow(a, b, &r)) Fail(DBERR_OUTOFRANGE); break;
      case coSUB: if (__builtin_sub_overflow(a, b, &r)) Fail(DBERR_OUTOFRANGE); break;
      case coMUL: if (__builtin_mul_overflow(a, b, &r)) Fail(DBERR_OUTOFRANGE); break;
      case coDIV:
        if (b == 0 || (a == std::numeric_limits<std::int64_t>::min() && b == -1)) Fail(DBERR_OUTOFRANGE);
        r = a / b;
        break;
      case coMOD:
      case coREM:
        if (b == 0) Fail(DBERR_OUTOFRANGE);
        r = b == -1 ? 0 : a % b;
        if (op == coMOD && r != 0 && ((r < 0) != (b < 0))) r += b;  // sign of the divisor
        break;
      default: Fail(DBERR_INVALIDPARAM);
    }
    return MakeInt(r, bits);
  }

  Value Arith(const CNode& n) {
    const Value a = Eval(n.kids[0]);
    if (a.type == VType::Null) return a;
    const Value b = Eval(n.kids[1]);
    if (b.type == VType::Null) return b;
    const double msPerDay = static_cast<double>(core::MSecsPerDay);
    switch (n.type) {
      case VType::Int: return IntArith(n.op, a.i, b.i, n.intBits);
      case VType::Float:
        if ((a.type == VType::Int || a.type == VType::Float) && (b.type == VType::Int || b.type == VType::Float)) {
          const double l = AsDouble(a), r = AsDouble(b);
          switch (n.op) {
            case coADD: return MakeFloat(l + r);
            case coSUB: return MakeFloat(l - r);
            case coMUL: return MakeFloat(l * r);
            default:
              if (r == 0) Fail(DBERR_OUTOFRANGE);
              return MakeFloat(l / r);
          }
        }
        return MakeFloat((TemporalMs(a) - TemporalMs(b)) / msPerDay);  // difference in days
      case VType::Date: {
        std::int64_t day = 0;
        const bool overflow = n.op == coADD ? __builtin_add_overflow(a.i, b.i, &day)
                                            : __builtin_sub_overflow(a.i, b.i, &day);
        if (overflow || day < 1 || day > kMaxDay) Fail(DBERR_OUTOFRANGE);
        Value v;
        v.type = VType::Date;
        v.i = day;
        return v;
      }
      case VType::Stamp: {
        const bool aTemporal = a.type == VType::Date || a.type == VType::Stamp;
        const double base = aTemporal ? TemporalMs(a) : TemporalMs(b);
        const double days = aTemporal ? AsDouble(b) : AsDouble(a);
        const double ms = n.op == coADD ? base + days * msPerDay : base - days * msPerDay;
        if (ms < msPerDay || ms >= (kMaxDay + 1) * msPerDay) Fail(DBERR_OUTOFRANGE);
        return MakeFloat(ms, VType::Stamp);
      }
      case VType::Str: {
        std::string& s = St.NewScratch();
        s.append(a.s).append(b.s);
        Value v;
        v.type = VType::Str;
        v.s = s;
        return v;
      }
      case VType::WStr: {
        const std::u16string_view l = Wide(a), r = Wide(b);
        std::u16string& s = St.NewWScratch();
        s.append(l).append(r);
        Value v;
        v.type = VType::WStr;
        v.w = s;
        return v;
      }
      default: Fail(DBERR_TYPEMISMATCH);
    }
  }

  Value Func(const CNode& n) {
    Value args[MAXFUNCARGS];
    const std::size_t count = n.kids.size();
    for (std::size_t k = 0; k < count && k < MAXFUNCARGS; ++k) {
      args[k] = Eval(n.kids[k]);
      if (args[k].type == VType::Null) return Value{};
    }
    return CallFunction(n, args, count, St);
  }

  ExprProgram::State& St;
  const IExprRecordAccess& Rec;
};

Value ToAssigned(const Value& v, VType to, ExprProgram::State& st) {
  if (v.type == VType::Null || v.type == to) return v;
  Value out;
  out.type = to;
  switch (to) {
    case VType::Float: out.f = v.type == VType::Int ? static_cast<double>(v.i) : v.f; return out;
    case VType::Int:
      if (!(v.f >= -9.2233720368547758e18 && v.f < 9.2233720368547758e18)) Fail(DBERR_OUTOFRANGE);
      out.i = static_cast<std::int64_t>(std::trunc(v.f));
      return out;
    case VType::Str: out.s = st.NewScratch() = st.rec->NarrowText(v.w); return out;
    case VType::WStr: out.w = st.NewWScratch() = st.rec->WidenText(v.s); return out;
    case VType::Date: out.i = static_cast<std::int64_t>(std::floor(v.f / static_cast<double>(core::MSecsPerDay))); return out;
    case VType::Stamp: out.f = TemporalMs(v); return out;
    default: return v;
  }
}

}  // namespace

EngineResult ExprProgram::Evaluate(const IExprRecordAccess& rec, Value& out) {
  State& st = *FState;
  st.rec = &rec;
  st.scratchUsed = 0;
  st.wscratchUsed = 0;
  try {
    Value v = Evaluator(st).Eval(st.root);
    if (FAssignField) v = ToAssigned(v, st.assignType, st);
    out = v;
    return DBERR_NONE;
  } catch (const EvalError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

EngineResult ExprProgram::Test(const IExprRecordAccess& rec, Truth& out) {
  if (FState->root.type != VType::Bool || FAssignField) return DBERR_TYPEMISMATCH;
  Value v;
  if (EngineResult r = Evaluate(rec, v)) return r;
  out = v.type == VType::Null ? Truth::Unknown : (v.b ? Truth::True : Truth::False);
  return DBERR_NONE;
}

}  // namespace engine::expr
