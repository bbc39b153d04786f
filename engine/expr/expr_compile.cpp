// Binding a decoded tree to a table's fields and settling the type of every
// node. Constants meet the type of the other side here, once, so evaluation
// compares like with like.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>
#include <stdexcept>
#include <set>

#include "core/ustring.h"
#include "engine/expr/expr_compiled.h"
#include "engine/expr/expr_reader.h"

namespace engine::expr {

namespace {

// The code page widens each byte to one UTF-16 unit of its own, whatever
// surrounds it, when every byte alone gives one (non-surrogate) unit and all
// bytes in one run give the same units: then LIKE can read the stored bytes
// through the table instead of widening every value. Any doubt (double-byte
// or stateful code pages) leaves the map empty.
std::u16string ByteMapOf(const IExprRecordAccess& fields) {
  std::u16string map(256, u'\0');
  std::string all;
  for (int b = 1; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const std::u16string w = fields.WidenText(std::string_view(&c, 1));
    if (w.size() != 1 || (w[0] >= 0xD800 && w[0] <= 0xDFFF)) return {};
    map[static_cast<std::size_t>(b)] = w[0];
    all.push_back(c);
  }
  if (fields.WidenText(all) != std::u16string_view(map).substr(1)) return {};
  return map;
}

[[noreturn]] void Fail(EngineResult code) { throw EvalError{code}; }

bool IsNumeric(VType t) { return t == VType::Int || t == VType::Float; }
bool IsString(VType t) { return t == VType::Str || t == VType::WStr; }
bool IsTemporal(VType t) { return t == VType::Date || t == VType::Time || t == VType::Stamp; }

bool SameNameCaseless(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

struct FuncInfo {
  const char* name;
  FuncId id;
  int minArgs, maxArgs;
};
constexpr FuncInfo kFuncs[] = {
    {"trim", FuncId::Trim, 1, 2},          {"triml", FuncId::TrimLeft, 1, 2},
    {"trimleft", FuncId::TrimLeft, 1, 2},  {"trimt", FuncId::TrimRight, 1, 2},
    {"trimright", FuncId::TrimRight, 1, 2}, {"upper", FuncId::Upper, 1, 1},
    {"lower", FuncId::Lower, 1, 1},        {"substring", FuncId::Substring, 2, 3},
    {"year", FuncId::Year, 1, 1},          {"month", FuncId::Month, 1, 1},
    {"day", FuncId::Day, 1, 1},            {"hour", FuncId::Hour, 1, 1},
    {"minute", FuncId::Minute, 1, 1},      {"second", FuncId::Second, 1, 1},
    {"date", FuncId::Date, 1, 1},          {"time", FuncId::Time, 1, 1},
    {"getdate", FuncId::Now, 0, 0},        {"getsqldate", FuncId::Now, 0, 0},
    {"getsqldateoffset", FuncId::Now, 0, 0},
};
constexpr const char* kAggregates[] = {"sum", "min", "max", "count", "count(*)", "avg"};

class Compiler {
 public:
  Compiler(ExprProgram::State& st, const IExprRecordAccess& fields) : St(st), Fields(fields) {}

  std::set<int> fieldsRead;
  int assignField = 0;

  CNode Root(const ExprNode& n) {
    if (n.nodeClass == nodeBINARY && n.op == coASSIGN) return Assign(n);
    return Build(n);
  }

  CNode Build(const ExprNode& n) {
    // Trees made in code are not checked by the reader: keep recursion bounded.
    struct Depth {
      int& d;
      explicit Depth(int& x) : d(x) {
        if (++d > MAXEXPRDEPTH + 1) Fail(DBERR_INVALIDPARAM);
      }
      ~Depth() { --d; }
    } guard(FDepth);
    switch (n.nodeClass) {
      case nodeFIELD: return Field(n);
      case nodeCONST: return Const(n);
      case nodeUNARY: return Unary(n);
      case nodeBINARY:
      case nodeCOMPARE:
        if (n.op == coAND || n.op == coOR) return Logic(n);
        if (IsRelation(n.op)) return Relation(n);
        if (n.op == coLIKE) return Like(n);
        if (n.op == coIN) return In(n);
        if (IsArithmetic(n.op)) return Arith(n);
        Fail(DBERR_NOTSUPPORTED);  // coASSIGN below the root
      case nodeFUNC: return Func(n);
      case nodeLIST: Fail(DBERR_INVALIDPARAM);
      default: Fail(DBERR_NOTSUPPORTED);
    }
  }

 private:
  CNode Field(const ExprNode& n) {
    int found = 0;
    const int count = Fields.FieldCount();
    if (n.name.empty()) {
      if (n.fieldNo >= 1 && n.fieldNo <= count) found = n.fieldNo;
    } else {
      for (int i = 1; i <= count && !found; ++i)
        if (const DSFLDDesc* d = Fields.FieldDesc(i); d && std::string_view(d->szName, strnlen(d->szName, DSNAMELEN)) == n.name)
          found = i;
      for (int i = 1; i <= count && !found; ++i)
        if (const DSFLDDesc* d = Fields.FieldDesc(i);
            d && SameNameCaseless(std::string_view(d->szName, strnlen(d->szName, DSNAMELEN)), n.name))
          found = i;
    }
    if (!found) Fail(DBERR_OBJNOTFOUND);
    const DSFLDDesc* d = Fields.FieldDesc(found);
    CNode c;
    c.kind = CKind::Field;
    c.fieldNo = found;
    c.fldType = d->iFldType;
    c.fldLen = d->iFldLen;
    if (d->iFldLen <= 0) Fail(DBERR_NOTSUPPORTED);
    if (d->iFldType == fldBLOB) {  // memos are text; other blobs have no expression type
      const std::int32_t st = d->iFldSubType;
      if (st == fldstMEMO || st == fldstFMTMEMO || st == fldstHMEMO) c.type = VType::Str;
      else if (st == fldstWIDEMEMO) c.type = VType::WStr;
      else Fail(DBERR_NOTSUPPORTED);
    } else if (!TypeOfEngineType(d->iFldType, c.type, c.intBits)) {
      Fail(DBERR_NOTSUPPORTED);
    }
    fieldsRead.insert(found);
    return c;
  }

  CNode Const(const ExprNode& n) {
    CNode c;
    c.kind = CKind::Const;
    if (n.value.empty()) {  // null constant, typed when its type is known
      if (!TypeOfEngineType(n.valueType, c.type, c.intBits)) c.type = VType::Null;
      c.constant = Value{};
      return c;
    }
    std::u16string& wide = St.constWStr.emplace_back();
    if (!DecodeStored(n.valueType, n.value.data(), n.value.size(), c.constant, wide)) {
      int bits = 0;
      VType t;
      Fail(TypeOfEngineType(n.valueType, t, bits) ? DBERR_INVALIDPARAM : DBERR_NOTSUPPORTED);
    }
    if (c.constant.type == VType::Str) {  // own the text (the tree may go away)
      c.constant.s = St.constStr.emplace_back(c.constant.s);
    }
    int bits = 32;
    VType t;
    TypeOfEngineType(n.valueType, t, bits);
    c.type = c.constant.type;
    c.intBits = bits;
    return c;
  }

  // A constant string meets a value of type `to`: converted once here.
  bool ConvertConst(CNode& c, VType to, ExprProgram::State& st) {
    if (c.kind != CKind::Const) return false;
    Value& v = c.constant;
    if (c.type == VType::Null) {
      c.type = to;
      return true;
    }
    if (v.type == VType::Null) {
      c.type = to;
      return true;
    }
    if (c.type == VType::Str && to == VType::WStr) {
      v.w = st.constWStr.emplace_back(Fields.WidenText(v.s));
      v.type = c.type = VType::WStr;
      return true;
    }
    if (c.type == VType::WStr && to == VType::Str) {
      v.s = st.constStr.emplace_back(Fields.NarrowText(v.w));
      v.type = c.type = VType::Str;
      return true;
    }
    if (IsString(c.type) && IsTemporal(to)) {
      const std::string text = core::ToUtf8(c.type == VType::Str ? Fields.WidenText(v.s) : std::u16string(v.w));
      Value out;
      if (!ParseTemporal(text, to, out)) return false;
      v = out;
      c.type = to;
      return true;
    }
    if (IsString(c.type) && IsNumeric(to)) {
      std::string text = core::ToUtf8(c.type == VType::Str ? Fields.WidenText(v.s) : std::u16string(v.w));
      while (!text.empty() && text.back() == ' ') text.pop_back();
      std::size_t b = 0;
      while (b < text.size() && text[b] == ' ') ++b;
      const char* first = text.data() + b;
      const char* last = text.data() + text.size();
      std::int64_t iv = 0;
      auto r = std::from_chars(first, last, iv);
      if (r.ec == std::errc() && r.ptr == last && first != last) {
        v = Value{};
        v.type = c.type = VType::Int;
        v.i = iv;
        c.intBits = 64;
        return true;
      }
      double dv = 0;
      auto rf = std::from_chars(first, last, dv);
      if (rf.ec != std::errc() || rf.ptr != last || first == last) return false;
      v = Value{};
      v.type = c.type = VType::Float;
      v.f = dv;
      return true;
    }
    return false;
  }

  // Settles how two operands compare; converts constants towards the other side.
  CmpClass Meet(CNode& a, CNode& b) {
    if (a.type == VType::Null && b.type == VType::Null) return CmpClass::Null;
    if (a.type == VType::Null) ConvertConst(a, b.type, St);
    if (b.type == VType::Null) ConvertConst(b, a.type, St);
    if (a.type != b.type) {
      if (!(b.kind == CKind::Const && IsString(b.type) && ConvertConst(b, a.type, St)) &&
          a.kind == CKind::Const && IsString(a.type))
        ConvertConst(a, b.type, St);
    }
    const VType x = a.type, y = b.type;
    if (x == VType::Bool && y == VType::Bool) return CmpClass::Bool;
    if (IsNumeric(x) && IsNumeric(y)) return CmpClass::Num;
    if (x == VType::Str && y == VType::Str) return CmpClass::Str;
    if (IsString(x) && IsString(y)) return CmpClass::WStr;
    if ((x == VType::Date || x == VType::Stamp) && (y == VType::Date || y == VType::Stamp))
      return CmpClass::Temporal;
    if (x == VType::Time && y == VType::Time) return CmpClass::Temporal;
    Fail(DBERR_TYPEMISMATCH);
  }

  CNode Unary(const ExprNode& n) {
    CNode c;
    c.op = n.op;
    c.kids.push_back(Build(n.operands.at(0)));
    const VType t = c.kids[0].type;
    switch (n.op) {
      case coISBLANK:
      case coNOTBLANK:
        c.kind = n.op == coISBLANK ? CKind::IsBlank : CKind::NotBlank;
        c.type = VType::Bool;
        return c;
      case coNOT:
        if (t != VType::Bool && t != VType::Null) Fail(DBERR_TYPEMISMATCH);
        c.kind = CKind::Not;
        c.type = VType::Bool;
        return c;
      case coMINUS:
        if (!IsNumeric(t)) Fail(DBERR_TYPEMISMATCH);
        c.kind = CKind::Neg;
        c.type = t;
        c.intBits = c.kids[0].intBits;
        return c;
      case coUPPER:
      case coLOWER:
        if (!IsString(t)) Fail(DBERR_TYPEMISMATCH);
        c.kind = CKind::Func;
        c.func = n.op == coUPPER ? FuncId::Upper : FuncId::Lower;
        c.type = t;
        return c;
      default:
        Fail(DBERR_INVALIDPARAM);
    }
  }

  CNode Logic(const ExprNode& n) {
    CNode c;
    c.kind = n.op == coAND ? CKind::And : CKind::Or;
    c.op = n.op;
    c.type = VType::Bool;
    for (const auto& o : n.operands) {
      c.kids.push_back(Build(o));
      const VType t = c.kids.back().type;
      if (t != VType::Bool && t != VType::Null) Fail(DBERR_TYPEMISMATCH);
    }
    return c;
  }

  // A two-operand test (comparison, LIKE) with its compare options.
  CNode TwoOperandTest(const ExprNode& n, CKind kind) {
    CNode c;
    c.kind = kind;
    c.op = n.op;
    c.type = VType::Bool;
    c.ci = n.nodeClass == nodeCOMPARE && n.caseInsensitive;
    c.partial = n.nodeClass == nodeCOMPARE ? n.partialLength : 0;
    c.kids.push_back(Build(n.operands.at(0)));
    c.kids.push_back(Build(n.operands.at(1)));
    return c;
  }

  CNode Relation(const ExprNode& n) {
    CNode c = TwoOperandTest(n, CKind::Compare);
    c.cmp = Meet(c.kids[0], c.kids[1]);
    return c;
  }

  CNode Like(const ExprNode& n) {
    CNode c = TwoOperandTest(n, CKind::Like);
    CNode& left = c.kids[0];
    CNode& right = c.kids[1];
    if (left.type == VType::Null) ConvertConst(left, VType::Str, St);
    if (right.type == VType::Null) ConvertConst(right, left.type, St);
    if (!IsString(left.type) || !IsString(right.type)) Fail(DBERR_TYPEMISMATCH);
    c.cmp = left.type == VType::Str ? CmpClass::Str : CmpClass::WStr;
    if (right.kind == CKind::Const && right.constant.type != VType::Null) {
      const Value& p = right.constant;
      c.pattern = std::make_unique<LikePattern>(
          p.type == VType::WStr ? LikePattern::FromUtf16(p.w, c.ci)
          : St.utf8             ? LikePattern::FromUtf8(p.s, c.ci)
                                : LikePattern::FromUtf16(Fields.WidenText(p.s), c.ci));
      if (!St.utf8 && !St.byteMapChecked) {
        St.byteMap = ByteMapOf(Fields);
        St.byteMapChecked = true;
      }
    }
    return c;
  }

  CNode In(const ExprNode& n) {
    CNode c;
    c.kind = CKind::In;
    c.op = coIN;
    c.type = VType::Bool;
    c.kids.push_back(Build(n.operands.at(0)));
    for (std::size_t k = 1; k < n.operands.size(); ++k) {
      const ExprNode& e = n.operands[k];
      if (e.nodeClass == nodeLIST) {
        if (e.value.size() != std::size_t{e.elementSize} * e.elementCount) Fail(DBERR_INVALIDPARAM);
        for (std::size_t j = 0; j < e.elementCount; ++j) {
          ExprNode elem = MakeConst(e.valueType, std::vector<std::uint8_t>(
                                                     e.value.begin() + static_cast<std::ptrdiff_t>(j * e.elementSize),
                                                     e.value.begin() + static_cast<std::ptrdiff_t>((j + 1) * e.elementSize)));
          c.kids.push_back(Build(elem));
        }
      } else {
        c.kids.push_back(Build(e));
      }
    }
    if (c.kids.size() < 2) Fail(DBERR_INVALIDPARAM);
    // Every element meets the left side; the left side keeps its own type.
    CmpClass common = CmpClass::Null;
    for (std::size_t k = 1; k < c.kids.size(); ++k) {
      CNode leftCopy;
      leftCopy.kind = c.kids[0].kind == CKind::Const ? CKind::Field : c.kids[0].kind;  // never converted
      leftCopy.type = c.kids[0].type;
      const CmpClass cls = Meet(leftCopy, c.kids[k]);
      if (cls == CmpClass::Null) continue;
      if (common == CmpClass::Null) common = cls;
      else if (common != cls) {
        // Str and WStr elements mix: compare all as wide strings.
        if ((common == CmpClass::Str || common == CmpClass::WStr) && (cls == CmpClass::Str || cls == CmpClass::WStr))
          common = CmpClass::WStr;
        else
          Fail(DBERR_TYPEMISMATCH);
      }
    }
    c.cmp = common;
    return c;
  }

  CNode Arith(const ExprNode& n) {
    CNode c;
    c.kind = CKind::Arith;
    c.op = n.op;
    c.kids.push_back(Build(n.operands.at(0)));
    c.kids.push_back(Build(n.operands.at(1)));
    CNode& a = c.kids[0];
    CNode& b = c.kids[1];
    if (a.type == VType::Null) ConvertConst(a, b.type, St);
    if (b.type == VType::Null) ConvertConst(b, a.type, St);
    const VType x = a.type, y = b.type;
    const int bits = std::max(a.intBits, b.intBits);
    auto result = [&](VType t) {
      c.type = t;
      c.intBits = t == VType::Int ? bits : 32;
      return std::move(c);
    };
    if (x == VType::Null || y == VType::Null) return result(VType::Null);
    if (IsNumeric(x) && IsNumeric(y)) {
      if (n.op == coMOD || n.op == coREM) {
        if (x != VType::Int || y != VType::Int) Fail(DBERR_TYPEMISMATCH);
        return result(VType::Int);
      }
      return result(x == VType::Int && y == VType::Int ? VType::Int : VType::Float);
    }
    if (n.op == coADD) {
      if (x == VType::Str && y == VType::Str) return result(VType::Str);
      if (IsString(x) && IsString(y)) return result(VType::WStr);
      if ((x == VType::Date && y == VType::Int) || (x == VType::Int && y == VType::Date)) return result(VType::Date);
      if (((x == VType::Date || x == VType::Stamp) && IsNumeric(y)) ||
          (IsNumeric(x) && (y == VType::Date || y == VType::Stamp)))
        return result(VType::Stamp);
    }
    if (n.op == coSUB) {
      if (x == VType::Date && y == VType::Int) return result(VType::Date);
      if ((x == VType::Date || x == VType::Stamp) && IsNumeric(y)) return result(VType::Stamp);
      if ((x == VType::Date || x == VType::Stamp) && (y == VType::Date || y == VType::Stamp))
        return result(VType::Float);
      if (x == VType::Time && y == VType::Time) return result(VType::Float);
    }
    Fail(DBERR_TYPEMISMATCH);
  }

  CNode Func(const ExprNode& n) {
    for (const char* agg : kAggregates)
      if (SameNameCaseless(n.name, agg)) Fail(DBERR_NOTSUPPORTED);  // aggregates are not evaluated here
    const FuncInfo* info = nullptr;
    for (const auto& f : kFuncs)
      if (SameNameCaseless(n.name, f.name)) info = &f;
    if (!info) Fail(DBERR_NOTSUPPORTED);
    const int argc = static_cast<int>(n.operands.size());
    if (argc < info->minArgs || argc > info->maxArgs) Fail(DBERR_TYPEMISMATCH);
    CNode c;
    c.kind = CKind::Func;
    c.op = coFUNC2;
    c.func = info->id;
    for (const auto& a : n.operands) c.kids.push_back(Build(a));
    auto argType = [&](int k) { return c.kids[static_cast<std::size_t>(k)].type; };
    switch (info->id) {
      case FuncId::Trim:
      case FuncId::TrimLeft:
      case FuncId::TrimRight:
        if (!IsString(argType(0))) Fail(DBERR_TYPEMISMATCH);
        if (argc == 2) {  // the characters to trim, as the first argument's type
          if (argType(1) != argType(0) && !ConvertConst(c.kids[1], argType(0), St)) Fail(DBERR_TYPEMISMATCH);
        }
        c.type = argType(0);
        break;
      case FuncId::Upper:
      case FuncId::Lower:
        if (!IsString(argType(0))) Fail(DBERR_TYPEMISMATCH);
        c.type = argType(0);
        break;
      case FuncId::Substring:
        if (!IsString(argType(0))) Fail(DBERR_TYPEMISMATCH);
        for (int k = 1; k < argc; ++k)
          if (!IsNumeric(argType(k)) && !(argType(k) == VType::Null)) Fail(DBERR_TYPEMISMATCH);
        c.type = argType(0);
        break;
      case FuncId::Year:
      case FuncId::Month:
      case FuncId::Day:
        if (argType(0) != VType::Date && argType(0) != VType::Stamp) Fail(DBERR_TYPEMISMATCH);
        c.type = VType::Int;
        break;
      case FuncId::Hour:
      case FuncId::Minute:
      case FuncId::Second:
        if (argType(0) != VType::Time && argType(0) != VType::Stamp) Fail(DBERR_TYPEMISMATCH);
        c.type = VType::Int;
        break;
      case FuncId::Date:
        if (argType(0) != VType::Stamp && argType(0) != VType::Date) Fail(DBERR_TYPEMISMATCH);
        c.type = VType::Date;
        break;
      case FuncId::Time:
        if (argType(0) != VType::Stamp && argType(0) != VType::Time) Fail(DBERR_TYPEMISMATCH);
        c.type = VType::Time;
        break;
      case FuncId::Now:
        c.type = VType::Stamp;
        break;
    }
    return c;
  }

  // coASSIGN (default values): the expression on the left, the field on the right.
  CNode Assign(const ExprNode& n) {
    CNode target = Field(n.operands.at(1));
    CNode value = Build(n.operands.at(0));
    const VType to = target.type;
    if (value.type != to && !ConvertConst(value, to, St)) {
      const VType from = value.type;
      const bool dateLike = (from == VType::Date || from == VType::Stamp) && (to == VType::Date || to == VType::Stamp);
      const bool ok = (IsNumeric(from) && IsNumeric(to)) || (IsString(from) && IsString(to)) || dateLike;
      if (!ok) Fail(DBERR_TYPEMISMATCH);
    }
    assignField = target.fieldNo;
    St.assignType = to;
    fieldsRead.erase(target.fieldNo);
    return value;
  }

  ExprProgram::State& St;
  const IExprRecordAccess& Fields;
  int FDepth = 0;
};


}  // namespace

ExprProgram::ExprProgram() : FState(std::make_unique<State>()) {}
ExprProgram::~ExprProgram() = default;

VType ExprProgram::ResultType() const noexcept { return FState->root.type; }

EngineResult ExprProgram::Compile(const ExprNode& root, const IExprRecordAccess& fields,
                                  std::unique_ptr<ExprProgram>& out) {
  try {
    std::unique_ptr<ExprProgram> p(new ExprProgram());
    p->FState->utf8 = fields.TextIsUtf8();
    Compiler c(*p->FState, fields);
    p->FState->root = c.Root(root);
    p->FAssignField = c.assignField;
    p->FFieldsRead.assign(c.fieldsRead.begin(), c.fieldsRead.end());
    out = std::move(p);
    return DBERR_NONE;
  } catch (const EvalError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::out_of_range&) {
    return DBERR_INVALIDPARAM;  // operand missing in a hand-made tree
  }
}

EngineResult ExprProgram::Compile(const std::uint8_t* blob, std::size_t size, const IExprRecordAccess& fields,
                                  std::unique_ptr<ExprProgram>& out) {
  ExprNode root;
  if (EngineResult r = DecodeBlob(blob, size, root)) return r;
  return Compile(root, fields, out);
}

}  // namespace engine::expr
