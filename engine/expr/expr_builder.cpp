// Blob layout: nodes and literals are collected apart and joined behind the
// header when the blob is finished.
#include "engine/expr/expr_builder.h"

#include <cstring>
#include <limits>

namespace engine::expr {

namespace {
constexpr std::size_t kMaxBlob = std::numeric_limits<std::uint16_t>::max();

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
}  // namespace

bool BlobBuilder::Fits(std::size_t nodeBytes, std::size_t literalBytes) {
  if (FOverflow) return false;
  if (CANEXPRSIZE + FNodes.size() + nodeBytes + FLiterals.size() + literalBytes > kMaxBlob) {
    FOverflow = true;
    return false;
  }
  return true;
}

std::uint16_t BlobBuilder::AddNode(NODEClass cls, TCANOperator op, int operandCount) {
  const std::size_t size = CANHDRSIZE + 2u * static_cast<std::size_t>(operandCount < 0 ? 0 : operandCount);
  if (!Fits(size, 0)) return 0;
  const auto at = static_cast<std::uint16_t>(FNodes.size());
  FNodes.resize(FNodes.size() + size, 0);
  Put32(&FNodes[at], cls);
  Put32(&FNodes[at + 4u], op);
  ++FNodeCount;
  return at;
}

void BlobBuilder::SetOperand(std::uint16_t node, int index, std::uint16_t value) {
  if (FOverflow || index < 0) return;
  const std::size_t at = std::size_t{node} + CANHDRSIZE + 2u * static_cast<std::size_t>(index);
  if (at + 2 > FNodes.size()) return;
  Put16(&FNodes[at], value);
}

std::uint16_t BlobBuilder::AddLiteral(const void* data, std::size_t size) {
  if (!Fits(0, size)) return 0;
  const auto at = static_cast<std::uint16_t>(FLiterals.size());
  const auto* p = static_cast<const std::uint8_t*>(data);
  if (size) FLiterals.insert(FLiterals.end(), p, p + size);
  return at;
}

EngineResult BlobBuilder::Finish(std::vector<std::uint8_t>& out, bool countNodes) const {
  if (FOverflow) return DBERR_OUTOFRANGE;
  if (FNodes.empty()) return DBERR_INVALIDPARAM;
  const std::size_t total = CANEXPRSIZE + FNodes.size() + FLiterals.size();
  out.assign(CANEXPRSIZE, 0);
  out.reserve(total);
  Put16(&out[0], CANEXPRVERSION);
  Put16(&out[2], static_cast<std::uint16_t>(total));
  Put16(&out[4], countNodes ? static_cast<std::uint16_t>(FNodeCount) : CANEXPRNODECOUNT_UNCOUNTED);
  Put16(&out[6], CANEXPRSIZE);
  Put16(&out[8], static_cast<std::uint16_t>(CANEXPRSIZE + FNodes.size()));
  out.insert(out.end(), FNodes.begin(), FNodes.end());
  out.insert(out.end(), FLiterals.begin(), FLiterals.end());
  return DBERR_NONE;
}

namespace {

class TreeWriter {
 public:
  explicit TreeWriter(BlobBuilder& b) : B(b) {}

  // Returns false for a tree the format cannot hold.
  bool Write(const ExprNode& n, int depth, std::uint16_t& at) {
    if (depth > MAXEXPRDEPTH) return false;
    switch (n.nodeClass) {
      case nodeFIELD: {
        at = B.AddNode(nodeFIELD, n.op, 2);
        B.SetOperand(at, 0, n.fieldNo);
        B.SetOperand(at, 1, B.AddLiteral(n.name.c_str(), n.name.size() + 1));
        return n.operands.empty();
      }
      case nodeCONST: {
        if (n.value.size() > 0xFFFF) return false;
        at = B.AddNode(nodeCONST, n.op, 3);
        B.SetOperand(at, 0, static_cast<std::uint16_t>(n.valueType));
        B.SetOperand(at, 1, static_cast<std::uint16_t>(n.value.size()));
        B.SetOperand(at, 2, n.value.empty() ? 0 : B.AddLiteral(n.value.data(), n.value.size()));
        return n.operands.empty();
      }
      case nodeLIST: {
        at = B.AddNode(nodeLIST, n.op, 5);
        B.SetOperand(at, 0, static_cast<std::uint16_t>(n.valueType));
        B.SetOperand(at, 1, static_cast<std::uint16_t>(n.value.size()));
        B.SetOperand(at, 2, n.elementSize);
        B.SetOperand(at, 3, n.elementCount);
        B.SetOperand(at, 4, B.AddLiteral(n.value.data(), n.value.size()));
        return n.operands.empty();
      }
      case nodeUNARY: {
        if (n.operands.size() != 1) return false;
        at = B.AddNode(nodeUNARY, n.op, 1);
        return Operand(at, 0, n.operands[0], depth);
      }
      case nodeCOMPARE: {
        if (n.operands.size() != 2) return false;
        at = B.AddNode(nodeCOMPARE, n.op, 4);
        B.SetOperand(at, 0, n.caseInsensitive ? 1 : 0);
        B.SetOperand(at, 1, n.partialLength);
        return Operand(at, 2, n.operands[0], depth) && Operand(at, 3, n.operands[1], depth);
      }
      case nodeBINARY: {
        if (n.operands.size() < 2) return false;
        at = B.AddNode(nodeBINARY, n.op, 2);
        if (!Operand(at, 0, n.operands[0], depth)) return false;
        if (n.op != coIN) return n.operands.size() == 2 && Operand(at, 1, n.operands[1], depth);
        if (n.operands.size() == 2 && n.operands[1].nodeClass == nodeLIST)
          return Operand(at, 1, n.operands[1], depth);
        return Chain(at, 1, n.operands, 1, depth);
      }
      case nodeFUNC: {
        at = B.AddNode(nodeFUNC, n.op, 2);
        B.SetOperand(at, 0, B.AddLiteral(n.name.c_str(), n.name.size() + 1));
        if (n.operands.empty()) return true;
        return Chain(at, 1, n.operands, 0, depth);
      }
      default:
        // Classes without operands of their own (tuple, continue, UDF, null):
        // written as a bare header so readers can be tested on them.
        at = B.AddNode(n.nodeClass, n.op, 0);
        return n.operands.empty();
    }
  }

 private:
  bool Operand(std::uint16_t parent, int index, const ExprNode& child, int depth) {
    std::uint16_t at = 0;
    if (!Write(child, depth + 1, at)) return false;
    B.SetOperand(parent, index, at);
    return true;
  }

  // A coLISTELEM2 chain of items[first..] hung on operand `index` of `parent`.
  bool Chain(std::uint16_t parent, int index, const std::vector<ExprNode>& items, std::size_t first,
             int depth) {
    std::uint16_t prev = parent;
    int prevIndex = index;
    for (std::size_t i = first; i < items.size(); ++i) {
      const std::uint16_t elem = B.AddNode(nodeLISTELEM, coLISTELEM2, 2);
      B.SetOperand(prev, prevIndex, elem);
      if (!Operand(elem, 0, items[i], depth)) return false;
      prev = elem;
      prevIndex = 1;
    }
    return true;
  }

  BlobBuilder& B;
};

}  // namespace

EngineResult EncodeTree(const ExprNode& root, std::vector<std::uint8_t>& out) {
  BlobBuilder b;
  std::uint16_t at = 0;
  if (!TreeWriter(b).Write(root, 0, at)) return b.Overflowed() ? DBERR_OUTOFRANGE : DBERR_INVALIDPARAM;
  return b.Finish(out);
}

}  // namespace engine::expr
