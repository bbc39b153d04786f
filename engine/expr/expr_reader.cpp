// Validating blob decoder. The blob is never trusted: every read goes through
// bounds checks against the area it must lie in.
#include "engine/expr/expr_reader.h"

#include <new>
#include <vector>

namespace engine::expr {

namespace {

struct BadBlob {
  EngineResult code;
};

[[noreturn]] void Fail(EngineResult code = DBERR_INVALIDPARAM) { throw BadBlob{code}; }

class Reader {
 public:
  Reader(const std::uint8_t* blob, std::size_t size) : P(blob), Size(size) {}

  void Decode(ExprNode& root) {
    if (P == nullptr || Size < CANEXPRSIZE) Fail();
    if (U16(0) != CANEXPRVERSION) Fail();
    const std::size_t total = U16(2);
    if (total < CANEXPRSIZE || total > Size) Fail();
    NodeCountLimit = U16(4);
    NodeStart = U16(6);
    LitStart = U16(8);
    LitEnd = total;
    if (NodeStart < CANEXPRSIZE || LitStart < NodeStart || LitStart > LitEnd) Fail();
    if (LitStart - NodeStart < CANHDRSIZE) Fail();
    Visited.assign(LitStart - NodeStart, false);
    root = Node(0, 0);
    if (root.nodeClass == nodeLIST) Fail();
  }

 private:
  std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(P[at] | (P[at + 1] << 8)); }
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(P[at]) | (static_cast<std::uint32_t>(P[at + 1]) << 8) |
           (static_cast<std::uint32_t>(P[at + 2]) << 16) | (static_cast<std::uint32_t>(P[at + 3]) << 24);
  }

  // Claims node `off` (offset within the node area) with `operands` 16-bit
  // operands; returns its absolute position. Each byte of the node area may
  // belong to one node only.
  std::size_t Claim(std::size_t off, int operands) {
    const std::size_t end = off + CANHDRSIZE + 2u * static_cast<std::size_t>(operands);
    if (end > LitStart - NodeStart) Fail();
    for (std::size_t i = off; i < end; ++i) {
      if (Visited[i]) Fail();  // cycle, shared subtree or overlapping nodes
      Visited[i] = true;
    }
    if (NodeCountLimit != CANEXPRNODECOUNT_UNCOUNTED && ++NodeCount > NodeCountLimit) Fail();
    return NodeStart + off;
  }

  std::uint16_t Operand(std::size_t abs, int i) const { return U16(abs + CANHDRSIZE + 2u * static_cast<std::size_t>(i)); }

  std::string LiteralString(std::size_t off) const {
    std::size_t at = LitStart + off;
    if (at >= LitEnd) Fail();
    std::string out;
    while (at < LitEnd && P[at] != 0) out.push_back(static_cast<char>(P[at++]));
    if (at >= LitEnd) Fail();  // no terminator inside the literal area
    return out;
  }

  std::vector<std::uint8_t> LiteralBytes(std::size_t off, std::size_t size) const {
    if (size == 0) return {};
    const std::size_t at = LitStart + off;
    if (at > LitEnd || size > LitEnd - at) Fail();
    return std::vector<std::uint8_t>(P + at, P + at + size);
  }

  ExprNode Node(std::size_t off, int depth) {
    if (depth > MAXEXPRDEPTH) Fail();
    if (off + CANHDRSIZE > LitStart - NodeStart) Fail();
    const std::size_t hdr = NodeStart + off;
    const std::uint32_t cls = U32(hdr);
    const std::uint32_t op = U32(hdr + 4);
    if (cls > nodeLAST || op > coLAST) Fail();
    ExprNode n;
    n.nodeClass = static_cast<NODEClass>(cls);
    n.op = static_cast<TCANOperator>(op);
    switch (cls) {
      case nodeUNARY: {
        if (op != coISBLANK && op != coNOTBLANK && op != coNOT && op != coMINUS && op != coUPPER &&
            op != coLOWER)
          Fail();
        const std::size_t a = Claim(off, 1);
        n.operands.push_back(Child(Operand(a, 0), depth));
        break;
      }
      case nodeBINARY: {
        if (!(IsRelation(op) || IsArithmetic(op) || op == coAND || op == coOR || op == coLIKE ||
              op == coIN || op == coASSIGN))
          Fail();
        const std::size_t a = Claim(off, 2);
        n.operands.push_back(Child(Operand(a, 0), depth));
        if (op == coIN)
          InList(Operand(a, 1), depth, n);
        else
          n.operands.push_back(Child(Operand(a, 1), depth));
        break;
      }
      case nodeCOMPARE: {
        if (!IsRelation(op) && op != coLIKE) Fail();
        const std::size_t a = Claim(off, 4);
        n.caseInsensitive = Operand(a, 0) != 0;
        n.partialLength = Operand(a, 1);
        n.operands.push_back(Child(Operand(a, 2), depth));
        n.operands.push_back(Child(Operand(a, 3), depth));
        break;
      }
      case nodeFIELD: {
        if (op != coFIELD2) Fail();
        const std::size_t a = Claim(off, 2);
        n.fieldNo = Operand(a, 0);
        n.name = LiteralString(Operand(a, 1));
        break;
      }
      case nodeCONST: {
        if (op != coCONST2) Fail();
        const std::size_t a = Claim(off, 3);
        n.valueType = Operand(a, 0);
        n.value = LiteralBytes(Operand(a, 2), Operand(a, 1));
        break;
      }
      case nodeLIST: {
        if (op != coLIST2) Fail();
        const std::size_t a = Claim(off, 5);
        n.valueType = Operand(a, 0);
        const std::size_t total = Operand(a, 1);
        n.elementSize = Operand(a, 2);
        n.elementCount = Operand(a, 3);
        if (std::size_t{n.elementSize} * n.elementCount != total) Fail();
        if (n.elementCount > 0 && n.elementSize == 0) Fail();
        n.value = LiteralBytes(Operand(a, 4), total);
        break;
      }
      case nodeFUNC: {
        if (op != coFUNC2) Fail();
        const std::size_t a = Claim(off, 2);
        n.name = LiteralString(Operand(a, 0));
        if (Operand(a, 1) != 0) Elements(Operand(a, 1), depth, n);
        break;
      }
      case nodeLISTELEM:
        Fail();  // only reachable through a list chain
      default:
        Fail(DBERR_NOTSUPPORTED);  // null, tuple, continue and UDF nodes
    }
    return n;
  }

  ExprNode Child(std::uint16_t off, int depth) {
    if (off == 0) Fail();  // 0 is the root: a reference to it is a cycle
    return Node(off, depth + 1);
  }

  // Right operand of coIN: a nodeLIST node, or the head of an element chain.
  void InList(std::uint16_t off, int depth, ExprNode& in) {
    if (off == 0 || std::size_t{off} + CANHDRSIZE > LitStart - NodeStart) Fail();
    const std::uint32_t cls = U32(NodeStart + off);
    if (cls == nodeLIST)
      in.operands.push_back(Child(off, depth));
    else
      Elements(off, depth, in);
  }

  void Elements(std::uint16_t off, int depth, ExprNode& parent) {
    while (off != 0) {
      if (std::size_t{off} + CANHDRSIZE > LitStart - NodeStart) Fail();
      const std::size_t hdr = NodeStart + off;
      if (U32(hdr) != nodeLISTELEM || U32(hdr + 4) != coLISTELEM2) Fail();
      const std::size_t a = Claim(off, 2);
      parent.operands.push_back(Child(Operand(a, 0), depth));
      off = Operand(a, 1);
    }
  }

  const std::uint8_t* P;
  std::size_t Size;
  std::size_t NodeStart = 0, LitStart = 0, LitEnd = 0;
  std::uint32_t NodeCountLimit = 0, NodeCount = 0;
  std::vector<bool> Visited;
};

}  // namespace

EngineResult DecodeBlob(const std::uint8_t* blob, std::size_t size, ExprNode& root) {
  try {
    ExprNode tmp;
    Reader(blob, size).Decode(tmp);
    root = std::move(tmp);
    return DBERR_NONE;
  } catch (const BadBlob& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

}  // namespace engine::expr
