// Tree dump, node constructors and the names of node classes and operators.
#include "engine/expr/expr_tree.h"

#include <charconv>
#include <cstring>

#include <fmt/format.h>

#include "engine/dstypes.h"

namespace engine::expr {

const char* OperatorName(std::uint32_t op) noexcept {
  static const char* const names[] = {
      "coNOTDEFINED", "coISBLANK", "coNOTBLANK", "coEQ",      "coNE",      "coGT",     "coLT",
      "coGE",         "coLE",      "coNOT",      "coAND",     "coOR",      "coTUPLE2", "coFIELD2",
      "coCONST2",     "coMINUS",   "coADD",      "coSUB",     "coMUL",     "coDIV",    "coMOD",
      "coREM",        "coSUM",     "coCOUNT",    "coMIN",     "coMAX",     "coAVG",    "coCONT",
      "coUDF2",       "coCONTINUE2", "coLIKE",   "coIN",      "coLIST2",   "coUPPER",  "coLOWER",
      "coFUNC2",      "coLISTELEM2", "coASSIGN"};
  static_assert(sizeof(names) / sizeof(names[0]) == coLAST + 1);
  return op <= coLAST ? names[op] : nullptr;
}

const char* NodeClassName(std::uint32_t cls) noexcept {
  static const char* const names[] = {"nodeNULL",     "nodeUNARY", "nodeBINARY", "nodeCOMPARE",
                                      "nodeFIELD",    "nodeCONST", "nodeTUPLE",  "nodeCONTINUE",
                                      "nodeUDF",      "nodeLIST",  "nodeFUNC",   "nodeLISTELEM"};
  static_assert(sizeof(names) / sizeof(names[0]) == nodeLAST + 1);
  return cls <= nodeLAST ? names[cls] : nullptr;
}

namespace {

template <class T>
T Load(const std::vector<std::uint8_t>& v, std::size_t at = 0) {
  T out{};
  if (at + sizeof(T) <= v.size()) std::memcpy(&out, v.data() + at, sizeof(T));
  return out;
}

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string Hex(const std::vector<std::uint8_t>& v) {
  std::string out;
  for (auto b : v) out += fmt::format("{:02x}", b);
  return out;
}

std::string ShortestDouble(double d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

std::string ConstText(std::int32_t type, const std::vector<std::uint8_t>& v) {
  if (v.empty()) return "null";
  switch (type) {
    case fldZSTRING: {
      std::size_t n = 0;
      while (n < v.size() && v[n] != 0) ++n;
      return Quote(std::string_view(reinterpret_cast<const char*>(v.data()), n));
    }
    case fldUNICODE:
    case fldWIDESTRING: {
      const std::size_t bytes = Load<std::uint16_t>(v);
      std::u16string s;
      for (std::size_t i = 2; i + 1 < v.size() && i < 2 + bytes; i += 2)
        s.push_back(static_cast<char16_t>(v[i] | (v[i + 1] << 8)));
      std::string u8;
      for (char16_t c : s) {  // ASCII dump; other characters as \uXXXX
        if (c < 0x80) u8 += static_cast<char>(c);
        else u8 += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
      }
      return fmt::format("u{}", Quote(u8));
    }
    case fldBOOL:
      return Load<std::uint16_t>(v) ? "true" : "false";
    case fldINT8:
      return std::to_string(static_cast<std::int8_t>(v[0]));
    case fldUINT8:
      return std::to_string(v[0]);
    case fldINT16:
      return std::to_string(Load<std::int16_t>(v));
    case fldUINT16:
      return std::to_string(Load<std::uint16_t>(v));
    case fldINT32:
    case fldDATE:
    case fldTIME:
      if (v.size() == 4) return std::to_string(Load<std::int32_t>(v));
      break;
    case fldUINT32:
      if (v.size() == 4) return std::to_string(Load<std::uint32_t>(v));
      if (v.size() == 8) return std::to_string(Load<std::uint64_t>(v));
      break;
    case fldINT64:
      if (v.size() == 8) return std::to_string(Load<std::int64_t>(v));
      break;
    case fldFLOAT:
    case fldTIMESTAMP:
      if (v.size() == 8) return ShortestDouble(Load<double>(v));
      break;
    case fldSINGLE:
      if (v.size() == 4) return ShortestDouble(Load<float>(v));
      break;
    default:
      break;
  }
  return fmt::format("x{}", Hex(v));
}

std::string TypeText(std::int32_t type) {
  const char* n = FieldTypeName(type);
  return n ? n : fmt::format("type{}", type);
}

void Dump(const ExprNode& n, std::string& out) {
  switch (n.nodeClass) {
    case nodeFIELD:
      out += fmt::format("(field {} {})", n.fieldNo, Quote(n.name));
      return;
    case nodeCONST:
      out += fmt::format("(const {} {})", TypeText(n.valueType), ConstText(n.valueType, n.value));
      return;
    case nodeLIST:
      out += fmt::format("(list {} size={} count={} x{})", TypeText(n.valueType), n.elementSize,
                         n.elementCount, Hex(n.value));
      return;
    case nodeFUNC:
      out += fmt::format("(func {}", Quote(n.name));
      break;
    default: {
      const char* name = OperatorName(n.op);
      out += '(';
      out += name ? name + 2 : "?";
      if (n.nodeClass == nodeCOMPARE)
        out += fmt::format(" ci={} partial={}", n.caseInsensitive ? 1 : 0, n.partialLength);
      break;
    }
  }
  for (const auto& o : n.operands) {
    out += ' ';
    Dump(o, out);
  }
  out += ')';
}

}  // namespace

std::string DumpTree(const ExprNode& node) {
  std::string out;
  Dump(node, out);
  return out;
}

ExprNode MakeField(std::uint16_t fieldNo, std::string name) {
  ExprNode n;
  n.nodeClass = nodeFIELD;
  n.op = coFIELD2;
  n.fieldNo = fieldNo;
  n.name = std::move(name);
  return n;
}

ExprNode MakeConst(std::int32_t type, std::vector<std::uint8_t> value) {
  ExprNode n;
  n.nodeClass = nodeCONST;
  n.op = coCONST2;
  n.valueType = type;
  n.value = std::move(value);
  return n;
}

namespace {
template <class T>
std::vector<std::uint8_t> Bytes(T v) {
  std::vector<std::uint8_t> out(sizeof(T));
  std::memcpy(out.data(), &v, sizeof(T));
  return out;
}
}  // namespace

ExprNode MakeIntConst(std::int32_t value) { return MakeConst(fldINT32, Bytes(value)); }
ExprNode MakeFloatConst(double value) { return MakeConst(fldFLOAT, Bytes(value)); }
ExprNode MakeBoolConst(bool value) { return MakeConst(fldBOOL, Bytes<std::uint16_t>(value ? 1 : 0)); }
ExprNode MakeNullConst(std::int32_t type) { return MakeConst(type, {}); }

ExprNode MakeStringConst(std::string_view utf8) {
  std::vector<std::uint8_t> v(utf8.begin(), utf8.end());
  v.push_back(0);
  return MakeConst(fldZSTRING, std::move(v));
}

ExprNode MakeUnicodeConst(std::u16string_view text) {
  std::vector<std::uint8_t> v = Bytes(static_cast<std::uint16_t>(text.size() * 2));
  for (char16_t c : text) {
    v.push_back(static_cast<std::uint8_t>(c & 0xFF));
    v.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return MakeConst(fldUNICODE, std::move(v));
}

ExprNode MakeUnary(TCANOperator op, ExprNode operand) {
  ExprNode n;
  n.nodeClass = nodeUNARY;
  n.op = op;
  n.operands.push_back(std::move(operand));
  return n;
}

ExprNode MakeBinary(TCANOperator op, ExprNode left, ExprNode right) {
  ExprNode n;
  n.nodeClass = nodeBINARY;
  n.op = op;
  n.operands.push_back(std::move(left));
  n.operands.push_back(std::move(right));
  return n;
}

ExprNode MakeCompare(TCANOperator op, bool caseInsensitive, std::uint16_t partialLength, ExprNode left,
                     ExprNode right) {
  ExprNode n = MakeBinary(op, std::move(left), std::move(right));
  n.nodeClass = nodeCOMPARE;
  n.caseInsensitive = caseInsensitive;
  n.partialLength = partialLength;
  return n;
}

ExprNode MakeIn(ExprNode left, std::vector<ExprNode> elements) {
  ExprNode n;
  n.nodeClass = nodeBINARY;
  n.op = coIN;
  n.operands.push_back(std::move(left));
  for (auto& e : elements) n.operands.push_back(std::move(e));
  return n;
}

ExprNode MakeFunc(std::string name, std::vector<ExprNode> args) {
  ExprNode n;
  n.nodeClass = nodeFUNC;
  n.op = coFUNC2;
  n.name = std::move(name);
  n.operands = std::move(args);
  return n;
}

}  // namespace engine::expr
